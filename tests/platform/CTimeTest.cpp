// Tests of CTime's range checks; its local-time fields are tested through CbDateTime.
#include <cbfoundation/platform/COleException.h>
#include <cbfoundation/platform/CTime.h>

#include <gtest/gtest.h>

#include <array>

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
