// Tests of CbDateTime: text, calendar, ticks, local time, binary form and locale names.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbDateTime.h>

#include "base/exceptions/ExceptionTestSupport.h"
#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

using cbf::platform::FileTimeToTicks;
using cbf::platform::TicksToFileTime;
using cbf::test::ExpectThrowsAt;

namespace {

CbDateTime at(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0, unsigned second = 0,
              unsigned millisecond = 0)
{
    return CbDateTime(SystemTimeOf(year, month, day, hour, minute, second, millisecond));
}

std::vector<unsigned char> bytesOf(const CbDateTime& value)
{
    CbStreamWriteBinaryMemory out;
    value.Serialize(out);
    return std::vector<unsigned char>(out.GetData(), out.GetData() + out.GetSize());
}

std::wstring format(const CbDateTime& value, const wchar_t* pattern)
{
    return value.ToString(pattern, false).GetString();
}

} // namespace

// Blanks and signs as scanf reads them, the fields unchecked, text after the seconds ignored.
TEST(CbDateTimeTest, TextInTheFixedShapeIsStoredAsScanned)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2024-02-29  3:05: 9", "2024-02-29 03:05:09.000 (0)"},
        {" 202-+2-29 13:05:09", "0202-02-29 13:05:09.000 (0)"},
        {"2023-02-30 25:61:61", "2023-02-30 25:61:61.000 (0)"},
        {"2024--1-29 13:05:09.750Z and more", "2024-65535-29 13:05:09.000 (0)"}};
    for (const auto& [text, fields] : cases) {
        const CStringW wideText(text);
        EXPECT_TRUE(CbDateTime::HasValidFormat(text) && CbDateTime::HasValidFormat(wideText.GetString())) << text;
        for (const CbDateTime& value : {CbDateTime(text), CbDateTime(wideText.GetString()), CbDateTime(text, false),
                                        CbDateTime(wideText.GetString(), false)})
            EXPECT_EQ(TextOf(value), fields);
    }
}

