#include "cli/Provision.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "cli/ExitCodes.h"
#include "cli/Platform.h"
#include "core/CodePages.h"

namespace {

using json = nlohmann::ordered_json;

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

// Everything after the connect, in order; stops at the first step that fails.
CameraResult ProvisionConnected(const Session& session, const Fleet& fleet, const StationOptions& options)
{
    CameraResult result;
    if (!camera::SignIn(session.account(), session.password)) {
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
    if (options.syncTime && !camera::SyncTime()) {
        return Failed(result, "sync-time", "the camera refused the clock");
    }
    IdentityRecord before{};
    if (!camera::ReadIdentity(before)) {
        return Failed(result, "identity.read", "could not read the identity record");
    }
    result.details["before"] = IdentityJson(before);
    IdentityRecord wanted{};
    if (BuildIdentityRecord(row->second.identity, wanted) != BuildResult::Ok) {
        return Failed(result, "identity.build", "the row's identity does not fit the record");
    }
    IdentityRecord after{};
    const camera::VerifiedWrite written = camera::WriteIdentityAndVerify(wanted, after);
    if (written == camera::VerifiedWrite::Refused) {
        return Failed(result, "identity.write", camera::Describe(written));
    }
    if (written == camera::VerifiedWrite::ReadBackFailed) {
        return Failed(result, "identity.verify", camera::Describe(written));
    }
    result.details["after"] = IdentityJson(after);
    if (written == camera::VerifiedWrite::Differs) {
        return Failed(result, "identity.verify", camera::Describe(written));
    }
    return result;
}

void Report(const Session& session, const CameraResult& result)
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
    if (!session.audit.Record(result.serial, "provision", outcome, result.details)) {
        session.output.Error("the audit line for " + shown + " could not be written");
    }
}

// Sleeps `ms` in short slices; false when interrupted.
bool Wait(unsigned ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (platform::Interrupted()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10u)));
    }
    return !platform::Interrupted();
}

enum class Arrival { Camera, Interrupted, NoVendorLibrary };

// Waits for a camera to appear, trying every `intervalMs`.
Arrival WaitForCamera(unsigned intervalMs)
{
    for (;;) {
        if (platform::Interrupted()) {
            return Arrival::Interrupted;
        }
        const Connection connection = camera::Connect();
        if (connection == Connection::Connected) {
            return Arrival::Camera;
        }
        if (connection == Connection::NoVendorLibrary) {
            return Arrival::NoVendorLibrary;
        }
        if (!Wait(intervalMs)) {
            return Arrival::Interrupted;
        }
    }
}

// A camera is unplugged once a read fails.
void WaitForUnplug(unsigned intervalMs)
{
    std::string serial;
    while (camera::ReadSerial(serial) && Wait(intervalMs)) {
    }
}

int RunOnce(Session& session, const Fleet& fleet, const StationOptions& options)
{
    const int connected = ConnectCamera(session);
    if (connected != kExitOk) {
        return connected;
    }
    const CameraResult result = ProvisionConnected(session, fleet, options);
    Report(session, result);
    return result.exitCode;
}

}  // namespace

int RunProvision(Session& session, const Fleet& fleet, const StationOptions& options)
{
    if (!options.watch) {
        return RunOnce(session, fleet, options);
    }
    platform::CatchInterrupt();
    unsigned provisioned = 0;
    unsigned failed = 0;
    bool onlyUnknown = true;
    while (options.count == 0 || provisioned + failed < options.count) {
        const Arrival arrival = WaitForCamera(options.intervalMs);
        if (arrival == Arrival::NoVendorLibrary) {
            // No camera can ever come: the station cannot work here.
            return ConnectCamera(session);
        }
        if (arrival == Arrival::Interrupted) {
            break;
        }
        // A camera already under way is finished even after Ctrl+C: its steps
        // take well under a second, and a half-written camera helps nobody.
        const CameraResult result = ProvisionConnected(session, fleet, options);
        Report(session, result);
        if (result.failedStep.empty()) {
            ++provisioned;
        } else {
            ++failed;
            onlyUnknown = onlyUnknown && result.exitCode == kExitUnknownSerial;
        }
        if (options.count != 0 && provisioned + failed >= options.count) {
            break;
        }
        WaitForUnplug(options.intervalMs);
    }
    const std::string summary = std::to_string(provisioned) + " provisioned, " + std::to_string(failed) + " failed";
    session.output.Result({{"provisioned", provisioned}, {"failed", failed}}, summary);
    if (failed == 0) {
        return kExitOk;
    }
    return onlyUnknown ? kExitUnknownSerial : kExitFailed;
}
