// The audit trail: one JSON line per camera operation, saying who changed
// which camera how, never a password. The lines are chained (see
// AuditChain.h), and each is appended whole and flushed under a lock that
// other processes writing the same file respect. A lock another program
// holds is waited for a bounded time (kLockWaitMs), which an interrupt ends.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "audit/AuditChain.h"
#include "platform/Host.h"

// A line as it went into the file: its seq and its text without the line
// ending.
struct WrittenLine {
    std::uint64_t seq = 0;
    std::string text;
};

class AuditTrail {
public:
    // Not opened: recording does nothing.
    AuditTrail() = default;
    // False when the file cannot be opened for appending or locked, or its
    // chain, checked whole, is broken (lines only from before the chain are
    // continued); Problem() says why. Each line names `tool` ("orvanectl
    // 1.0.0.1"); `lockBusy` (may be empty) is called when another program
    // holds the lock, before it is waited for; `stop` ends that wait. Both
    // `host` and `stop` must outlive the trail.
    bool Open(platform::Host& host, const platform::StopSignal& stop, const std::string& path,
              const std::string& tool, std::function<void()> lockBusy = nullptr);

    // `details` adds keys such as before and after. False when the line could
    // not be written; Problem() says why. Several threads may record at once
    // (the dock's copies each record their own outcome): one line at a time.
    // `written` (may be null) gets the line as the file holds it.
    bool Record(const std::string& serial, const std::string& action, const std::string& outcome,
                const nlohmann::ordered_json& details = nlohmann::ordered_json::object(),
                WrittenLine* written = nullptr) const;

    const std::string& Path() const { return path_; }
    // Why the last Open or Record failed, such as "it cannot be locked".
    std::string Problem() const;

private:
    bool ReadChainEnd(ChainLink& next) const;
    bool CheckWholeChain(ChainLink& next) const;
    bool Locked(const platform::FileLock& lock) const;
    bool Fail(const std::string& why) const;

    platform::Host* host_ = nullptr;
    const platform::StopSignal* stop_ = nullptr;
    std::unique_ptr<platform::SharedFile> file_;
    std::string path_;
    std::string computer_;
    std::string user_;
    std::string tool_;
    std::function<void()> lockBusy_;
    mutable std::mutex mutex_;  // one line at a time, and problem_
    mutable std::string problem_;
};
