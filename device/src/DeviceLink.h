// The process-wide link to the one camera: the vendor link, the device
// handle, the two primitive transfers, trace output and pauses.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>

#include "VendorLink.h"

namespace telvix {

// What the library takes from its surroundings. The defaults load the vendor
// library by name, write traces to standard output, sleep and read the
// system clock; tests replace them to observe the library in process.
struct Environment {
    std::function<std::unique_ptr<VendorLink>()> loadVendor;
    std::function<void(const char* text, std::size_t length)> writeTrace;
    std::function<void(unsigned milliseconds)> pause;
    std::function<std::time_t()> now;
};

Environment& CurrentEnvironment();
Environment DefaultEnvironment();

// Device handle of the first camera; -1 until the first Init_Device.
extern int g_device;

// The library's own receive buffers; each keeps its last received value.
struct ReceiveBuffers {
    int loginVerdict = 4;
    int resolution[2] = {0, 0};
    int batteryLevel = 0;
    int formatVerdict = 0;
};
extern ReceiveBuffers g_receiveBuffers;

// Loads and resolves the vendor library, then finds and connects the first
// camera. Returns 1 when a camera handle was obtained.
int InitDevice(int* status);

// True once a vendor link has been resolved.
bool Linked();

// One vendor transfer with g_device; false when it failed or there is no link.
bool Send(int command, const void* buffer, int length);
bool Receive(int command, void* buffer, int length);

// Writes a fixed trace line (which ends in "\r\n") exactly as given.
void DebugPrint(const char* line);

void Pause(unsigned milliseconds);

// Writes a ResultStatus when the caller gave somewhere to write it.
void SetStatus(int* status, bool success);

// Back to the state of a freshly loaded library (tests only).
void ResetForTesting();

}  // namespace telvix
