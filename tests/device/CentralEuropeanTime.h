// Central European time (UTC+1, daylight saving from the last Sunday of March
// to the last Sunday of October) as the local time of the test process.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

// Where the process may choose its zone, chooses Central European time for
// the life of the object; on Windows the zone is the system's, so the object
// only checks it. The zone is a rule rather than a name, so that it needs no
// time zone database.
class CentralEuropeanTime {
public:
    static constexpr const char* kRule = "CET-1CEST,M3.5.0,M10.5.0/3";

    CentralEuropeanTime() {
        if (const char* saved = std::getenv("TZ")) saved_ = saved;
#ifdef _WIN32
        // Without TZ the runtime follows the system's zone, which inForce checks.
        _putenv("TZ=");
        _tzset();
#else
        setenv("TZ", kRule, 1);
        tzset();
#endif
    }

    ~CentralEuropeanTime() {
#ifdef _WIN32
        _putenv(("TZ=" + saved_.value_or("")).c_str());
        _tzset();
#else
        if (saved_) setenv("TZ", saved_->c_str(), 1); else unsetenv("TZ");
        tzset();
#endif
    }

    CentralEuropeanTime(const CentralEuropeanTime&) = delete;
    CentralEuropeanTime& operator=(const CentralEuropeanTime&) = delete;

    bool inForce() const {
#ifdef _WIN32
        TIME_ZONE_INFORMATION zone{};
        if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
        return zone.Bias == -60 && zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3 &&
               zone.StandardDate.wMonth == 10;
#else
        return true;
#endif
    }

    std::string howToRun() const {
        return std::string("needs the system zone to be Central European time (under Wine: TZ=") + kRule + ")";
    }

private:
    std::optional<std::string> saved_;
};
