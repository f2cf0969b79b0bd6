#include "cli/Console.h"

#include <windows.h>

#include <cwchar>
#include <mutex>
#include <string>

#include "platform/WindowsPaths.h"

namespace platform {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// After a close, logoff or shutdown, Windows ends the process about 5 s
// after the event, or as soon as the handler returns: the handler gives the
// main thread this long to finish the step in hand and write what it must.
constexpr DWORD kGraceAfterCloseMs = 4500;

HANDLE g_output = INVALID_HANDLE_VALUE;
OwnedHandle g_nul;
volatile LONG g_interrupted = 0;
volatile LONG g_catching = 0;

// The run's stop, which the handler (on a thread of its own) requests.
std::mutex g_stopMutex;
StopSignal* g_stop = nullptr;

// A manual-reset event: the main thread is ready for the process to end
// (releases the handler of a close).
HANDLE ReadyEvent()
{
    static const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

void WriteAll(HANDLE handle, const std::string& text)
{
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool Interrupted()
{
    return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0;
}

void Interrupt()
{
    InterlockedExchange(&g_interrupted, 1);
    const std::lock_guard<std::mutex> lock(g_stopMutex);
    if (g_stop != nullptr) {
        g_stop->Request();
    }
}

BOOL WINAPI OnControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        Interrupt();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        Interrupt();
        WaitForSingleObject(ReadyEvent(), kGraceAfterCloseMs);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace


void DivertStandardOutput(bool traceToError)
{
    g_output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (GetFileType(g_output) == FILE_TYPE_CHAR) {
        SetConsoleOutputCP(CP_UTF8);
    }
    if (traceToError) {
        SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
        return;
    }
    g_nul.reset(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    SetStdHandle(STD_OUTPUT_HANDLE, g_nul.get());
}

void WriteOutput(const std::string& text)
{
    WriteAll(g_output == INVALID_HANDLE_VALUE ? GetStdHandle(STD_OUTPUT_HANDLE) : g_output, text);
}

void WriteError(const std::string& text)
{
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), text);
}

SecretRead ReadSecret(const std::string& prompt, std::string& secret)
{
    secret.clear();
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        return SecretRead::NoConsole;
    }
    // Ctrl+C while echo is off must not end the process before echo is back.
    const bool caughtBefore = InterlockedCompareExchange(&g_catching, 0, 0) != 0;
    SetConsoleCtrlHandler(OnControl, TRUE);
    WriteError(prompt);
    SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    wchar_t buffer[256] = {};
    DWORD read = 0;
    const BOOL ok = ReadConsoleW(input, buffer, 255, &read, nullptr);
    SetConsoleMode(input, mode);
    WriteError("\n");
    if (!caughtBefore) {
        SetConsoleCtrlHandler(OnControl, FALSE);
    }
    // A line typed whole ends with its line break; Ctrl+C gives none.
    const bool wholeLine = ok && read > 0 && buffer[read - 1] == L'\n';
    SecretRead result = Interrupted() ? SecretRead::Interrupted : wholeLine ? SecretRead::Ok : SecretRead::Failed;
    while (read > 0 && (buffer[read - 1] == L'\n' || buffer[read - 1] == L'\r')) {
        --read;
    }
    if (result == SecretRead::Ok) {
        secret = Narrow(std::wstring(buffer, read));
    }
    SecureZeroMemory(buffer, sizeof buffer);
    return result;
}

void CatchInterrupt(StopSignal& stop)
{
    {
        const std::lock_guard<std::mutex> lock(g_stopMutex);
        g_stop = &stop;
    }
    if (Interrupted()) {
        stop.Request();  // Ctrl+C came while a password was asked for
    }
    InterlockedExchange(&g_catching, 1);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

void ReadyToEnd()
{
    {
        const std::lock_guard<std::mutex> lock(g_stopMutex);
        g_stop = nullptr;
    }
    SetEvent(ReadyEvent());
}

bool TakeEnvironment(const char* name, std::string& value)
{
    const std::wstring wideName = Wide(name);
    wchar_t* found = _wgetenv(wideName.c_str());
    if (found == nullptr) {
        return false;
    }
    const size_t length = std::wcslen(found);
    value = Narrow(std::wstring(found, length));
    SecureZeroMemory(found, length * sizeof(wchar_t));
    _wputenv((wideName + L"=").c_str());  // "NAME=" removes it, here and in the process's environment
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
    return !value.empty();
}

std::string SharedCredentialsPath()
{
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile == nullptr || *profile == L'\0' ? "" : Narrow(profile) + "\\.aws\\credentials";
}

bool ErrorIsConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace platform
