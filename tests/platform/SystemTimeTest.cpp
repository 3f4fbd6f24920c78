// Tests of the clock, tick arithmetic and time-zone conversions.
#include <cbfoundation/platform/SystemTime.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <tuple>
#include <utility>

using namespace cbf::platform;

// Both ends of the range, the day after a century's February without a leap
// day, and a leap day with ticks below the millisecond that the fields drop.
TEST(SystemTimeTest, TicksAndFieldsAgreeWithTheStandardCalendarOverTheWholeRange)
{
    const std::pair<unsigned __int64, const char*> cases[] = {
        {0, "1601-01-01 00:00:00.000 (1)"},
        {94406687999990000, "1900-03-01 23:59:59.999 (4)"},
        {133536855091239999, "2024-02-29 13:05:09.123 (4)"},
        {kLargestTicks, "30828-09-14 02:48:05.477 (4)"},
    };
    for (const auto& [ticks, text] : cases) {
        SYSTEMTIME t{};
        unsigned __int64 back = 0;
        ASSERT_TRUE(TicksToSystemTime(ticks, t)) << text;
        EXPECT_EQ(TextOf(t), text);
        t.wDayOfWeek = 9; // ignored on the way back
        ASSERT_TRUE(SystemTimeToTicks(t, back)) << text;
        EXPECT_EQ(back, ticks - ticks % 10000) << text;
    }
}

TEST(SystemTimeTest, TheRangeEndsAtTheLargestTickCountAndOnlyValidFieldsHaveTicks)
{
    SYSTEMTIME untouched = SystemTimeOf(2000, 1, 1);
    EXPECT_FALSE(TicksToSystemTime(kLargestTicks + 1, untouched));
    EXPECT_EQ(TextOf(untouched), "2000-01-01 00:00:00.000 (0)");

    // Fields (year, month, day, hour, minute, second, millisecond) that form no time.
    const unsigned noTimes[][7] = {
        {1600, 12, 31, 23, 59, 59, 999}, {1900, 2, 29, 0, 0, 0, 0},   {2024, 4, 31, 0, 0, 0, 0},
        {2024, 13, 1, 0, 0, 0, 0},       {2024, 1, 1, 0, 0, 0, 1000}, {30828, 9, 14, 2, 48, 5, 478},
    };
    for (const unsigned* f : noTimes) {
        const SYSTEMTIME time = SystemTimeOf(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        unsigned __int64 ticks = 12345;
        EXPECT_FALSE(SystemTimeToTicks(time, ticks)) << TextOf(time);
        EXPECT_EQ(ticks, 12345u) << TextOf(time);
    }
}

// Around a switch only one direction holds: a skipped local time is read with
// the offset before the switch, a repeated one as its first (daylight) occurrence.
TEST(SystemTimeTest, LocalTimeFollowsTheZoneAcrossDaylightSavingSwitches)
{
    // The marks say which ways hold: "<>" both, ">" to local only, "<" to UTC only.
    const std::tuple<const char*, const char*, const char*, std::string_view> cases[] = {
        {"Europe/Berlin", "2024-03-31 01:30:00.000 (0)", "2024-03-31 02:30:00.000 (0)", "<"},  // skipped
        {"Europe/Berlin", "2024-10-27 00:30:00.000 (0)", "2024-10-27 02:30:00.000 (0)", "<>"}, // repeated
        {"Europe/Berlin", "2024-10-27 01:00:00.000 (0)", "2024-10-27 02:00:00.000 (0)", ">"},  // again 02:00
        {"America/New_York", "2024-01-01 03:00:00.000 (1)", "2023-12-31 22:00:00.000 (0)", "<>"},
    };
    for (const auto& [zoneName, utc, local, ways] : cases) {
        const ScopedTimeZone zone(zoneName);
        if (!zone.IsHonoured())
            GTEST_SKIP() << kTimeZoneNotHonoured;
        SCOPED_TRACE(local);
        SYSTEMTIME converted{};
        if (ways.find('>') != ways.npos) {
            ASSERT_TRUE(UtcToLocalTime(SystemTimeFrom(utc), converted));
            EXPECT_EQ(TextOf(converted), local);
        }
        if (ways.find('<') != ways.npos) {
            ASSERT_TRUE(LocalTimeToUtc(SystemTimeFrom(local), converted));
            EXPECT_EQ(TextOf(converted), utc);
        }
    }
}

// The clock is UTC; a file's times are tested through CbDateTime.
TEST(SystemTimeTest, TheClockIsUtc)
{
    using namespace std::chrono;
    SYSTEMTIME now{};
    GetCurrentSystemTime(now);
    const auto clock = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    unsigned __int64 ticks = 0;
    ASSERT_TRUE(SystemTimeToTicks(now, ticks));
    EXPECT_LT(std::llabs(static_cast<__int64>((ticks - kTicksFrom1601To1970) / 10000) - clock), 1000) << TextOf(now);
}
