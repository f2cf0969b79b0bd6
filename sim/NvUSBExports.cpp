// The four entries of the vendor library, answered by the simulated camera,
// or by the cameras of a dock when NVUSB_SIM_DOCK names one. Each entry
// rereads the state files and the environment, so a test may change either
// between calls.
#include "PersistentCamera.h"
#include "SimHost.h"
#include "SimulatedDock.h"

#include "telvix/VendorEntries.h"

#include <chrono>
#include <iostream>
#include <thread>

#ifdef _WIN32
#define NVUSB_EXPORT
#else
#define NVUSB_EXPORT __attribute__((visibility("default")))
#endif

namespace {

using nvusb_sim::PersistentCamera;
using nvusb_sim::SimulatedDock;

void sleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PersistentCamera& refreshedCamera() {
    static PersistentCamera camera(std::cerr, sleepMilliseconds);
    camera.refresh(nvusb_sim::locateSimFiles(), nvusb_sim::environmentValue("NVUSB_SIM_FAULTS"));
    return camera;
}

SimulatedDock& refreshedDock(const std::filesystem::path& folder) {
    static SimulatedDock dock(std::cerr, sleepMilliseconds);
    dock.refresh(folder, nvusb_sim::environmentValue("NVUSB_SIM_FAULTS"));
    return dock;
}

// The action is generic: the lone camera and the dock answer alike. No
// exception may leave a C entry; any that would counts as a failure.
template <typename Action>
int guarded(Action action) {
    try {
        if (const auto dock = nvusb_sim::locateDockFolder()) return action(refreshedDock(*dock));
        return action(refreshedCamera());
    } catch (const std::exception& error) {
        std::cerr << "nvusb-sim: " << error.what() << std::endl;
    } catch (...) {
        std::cerr << "nvusb-sim: unexpected error" << std::endl;
    }
    return 0;
}

}  // namespace

extern "C" {

NVUSB_EXPORT int NVUSB_CALL NvUSB_GetFirstAvailableDevice(void) {
    return guarded([](auto& camera) { return camera.firstAvailableDevice(); });
}

NVUSB_EXPORT int NVUSB_CALL NvUSB_ConnectToDevice(int device) {
    return guarded([device](auto& camera) { return camera.connect(device); });
}

NVUSB_EXPORT int NVUSB_CALL NvUSB_VenderCmd_GetData(int device, int command, void* buffer, int length) {
    return guarded([&](auto& camera) { return camera.receive(device, command, buffer, length); });
}

NVUSB_EXPORT int NVUSB_CALL NvUSB_VenderCmd_SetData(int device, int command, void* buffer, int length) {
    return guarded([&](auto& camera) { return camera.send(device, command, buffer, length); });
}

}  // extern "C"
