#include "cli/Console.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/PosixDescriptor.h"

namespace platform {
namespace {

int g_output = STDOUT_FILENO;
volatile sig_atomic_t g_interrupted = 0;

// Pause's longest sleep: a signal that arrives just before the sleep starts
// is seen this late at most.
constexpr std::uint64_t kPauseSliceMs = 20;

void WriteAll(int fd, const std::string& text)
{
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, at, left);
        if (n <= 0) {
            return;
        }
        at += n;
        left -= static_cast<size_t>(n);
    }
}

void OnInterrupt(int)
{
    g_interrupted = 1;
}

// Catches SIGINT and SIGTERM; `saved`, when given, gets the handlers before.
// With `restart`, a call under way (an open, a write) goes on, so that the
// step it belongs to finishes or stops at its next check and never fails
// half-way; without, a blocked read returns.
void Catch(bool restart, struct sigaction* savedInterrupt, struct sigaction* savedTerminate)
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = restart ? SA_RESTART : 0;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, savedInterrupt);
    sigaction(SIGTERM, &action, savedTerminate);
}

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

void DivertStandardOutput(bool traceToError)
{
    g_output = dup(STDOUT_FILENO);
    const int target = traceToError ? STDERR_FILENO : open("/dev/null", O_WRONLY);
    dup2(target, STDOUT_FILENO);
    if (!traceToError) {
        close(target);
    }
}

void WriteOutput(const std::string& text)
{
    WriteAll(g_output, text);
}

void WriteError(const std::string& text)
{
    WriteAll(STDERR_FILENO, text);
}

SecretRead ReadSecret(const std::string& prompt, std::string& secret)
{
    secret.clear();
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) {
        return SecretRead::NoConsole;
    }
    // Ctrl+C while echo is off must not end the process before echo is back.
    struct sigaction savedInterrupt {};
    struct sigaction savedTerminate {};
    Catch(false, &savedInterrupt, &savedTerminate);
    WriteError(prompt);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    SecretRead result = SecretRead::Ok;
    char c = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n == 1 && c != '\n') {
            secret += c;
            continue;
        }
        if (n == 1) {
            break;
        }
        if (n < 0 && errno == EINTR && !g_interrupted) {
            continue;
        }
        result = g_interrupted ? SecretRead::Interrupted : SecretRead::Failed;  // also at the end of input
        break;
    }
    c = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    WriteError("\n");
    sigaction(SIGINT, &savedInterrupt, nullptr);
    sigaction(SIGTERM, &savedTerminate, nullptr);
    if (result != SecretRead::Ok) {
        WipeMemory(&secret[0], secret.size());
        secret.clear();
    }
    return result;
}

void CatchInterrupt()
{
    Catch(true, nullptr, nullptr);
}

bool Interrupted()
{
    return g_interrupted != 0;
}

void ReadyToEnd()
{
    // A caught signal ends nothing here: the process ends when it returns.
}

std::uint64_t SteadyMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

bool Pause(std::uint64_t ms)
{
    const std::uint64_t until = SteadyMilliseconds() + ms;
    while (!Interrupted()) {
        const std::uint64_t now = SteadyMilliseconds();
        if (now >= until) {
            return true;
        }
        const std::uint64_t slice = std::min(until - now, kPauseSliceMs);
        timespec wait{};
        wait.tv_nsec = static_cast<long>(slice * 1000000u);
        nanosleep(&wait, nullptr);  // a signal cuts it short
    }
    return false;
}

bool TakeEnvironment(const char* name, std::string& value)
{
    char* found = std::getenv(name);
    if (found == nullptr) {
        return false;
    }
    value = found;
    WipeMemory(found, std::strlen(found));
    unsetenv(name);
    return !value.empty();
}

void WipeMemory(void* bytes, std::size_t size)
{
    explicit_bzero(bytes, size);
}

std::string UserName()
{
    const passwd* entry = getpwuid(geteuid());
    if (entry && entry->pw_name) {
        return entry->pw_name;
    }
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string ComputerName()
{
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

std::string DefaultAuditPath()
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

FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
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

std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access)
{
    const int flags = access == FileAccess::Append ? O_RDWR | O_APPEND | O_CREAT : O_RDONLY;
    const int fd = open(path.c_str(), flags | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixSharedFile>(fd, access);
}

// No drive letters here: a card is named with --from.
std::vector<std::string> DriveRoots()
{
    return {};
}

bool HasDriveLetters()
{
    return false;
}

static_assert(sizeof(std::time_t) == 8, "UTC seconds beyond 2038");

std::int64_t UtcSeconds()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool ErrorIsConsole()
{
    return isatty(STDERR_FILENO) == 1;
}

bool RemoveEmptyFolder(const std::string& path)
{
    return rmdir(path.c_str()) == 0;
}

std::string FullPath(const std::string& path)
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
