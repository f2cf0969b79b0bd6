// The watching station on the fake clock, each camera provisioned in its
// turn: cameras plugged in and out, how often the station looks, and when
// it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FakeRun.h"
#include "station/ProvisionTurn.h"
#include "station/WatchLoop.h"
#include "tests/cli/FakeCameras.h"

namespace {

using station::Outcome;

const char* const kFleet = "serial,camera_id,user_id,user_name,department_id,department_name\n"
                           "SN-A1,CAM0101,000101,Anna,D07,North\n"
                           "SN-B2,CAM0102,000102,Bo,D07,North\n";
constexpr std::uint64_t kInterval = 500;

// How the run ended, as RunEnded said it.
class RunEnd : public station::StationEvents {
public:
    void CameraFound(station::TurnId) override { ++found; }
    void RunEnded(Outcome outcome, const std::string&) override { ended.push_back(outcome); }

    int found = 0;
    std::vector<Outcome> ended;
};

struct Station : FakeRun {
    FakeCamera& Plug(const char* serial, std::uint64_t from, std::uint64_t until = UINT64_MAX)
    {
        FakeCamera& camera = cameras.Plug(from, until);
        camera.serial = serial;
        return camera;
    }

    // Each camera provisioned and recorded in its turn.
    Outcome Watch(unsigned count)
    {
        station::StationOptions options;
        options.watch = true;
        options.count = count;
        options.intervalMs = kInterval;
        const Fleet fleet = ParseFleet(kFleet);
        return station::WatchCameras(host, stop, options, [&](station::TurnId, bool refused) {
            station::ProvisionResult result = refused ? station::RefusedConnection()
                                                      : station::ProvisionCamera(run, fleet, true);
            station::RecordProvision(run, result);
            return result.outcome;
        }, events);
    }

    // How often `function` reached camera `index`.
    int CallsTo(int index, const std::string& function) const
    {
        return static_cast<int>(std::count_if(cameras.calls.begin(), cameras.calls.end(), [&](const FakeCall& call) {
            return call.camera == index && call.function == function;
        }));
    }

    // The shortest time between two looks for a camera.
    std::uint64_t ShortestGap() const
    {
        std::uint64_t shortest = UINT64_MAX;
        std::uint64_t last = UINT64_MAX;
        for (const FakeCall& call : cameras.calls) {
            if (call.function != "Init_Device") {
                continue;
            }
            if (last != UINT64_MAX) {
                shortest = std::min(shortest, call.at - last);
            }
            last = call.at;
        }
        return shortest;
    }

    FakeCameras cameras;
    RunEnd events;
};

// Each case: a camera with a fault plugged in for 10 s, then another.
TEST(WatchLoop, TriesEachCameraOncePerPluggingAndNeverFasterThanTheInterval)
{
    const struct {
        const char* name;
        std::function<void(FakeCamera&)> fault;
    } cases[] = {
        {"provisioned", [](FakeCamera&) {}},
        {"connection refused", [](FakeCamera& camera) { camera.refusesConnection = true; }},
        {"sign-in refused", [](FakeCamera& camera) { camera.adminPassword = "111111"; }},
        {"half-written", [](FakeCamera& camera) { camera.failing.insert("WriteVUZInfo"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Station station;
        c.fault(station.Plug("SN-A1", 0, 10000));
        station.Plug("SN-B2", 12000);

        EXPECT_EQ(station.Watch(2), Outcome::Ok);
        EXPECT_EQ(station.events.found, 2);
        EXPECT_LE(station.CallsTo(0, "client_login"), 1) << "signed in again before the camera was unplugged";
        EXPECT_EQ(station.CallsTo(1, "client_login"), 1);
        EXPECT_GE(station.ShortestGap(), kInterval);
        EXPECT_EQ(station.events.ended, std::vector<Outcome>{Outcome::Ok});
    }
}

// A station that cannot record must not go on to the next camera.
TEST(WatchLoop, StopsAtTheFirstAuditLineItCannotWrite)
{
    const struct {
        const char* name;
        int appendsBeforeFailure;
        int changes;  // identity writes
    } cases[] = {
        {"started line", 0, 0},
        {"outcome line", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Station station;
        station.Plug("SN-A1", 0, 1000);
        station.Plug("SN-B2", 2000);
        g_system.appendsBeforeFailure = c.appendsBeforeFailure;

        EXPECT_EQ(station.Watch(2), Outcome::AuditFailed);
        EXPECT_EQ(station.cameras.Count("WriteVUZInfo"), c.changes);
        EXPECT_EQ(station.CallsTo(1, "client_login"), 0) << "the station went on to the next camera";
        EXPECT_EQ(station.events.ended, std::vector<Outcome>{Outcome::AuditFailed});
    }
}

// A stop ends the wait for a camera at once, but a camera under way is
// finished and recorded: a half-written camera helps nobody.
TEST(WatchLoop, AStopEndsTheWaitButNotTheCameraInHand)
{
    const struct {
        const char* name;
        std::uint64_t stopAt;
        const char* stopOn;
        std::vector<std::string> audited;
    } cases[] = {
        {"while waiting", 2000, "", {}},
        {"while writing a camera", UINT64_MAX, "WriteVUZInfo", {"provision:started", "provision:ok"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Station station;
        if (*c.stopOn) {
            station.Plug("SN-A1", 0);
        }
        g_system.interruptAt = c.stopAt;
        station.cameras.interruptOn = c.stopOn;

        EXPECT_EQ(station.Watch(0), Outcome::Stopped);
        EXPECT_EQ(g_system.Audited(kAudit), c.audited);
        EXPECT_EQ(station.events.ended, std::vector<Outcome>{Outcome::Stopped});
    }
}

}  // namespace
