// Several simulated cameras at once: one state file per camera in a dock
// folder (every regular file whose name ends in ".txt"), each with its log
// "<name>.log" and by default its card "<name>-card" beside it. Looking for
// a device finds the first camera, by file name, that is plugged in and not
// in storage mode. Each camera met gets a device handle of its own for the
// rest of the process, so a connection keeps talking to the camera it found
// while others are plugged and unplugged.
#pragma once

#include "PersistentCamera.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace nvusb_sim {

// Handles of a dock's cameras: this one for the first camera met, then on.
// Apart from kDeviceHandle, so that no lone camera's handle reaches a dock.
constexpr int kFirstDockHandle = 0x5B00;

class SimulatedDock {
public:
    using Sleeper = PersistentCamera::Sleeper;

    SimulatedDock(std::ostream& diagnostics, Sleeper sleeper);

    // Call before each entry: the dock folder and the environment's faults,
    // which apply to every camera.
    void refresh(const std::filesystem::path& folder, const std::optional<std::string>& environmentFaults);

    int firstAvailableDevice();
    int connect(int device);
    int receive(int device, int command, void* buffer, int length);
    int send(int device, int command, const void* buffer, int length);

private:
    struct DockedCamera {
        std::filesystem::path stateFile;
        std::unique_ptr<PersistentCamera> camera;
    };

    std::vector<std::filesystem::path> cameraFiles();
    int handleOf(const std::filesystem::path& stateFile);
    // The camera behind `device`, reread; null when the handle names none or
    // its state file is gone (the camera left the dock).
    PersistentCamera* refreshedCamera(int device);
    PersistentCamera& refreshed(DockedCamera& docked);

    std::ostream& diagnostics_;
    ProblemReport problems_;
    Sleeper sleeper_;
    std::filesystem::path folder_;
    std::optional<std::string> environmentFaults_;
    std::vector<DockedCamera> cameras_;  // handle kFirstDockHandle + index
};

// Where a camera of a dock keeps its log and, unless its state says, its card.
SimFiles dockedCameraFiles(const std::filesystem::path& stateFile);

}  // namespace nvusb_sim
