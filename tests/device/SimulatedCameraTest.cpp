// The library loading the simulated camera by name, as the program does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "telvix/Telvix.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    setenv(name, value, 1);
#endif
}

class SimulatedCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string base = ::testing::TempDir() + "telvix-sim-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        state = base + ".state";
        std::remove(state.c_str());
        std::remove((base + ".log").c_str());
        SetEnvironment("NVUSB_SIM_STATE", state.c_str());
        SetEnvironment("NVUSB_SIM_LOG", (base + ".log").c_str());
        SetEnvironment("NVUSB_SIM_FAULTS", "");
        SetEnvironment("NVUSB_SIM_DOCK", "");
    }
    void TearDown() override { SetEnvironment("NVUSB_SIM_DOCK", ""); }
    std::string state;
};

namespace fs = std::filesystem;

int BatteryLevel() {
    int level = -1, status = 0;
    return ReadDeviceBatteryDumpEnergy(&level, "888888", &status) ? level : -1;
}

// A dock: camera a switches to storage mode, which hands Init_Device over to
// camera b; going back to a's link formats a's card, not b's.
TEST_F(SimulatedCameraTest, DockGoesBackToACameraInStorageModeToFormatItsCard) {
    const fs::path dock = fs::path(state).replace_extension(".dock");
    fs::remove_all(dock);
    fs::create_directories(dock);
    for (const char* camera : {"a", "b"}) {
        std::ofstream(dock / (std::string(camera) + ".txt"))
            << "present = 1\nbattery = " << (camera[0] == 'a' ? 11 : 22)
            << "\ncard_videos = 1 x 10\ncard_photos = 0 x 0\ncard_logs = 0 x 0\n";
    }
    SetEnvironment("NVUSB_SIM_DOCK", dock.string().c_str());

    int status = 0;
    ASSERT_EQ(1, Init_Device(nullptr, &status));
    const int a = GetDeviceLink();
    ASSERT_EQ(11, BatteryLevel());
    ASSERT_EQ(1, SetMSDC("888888", &status));
    ASSERT_FALSE(fs::is_empty(dock / "a-card"));

    ASSERT_EQ(1, Init_Device(nullptr, &status));
    const int b = GetDeviceLink();
    ASSERT_EQ(22, BatteryLevel());
    ASSERT_NE(a, b);

    ASSERT_EQ(1, UseDeviceLink(a));
    EXPECT_EQ(a, GetDeviceLink());
    EXPECT_EQ(11, BatteryLevel());
    EXPECT_EQ(1, FormatDecTF("888888", &status));
    EXPECT_TRUE(fs::is_empty(dock / "a-card"));
    EXPECT_FALSE(fs::exists(dock / "b-card"));  // b never formatted nor in storage mode
    fs::remove_all(dock);
}

TEST_F(SimulatedCameraTest, ConnectsAndSignsIn) {
    int status = 0;
    ASSERT_EQ(1, Init_Device(nullptr, &status));
    EXPECT_EQ(kStatusSuccess, status);
    EXPECT_EQ(1, client_login(0, "888888"));
    EXPECT_EQ(1, client_login(1, "000000"));
    EXPECT_EQ(kLoginResultRefused, client_login(0, "000000"));
}

TEST_F(SimulatedCameraTest, PasswordChangeTakesEffectAtTheNextSignIn) {
    int status = 0;
    ASSERT_EQ(1, Init_Device(nullptr, &status));
    ASSERT_EQ(1, SetUserPassWord("abc123", "888888", &status));
    EXPECT_EQ(kLoginResultRefused, client_login(1, "000000"));
    EXPECT_EQ(1, client_login(1, "abc123"));
}

TEST_F(SimulatedCameraTest, EveryOperationReachesTheCamera) {
    int status = 0;
    ASSERT_EQ(1, Init_Device(nullptr, &status));
    unsigned char record[kIdentityRecordSize] = {};
    std::memcpy(record + kCameraIdOffset, "CAM0042", 7);
    std::memcpy(record + kUserIdOffset, "654321", 6);
    EXPECT_EQ(1, WriteVUZInfo(record, "888888", &status));
    unsigned char readBack[kIdentityRecordSize] = {};
    EXPECT_EQ(1, GetVUZInfo(readBack, "888888", &status));
    EXPECT_EQ(0, std::memcmp(record, readBack, sizeof record));

    EXPECT_EQ(1, SyncDevTime("888888", &status));
    int width = 0, height = 0, level = -1;
    EXPECT_EQ(1, ReadDeviceResolution(&width, &height, "888888", &status));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(1, ReadDeviceBatteryDumpEnergy(&level, "888888", &status));
    EXPECT_GE(level, 0);
    EXPECT_EQ(1, SetMSDC("888888", &status));
    EXPECT_EQ(1, FormatDecTF("888888", &status));

    unsigned char serial[kSerialNoLength] = "SN-0123456789ABCDEF";
    unsigned char serialBack[kSerialNoLength] = {};
    EXPECT_EQ(1, SetCameraSerialNo(serial, nullptr, &status));
    EXPECT_EQ(1, ReadCameraSerialNo(serialBack, nullptr, &status));
    EXPECT_EQ(0, std::memcmp(serial, serialBack, sizeof serial));
}

TEST_F(SimulatedCameraTest, NoCameraAndRefusedConnect) {
    int status = 0;
    SetEnvironment("NVUSB_SIM_FAULTS", "no_camera");
    EXPECT_EQ(0, Init_Device(nullptr, &status));
    EXPECT_EQ(kStatusFailure, status);
    SetEnvironment("NVUSB_SIM_FAULTS", "connect_refused");
    EXPECT_EQ(1, Init_Device(nullptr, &status));
    EXPECT_EQ(kStatusFailure, status);
}

TEST_F(SimulatedCameraTest, FailingTransferIsReportedByTheOperation) {
    int status = 0;
    ASSERT_EQ(1, Init_Device(nullptr, &status));
    SetEnvironment("NVUSB_SIM_FAULTS", "fail=7");
    int level = 42;
    EXPECT_EQ(0, ReadDeviceBatteryDumpEnergy(&level, "888888", &status));
    EXPECT_EQ(kStatusFailure, status);
    EXPECT_EQ(42, level);
}

}  // namespace
