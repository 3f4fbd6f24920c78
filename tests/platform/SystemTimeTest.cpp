#include <cbfoundation/platform/LocaleTimeFormat.h>
#include <cbfoundation/platform/SystemTime.h>
#include <cbfoundation/platform/Utf16.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

using namespace cbf::platform;

namespace {

constexpr unsigned __int64 kTicksPerDay = 864000000000ULL;
constexpr __int64 kDaysFrom1601To1970 = 134774;

// The same instant, computed independently with the standard calendar.
std::string expectedText(unsigned __int64 ticks)
{
    using namespace std::chrono;
    const auto days = static_cast<__int64>(ticks / kTicksPerDay);
    const sys_days day{std::chrono::days{days - kDaysFrom1601To1970}};
    const year_month_day date{day};
    const unsigned __int64 inDay = ticks % kTicksPerDay / 10000;
    SYSTEMTIME t = SystemTimeOf(static_cast<unsigned>(int(date.year())), unsigned(date.month()),
                                unsigned(date.day()), static_cast<unsigned>(inDay / 3600000),
                                static_cast<unsigned>(inDay / 60000 % 60), static_cast<unsigned>(inDay / 1000 % 60),
                                static_cast<unsigned>(inDay % 1000));
    t.wDayOfWeek = static_cast<unsigned short>(weekday{day}.c_encoding());
    return TextOf(t);
}

// The path as wide text, whatever the process's locale: through UTF-16,
// which std::filesystem converts to without consulting the locale.
std::wstring wideTextOf(const std::filesystem::path& path)
{
    const std::u16string units = path.u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(FromUtf16(units.data(), units.size(), text.data()));
    return text;
}

} // namespace

TEST(SystemTimeTest, TicksAndFieldsAgreeWithTheStandardCalendarOverTheWholeRange)
{
    std::mt19937_64 random(20240229);
    std::uniform_int_distribution<unsigned __int64> anyTicks(0, kLargestTicks);
    for (int i = 0; i < 20000; ++i) {
        const unsigned __int64 ticks = anyTicks(random);
        SYSTEMTIME t{};
        ASSERT_TRUE(TicksToSystemTime(ticks, t)) << ticks;
        ASSERT_EQ(TextOf(t), expectedText(ticks)) << ticks;

        unsigned __int64 back = 0;
        ASSERT_TRUE(SystemTimeToTicks(t, back)) << TextOf(t);
        ASSERT_EQ(back, ticks - ticks % 10000) << TextOf(t);
    }
}

TEST(SystemTimeTest, EdgesOfTheRange)
{
    struct Case
    {
        unsigned __int64 ticks;
        const char* expected;
    };
    const Case cases[] = {
        {0, "1601-01-01 00:00:00.000 (1)"},
        {kTicksFrom1601To1970, "1970-01-01 00:00:00.000 (4)"},
        {kTicksFrom1601To1970 + 951782400ULL * kTicksPerSecond, "2000-02-29 00:00:00.000 (2)"},
        {kLargestTicks, "30828-09-14 02:48:05.477 (4)"},
    };
    for (const Case& c : cases) {
        SYSTEMTIME t{};
        ASSERT_TRUE(TicksToSystemTime(c.ticks, t));
        EXPECT_EQ(TextOf(t), c.expected);
    }

    SYSTEMTIME untouched = SystemTimeOf(2000, 1, 1);
    EXPECT_FALSE(TicksToSystemTime(kLargestTicks + 1, untouched));
    EXPECT_FALSE(TicksToSystemTime(~0ULL, untouched));
    EXPECT_EQ(TextOf(untouched), "2000-01-01 00:00:00.000 (0)");
}

