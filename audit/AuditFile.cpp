#include "audit/AuditFile.h"

bool CheckChain(platform::SharedFile& file, ChainReport& report, const ChainChecker::LineReader& reader)
{
    std::uint64_t size = 0;
    if (!file.Size(size)) {
        return false;
    }
    constexpr std::uint32_t kPiece = 64 * 1024;
    ChainChecker checker(reader);
    std::string piece;
    for (std::uint64_t at = 0; at < size; at += piece.size()) {
        if (!file.ReadAt(at, kPiece, piece) || piece.empty()) {
            return false;
        }
        checker.Feed(piece);
    }
    report = checker.Finish();
    return true;
}

bool CheckAuditFile(platform::Host& host, const platform::StopSignal& stop, const std::string& path, ChainReport& report, std::string& problem,
                    const ChainChecker::LineReader& reader)
{
    const std::unique_ptr<platform::SharedFile> file = host.OpenSharedFile(path, platform::FileAccess::Read);
    if (!file) {
        return false;
    }
    const platform::FileLock lock(host, stop, *file);
    if (!lock.Held()) {
        problem = LockProblem(lock.Result());
        return false;
    }
    return CheckChain(*file, report, reader);
}

std::string LockProblem(platform::LockWait wait)
{
    switch (wait) {
    case platform::LockWait::Held:
        return "";
    case platform::LockWait::Busy:
        return "it is locked by another program (waited " + std::to_string(platform::kLockWaitMs / 1000) + " s)";
    case platform::LockWait::Interrupted:
        return "interrupted while waiting for the audit file's lock";
    case platform::LockWait::Failed:
        break;
    }
    return "it cannot be locked";
}