TEST(CbDateTimeTest, TextInAnyOtherShapeThrowsWithItsPlace)
{
    const char* const rejected[] = {"2024-02-29T13:05:09", "2024-02-29 13:05:0", "2024-02-29 13:05:+x",
                                    "2024-02-29 13:0x:09"};
    CbDateTime target(static_cast<unsigned __int64>(at(1999, 12, 31, 23, 59, 58, 500))); // a Friday
    const std::tuple<std::function<void(const char*, const wchar_t*)>, unsigned, const char*> operations[] = {
        {[](const char* t, const wchar_t*) { CbDateTime{t}; }, 210, "CbDateTime::CbDateTime"},
        {[](const char* t, const wchar_t*) { CbDateTime(t, true); }, 235, "CbDateTime::CbDateTime"},
        {[](const char*, const wchar_t* w) { CbDateTime{w}; }, 267, "CbDateTime::CbDateTime"},
        {[](const char*, const wchar_t* w) { CbDateTime(w, false); }, 292, "CbDateTime::CbDateTime"},
        {[&](const char* t, const wchar_t*) { target = t; }, 427, "CbDateTime::operator ="},
        {[&](const char*, const wchar_t* w) { target = w; }, 452, "CbDateTime::operator ="}};
    for (const char* text : rejected) {
        const CStringW wideText(text);
        EXPECT_FALSE(CbDateTime::HasValidFormat(text) || CbDateTime::HasValidFormat(wideText.GetString())) << text;
        SCOPED_TRACE(text);
        for (const auto& [run, line, function] : operations)
            ExpectThrowsAt([&, &run = run] { run(text, wideText.GetString()); }, "CbDateTime", line, function,
                           &CbException::RTTI);
    }
    // A failed assignment has set the day of week and milliseconds to 0 and kept what it scanned.
    EXPECT_EQ(TextOf(target), "2024-02-29 13:00:58.000 (0)");
    EXPECT_FALSE(CbDateTime::HasValidFormat(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(CbDateTime::HasValidFormat(static_cast<const wchar_t*>(nullptr)));
}

// Seconds have a calendar of their own; it must agree with the tick
// conversion, which is checked against the standard calendar elsewhere.
TEST(CbDateTimeTest, SecondsAndLeapYearsFollowTheGregorianCalendar)
{
    const std::pair<__int64, const char*> cases[] = {
        {-1, "1969-12-31 23:59:59.000 (3)"},
        {std::numeric_limits<__int64>::min(), "1601-01-01 00:00:00.000 (1)"},
        {4107542400, "2100-03-01 00:00:00.000 (1)"},
        {4010677070772932320, "54996-12-27 08:18:40.000 (1)"}, // a year beyond 32 bits, kept to 16
    };
    for (const auto& [seconds, fields] : cases)
        EXPECT_EQ(TextOf(CbDateTime(seconds)), fields) << seconds;
    EXPECT_NO_THROW(CbDateTime(std::numeric_limits<__int64>::max()));

    for (const auto& [year, leap] :
         std::initializer_list<std::pair<unsigned, bool>>{{1900, false}, {2000, true}, {2023, false}, {2024, true}})
        EXPECT_EQ(CbDateTime::IsLeapYear(year), leap) << year;
}

TEST(CbDateTimeTest, TicksFileTimesAndCTimesConvertBothWays)
{
    const unsigned __int64 ticks = 133536855090000000ULL + 1234567; // 2024-02-29 13:05:09.1234567
    const CbDateTime fromTicks(ticks);
    EXPECT_EQ(TextOf(fromTicks), "2024-02-29 13:05:09.123 (4)");
    EXPECT_EQ(FileTimeToTicks(fromTicks), ticks - 4567);
    EXPECT_EQ(TextOf(CbDateTime(0x8000000000000000ULL)), "1601-01-01 00:00:00.000 (1)"); // beyond the range
    EXPECT_EQ(TextOf(CbDateTime(CTime(std::numeric_limits<__int64>::max()))), "0000-00-00 65535:65535:65535.000 (0)");
    const CbDateTime noon = at(2024, 5, 20, 12, 34, 56); // through the runtime's local time, whatever the zone
    EXPECT_EQ(CbDateTime(static_cast<CTime>(noon)), noon);
}

TEST(CbDateTimeTest, FieldsThatFormNoDateCountAsTheFirstTick)
{
    const CbDateTime first(0ULL);
    const CbDateTime noDate = at(2024, 1, 1, 24);
    EXPECT_TRUE(noDate == first && noDate < at(2024, 1, 1) && !(noDate > first));
    EXPECT_EQ(bytesOf(noDate), bytesOf(first));
    // Local time falls back to the fields.
    EXPECT_EQ(noDate.ToString(L"Y-m-d H:i:s", true), L"2024-01-01 24:00:00");
    EXPECT_TRUE(at(2024, 2, 30).IsLeapYear(true));
}

// Ordered by instant, not by the text of the fields.
TEST(CbDateTimeTest, ComparisonIsChronologicalAndIgnoresTheDayOfWeek)
{
    const std::pair<CbDateTime, CbDateTime> ordered[] = {{at(2024, 2, 29, 13, 5, 9, 0), at(2024, 2, 29, 13, 5, 9, 1)},
                                                         {at(9999, 1, 1), at(10000, 1, 1)}};
    for (const auto& [earlier, later] : ordered) {
        EXPECT_TRUE(earlier < later && earlier <= later && later > earlier && later >= earlier && earlier != later);
        EXPECT_FALSE(later < earlier || later <= earlier || earlier > later || earlier >= later || earlier == later);
    }

    EXPECT_TRUE(CbDateTime(SYSTEMTIME{2024, 2, 6, 29, 0, 0, 0, 0}) == at(2024, 2, 29)); // a Thursday, not a Saturday
}

TEST(CbDateTimeTest, LocalTimeOnTheWayInAndOut)
{
    const ScopedTimeZone zone("Europe/Berlin");
    if (!zone.IsHonoured())
        GTEST_SKIP() << kTimeZoneNotHonoured;

    EXPECT_EQ(TextOf(CbDateTime(CTime(1719828000))), "2024-07-01 12:00:00.000 (0)"); // 10:00 UTC
    EXPECT_EQ(static_cast<CTime>(at(2024, 7, 1, 12, 0, 0, 999)).GetTime(), 1719828000);
    EXPECT_EQ(TextOf(CbDateTime("2024-07-01 12:00:00", true)), "2024-07-01 10:00:00.000 (1)");
    EXPECT_EQ(TextOf(CbDateTime(L"2024-01-01 00:30:00", true)), "2023-12-31 23:30:00.000 (0)");
    EXPECT_EQ(TextOf(CbDateTime("2023-02-30 25:61:61", true)), "2023-02-30 25:61:61.000 (0)");

    const CbDateTime newYearsEve = at(2024, 12, 31, 23, 30); // already 2025 in Berlin
    EXPECT_TRUE(newYearsEve.IsLeapYear(false) && !newYearsEve.IsLeapYear(true));
    EXPECT_EQ(newYearsEve.ToString(L"Y-m-d H:i", true), L"2025-01-01 00:30");
    EXPECT_NE(newYearsEve.ToString(CbDateTime::eFormatLongDate, true),
              newYearsEve.ToString(CbDateTime::eFormatLongDate, false));
    EXPECT_EQ(newYearsEve.ToString(CbDateTime::eFormatShortDate, true),
              newYearsEve.ToString(CbDateTime::eFormatShortDate, false));
}

TEST(CbDateTimeTest, TheBinaryFormIsStampZeroAndTicks)
{
    std::vector<unsigned char> expected = {0, 0, 0, 0, 0x30, 0xB5, 0x22, 0xEC, 0x0F, 0x6B, 0xDA, 0x01};
    EXPECT_EQ(bytesOf(at(2024, 2, 29, 13, 5, 9, 123)), expected);

    CbDateTime read = at(1999, 1, 1);
    CbStreamReadBinaryMemory in(expected.data(), expected.size());
    read.Serialize(in);
    EXPECT_EQ(TextOf(read), "2024-02-29 13:05:09.123 (4)");
    EXPECT_EQ(in.GetRemaining(), 0u);

    CbStreamReadBinaryMemory shortIn(expected.data(), expected.size() - 1);
    EXPECT_THROW(read.Serialize(shortIn), CbExceptionStream);
    expected[0] = 1;
    CbStreamReadBinaryMemory newer(expected.data(), expected.size());
    EXPECT_THROW(read.Serialize(newer), CbExceptionWrongFileVersion);
}

TEST(CbDateTimeTest, FileTimesOfAnExistingFileOnly)
{
    const std::wstring path = (std::filesystem::temp_directory_path() / L"cbf-dates-file.txt").wstring();
    std::ofstream(std::filesystem::path(path)) << "x";
    const CbDateTime first(0ULL);
    CbDateTime created = first;
    CbDateTime modified = first;
    ASSERT_TRUE(created.ReadFileCreationTime(path.c_str()) && modified.ReadFileModificationTime(path.c_str()));
    EXPECT_TRUE(first < created && created <= modified);

    // A NUL inside the path names no file rather than the part before it, and the value stays.
    const CStringW truncatedByNul = CStringW(path.c_str()) + L'\0' + L"x";
    EXPECT_FALSE(created.ReadFileCreationTime(truncatedByNul) || modified.ReadFileModificationTime(truncatedByNul));
    EXPECT_TRUE(first < created && created <= modified);
    std::filesystem::remove(path);
}

TEST(CbDateTimeFormatTest, EveryLetterOfTheFormat)
{
    const CbDateTime leapDay = at(2024, 2, 29, 13, 5, 9);
    const CbDateTime early = at(5, 11, 1, 7);
    const CbDateTime noon = at(2024, 1, 1, 12, 30);
    const std::tuple<const wchar_t*, CbDateTime, const wchar_t*> cases[] = {
        {L"Y", early, L"0005"}, {L"y", at(12305, 1, 1), L"05"}, {L"m", leapDay, L"02"},
        {L"n", leapDay, L"2"},  {L"d", early, L"01"},           {L"j", early, L"1"},
        {L"t", leapDay, L"29"}, {L"H", early, L"07"},           {L"G", early, L"7"},
        {L"h", noon, L"00"},    {L"g", leapDay, L"1"},          {L"A", noon, L"PM"},
        {L"a", early, L"am"},   {L"i", leapDay, L"05"},         {L"s", leapDay, L"09"}};
    for (const auto& [pattern, value, expected] : cases)
        EXPECT_EQ(format(value, pattern), expected) << pattern;
    EXPECT_EQ(format(leapDay, L"\\Y|\\\\|x-%: |Y\\"), L"Y|\\|x-%: |2024");
    EXPECT_EQ(format(at(12345, 2, 30, 25, 61, 61), L"Y-m-d H:i:s"), L"12345-02-30 25:61:61");
    // Of no date: no days, and error names for the names.
    EXPECT_EQ(format(at(2024, 13, 1), L"<t>F|M|l|D"),
              L"<>ERROR_INVALID_PARAMETER|ERROR_INVALID_PARAMETER|ERROR_INVALID_PARAMETER|ERR");

    const std::wstring beyondTheStack(100, L'-'); // longer than the text the formatter keeps on the stack
    EXPECT_EQ(format(leapDay, (beyondTheStack + L"Y-m-d").c_str()), beyondTheStack + L"2024-02-29");
    EXPECT_EQ(leapDay.ToString(static_cast<const wchar_t*>(nullptr)), L"");
}

TEST(CbDateTimeFormatTest, NamesAndFixedFormsComeFromTheUserLocale)
{
    const CbDateTime leapDay = at(2024, 2, 29, 13, 5, 9);
    const CStringW longDate = leapDay.ToString(CbDateTime::eFormatLongDate);
    EXPECT_NE(longDate.Find(L"2024"), -1);
    EXPECT_EQ(leapDay.ToString(CbDateTime::eFormatLongDateTime), longDate + L" 13:05:09");
    EXPECT_EQ(leapDay.ToString(static_cast<CbDateTime::EFormat>(7)), L"");

    // A part the locale cannot write stays empty.
    EXPECT_EQ(at(2023, 2, 30, 13, 5, 9).ToString(CbDateTime::eFormatLongDateTime), L" 13:05:09");
    EXPECT_EQ(at(2024, 2, 29, 25).ToString(CbDateTime::eFormatLongDateTime), longDate + L" ");
    EXPECT_EQ(at(2023, 2, 30).ToString(CbDateTime::eFormatShortDate), L"");
}
