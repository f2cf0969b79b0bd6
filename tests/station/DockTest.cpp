// The dock's engine on scripted cameras: the tests wait for what the engine
// logs through the fake, never for time.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "station/Dock.h"
#include "station/DockSteps.h"

namespace station {
namespace {

const char* const kOutcomes[] = {"Ok", "Failed", "CardLost", "ArchiveFull", "SignInRefused", "NoCamera", "AuditFailed", "Stopped"};

// A camera of the dock; `fault` scripts one step: signin, begin, cardwait
// (waits for a stop), hold (the copy waits to be released or stopped),
// verifyhold, cardlost, record, format.
struct Camera {
    std::string serial;
    std::string fault;
    bool drive = false;
    bool released = false;
};

// The cameras in Init_Device's order, and a log of each step and event as
// "<what> <serial>[ <outcome>]".
class FakeDock : public StationEvents {
public:
    template <typename Body>
    auto Locked(Body body)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        changed_.notify_all();
        return body();
    }
    void Log(const std::string& line) { Locked([&] { log_.push_back(line); }); }
    void Await(const std::string& line, std::ptrdiff_t times = 1)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return std::count(log_.begin(), log_.end(), line) >= times; });
    }
    std::ptrdiff_t Count(const std::string& line) { return Locked([&] { return std::count(log_.begin(), log_.end(), line); }); }
    // Where `line` first is in the log; past its end when it is not.
    std::ptrdiff_t At(const std::string& line) { return Locked([&] { return std::find(log_.begin(), log_.end(), line) - log_.begin(); }); }
    void Release(const std::string& serial)
    {
        Locked([&] {
            for (Camera& camera : cameras) {
                camera.released = camera.released || camera.serial == serial;
            }
        });
    }
    std::unique_ptr<Dock> Start(bool formatAfter, unsigned maxCopies);

    void SafeToUnplug(TurnId turn, const std::string&) override { Event("safe", turn); }
    void CardFormatted(TurnId turn) override { Event("formatted", turn); }
    void StepStarted(TurnId turn, Step step) override { Event(step == Step::Verifying ? "verifying" : "step", turn); }
    void Finished(TurnId turn, Outcome outcome, const std::string&) override { Event("finished", turn, kOutcomes[int(outcome)]); }
    void RunEnded(Outcome outcome, const std::string&) override { Log(std::string("ended ") + kOutcomes[int(outcome)]); }

    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id worker;
    Camera* linked = nullptr;  // the worker's
    std::vector<std::string> serials{""};  // by turn
    std::list<Camera> cameras;  // all plugged in before the start

private:
    void Event(const std::string& what, TurnId turn, const std::string& outcome = "")
    {
        if (std::this_thread::get_id() == caller) {
            Log("event on the caller's thread");
        }
        Log(what + " " + Locked([&] { return serials.at(turn); }) + (outcome.empty() ? "" : " " + outcome));
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> log_;
};

class FakeTurn : public OffloadTurn {
public:
    FakeTurn(FakeDock& dock, Camera& camera) : dock_(dock), camera_(camera) {}

    StepResult SignIn(CameraIdentity&) override { return Step("signin", Outcome::SignInRefused); }
    StepResult BeginOffload() override { return Step("begin", Outcome::AuditFailed); }
    StepResult SwitchToCard(const StopSignal& stop) override
    {
        dock_.Locked([&] { camera_.drive = true; });
        dock_.Log("switch " + camera_.serial);
        while (camera_.fault == "cardwait" && !stop.WaitFor(1000)) {
        }
        return stop.Requested() ? StepResult{Outcome::Stopped, "stopped"} : StepResult{};
    }
    StepResult FormatCard() override
    {
        const bool linked = std::this_thread::get_id() == dock_.worker && dock_.linked == &camera_;
        return Step("format", Outcome::Failed, linked ? "" : " misdirected");
    }
    StepResult Copy(const StopSignal& stop, const ProgressSink& progress, std::string& bag) override
    {
        bag = camera_.serial + ".bag";
        if (camera_.fault == "verifyhold") {
            progress({custody::OffloadPhase::Verifying});
        }
        const StepResult copied = Step("copy", Outcome::CardLost, "", "cardlost");
        const bool holds = camera_.fault == "hold" || camera_.fault == "verifyhold";
        while (holds && !dock_.Locked([&] { return camera_.released; })) {
            if (stop.WaitFor(5)) {
                return {Outcome::Stopped, "stopped"};
            }
        }
        return copied;
    }
    StepResult RecordOffload(const StepResult& ended) override
    {
        return Step("record", Outcome::AuditFailed, std::string(" ") + kOutcomes[int(ended.outcome)]);
    }
    StepResult CheckBeforeFormat(const StopSignal&) override { return {}; }
    StepResult RecordFormat(const StepResult&) override { return {}; }

private:
    // Logs the step; fails it as `outcome` when it is the camera's fault.
    StepResult Step(const std::string& what, Outcome outcome, const std::string& more = "", const std::string& fault = "")
    {
        dock_.Log(what + " " + camera_.serial + more);
        return camera_.fault == (fault.empty() ? what : fault) ? StepResult{outcome, what + " failed"} : StepResult{};
    }

