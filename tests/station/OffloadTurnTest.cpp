// One camera's offload as the station does it, on the fake host and clock,
// with fake cameras, a real card folder and archive: how the turn ends, the
// audit lines, which camera calls were made, and what the front end is
// told and when.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "FakeRun.h"
#include "station/OffloadTurn.h"
#include "station/SignIn.h"
#include "tests/cli/FakeCameras.h"
#include "tests/custody/TempFolder.h"

namespace {

using station::Outcome;

// What the front end was told, in order: "step:N", "progress", "formatted",
// "safe", "finished:N"; and whether the outcome line stood in the trail
// when the camera was said to be safe to unplug.
class RecordedEvents : public station::StationEvents {
public:
    void StepStarted(station::TurnId, station::Step step) override
    {
        seen.push_back("step:" + std::to_string(static_cast<int>(step)));
    }
    void Progress(station::TurnId, const custody::OffloadProgress& progress) override
    {
        if (seen.back() != "progress") {
            seen.push_back("progress");
        }
        if (onProgress) {
            onProgress(progress);
        }
    }
    void CardFormatted(station::TurnId) override { seen.push_back("formatted"); }
    void SafeToUnplug(station::TurnId, const std::string&) override
    {
        seen.push_back("safe");
        const std::vector<std::string> lines = g_system.Audited(kAudit);
        outcomeLineBeforeSafe = std::find(lines.begin(), lines.end(), "offload:ok") != lines.end();
    }
    void Finished(station::TurnId, Outcome outcome, const std::string&) override
    {
        seen.push_back("finished:" + std::to_string(static_cast<int>(outcome)));
    }

    std::vector<std::string> seen;
    bool outcomeLineBeforeSafe = false;
    std::function<void(const custody::OffloadProgress&)> onProgress;
};

struct Dock : FakeRun {
    Dock()
    {
        cameras.Plug();
        Put("DCIM/VID_0001.MP4", "recording");
    }

