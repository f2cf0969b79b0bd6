// Windows: UTF-16 paths with the \\?\ prefix, so that paths beyond 260
// characters and any name the file system allows work; CREATE_NEW,
// FlushFileBuffers, a move that never replaces, FILE_FLAG_NO_BUFFERING to
// read past the cache.
#include "platform/FileSystem.h"
#include "platform/NameKey.h"
#include "platform/ThreadErrorText.h"

#include <windows.h>

#include <algorithm>

#include "core/CodePages.h"
#include "platform/WindowsPaths.h"

namespace custody {
namespace {

using platform::DisplayPath;
using platform::LongPath;
using platform::Narrow;
using platform::RootLength;
using platform::Wide;

thread_local platform::ThreadErrorText t_lastError;
thread_local bool t_noSpace = false;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using OwnedFind = std::unique_ptr<void, FindCloser>;

std::string SystemMessage(DWORD code)
{
    wchar_t buffer[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]), nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(code) : Narrow(text);
}

bool Fail(const char* what, const std::string& path)
{
    const DWORD code = GetLastError();
    t_noSpace = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL;
    t_lastError.Set(std::string(what) + " " + path + ": " + SystemMessage(code));
    SetLastError(code);
    return false;
}

bool IsFolderWide(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// `name` inside `folder`, which may be a drive's root ("\\?\C:\").
std::wstring ChildPath(const std::wstring& folder, const std::wstring& name)
{
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

// Every entry of one folder, hidden and system ones included; "." and ".."
// are left out. `visit` returns false to stop. False when the folder cannot
// be listed to its end or `visit` stopped.
template <class Visit>
bool EachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW found;
    const OwnedFind find(FindFirstFileExW(ChildPath(folder, L"*").c_str(), FindExInfoBasic, &found,
                                          FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        // A drive's empty root has no "." entry to find; a missing folder
        // may answer the same.
        const DWORD code = GetLastError();
        const bool empty = code == ERROR_FILE_NOT_FOUND && IsFolderWide(folder);
        SetLastError(code);
        return empty;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L".." && !visit(name, found)) {
            return false;
        }
    } while (FindNextFileW(find.get(), &found));
    const DWORD code = GetLastError();
    SetLastError(code);
    return code == ERROR_NO_MORE_FILES;
}

// `what`, and why the last call failed.
std::string Because(const std::string& what)
{
    const DWORD code = GetLastError();
    return what + ": " + SystemMessage(code);
}

bool Refuse(std::string& error, const std::string& why)
{
    t_noSpace = false;
    error = why;
    t_lastError.Set(why);
    return false;
}

// Why an entry is not listed as a file or folder; empty for a plain one.
std::string NotPlain(DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return "a reparse point";
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return "not a plain file or folder (a device)";
    }
    return {};
}

// Reparse points are never followed, so a loop of them cannot make the
// listing endless, nor a link lead it off the card. The relative part is
// appended as listed, never normalised.
bool ListBelow(const std::wstring& root, const std::string& relative, const std::vector<std::string>& skipped,
               std::vector<FileEntry>& files, std::string& error)
{
    std::wstring folder = relative.empty() ? root : ChildPath(root, Wide(relative));
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    std::vector<std::string> folders;
    const bool listed = EachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& found) {
        const std::string child = relative.empty() ? Narrow(name) : relative + "/" + Narrow(name);
        const std::string notPlain = NotPlain(found.dwFileAttributes);
        if (!notPlain.empty()) {
            return Refuse(error, child + ": " + notPlain);
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            files.push_back({child, (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow});
        } else if (!(relative.empty() && IsNameAmong(Narrow(name), skipped))) {
            folders.push_back(child);
        }
        return true;
    });
    if (!listed) {
        // An entry's own failure has said why already.
        if (error.empty()) {
            Refuse(error, Because(relative.empty() ? "cannot list " + DisplayPath(folder)
                                                   : relative + ": cannot be listed"));
        }
        return false;
    }
    for (const std::string& child : folders) {
        if (!ListBelow(root, child, skipped, files, error)) {
            return false;
        }
    }
    return true;
}

// ReadFile and WriteFile take a DWORD count.
constexpr std::size_t kLargestTransfer = 1u << 30;

class Win32ReadStream : public ReadStream {
public:
    enum class Buffers { Any, DiskAligned };