TEST(SystemTimeTest, OnlyValidFieldsHaveTicks)
{
    struct Case
    {
        SYSTEMTIME time;
        bool valid;
    };
    const Case cases[] = {
        {SystemTimeOf(1601, 1, 1), true},
        {SystemTimeOf(2000, 2, 29), true},
        {SystemTimeOf(2024, 2, 29, 23, 59, 59, 999), true},
        {SystemTimeOf(30828, 9, 14, 2, 48, 5, 477), true},
        {SystemTimeOf(1600, 12, 31, 23, 59, 59, 999), false},
        {SystemTimeOf(1900, 2, 29), false},
        {SystemTimeOf(2023, 2, 29), false},
        {SystemTimeOf(2024, 2, 30), false},
        {SystemTimeOf(2024, 4, 31), false},
        {SystemTimeOf(2024, 0, 1), false},
        {SystemTimeOf(2024, 13, 1), false},
        {SystemTimeOf(2024, 1, 0), false},
        {SystemTimeOf(2024, 1, 1, 24), false},
        {SystemTimeOf(2024, 1, 1, 0, 60), false},
        {SystemTimeOf(2024, 1, 1, 0, 0, 60), false},
        {SystemTimeOf(2024, 1, 1, 0, 0, 0, 1000), false},
        {SystemTimeOf(30828, 9, 14, 2, 48, 5, 478), false},
        {SystemTimeOf(30828, 12, 31), false},
        {SystemTimeOf(65535, 12, 31), false},
    };
    for (const Case& c : cases) {
        unsigned __int64 ticks = 12345;
        EXPECT_EQ(SystemTimeToTicks(c.time, ticks), c.valid) << TextOf(c.time);
        if (!c.valid) {
            EXPECT_EQ(ticks, 12345u) << TextOf(c.time);
        }
    }

    SYSTEMTIME anyWeekday = SystemTimeOf(1970, 1, 1);
    anyWeekday.wDayOfWeek = 9;
    unsigned __int64 ticks = 0;
    ASSERT_TRUE(SystemTimeToTicks(anyWeekday, ticks));
    EXPECT_EQ(ticks, kTicksFrom1601To1970);
}

TEST(SystemTimeTest, TheClockIsUtcWithMilliseconds)
{
    const auto before = std::chrono::system_clock::now();
    SYSTEMTIME now{};
    GetCurrentSystemTime(now);
    const auto after = std::chrono::system_clock::now();

    unsigned __int64 ticks = 0;
    ASSERT_TRUE(SystemTimeToTicks(now, ticks)) << TextOf(now);
    const auto sinceEpoch = std::chrono::milliseconds(static_cast<__int64>((ticks - kTicksFrom1601To1970) / 10000));
    const auto toMilliseconds = [](auto t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch());
    };
    EXPECT_GE(sinceEpoch, toMilliseconds(before) - std::chrono::milliseconds(20));
    EXPECT_LE(sinceEpoch, toMilliseconds(after) + std::chrono::milliseconds(20));
}

TEST(SystemTimeTest, UtcToLocalFollowsTheZoneAcrossDaylightSavingSwitches)
{
    struct Case
    {
        const char* zone;
        SYSTEMTIME utc;
        const char* local;
    };
    const Case cases[] = {
        {"UTC", SystemTimeOf(2024, 7, 1, 12, 0, 0, 250), "2024-07-01 12:00:00.250 (1)"},
        {"Europe/Berlin", SystemTimeOf(2024, 1, 15, 12), "2024-01-15 13:00:00.000 (1)"},
        {"Europe/Berlin", SystemTimeOf(2024, 3, 31, 0, 59, 59, 999), "2024-03-31 01:59:59.999 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 3, 31, 1), "2024-03-31 03:00:00.000 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 10, 27, 0, 59, 59), "2024-10-27 02:59:59.000 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 10, 27, 1), "2024-10-27 02:00:00.000 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 12, 31, 23, 30), "2025-01-01 00:30:00.000 (3)"},
        {"America/New_York", SystemTimeOf(2024, 3, 10, 6, 59, 59), "2024-03-10 01:59:59.000 (0)"},
        {"America/New_York", SystemTimeOf(2024, 3, 10, 7), "2024-03-10 03:00:00.000 (0)"},
        {"America/New_York", SystemTimeOf(2024, 11, 3, 5, 59, 59), "2024-11-03 01:59:59.000 (0)"},
        {"America/New_York", SystemTimeOf(2024, 11, 3, 6), "2024-11-03 01:00:00.000 (0)"},
        {"America/New_York", SystemTimeOf(2024, 1, 1, 3), "2023-12-31 22:00:00.000 (0)"},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.zone);
        if (!zone.IsHonoured())
            GTEST_SKIP() << kTimeZoneNotHonoured;
        SYSTEMTIME local{};
        ASSERT_TRUE(UtcToLocalTime(c.utc, local)) << c.zone << " " << TextOf(c.utc);
        EXPECT_EQ(TextOf(local), c.local) << c.zone << " " << TextOf(c.utc);
    }
}