    void Put(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path path = std::filesystem::u8path(card.Path() + "/" + name);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    station::CameraOffload Offload(bool formatAfter, bool fromFolder = true)
    {
        std::string why;
        EXPECT_EQ(station::Connect(why), Outcome::Ok) << why;
        station::OffloadSettings settings;
        settings.archive = archive.Path();
        settings.card.from = fromFolder ? card.Path() : "";
        settings.card.waitSeconds = 2;
        settings.formatAfter = formatAfter;
        return station::OffloadCamera(run, settings, events, 1);
    }

    TempFolder card;
    TempFolder archive;
    TempFolder otherDrive;
    FakeCameras cameras;
    RecordedEvents events;
};

using DockSetup = std::function<void(Dock&)>;
const DockSetup kAsItIs = [](Dock&) {};

// The first of each line cut to the length of the one expected.
std::vector<std::string> Audited(const std::vector<std::string>& expected)
{
    std::vector<std::string> audited = g_system.Audited(kAudit);
    for (std::size_t i = 0; i < audited.size() && i < expected.size(); ++i) {
        audited[i].resize(std::min(audited[i].size(), expected[i].size()));
    }
    return audited;
}

TEST(OffloadTurn, EndsAsTheCameraTheCardAndTheTrailAllowAndSaysSoInTheTrail)
{
    const struct {
        const char* name;
        DockSetup setup;
        bool formatAfter;
        bool fromFolder;
        Outcome outcome;
        std::vector<std::string> audited;  // each line's start
        bool switched;                     // SetMSDC was called
        bool formatted;                    // FormatDecTF was called
    } cases[] = {
        // The drive appears as the camera switches: a look at the drives
        // after the switch would take it for one that was there before.
        {"from the drive that appears", [](Dock& d) { d.cameras.cameras[0].cardDrive = d.card.Path(); }, false,
         false, Outcome::Ok, {"offload:started", "offload:ok"}, true, false},
        {"a drive there before the switch is not the card", [](Dock& d) { g_system.drives[d.card.Path()] = 0; },
         false, false, Outcome::Failed,
         {"offload:started", "offload:failed at card: the card did not appear within 2 s"}, true, false},
        {"two new drives",
         [](Dock& d) {
             g_system.drives[d.card.Path()] = 300;
             g_system.drives[d.otherDrive.Path()] = 500;
         },
         false, false, Outcome::Failed,
         {"offload:started", "offload:failed at card: more than one new drive appeared ("}, true, false},
        {"a stop while waiting for the card", [](Dock& d) { d.cameras.interruptOn = "SetMSDC"; }, false, false,
         Outcome::Stopped, {"offload:started", "offload:failed at card: interrupted"}, true, false},
        {"switch refused", [](Dock& d) { d.cameras.cameras[0].failing.insert("SetMSDC"); }, false, true,
         Outcome::Failed, {"offload:started", "offload:failed at usb-storage"}, true, false},
        {"outcome line not written", [](Dock&) { g_system.appendsBeforeFailure = 1; }, false, true,
         Outcome::AuditFailed, {"offload:started"}, true, false},
        {"then formatted", kAsItIs, true, true, Outcome::Ok,
         {"offload:started", "offload:ok", "format:started", "format:ok"}, true, true},
        {"an empty card is never formatted",
         [](Dock& d) { std::filesystem::remove(d.card.Path() + "/DCIM/VID_0001.MP4"); }, true, true, Outcome::Failed,
         {"offload:started", "offload:ok", "format:started",
          "format:failed at check: the card is empty: nothing to format"},
         true, false},
        {"a stop before the format", [](Dock&) { g_system.interruptAtAppend = 3; }, true, true, Outcome::Failed,
         {"offload:started", "offload:ok", "format:started", "format:failed at format: interrupted"}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Dock dock;
        c.setup(dock);
        const station::CameraOffload offload = dock.Offload(c.formatAfter, c.fromFolder);
        EXPECT_EQ(offload.outcome, c.outcome) << offload.failedStep << ": " << offload.why;
        EXPECT_EQ(Audited(c.audited), c.audited);
        EXPECT_EQ(dock.cameras.Count("SetMSDC") != 0, c.switched);
        EXPECT_EQ(dock.cameras.Count("FormatDecTF") != 0, c.formatted);
        EXPECT_EQ(dock.events.seen.back(), "finished:" + std::to_string(static_cast<int>(c.outcome)));
        const bool safe = std::count(dock.events.seen.begin(), dock.events.seen.end(), "safe") != 0;
        EXPECT_EQ(safe, station::Offloaded(offload) && c.outcome != Outcome::AuditFailed);
        EXPECT_EQ(dock.events.outcomeLineBeforeSafe, safe) << "safe to unplug before the outcome line";
    }
}

// A stop mid-copy ends the copy at a block: what was verified stays in the
// .partial folder, which the outcome line names for the resume, and the
// camera is never said to be safe to unplug.
TEST(OffloadTurn, AStopMidCopyLeavesThePartialFolderRecorded)
{
    Dock dock;
    dock.Put("DCIM/VID_0002.MP4", std::string(3 << 20, 'x'));
    dock.Put("DCIM/VID_0003.MP4", std::string(3 << 20, 'y'));
    dock.events.onProgress = [&dock](const custody::OffloadProgress& progress) {
        if (progress.workDone > 0) {
            dock.stop.Request();
        }
    };

    const station::CameraOffload offload = dock.Offload(true);

    EXPECT_EQ(offload.outcome, Outcome::Stopped);
    ASSERT_FALSE(offload.copy.bag.empty());
    EXPECT_EQ(offload.copy.bag.substr(offload.copy.bag.size() - 8), ".partial");
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(offload.copy.bag)));
    const std::vector<std::string> lines = g_system.Lines(kAudit);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(nlohmann::json::parse(lines[1]).value("partial", ""), offload.copy.bag) << lines[1];
    EXPECT_EQ(dock.cameras.Count("FormatDecTF"), 0);
    EXPECT_EQ(std::count(dock.events.seen.begin(), dock.events.seen.end(), "safe"), 0);
}

}  // namespace
