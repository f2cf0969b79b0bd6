// The process-wide link to the one camera: the vendor link, the device
// handle, the two primitive transfers, trace output and pauses.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // Calendar time in seconds since 1970 UTC; 64 bits so that 2038 passes
    // on the 32-bit build too.
    std::function<std::int64_t()> now;
};

Environment& CurrentEnvironment();
Environment DefaultEnvironment();

// Device handle of the camera transfers go to; -1 until the first Init_Device.
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

// The handle of the current link when a connect made it, else 0.
int CurrentLink();
// Makes `device`, a handle some Init_Device of this process connected, the
// current link again. The vendor library keeps every handle valid while the
// process lives, so a camera Init_Device no longer finds (one in storage
// mode) is still reached through its own. False, link unchanged, otherwise.
bool UseLink(int device);

// One vendor transfer with g_device; false when it failed or there is no link.
bool Send(int command, const void* buffer, int length);
bool Receive(int command, void* buffer, int length);

// Writes a fixed trace line (which ends in "\r\n") exactly as given.
void DebugPrint(const char* line);
// The line "<name> Successful\r\n" or "<name> Failed!\r\n".
void TraceOutcome(const char* name, bool ok);

void Pause(unsigned milliseconds);

// Writes a ResultStatus when the caller gave somewhere to write it.
void SetStatus(int* status, bool success);

// Runs the body of an export. Anything it throws is that export's failure:
// the line "<name> Failed!\r\n" (none without a name), status 2 and
// `failure` as the result, so that no exception crosses the C boundary.
template <typename Body>
int Guarded(const char* name, int* status, int failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        try {
            if (name) TraceOutcome(name, false);
        } catch (...) {
        }
        SetStatus(status, false);
        return failure;
    }
}

// Back to the state of a freshly loaded library (tests only).
void ResetForTesting();

}  // namespace telvix
