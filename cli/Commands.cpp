#include "cli/Commands.h"

#include "cli/ExitCodes.h"
#include "station/IdentityFields.h"

namespace {

using json = nlohmann::ordered_json;

int Fail(const Invocation& invocation, const std::string& message)
{
    invocation.output.Error(message);
    return kExitFailed;
}

// The serial number the audit line names; empty when it cannot be read.
std::string AuditSerial()
{
    std::string serial;
    camera::ReadSerial(serial);
    return serial;
}

const char* Outcome(camera::VerifiedWrite written)
{
    switch (written) {
    case camera::VerifiedWrite::Ok:
        return "ok";
    case camera::VerifiedWrite::Refused:
        return "failed: write";
    case camera::VerifiedWrite::ReadBackFailed:
        return "failed: read-back";
    case camera::VerifiedWrite::Differs:
        break;
    }
    return "failed: read-back differs";
}

// Runs one operation that changes the camera, records it and reports it.
int RunChange(Invocation& invocation, const std::string& action, bool (*operation)(), const std::string& done)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    const int started = BeginChange(invocation, serial, action);
    if (started != kExitOk) {
        return started;
    }
    const bool ok = operation();
    if (ok) {
        invocation.output.Result({{"serial", serial}, {"action", action}, {"outcome", "ok"}}, done);
    } else {
        invocation.output.Error("the camera refused: " + action);
    }
    return EndChange(invocation, serial, action, ok ? "ok" : "failed", json::object(), ok ? kExitOk : kExitFailed);
}

}  // namespace

int RunStatus(Invocation& invocation)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    Resolution resolution;
    int battery = 0;
    IdentityRecord record{};
    if (!camera::ReadSerial(serial)) return Fail(invocation, "could not read the serial number");
    if (!camera::ReadResolution(resolution)) return Fail(invocation, "could not read the resolution");
    if (!camera::ReadBattery(battery)) return Fail(invocation, "could not read the battery level");
    if (!camera::ReadIdentity(record)) return Fail(invocation, "could not read the identity record");
    const json object = {{"serial", serial},
                         {"resolution", {{"width", resolution.width}, {"height", resolution.height}}},
                         {"battery", battery},
                         {"identity", IdentityJson(record)}};
    const std::string line = "serial=" + serial + " resolution=" + std::to_string(resolution.width) + "x"
                             + std::to_string(resolution.height) + " battery=" + std::to_string(battery)
                             + "% " + IdentityLine(record);
    invocation.output.Result(object, line);
    return kExitOk;
}

int RunSyncTime(Invocation& invocation)
{
    return RunChange(invocation, "time.sync", camera::SyncTime, "clock set to this computer's local time");
}

int RunUsbStorage(Invocation& invocation)
{
    return RunChange(invocation, "usb-storage", camera::EnterUsbStorage, "camera switched to USB storage");
}

int RunFormat(Invocation& invocation)
{
    return RunChange(invocation, "format", camera::Format, "card formatted");
}

int RunIdentityGet(Invocation& invocation)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    IdentityRecord record{};
    if (!camera::ReadIdentity(record)) {
        return Fail(invocation, "could not read the identity record");
    }
    invocation.output.Result(IdentityJson(record), IdentityLine(record));
    return kExitOk;
}

int RunIdentitySet(Invocation& invocation, const IdentityChanges& changes)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    const std::string action = "identity.set";
    IdentityRecord before{};
    if (!camera::ReadIdentity(before)) {
        invocation.output.Error("could not read the identity record");
        return EndChange(invocation, serial, action, "failed: read", json::object(), kExitFailed);
    }
    IdentityRecord wanted = before;
    for (const auto& change : changes) {
        PutIdentityText(wanted, PlaceOf(change.first), change.second);
    }
    const json beforeJson = {{"before", IdentityJson(before)}};
    const int started = BeginChange(invocation, serial, action, beforeJson);
    if (started != kExitOk) {
        return started;
    }
    IdentityRecord after{};
    const camera::VerifiedWrite written = camera::WriteIdentityAndVerify(wanted, after);
    json details = beforeJson;
    if (written != camera::VerifiedWrite::Refused) {
        details["after"] = IdentityJson(written == camera::VerifiedWrite::ReadBackFailed ? wanted : after);
    }
    if (written == camera::VerifiedWrite::Ok) {
        invocation.output.Result(IdentityJson(after), IdentityLine(after));
    } else {
        const bool shown = written == camera::VerifiedWrite::Differs;
        invocation.output.Error(camera::Describe(written, "identity record") + (shown ? ": " + IdentityLine(after) : ""));
    }
    const bool ok = written == camera::VerifiedWrite::Ok;
    return EndChange(invocation, serial, action, Outcome(written), details, ok ? kExitOk : kExitFailed);
}

int RunSerialGet(Invocation& invocation)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    if (!camera::ReadSerial(serial)) {
        return Fail(invocation, "could not read the serial number");
    }
    invocation.output.Result({{"serial", serial}}, serial);
    return kExitOk;
}

int RunSerialSet(Invocation& invocation, const std::string& serial)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string before = AuditSerial();
    const std::string action = "serial.set";
    const int started = BeginChange(invocation, before, action, {{"before", before}});
    if (started != kExitOk) {
        return started;
    }
    std::string after;
    const camera::VerifiedWrite written = camera::WriteSerialAndVerify(serial, after);
    const bool ok = written == camera::VerifiedWrite::Ok;
    if (ok) {
        invocation.output.Result({{"serial", after}}, after);
    } else {
        invocation.output.Error("serial number not set: " + camera::Describe(written, "serial number"));
    }
    return EndChange(invocation, before, action, Outcome(written), {{"before", before}, {"after", after}},
                     ok ? kExitOk : kExitFailed);
}

int RunPasswordSet(Invocation& invocation, Account account, const std::string& newPassword)
{
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    const std::string action = account == Account::Administrator ? "password.set.admin" : "password.set.user";
    const int started = BeginChange(invocation, serial, action);
    if (started != kExitOk) {
        return started;
    }
    const bool sent = camera::SetPassword(account, newPassword);
    const bool confirmed = sent && camera::SignIn(account, newPassword);
    if (confirmed) {
        invocation.output.Result({{"serial", serial}, {"action", action}, {"outcome", "ok"}}, "changed and confirmed");
    } else {
        invocation.output.Error(sent ? "sent, but the camera does not accept the new password"
                                  : "the camera refused the new password");
    }
    const char* outcome = confirmed ? "ok" : sent ? "failed: not confirmed" : "failed";
    return EndChange(invocation, serial, action, outcome, json::object(), confirmed ? kExitOk : kExitFailed);
}
