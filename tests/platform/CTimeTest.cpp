// Tests of CTime's local-time fields and their range checks.
#include <cbfoundation/platform/COleException.h>
#include <cbfoundation/platform/CTime.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <tuple>

namespace {

std::array<int, 7> fieldsOf(const CTime& time)
{
    return {time.GetYear(),   time.GetMonth(),  time.GetDay(),      time.GetHour(),
            time.GetMinute(), time.GetSecond(), time.GetDayOfWeek()};
}

} // namespace

TEST(CTimeTest, FieldsOutOfRangeThrowInvalidArgument)
{
    const std::array<int, 6> cases[] = {
        {1899, 12, 31, 23, 59, 59}, {2024, 13, 1, 0, 0, 0}, {2024, 1, 0, 0, 0, 0},
        {2024, 1, 1, 24, 0, 0},     {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, -1},
    };
    for (const auto& [year, month, day, hour, minute, second] : cases) {
        try {
            CTime(year, month, day, hour, minute, second);
            ADD_FAILURE() << year << "-" << month << "-" << day << " " << hour << ":" << minute << ":" << second;
        } catch (const COleException& e) {
            EXPECT_EQ(e.GetStatusCode(), COleException::kInvalidArgumentStatus);
            EXPECT_STREQ(e.what(), "COleException: invalid argument");
        }
    }
}

TEST(CTimeTest, FieldsAreLocalTimeOfTheCurrentZone)
{
    const std::tuple<const char*, int, int, int, __int64> cases[] = {
        {"UTC", 1970, 1, 1, 0},
        {"UTC", 2024, 4, 31, 1714521600}, // the 31st of April is the 1st of May
        {"America/New_York", 1900, 1, 1, -2208970800},
    };
    for (const auto& [zoneName, year, month, day, seconds] : cases) {
        const ScopedTimeZone zone(zoneName);
        if (!zone.IsHonoured())
            GTEST_SKIP() << kTimeZoneNotHonoured;
        EXPECT_EQ(CTime(year, month, day, 0, 0, 0).GetTime(), seconds) << zoneName;
        EXPECT_EQ(CTime(seconds).GetHour(), 0) << zoneName;
    }

    const ScopedTimeZone berlin("Europe/Berlin");
    // The day of week counts Sunday as 1: the epoch was a Thursday.
    EXPECT_EQ(fieldsOf(CTime(0)), (std::array{1970, 1, 1, 1, 0, 0, 5}));
}

TEST(CTimeTest, AnInstantWithoutLocalTimeHasNoFields)
{
    const CTime unrepresentable(std::numeric_limits<__int64>::max());
    std::tm local{};
    EXPECT_FALSE(unrepresentable.GetLocalTm(local));
    EXPECT_EQ(fieldsOf(unrepresentable), (std::array{0, 0, 0, -1, -1, -1, 0}));
    EXPECT_EQ(unrepresentable, CTime(std::numeric_limits<__int64>::max()));
    EXPECT_NE(unrepresentable, CTime());
}
