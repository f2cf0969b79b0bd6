#include "LocalTime.h"

#include <ctime>

namespace telvix {

// The 32-bit build's time_t is 32 bits and wraps in 2038: Windows converts
// with the 64-bit functions, elsewhere time_t itself must be 64 bits.
#ifdef _WIN32
static_assert(sizeof(__time64_t) == 8, "the clock is read as 64-bit time");
#else
static_assert(sizeof(std::time_t) == 8, "localtime_r must take 64-bit times");
#endif
static_assert(sizeof(std::int32_t[kClockFieldCount]) == kClockPayloadLength, "the clock payload is 36 bytes");

std::int64_t SystemClockNow() {
#ifdef _WIN32
    return _time64(nullptr);
#else
    return std::time(nullptr);
#endif
}

namespace {

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
#ifdef _WIN32
    const __time64_t time = seconds;
    return _localtime64_s(&local, &time) == 0;
#else
    const std::time_t time = seconds;
    return localtime_r(&time, &local) != nullptr;
#endif
}

}  // namespace

void LocalTimePayload(std::int64_t seconds, std::int32_t (&payload)[kClockFieldCount]) {
    std::tm local{};
    if (!ToLocalTime(seconds, local)) {
        for (std::int32_t& field : payload) field = 0;
        return;
    }
    const int fields[kClockFieldCount] = {local.tm_sec, local.tm_min,  local.tm_hour,
                                          local.tm_mday, local.tm_mon, local.tm_year,
                                          local.tm_wday, local.tm_yday, local.tm_isdst};
    for (int i = 0; i < kClockFieldCount; ++i) payload[i] = fields[i];
}

}  // namespace telvix
