#include "cli/Console.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <vector>

#include "core/CodePages.h"
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

// Manual-reset events: an interrupt came (wakes Pause); the main thread is
// ready for the process to end (releases the handler of a close).
HANDLE InterruptEvent()
{
    static const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

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

BOOL WINAPI OnControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        InterlockedExchange(&g_interrupted, 1);
        SetEvent(InterruptEvent());
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        InterlockedExchange(&g_interrupted, 1);
        SetEvent(InterruptEvent());
        WaitForSingleObject(ReadyEvent(), kGraceAfterCloseMs);
        return TRUE;
    default:
        return FALSE;
    }
}

// Offsets in OVERLAPPED: a lock's range, or where a read starts.
OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

class Win32SharedFile : public SharedFile {
public:
    Win32SharedFile(HANDLE handle, FileAccess access) : file_(handle), access_(access) {}

    LockAttempt TryLock() override
    {
        // The whole file, however long it grows.
        OVERLAPPED from = At(0);
        const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (access_ == FileAccess::Append ? LOCKFILE_EXCLUSIVE_LOCK : 0);
        if (LockFileEx(file_.get(), flags, 0, MAXDWORD, MAXDWORD, &from)) {
            return LockAttempt::Held;
        }
        return GetLastError() == ERROR_LOCK_VIOLATION ? LockAttempt::Busy : LockAttempt::Failed;
    }
    void Unlock() override
    {
        OVERLAPPED from = At(0);
        UnlockFileEx(file_.get(), 0, MAXDWORD, MAXDWORD, &from);
    }
    bool Size(std::uint64_t& size) override
    {
        LARGE_INTEGER length{};
        if (!GetFileSizeEx(file_.get(), &length)) {
            return false;
        }
        size = static_cast<std::uint64_t>(length.QuadPart);
        return true;
    }
    bool ReadAt(std::uint64_t offset, std::uint32_t count, std::string& bytes) override
    {
        bytes.resize(count);
        DWORD got = 0;
        while (got < count) {
            OVERLAPPED at = At(offset + got);
            DWORD read = 0;
            if (!::ReadFile(file_.get(), &bytes[got], count - got, &read, &at)) {
                if (GetLastError() == ERROR_HANDLE_EOF) {
                    break;
                }
                return false;
            }
            if (read == 0) {
                break;
            }
            got += read;
        }
        bytes.resize(got);
        return true;
    }
    bool Append(const std::string& bytes) override
    {
        // Opened with FILE_APPEND_DATA but not FILE_WRITE_DATA: every write
        // goes to the end, whatever a read did to the file pointer.
        DWORD written = 0;
        const BOOL ok = WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return ok && written == bytes.size() && FlushFileBuffers(file_.get());
    }

private:
    OwnedHandle file_;
    FileAccess access_;
};

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

void CatchInterrupt()
{
    InterlockedExchange(&g_catching, 1);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

bool Interrupted()
{
    return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0;
}

void ReadyToEnd()
{
    SetEvent(ReadyEvent());
}

std::uint64_t SteadyMilliseconds()
{
    return GetTickCount64();
}

bool Pause(std::uint64_t ms)
{
    if (Interrupted()) {
        return false;
    }
    const DWORD wait = ms < INFINITE ? static_cast<DWORD>(ms) : INFINITE - 1;
    return WaitForSingleObject(InterruptEvent(), wait) == WAIT_TIMEOUT;
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

void WipeMemory(void* bytes, std::size_t size)
{
    SecureZeroMemory(bytes, size);
}

std::string UserName()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? Narrow(name) : "";
}

std::string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Narrow(name) : "";
}

std::string DefaultAuditPath()
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || !*local) {
        return "";
    }
    const std::wstring folder = std::wstring(local) + L"\\Kestrava";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\orvanectl-audit.jsonl";
    return Narrow(path);
}

FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
{
    bytes.clear();
    const std::wstring widePath = LongPath(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FileRead::IsFolder;
    }
    OwnedHandle file(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return FileRead::CannotOpen;
    }
    if (!GetFileSizeEx(file.get(), &size)) {
        return FileRead::Failed;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        return FileRead::TooLarge;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) >= bytes.max_size()) {
        return FileRead::TooLarge;  // more than this process can hold
    }
    bytes.reserve(static_cast<size_t>(size.QuadPart) + 1);  // + 1: the end is seen without growing
    for (;;) {
        if (bytes.size() == bytes.capacity()) {
            bytes.reserve(bytes.capacity() * 2);
        }
        const size_t at = bytes.size();
        bytes.resize(bytes.capacity());
        const DWORD room = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        DWORD read = 0;
        const BOOL ok = ::ReadFile(file.get(), &bytes[at], room, &read, nullptr);
        bytes.resize(at + read);
        if (!ok) {
            return FileRead::Failed;
        }
        if (bytes.size() > maxBytes) {
            return FileRead::TooLarge;
        }
        if (read == 0) {
            return FileRead::Ok;
        }
    }
}

std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access)
{
    const bool append = access == FileAccess::Append;
    const HANDLE file = CreateFileW(LongPath(path).c_str(), append ? GENERIC_READ | FILE_APPEND_DATA : GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<Win32SharedFile>(file, access);
}

// A camera's card is a removable or fixed drive; network and optical
// drives are not looked at (an unreachable share could block the look).
// Letters A and B stay out: legacy floppy letters, probed slowly.
std::vector<std::string> DriveRoots()
{
    std::vector<std::string> roots;
    DWORD oldMode = 0;
    // No "insert a disk" box for a reader without a card.
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        const UINT type = GetDriveTypeW(root);
        if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED) {
            continue;
        }
        if (GetFileAttributesW(root) == INVALID_FILE_ATTRIBUTES) {
            continue;  // a reader without a card, or a drive just pulled
        }
        roots.push_back(Narrow(std::wstring(root, 3)));
    }
    SetThreadErrorMode(oldMode, nullptr);
    return roots;
}

bool HasDriveLetters()
{
    return true;
}

static_assert(sizeof(__time64_t) == 8, "UTC seconds beyond 2038");

std::int64_t UtcSeconds()
{
    return static_cast<std::int64_t>(_time64(nullptr));
}

bool ErrorIsConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool RemoveEmptyFolder(const std::string& path)
{
    return RemoveDirectoryW(LongPath(path).c_str()) != 0;
}

std::string FullPath(const std::string& path)
{
    const std::wstring wide = Wide(path);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::vector<wchar_t> full(length);
    if (GetFullPathNameW(wide.c_str(), length, full.data(), nullptr) >= length) {
        return path;
    }
    return Narrow(full.data());
}

}  // namespace platform
