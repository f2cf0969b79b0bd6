#include "station/Dock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "station/DockSteps.h"
#include "station/Secret.h"

namespace station {

namespace {

using Clock = std::chrono::steady_clock;

// Init_Device always finds the first camera plugged in, so one that stays
// plugged in after its turn failed hides the cameras behind it.
std::string UnplugAdvice(const std::string& why)
{
    return why + "; unplug the camera: it is tried again when it is plugged in again, and cameras plugged in "
                 "after it may not be reached while it stays";
}

Step StepOf(custody::OffloadPhase phase)
{
    switch (phase) {
    case custody::OffloadPhase::Verifying:
        return Step::Verifying;
    case custody::OffloadPhase::Sealing:
        return Step::Sealing;
    case custody::OffloadPhase::Checking:
    case custody::OffloadPhase::Copying:
        break;
    }
    return Step::Copying;
}

StepResult Stopped(const std::string& why)
{
    return {Outcome::Stopped, why};
}

}  // namespace

void WipeSecrets(DockSettings& settings)
{
    WipeText(settings.password);
    WipeText(settings.store.secretAccessKey);
    WipeText(settings.store.sessionToken);
}

class Dock::Run {
public:
    Run(DockSettings settings, StationEvents& events, std::unique_ptr<DockCameras> cameras)
        : settings_(std::move(settings)), events_(events), cameras_(std::move(cameras))
    {
        // The steps hold the secrets they need; the engine keeps no copy.
        WipeSecrets(settings_);
        settings_.maxCopies = std::max(settings_.maxCopies, 1u);
    }

    ~Run()
    {
        RequestStop();
        Wait();
    }

    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    void Start()
    {
        if (!worker_.joinable() && !stop_.Requested()) {
            worker_ = std::thread(&Run::Work, this);
        }
    }

    void RequestStop() { End(Outcome::Stopped, "the dock was stopped"); }

