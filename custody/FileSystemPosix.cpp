// POSIX: open with O_EXCL, fsync, a rename that never replaces, opendir.
#include "custody/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace custody {
namespace {

thread_local std::string t_lastError;

bool Fail(const char* what, const std::string& path)
{
    t_lastError = std::string(what) + " " + path + ": " + std::strerror(errno);
    return false;
}

class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int fd) : fd_(fd) {}
    ~OwnedDescriptor()
    {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using OwnedDirectory = std::unique_ptr<DIR, DirectoryCloser>;

std::string JoinPath(const std::string& base, const std::string& relative)
{
    if (base.empty()) {
        return relative;
    }
    std::string joined = base;
    if (joined.back() != '/') {
        joined += '/';
    }
    return joined += relative;
}

std::string Parent(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixReadStream : public ReadStream {
public:
    PosixReadStream(int fd, std::string path) : file_(fd), path_(std::move(path)) {}
    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        count = 0;
        for (;;) {
            const ssize_t got = read(file_.get(), buffer, capacity);
            if (got >= 0) {
                count = static_cast<std::size_t>(got);
                return true;
            }
            if (errno != EINTR) {
                return Fail("cannot read", path_);
            }
        }
    }

private:
    OwnedDescriptor file_;
    std::string path_;
};

class PosixWriteStream : public WriteStream {
public:
    PosixWriteStream(int fd, std::string path) : file_(fd), path_(std::move(path)) {}
    bool Write(const void* bytes, std::size_t count) override
    {
        const char* next = static_cast<const char*>(bytes);
        while (count > 0) {
            const ssize_t put = write(file_.get(), next, count);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return Fail("cannot write", path_);
            }
            next += put;
            count -= static_cast<std::size_t>(put);
        }
        return true;
    }
    bool Flush() override { return fsync(file_.get()) == 0 || Fail("cannot flush", path_); }

private:
    OwnedDescriptor file_;
    std::string path_;
};

// A rename's new name lasts only once its folder is on the disk too.
void FlushFolder(const std::string& folder)
{
    const OwnedDescriptor directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        fsync(directory.get());
    }
}

// Kind and size of an entry; a link is followed to a file but never into a
// folder, so that a loop of links cannot make the listing endless.
enum class EntryKind { File, Folder, Other };

EntryKind KindOf(const std::string& path, std::uint64_t& size)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return EntryKind::Other;
    }
    if (S_ISDIR(info.st_mode)) {
        return EntryKind::Folder;
    }
    if (S_ISLNK(info.st_mode) && stat(path.c_str(), &info) != 0) {
        return EntryKind::Other;
    }
    if (!S_ISREG(info.st_mode)) {
        return EntryKind::Other;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return EntryKind::File;
}

bool ListBelow(const std::string& root, const std::string& relative, std::vector<FileEntry>& files,
               std::string& error)
{
    const std::string folder = JoinPath(root, relative);
    const OwnedDirectory directory(opendir(folder.c_str()));
    if (!directory) {
        Fail("cannot list", folder);
        error = t_lastError;
        return false;
    }
    while (const dirent* entry = readdir(directory.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string child = JoinPath(relative, name);
        std::uint64_t size = 0;
        const EntryKind kind = KindOf(JoinPath(folder, name), size);
        if (kind == EntryKind::Folder && !ListBelow(root, child, files, error)) {
            return false;
        }
        if (kind == EntryKind::File) {
            files.push_back({child, size});
        }
    }
    return true;
}

class PosixFileSystem : public FileSystem {
public:
    std::string Join(const std::string& base, const std::string& relative) const override
    {
        return JoinPath(base, relative);
    }

    bool IsFolder(const std::string& path) const override
    {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    bool Exists(const std::string& path) const override
    {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0;
    }

    bool ListFiles(const std::string& root, std::vector<FileEntry>& files, std::string& error) const override
    {
        return ListBelow(root, "", files, error);
    }

    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override
    {
        const OwnedDirectory directory(opendir(path.c_str()));
        if (!directory) {
            return Fail("cannot list", path);
        }
        while (const dirent* entry = readdir(directory.get())) {
            const std::string name = entry->d_name;
            struct stat info {};
            if (name != "." && name != ".." && lstat(JoinPath(path, name).c_str(), &info) == 0
                && S_ISDIR(info.st_mode)) {
                names.push_back(name);
            }
        }
        return true;
    }

    std::unique_ptr<ReadStream> OpenRead(const std::string& path) const override
    {
        // O_NOATIME leaves the source's access time as it was, where the
        // file's owner may ask for it.
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
        if (fd < 0 && errno == EPERM) {
            fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0) {
            Fail("cannot open", path);
            return nullptr;
        }
        return std::make_unique<PosixReadStream>(fd, path);
    }

    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            Fail("cannot create", path);
            return nullptr;
        }
        return std::make_unique<PosixWriteStream>(fd, path);
    }

    std::unique_ptr<WriteStream> OpenAppend(const std::string& path) override
    {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            Fail("cannot open for appending", path);
            return nullptr;
        }
        return std::make_unique<PosixWriteStream>(fd, path);
    }

    bool CreateFolders(const std::string& path) override
    {
        if (path.empty() || IsFolder(path)) {
            return true;
        }
        const std::string parent = Parent(path);
        if (parent != path && !CreateFolders(parent)) {
            return false;
        }
        if (mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsFolder(path))) {
            return true;
        }
        return Fail("cannot create the folder", path);
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            FlushFolder(Parent(to));
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return Fail("cannot rename", from + " to " + to);
        }
        return RenameWithoutNoReplace(from, to);
    }

    bool RemoveFile(const std::string& path) override
    {
        return unlink(path.c_str()) == 0 || Fail("cannot remove", path);
    }

    std::string LastError() const override { return t_lastError; }

private:
    // File systems without RENAME_NOREPLACE: a file gets a second name
    // (link fails on an existing one) and loses the first; a folder cannot
    // be linked, so it is renamed after checking that the target is free.
    static bool RenameWithoutNoReplace(const std::string& from, const std::string& to)
    {
        struct stat info {};
        if (lstat(from.c_str(), &info) != 0) {
            return Fail("cannot rename", from);
        }
        if (!S_ISDIR(info.st_mode)) {
            if (link(from.c_str(), to.c_str()) != 0) {
                return Fail("cannot rename", from + " to " + to);
            }
            unlink(from.c_str());
        } else {
            if (lstat(to.c_str(), &info) == 0) {
                errno = EEXIST;
                return Fail("cannot rename", from + " to " + to);
            }
            if (rename(from.c_str(), to.c_str()) != 0) {
                return Fail("cannot rename", from + " to " + to);
            }
        }
        FlushFolder(Parent(to));
        return true;
    }
};

}  // namespace

FileSystem& LocalFileSystem()
{
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace custody
