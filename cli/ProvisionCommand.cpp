#include "cli/ProvisionCommand.h"

#include "cli/ConsoleEvents.h"
#include "cli/ExitCodes.h"
#include "cli/Tally.h"
#include "station/ProvisionTurn.h"

using station::Outcome;
using station::ProvisionResult;

namespace {

// The camera's exit code before its outcome line is written.
int ExitCodeOf(const ProvisionResult& result)
{
    return result.unknownSerial ? kExitUnknownSerial : ::ExitCodeOf(result.outcome);
}

// Shows the camera's line and writes its outcome line; the exit code of the
// camera, kExitAuditFailed when a line could not be written.
int Report(const Invocation& invocation, ProvisionResult result)
{
    if (result.outcome == Outcome::AuditFailed) {
        invocation.output.Error(result.auditError);  // the started line
    }
    const bool ok = result.failedStep.empty();
    nlohmann::ordered_json line = {
        {"serial", result.serial}, {"camera_id", result.cameraId}, {"outcome", ok ? "ok" : "failed"}};
    if (!ok) {
        line["step"] = result.failedStep;
        line["error"] = result.why;
    }
    const std::string shown = result.serial.empty() ? "-" : result.serial;
    const std::string id = result.cameraId.empty() ? "-" : result.cameraId;
    invocation.output.Result(line, shown + " " + id + " " + station::ProvisionOutcome(result));
    if (result.outcome == Outcome::AuditFailed) {
        return kExitAuditFailed;
    }
    const int exitCode = ExitCodeOf(result);
    station::RecordProvision(invocation.run, result);
    if (result.outcome == Outcome::AuditFailed) {
        invocation.output.Error(result.auditError);
        return kExitAuditFailed;
    }
    return exitCode;
}

int RunOnce(Invocation& invocation, const Fleet& fleet, const ProvisionOptions& options)
{
    const int connected = ConnectCamera(invocation);
    if (connected != kExitOk) {
        return connected;
    }
    return Report(invocation, station::ProvisionCamera(invocation.run, fleet, options.syncTime));
}

// Provisions every camera plugged in, one after the other.
int Watch(Invocation& invocation, const Fleet& fleet, const ProvisionOptions& options)
{
    Tally tally;
    ConsoleEvents events(invocation.output);
    // A camera under way is finished even after Ctrl+C: its steps take
    // well under a second, and a half-written camera helps nobody.
    const Outcome stopped = station::WatchCameras(
        invocation.host, invocation.stop, options.station,
        [&](station::TurnId, bool refused) {
            const ProvisionResult result = refused ? station::RefusedConnection()
                                                   : station::ProvisionCamera(invocation.run, fleet, options.syncTime);
            tally.Add(ExitCodeOf(result));
            return Report(invocation, result) == kExitAuditFailed ? Outcome::AuditFailed : Outcome::Ok;
        },
        events);
    if (stopped == Outcome::NoCamera) {
        return kExitNoCamera;
    }
    const std::string summary = std::to_string(tally.ok) + " provisioned, " + std::to_string(tally.failed)
                                + " failed";
    invocation.output.Result({{"provisioned", tally.ok}, {"failed", tally.failed}}, summary);
    return stopped == Outcome::AuditFailed ? kExitAuditFailed : tally.ExitCode();
}

}  // namespace

int RunProvision(Invocation& invocation, const Fleet& fleet, const ProvisionOptions& options)
{
    return options.station.watch ? Watch(invocation, fleet, options) : RunOnce(invocation, fleet, options);
}
