#include <cbfoundation/platform/COleException.h>
#include <cbfoundation/platform/CTime.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

TEST(CTimeTest, FieldsOutOfRangeThrowInvalidArgument)
{
    struct Case
    {
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {1899, 12, 31, 23, 59, 59}, {2024, 0, 1, 0, 0, 0},  {2024, 13, 1, 0, 0, 0}, {2024, 1, 0, 0, 0, 0},
        {2024, 1, 32, 0, 0, 0},     {2024, 1, 1, -1, 0, 0}, {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0},
        {2024, 1, 1, 0, -1, 0},     {2024, 1, 1, 0, 0, 60}, {2024, 1, 1, 0, 0, -1},
    };
    for (const Case& c : cases) {
        try {
            CTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
            ADD_FAILURE() << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":" << c.minute << ":"
                          << c.second << " was accepted";
        } catch (const COleException& e) {
            EXPECT_EQ(e.GetStatusCode(), COleException::kInvalidArgumentStatus);
            EXPECT_STREQ(e.what(), "COleException: invalid argument");
        }
    }
}

TEST(CTimeTest, FieldsAreLocalTimeOfTheCurrentZone)
{
    struct Case
    {
        const char* zone;
        int year, month, day, hour, minute, second;
        __int64 seconds;
    };
    const Case cases[] = {
        {"UTC", 1970, 1, 1, 0, 0, 0, 0},
        {"UTC", 2024, 2, 29, 13, 5, 9, 1709211909},
        {"UTC", 2024, 4, 31, 0, 0, 0, 1714521600}, // the 31st of April is the 1st of May
        {"Europe/Berlin", 2024, 7, 1, 12, 0, 0, 1719828000},
        {"America/New_York", 1900, 1, 1, 0, 0, 0, -2208970800},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.zone);
        if (!zone.IsHonoured())
            GTEST_SKIP() << kTimeZoneNotHonoured;
        const CTime time(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(time.GetTime(), c.seconds) << c.zone;
        EXPECT_EQ(CTime(c.seconds).GetHour(), c.hour) << c.zone;
    }

    const ScopedTimeZone berlin("Europe/Berlin");
    const CTime epoch(0);
    EXPECT_EQ(epoch.GetYear(), 1970);
    EXPECT_EQ(epoch.GetMonth(), 1);
    EXPECT_EQ(epoch.GetDay(), 1);
    EXPECT_EQ(epoch.GetHour(), 1);
    EXPECT_EQ(epoch.GetMinute(), 0);
    EXPECT_EQ(epoch.GetSecond(), 0);
    EXPECT_EQ(epoch.GetDayOfWeek(), 5); // Thursday, counting Sunday as 1
}

TEST(CTimeTest, AnInstantWithoutLocalTimeHasNoFields)
{
    const CTime unrepresentable(std::numeric_limits<__int64>::max());
    std::tm local{};
    EXPECT_FALSE(unrepresentable.GetLocalTm(local));
    EXPECT_EQ(unrepresentable.GetYear(), 0);
    EXPECT_EQ(unrepresentable.GetMonth(), 0);
    EXPECT_EQ(unrepresentable.GetDay(), 0);
    EXPECT_EQ(unrepresentable.GetDayOfWeek(), 0);
    EXPECT_EQ(unrepresentable.GetHour(), -1);
    EXPECT_EQ(unrepresentable.GetMinute(), -1);
    EXPECT_EQ(unrepresentable.GetSecond(), -1);
    EXPECT_EQ(unrepresentable, CTime(std::numeric_limits<__int64>::max()));
    EXPECT_NE(unrepresentable, CTime());
}
