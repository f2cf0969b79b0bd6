#include "Faults.h"
#include "StateFile.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

using namespace nvusb_sim;
using namespace sim_test;

namespace {

CameraState changedState() {
    CameraState state;
    state.present = false;
    state.adminPassword = "abc def";  // a blank: must survive as hex
    state.userPassword = "#12345";
    state.identity[93] = 0x7F;
    state.serialNumber[0] = 0xFF;
    state.videoWidth = 1280;
    state.videoHeight = 720;
    state.battery = 3;
    state.formatVerdict = -2;
    state.formatCount = 4;
    state.storageModeCount = 2;
    state.clock = ClockFields{1, 2, 3, 4, 5, 123, 6, 7, 1};
    state.faults.failingCommands = {3, 10};
    state.faults.delayMs = 20;
    state.card = u8"/media/sd card #1/\u00e9";
    state.cardLayout.videos = {4, 209715200};
    state.cardLayout.photos = {1000, 204800};
    state.cardLayout.logs = {0, 0};
    return state;
}

void expectSameState(const CameraState& actual, const CameraState& expected) {
    EXPECT_EQ(actual.present, expected.present);
    EXPECT_EQ(actual.adminPassword, expected.adminPassword);
    EXPECT_EQ(actual.userPassword, expected.userPassword);
    EXPECT_EQ(actual.identity, expected.identity);
    EXPECT_EQ(actual.serialNumber, expected.serialNumber);
    EXPECT_EQ(actual.videoWidth, expected.videoWidth);
    EXPECT_EQ(actual.videoHeight, expected.videoHeight);
    EXPECT_EQ(actual.battery, expected.battery);
    EXPECT_EQ(actual.formatVerdict, expected.formatVerdict);
    EXPECT_EQ(actual.formatCount, expected.formatCount);
    EXPECT_EQ(actual.storageModeCount, expected.storageModeCount);
    EXPECT_EQ(actual.clock, expected.clock);
    EXPECT_EQ(actual.card, expected.card);
    EXPECT_TRUE(actual.cardLayout == expected.cardLayout);
    EXPECT_TRUE(actual.faults == expected.faults) << formatFaults(actual.faults);
}

TEST(StateFileTest, WrittenStateReadsBackTheSame) {
    TempFolder folder("roundtrip");
    const CameraState state = changedState();
    std::string error;
    ASSERT_TRUE(writeStateFile(folder / "state.txt", state, error)) << error;

    const StateFileContents contents = readStateFile(folder / "state.txt");
    EXPECT_TRUE(contents.problems.empty()) << contents.problems.front();
    expectSameState(contents.state, state);
}

TEST(StateFileTest, WritesPlainPasswordsAndAReadableClock) {
    CameraState state;
    state.clock = ClockFields{30, 15, 14, 15, 2, 119, 5, 73, 0};
    const std::string text = formatStateText(state);
    EXPECT_NE(text.find("admin_password = 888888\n"), std::string::npos);
    EXPECT_NE(text.find("user_password = 000000\n"), std::string::npos);
    EXPECT_NE(text.find("clock_text = 2019-03-15 14:15:30\n"), std::string::npos);
}

TEST(StateFileTest, MissingFileGivesTheDefaults) {
    TempFolder folder("missing");
    const StateFileContents contents = readStateFile(folder / "none.txt");
    EXPECT_TRUE(contents.problems.empty());
    expectSameState(contents.state, CameraState());
    EXPECT_FALSE(std::filesystem::exists(folder / "none.txt"));
}

TEST(StateFileTest, HandEditedFileWithCommentsAndBlanks) {
    const StateFileContents contents = parseStateText(
        "# edited by a test\n\n  battery=12  \r\nuser_password = hex:414243\npresent = 0 \nfaults = "
        "no_camera, verdict=5\n",
        "state.txt");
    EXPECT_TRUE(contents.problems.empty());
    EXPECT_EQ(contents.state.battery, 12);
    EXPECT_EQ(contents.state.userPassword, "ABC");
    EXPECT_FALSE(contents.state.present);
    EXPECT_TRUE(contents.state.faults.noCamera);
    EXPECT_EQ(contents.state.faults.signInVerdict, 5);
}

struct MalformedCase {
    const char* line;
    const char* problem;
};

void PrintTo(const MalformedCase& malformed, std::ostream* out) { *out << malformed.line; }

class MalformedLineTest : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedLineTest, NamesFileAndLineAndKeepsTheDefault) {
    const std::string text = std::string("battery = 50\n") + GetParam().line + "\nvideo_width = 640\n";
    const StateFileContents contents = parseStateText(text, "/tmp/state.txt");
    ASSERT_EQ(contents.problems.size(), 1u);
    EXPECT_EQ(contents.problems[0], std::string("/tmp/state.txt:2: ") + GetParam().problem);
    // The lines around it are still read; the broken key keeps its default.
    EXPECT_EQ(contents.state.battery, 50);
    EXPECT_EQ(contents.state.videoWidth, 640);
    EXPECT_EQ(contents.state.identity, CameraState::defaultIdentity());
    EXPECT_EQ(contents.state.serialNumber, CameraState::defaultSerialNumber());
    EXPECT_EQ(contents.state.videoHeight, 1080);
    EXPECT_FALSE(contents.state.clock.has_value());
    EXPECT_EQ(contents.state.card, kDefaultCardFolder);
    EXPECT_TRUE(contents.state.cardLayout == CardLayout());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedLineTest,
    ::testing::Values(MalformedCase{"garbage", "expected 'key = value'"},
                      MalformedCase{"colour = red", "unknown key 'colour'"},
                      MalformedCase{"video_height = big", "bad value for 'video_height'"},
                      MalformedCase{"video_height = 99999999999", "bad value for 'video_height'"},
                      MalformedCase{"identity = 00ff", "bad value for 'identity'"},
                      MalformedCase{"serial_number = zz", "bad value for 'serial_number'"},
                      MalformedCase{"present = yes", "bad value for 'present'"},
                      MalformedCase{"format_count = -1", "bad value for 'format_count'"},
                      MalformedCase{"clock = 1 2 3", "bad value for 'clock'"},
                      MalformedCase{"user_password = hex:4", "bad value for 'user_password'"},
                      MalformedCase{"faults = sparks", "unknown or malformed fault 'sparks'"},
                      MalformedCase{"card =", "bad value for 'card'"},
                      MalformedCase{"card_videos = 3", "bad value for 'card_videos'"},
                      MalformedCase{"card_photos = 10000 x 1", "bad value for 'card_photos'"},
                      MalformedCase{"card_logs = 1 x -1", "bad value for 'card_logs'"},
                      MalformedCase{"card_logs = 1 x 18446744073709551616", "bad value for 'card_logs'"}));

