// A camera library behind the windows' seam for as long as it lives. The
// WiFi/4G functions are stand-ins: the simulated camera answers them without
// looking, so these record what they were given and fail on demand. Storage
// and formatting go to the simulated camera through Telvix, timed. Every
// call through the stand-ins is recorded with the moment it returned.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "camera/CameraLibrary.h"

using FakeClock = std::chrono::steady_clock;

struct FakeCall {
    std::string function;
    std::string bytes; // a set function's whole buffer, as far as its size
    int mode = 0;      // SetWifiMode's argument
    FakeClock::time_point returned;
};

// What the stand-ins answer and what they were given. Called on the window
// thread, read on the test's.
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
    // Milliseconds from the return of `before` to that of `after` (their
    // first calls).
    long long MillisecondsBetween(const std::string& before, const std::string& after);
    // The return of `function`'s first call.
    FakeClock::time_point ReturnOf(const std::string& function);

    // For the stand-ins.
    static FakeCamera& Current();
    int Answer(FakeCall call, int* status);
    std::string Value(const std::string& function);
    int Mode();
    void Record(FakeCall call);

private:
    std::mutex m_lock;
    std::set<std::string> m_failing;
    std::map<std::string, std::string> m_values;
    int m_mode = 0;
    std::vector<FakeCall> m_calls;
    CameraLibrary m_library;
    const CameraLibrary* m_previous;
};

// The seven reads and the seven sets, in the order the window makes them.
extern const std::vector<std::string> kAllNetworkReads;
extern const std::vector<std::string> kAllNetworkSets;
