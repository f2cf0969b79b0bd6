#include "platform/LocalHost.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/PosixDescriptor.h"

namespace platform {
namespace {

static_assert(sizeof(off_t) == 8, "file offsets are 64-bit");

class PosixSharedFile : public SharedFile {
public:
    PosixSharedFile(int fd, FileAccess access) : fd_(fd), access_(access) {}
    ~PosixSharedFile() override { close(fd_); }
    PosixSharedFile(const PosixSharedFile&) = delete;
    PosixSharedFile& operator=(const PosixSharedFile&) = delete;

    LockAttempt TryLock() override
    {
        // flock locks the open file, not the process (as fcntl's locks do),
        // so no other descriptor of this file can release it by closing.
        const int how = access_ == FileAccess::Append ? LOCK_EX : LOCK_SH;
        if (flock(fd_, how | LOCK_NB) == 0) {
            return LockAttempt::Held;
        }
        return errno == EWOULDBLOCK || errno == EINTR ? LockAttempt::Busy : LockAttempt::Failed;
    }
    void Unlock() override { flock(fd_, LOCK_UN); }
    bool Size(std::uint64_t& size) override
    {
        struct stat status {};
        if (fstat(fd_, &status) != 0) {
            return false;
        }
        size = static_cast<std::uint64_t>(status.st_size);
        return true;
    }
    bool ReadAt(std::uint64_t offset, std::uint32_t count, std::string& bytes) override
    {
        bytes.resize(count);
        std::size_t got = 0;
        while (got < count) {
            const ssize_t n = pread(fd_, &bytes[got], count - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                return false;
            }
            if (n == 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return true;
    }
    bool Append(const std::string& bytes) override
    {
        // One write on an O_APPEND file: the line lands whole or not at all.
        const ssize_t n = write(fd_, bytes.data(), bytes.size());
        return n == static_cast<ssize_t>(bytes.size()) && fsync(fd_) == 0;
    }

private:
    int fd_;
    FileAccess access_;
};

}  // namespace

void WipeMemory(void* bytes, std::size_t size)
{
    explicit_bzero(bytes, size);
}

std::uint64_t LocalHost::SteadyMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

std::string LocalHost::UserName()
{
    const passwd* entry = getpwuid(geteuid());
    if (entry && entry->pw_name) {
        return entry->pw_name;
    }
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string LocalHost::ComputerName()
{
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::string LocalHost::DefaultAuditPath()
{
    std::string base;
    if (const char* local = std::getenv("LOCALAPPDATA")) {
        base = local;
    } else if (const char* home = std::getenv("HOME")) {
        base = std::string(home) + "/.local/state";
        mkdir(base.c_str(), 0700);
    } else {
        return "";
    }
    const std::string folder = base + "/Kestrava";
    mkdir(folder.c_str(), 0700);
    return folder + "/orvanectl-audit.jsonl";
}

FileRead LocalHost::ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
{
    bytes.clear();
    const OwnedDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0) {
        return FileRead::CannotOpen;
    }
    if (S_ISDIR(status.st_mode)) {
        return FileRead::IsFolder;
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return FileRead::TooLarge;
    }
    bytes.reserve(static_cast<size_t>(status.st_size) + 1);  // + 1: the end is seen without growing
    for (;;) {
        if (bytes.size() == bytes.capacity()) {
            bytes.reserve(bytes.capacity() * 2);
        }
        const size_t at = bytes.size();
        bytes.resize(bytes.capacity());
        const ssize_t n = read(file.get(), &bytes[at], bytes.size() - at);
        bytes.resize(at + static_cast<size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return FileRead::Failed;
        }
        if (bytes.size() > maxBytes) {
            return FileRead::TooLarge;
        }
        if (n == 0) {
            return FileRead::Ok;
        }
    }
}

std::unique_ptr<SharedFile> LocalHost::OpenSharedFile(const std::string& path, FileAccess access)
{
    const int flags = access == FileAccess::Append ? O_RDWR | O_APPEND | O_CREAT : O_RDONLY;
    const int fd = open(path.c_str(), flags | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixSharedFile>(fd, access);
}

// No drive letters here: a card is named with --from.
std::vector<std::string> LocalHost::DriveRoots()
{
    return {};
}

bool LocalHost::HasDriveLetters()
{
    return false;
}

bool LocalHost::RemoveEmptyFolder(const std::string& path)
{
    return rmdir(path.c_str()) == 0;
}

std::string LocalHost::FullPath(const std::string& path)
{
    if (path.empty() || path.front() == '/') {
        return path;
    }
    std::string folder(4096, '\0');
    if (getcwd(&folder[0], folder.size()) == nullptr) {
        return path;
    }
    folder.resize(folder.find('\0'));
    return folder + (folder.back() == '/' ? "" : "/") + (path.compare(0, 2, "./") == 0 ? path.substr(2) : path);
}

}  // namespace platform