    Win32ReadStream(HANDLE file, std::string path, Buffers buffers = Buffers::Any)
        : file_(file), path_(std::move(path)), buffers_(buffers)
    {
    }
    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        count = 0;
        // Windows refuses such a read past the cache; Wine does not, so the
        // rule is held here, where the tests under Wine see it.
        if (buffers_ == Buffers::DiskAligned && !IsDiskAligned(buffer, capacity)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return Fail("cannot read (a buffer not aligned to the disk's blocks)", path_);
        }
        DWORD got = 0;
        const BOOL ok = ReadFile(file_.get(), buffer, static_cast<DWORD>(std::min(capacity, kLargestTransfer)),
                                 &got, nullptr);
        count = got;
        return ok || Fail("cannot read", path_);
    }

private:
    OwnedHandle file_;
    std::string path_;
    Buffers buffers_;
};

class Win32WriteStream : public WriteStream {
public:
    Win32WriteStream(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
    bool Write(const void* bytes, std::size_t count) override
    {
        const char* next = static_cast<const char*>(bytes);
        while (count > 0) {
            DWORD put = 0;
            if (!WriteFile(file_.get(), next, static_cast<DWORD>(std::min(count, kLargestTransfer)), &put, nullptr)
                || put == 0) {
                return Fail("cannot write", path_);
            }
            next += put;
            count -= put;
        }
        return true;
    }
    bool Flush() override { return FlushFileBuffers(file_.get()) || Fail("cannot flush", path_); }

private:
    OwnedHandle file_;
    std::string path_;
};

class Win32FileSystem : public FileSystem {
public:
    std::string Join(const std::string& base, const std::string& relative) const override
    {
        std::string native = relative;
        std::replace(native.begin(), native.end(), '/', '\\');
        if (base.empty()) {
            return native;
        }
        return (base.back() == '\\' || base.back() == '/') ? base + native : base + "\\" + native;
    }

    bool IsFolder(const std::string& path) const override { return IsFolderWide(LongPath(path)); }

    bool Exists(const std::string& path) const override
    {
        return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                   std::vector<FileEntry>& files, std::string& error) const override
    {
        error.clear();
        return ListBelow(LongPath(root), "", skippedRootFolders, files, error);
    }

    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override
    {
        const bool listed = EachEntry(LongPath(path), [&](const std::wstring& name, const WIN32_FIND_DATAW& found) {
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && NotPlain(attributes).empty()) {
                names.push_back(Narrow(name));
            }
            return true;
        });
        return listed || Fail("cannot list", path);
    }

    std::unique_ptr<ReadStream> OpenRead(const std::string& path) const override
    {
        HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot open", path);
            return nullptr;
        }
        return std::make_unique<Win32ReadStream>(file, path);
    }

    std::unique_ptr<ReadStream> OpenReadFromDisk(const std::string& path) const override
    {
        HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot open", path);
            return nullptr;
        }
        return std::make_unique<Win32ReadStream>(file, path, Win32ReadStream::Buffers::DiskAligned);
    }

    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override
    {
        HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot create", path);
            return nullptr;
        }
        return std::make_unique<Win32WriteStream>(file, path);
    }

    std::unique_ptr<WriteStream> OpenAppend(const std::string& path) override
    {
        // GENERIC_WRITE, as FlushFileBuffers documents it needs, rather than
        // FILE_APPEND_DATA alone; one writer, so writing at the end it found
        // is appending.
        HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot open for appending", path);
            return nullptr;
        }
        auto stream = std::make_unique<Win32WriteStream>(file, path);
        if (!SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END)) {
            Fail("cannot open for appending", path);
            return nullptr;
        }
        return stream;
    }

    bool CreateFolders(const std::string& path) override
    {
        if (IsFolder(path)) {
            return true;
        }
        std::wstring wide = LongPath(path);
        while (!wide.empty() && wide.back() == L'\\') {
            wide.pop_back();
        }
        for (std::size_t at = RootLength(wide); at <= wide.size(); ++at) {
            if (at != wide.size() && wide[at] != L'\\') {
                continue;
            }
            const std::wstring folder = wide.substr(0, at);
            if (IsFolderWide(folder)) {
                continue;
            }
            if (!CreateDirectoryW(folder.c_str(), nullptr)
                && !(GetLastError() == ERROR_ALREADY_EXISTS && IsFolderWide(folder))) {
                return Fail("cannot create the folder", DisplayPath(folder));
            }
        }
        return true;
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_WRITE_THROUGH)
               || Fail("cannot rename", from + " to " + to);
    }

    bool RemoveFile(const std::string& path) override
    {
        return DeleteFileW(LongPath(path).c_str()) || Fail("cannot remove", path);
    }

    std::string LastError() const override { return t_lastError.Text(); }
    bool LastErrorWasNoSpace() const override { return t_noSpace; }
};

}  // namespace

FileSystem& LocalFileSystem()
{
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace custody
