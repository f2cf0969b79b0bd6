// The simulated camera's card: made on entering storage mode, emptied by a
// successful format, found where the state file's `card` key says.
#include "CardRecordings.h"
#include "PersistentCamera.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace nvusb_sim;
using namespace sim_test;
namespace fs = std::filesystem;

namespace {

// Every file below `card` with its bytes, by '/'-separated relative path.
std::map<std::string, std::string> cardContents(const fs::path& card) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(card))
        if (entry.is_regular_file()) files[entry.path().lexically_relative(card).generic_u8string()] = readFile(entry);
    return files;
}

class CardTest : public ::testing::Test {
protected:
    CardTest() : files{folder / "state.txt", folder / "log.txt"} {}

    bool command(int command) {
        PersistentCamera camera(diagnostics, nullptr);  // each call as a fresh process would make it
        camera.refresh(files, std::nullopt);
        const std::vector<uint8_t> one = intBytes(1);
        return camera.send(kDeviceHandle, command, one.data(), 4) == 1;
    }

    TempFolder folder{"card"};
    SimFiles files;
    std::ostringstream diagnostics;
};

TEST_F(CardTest, StorageModeMakesTheCardTheKeysDescribe) {
    writeFile(files.state, "card_videos = 2 x 70001\ncard_photos = 1 x 9\ncard_logs = 1 x 0\n");
    ASSERT_TRUE(command(kCmdStorageMode));
    const auto card = cardContents(folder / "card");
    std::map<std::string, size_t> sizes;
    for (const auto& [name, bytes] : card) sizes[name] = bytes.size();
    const std::map<std::string, size_t> expected = {{"DCIM/100MEDIA/VID_0001.MP4", 70001},
                                                    {"DCIM/100MEDIA/VID_0002.MP4", 70001},
                                                    {"DCIM/100MEDIA/IMG_0001.JPG", 9},
                                                    {"MISC/LOG_0001.TXT", 0}};
    EXPECT_EQ(sizes, expected);
    EXPECT_NE(card.at("DCIM/100MEDIA/VID_0001.MP4"), card.at("DCIM/100MEDIA/VID_0002.MP4"));
    EXPECT_NE(card.at("DCIM/100MEDIA/VID_0001.MP4"), std::string(70001, '\0'));
    EXPECT_EQ(diagnostics.str(), "");

    // Another camera with the same keys gets the same bytes.
    writeFile(files.state, "card = other\ncard_videos = 2 x 70001\ncard_photos = 1 x 9\ncard_logs = 1 x 0\n");
    ASSERT_TRUE(command(kCmdStorageMode));
    EXPECT_EQ(cardContents(folder / "other"), card);
}

TEST_F(CardTest, AnExistingCardIsNeverRefilled) {
    fs::create_directories(folder / "card" / "DCIM");
    writeFile(folder / "card" / "DCIM" / "mine.MP4", "kept");
    ASSERT_TRUE(command(kCmdStorageMode));
    EXPECT_EQ(cardContents(folder / "card"), (std::map<std::string, std::string>{{"DCIM/mine.MP4", "kept"}}));
}

struct FormatCase {
    const char* name;
    const char* state;  // besides a card of one tiny video
    bool emptied;
};

class FormatTest : public CardTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTest, EmptiesTheCardOnlyOnVerdictZero) {
    writeFile(files.state, std::string("card_videos = 1 x 5\ncard_photos = 0 x 0\ncard_logs = 0 x 0\n") +
                               GetParam().state);
    ASSERT_TRUE(command(kCmdStorageMode));
    fs::create_directories(folder / "beside");
    writeFile(folder / "beside" / "other.txt", "not the card");
    const fs::path readOnly = folder / "card" / "DCIM" / "100MEDIA" / "VID_0001.MP4";
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::remove);

    ASSERT_TRUE(command(kCmdFormat));
    EXPECT_EQ(cardContents(folder / "card").empty(), GetParam().emptied);
    EXPECT_TRUE(fs::is_directory(folder / "card"));
    EXPECT_EQ(readFile(folder / "beside" / "other.txt"), "not the card");
    EXPECT_EQ(diagnostics.str(), "");

    // The formatted card stays empty: recordings come with the first use only.
    ASSERT_TRUE(command(kCmdStorageMode));
    EXPECT_EQ(cardContents(folder / "card").empty(), GetParam().emptied);
    std::error_code ignored;  // so that the folder can be removed on Windows too
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::add, ignored);
}