    void Wait()
    {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

private:
    struct CopyThread {
        TurnId turn = 0;
        std::thread thread;
        bool done = false;
    };

    // A copy's format, sent by the worker between turns.
    struct FormatRequest {
        OffloadTurn* steps = nullptr;
        std::optional<StepResult> answer;
    };

    // The first reason to end wins: an audit failure is not hidden by the
    // stop it causes.
    void End(Outcome outcome, const std::string& why)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!ended_) {
                ended_ = true;
                endOutcome_ = outcome;
                endWhy_ = why;
            }
        }
        stop_.Request();
        changed_.notify_all();
    }

    // A step that throws (out of memory in a 32-bit process) leaves the dock
    // in no known state: it stops, each copy at its next block.
    template <typename Body>
    void Guarded(Body body)
    {
        try {
            body();
        } catch (const std::exception& error) {
            End(Outcome::Failed, std::string("the dock failed: ") + error.what());
        }
    }

    void Work()
    {
        Guarded([this] {
            const StepResult opened = cameras_->Open(stop_);
            if (!opened.Ok()) {
                End(opened.outcome, opened.why);
                return;
            }
            Watch();
        });
        std::list<CopyThread> copies;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            workerDone_ = true;
            for (const std::shared_ptr<FormatRequest>& request : formats_) {
                request->answer = Stopped("stopped before the format");
            }
            formats_.clear();
            copies.swap(copies_);
        }
        changed_.notify_all();
        for (CopyThread& copy : copies) {
            copy.thread.join();
        }
        Outcome outcome = Outcome::Stopped;
        std::string why;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outcome = endOutcome_;
            why = endWhy_;
        }
        events_.RunEnded(outcome, why);
    }

    // Each camera found gets one turn per plugging. A camera whose turn
    // ended while it stayed a vendor device is found again and again by
    // Init_Device: its serial is passed over until the dock is seen empty.
    void Watch()
    {
        std::set<std::string> passedOver;
        bool refusalSaid = false;
        bool waitingSaid = false;
        Clock::time_point next = Clock::now();
        while (WaitForTurn(next)) {
            next = Clock::now() + std::chrono::milliseconds(settings_.intervalMs);
            const Link link = cameras_->Connect();
            if (link == Link::NoVendorLibrary) {
                End(Outcome::NoCamera, "the camera's USB library (NvUSB) was not found");
                return;
            }
            if (link == Link::NoCamera) {
                passedOver.clear();
                refusalSaid = false;
                if (!waitingSaid) {
                    events_.Waiting();
                }
                waitingSaid = true;
                continue;
            }
            if (link == Link::Refused) {
                if (!refusalSaid) {
                    Refuse(UnplugAdvice("the camera did not accept the connection"), Outcome::NoCamera);
                }
                refusalSaid = true;
                continue;
            }
            const std::string serial = cameras_->ReadSerial();
            if (passedOver.count(serial) != 0) {
                continue;
            }
            passedOver.insert(serial);
            waitingSaid = false;
            if (serial.empty()) {
                Refuse(UnplugAdvice("the camera did not tell its serial number"), Outcome::Failed);
                continue;
            }
            if (Offer(serial)) {
                passedOver.erase(serial);
            }
        }
    }

    // Waits until the worker may call Init_Device: the interval passed and a
    // copy slot free. Meanwhile sends the formats asked for. False on a stop.
    bool WaitForTurn(Clock::time_point next)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            ServeFormats(lock);
            ReapCopies();
            if (stop_.Requested()) {
                return false;
            }
            const bool blocked = copies_.size() >= settings_.maxCopies;
            if (!blocked && Clock::now() >= next) {
                return true;
            }
            const auto woken = [this] { return stop_.Requested() || !formats_.empty() || AnyCopyDone(); };
            if (blocked) {
                changed_.wait(lock, woken);
            } else {
                changed_.wait_until(lock, next, woken);
            }
        }
    }

    void ServeFormats(std::unique_lock<std::mutex>& lock)
    {
        while (!formats_.empty()) {
            const std::shared_ptr<FormatRequest> request = formats_.front();
            formats_.pop_front();
            StepResult answer = Stopped("stopped before the format");
            if (!stop_.Requested()) {
                lock.unlock();
                answer = request->steps->FormatCard();
                lock.lock();
            }
            request->answer = std::move(answer);
            changed_.notify_all();
        }
    }

    bool AnyCopyDone() const
    {
        return std::any_of(copies_.begin(), copies_.end(), [](const CopyThread& copy) { return copy.done; });
    }

    void ReapCopies()
    {
        for (auto copy = copies_.begin(); copy != copies_.end();) {
            if (!copy->done) {
                ++copy;
                continue;
            }
            copy->thread.join();  // it has returned, or is about to
            copy = copies_.erase(copy);
        }
    }

    // A camera that could not be offered a turn: told once per plugging.
    void Refuse(const std::string& why, Outcome outcome)
    {
        const TurnId turn = ++lastTurn_;
        events_.CameraFound(turn);
        events_.Finished(turn, outcome, why);
    }

    // The worker's part of a turn: sign-in to the card found. True when
    // the camera became a drive (its card handed to a copy thread).
    bool Offer(const std::string& serial)
    {
        const TurnId turn = ++lastTurn_;
        events_.CameraFound(turn);
        const std::shared_ptr<OffloadTurn> steps = cameras_->NewTurn(turn, serial);
        events_.StepStarted(turn, Step::SigningIn);
        CameraIdentity camera;
        const StepResult signedIn = steps->SignIn(camera);
        if (!signedIn.Ok()) {
            events_.Finished(turn, signedIn.outcome, UnplugAdvice(signedIn.why));
            return false;
        }
        events_.Identified(turn, camera);
        const StepResult begun = Audited([&] { return steps->BeginOffload(); });
        if (!Recorded(turn, begun)) {
            return false;
        }
        if (!begun.Ok()) {
            events_.Finished(turn, begun.outcome, UnplugAdvice(begun.why));
            return false;
        }
        const StepResult switched = SwitchToCard(turn, *steps);
        if (!switched.Ok()) {
            if (Recorded(turn, Audited([&] { return steps->RecordOffload(switched); }))) {
                const bool stopped = switched.outcome == Outcome::Stopped;
                events_.Finished(turn, switched.outcome, stopped ? switched.why : UnplugAdvice(switched.why));
            }
            return false;
        }
        if (!HandOver(turn, steps)) {
            const StepResult failed{Outcome::Failed, "no thread could be started for the copy"};
            if (Recorded(turn, Audited([&] { return steps->RecordOffload(failed); }))) {
                events_.Finished(turn, failed.outcome, failed.why);
            }
        }
        return true;
    }

    StepResult SwitchToCard(TurnId turn, OffloadTurn& steps)
    {
        if (stop_.Requested()) {
            return Stopped("stopped before the switch to USB storage");
        }
        events_.StepStarted(turn, Step::WaitingForCard);
        return steps.SwitchToCard(stop_);
    }

    // False when no thread could be had for the copy.
    bool HandOver(TurnId turn, const std::shared_ptr<OffloadTurn>& steps)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copies_.emplace_back();
        copies_.back().turn = turn;
        try {
            copies_.back().thread = std::thread([this, turn, steps] { CopyTurn(turn, *steps); });
        } catch (const std::system_error&) {
            copies_.pop_back();
            return false;
        }
        return true;
    }

    // A copy thread: the card to its outcome line, and the format.
    void CopyTurn(TurnId turn, OffloadTurn& steps)
    {
        Guarded([&] { FinishTurn(turn, steps); });
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (CopyThread& copy : copies_) {
                copy.done = copy.done || copy.turn == turn;
            }
        }
        changed_.notify_all();
    }

    void FinishTurn(TurnId turn, OffloadTurn& steps)
    {
        events_.StepStarted(turn, Step::Copying);
        Step shown = Step::Copying;
        const ProgressSink progress = [&](const custody::OffloadProgress& done) {
            if (StepOf(done.phase) != shown) {
                shown = StepOf(done.phase);
                events_.StepStarted(turn, shown);
            }
            events_.Progress(turn, done);
        };
        std::string bag;
        const StepResult copied = steps.Copy(stop_, progress, bag);
        if (!Recorded(turn, Audited([&] { return steps.RecordOffload(copied); }))) {
            return;
        }
        if (!copied.Ok()) {
            events_.Finished(turn, copied.outcome, copied.why);
            return;
        }
        StepResult formatted;
        if (settings_.formatAfter) {
            formatted = Format(turn, steps);
            if (formatted.outcome == Outcome::AuditFailed) {
                return;
            }
            if (!formatted.Ok()) {
                formatted.why = "the recordings are in the verified bag " + bag + "; the card was not formatted: "
                                + formatted.why;
            }
        }
        events_.SafeToUnplug(turn, bag);
        events_.Finished(turn, formatted.outcome, formatted.why);
    }

    // The check on the copy thread, the format command on the worker.
    StepResult Format(TurnId turn, OffloadTurn& steps)
    {
        events_.StepStarted(turn, Step::Formatting);
        StepResult begun = Audited([&] { return steps.BeginFormat(); });
        if (!Recorded(turn, begun)) {
            return begun;
        }
        const StepResult checked = steps.CheckCard(stop_);
        StepResult formatted = checked.Ok() ? FormatThroughWorker(steps) : checked;
        StepResult recorded = Audited([&] { return steps.RecordFormat(formatted); });
        if (!Recorded(turn, recorded)) {
            return recorded;
        }
        if (formatted.Ok()) {
            events_.CardFormatted(turn);
        }
        return formatted;
    }

    StepResult FormatThroughWorker(OffloadTurn& steps)
    {
        const auto request = std::make_shared<FormatRequest>();
        request->steps = &steps;
        std::unique_lock<std::mutex> lock(mutex_);
        if (workerDone_) {
            return Stopped("stopped before the format");
        }
        formats_.push_back(request);
        changed_.notify_all();
        changed_.wait(lock, [&request] { return request->answer.has_value(); });
        return *request->answer;
    }

    // One audit line at a time: the trail is a chain.
    template <typename Write>
    StepResult Audited(Write write)
    {
        std::lock_guard<std::mutex> lock(auditMutex_);
        return write();
    }

    // False, with the turn finished and the dock ended, when an audit line
    // could not be written: a dock that cannot record must not go on.
    bool Recorded(TurnId turn, const StepResult& result)
    {
        if (result.outcome != Outcome::AuditFailed) {
            return true;
        }
        events_.Finished(turn, Outcome::AuditFailed, result.why);
        End(Outcome::AuditFailed, result.why);
        return false;
    }

    DockSettings settings_;
    StationEvents& events_;
    StopSignal stop_;  // before the cameras, whose steps hold it
    const std::unique_ptr<DockCameras> cameras_;

    // The worker's own.
    TurnId lastTurn_ = 0;

    std::mutex auditMutex_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<CopyThread> copies_;
    std::deque<std::shared_ptr<FormatRequest>> formats_;
    bool workerDone_ = false;
    bool ended_ = false;
    Outcome endOutcome_ = Outcome::Stopped;
    std::string endWhy_;
    std::thread worker_;  // last: started when all above is ready
};

Dock::Dock(DockSettings settings, StationEvents& events, std::unique_ptr<DockCameras> cameras)
    : run_(std::make_unique<Run>(std::move(settings), events, std::move(cameras)))
{
}

Dock::~Dock() = default;

void Dock::Start()
{
    run_->Start();
}

void Dock::RequestStop()
{
    run_->RequestStop();
}

void Dock::Wait()
{
    run_->Wait();
}

}  // namespace station