TEST(StateFileTest, UnwritableFileReportsWhy) {
    TempFolder folder("unwritable");
    const std::filesystem::path file = folder / "no-such-folder" / "state.txt";
    std::string error;
    EXPECT_FALSE(writeStateFile(file, CameraState(), error));
    EXPECT_NE(error.find(file.u8string()), std::string::npos) << error;
}

TEST(FaultsTest, ParsesEveryFault) {
    std::vector<std::string> problems;
    const Faults faults = parseFaults(
        "no_camera, connect_refused,fail=3/10,fail_after=4,verdict=2,format_verdict=-1,delay_ms=15", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_TRUE(faults.noCamera);
    EXPECT_TRUE(faults.connectRefused);
    EXPECT_EQ(faults.failingCommands, (std::set<int>{3, 10}));
    EXPECT_EQ(faults.failAfter, 4);
    EXPECT_EQ(faults.signInVerdict, 2);
    EXPECT_EQ(faults.formatVerdict, -1);
    EXPECT_EQ(faults.delayMs, 15);

    std::vector<std::string> again;
    EXPECT_TRUE(parseFaults(formatFaults(faults), again) == faults);
}

TEST(FaultsTest, SkipsWhatItCannotReadAndKeepsTheRest) {
    std::vector<std::string> problems;
    const Faults faults = parseFaults("fail=,delay_ms=-5,verdict=x,fail=2/a,nothing,fail=7", problems);
    EXPECT_EQ(problems.size(), 5u);
    EXPECT_EQ(faults.failingCommands, (std::set<int>{7}));
    EXPECT_EQ(faults.delayMs, 0);
    EXPECT_FALSE(faults.signInVerdict.has_value());
}

TEST(FaultsTest, PreferredFaultsWinAndSwitchesAddUp) {
    std::vector<std::string> problems;
    const Faults fromFile = parseFaults("no_camera,fail=3,verdict=1,delay_ms=5", problems);
    const Faults fromEnvironment = parseFaults("fail=4,verdict=3", problems);
    const Faults merged = mergeFaults(fromFile, fromEnvironment);
    EXPECT_TRUE(merged.noCamera);
    EXPECT_EQ(merged.failingCommands, (std::set<int>{3, 4}));
    EXPECT_EQ(merged.signInVerdict, 3);
    EXPECT_EQ(merged.delayMs, 5);
}

}  // namespace
