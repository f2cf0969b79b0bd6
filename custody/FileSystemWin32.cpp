// Windows: UTF-16 paths with the \\?\ prefix, so that paths beyond 260
// characters and any name the file system allows work; CREATE_NEW,
// FlushFileBuffers, a move that never replaces.
#include "custody/FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "core/CodePages.h"

namespace custody {
namespace {

thread_local std::string t_lastError;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using OwnedFind = std::unique_ptr<void, FindCloser>;

std::wstring Wide(const std::string& text)
{
    const WideString wide = DecodeUtf8(text.data(), text.size());
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const std::wstring& text)
{
    return EncodeUtf8(text.data(), text.size());
}

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
    t_lastError = std::string(what) + " " + path + ": " + SystemMessage(code);
    SetLastError(code);
    return false;
}

// The full path with the \\?\ (or \\?\UNC\) prefix, which lifts the limit
// of 260 characters and leaves names as they are.
std::wstring LongPath(const std::string& path)
{
    std::wstring wide = Wide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.compare(0, 4, L"\\\\?\\") == 0 || wide.compare(0, 4, L"\\\\.\\") == 0) {
        return wide;
    }
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    }
    if (length == 0 || length >= full.size()) {
        return wide;
    }
    full.resize(length);
    if (full.compare(0, 2, L"\\\\") == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// A long path as the user would write it.
std::string DisplayPath(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        return "\\\\" + Narrow(path.substr(8));
    }
    return Narrow(path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path);
}

// Length of the part of a long path that is never created: "\\?\C:\" or
// "\\?\UNC\server\share\".
std::size_t RootLength(const std::wstring& path)
{
    std::size_t start = 4;
    int separators = 1;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        start = 8;
        separators = 2;
    }
    std::size_t at = start;
    for (; separators > 0; --separators) {
        at = path.find(L'\\', at);
        if (at == std::wstring::npos) {
            return path.size();
        }
        ++at;
    }
    return at;
}

bool IsFolderWide(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Every entry of one folder, hidden and system ones included; "." and ".."
// are left out. False when the folder cannot be listed.
template <class Visit>
bool EachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW found;
    const OwnedFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                          FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
        // A drive's empty root has no "." entry to find.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            visit(name, found);
        }
    } while (FindNextFileW(find.get(), &found));
    const DWORD code = GetLastError();
    SetLastError(code);
    return code == ERROR_NO_MORE_FILES;
}

bool ListBelow(const std::wstring& root, const std::string& relative, std::vector<FileEntry>& files,
               std::string& error)
{
    std::wstring folder = relative.empty() ? root : root + L"\\" + Wide(relative);
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    std::vector<std::string> folders;
    const bool listed = EachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& found) {
        const std::string child = relative.empty() ? Narrow(name) : relative + "/" + Narrow(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            files.push_back({child, (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow});
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            // A junction or link to a folder is not followed: it may loop.
            folders.push_back(child);
        }
    });
    if (!listed) {
        Fail("cannot list", DisplayPath(folder));
        error = t_lastError;
        return false;
    }
    for (const std::string& child : folders) {
        if (!ListBelow(root, child, files, error)) {
            return false;
        }
    }
    return true;
}

// ReadFile and WriteFile take a DWORD count.
constexpr std::size_t kLargestTransfer = 1u << 30;

class Win32ReadStream : public ReadStream {
public:
    Win32ReadStream(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        DWORD got = 0;
        const BOOL ok = ReadFile(file_.get(), buffer, static_cast<DWORD>(std::min(capacity, kLargestTransfer)),
                                 &got, nullptr);
        count = got;
        return ok || Fail("cannot read", path_);
    }

private:
    OwnedHandle file_;
    std::string path_;
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

    bool ListFiles(const std::string& root, std::vector<FileEntry>& files, std::string& error) const override
    {
        return ListBelow(LongPath(root), "", files, error);
    }

    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override
    {
        const bool listed = EachEntry(LongPath(path), [&](const std::wstring& name, const WIN32_FIND_DATAW& found) {
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                names.push_back(Narrow(name));
            }
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
        HANDLE file = CreateFileW(LongPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot open for appending", path);
            return nullptr;
        }
        return std::make_unique<Win32WriteStream>(file, path);
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

    std::string LastError() const override { return t_lastError; }
};

}  // namespace

FileSystem& LocalFileSystem()
{
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace custody
