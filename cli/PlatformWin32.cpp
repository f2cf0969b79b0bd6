#include "cli/Platform.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <vector>

#include "core/CodePages.h"

namespace platform {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

HANDLE g_output = INVALID_HANDLE_VALUE;
OwnedHandle g_nul;
volatile LONG g_interrupted = 0;

std::wstring Wide(const std::string& text)
{
    const WideString wide = DecodeUtf8(text.data(), text.size());
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text)
{
    return EncodeUtf8(text, std::wcslen(text));
}

void WriteAll(HANDLE handle, const std::string& text)
{
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

BOOL WINAPI OnControl(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        InterlockedExchange(&g_interrupted, 1);
        return TRUE;
    }
    return FALSE;
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

    bool Lock() override
    {
        // The whole file, however long it grows.
        OVERLAPPED from = At(0);
        const DWORD flags = access_ == FileAccess::Append ? LOCKFILE_EXCLUSIVE_LOCK : 0;
        return LockFileEx(file_.get(), flags, 0, MAXDWORD, MAXDWORD, &from) != FALSE;
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
            if (!ReadFile(file_.get(), &bytes[got], count - got, &read, &at)) {
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

bool ReadSecret(const std::string& prompt, std::string& secret)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        return false;
    }
    WriteError(prompt);
    SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
    wchar_t buffer[256] = {};
    DWORD read = 0;
    ReadConsoleW(input, buffer, 255, &read, nullptr);
    SetConsoleMode(input, mode);
    WriteError("\n");
    while (read > 0 && (buffer[read - 1] == L'\n' || buffer[read - 1] == L'\r')) {
        --read;
    }
    buffer[read] = L'\0';
    secret = Narrow(buffer);
    SecureZeroMemory(buffer, sizeof buffer);
    return true;
}

void CatchInterrupt()
{
    SetConsoleCtrlHandler(OnControl, TRUE);
}

bool Interrupted()
{
    return InterlockedCompareExchange(&g_interrupted, 0, 0) != 0;
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
    return Narrow((folder + L"\\orvanectl-audit.jsonl").c_str());
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    OwnedHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    bytes.clear();
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    return true;
}

std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access)
{
    const bool append = access == FileAccess::Append;
    const HANDLE file = CreateFileW(Wide(path).c_str(), append ? GENERIC_READ | FILE_APPEND_DATA : GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<Win32SharedFile>(file, access);
}

}  // namespace platform
