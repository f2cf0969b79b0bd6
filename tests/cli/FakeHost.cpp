#include "FakeHost.h"

#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>

FakeSystem g_system;

void ResetFakeSystem()
{
    g_system = FakeSystem();
}

void FakeSystem::Interrupt()
{
    interrupted = true;
    if (stop != nullptr) {
        stop->Request();
    }
}

void FakeSystem::CheckClock()
{
    if (now >= interruptAt) {
        Interrupt();
    }
}

std::vector<std::string> FakeSystem::Lines(const std::string& path) const
{
    std::vector<std::string> lines;
    const auto file = files.find(path);
    if (file == files.end()) {
        return lines;
    }
    size_t start = 0;
    for (size_t end = file->second.find('\n'); end != std::string::npos; end = file->second.find('\n', start)) {
        lines.push_back(file->second.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> FakeSystem::Audited(const std::string& path) const
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(path)) {
        const auto object = nlohmann::json::parse(line);
        lines.push_back(object.at("action").get<std::string>() + ":" + object.at("outcome").get<std::string>());
    }
    return lines;
}

namespace {

// The dock's threads share the host: one call at a time.
std::recursive_mutex& HostLock()
{
    static std::recursive_mutex lock;
    return lock;
}

using HostGuard = std::lock_guard<std::recursive_mutex>;

// The lock is free but while another program holds it (locksBeforeBusy);
// the file lives in g_system.files.
class FakeSharedFile : public platform::SharedFile {
public:
    explicit FakeSharedFile(std::string path) : path_(std::move(path)) {}
    platform::LockAttempt TryLock() override
    {
        const HostGuard guard(HostLock());
        if (g_system.locksBeforeBusy == 0 && g_system.now < g_system.lockFreeAt) {
            return platform::LockAttempt::Busy;
        }
        if (g_system.locksBeforeBusy > 0) {
            --g_system.locksBeforeBusy;
        }
        return platform::LockAttempt::Held;
    }
    void Unlock() override {}
    bool Size(std::uint64_t& size) override
    {
        const HostGuard guard(HostLock());
        size = g_system.files[path_].size();
        return true;
    }
    bool ReadAt(std::uint64_t offset, std::uint32_t count, std::string& bytes) override
    {
        const HostGuard guard(HostLock());
        const std::string& file = g_system.files[path_];
        bytes = offset < file.size() ? file.substr(static_cast<std::size_t>(offset), count) : std::string();
        return true;
    }
    bool Append(const std::string& line) override
    {
        const HostGuard guard(HostLock());
        if (g_system.appendsBeforeFailure == 0) {
            return false;
        }
        if (g_system.appendsBeforeFailure > 0) {
            --g_system.appendsBeforeFailure;
        }
        g_system.files[path_] += line;
        if (++g_system.appends == g_system.interruptAtAppend) {
            g_system.Interrupt();
        }
        return true;
    }

private:
    std::string path_;
};

}  // namespace

std::int64_t FakeHost::UtcSeconds()
{
    const HostGuard guard(HostLock());
    return g_system.utcStart + static_cast<std::int64_t>(g_system.now / 1000);
}

std::uint64_t FakeHost::SteadyMilliseconds()
{
    const HostGuard guard(HostLock());
    return g_system.now;
}

bool FakeHost::Pause(const platform::StopSignal& stop, std::uint64_t ms)
{
    const HostGuard guard(HostLock());
    if (stop.Requested()) {
        return false;
    }
    g_system.now += ms;
    g_system.CheckClock();
    return !stop.Requested();
}

std::string FakeHost::UserName()
{
    return "tester";
}

std::string FakeHost::ComputerName()
{
    return "TEST-PC";
}

std::string FakeHost::DefaultAuditPath()
{
    return "default-audit.jsonl";
}

std::vector<std::string> FakeHost::DriveRoots()
{
    const HostGuard guard(HostLock());
    std::vector<std::string> roots;
    for (const auto& drive : g_system.drives) {
        if (g_system.now >= drive.second) {
            roots.push_back(drive.first);
        }
    }
    return roots;
}

bool FakeHost::HasDriveLetters()
{
    return g_system.driveLetters;
}

custody::FileSystem& FakeHost::Files()
{
    return custody::LocalFileSystem();
}

std::string FakeHost::FullPath(const std::string& path)
{
    return path;
}

bool FakeHost::RemoveEmptyFolder(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::remove(path, ignored);
}

platform::FileRead FakeHost::ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
{
    const HostGuard guard(HostLock());
    bytes.clear();
    const auto problem = g_system.unreadable.find(path);
    if (problem != g_system.unreadable.end()) {
        return problem->second;
    }
    const auto file = g_system.files.find(path);
    if (file == g_system.files.end()) {
        return platform::FileRead::CannotOpen;
    }
    if (file->second.size() > maxBytes) {
        return platform::FileRead::TooLarge;
    }
    bytes.assign(file->second);
    return platform::FileRead::Ok;
}

std::unique_ptr<platform::SharedFile> FakeHost::OpenSharedFile(const std::string& path, platform::FileAccess access)
{
    const HostGuard guard(HostLock());
    if (access == platform::FileAccess::Append && !g_system.opensForAppending) {
        return nullptr;
    }
    if (access == platform::FileAccess::Read && g_system.files.count(path) == 0) {
        return nullptr;
    }
    return std::make_unique<FakeSharedFile>(path);
}
