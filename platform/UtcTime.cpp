#include "platform/UtcTime.h"

#include <chrono>
#include <cstdio>

namespace custody {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

struct CivilTime {
    std::int64_t year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date: eras of 400 years
// (146097 days) with the year taken to start in March, so that the leap day
// comes last.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime CivilFromSeconds(std::int64_t seconds)
{
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;

    CivilTime civil;
    civil.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    civil.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    civil.hour = static_cast<int>(rest / 3600);
    civil.minute = static_cast<int>(rest / 60 % 60);
    civil.second = static_cast<int>(rest % 60);
    return civil;
}

std::string Format(std::int64_t seconds, const char* format)
{
    const CivilTime t = CivilFromSeconds(seconds);
    char text[64] = {};
    const int length = std::snprintf(text, sizeof text, format, static_cast<long long>(t.year), t.month, t.day,
                                     t.hour, t.minute, t.second);
    return length > 0 && static_cast<std::size_t>(length) < sizeof text ? std::string(text) : std::string();
}

bool ParseDigits(std::string_view text, std::size_t at, std::size_t count, int& value)
{
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::int64_t UtcNow()
{
    static_assert(sizeof(std::chrono::system_clock::rep) >= 8, "the clock is read as 64-bit time");
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string UtcCompact(std::int64_t seconds)
{
    return Format(seconds, "%04lld%02d%02dT%02d%02d%02dZ");
}

std::string UtcIso(std::int64_t seconds)
{
    return Format(seconds, "%04lld-%02d-%02dT%02d:%02d:%02dZ");
}

std::string UtcDate(std::int64_t seconds)
{
    return UtcIso(seconds).substr(0, 10);
}

bool ParseUtcCompact(std::string_view text, std::int64_t& seconds)
{
    if (text.size() != 16 || text[8] != 'T' || text[15] != 'Z') {
        return false;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ParseDigits(text, 0, 4, year) || !ParseDigits(text, 4, 2, month) || !ParseDigits(text, 6, 2, day) ||
        !ParseDigits(text, 9, 2, hour) || !ParseDigits(text, 11, 2, minute) || !ParseDigits(text, 13, 2, second)) {
        return false;
    }
    seconds = DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    // Out-of-range fields (a 31st of April, hour 24) come back as another text.
    return UtcCompact(seconds) == text;
}

}  // namespace custody
