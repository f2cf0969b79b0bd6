#include "FakeCamera.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

const std::vector<std::string> kAllNetworkReads = {"ReadWifiMode", "ReadWifiSSID", "ReadWifiPSW", "ReadServerIP",
                                                   "Read4GAPN",    "Read4GPIN",    "ReadServerPort"};
const std::vector<std::string> kAllNetworkSets = {"SetWifiMode", "SetWifiSSID", "SetWifiPSW", "SetServerIP",
                                                  "Set4GAPN",    "Set4GPIN",    "SetServerPort"};

namespace {

FakeCamera* g_current = nullptr;

// The sizes the window's buffers have, as the library's contract states
// them: a stand-in never reads or writes more.
struct Buffer {
    const char* set;
    const char* read;
    size_t size;
    decltype(CameraLibrary::SetWifiSSID) CameraLibrary::*setEntry;
    decltype(CameraLibrary::ReadWifiSSID) CameraLibrary::*readEntry;
};
constexpr Buffer kBuffers[] = {
    {"SetWifiSSID", "ReadWifiSSID", 64, &CameraLibrary::SetWifiSSID, &CameraLibrary::ReadWifiSSID},
    {"SetWifiPSW", "ReadWifiPSW", 64, &CameraLibrary::SetWifiPSW, &CameraLibrary::ReadWifiPSW},
    {"SetServerIP", "ReadServerIP", 24, &CameraLibrary::SetServerIP, &CameraLibrary::ReadServerIP},
    {"Set4GAPN", "Read4GAPN", 64, &CameraLibrary::Set4GAPN, &CameraLibrary::Read4GAPN},
    {"Set4GPIN", "Read4GPIN", 64, &CameraLibrary::Set4GPIN, &CameraLibrary::Read4GPIN},
    {"SetServerPort", "ReadServerPort", 12, &CameraLibrary::SetServerPort, &CameraLibrary::ReadServerPort},
};

template <size_t I>
int TELVIX_CALL FakeSet(const char* value, const char*, int* status)
{
    return FakeCamera::Current().Answer({kBuffers[I].set, std::string(value, kBuffers[I].size), 0}, status);
}

template <size_t I>
int TELVIX_CALL FakeRead(char* buffer, const char*, int* status)
{
    FakeCamera& fake = FakeCamera::Current();
    int result = fake.Answer({kBuffers[I].read, {}, 0}, status);
    if (result == 1) {
        std::string value = fake.Value(kBuffers[I].read);
        std::memcpy(buffer, value.data(), std::min(value.size(), kBuffers[I].size));
    }
    return result;
}

int TELVIX_CALL FakeSetWifiMode(int mode, const char*, int* status)
{
    return FakeCamera::Current().Answer({"SetWifiMode", {}, mode}, status);
}

int TELVIX_CALL FakeReadWifiMode(int* mode, const char*, int* status)
{
    FakeCamera& fake = FakeCamera::Current();
    int result = fake.Answer({"ReadWifiMode", {}, 0}, status);
    if (result == 1)
        *mode = fake.Mode();
    return result;
}

// Puts the stand-ins of every value of kBuffers into `library`.
template <size_t... I>
void PutValueStandIns(CameraLibrary& library, std::index_sequence<I...>)
{
    ((library.*kBuffers[I].setEntry = &FakeSet<I>), ...);
    ((library.*kBuffers[I].readEntry = &FakeRead<I>), ...);
}

int TELVIX_CALL RecordedSetMSDC(const char* credential, int* status)
{
    int result = TelvixLibrary().SetMSDC(credential, status);
    FakeCamera::Current().Record({"SetMSDC", {}, 0});
    return result;
}

int TELVIX_CALL RecordedFormatDecTF(const char* credential, int* status)
{
    int result = TelvixLibrary().FormatDecTF(credential, status);
    FakeCamera::Current().Record({"FormatDecTF", {}, 0});
    return result;
}

} // namespace

FakeCamera::FakeCamera()
    : m_library(TelvixLibrary()), m_previous(g_cameraLibrary), m_windowThread(GetCurrentThreadId()),
      m_sleep("kernel32.dll", "Sleep", reinterpret_cast<void*>(&FakeCamera::Sleep))
{
    m_library.SetWifiMode = &FakeSetWifiMode;
    m_library.ReadWifiMode = &FakeReadWifiMode;
    PutValueStandIns(m_library, std::make_index_sequence<std::size(kBuffers)>());
    m_library.SetMSDC = &RecordedSetMSDC;
    m_library.FormatDecTF = &RecordedFormatDecTF;
    g_current = this;
    g_cameraLibrary = &m_library;
}

FakeCamera::~FakeCamera()
{
    g_cameraLibrary = m_previous;
    g_current = nullptr;
}

FakeCamera& FakeCamera::Current()
{
    return *g_current;
}

void FakeCamera::Fail(const std::string& function, bool fail)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (fail)
        m_failing.insert(function);
    else
        m_failing.erase(function);
}

void FakeCamera::SetValue(const std::string& function, const std::string& bytes)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_values[function] = bytes;
}

void FakeCamera::SetMode(int mode)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_mode = mode;
}

std::vector<FakeCall> FakeCamera::Calls()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_calls;
}

std::vector<std::string> FakeCamera::Names()
{
    std::vector<std::string> names;
    for (const auto& call : Calls())
        names.push_back(call.function);
    return names;
}

void FakeCamera::ClearCalls()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.clear();
}

int FakeCamera::Answer(FakeCall call, int* status)
{
    bool fails = false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        fails = m_failing.count(call.function) != 0;
    }
    Record(std::move(call));
    *status = fails ? kStatusFailure : kStatusSuccess;
    return fails ? 0 : 1;
}

std::string FakeCamera::Value(const std::string& function)
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_values[function];
}

int FakeCamera::Mode()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_mode;
}

void FakeCamera::Record(FakeCall call)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_calls.push_back(std::move(call));
}

void WINAPI FakeCamera::Sleep(DWORD milliseconds)
{
    // SleepEx is not patched; the patch outlives g_current by a moment. A
    // sleep of 0 yields (the threads library's), it is no pause.
    if (!g_current || GetCurrentThreadId() != g_current->m_windowThread || milliseconds == 0) {
        SleepEx(milliseconds, FALSE);
        return;
    }
    g_current->Record({"Sleep " + std::to_string(milliseconds), {}, 0});
}
