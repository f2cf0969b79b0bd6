#include "SimulatedDock.h"

#include <algorithm>
#include <system_error>

namespace nvusb_sim {

namespace fs = std::filesystem;

SimFiles dockedCameraFiles(const fs::path& stateFile) {
    SimFiles files;
    files.state = stateFile;
    files.log = fs::path(stateFile).replace_extension(".log");
    files.defaultCard = stateFile.stem().u8string() + "-card";
    files.docked = true;
    return files;
}

SimulatedDock::SimulatedDock(std::ostream& diagnostics, Sleeper sleeper)
    : diagnostics_(diagnostics), problems_(diagnostics), sleeper_(std::move(sleeper)) {}

void SimulatedDock::refresh(const fs::path& folder, const std::optional<std::string>& environmentFaults) {
    folder_ = folder;
    environmentFaults_ = environmentFaults;
}

// Sorted by name, so that the first camera found does not depend on the
// order the file system lists them in.
std::vector<fs::path> SimulatedDock::cameraFiles() {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().extension() == ".txt" && entry->is_regular_file()) files.push_back(entry->path());
    }
    if (error) problems_.report("cannot list the dock folder " + folder_.u8string() + ": " + error.message());
    std::sort(files.begin(), files.end());
    return files;
}

int SimulatedDock::handleOf(const fs::path& stateFile) {
    const auto known = std::find_if(cameras_.begin(), cameras_.end(),
                                    [&](const DockedCamera& docked) { return docked.stateFile == stateFile; });
    if (known != cameras_.end()) return kFirstDockHandle + static_cast<int>(known - cameras_.begin());
    cameras_.push_back({stateFile, std::make_unique<PersistentCamera>(diagnostics_, sleeper_)});
    return kFirstDockHandle + static_cast<int>(cameras_.size() - 1);
}

PersistentCamera& SimulatedDock::refreshed(DockedCamera& docked) {
    docked.camera->refresh(dockedCameraFiles(docked.stateFile), environmentFaults_);
    return *docked.camera;
}

PersistentCamera* SimulatedDock::refreshedCamera(int device) {
    const long index = static_cast<long>(device) - kFirstDockHandle;
    if (index < 0 || index >= static_cast<long>(cameras_.size())) return nullptr;
    DockedCamera& docked = cameras_[static_cast<size_t>(index)];
    std::error_code error;
    if (!fs::is_regular_file(docked.stateFile, error)) return nullptr;
    return &refreshed(docked);
}

int SimulatedDock::firstAvailableDevice() {
    for (const fs::path& file : cameraFiles()) {
        const int handle = handleOf(file);
        const PersistentCamera* camera = refreshedCamera(handle);  // null when the file went meanwhile
        if (camera != nullptr && camera->firstAvailableDevice() != 0) return handle;
    }
    return 0;
}

// Each camera answers as the lone camera would on its own handle.
int SimulatedDock::connect(int device) {
    PersistentCamera* camera = refreshedCamera(device);
    return camera != nullptr ? camera->connect(kDeviceHandle) : 0;
}

int SimulatedDock::receive(int device, int command, void* buffer, int length) {
    PersistentCamera* camera = refreshedCamera(device);
    return camera != nullptr ? camera->receive(kDeviceHandle, command, buffer, length) : 0;
}

int SimulatedDock::send(int device, int command, const void* buffer, int length) {
    PersistentCamera* camera = refreshedCamera(device);
    return camera != nullptr ? camera->send(kDeviceHandle, command, buffer, length) : 0;
}

}  // namespace nvusb_sim
