// The audit trail as the dock shows it: whether its chain is whole, or
// where it breaks, and its last lines. Reads the whole file: for a worker
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "platform/FileSystem.h"

struct AuditView {
    enum class Chain { Whole, AwaitsChain, Broken, Unreadable };
    Chain chain = Chain::Unreadable;
    std::uint64_t lines = 0;     // whole or awaiting: how many
    std::uint64_t brokenAt = 0;  // broken: the first line that breaks it
    std::string why;             // broken or unreadable
    std::deque<std::string> last;  // the last lines the chain accepted, oldest first
};

// The last lines kept are at most `keepLines` and kAuditViewBytes long all
// together: a window has 2 GiB of address space to share. A line still
// being appended (no line ending yet) is left out.
constexpr std::size_t kAuditViewBytes = 1 << 20;
AuditView ReadAuditView(const custody::FileSystem& fs, const std::string& path, std::size_t keepLines);
