#include "DeviceLink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "LocalTime.h"

#include "telvix/Telvix.h"
#include "telvix/VendorEntries.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#include <thread>
#endif

namespace telvix {

int g_device = -1;
ReceiveBuffers g_receiveBuffers;

namespace {

std::unique_ptr<VendorLink> g_link;
// Every handle a connect succeeded on, in the order first met.
std::vector<int> g_connected;

bool Connected(int device) {
    return std::find(g_connected.begin(), g_connected.end(), device) != g_connected.end();
}

void WriteToStandardOutput(const char* text, std::size_t length) {
#ifdef _WIN32
    // Written as raw bytes: a text-mode stream would turn "\r\n" into "\r\r\n".
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, text, static_cast<DWORD>(length), &written, nullptr);
#else
    while (length > 0) {
        ssize_t n = write(STDOUT_FILENO, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<std::size_t>(n);
    }
#endif
}

void SleepFor(unsigned milliseconds) {
#ifdef _WIN32
    Sleep(milliseconds);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
#endif
}

}  // namespace

Environment DefaultEnvironment() {
    Environment environment;
    environment.loadVendor = [] { return LoadVendorLibrary(NVUSB_LIBRARY_NAME); };
    environment.writeTrace = WriteToStandardOutput;
    environment.pause = SleepFor;
    environment.now = SystemClockNow;
    return environment;
}

Environment& CurrentEnvironment() {
    static Environment environment = DefaultEnvironment();
    return environment;
}

void DebugPrint(const char* line) { CurrentEnvironment().writeTrace(line, std::strlen(line)); }

void TraceOutcome(const char* name, bool ok) {
    // On the stack, so that reporting a failure needs no allocation; the
    // longest name leaves ample room.
    char line[96];
    // Cannot fail: two plain strings, and the longest name fits.
    (void)std::snprintf(line, sizeof line, "%s%s", name, ok ? " Successful\r\n" : " Failed!\r\n");
    DebugPrint(line);
}

void Pause(unsigned milliseconds) { CurrentEnvironment().pause(milliseconds); }

void SetStatus(int* status, bool success) {
    if (status) *status = success ? kStatusSuccess : kStatusFailure;
}

int InitDevice(int* status) {
    std::unique_ptr<VendorLink> link = CurrentEnvironment().loadVendor();
    if (!link) {
        DebugPrint("Cannot find NvUSB.dll\r\n");
        return 0;
    }
    g_link = std::move(link);
    g_device = g_link->FirstAvailableDevice();
    if (g_device == 0) {
        DebugPrint("No Device is Existing\r\n");
        SetStatus(status, false);
        return 0;
    }
    if (g_link->ConnectToDevice(g_device) != 0) {
        if (!Connected(g_device)) g_connected.push_back(g_device);
        SetStatus(status, true);
        DebugPrint("Connect to Device Success!\r\n");
    } else {
        SetStatus(status, false);
        DebugPrint("Connect to Device Failed!\r\n");
    }
    return 1;
}

int CurrentLink() { return g_link && Connected(g_device) ? g_device : 0; }

bool UseLink(int device) {
    if (!g_link || !Connected(device)) return false;
    g_device = device;
    return true;
}

bool Send(int command, const void* buffer, int length) {
    if (!g_link) return false;
    // The vendor entry takes a non-const buffer but only reads it.
    return g_link->SetData(g_device, command, const_cast<void*>(buffer), length) != 0;
}

bool Receive(int command, void* buffer, int length) {
    if (!g_link) return false;
    return g_link->GetData(g_device, command, buffer, length) != 0;
}

void ResetForTesting() {
    g_link.reset();
    g_device = -1;
    g_connected.clear();
    g_receiveBuffers = ReceiveBuffers();
    CurrentEnvironment() = DefaultEnvironment();
}

}  // namespace telvix
