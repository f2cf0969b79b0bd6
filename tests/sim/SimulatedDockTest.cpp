// Several cameras in a dock folder, driven as the device library drives the
// vendor library: look for the first device, connect, transfer.
#include "SimTestSupport.h"
#include "SimulatedDock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace nvusb_sim;
using namespace sim_test;
namespace fs = std::filesystem;

namespace {

class SimulatedDockTest : public ::testing::Test {
protected:
    // A camera file as a test (or the plug helpers) writes it: plugged or
    // not, and never in storage mode.
    void dockCamera(const std::string& name, bool present) {
        writeFile(folder / (name + ".txt"), "present = " + std::string(present ? "1" : "0") +
                                                "\nbattery = " + std::to_string(name.front()) +
                                                "\ncard_videos = 1 x 10\ncard_photos = 0 x 0\ncard_logs = 0 x 0\n");
    }

    // The first device as Init_Device finds and connects it; 0 for none.
    int connectFirst() {
        dock.refresh(folder.path(), std::nullopt);
        const int device = dock.firstAvailableDevice();
        if (device == 0) return 0;
        dock.refresh(folder.path(), std::nullopt);
        return dock.connect(device) != 0 ? device : 0;
    }

    // The battery answered on `device`, which tells the cameras apart; -1 when refused.
    int32_t batteryOf(int device) {
        std::vector<uint8_t> level(4);
        dock.refresh(folder.path(), std::nullopt);
        return dock.receive(device, kCmdBattery, level.data(), 4) != 0 ? intAt(level) : -1;
    }

    bool enterStorageMode(int device) {
        const std::vector<uint8_t> one = intBytes(1);
        dock.refresh(folder.path(), std::nullopt);
        return dock.send(device, kCmdStorageMode, one.data(), 4) != 0;
    }

    TempFolder folder{"dock"};
    std::ostringstream diagnostics;
    SimulatedDock dock{diagnostics, nullptr};
};

TEST_F(SimulatedDockTest, ConnectsToTheFirstPluggedCameraThatIsNoDrive) {
    dockCamera("c", true);
    dockCamera("b", true);
    dockCamera("a", false);
    writeFile(folder / "a-notes.md", "present = 1\n");  // not a camera: only .txt files are
    fs::create_directories(folder / "0.txt");         // nor is a folder

    const int b = connectFirst();
    ASSERT_EQ(batteryOf(b), 'b');
    ASSERT_TRUE(enterStorageMode(b));
    EXPECT_NE(readFile(folder / "b.txt").find("storage_mode = 1\n"), std::string::npos);
    EXPECT_EQ(dock.connect(b), 0) << "a camera in storage mode is a drive";
    EXPECT_EQ(batteryOf(b), 'b') << "its open connection still answers, as for a format after the offload";

    const int c = connectFirst();
    ASSERT_EQ(batteryOf(c), 'c');
    dockCamera("a", true);  // plugged while the station talks to c
    EXPECT_EQ(batteryOf(c), 'c');
    ASSERT_TRUE(enterStorageMode(c));
    EXPECT_NE(readFile(folder / "c.txt").find("storage_mode_count = 1\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "a-card"));
    EXPECT_EQ(readFile(folder / "c.log"), "receive 7 4 63000000 ok\nreceive 7 4 63000000 ok\nsend 5 4 01000000 ok\n");

    const int a = connectFirst();
    EXPECT_EQ(batteryOf(a), 'a');
    ASSERT_TRUE(enterStorageMode(a));
    EXPECT_EQ(connectFirst(), 0) << "every plugged camera is a drive now";

    // Unplugged and plugged again (storage mode dropped): a vendor device
    // again, on the handle it had.
    dockCamera("b", false);
    EXPECT_EQ(batteryOf(b), -1);
    dockCamera("b", true);
    EXPECT_EQ(connectFirst(), b);

    fs::remove(folder / "b.txt");
    EXPECT_EQ(batteryOf(b), -1) << "a camera that left the dock answers nothing";
    EXPECT_EQ(batteryOf(kDeviceHandle), -1);
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(SimulatedDockTest, UnreadableFolderIsNoCameraAndReportedOnce) {
    dock.refresh(folder / "missing", std::nullopt);
    EXPECT_EQ(dock.firstAvailableDevice(), 0);
    EXPECT_EQ(dock.firstAvailableDevice(), 0);
    const std::string reported = diagnostics.str();
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << reported;
    EXPECT_NE(reported.find("cannot list the dock folder"), std::string::npos) << reported;
}

}  // namespace
