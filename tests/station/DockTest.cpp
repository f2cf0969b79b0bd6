// The dock's engine on scripted cameras: the tests wait for what the engine
// does, logged by the fake, never for time.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "station/Dock.h"
#include "station/DockSteps.h"
#include "station/LocalDockCameras.h"
#include "tests/cli/FakeCameras.h"
#include "tests/cli/FakeHost.h"
#include "tests/station/LoggedEvents.h"
#include "tests/custody/TempFolder.h"

namespace station {
namespace {

// Cameras as serial and fault, in Init_Device's order. A fault fails the
// connection (refused, novendor) or one step (signin, begin, copy: the card
// is lost, record, format), or holds one until the dock stops (cardwait) or
// the test releases the copy (hold, verifyhold).
class FakeDock : public LoggedEvents, public DockCameras {
public:
    Link Connect() override
    {
        Log("connect");
        return Locked([&] {
            worker = std::this_thread::get_id();
            const auto plugged = [&](const auto& camera) { return drives.count(camera.first) == 0; };
            const auto found = std::find_if(cameras.begin(), cameras.end(), plugged);
            linked = found == cameras.end() ? "" : found->first;
            const std::string fault = found == cameras.end() ? "" : found->second;
            if (linked.empty()) {
                return Link::NoCamera;
            }
            return fault == "refused" ? Link::Refused : fault == "novendor" ? Link::NoVendorLibrary : Link::Camera;
        });
    }
    std::string ReadSerial() override { return linked; }
    std::unique_ptr<OffloadTurn> NewTurn(TurnId turn, const std::string& serial) override;
    void Release(const std::string& serial) { Locked([&] { released.insert(serial); }); }

    std::thread::id worker;
    std::string linked;                                      // the worker's
    std::vector<std::pair<std::string, std::string>> cameras;  // set before the start
    std::set<std::string> drives;                            // cameras switched to storage
    std::set<std::string> released;                          // copies that may end
};

class FakeTurn : public OffloadTurn {
public:
    FakeTurn(FakeDock& dock, std::string serial, std::string fault)
        : dock_(dock), serial_(std::move(serial)), fault_(std::move(fault)) {}