TEST(SystemTimeTest, LocalToUtcReadsRepeatedTimesAsDaylightAndSkippedTimesWithTheOldOffset)
{
    struct Case
    {
        const char* zone;
        SYSTEMTIME local;
        const char* utc;
    };
    const Case cases[] = {
        {"UTC", SystemTimeOf(2024, 7, 1, 12, 0, 0, 250), "2024-07-01 12:00:00.250 (1)"},
        {"Europe/Berlin", SystemTimeOf(2024, 1, 15, 13), "2024-01-15 12:00:00.000 (1)"},
        {"Europe/Berlin", SystemTimeOf(2024, 7, 15, 13), "2024-07-15 11:00:00.000 (1)"},
        {"Europe/Berlin", SystemTimeOf(2024, 3, 31, 1, 59, 59), "2024-03-31 00:59:59.000 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 3, 31, 2, 30), "2024-03-31 01:30:00.000 (0)"}, // skipped
        {"Europe/Berlin", SystemTimeOf(2024, 3, 31, 3), "2024-03-31 01:00:00.000 (0)"},
        {"Europe/Berlin", SystemTimeOf(2024, 10, 27, 2, 30), "2024-10-27 00:30:00.000 (0)"}, // repeated
        {"Europe/Berlin", SystemTimeOf(2024, 10, 27, 3), "2024-10-27 02:00:00.000 (0)"},
        {"America/New_York", SystemTimeOf(2024, 3, 10, 2, 30), "2024-03-10 07:30:00.000 (0)"}, // skipped
        {"America/New_York", SystemTimeOf(2024, 11, 3, 1, 30), "2024-11-03 05:30:00.000 (0)"}, // repeated
        {"America/New_York", SystemTimeOf(2023, 12, 31, 22), "2024-01-01 03:00:00.000 (1)"},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.zone);
        if (!zone.IsHonoured())
            GTEST_SKIP() << kTimeZoneNotHonoured;
        SYSTEMTIME utc{};
        ASSERT_TRUE(LocalTimeToUtc(c.local, utc)) << c.zone << " " << TextOf(c.local);
        EXPECT_EQ(TextOf(utc), c.utc) << c.zone << " " << TextOf(c.local);
    }
}

TEST(SystemTimeTest, LocalConversionsRefuseFieldsThatAreNoTime)
{
    const SYSTEMTIME invalid[] = {SystemTimeOf(2023, 2, 29, 12), SystemTimeOf(2024, 1, 1, 25),
                                  SystemTimeOf(1500, 1, 1)};
    for (const SYSTEMTIME& time : invalid) {
        SYSTEMTIME out = SystemTimeOf(1999, 9, 9);
        EXPECT_FALSE(UtcToLocalTime(time, out)) << TextOf(time);
        EXPECT_FALSE(LocalTimeToUtc(time, out)) << TextOf(time);
        EXPECT_EQ(TextOf(out), "1999-09-09 00:00:00.000 (0)");
    }
}

TEST(SystemTimeTest, EveryUnambiguousLocalTimeRoundTrips)
{
    // Whatever the zone, a time that is not next to a switch comes back.
    SYSTEMTIME local{};
    ASSERT_TRUE(UtcToLocalTime(SystemTimeOf(2024, 5, 20, 10, 11, 12, 13), local));
    SYSTEMTIME utc{};
    ASSERT_TRUE(LocalTimeToUtc(local, utc));
    EXPECT_EQ(TextOf(utc), "2024-05-20 10:11:12.013 (1)");
}

