#include <cbfoundation/base/values/CbDateTime.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

CbDateTime at(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0,
              unsigned second = 0)
{
    return CbDateTime(SystemTimeOf(year, month, day, hour, minute, second));
}

std::wstring format(const CbDateTime& value, const wchar_t* pattern)
{
    return value.ToString(pattern, false).GetString();
}

} // namespace

TEST(CbDateTimeFormatTest, EveryLetterOfTheFormat)
{
    const CbDateTime leapDay = at(2024, 2, 29, 13, 5, 9);
    const std::tuple<CbDateTime, const wchar_t*, const wchar_t*> cases[] = {
        {leapDay, L"Y|y|m|n|d|j|t", L"2024|24|02|2|29|29|29"}, {leapDay, L"H|G|h|g|A|a|i|s", L"13|13|01|1|PM|pm|05|09"},
        {at(5, 1, 1), L"Y|y", L"0005|05"},           {at(12345, 1, 1), L"Y|y", L"12345|45"},
        {at(2024, 11, 1, 7), L"n|H|G|A", L"11|07|7|AM"}, {at(2024, 2, 1), L"d|j", L"01|1"},
        {at(1900, 2, 1), L"t", L"28"},               {at(2000, 2, 1), L"t", L"29"},
        {at(2024, 4, 1), L"t", L"30"},               {at(2024, 12, 1), L"t", L"31"},
        {at(2024, 0, 1), L"<t>", L"<>"},             {at(2024, 13, 1), L"<t>", L"<>"},
        {at(2024, 1, 1, 12, 30), L"g A|h", L"0 PM|00"}, {at(2024, 1, 1, 0, 30), L"g A", L"0 AM"},
        {at(2024, 1, 1, 11, 59), L"a", L"am"},       {leapDay, L"", L""},
        {leapDay, L"\\Y|\\\\|x-%: |Y\\", L"Y|\\|x-%: |2024"},
        {at(2023, 2, 30, 25, 61, 61), L"Y-m-d H:i:s", L"2023-02-30 25:61:61"},
    };
    for (const auto& [value, pattern, expected] : cases)
        EXPECT_EQ(format(value, pattern), expected) << pattern;

    std::wstring longPattern;
    std::wstring longText;
    for (int i = 0; i < 20; ++i) {
        longPattern += L"Y-m-d H:i:s|";
        longText += L"2024-02-29 13:05:09|";
    }
    EXPECT_EQ(format(leapDay, longPattern.c_str()), longText);
    EXPECT_EQ(leapDay.ToString(static_cast<const wchar_t*>(nullptr)), L"");
}

TEST(CbDateTimeFormatTest, NamesOfNoDateAreErrorNames)
{
    const CbDateTime invalid[] = {at(2023, 2, 29), at(2024, 13, 1), at(2024, 0, 1)};
    for (const CbDateTime& value : invalid) {
        EXPECT_EQ(format(value, L"F|M|l"), L"ERROR_INVALID_PARAMETER|ERROR_INVALID_PARAMETER|ERROR_INVALID_PARAMETER");
        EXPECT_EQ(format(value, L"D"), L"ERR");
    }
}

TEST(CbDateTimeFormatTest, NamesAndFixedFormsComeFromTheUserLocale)
{
    const CbDateTime leapDay = at(2024, 2, 29, 13, 5, 9);
    const std::wstring weekday = format(leapDay, L"l");
    EXPECT_FALSE(weekday.empty());
    EXPECT_EQ(format(leapDay, L"D"), weekday.substr(0, 3));
    EXPECT_FALSE(format(leapDay, L"F").empty());
    EXPECT_FALSE(format(leapDay, L"M").empty());

    const CStringW longDate = leapDay.ToString(CbDateTime::eFormatLongDate);
    const CStringW shortDate = leapDay.ToString(CbDateTime::eFormatShortDate);
    EXPECT_NE(longDate.Find(L"2024"), -1);
    EXPECT_NE(longDate.Find(L"29"), -1);
    EXPECT_NE(shortDate.Find(L"29"), -1);
    EXPECT_EQ(leapDay.ToString(CbDateTime::eFormatLongDateTime), longDate + L" 13:05:09");
    EXPECT_EQ(leapDay.ToString(static_cast<CbDateTime::EFormat>(7)), L"");
    EXPECT_EQ(leapDay.ToString(static_cast<CbDateTime::EFormat>(-1)), L"");

    // A part the locale cannot write stays empty.
    EXPECT_EQ(at(2023, 2, 30, 13, 5, 9).ToString(CbDateTime::eFormatLongDateTime), L" 13:05:09");
    EXPECT_EQ(at(2024, 2, 29, 25).ToString(CbDateTime::eFormatLongDateTime), longDate + L" ");
    EXPECT_EQ(at(2023, 2, 30).ToString(CbDateTime::eFormatShortDate), L"");

    if (format(at(2024, 1, 1), L"l") != L"Monday")
        GTEST_SKIP() << "the user's locale is not English";
    EXPECT_EQ(format(leapDay, L"l, F j, Y"), L"Thursday, February 29, 2024");
    EXPECT_EQ(format(leapDay, L"D M"), L"Thu Feb");
    EXPECT_EQ(format(at(2024, 9, 1), L"F M l"), L"September Sep Sunday");
    EXPECT_NE(longDate.Find(L"Thursday"), -1);
    EXPECT_NE(longDate.Find(L"February"), -1);
}