INSTANTIATE_TEST_SUITE_P(Verdicts, FormatTest,
                         ::testing::Values(FormatCase{"VerdictZero", "", true},
                                           FormatCase{"StateVerdictFails", "format_verdict = 4\n", false},
                                           FormatCase{"FaultVerdictFails", "faults = format_verdict=1\n", false},
                                           FormatCase{"FaultVerdictZero", "format_verdict = 4\nfaults = format_verdict=0\n", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardTest, FormatBeforeFirstUseLeavesAnEmptyCard) {
    ASSERT_TRUE(command(kCmdFormat));
    ASSERT_TRUE(command(kCmdStorageMode));
    EXPECT_TRUE(fs::is_directory(folder / "card"));
    EXPECT_TRUE(cardContents(folder / "card").empty());
}

struct PlaceCase {
    const char* name;
    const char* key;       // the `card` line's value; empty: no line
    const char* expected;  // the card's folder, relative to the test's folder
};

void PrintTo(const PlaceCase& place, std::ostream* out) { *out << place.name; }

class CardPlaceTest : public CardTest, public ::testing::WithParamInterface<PlaceCase> {};

// "<abs>" in a case stands for another folder, reached by an absolute path.
TEST_P(CardPlaceTest, CardIsWhereTheKeySays) {
    TempFolder elsewhere("card-elsewhere");
    const auto place = [&](std::string text) {
        const std::string mark = "<abs>";
        return text.rfind(mark, 0) == 0 ? elsewhere / text.substr(mark.size()) : folder / text;
    };
    fs::create_directories(folder / "states");
    files.state = folder / "states" / "state.txt";
    const std::string key = GetParam().key;
    std::string state = "card_photos = 0 x 0\n";
    if (!key.empty()) state += "card = " + (key.rfind("<abs>", 0) == 0 ? place(key).u8string() : key) + "\n";
    writeFile(files.state, state);

    ASSERT_TRUE(command(kCmdStorageMode));
    EXPECT_TRUE(fs::exists(place(GetParam().expected) / "MISC" / "LOG_0001.TXT")) << GetParam().expected;
    EXPECT_EQ(fs::exists(folder / "states" / "card"), key.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CardPlaceTest,
    ::testing::Values(PlaceCase{"Default", "", "states/card"}, PlaceCase{"Relative", "sub/sd", "states/sub/sd"},
                      PlaceCase{"RelativeUp", "../sd", "sd"}, PlaceCase{"TrailingSlash", "sd/", "states/sd"},
                      PlaceCase{"Absolute", "<abs>sd", "<abs>sd"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardTest, RefusesACardHoldingTheStateFile) {
    writeFile(files.state, "card = .\n");
    ASSERT_TRUE(command(kCmdFormat));  // the camera answers; only the card is refused
    EXPECT_TRUE(fs::exists(files.state));
    EXPECT_NE(diagnostics.str().find("holds the state file"), std::string::npos) << diagnostics.str();
}

TEST(RecordingBytesTest, PiecesOfAnySizeGiveTheSameStream) {
    std::vector<uint8_t> whole(1000);
    RecordingBytes("MISC/LOG_0001.TXT").fill(whole.data(), whole.size());
    std::vector<uint8_t> pieces(whole.size());
    RecordingBytes stream("MISC/LOG_0001.TXT");
    size_t at = 0;
    for (size_t piece = 1; at < pieces.size(); piece = piece % 13 + 1) {
        const size_t count = std::min(piece, pieces.size() - at);
        stream.fill(pieces.data() + at, count);
        at += count;
    }
    EXPECT_EQ(pieces, whole);
}

}  // namespace
