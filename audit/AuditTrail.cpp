#include "audit/AuditTrail.h"

#include <ctime>
#include <utility>

#include "audit/AuditFile.h"
#include "audit/JsonLine.h"

namespace {

// UTC now, as 2026-12-08T09:15:02Z.
std::string UtcTimestamp()
{
    std::tm utc{};
#ifdef _WIN32
    // time() and gmtime() are 32-bit on i686 MinGW and end in 2038.
    const __time64_t now = _time64(nullptr);
    static_assert(sizeof now == 8, "64-bit time");
    if (_gmtime64_s(&utc, &now) != 0) {
        return "";
    }
#else
    const std::time_t now = std::time(nullptr);
    static_assert(sizeof now == 8, "64-bit time");
    if (gmtime_r(&now, &utc) == nullptr) {
        return "";
    }
#endif
    char text[32] = {};
    return std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0 ? "" : text;
}

}  // namespace

bool AuditTrail::Open(const std::string& path, const std::string& tool, std::function<void()> lockBusy)
{
    path_ = path;
    tool_ = tool;
    lockBusy_ = std::move(lockBusy);
    computer_ = platform::ComputerName();
    user_ = platform::UserName();
    file_ = platform::OpenSharedFile(path, platform::FileAccess::Append);
    if (!file_) {
        return Fail("it cannot be opened for appending");
    }
    // A file that cannot be continued is refused now, before any camera is
    // touched, not at the first line; once per run, as it reads the file.
    const platform::FileLock lock(*file_, platform::kLockWaitMs, lockBusy_);
    ChainLink next;
    return Locked(lock) && CheckWholeChain(next);
}

bool AuditTrail::Record(const std::string& serial, const std::string& action, const std::string& outcome,
                        const nlohmann::ordered_json& details) const
{
    if (path_.empty()) {
        return true;
    }
    if (!file_) {
        return Fail("it cannot be opened for appending");
    }
    const platform::FileLock lock(*file_, platform::kLockWaitMs, lockBusy_);
    ChainLink next;
    if (!Locked(lock) || !ReadChainEnd(next)) {
        return false;
    }
    nlohmann::ordered_json line = ChainedLineStart(next);
    line.update(nlohmann::ordered_json{{"time", UtcTimestamp()},
                                       {"computer", computer_},
                                       {"user", user_},
                                       {"tool", tool_},
                                       {"serial", serial},
                                       {"action", action},
                                       {"outcome", outcome}});
    line.update(details);
    return file_->Append(JsonLine(line)) || Fail("the line could not be written");
}

// Reads back from the end until the tail holds the whole last line: never
// the whole file.
bool AuditTrail::ReadChainEnd(ChainLink& next) const
{
    std::uint64_t size = 0;
    if (!file_->Size(size)) {
        return Fail("it cannot be read");
    }
    for (std::uint64_t want = 4096;; want *= 4) {
        const std::uint64_t from = size > want ? size - want : 0;
        std::string tail;
        if (!file_->ReadAt(from, static_cast<std::uint32_t>(size - from), tail)) {
            return Fail("it cannot be read");
        }
        switch (FindChainEnd(tail, from == 0, next)) {
        case ChainEnd::Found:
            return true;
        case ChainEnd::Unchained:
            return CheckWholeChain(next);
        case ChainEnd::HalfLine:
            return Fail("it ends in half a line, where a write was cut off");
        case ChainEnd::NotChained:
            return Fail("it does not end with an audit line");
        case ChainEnd::NoHash:
            return Fail("the platform's SHA-256 failed");
        case ChainEnd::NeedMore:
            break;
        }
        if (want >= kMaxAuditLineBytes) {
            return Fail("it ends in a line longer than any audit line");
        }
    }
}

// At the open, and for a file an earlier orvanectl wrote until the chain
// continues it.
bool AuditTrail::CheckWholeChain(ChainLink& next) const
{
    ChainReport report;
    if (!CheckChain(*file_, report)) {
        return Fail("it cannot be read");
    }
    if (!report.whole && !report.awaitsChain) {
        return Fail("its chain is broken at line " + std::to_string(report.brokenAt) + " (" + report.why + ")");
    }
    next = NextLink(report);
    return true;
}

bool AuditTrail::Locked(const platform::FileLock& lock) const
{
    return lock.Held() || Fail(LockProblem(lock.Result()));
}

bool AuditTrail::Fail(const std::string& why) const
{
    problem_ = why;
    return false;
}
