#include "audit/AuditTrail.h"

#include <utility>

#include "audit/AuditFile.h"
#include "audit/JsonLine.h"
#include "platform/UtcTime.h"

bool AuditTrail::Open(platform::Host& host, const platform::StopSignal& stop, const std::string& path,
                      const std::string& tool, std::function<void()> lockBusy)
{
    const std::lock_guard<std::mutex> oneAtATime(mutex_);
    host_ = &host;
    stop_ = &stop;
    path_ = path;
    tool_ = tool;
    lockBusy_ = std::move(lockBusy);
    computer_ = host.ComputerName();
    user_ = host.UserName();
    file_ = host.OpenSharedFile(path, platform::FileAccess::Append);
    if (!file_) {
        return Fail("it cannot be opened for appending");
    }
    // A file that cannot be continued is refused now, before any camera is
    // touched, not at the first line; once per run, as it reads the file.
    const platform::FileLock lock(*host_, *stop_, *file_, platform::kLockWaitMs, lockBusy_);
    ChainLink next;
    return Locked(lock) && CheckWholeChain(next);
}

bool AuditTrail::Record(const std::string& serial, const std::string& action, const std::string& outcome,
                        const nlohmann::ordered_json& details, WrittenLine* written) const
{
    if (path_.empty()) {
        return true;
    }
    const std::lock_guard<std::mutex> oneAtATime(mutex_);
    if (!file_) {
        return Fail("it cannot be opened for appending");
    }
    const platform::FileLock lock(*host_, *stop_, *file_, platform::kLockWaitMs, lockBusy_);
    ChainLink next;
    if (!Locked(lock) || !ReadChainEnd(next)) {
        return false;
    }
    nlohmann::ordered_json line = ChainedLineStart(next);
    line.update(nlohmann::ordered_json{{"time", custody::UtcIso(host_->UtcSeconds())},
                                       {"computer", computer_},
                                       {"user", user_},
                                       {"tool", tool_},
                                       {"serial", serial},
                                       {"action", action},
                                       {"outcome", outcome}});
    line.update(details);
    const std::string text = JsonLine(line);
    if (!file_->Append(text)) {
        return Fail("the line could not be written");
    }
    if (written) {
        *written = {next.seq, text.substr(0, text.size() - 1)};
    }
    return true;
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

std::string AuditTrail::Problem() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
}

bool AuditTrail::Fail(const std::string& why) const
{
    problem_ = why;
    return false;
}
