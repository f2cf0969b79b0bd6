#include "cli/Provision.h"

#include "cli/ExitCodes.h"
#include "cli/IdentityFields.h"
#include "cli/Console.h"
#include "core/CodePages.h"

namespace {

using json = nlohmann::ordered_json;

const char* const kAction = "provision";

struct CameraResult {
    std::string serial;
    std::string cameraId;
    std::string failedStep;  // empty when provisioned
    std::string why;
    int exitCode = kExitOk;
    json details = json::object();  // before and after, for the audit
};

CameraResult Failed(CameraResult result, const char* step, const std::string& why, int exitCode = kExitFailed)
{
    result.failedStep = step;
    result.why = why;
    result.exitCode = exitCode;
    return result;
}

// The steps that change the camera, once its started line is written.
CameraResult Change(CameraResult result, const IdentityRecord& wanted, const ProvisionOptions& options)
{
    if (options.syncTime && !camera::SyncTime()) {
        return Failed(result, "sync-time", "the camera refused the clock");
    }
    IdentityRecord after{};
    const camera::VerifiedWrite written = camera::WriteIdentityAndVerify(wanted, after);
    if (written == camera::VerifiedWrite::Refused) {
        return Failed(result, "identity.write", camera::Describe(written, "identity record"));
    }
    if (written == camera::VerifiedWrite::ReadBackFailed) {
        return Failed(result, "identity.verify", camera::Describe(written, "identity record"));
    }
    result.details["after"] = IdentityJson(after);
    if (written == camera::VerifiedWrite::Differs) {
        return Failed(result, "identity.verify", camera::Describe(written, "identity record"));
    }
    return result;
}

// Everything after the connect, in order; stops at the first step that
// fails. Nothing is sent that changes the camera before its started line.
CameraResult ProvisionConnected(const Session& session, const Fleet& fleet, const ProvisionOptions& options)
{
    CameraResult result;
    if (!camera::SignIn(session.account(), session.password.text())) {
        return Failed(result, "sign-in", "the camera refused the sign-in", kExitSignInRefused);
    }
    if (!camera::ReadSerial(result.serial)) {
        return Failed(result, "serial", "could not read the serial number");
    }
    const auto row = fleet.rows.find(result.serial);
    if (row == fleet.rows.end()) {
        return Failed(result, "lookup", "serial number not in the fleet file", kExitUnknownSerial);
    }
    result.cameraId = EncodeUtf8(row->second.identity.cameraId.data(), row->second.identity.cameraId.size());
    IdentityRecord wanted{};
    if (BuildIdentityRecord(row->second.identity, wanted) != BuildResult::Ok) {
        return Failed(result, "identity.build", "the row's identity does not fit the record");
    }
    IdentityRecord before{};
    if (!camera::ReadIdentity(before)) {
        return Failed(result, "identity.read", "could not read the identity record");
    }
    result.details["before"] = IdentityJson(before);
    if (BeginChange(session, result.serial, kAction, result.details) != kExitOk) {
        return Failed(result, "audit", "nothing was changed", kExitAuditFailed);
    }
    return Change(result, wanted, options);
}

// Shows the camera's line and writes its outcome line; the exit code of the
// camera, kExitAuditFailed when the line could not be written.
int Report(const Session& session, const CameraResult& result)
{
    const bool ok = result.failedStep.empty();
    const std::string outcome = ok ? "ok" : "failed at " + result.failedStep + ": " + result.why;
    json line = {{"serial", result.serial}, {"camera_id", result.cameraId}, {"outcome", ok ? "ok" : "failed"}};
    if (!ok) {
        line["step"] = result.failedStep;
        line["error"] = result.why;
    }
    const std::string shown = result.serial.empty() ? "-" : result.serial;
    const std::string id = result.cameraId.empty() ? "-" : result.cameraId;
    session.output.Result(line, shown + " " + id + " " + outcome);
    if (result.exitCode == kExitAuditFailed) {
        return kExitAuditFailed;  // BeginChange has said why
    }
    return EndChange(session, result.serial, kAction, outcome, result.details, result.exitCode);
}

int RunOnce(Session& session, const Fleet& fleet, const ProvisionOptions& options)
{
    const int connected = ConnectCamera(session);
    if (connected != kExitOk) {
        return connected;
    }
    return Report(session, ProvisionConnected(session, fleet, options));
}

struct Tally {
    unsigned provisioned = 0;
    unsigned failed = 0;
    bool onlyUnknown = true;  // every failed camera was missing from the fleet file

    void Add(const CameraResult& result)
    {
        if (result.failedStep.empty()) {
            ++provisioned;
            return;
        }
        ++failed;
        onlyUnknown = onlyUnknown && result.exitCode == kExitUnknownSerial;
    }
    int ExitCode() const
    {
        if (failed == 0) {
            return kExitOk;
        }
        return onlyUnknown ? kExitUnknownSerial : kExitFailed;
    }
};

// Provisions every camera plugged in, one after the other.
int Watch(Session& session, const Fleet& fleet, const ProvisionOptions& options)
{
    Tally tally;
    // A camera under way is finished even after Ctrl+C: its steps take
    // well under a second, and a half-written camera helps nobody.
    const int stopped = WatchCameras(session, options.station, [&](bool refused) {
        const CameraResult result = refused
            ? Failed({}, "connect", "the camera did not accept the connection", kExitNoCamera)
            : ProvisionConnected(session, fleet, options);
        tally.Add(result);
        return Report(session, result);
    });
    if (stopped == kExitNoCamera) {
        return stopped;
    }
    const std::string summary = std::to_string(tally.provisioned) + " provisioned, " + std::to_string(tally.failed)
                                + " failed";
    session.output.Result({{"provisioned", tally.provisioned}, {"failed", tally.failed}}, summary);
    return stopped != kExitOk ? stopped : tally.ExitCode();
}

}  // namespace

int RunProvision(Session& session, const Fleet& fleet, const ProvisionOptions& options)
{
    return options.station.watch ? Watch(session, fleet, options) : RunOnce(session, fleet, options);
}
