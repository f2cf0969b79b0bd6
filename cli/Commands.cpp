#include "cli/Commands.h"

#include "cli/ExitCodes.h"

namespace {

using json = nlohmann::ordered_json;

int Fail(const Session& session, const std::string& message)
{
    session.output.Error(message);
    return kExitFailed;
}

// The serial number the audit line names; empty when it cannot be read.
std::string AuditSerial()
{
    std::string serial;
    camera::ReadSerial(serial);
    return serial;
}

// Runs one operation that changes the camera, records it and reports it.
int RunChange(Session& session, const std::string& action, bool (*operation)(), const std::string& done)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    const bool ok = operation();
    const bool recorded = session.audit.Record(serial, action, ok ? "ok" : "failed");
    if (!ok) {
        return Fail(session, "the camera refused: " + action);
    }
    session.output.Result({{"serial", serial}, {"action", action}, {"outcome", "ok"}}, done);
    return recorded ? kExitOk : Fail(session, "the audit line could not be written");
}

}  // namespace

int ConnectCamera(const Session& session)
{
    switch (camera::Connect()) {
    case Connection::NoVendorLibrary:
        session.output.Error("the camera's USB library (NvUSB) was not found");
        return kExitNoCamera;
    case Connection::NoCamera:
        session.output.Error("no camera found");
        return kExitNoCamera;
    case Connection::Connected:
        break;
    }
    return kExitOk;
}

int OpenCamera(Session& session)
{
    const int connected = ConnectCamera(session);
    if (connected != kExitOk) {
        return connected;
    }
    if (!camera::SignIn(session.account(), session.password)) {
        session.output.Error("the camera refused the sign-in");
        return kExitSignInRefused;
    }
    return kExitOk;
}

int RunStatus(Session& session)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    Resolution resolution;
    int battery = 0;
    IdentityRecord record{};
    if (!camera::ReadSerial(serial)) return Fail(session, "could not read the serial number");
    if (!camera::ReadResolution(resolution)) return Fail(session, "could not read the resolution");
    if (!camera::ReadBattery(battery)) return Fail(session, "could not read the battery level");
    if (!camera::ReadIdentity(record)) return Fail(session, "could not read the identity record");
    const json object = {{"serial", serial},
                         {"resolution", {{"width", resolution.width}, {"height", resolution.height}}},
                         {"battery", battery},
                         {"identity", IdentityJson(record)}};
    const std::string line = "serial=" + serial + " resolution=" + std::to_string(resolution.width) + "x"
                             + std::to_string(resolution.height) + " battery=" + std::to_string(battery)
                             + "% " + IdentityLine(record);
    session.output.Result(object, line);
    return kExitOk;
}

int RunSyncTime(Session& session)
{
    return RunChange(session, "time.sync", camera::SyncTime, "clock set to this computer's local time");
}

int RunUsbStorage(Session& session)
{
    return RunChange(session, "usb-storage", camera::EnterUsbStorage, "camera switched to USB storage");
}

int RunFormat(Session& session)
{
    return RunChange(session, "format", camera::Format, "card formatted");
}

int RunIdentityGet(Session& session)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    IdentityRecord record{};
    if (!camera::ReadIdentity(record)) {
        return Fail(session, "could not read the identity record");
    }
    session.output.Result(IdentityJson(record), IdentityLine(record));
    return kExitOk;
}

int RunIdentitySet(Session& session, const IdentityChanges& changes)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    IdentityRecord before{};
    if (!camera::ReadIdentity(before)) {
        session.audit.Record(serial, "identity.set", "failed: read");
        return Fail(session, "could not read the identity record");
    }
    IdentityRecord wanted = before;
    for (const auto& change : changes) {
        PutIdentityField(wanted, change.first, change.second);
    }
    const json beforeJson = IdentityJson(before);
    IdentityRecord after{};
    const camera::VerifiedWrite written = camera::WriteIdentityAndVerify(wanted, after);
    if (written == camera::VerifiedWrite::Refused) {
        session.audit.Record(serial, "identity.set", "failed: write", {{"before", beforeJson}});
        return Fail(session, camera::Describe(written));
    }
    if (written == camera::VerifiedWrite::ReadBackFailed) {
        session.audit.Record(serial, "identity.set", "failed: read-back",
                             {{"before", beforeJson}, {"after", IdentityJson(wanted)}});
        return Fail(session, camera::Describe(written));
    }
    const bool same = written == camera::VerifiedWrite::Ok;
    const bool recorded = session.audit.Record(serial, "identity.set", same ? "ok" : "failed: read-back differs",
                                               {{"before", beforeJson}, {"after", IdentityJson(after)}});
    if (!same) {
        return Fail(session, std::string(camera::Describe(written)) + ": " + IdentityLine(after));
    }
    session.output.Result(IdentityJson(after), IdentityLine(after));
    return recorded ? kExitOk : Fail(session, "the audit line could not be written");
}

int RunSerialGet(Session& session)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    if (!camera::ReadSerial(serial)) {
        return Fail(session, "could not read the serial number");
    }
    session.output.Result({{"serial", serial}}, serial);
    return kExitOk;
}

int RunSerialSet(Session& session, const std::string& serial)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string before = AuditSerial();
    std::string after;
    const bool written = camera::WriteSerial(serial);
    const bool readBack = written && camera::ReadSerial(after);
    const bool ok = readBack && after == serial;
    const std::string outcome = ok ? "ok" : !written ? "failed: write" : !readBack ? "failed: read-back"
                                                                                  : "failed: read-back differs";
    const bool recorded = session.audit.Record(before, "serial.set", outcome, {{"before", before}, {"after", after}});
    if (!ok) {
        return Fail(session, "serial number not set (" + outcome + ")");
    }
    session.output.Result({{"serial", after}}, after);
    return recorded ? kExitOk : Fail(session, "the audit line could not be written");
}

int RunPasswordSet(Session& session, Account account, const std::string& newPassword)
{
    const int opened = OpenCamera(session);
    if (opened != kExitOk) {
        return opened;
    }
    const std::string serial = AuditSerial();
    const std::string action = account == Account::Administrator ? "password.set.admin" : "password.set.user";
    const bool ok = camera::SetPassword(account, newPassword);
    const bool recorded = session.audit.Record(serial, action, ok ? "ok" : "failed");
    if (!ok) {
        return Fail(session, "the camera refused the new password");
    }
    session.output.Result({{"serial", serial}, {"action", action}, {"outcome", "ok"}}, "password changed");
    return recorded ? kExitOk : Fail(session, "the audit line could not be written");
}
