// offload and format --offloaded-to as the command line runs them, against
// fake cameras on the fake clock, with a real card folder and archive: exit
// code, result line, audit lines, and which camera calls were made. The
// steps of one camera's offload are the station's (tests/station).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "FakeCameras.h"
#include "FakePlatform.h"
#include "core/Hash.h"
#include "custody/Bag.h"
#include "tests/custody/TempFolder.h"

namespace {

const std::string kAudit = "audit.jsonl";
const std::string kSerial = "SIM00000000000000001";
const std::string kBagName = "20261208T000000Z";  // an offload at the fake clock's start

struct Dock {
    TempFolder card;
    TempFolder archive;
    FakeCameras cameras;

    std::string Bag(const std::string& name = kBagName) const { return archive.Path() + "/" + kSerial + "/" + name; }
};

// The tool's arguments: `words` (the command), then `options`, where FROM
// stands for --from CARD, NO-ARCHIVE and FILE-ARCHIVE for an archive that
// is none, NO-AUDIT for --no-audit; then `archiveOption` ARCHIVE.
std::vector<std::string> Arguments(const Dock& dock, const std::vector<std::string>& words,
                                   const std::vector<std::string>& options, const std::string& archiveOption)
{
    std::vector<std::string> arguments = {"--audit", kAudit};
    std::string archive = dock.archive.Path();
    std::vector<std::string> rest;
    for (const std::string& option : options) {
        if (option == "FROM") {
            rest.insert(rest.end(), {"--from", dock.card.Path()});
        } else if (option == "NO-ARCHIVE") {
            archive += "/none";
        } else if (option == "FILE-ARCHIVE") {
            archive = dock.card.Path() + "/VID_0001.MP4";
        } else if (option == "NO-AUDIT") {
            arguments = {"--no-audit"};
        } else {
            rest.push_back(option);
        }
    }
    arguments.insert(arguments.end(), words.begin(), words.end());
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    arguments.insert(arguments.end(), {archiveOption, archive});
    return arguments;
}

// The lines of `path` from `first` on, each cut to the length of the line
// expected in its place (which may be just its start).
std::vector<std::string> AuditedFrom(const std::string& path, std::size_t first, const std::vector<std::string>& expected)
{
    std::vector<std::string> audited = g_system.Audited(path);
    audited.erase(audited.begin(), audited.begin() + static_cast<std::ptrdiff_t>(std::min(first, audited.size())));
    for (std::size_t i = 0; i < audited.size() && i < expected.size(); ++i) {
        audited[i].resize(std::min(audited[i].size(), expected[i].size()));
    }
    return audited;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::u8path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

using DockSetup = std::function<void(Dock&)>;
const DockSetup kAsItIs = [](Dock&) {};

// A fresh fake system and one camera whose card holds VID_0001.MP4; then
// `setup`.
void Prepare(Dock& dock, const DockSetup& setup)
{
    ResetFakeSystem();
    g_system.environment["ORVANE_PASSWORD"] = "888888";
    dock.cameras.Plug();
    WriteAll(dock.card.Path() + "/VID_0001.MP4", "recording");
    setup(dock);
    g_system.environment["ORVANE_PASSWORD"] = "888888";  // again, when the setup ran the tool
}
DockSetup CardDriveAt(std::uint64_t at)
{
    return [=](Dock& dock) { g_system.drives[dock.card.Path()] = at; };
}

const DockSetup EmptyCard = [](Dock& dock) { std::filesystem::remove(dock.card.Path() + "/VID_0001.MP4"); };

const std::vector<std::string> kOffloaded = {"offload:started", "offload:ok"};

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
        {"--format-after is always audited", {"FROM", "--format-after", "NO-AUDIT"}, kAsItIs, 2,
         "--no-audit is refused", {}, false},
        {"a camera silent in storage mode", {"--format-after"},
         [](Dock& dock) { CardDriveAt(250)(dock); dock.cameras.cameras[0].unpluggedAt = 100; }, 1,
         "does not answer in USB storage mode; the recordings are safe in the bag ",
         {"offload:started", "offload:ok", "format:started", "format:failed: the camera did not answer"}, true},
        {"sign-in refused", {"FROM"}, [](Dock& dock) { dock.cameras.cameras[0].adminPassword = "123456"; }, 4,
         "failed at sign-in", {"offload:failed at sign-in: the camera refused the sign-in"}, false},
        {"connection refused", {"FROM"}, [](Dock& dock) { dock.cameras.cameras[0].refusesConnection = true; }, 3,
         "the camera did not accept the connection", {}, false},
        {"started line not written", {"FROM"}, [](Dock&) { g_system.appendsBeforeFailure = 0; }, 6,
         "nothing was changed", {}, false},
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
        Dock dock;
        Prepare(dock, c.setup);
        const std::vector<std::string> arguments = Arguments(dock, {"offload"}, c.options, "--to");
        EXPECT_EQ(RunTool(arguments), c.exitCode) << g_system.output << g_system.errors;
        const std::string shown = g_system.output + g_system.errors;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        EXPECT_EQ(AuditedFrom(kAudit, 0, c.audited), c.audited);
        EXPECT_EQ(dock.cameras.Count("SetMSDC") != 0, c.switched);
        // A format is sent only between its started line and an outcome
        // that is no refusal.
        const bool formatAudited = std::any_of(c.audited.begin(), c.audited.end(), [](const std::string& line) {
            return line.rfind("format:", 0) == 0 && line != "format:started" && line.rfind("format:failed at", 0) != 0;
        });
        EXPECT_EQ(dock.cameras.Count("FormatDecTF") != 0, formatAudited) << "a format sent, or not, against its lines";
        for (const auto& entry : std::filesystem::directory_iterator(dock.archive.Path())) {
            EXPECT_EQ(entry.path().filename().u8string(), "SIM00000000000000001") << "the archive check left a trace";
        }
    }
}

}  // namespace