    StepResult SignIn(CameraIdentity&) override { return Step("signin", Outcome::SignInRefused); }
    StepResult BeginOffload() override { return Step("begin", Outcome::AuditFailed); }
    StepResult SwitchToCard(const StopSignal& stop) override
    {
        dock_.Locked([&] { dock_.drives.insert(serial_); });
        dock_.Log("switch " + serial_);
        while (fault_ == "cardwait" && !stop.WaitFor(1000)) {
        }
        return stop.Requested() ? StepResult{Outcome::Stopped, "stopped"} : StepResult{};
    }
    StepResult FormatCard() override
    {
        return Step("format", Outcome::Failed, std::this_thread::get_id() == dock_.worker ? "" : " off the worker");
    }
    StepResult Copy(const StopSignal& stop, const ProgressSink& progress, std::string& bag) override
    {
        bag = serial_ + ".bag";
        if (fault_ == "verifyhold") {
            progress({custody::OffloadPhase::Verifying});
        }
        StepResult copied = Step("copy", Outcome::CardLost);
        const bool holds = fault_ == "hold" || fault_ == "verifyhold";
        while (holds && !dock_.Locked([&] { return dock_.released.count(serial_) != 0; })) {
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
    StepResult BeginFormat() override { return {}; }
    StepResult CheckCard(const StopSignal&) override { return {}; }
    StepResult RecordFormat(const StepResult&) override { return {}; }

private:
    // Logs the step; fails it as `outcome` when it is the camera's fault.
    StepResult Step(const std::string& what, Outcome outcome, const std::string& more = "")
    {
        dock_.Log(what + " " + serial_ + more);
        return fault_ == what ? StepResult{outcome, what + " failed"} : StepResult{};
    }

    FakeDock& dock_;
    const std::string serial_;
    const std::string fault_;
};

std::unique_ptr<OffloadTurn> FakeDock::NewTurn(TurnId turn, const std::string& serial)
{
    Locked([&] { serials[turn] = serial; });
    const auto camera =
        std::find_if(cameras.begin(), cameras.end(), [&](const auto& found) { return found.first == serial; });
    return std::make_unique<FakeTurn>(*this, serial, camera->second);
}

// The dock owns its fake: the fake lives until the dock's threads have ended.
class DockTest : public testing::Test {
protected:
    FakeDock& Start(std::vector<std::pair<std::string, std::string>> cameras, bool formatAfter, unsigned maxCopies)
    {
        dock_.reset();
        auto fake = std::make_unique<FakeDock>();
        FakeDock& events = *fake;
        fake->cameras = std::move(cameras);
        DockSettings settings;
        settings.formatAfter = formatAfter;
        settings.maxCopies = maxCopies;
        settings.intervalMs = 1;
        dock_ = std::make_unique<Dock>(settings, events, std::move(fake));
        dock_->Start();
        return events;
    }
    void Stop()
    {
        dock_->RequestStop();
        dock_->Wait();
    }

    std::unique_ptr<Dock> dock_;
};

TEST_F(DockTest, CopiesSideBySideUpToTheLimitAndSaysSafeOnlyOnceRecorded)
{
    FakeDock& fake = Start({{"A", "hold"}, {"B", "hold"}, {"C", "hold"}}, false, 2);
    fake.Await("switch B");  // while A's copy runs
    for (const std::string serial : {"A", "B", "C"}) {
        fake.Release(serial);
        fake.Await("finished " + serial + " Ok");
    }
    Stop();
    EXPECT_LT(fake.At("finished A Ok"), fake.At("signin C")) << "C waits for a free copy slot";
    for (const std::string serial : {"A", "B", "C"}) {
        EXPECT_LT(fake.At("record " + serial + " Ok"), fake.At("safe " + serial));
    }
    EXPECT_EQ(fake.Count("ended Stopped"), 1);
}

// One camera, its fault, a stop once a line is logged, and what must then
// be logged and what never.
struct FaultRow {
    const char* fault;
    const char* stopAt;
    std::vector<std::string> logged;
    const char* never;
};

TEST_F(DockTest, EachFaultEndsTheTurnOrTheRunAsItShould)
{
    const FaultRow rows[] = {
        {"refused", "", {"finished  NoCamera"}, "signin A"},
        {"novendor", "", {"ended NoCamera"}, "signin A"},
        {"signin", "", {"finished A SignInRefused"}, "begin A"},
        {"copy", "", {"record A CardLost", "finished A CardLost"}, "safe A"},
        {"begin", "", {"finished A AuditFailed", "ended AuditFailed"}, "switch A"},
        {"record", "", {"finished A AuditFailed", "ended AuditFailed"}, "safe A"},
        {"cardwait", "switch A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "copy A"},
        {"hold", "copy A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "safe A"},
        {"verifyhold", "verifying A", {"record A Stopped", "finished A Stopped", "ended Stopped"}, "safe A"},
    };
    for (const FaultRow& row : rows) {
        SCOPED_TRACE(row.fault);
        FakeDock& fake = Start({{"A", row.fault}}, false, 4);
        if (*row.stopAt != '\0') {
            fake.Await(row.stopAt);
            dock_->RequestStop();
        }
        for (const std::string& line : row.logged) {
            fake.Await(line);
        }
        if (row.logged.back().rfind("ended", 0) != 0) {
            fake.Await("connect", fake.Count("connect") + 3);  // the camera, still there or a drive, is passed over
        }
        Stop();
        for (const std::string& line : row.logged) {
            EXPECT_EQ(fake.Count(line), 1) << line;
        }
        EXPECT_LE(fake.Count("signin A"), 1);
        EXPECT_EQ(fake.Count(row.never), 0);
    }
}

TEST_F(DockTest, AnAuditLineThatCannotBeWrittenStopsTheOtherCopiesWithTheirLines)
{
    FakeDock& fake = Start({{"B", "hold"}, {"A", "record"}}, false, 4);
    fake.Await("ended AuditFailed");
    dock_->Wait();
    EXPECT_EQ(fake.Count("record B Stopped"), 1);
    EXPECT_EQ(fake.Count("finished B Stopped"), 1);
    EXPECT_EQ(fake.Count("safe B"), 0);
}

// With the format on too, the copies run side by side (B is offloaded while
// A's copy holds) and each format is sent by the worker.
TEST_F(DockTest, FormatsThroughTheWorkerWhileOtherCopiesRun)
{
    FakeDock& fake = Start({{"A", "hold"}, {"B", ""}}, true, 4);
    fake.Await("safe B");
    fake.Release("A");
    fake.Await("safe A");
    Stop();
    EXPECT_LT(fake.At("formatted A"), fake.At("safe A"));
    EXPECT_LT(fake.At("formatted B"), fake.At("safe B"));
    EXPECT_EQ(fake.Count("format A off the worker") + fake.Count("format B off the worker"), 0);
}

// Each copy goes on only once the last camera is identified: by the time of
// the formats, the link has moved on from the first two cameras.
class CopiesAfterTheLastSignIn : public LoggedEvents {
public:
    void Progress(TurnId, const custody::OffloadProgress&) override { Await("identified SIM-C"); }
};

// The dock on the station's own steps, with three cameras in the dock at
// once, each a drive once switched (Init_Device then finds the next): every
// card copied into its bag and formatted on its own camera, though the link
// named another camera by the time of the format.
TEST(LocalDock, FormatsEachCardOnItsOwnCameraThroughItsLink)
{
    ResetFakeSystem();
    FakeHost host;
    FakeCameras cameras;
    cameras.storageModeHides = true;
    TempFolder archive;
    std::vector<std::unique_ptr<TempFolder>> cards;
    const std::vector<std::string> serials = {"SIM-A", "SIM-B", "SIM-C"};
    for (const std::string& serial : serials) {
        cards.push_back(std::make_unique<TempFolder>());
        std::ofstream(cards.back()->Path() + "/VID_0001.MP4", std::ios::binary) << "recording of " << serial;
        FakeCamera& camera = cameras.Plug();
        camera.serial = serial;
        camera.cardDrive = cards.back()->Path();
    }
    DockSettings settings;
    settings.archive = archive.Path();
    settings.auditPath = "audit.jsonl";
    settings.password = "888888";
    settings.maxCopies = 3;
    settings.intervalMs = 1;
    CopiesAfterTheLastSignIn events;
    {
        Dock dock(settings, events, NewLocalDockCameras(settings, host, cameras.Links(), "OrvaneDock test"));
        dock.Start();
        for (const std::string& serial : serials) {
            events.Await("safe " + serial);
        }
    }
    for (const std::string& serial : serials) {
        EXPECT_EQ(events.Count("finished " + serial + " Ok"), 1) << serial;
    }
    std::map<int, int> formatsByCamera;
    for (const FakeCall& call : cameras.calls) {
        if (call.function == "FormatDecTF") {
            ++formatsByCamera[call.camera];
        }
    }
    EXPECT_EQ(formatsByCamera, (std::map<int, int>{{0, 1}, {1, 1}, {2, 1}}));
    const std::vector<std::string> audited = g_system.Audited("audit.jsonl");
    EXPECT_EQ(std::count(audited.begin(), audited.end(), "offload:ok"), 3);
    EXPECT_EQ(std::count(audited.begin(), audited.end(), "format:ok"), 3);
}

}  // namespace
}  // namespace station
