#include "cli/OffloadCommand.h"

#include <algorithm>
#include <memory>

#include "cli/ConsoleEvents.h"
#include "cli/ExitCodes.h"
#include "cli/OffloadReport.h"
#include "cli/Output.h"
#include "cli/Tally.h"
#include "platform/FileSystem.h"
#include "station/CardFormat.h"
#include "station/SignIn.h"

using station::CameraOffload;
using station::CardOptions;
using station::Outcome;

namespace {

constexpr std::uint64_t kProgressEveryMs = 200;

// One line on standard error, rewritten in place, when it is a console.
class ProgressDisplay {
public:
    explicit ProgressDisplay(platform::Host& host)
        : host_(host), shown_(platform::ErrorIsConsole()), start_(host.SteadyMilliseconds())
    {
    }
    ~ProgressDisplay() { Clear(); }

    void Show(const custody::OffloadProgress& progress)
    {
        if (!shown_) {
            return;
        }
        const std::uint64_t now = host_.SteadyMilliseconds();
        if (width_ != 0 && now - last_ < kProgressEveryMs) {
            return;
        }
        last_ = now;
        std::string line = ProgressLine(progress, now - start_);
        const std::size_t width = line.size();
        line.resize(std::max(width, width_), ' ');
        width_ = width;
        platform::WriteError("\r" + line);
    }

    void Clear()
    {
        if (width_ != 0) {
            platform::WriteError("\r" + std::string(width_, ' ') + "\r");
            width_ = 0;
        }
    }

private:
    platform::Host& host_;
    const bool shown_;
    const std::uint64_t start_;
    std::uint64_t last_ = 0;
    std::size_t width_ = 0;
};

// The dock at the console: also the progress line of the copy, and its
// words while it waits.
class DockEvents : public ConsoleEvents {
public:
    DockEvents(platform::Host& host, const Output& output) : ConsoleEvents(output), host_(host) {}

    void Waiting() override { platform::WriteError("waiting for a camera (Ctrl+C stops the dock)\n"); }
    void StepStarted(station::TurnId, station::Step step) override
    {
        if (step == station::Step::Copying && !display_) {
            display_.reset(new ProgressDisplay(host_));
        }
    }
    void Progress(station::TurnId, const custody::OffloadProgress& progress) override
    {
        if (display_) {
            display_->Show(progress);
        }
    }
    // The copy is over: its progress line goes.
    void EndCopy() { display_.reset(); }

private:
    platform::Host& host_;
    std::unique_ptr<ProgressDisplay> display_;
};

// One camera, connected: copied, recorded, formatted when asked, reported.
// Its exit code.
int OffloadConnected(const Invocation& invocation, const OffloadOptions& options, DockEvents& events,
                     station::TurnId turn)
{
    const CameraOffload offload = station::OffloadCamera(invocation.run, options, events, turn);
    events.EndCopy();
    if (!offload.auditError.empty()) {
        invocation.output.Error(offload.auditError);
    }
    invocation.output.Result(OffloadJson(offload), OffloadLine(offload));
    return ExitCodeOf(offload.outcome);
}

// The dock: every camera plugged in is offloaded, then the operator is asked
// to unplug it.
int RunDock(const Invocation& invocation, const OffloadOptions& options)
{
    Tally tally;
    DockEvents events(invocation.host, invocation.output);
    const Outcome stopped = station::WatchCameras(
        invocation.host, invocation.stop, options.station,
        [&](station::TurnId turn, bool refused) {
            CameraOffload offload;
            if (refused) {
                offload.failedStep = "connect";
                offload.why = station::kConnectionRefused;
                offload.outcome = Outcome::NoCamera;
                invocation.output.Result(OffloadJson(offload), OffloadLine(offload));
            }
            const int exitCode = refused ? kExitNoCamera : OffloadConnected(invocation, options, events, turn);
            tally.Add(exitCode);
            platform::WriteError("unplug the camera\n");
            return exitCode == kExitAuditFailed ? Outcome::AuditFailed : Outcome::Ok;
        },
        events);
    if (stopped == Outcome::NoCamera) {
        return kExitNoCamera;
    }
    invocation.output.Result({{"offloaded", tally.ok}, {"failed", tally.failed}},
                             std::to_string(tally.ok) + " offloaded, " + std::to_string(tally.failed) + " failed");
    return stopped == Outcome::AuditFailed ? kExitAuditFailed : tally.ExitCode();
}

// Without drive letters the card can only be named.
bool CardFindable(platform::Host& host, const CardOptions& card)
{
    if (card.from.empty() && !host.HasDriveLetters()) {
        WriteErrorLine("this system has no drive letters; name the card's folder with --from");
        return false;
    }
    return true;
}

}  // namespace

int CheckOffloadInput(platform::Host& host, const OffloadOptions& options)
{
    return CardFindable(host, options.card) ? kExitOk : kExitUsage;
}

int RunOffload(Invocation& invocation, const OffloadOptions& given)
{
    OffloadOptions options = given;
    if (!options.place) {
        options.archive = invocation.host.FullPath(given.archive);
    }
    invocation.run.anchors = options.place.get();
    if (options.station.watch) {
        return RunDock(invocation, options);
    }
    const int connected = ConnectCamera(invocation);
    if (connected != kExitOk) {
        return connected;
    }
    DockEvents events(invocation.host, invocation.output);
    return OffloadConnected(invocation, options, events, 1);
}

int CheckOffloadedTo(platform::Host& host, const CardOptions& card)
{
    return CardFindable(host, card) ? kExitOk : kExitUsage;
}

int RunFormatOffloaded(Invocation& invocation, const station::Archive& archive, const CardOptions& cardOptions)
{
    invocation.run.anchors = &archive;
    const int opened = OpenCamera(invocation);
    if (opened != kExitOk) {
        return opened;
    }
    std::string serial;
    if (!camera::ReadSerial(serial)) {
        invocation.output.Error("could not read the serial number");
        return kExitFailed;
    }
    const nlohmann::ordered_json details = {{"archive", archive.Name()}};
    const int started = BeginChange(invocation, serial, "format", details);
    if (started != kExitOk) {
        return started;
    }
    std::string card;
    std::string step;
    std::string why;
    if (!station::SwitchToStorage(invocation.run, cardOptions, card, step, why)) {
        invocation.output.Error("card not formatted: " + why);
        return EndChange(invocation, serial, "format", "failed at " + step + ": " + why, details, kExitFailed);
    }
    const station::FormatOutcome outcome = station::FormatCheckedCard(invocation.run, serial, archive, card);
    if (!outcome.recorded) {
        invocation.output.Error(outcome.auditError);
    }
    switch (outcome.end) {
    case station::FormatEnd::Formatted:
        invocation.output.Result(
            {{"serial", serial}, {"action", "format"}, {"outcome", "ok"}, {"offloaded_to", outcome.bag}},
            "card formatted; its recordings are in " + outcome.bag);
        break;
    case station::FormatEnd::Refused:
    case station::FormatEnd::NotSent:
        invocation.output.Error("card not formatted: " + outcome.why);
        break;
    case station::FormatEnd::CameraRefused:
        invocation.output.Error("the camera refused: format");
        break;
    case station::FormatEnd::CameraSilent:
        invocation.output.Error("the camera does not answer in USB storage mode: format");
        break;
    }
    if (!outcome.recorded) {
        return kExitAuditFailed;
    }
    return outcome.end == station::FormatEnd::Formatted ? kExitOk : kExitFailed;
}
