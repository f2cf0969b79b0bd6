// UTC times as the archive writes them, from 64-bit seconds since 1970:
// no time_t, which is 32 bits in the i686 build and wraps in 2038.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace custody {

// Seconds since 1970 UTC, read as 64 bits on every build.
std::int64_t UtcNow();

// "20261208T091502Z": an offload folder's name.
std::string UtcCompact(std::int64_t seconds);
// "2026-12-08T09:15:02Z" (ISO 8601).
std::string UtcIso(std::int64_t seconds);
// "2026-12-08".
std::string UtcDate(std::int64_t seconds);

// The seconds of a UtcCompact text; false for anything UtcCompact would not
// write (such as a 13th month or a missing "Z").
bool ParseUtcCompact(std::string_view text, std::int64_t& seconds);

}  // namespace custody
