// The host the programs run on: Windows, or POSIX natively.
#pragma once

#include "platform/Host.h"

namespace platform {

class LocalHost final : public Host {
public:
    std::int64_t UtcSeconds() override;
    std::uint64_t SteadyMilliseconds() override;
    bool Pause(const StopSignal& stop, std::uint64_t ms) override;
    std::string UserName() override;
    std::string ComputerName() override;
    std::string DefaultAuditPath() override;
    std::vector<std::string> DriveRoots() override;
    bool HasDriveLetters() override;
    custody::FileSystem& Files() override;
    std::string FullPath(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    FileRead ReadFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes) override;
    std::unique_ptr<SharedFile> OpenSharedFile(const std::string& path, FileAccess access) override;
};

}  // namespace platform