namespace {

DockSetup Then(DockSetup first, DockSetup second)
{
    return [=](Dock& dock) { first(dock); second(dock); };
}

// The card offloaded into the bag kBagName, recorded in kAudit.
const DockSetup Offloaded = [](Dock& dock) {
    ASSERT_EQ(RunTool(Arguments(dock, {"offload"}, {"FROM"}, "--to")), 0) << g_system.errors;
};

DockSetup OnCard(const std::string& name, const std::string& bytes)
{
    return [=](Dock& dock) { WriteAll(dock.card.Path() + "/" + name, bytes); };
}

// A valid bag as another tool writes it, of these files.
DockSetup OthersBag(const std::string& name, const std::string& identifier,
                    const std::map<std::string, std::string>& files, const std::string& agent = "")
{
    return [=](Dock& dock) {
        std::vector<custody::PayloadFile> payload;
        for (const auto& [path, bytes] : files) {
            WriteAll(dock.Bag(name) + "/data/" + path, bytes);
            payload.push_back({path, bytes.size(), HashHex(HashAlgorithm::Sha256, bytes)});
        }
        custody::BagInfo info = {{"External-Identifier", identifier}};
        if (!agent.empty()) {
            info.emplace_back("Bag-Software-Agent", agent);
        }
        std::string tagManifest;
        std::string error;
        ASSERT_TRUE(custody::WriteBagTags(custody::LocalFileSystem(), dock.Bag(name), payload, info, tagManifest,
                                          error))
            << error;
    };
}

// The offload's bag-info.txt edited and its tag manifest written anew: a
// valid bag still, but not the one its offload recorded.
const DockSetup Resealed = [](Dock& dock) {
    std::ofstream(dock.Bag() + "/bag-info.txt", std::ios::binary | std::ios::app) << "Note: edited\n";
    std::string manifest;
    for (const char* tag : {"bagit.txt", "bag-info.txt", "manifest-sha256.txt"}) {
        manifest += HashHex(HashAlgorithm::Sha256, ReadAll(dock.Bag() + "/" + tag)) + "  " + tag + "\n";
    }
    WriteAll(dock.Bag() + "/tagmanifest-sha256.txt", manifest);
};

DockSetup Removed(const std::string& tagFile)
{
    return [=](Dock& dock) { std::filesystem::remove(dock.Bag() + "/" + tagFile); };
}

const DockSetup CardAsNewDrive = [](Dock& dock) { dock.cameras.cameras[0].cardDrive = dock.card.Path(); };

TEST(FormatCommand, FormatsOnlyACardThatOneVouchedForBagHoldsExactly)
{
    const std::string future = "20301231T000000Z";  // a station whose clock ran ahead
    const std::vector<std::string> kRefused = {"format:started", "format:failed at check: "};
    const std::vector<std::string> kFormatted = {"format:started", "format:ok"};
    const struct {
        const char* name;
        std::vector<std::string> options;  // after format --yes, as Arguments takes them
        DockSetup setup;                   // after the card holds VID_0001.MP4
        int exitCode;
        std::string shown;
        std::vector<std::string> audited;  // the lines the format wrote
    } cases[] = {
        {"the afternoon recording", {}, Then(Offloaded, Then(OnCard("VID_0002.MP4", "later"), CardAsNewDrive)), 1,
         "card not formatted: the card holds 1 file that no bag of SIM00000000000000001 in ", kRefused},
        {"an empty card", {"FROM"}, Then(EmptyCard, Offloaded), 1, "the card is empty: nothing to format", kRefused},
        {"another camera's bag under the same serial", {"FROM"},
         OthersBag(kBagName, "SIM-ELSEWHERE", {{"VID_0001.MP4", "recording"}}), 1,
         "holds the card's files but is of another camera: its External-Identifier is \"SIM-ELSEWHERE\"", kRefused},
        {"a newer bag that is not the card's", {"FROM"}, OthersBag(future, kSerial, {{"VID_0009.MP4", "other"}}), 1,
         "the card holds 1 file that no bag", kRefused},
        {"an older bag that is the card's", {"FROM"},
         Then(Offloaded, OthersBag(future, kSerial, {{"VID_0009.MP4", "other"}})), 0,
         "its recordings are in ", kFormatted},
        {"the card's bag no longer valid", {"FROM"},
         Then(Offloaded, [](Dock& dock) { WriteAll(dock.Bag() + "/data/VID_0001.MP4", "Recording"); }), 1,
         "holds the card's files but is invalid: data/VID_0001.MP4: sha256 differs", kRefused},
        {"no audit line names the bag", {"FROM"}, Then(Offloaded, [](Dock&) { g_system.files.erase(kAudit); }), 1,
         "is not vouched for by the audit trail: made by orvanectl, but no offload line", kRefused},
        {"the dock window's bag that no audit line names", {"FROM"},
         OthersBag(kBagName, kSerial, {{"VID_0001.MP4", "recording"}}, "OrvaneDock 1.0.0.1"), 1,
         "made by OrvaneDock, but no offload line", kRefused},
        {"the bag's tag manifest removed", {"FROM"}, Then(Offloaded, Removed("tagmanifest-sha256.txt")), 1,
         "made by orvanectl, but tagmanifest-sha256.txt is missing", kRefused},
        {"and its agent: the trail still names it", {"FROM"},
         Then(Offloaded, Then(Removed("tagmanifest-sha256.txt"), [](Dock& dock) {
             WriteAll(dock.Bag() + "/bag-info.txt", "External-Identifier: " + kSerial + "\n");
         })), 1,
         "made by orvanectl, but tagmanifest-sha256.txt is missing", kRefused},
        {"a bag changed and sealed again", {"FROM"}, Then(Offloaded, Resealed), 1,
         "tagmanifest-sha256.txt: differs from the one recorded at its offload", kRefused},
        {"Ctrl+C before the format", {"FROM"}, Then(Offloaded, [](Dock& dock) { dock.cameras.interruptOn = "SetMSDC"; }),
         1, "card not formatted: interrupted before the format", {"format:started", "format:failed at format: interrupted"}},
        {"always audited", {"FROM", "NO-AUDIT"}, Offloaded, 2, "--no-audit is refused", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Dock dock;
        Prepare(dock, c.setup);
        g_system.output.clear();
        g_system.errors.clear();
        const std::size_t linesBefore = g_system.Lines(kAudit).size();
        const std::size_t callsBefore = dock.cameras.calls.size();

        EXPECT_EQ(RunTool(Arguments(dock, {"format", "--yes"}, c.options, "--offloaded-to")), c.exitCode)
            << g_system.output << g_system.errors;
        const std::string shown = g_system.output + g_system.errors;
        EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
        EXPECT_EQ(AuditedFrom(kAudit, linesBefore, c.audited), c.audited);
        EXPECT_EQ(dock.cameras.Count("FormatDecTF") != 0, c.audited == kFormatted);
        if (c.exitCode == 2) {
            EXPECT_EQ(dock.cameras.calls.size(), callsBefore) << "a camera touched on a usage error";
        }
    }
}

}  // namespace
