// POSIX: open with O_EXCL, fsync, a rename that never replaces, opendir,
// posix_fadvise to read past the cache.
#include "platform/FileSystem.h"
#include "platform/NameKey.h"
#include "platform/ThreadErrorText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/PosixDescriptor.h"

namespace custody {
namespace {

thread_local platform::ThreadErrorText t_lastError;
thread_local bool t_noSpace = false;

bool Fail(const char* what, const std::string& path)
{
    t_noSpace = errno == ENOSPC || errno == EDQUOT;
    t_lastError.Set(std::string(what) + " " + path + ": " + std::strerror(errno));
    return false;
}

using platform::OwnedDescriptor;

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
    enum class Buffers { Any, DiskAligned };

    PosixReadStream(int fd, std::string path, Buffers buffers = Buffers::Any)
        : file_(fd), path_(std::move(path)), buffers_(buffers)
    {
    }
    int Descriptor() const { return file_.get(); }
    bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
    {
        count = 0;
        // Held to here too, so that the tests catch a caller that Windows
        // would refuse.
        if (buffers_ == Buffers::DiskAligned && !IsDiskAligned(buffer, capacity)) {
            errno = EINVAL;
            return Fail("cannot read (a buffer not aligned to the disk's blocks)", path_);
        }
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
    Buffers buffers_;
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

// Every name in an open folder but "." and "..". False when the folder
// cannot be read to its end.
template <class Visit>
bool EachName(DIR* directory, Visit visit)
{
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(directory);
        if (entry == nullptr) {
            return errno == 0;
        }
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && !visit(name)) {
            return false;
        }
    }
}

// Why an entry is not listed as a file or folder; empty for a plain one.
std::string NotPlain(mode_t mode)
{
    if (S_ISREG(mode) || S_ISDIR(mode)) {
        return {};
    }
    if (S_ISLNK(mode)) {
        return "a link";
    }
    const char* kind = S_ISFIFO(mode)  ? "a FIFO"
                       : S_ISSOCK(mode) ? "a socket"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                                        : "of an unknown kind";
    return std::string("not a plain file or folder (") + kind + ")";
}

bool Refuse(std::string& error, const std::string& why)
{
    t_noSpace = false;
    error = why;
    t_lastError.Set(why);
    return false;
}

// Links are never followed, so a loop of them cannot make the listing
// endless, nor a link lead it off the card.
bool ListBelow(const std::string& root, const std::string& relative, const std::vector<std::string>& skipped,
               std::vector<FileEntry>& files, std::string& error)
{
    const std::string folder = JoinPath(root, relative);
    const auto systemError = [] { return std::string(": ") + std::strerror(errno); };
    const auto cannotList = [&] {
        return Refuse(error, (relative.empty() ? "cannot list " + root : relative + ": cannot be listed") + systemError());
    };
    const OwnedDirectory directory(opendir(folder.c_str()));
    if (!directory) {
        return cannotList();
    }
    const bool listed = EachName(directory.get(), [&](const std::string& name) {
        const std::string child = JoinPath(relative, name);
        struct stat info {};
        if (lstat(JoinPath(folder, name).c_str(), &info) != 0) {
            return Refuse(error, child + ": cannot be inspected" + systemError());
        }
        const std::string notPlain = NotPlain(info.st_mode);
        if (!notPlain.empty()) {
            return Refuse(error, child + ": " + notPlain);
        }
        if (S_ISREG(info.st_mode)) {
            files.push_back({child, static_cast<std::uint64_t>(info.st_size)});
            return true;
        }
        return (relative.empty() && IsNameAmong(name, skipped)) || ListBelow(root, child, skipped, files, error);
    });
    // An entry's own failure has said why already.
    return listed || (error.empty() && cannotList());
}

// A file opened for writing with `flags` added, as a stream; null, with
// the reason recorded, when it cannot be.
std::unique_ptr<WriteStream> OpenForWriting(const std::string& path, int flags, const char* failure)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, 0644);
    if (fd < 0) {
        Fail(failure, path);
        return nullptr;
    }
    return std::make_unique<PosixWriteStream>(fd, path);
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

    bool ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                   std::vector<FileEntry>& files, std::string& error) const override
    {
        error.clear();
        return ListBelow(root, "", skippedRootFolders, files, error);
    }

    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override
    {
        const OwnedDirectory directory(opendir(path.c_str()));
        if (!directory) {
            return Fail("cannot list", path);
        }
        bool inspected = true;
        const bool listed = EachName(directory.get(), [&](const std::string& name) {
            struct stat info {};
            if (lstat(JoinPath(path, name).c_str(), &info) != 0) {
                // Gone since it was listed (a bag renamed as it is sealed).
                inspected = errno == ENOENT;
                return inspected || Fail("cannot inspect", JoinPath(path, name));
            }
            if (S_ISDIR(info.st_mode)) {
                names.push_back(name);
            }
            return true;
        });
        return listed || (inspected && Fail("cannot list", path));
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

    std::unique_ptr<ReadStream> OpenReadFromDisk(const std::string& path) const override
    {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            Fail("cannot open", path);
            return nullptr;
        }
        auto file = std::make_unique<PosixReadStream>(fd, path, PosixReadStream::Buffers::DiskAligned);
        // Pages written out by the flush before are clean, and dropped here,
        // so that the reads come from the disk.
        const int advised = posix_fadvise(file->Descriptor(), 0, 0, POSIX_FADV_DONTNEED);
        if (advised != 0) {
            errno = advised;
            Fail("cannot read past the cache of", path);
            return nullptr;
        }
        return file;
    }

    std::unique_ptr<WriteStream> CreateNew(const std::string& path) override
    {
        return OpenForWriting(path, O_CREAT | O_EXCL, "cannot create");
    }

    std::unique_ptr<WriteStream> OpenAppend(const std::string& path) override
    {
        return OpenForWriting(path, O_APPEND | O_CREAT, "cannot open for appending");
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

    std::string LastError() const override { return t_lastError.Text(); }
    bool LastErrorWasNoSpace() const override { return t_noSpace; }

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
