#include "PersistentCamera.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace nvusb_sim;
using namespace sim_test;

namespace {

class PersistentCameraTest : public ::testing::Test {
protected:
    PersistentCameraTest() : files{folder / "state.txt", folder / "log.txt"} {}

    // A camera as a fresh process would have it.
    std::unique_ptr<PersistentCamera> newCamera() {
        return std::make_unique<PersistentCamera>(diagnostics, [this](int ms) { sleeps.push_back(ms); });
    }

    int send(PersistentCamera& camera, int command, const std::vector<uint8_t>& payload,
             const std::optional<std::string>& environmentFaults = std::nullopt) {
        camera.refresh(files, environmentFaults);
        return camera.send(kDeviceHandle, command, nonNullData(payload), static_cast<int>(payload.size()));
    }

    int receive(PersistentCamera& camera, int command, std::vector<uint8_t>& buffer,
                const std::optional<std::string>& environmentFaults = std::nullopt) {
        camera.refresh(files, environmentFaults);
        return camera.receive(kDeviceHandle, command, buffer.data(), static_cast<int>(buffer.size()));
    }

    int32_t signIn(PersistentCamera& camera, int32_t account, const std::string& password) {
        send(camera, kCmdAccountType, intBytes(account));
        send(camera, kCmdPassword, textBytes(password));
        std::vector<uint8_t> verdict(4);
        receive(camera, kCmdLoginVerdict, verdict);
        return intAt(verdict);
    }

    TempFolder folder{"persistent"};
    SimFiles files;
    std::ostringstream diagnostics;
    std::vector<int> sleeps;
};

TEST_F(PersistentCameraTest, ChangesSurviveIntoTheNextProcess) {
    std::vector<uint8_t> record(kIdentityRecordSize, 'x');
    {
        auto camera = newCamera();
        ASSERT_EQ(send(*camera, kCmdIdentity, record), 1);
        ASSERT_EQ(send(*camera, kCmdAdminPassword, textBytes("112233")), 1);
    }
    auto camera = newCamera();
    std::vector<uint8_t> readBack(kIdentityRecordSize);
    ASSERT_EQ(receive(*camera, kCmdIdentity, readBack), 1);
    EXPECT_EQ(readBack, record);
    EXPECT_EQ(signIn(*camera, 0, "112233"), kLoginAccepted);
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(PersistentCameraTest, OnlyChangesCreateTheStateFile) {
    auto camera = newCamera();
    std::vector<uint8_t> level(4);
    ASSERT_EQ(receive(*camera, kCmdBattery, level), 1);
    EXPECT_FALSE(std::filesystem::exists(files.state));
    ASSERT_EQ(send(*camera, kCmdStorageMode, intBytes(1)), 1);
    EXPECT_NE(readFile(files.state).find("storage_mode_count = 1\n"), std::string::npos);
}

TEST_F(PersistentCameraTest, SeesTheFileEditedBetweenCalls) {
    auto camera = newCamera();
    camera->refresh(files, std::nullopt);
    EXPECT_EQ(camera->firstAvailableDevice(), kDeviceHandle);

    writeFile(files.state, "present = 0\n");
    camera->refresh(files, std::nullopt);
    EXPECT_EQ(camera->firstAvailableDevice(), 0);
    std::vector<uint8_t> level(4);
    EXPECT_EQ(receive(*camera, kCmdBattery, level), 0);

    writeFile(files.state, "battery = 7\n");
    EXPECT_EQ(receive(*camera, kCmdBattery, level), 1);
    EXPECT_EQ(intAt(level), 7);
}

TEST_F(PersistentCameraTest, LogsEveryTransferAsItReachedTheCamera) {
    auto camera = newCamera();
    send(*camera, kCmdAccountType, intBytes(1));
    send(*camera, kCmdPassword, textBytes(""));
    std::vector<uint8_t> verdict(4);
    receive(*camera, kCmdLoginVerdict, verdict);
    std::vector<uint8_t> tooShort(3);
    receive(*camera, kCmdBattery, tooShort);
    camera->refresh(files, std::nullopt);
    camera->send(kDeviceHandle, kCmdIdentity, nullptr, kIdentityRecordSize);

    const std::vector<std::string> expected = {
        "send 2 4 01000000 ok",       "send 0 0 - ok",
        "receive 1 4 00000000 ok",    "receive 7 3 - failed",
        "send 3 94 - failed",
    };
    EXPECT_EQ(fileLines(files.log), expected);
}

TEST_F(PersistentCameraTest, EnvironmentFaultsJoinThoseOfTheFile) {
    writeFile(files.state, "faults = fail=7\n");
    auto camera = newCamera();
    std::vector<uint8_t> buffer(8);
    EXPECT_EQ(receive(*camera, kCmdResolution, buffer, std::string("fail=6")), 0);
    buffer.resize(4);
    EXPECT_EQ(receive(*camera, kCmdBattery, buffer, std::string("fail=6")), 0);
    EXPECT_EQ(receive(*camera, kCmdBattery, buffer, std::string("delay_ms=25")), 0);
    EXPECT_EQ(sleeps, (std::vector<int>{25}));
}

TEST_F(PersistentCameraTest, EnvironmentVerdictWinsOverTheFile) {
    writeFile(files.state, "faults = verdict=1\n");
    auto camera = newCamera();
    send(*camera, kCmdFormat, intBytes(1));
    std::vector<uint8_t> verdict(4);
    receive(*camera, kCmdLoginVerdict, verdict, std::string("verdict=3"));
    EXPECT_EQ(intAt(verdict), 3);
}

TEST_F(PersistentCameraTest, MalformedFileIsReportedOnceAndDefaultsServe) {
    writeFile(files.state, "battery = full\n");
    auto camera = newCamera();
    std::vector<uint8_t> level(4);
    ASSERT_EQ(receive(*camera, kCmdBattery, level), 1);
    ASSERT_EQ(receive(*camera, kCmdBattery, level), 1);
    EXPECT_EQ(intAt(level), 85);
    EXPECT_EQ(diagnostics.str(), "nvusb-sim: " + files.state.u8string() + ":1: bad value for 'battery'\n");
}

TEST_F(PersistentCameraTest, UnwritableStateFileKeepsTheCameraWorkingInMemory) {
    files.state = folder / "missing-folder" / "state.txt";
    auto camera = newCamera();
    ASSERT_EQ(send(*camera, kCmdUserPassword, textBytes("135790")), 1);
    ASSERT_EQ(send(*camera, kCmdUserPassword, textBytes("246810")), 1);
    EXPECT_NE(diagnostics.str().find("cannot write state file"), std::string::npos) << diagnostics.str();
    EXPECT_EQ(signIn(*camera, 1, "246810"), kLoginAccepted);
    const std::string reported = diagnostics.str();
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1);  // said once, not at every change
}

}  // namespace
