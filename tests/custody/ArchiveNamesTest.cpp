// The times in the archive's folder names and bag-info.txt, from 64-bit
// seconds: past 2038 in the 32-bit build too.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

#include "../device/CentralEuropeanTime.h"
#include "custody/ArchiveFolders.h"
#include "platform/UtcTime.h"

namespace {

// Seconds since 1970 UTC as the system keeps them, read past the clock
// UtcNow uses.
std::int64_t SystemSeconds()
{
#ifdef _WIN32
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks = static_cast<std::int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    constexpr std::int64_t kTicksPerSecond = 10000000, kSeconds1601To1970 = 11644473600;
    return ticks / kTicksPerSecond - kSeconds1601To1970;
#else
    static_assert(sizeof(std::time_t) == 8, "the native build has 64-bit time_t");
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
#endif
}

TEST(UtcTime, WritesAndReadsBackTimesAcrossLeapDaysAnd2038)
{
    const struct {
        std::int64_t seconds;
        const char* iso;
        const char* compact;
    } cases[] = {
        {0, "1970-01-01T00:00:00Z", "19700101T000000Z"},
        {1796721302, "2026-12-08T09:15:02Z", "20261208T091502Z"},
        {1709251199, "2024-02-29T23:59:59Z", "20240229T235959Z"},
        {951868800, "2000-03-01T00:00:00Z", "20000301T000000Z"},
        {2147483648, "2038-01-19T03:14:08Z", "20380119T031408Z"},
        {4107542400, "2100-03-01T00:00:00Z", "21000301T000000Z"},
        {-1, "1969-12-31T23:59:59Z", "19691231T235959Z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(custody::UtcIso(c.seconds), c.iso);
        EXPECT_EQ(custody::UtcCompact(c.seconds), c.compact);
        std::int64_t parsed = 0;
        EXPECT_TRUE(custody::ParseUtcCompact(c.compact, parsed)) << c.compact;
        EXPECT_EQ(parsed, c.seconds) << c.compact;
    }
    EXPECT_EQ(custody::UtcDate(1796721302), "2026-12-08");
}

// Milliseconds, local time, or the 1601 epoch of Windows file times would
// each miss the system's seconds by far more than the second allowed for
// clocks that tick at different moments.
TEST(UtcTime, NowIsTheSystemsUtcSecondsInALocalZoneAheadOfUtc)
{
    const CentralEuropeanTime zone;
    const std::int64_t before = SystemSeconds();
    const std::int64_t now = custody::UtcNow();
    const std::int64_t after = SystemSeconds();
    EXPECT_GE(now, before - 1);
    EXPECT_LE(now, after + 1);
}

TEST(ArchiveFolders, KnowsOnlyTheNamesItWrites)
{
    const char* foreign[] = {"20261308T091502Z",   "20261131T000000Z",  "20261208T241502Z", "20261208T091502",
                             "20261208 091502Z",   "20261208T091502Z-1", "20261208T091502Z-02",
                             "20261208T091502Z-",  "20261208T091502Z.partial.partial", "x20261208T091502Z"};
    for (const char* name : foreign) {
        EXPECT_FALSE(custody::ParseOffloadFolderName(name)) << name;
    }
    const auto suffixed = custody::ParseOffloadFolderName("20261208T091502Z-12.partial");
    ASSERT_TRUE(suffixed);
    EXPECT_EQ(suffixed->sequence, 12u);
    EXPECT_TRUE(suffixed->partial);
    EXPECT_EQ(suffixed->Text(), "20261208T091502Z-12.partial");
    EXPECT_EQ(suffixed->BagName(), "20261208T091502Z-12");

    for (const char* serial : {"", ".", "..", "a/b", "a\\b", "C:", "x\n", "tail."}) {
        EXPECT_FALSE(custody::SerialNamesAFolder(serial)) << serial;
    }
    EXPECT_TRUE(custody::SerialNamesAFolder("SIM-7"));
}

}  // namespace
