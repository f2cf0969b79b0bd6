#include "cli/Station.h"

#include "cli/ExitCodes.h"
#include "cli/Console.h"

namespace {

// Spaces the station's attempts: each Init_Device at least the interval
// after the one before.
class Pacer {
public:
    explicit Pacer(std::uint64_t intervalMs) : intervalMs_(intervalMs) {}

    // Waits for the next turn; false when interrupted.
    bool Wait()
    {
        if (tried_) {
            for (std::uint64_t now = platform::SteadyMilliseconds(); now < last_ + intervalMs_;
                 now = platform::SteadyMilliseconds()) {
                if (!platform::Pause(last_ + intervalMs_ - now)) {
                    return false;
                }
            }
        }
        tried_ = true;
        last_ = platform::SteadyMilliseconds();
        return !platform::Interrupted();
    }

private:
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

int WatchCameras(const Session& session, const StationOptions& options, const CameraTurn& turn,
                 const std::function<void()>& waiting)
{
    Pacer pacer(options.intervalMs);
    for (unsigned cameras = 0; options.count == 0 || cameras < options.count; ++cameras) {
        if (waiting) {
            waiting();
        }
        const Look found = LookUntil(pacer, [](Look look) { return look != Look::Gone; });
        if (found == Look::NoVendorLibrary) {
            session.output.Error("the camera's USB library (NvUSB) was not found");
            return kExitNoCamera;
        }
        if (found == Look::Interrupted) {
            return kExitOk;
        }
        if (turn(found == Look::Refused) == kExitAuditFailed) {
            return kExitAuditFailed;
        }
        if (options.count != 0 && cameras + 1 >= options.count) {
            return kExitOk;
        }
        if (LookUntil(pacer, [](Look look) { return look != Look::Camera && look != Look::Refused; })
            == Look::Interrupted) {
            return kExitOk;
        }
    }
    return kExitOk;
}
