// A camera library behind the windows' seam for as long as it lives. The
// WiFi/4G functions are stand-ins: the simulated camera answers them without
// looking, so these record what they were given and fail on demand. Storage
// and formatting go to the simulated camera through Telvix, recorded. The
// window thread's pauses are recorded among the calls, as "Sleep <ms>",
// and skipped: a test sees where a pause stands and how long it asks for,
// whatever the machine's load.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "ImportPatch.h"
#include "camera/CameraLibrary.h"

struct FakeCall {
    std::string function;
    std::string bytes; // a set function's whole buffer, as far as its size
    int mode = 0;      // SetWifiMode's argument
};

// What the stand-ins answer and what they were given. Made on the thread
// that runs the windows; called on it, read on the driver's.
class FakeCamera {
public:
    FakeCamera();
    ~FakeCamera();
    FakeCamera(const FakeCamera&) = delete;
    FakeCamera& operator=(const FakeCamera&) = delete;

    void Fail(const std::string& function, bool fail = true);
    // The bytes a read delivers; the mode ReadWifiMode delivers.
    void SetValue(const std::string& function, const std::string& bytes);
    void SetMode(int mode);

    std::vector<FakeCall> Calls();
    std::vector<std::string> Names();
    void ClearCalls();

    // For the stand-ins.
    static FakeCamera& Current();
    int Answer(FakeCall call, int* status);
    std::string Value(const std::string& function);
    int Mode();
    void Record(FakeCall call);
    // The window thread's pauses are recorded; other threads sleep, as
    // does a yield.
    static void WINAPI Sleep(DWORD milliseconds);

private:
    std::mutex m_lock;
    std::set<std::string> m_failing;
    std::map<std::string, std::string> m_values;
    int m_mode = 0;
    std::vector<FakeCall> m_calls;
    CameraLibrary m_library;
    const CameraLibrary* m_previous;
    const DWORD m_windowThread;
    ImportPatch m_sleep;
};

// The seven reads and the seven sets, in the order the window makes them.
extern const std::vector<std::string> kAllNetworkReads;
extern const std::vector<std::string> kAllNetworkSets;