    FakeDock& dock_;
    Camera& camera_;
};

class ScriptedCameras : public DockCameras {
public:
    explicit ScriptedCameras(FakeDock& dock) : dock_(dock) {}

    Link Connect() override
    {
        const Link link = dock_.Locked([&] {
            dock_.worker = std::this_thread::get_id();
            const auto found = std::find_if(dock_.cameras.begin(), dock_.cameras.end(), [](const Camera& c) { return !c.drive; });
            dock_.linked = found == dock_.cameras.end() ? nullptr : &*found;
            return dock_.linked != nullptr ? Link::Camera : Link::NoCamera;
        });
        dock_.Log("connect");
        return link;
    }
    std::string ReadSerial() override { return dock_.linked->serial; }
    std::unique_ptr<OffloadTurn> NewTurn(TurnId turn, const std::string& serial) override
    {
        dock_.Locked([&] { dock_.serials.resize(turn + 1); dock_.serials[turn] = serial; });
        return std::make_unique<FakeTurn>(dock_, *dock_.linked);
    }

private:
    FakeDock& dock_;
};

std::unique_ptr<Dock> FakeDock::Start(bool formatAfter, unsigned maxCopies)
{
    DockSettings settings;
    settings.formatAfter = formatAfter;
    settings.maxCopies = maxCopies;
    settings.intervalMs = 1;
    auto dock = std::make_unique<Dock>(settings, *this, std::make_unique<ScriptedCameras>(*this));
    dock->Start();
    return dock;
}

TEST(Dock, CopiesSideBySideUpToTheLimitAndSaysSafeOnlyOnceRecorded)
{
    FakeDock fake;
    fake.cameras = {{"A", "hold"}, {"B", "hold"}, {"C", "hold"}};
    const auto dock = fake.Start(false, 2);
    fake.Await("copy A");
    fake.Await("copy B");  // while A's copy runs
    for (const std::string serial : {"A", "B", "C"}) {
        fake.Release(serial);
        fake.Await("finished " + serial + " Ok");
    }
    dock->RequestStop();
    dock->Wait();
    EXPECT_LT(fake.At("finished A Ok"), fake.At("signin C")) << "C waits for a free copy slot";
    for (const std::string serial : {"A", "B", "C"}) {
        EXPECT_LT(fake.At("record " + serial + " Ok"), fake.At("safe " + serial));
    }
    EXPECT_EQ(fake.Count("ended Stopped"), 1);
    EXPECT_EQ(fake.Count("event on the caller's thread"), 0);
}

// One camera, its fault, a stop once a line is logged, and what must then
// be logged and what never.
struct FaultRow {
    const char* fault;
    const char* stopAt;
    std::vector<std::string> logged;
    const char* never;
};

TEST(Dock, EachFaultEndsTheTurnOrTheRunAsItShould)
{
    const FaultRow rows[] = {
        {"signin", "", {"finished A SignInRefused"}, "begin A"},
        {"cardlost", "", {"record A CardLost", "finished A CardLost"}, "safe A"},
        {"begin", "", {"finished A AuditFailed", "ended AuditFailed"}, "switch A"},
        {"record", "", {"finished A AuditFailed", "ended AuditFailed"}, "safe A"},
        {"cardwait", "switch A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "copy A"},
        {"hold", "copy A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "safe A"},
        {"verifyhold", "verifying A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "safe A"},
    };
    for (const FaultRow& row : rows) {
        SCOPED_TRACE(row.fault);
        FakeDock fake;
        fake.cameras = {{"A", row.fault}};
        const auto dock = fake.Start(false, 4);
        if (*row.stopAt != '\0') {
            fake.Await(row.stopAt);
            dock->RequestStop();
        }
        for (const std::string& line : row.logged) {
            fake.Await(line);
        }
        if (row.logged.back().rfind("ended", 0) != 0) {
            fake.Await("connect", fake.Count("connect") + 3);  // the camera, still there or a drive, is passed over
        }
        dock->RequestStop();
        dock->Wait();
        EXPECT_EQ(fake.Count("signin A"), 1);
        EXPECT_EQ(fake.Count(row.never), 0);
    }
}

TEST(Dock, FormatsThroughTheWorkerWhileTheLinkStillNamesTheCamera)
{
    FakeDock fake;
    fake.cameras = {{"A", "hold"}, {"B", ""}};
    const auto dock = fake.Start(true, 4);
    fake.Await("copy A");
    fake.Release("A");
    fake.Await("safe A");
    fake.Await("safe B");
    dock->RequestStop();
    dock->Wait();
    EXPECT_LT(fake.At("format A"), fake.At("signin B")) << "no other camera is linked before A's format";
    EXPECT_LT(fake.At("formatted A"), fake.At("safe A"));
    EXPECT_LT(fake.At("formatted B"), fake.At("safe B"));
    EXPECT_EQ(fake.Count("format A misdirected") + fake.Count("format B misdirected"), 0);
}

}  // namespace
}  // namespace station
