#include "FakePlatform.h"

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/Orvanectl.h"

FakeSystem g_system;

void ResetFakeSystem()
{
    g_system = FakeSystem();
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

int RunTool(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv = {"orvanectl"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return Orvanectl(static_cast<int>(argv.size()), argv.data());
}

namespace platform {
namespace {

// The lock is free but while another program holds it (locksBeforeBusy);
// the file lives in g_system.files.
class FakeSharedFile : public SharedFile {
public:
    explicit FakeSharedFile(std::string path) : path_(std::move(path)) {}
    LockAttempt TryLock() override
    {
        if (g_system.locksBeforeBusy == 0 && g_system.now < g_system.lockFreeAt) {
            return LockAttempt::Busy;
        }
        if (g_system.locksBeforeBusy > 0) {
            --g_system.locksBeforeBusy;
        }
        return LockAttempt::Held;
    }
    void Unlock() override {}
    bool Size(std::uint64_t& size) override
    {
        size = g_system.files[path_].size();
        return true;
    }
    bool ReadAt(std::uint64_t offset, std::uint32_t count, std::string& bytes) override
    {
        const std::string& file = g_system.files[path_];
        bytes = offset < file.size() ? file.substr(static_cast<std::size_t>(offset), count) : std::string();
        return true;
    }
    bool Append(const std::string& line) override
    {
        if (g_system.appendsBeforeFailure == 0) {
            return false;
        }
        if (g_system.appendsBeforeFailure > 0) {
            --g_system.appendsBeforeFailure;
        }
        g_system.files[path_] += line;
        g_system.interrupted = g_system.interrupted || ++g_system.appends == g_system.interruptAtAppend;
        return true;
    }

private:
    std::string path_;
};

}  // namespace

void DivertStandardOutput(bool) {}

void WriteOutput(const std::string& text)
{
    g_system.output += text;
}

void WriteError(const std::string& text)
{
    g_system.errors += text;
}

SecretRead ReadSecret(const std::string& prompt, std::string& secret)
{
    if (g_system.console.empty()) {
        return SecretRead::NoConsole;
    }
    g_system.prompts.push_back(prompt);
    const auto answer = g_system.console.front();
    g_system.console.erase(g_system.console.begin());
    secret = answer.second;
    return answer.first;
}

void CatchInterrupt()
{
    g_system.catching = true;
}

bool Interrupted()
{
    g_system.interrupted = g_system.interrupted || g_system.now >= g_system.interruptAt;
    return g_system.interrupted;
}

void ReadyToEnd()
{
    g_system.readyToEnd = true;
}

std::uint64_t SteadyMilliseconds()
{
    return g_system.now;
}

bool Pause(std::uint64_t ms)
{
    if (Interrupted()) {
        return false;
    }
    g_system.now += ms;
    return !Interrupted();
}

bool TakeEnvironment(const char* name, std::string& value)
{
    const auto found = g_system.environment.find(name);
    if (found == g_system.environment.end()) {
        return false;
    }
    value = found->second;
    g_system.environment.erase(found);
    return !value.empty();
}

void WipeMemory(void* bytes, std::size_t size)
{
    std::memset(bytes, 0, size);
}

std::string UserName()
{
    return "tester";
}

std::string ComputerName()
{
    return "TEST-PC";
}

std::string DefaultAuditPath()
{
    return "default-audit.jsonl";
}

FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes)
{
    bytes.clear();
    const auto problem = g_system.unreadable.find(path);
    if (problem != g_system.unreadable.end()) {
        return problem->second;
    }
    const auto file = g_system.files.find(path);
    if (file == g_system.files.end()) {
        return FileRead::CannotOpen;
    }
    if (file->second.size() > maxBytes) {
        return FileRead::TooLarge;
    }
    bytes.assign(file->second);
    return FileRead::Ok;
}

std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access)
{
    if (access == FileAccess::Append && !g_system.opensForAppending) {
        return nullptr;
    }
    if (access == FileAccess::Read && g_system.files.count(path) == 0) {
        return nullptr;
    }
    return std::make_unique<FakeSharedFile>(path);
}

std::vector<std::string> DriveRoots()
{
    std::vector<std::string> roots;
    for (const auto& drive : g_system.drives) {
        if (g_system.now >= drive.second) {
            roots.push_back(drive.first);
        }
    }
    return roots;
}

bool HasDriveLetters()
{
    return g_system.driveLetters;
}

std::int64_t UtcSeconds()
{
    return 1796688000 + static_cast<std::int64_t>(g_system.now / 1000);  // from 2026-12-08 00:00 UTC
}

bool ErrorIsConsole()
{
    return false;
}

// The archive and the card are real folders: the custody code works on them.
bool RemoveEmptyFolder(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::remove(path, ignored);
}

std::string FullPath(const std::string& path)
{
    return path;
}

}  // namespace platform
