#include "cli/Platform.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

int g_output = STDOUT_FILENO;
volatile sig_atomic_t g_interrupted = 0;

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

static_assert(sizeof(off_t) == 8, "file offsets are 64-bit");

class PosixSharedFile : public SharedFile {
public:
    PosixSharedFile(int fd, FileAccess access) : fd_(fd), access_(access) {}
    ~PosixSharedFile() override { close(fd_); }
    PosixSharedFile(const PosixSharedFile&) = delete;
    PosixSharedFile& operator=(const PosixSharedFile&) = delete;

    bool Lock() override
    {
        // flock locks the open file, not the process (as fcntl's locks do),
        // so no other descriptor of this file can release it by closing.
        const int how = access_ == FileAccess::Append ? LOCK_EX : LOCK_SH;
        int result = 0;
        do {
            result = flock(fd_, how);
        } while (result != 0 && errno == EINTR);
        return result == 0;
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

bool ReadSecret(const std::string& prompt, std::string& secret)
{
    if (!isatty(STDIN_FILENO)) {
        return false;
    }
    WriteError(prompt);
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    secret.clear();
    char c = 0;
    while (read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        secret += c;
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    WriteError("\n");
    return true;
}

void CatchInterrupt()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted()
{
    return g_interrupted != 0;
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

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return !file.bad();
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

}  // namespace platform
