// offload as the dock runs it, against fake cameras on the fake clock, with
// a real card folder and archive: exit code, result line, audit lines, and
// which camera calls were made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "FakeCameras.h"
#include "FakePlatform.h"
#include "tests/custody/TempFolder.h"

namespace {

const std::string kAudit = "audit.jsonl";

struct Dock {
    TempFolder card;
    TempFolder archive;
    TempFolder otherDrive;
    FakeCameras cameras;
};

using DockSetup = std::function<void(Dock&)>;
const DockSetup kAsItIs = [](Dock&) {};
DockSetup DrivesAt(std::uint64_t cardAt, std::uint64_t otherAt = UINT64_MAX)
{
    return [=](Dock& dock) {
        g_system.drives[dock.card.Path()] = cardAt;
        if (otherAt != UINT64_MAX) {
            g_system.drives[dock.otherDrive.Path()] = otherAt;
        }
    };
}
DockSetup Failing(const char* function)
{
    return [function](Dock& dock) { dock.cameras.cameras[0].failing.insert(function); };
}

const std::vector<std::string> kStarted = {"offload:started"};
const std::vector<std::string> kOffloaded = {"offload:started", "offload:ok"};

const std::string kCardLate = "offload:failed at card: the card did not appear within 2 s";

TEST(OffloadCommand, AnswersWithItsExitCodeResultAndAuditLines)
{
    const std::string bag = "SIM00000000000000001 CAM0001 ok 1 files 9 bytes ";
    const struct {
        const char* name;
        std::vector<std::string> options;  // after offload --to ARCHIVE; "FROM" stands for --from CARD
        DockSetup setup;
        int exitCode;
        std::string shown;  // in standard output or standard error
        std::vector<std::string> audited;  // each line's start
        bool switched;                     // SetMSDC was called
    } cases[] = {
        {"from a folder", {"FROM"}, kAsItIs, 0, bag, kOffloaded, true},
        {"from the drive that appears", {}, DrivesAt(600), 0, bag, kOffloaded, true},
        {"a drive there before the switch is not the card", {"--card-wait", "2"}, DrivesAt(0), 1,
         "failed at card: the card did not appear within 2 s", {"offload:started", kCardLate}, true},
        {"two new drives", {}, DrivesAt(300, 500), 1, "more than one new drive appeared",
         {"offload:started", "offload:failed at card: more than one new drive appeared ("}, true},
        {"Ctrl+C while waiting for the card", {}, [](Dock& dock) { dock.cameras.interruptOn = "SetMSDC"; }, 1,
         "failed at card: interrupted while waiting for the card",
         {"offload:started", "offload:failed at card: interrupted"}, true},
        {"then formatted", {"FROM", "--format-after"}, kAsItIs, 0, ", card formatted",
         {"offload:started", "offload:ok", "format:started", "format:ok"}, true},
        {"a camera silent in storage mode", {"--format-after"},
         [](Dock& dock) { DrivesAt(250)(dock); dock.cameras.cameras[0].unpluggedAt = 100; }, 1,
         "does not answer in USB storage mode; the recordings are safe in the bag /",
         {"offload:started", "offload:ok", "format:started", "format:failed: the camera did not answer"}, true},
        {"switch refused", {"FROM"}, Failing("SetMSDC"), 1, "failed at usb-storage",
         {"offload:started", "offload:failed at usb-storage"}, true},
        {"sign-in refused", {"FROM"}, [](Dock& dock) { dock.cameras.cameras[0].adminPassword = "123456"; }, 4,
         "failed at sign-in", {"offload:failed at sign-in: the camera refused the sign-in"}, false},
        {"connection refused", {"FROM"}, [](Dock& dock) { dock.cameras.cameras[0].refusesConnection = true; }, 3,
         "the camera did not accept the connection", {}, false},
        {"started line not written", {"FROM"}, [](Dock&) { g_system.appendsBeforeFailure = 0; }, 6,
         "nothing was changed", {}, false},
        {"outcome line not written", {"FROM"}, [](Dock&) { g_system.appendsBeforeFailure = 1; }, 6,
         "the change was made but not recorded", kStarted, true},
        {"a dock of two cameras", {"FROM", "--watch", "--count", "2"},
         [](Dock& dock) { dock.cameras.cameras[0].unpluggedAt = 1000; dock.cameras.Plug(2000); }, 0,
         "2 offloaded, 0 failed", {"offload:started", "offload:ok", "offload:started", "offload:ok"}, true},
        {"no archive", {"FROM", "NO-ARCHIVE"}, kAsItIs, 2, "does not exist", {}, false},
        {"a file for an archive", {"FROM", "FILE-ARCHIVE"}, kAsItIs, 2, "is not a folder", {}, false},
        {"no drive letters", {}, [](Dock&) { g_system.driveLetters = false; }, 2, "name the card's folder with --from",
         {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetFakeSystem();
        g_system.environment["ORVANE_PASSWORD"] = "888888";
        Dock dock;
        dock.cameras.Plug();
        std::ofstream(dock.card.Path() + "/VID_0001.MP4", std::ios::binary) << "recording";
        c.setup(dock);
        std::vector<std::string> arguments = {"--audit", kAudit, "offload"};
        std::string archive = dock.archive.Path();
        for (const std::string& option : c.options) {
            if (option == "FROM") {
                arguments.insert(arguments.end(), {"--from", dock.card.Path()});
            } else if (option == "NO-ARCHIVE") {
                archive += "/none";
            } else if (option == "FILE-ARCHIVE") {
                archive = dock.card.Path() + "/VID_0001.MP4";
            } else {
                arguments.push_back(option);
            }
        }
        arguments.insert(arguments.end(), {"--to", archive});

        EXPECT_EQ(RunTool(arguments), c.exitCode) << g_system.output << g_system.errors;
        const std::string shown = g_system.output + g_system.errors;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        std::vector<std::string> audited = g_system.Audited(kAudit);
        for (std::size_t i = 0; i < audited.size() && i < c.audited.size(); ++i) {
            audited[i].resize(std::min(audited[i].size(), c.audited[i].size()));
        }
        EXPECT_EQ(audited, c.audited);
        EXPECT_EQ(dock.cameras.Count("SetMSDC") != 0, c.switched);
        const bool formatAudited = std::count(c.audited.begin(), c.audited.end(), "format:started") != 0;
        EXPECT_EQ(dock.cameras.Count("FormatDecTF") != 0, formatAudited) << "a format without its lines";
        for (const auto& entry : std::filesystem::directory_iterator(dock.archive.Path())) {
            EXPECT_EQ(entry.path().filename().u8string(), "SIM00000000000000001") << "the archive check left a trace";
        }
    }
}

}  // namespace
