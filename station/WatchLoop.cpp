#include "station/WatchLoop.h"

#include "station/SignIn.h"

namespace station {
namespace {

// Spaces the station's attempts: each Init_Device at least the interval
// after the one before.
class Pacer {
public:
    Pacer(platform::Host& host, const StopSignal& stop, std::uint64_t intervalMs)
        : host_(host), stop_(stop), intervalMs_(intervalMs)
    {
    }

    // Waits for the next turn; false when interrupted.
    bool Wait()
    {
        if (tried_) {
            for (std::uint64_t now = host_.SteadyMilliseconds(); now < last_ + intervalMs_;
                 now = host_.SteadyMilliseconds()) {
                if (!host_.Pause(stop_, last_ + intervalMs_ - now)) {
                    return false;
                }
            }
        }
        tried_ = true;
        last_ = host_.SteadyMilliseconds();
        return !stop_.Requested();
    }

private:
    platform::Host& host_;
    const StopSignal& stop_;
    std::uint64_t intervalMs_;
    std::uint64_t last_ = 0;
    bool tried_ = false;
};

enum class Look { Camera, Refused, Gone, NoVendorLibrary, Interrupted };

// Looks for the camera in turn until `until` holds of what Init_Device says.
template <typename Until>
Look LookUntil(Pacer& pacer, Until until)
{
    for (;;) {
        if (!pacer.Wait()) {
            return Look::Interrupted;
        }
        const Connection connection = camera::Connect();
        const Look look = connection == Connection::Connected ? Look::Camera
                          : connection == Connection::Refused ? Look::Refused
                          : connection == Connection::NoCamera ? Look::Gone
                                                               : Look::NoVendorLibrary;
        if (until(look)) {
            return look;
        }
    }
}

}  // namespace

Outcome WatchCameras(platform::Host& host, const StopSignal& stop, const StationOptions& options,
                     const CameraTurn& turn, StationEvents& events)
{
    Pacer pacer(host, stop, options.intervalMs);
    const auto ended = [&events](Outcome outcome, const std::string& reason = "") {
        events.RunEnded(outcome, reason);
        return outcome;
    };
    for (unsigned cameras = 0; options.count == 0 || cameras < options.count; ++cameras) {
        events.Waiting();
        const Look found = LookUntil(pacer, [](Look look) { return look != Look::Gone; });
        if (found == Look::NoVendorLibrary) {
            return ended(Outcome::NoCamera, kNoVendorLibrary);
        }
        if (found == Look::Interrupted) {
            return ended(Outcome::Stopped);
        }
        const TurnId id = cameras + 1;
        events.CameraFound(id);
        if (turn(id, found == Look::Refused) == Outcome::AuditFailed) {
            return ended(Outcome::AuditFailed, "an audit line could not be written");
        }
        if (options.count != 0 && cameras + 1 >= options.count) {
            return ended(Outcome::Ok);
        }
        if (LookUntil(pacer, [](Look look) { return look != Look::Camera && look != Look::Refused; })
            == Look::Interrupted) {
            return ended(Outcome::Stopped);
        }
    }
    return ended(Outcome::Ok);
}

}  // namespace station
