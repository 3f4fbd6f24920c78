// Tests of the clock, tick arithmetic, time-zone conversions and file times.
#include <cbfoundation/platform/SystemTime.h>

#include "os/services/FileSystemTestSupport.h"
#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <tuple>

using namespace cbf::platform;

namespace {

constexpr unsigned __int64 kTicksPerDay = 864000000000ULL;
constexpr __int64 kDaysFrom1601To1970 = 134774;

// The same instant's text, computed independently with the standard calendar.
std::string expectedText(unsigned __int64 ticks)
{
    using namespace std::chrono;
    const sys_days day{days{static_cast<__int64>(ticks / kTicksPerDay) - kDaysFrom1601To1970}};
    const year_month_day date{day};
    const auto ms = static_cast<unsigned>(ticks % kTicksPerDay / 10000);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u.%03u (%u)", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000, weekday{day}.c_encoding());
    return text;
}

} // namespace

// Both ends of the range, then anywhere in it.
TEST(SystemTimeTest, TicksAndFieldsAgreeWithTheStandardCalendarOverTheWholeRange)
{
    EXPECT_EQ(expectedText(kLargestTicks), "30828-09-14 02:48:05.477 (4)");
    std::mt19937_64 random(20240229);
    std::uniform_int_distribution<unsigned __int64> anyTicks(0, kLargestTicks);
    for (int i = 0; i < 20000; ++i) {
        const unsigned __int64 ticks = i == 0 ? 0 : i == 1 ? kLargestTicks : anyTicks(random);
        SYSTEMTIME t{};
        unsigned __int64 back = 0;
        ASSERT_TRUE(TicksToSystemTime(ticks, t)) << ticks;
        ASSERT_EQ(TextOf(t), expectedText(ticks)) << ticks;
        t.wDayOfWeek = 9; // ignored on the way back
        ASSERT_TRUE(SystemTimeToTicks(t, back)) << ticks;
        ASSERT_EQ(back, ticks - ticks % 10000) << ticks;
    }
}

TEST(SystemTimeTest, TheRangeEndsAtTheLargestTickCountAndOnlyValidFieldsHaveTicks)
{
    SYSTEMTIME untouched = SystemTimeOf(2000, 1, 1);
    EXPECT_FALSE(TicksToSystemTime(kLargestTicks + 1, untouched));
    EXPECT_FALSE(TicksToSystemTime(~0ULL, untouched));
    EXPECT_EQ(TextOf(untouched), "2000-01-01 00:00:00.000 (0)");

    // Fields (year, month, day, hour, minute, second, millisecond) that form no time.
    const unsigned noTimes[][7] = {
        {1600, 12, 31, 23, 59, 59, 999}, {1900, 2, 29, 0, 0, 0, 0},   {2024, 4, 31, 0, 0, 0, 0},
        {2024, 13, 1, 0, 0, 0, 0},       {2024, 1, 0, 0, 0, 0, 0},    {2024, 1, 1, 24, 0, 0, 0},
        {2024, 1, 1, 0, 60, 0, 0},       {2024, 1, 1, 0, 0, 0, 1000}, {30828, 9, 14, 2, 48, 5, 478},
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
        {"Europe/Berlin", "2024-03-31 01:30:00.000 (0)", "2024-03-31 02:30:00.000 (0)", "<"}, // skipped
        {"Europe/Berlin", "2024-03-31 01:00:00.000 (0)", "2024-03-31 03:00:00.000 (0)", "<>"},
        {"Europe/Berlin", "2024-10-27 00:30:00.000 (0)", "2024-10-27 02:30:00.000 (0)", "<>"}, // repeated
        {"Europe/Berlin", "2024-10-27 01:00:00.000 (0)", "2024-10-27 02:00:00.000 (0)", ">"},  // again 02:00
        {"Europe/Berlin", "2024-12-31 23:30:00.000 (2)", "2025-01-01 00:30:00.000 (3)", "<>"},
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

TEST(SystemTimeTest, LocalConversionsRoundTripTimesAndRefuseFieldsThatAreNoTime)
{
    // Whatever the zone, a time that is not next to a switch comes back.
    SYSTEMTIME local{};
    SYSTEMTIME utc{};
    ASSERT_TRUE(UtcToLocalTime(SystemTimeOf(2024, 5, 20, 10, 11, 12, 13), local));
    ASSERT_TRUE(LocalTimeToUtc(local, utc));
    EXPECT_EQ(TextOf(utc), "2024-05-20 10:11:12.013 (1)");

    for (const SYSTEMTIME& time : {SystemTimeOf(2023, 2, 29, 12), SystemTimeOf(1500, 1, 1)}) {
        SYSTEMTIME out = SystemTimeOf(1999, 9, 9);
        EXPECT_FALSE(UtcToLocalTime(time, out)) << TextOf(time);
        EXPECT_FALSE(LocalTimeToUtc(time, out)) << TextOf(time);
        EXPECT_EQ(TextOf(out), "1999-09-09 00:00:00.000 (0)");
    }
}

// The clock is UTC with milliseconds, and so are a file's times. An existing
// file's times and a removed file's are tested through CbDateTime; here the
// paths only this layer sees. The name leaves ASCII so that the path's
// conversion to narrow text counts.
TEST(SystemTimeTest, TheClockAndFileTimesAreUtc)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / u8"cbf-dates-\u00e9t\u00e9.txt";
    const CStringW widePath = cbf::test::WideOf(path);
    std::ofstream(path) << "x";
    using namespace std::chrono;
    const auto millisecondsNow = [] { return duration_cast<milliseconds>(system_clock::now().time_since_epoch()); };
    const milliseconds before = millisecondsNow();
    SYSTEMTIME now{};
    GetCurrentSystemTime(now);
    const milliseconds after = millisecondsNow();
    unsigned __int64 nowTicks = 0;
    ASSERT_TRUE(SystemTimeToTicks(now, nowTicks));
    const milliseconds clock(static_cast<__int64>((nowTicks - kTicksFrom1601To1970) / 10000));
    EXPECT_TRUE(clock >= before - milliseconds(20) && clock <= after + milliseconds(20)) << TextOf(now);

    FILETIME creation{};
    FILETIME lastWrite{};
    EXPECT_TRUE(ReadFileTimes(widePath.GetString(), widePath.GetLength(), creation, lastWrite));
    std::filesystem::remove(path);
    const unsigned __int64 minute = 60 * kTicksPerSecond;
    for (const FILETIME& time : {creation, lastWrite}) // within a minute of now, either side
        EXPECT_LT(FileTimeToTicks(time) - (nowTicks - minute), 2 * minute);

    creation = lastWrite = TicksToFileTime(42);
    EXPECT_FALSE(ReadFileTimes(L"", 0, creation, lastWrite));
    EXPECT_FALSE(ReadFileTimes(nullptr, 0, creation, lastWrite));
    EXPECT_EQ(FileTimeToTicks(creation) + FileTimeToTicks(lastWrite), 84u);
}
