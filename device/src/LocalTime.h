// The computer's clock as the camera takes it: the calendar time, and that
// time broken down into local time.
#pragma once

#include <cstdint>

#include "telvix/VendorCommands.h"

namespace telvix {

// Seconds since 1970 UTC, read with 64-bit time on every build.
std::int64_t SystemClockNow();

// The nine fields of the clock command, in the camera's order; all zero when
// the time cannot be converted to local time.
void LocalTimePayload(std::int64_t seconds, std::int32_t (&payload)[kClockFieldCount]);

}  // namespace telvix
