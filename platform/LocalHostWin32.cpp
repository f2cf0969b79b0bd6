#include "platform/LocalHost.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "platform/WindowsPaths.h"

namespace platform {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

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

void WipeMemory(void* bytes, std::size_t size)
{
    SecureZeroMemory(bytes, size);
}

std::uint64_t LocalHost::SteadyMilliseconds()
{
    return GetTickCount64();
}

std::string LocalHost::UserName()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? Narrow(name) : "";
}

std::string LocalHost::ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? Narrow(name) : "";
}

std::string LocalHost::DefaultAuditPath()
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

FileRead LocalHost::ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
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

std::unique_ptr<SharedFile> LocalHost::OpenSharedFile(const std::string& path, FileAccess access)
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
std::vector<std::string> LocalHost::DriveRoots()
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

bool LocalHost::HasDriveLetters()
{
    return true;
}

bool LocalHost::RemoveEmptyFolder(const std::string& path)
{
    return RemoveDirectoryW(LongPath(path).c_str()) != 0;
}

std::string LocalHost::FullPath(const std::string& path)
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
