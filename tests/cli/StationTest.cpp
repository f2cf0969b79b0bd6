// The provisioning station with --watch, on the fake clock: what it prints
// of each camera and of the run, and its exit code. How it paces, stops
// and records is the station's (tests/station/WatchLoopTest).
#include <gtest/gtest.h>

#include <functional>

#include "FakeCameras.h"
#include "FakePlatform.h"

namespace {

const std::string kFleet = "serial,camera_id,user_id,user_name,department_id,department_name\n"
                           "SN-A1,CAM0101,000101,Anna,D07,North\n"
                           "SN-B2,CAM0102,000102,Bo,D07,North\n";
constexpr std::uint64_t kInterval = 500;

struct Station {
    Station()
    {
        ResetFakeSystem();
        g_system.environment["ORVANE_PASSWORD"] = "888888";
        g_system.files["fleet.csv"] = kFleet;
    }

    FakeCamera& Plug(const char* serial, std::uint64_t from, std::uint64_t until = UINT64_MAX)
    {
        FakeCamera& camera = cameras.Plug(from, until);
        camera.serial = serial;
        return camera;
    }

    int Run(unsigned count)
    {
        std::vector<std::string> arguments = {"--audit", "audit.jsonl", "provision", "fleet.csv", "--watch",
                                              "--interval-ms", std::to_string(kInterval)};
        if (count != 0) {
            arguments.insert(arguments.end(), {"--count", std::to_string(count)});
        }
        return RunTool(arguments);
    }

    FakeCameras cameras;
};

using Fault = std::function<void(FakeCamera&)>;

// Each case: a camera with a fault plugged in for 10 s, then one the fleet
// file does not know; the exit code is 5 only when the unknown one is the
// only failure.
TEST(WatchingStation, PrintsEachCameraThenSumsUp)
{
    const struct {
        const char* name;
        Fault fault;
        std::string line;
        std::string summary;
        int exitCode;
    } cases[] = {
        {"provisioned", [](FakeCamera&) {}, "SN-A1 CAM0101 ok", "1 provisioned, 1 failed", 5},
        {"connection refused", [](FakeCamera& camera) { camera.refusesConnection = true; },
         "- - failed at connect: the camera did not accept the connection", "0 provisioned, 2 failed", 1},
        {"sign-in refused", [](FakeCamera& camera) { camera.adminPassword = "111111"; },
         "- - failed at sign-in: the camera refused the sign-in", "0 provisioned, 2 failed", 1},
        {"serial number unreadable", [](FakeCamera& camera) { camera.failing.insert("ReadCameraSerialNo"); },
         "- - failed at serial: could not read the serial number", "0 provisioned, 2 failed", 1},
        {"half-written", [](FakeCamera& camera) { camera.failing.insert("WriteVUZInfo"); },
         "SN-A1 CAM0101 failed at identity.write: the camera refused the identity record", "0 provisioned, 2 failed",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Station station;
        c.fault(station.Plug("SN-A1", 0, 10000));
        station.Plug("SN-ZZ9", 12000);

        EXPECT_EQ(station.Run(2), c.exitCode) << g_system.errors;
        EXPECT_EQ(g_system.output,
                  c.line + "\nSN-ZZ9 - failed at lookup: serial number not in the fleet file\n" + c.summary + "\n");
    }
}

TEST(WatchingStation, SaysWhichAuditLineItCouldNotWriteAndEndsWithSix)
{
    const struct {
        const char* name;
        int appendsBeforeFailure;
        const char* error;
    } cases[] = {
        {"started line", 0, "cannot write the audit file audit.jsonl: the line could not be written; nothing was changed"},
        {"outcome line", 1, "the change was made but not recorded: cannot write the audit file audit.jsonl: the line could not be written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Station station;
        station.Plug("SN-A1", 0, 1000);
        station.Plug("SN-B2", 2000);
        g_system.appendsBeforeFailure = c.appendsBeforeFailure;

        EXPECT_EQ(station.Run(2), 6);
        EXPECT_TRUE(g_system.ErrorsHold(c.error)) << g_system.errors;
    }
}

// Ctrl+C lets the camera in hand finish (tests/station), then the station
// sums up, ends with 0 and lets the console's handler end the process.
TEST(WatchingStation, AfterCtrlCSumsUpAndEndsWithZero)
{
    Station station;
    station.Plug("SN-A1", 0);
    station.cameras.interruptOn = "WriteVUZInfo";

    EXPECT_EQ(station.Run(0), 0);
    EXPECT_EQ(g_system.output, "SN-A1 CAM0101 ok\n1 provisioned, 0 failed\n");
    EXPECT_TRUE(g_system.readyToEnd);
}

}  // namespace