TEST(SystemTimeTest, FileTimesOfAnEntryAndOfNothing)
{
    // The name leaves ASCII so that the path's conversion to narrow text counts.
    const std::filesystem::path path = std::filesystem::temp_directory_path() / u8"cbf-dates-\u00e9t\u00e9.txt";
    const std::wstring widePath = wideTextOf(path);
    std::ofstream(path) << "x";
    SYSTEMTIME now{};
    GetCurrentSystemTime(now);
    unsigned __int64 nowTicks = 0;
    ASSERT_TRUE(SystemTimeToTicks(now, nowTicks));

    FILETIME creation{};
    FILETIME lastWrite{};
    ASSERT_TRUE(ReadFileTimes(widePath.c_str(), creation, lastWrite));
    const unsigned __int64 minute = 60 * kTicksPerSecond;
    EXPECT_LT(FileTimeToTicks(lastWrite), nowTicks + minute);
    EXPECT_GT(FileTimeToTicks(lastWrite), nowTicks - minute);
    EXPECT_LE(FileTimeToTicks(creation), FileTimeToTicks(lastWrite) + kTicksPerSecond);
    EXPECT_GT(FileTimeToTicks(creation), nowTicks - minute);

    EXPECT_TRUE(ReadFileTimes(wideTextOf(path.parent_path()).c_str(), creation, lastWrite));

    std::filesystem::remove(path);
    const FILETIME marker = TicksToFileTime(42);
    creation = lastWrite = marker;
    EXPECT_FALSE(ReadFileTimes(widePath.c_str(), creation, lastWrite));
    EXPECT_FALSE(ReadFileTimes(L"", creation, lastWrite));
    EXPECT_FALSE(ReadFileTimes(nullptr, creation, lastWrite));
    EXPECT_EQ(FileTimeToTicks(creation), 42u);
    EXPECT_EQ(FileTimeToTicks(lastWrite), 42u);
}

TEST(SystemTimeTest, LocaleNamesAreDistinctAndTheLongDateShowsTheDate)
{
    std::set<std::wstring> months;
    std::set<std::wstring> abbreviations;
    for (unsigned month = 1; month <= 12; ++month) {
        std::wstring name;
        std::wstring abbreviation;
        ASSERT_EQ(FormatUserDate(SystemTimeOf(2024, month, 1), UserDateForm::MonthName, name), 0u);
        ASSERT_EQ(FormatUserDate(SystemTimeOf(2024, month, 1), UserDateForm::MonthAbbreviation, abbreviation), 0u);
        months.insert(name);
        abbreviations.insert(abbreviation);
    }
    EXPECT_EQ(months.size(), 12u);
    EXPECT_EQ(abbreviations.size(), 12u);

    std::set<std::wstring> weekdays;
    for (unsigned day = 1; day <= 14; ++day) {
        std::wstring name;
        ASSERT_EQ(FormatUserDate(SystemTimeOf(2024, 1, day), UserDateForm::WeekdayName, name), 0u);
        weekdays.insert(name);
    }
    EXPECT_EQ(weekdays.size(), 7u);

    std::wstring longDate;
    std::wstring shortDate;
    ASSERT_EQ(FormatUserDate(SystemTimeOf(2024, 2, 29), UserDateForm::LongDate, longDate), 0u);
    ASSERT_EQ(FormatUserDate(SystemTimeOf(2024, 2, 29), UserDateForm::ShortDate, shortDate), 0u);
    EXPECT_NE(longDate.find(L"29"), std::wstring::npos);
    EXPECT_NE(longDate.find(L"2024"), std::wstring::npos);
    EXPECT_NE(shortDate.find(L"29"), std::wstring::npos);
}

TEST(SystemTimeTest, FormattersReportInvalidFieldsAsInvalidParameter)
{
    const SYSTEMTIME invalidDates[] = {SystemTimeOf(2023, 2, 29), SystemTimeOf(2024, 13, 1), SystemTimeOf(1600, 1, 1)};
    for (const SYSTEMTIME& date : invalidDates) {
        for (UserDateForm form : {UserDateForm::LongDate, UserDateForm::ShortDate, UserDateForm::WeekdayName,
                                  UserDateForm::MonthName, UserDateForm::MonthAbbreviation}) {
            std::wstring out = L"old";
            EXPECT_EQ(FormatUserDate(date, form, out), kErrorInvalidParameter) << TextOf(date);
            EXPECT_EQ(out, L"");
        }
    }

    std::wstring time;
    EXPECT_EQ(FormatUserTime(SystemTimeOf(2024, 2, 29, 13, 5, 9), time), 0u);
    EXPECT_EQ(time, L"13:05:09");
    EXPECT_EQ(FormatUserTime(SystemTimeOf(2024, 2, 29, 24, 5, 9), time), kErrorInvalidParameter);
    EXPECT_EQ(time, L"");
}
