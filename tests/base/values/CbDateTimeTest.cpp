#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/COleException.h>

#include "platform/TimeTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string fieldsOf(const CbDateTime& value)
{
    return TextOf(value);
}

CbDateTime at(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0,
              unsigned second = 0, unsigned millisecond = 0)
{
    return CbDateTime(SystemTimeOf(year, month, day, hour, minute, second, millisecond));
}

CbDateTime fromSeconds(__int64 seconds)
{
    return CbDateTime(seconds);
}

std::vector<unsigned char> bytesOf(const CbDateTime& value)
{
    CbStreamWriteBinaryMemory out;
    value.Serialize(out);
    return std::vector<unsigned char>(out.GetData(), out.GetData() + out.GetSize());
}

} // namespace

TEST(CbDateTimeTest, TextInTheFixedShapeIsStoredAsScanned)
{
    struct Case
    {
        const char* text;
        const char* fields;
    };
    const Case cases[] = {
        {"2024-02-29 13:05:09", "2024-02-29 13:05:09.000 (0)"},
        {"2023-02-30 25:61:61", "2023-02-30 25:61:61.000 (0)"},
        {"2024-02-29 13:05:09.750Z and more", "2024-02-29 13:05:09.000 (0)"},
        {"2024-02-29  3:05: 9", "2024-02-29 03:05:09.000 (0)"},
        {" 202-+2-29 13:05:09", "0202-02-29 13:05:09.000 (0)"},
        {"2024--1-29 13:05:09", "2024-65535-29 13:05:09.000 (0)"},
        {"0000-00-00 00:00:00", "0000-00-00 00:00:00.000 (0)"},
    };
    for (const Case& c : cases) {
        const std::wstring wide(c.text, c.text + std::char_traits<char>::length(c.text));
        EXPECT_TRUE(CbDateTime::HasValidFormat(c.text)) << c.text;
        EXPECT_TRUE(CbDateTime::HasValidFormat(wide.c_str())) << c.text;
        EXPECT_EQ(fieldsOf(CbDateTime(c.text)), c.fields);
        EXPECT_EQ(fieldsOf(CbDateTime(wide.c_str())), c.fields);
        EXPECT_EQ(fieldsOf(CbDateTime(c.text, false)), c.fields);
        EXPECT_EQ(fieldsOf(CbDateTime(wide.c_str(), false)), c.fields);
    }
}

TEST(CbDateTimeTest, TextInAnyOtherShapeThrowsWithItsPlace)
{
    const char* const rejected[] = {
        "2024-02-29T13:05:09", "2024-2-29 13:05:09", "2024-02-29 13:05:0", "", "2024/02/29 13:05:09",
        "abcd-ef-gh ij:kl:mn", "2024-02-29 13:05:+x", "2024-02-29 13:05:- ", "2024-02-29 13:0x:09",
    };
    struct Operation
    {
        std::function<void(const char*, const wchar_t*)> run;
        unsigned line;
        const char* function;
    };
    CbDateTime target;
    const Operation operations[] = {
        {[](const char* t, const wchar_t*) { CbDateTime{t}; }, 210, "CbDateTime::CbDateTime"},
        {[](const char* t, const wchar_t*) { CbDateTime(t, true); }, 235, "CbDateTime::CbDateTime"},
        {[](const char*, const wchar_t* w) { CbDateTime{w}; }, 267, "CbDateTime::CbDateTime"},
        {[](const char*, const wchar_t* w) { CbDateTime(w, false); }, 292, "CbDateTime::CbDateTime"},
        {[&](const char* t, const wchar_t*) { target = t; }, 427, "CbDateTime::operator ="},
        {[&](const char*, const wchar_t* w) { target = w; }, 452, "CbDateTime::operator ="},
    };
    for (const char* text : rejected) {
        const std::wstring wide(text, text + std::char_traits<char>::length(text));
        EXPECT_FALSE(CbDateTime::HasValidFormat(text)) << text;
        EXPECT_FALSE(CbDateTime::HasValidFormat(wide.c_str())) << text;
        for (const Operation& operation : operations) {
            try {
                operation.run(text, wide.c_str());
                ADD_FAILURE() << "accepted " << text << " (line " << operation.line << ")";
            } catch (const CbException& e) {
                EXPECT_TRUE(e.Is(CbException::RTTI));
                EXPECT_STREQ(e.GetFilename(), "CbDateTime");
                EXPECT_EQ(e.GetCodeLine(), operation.line) << text;
                EXPECT_STREQ(e.GetFunctionName(), operation.function);
            }
        }
    }
    EXPECT_FALSE(CbDateTime::HasValidFormat(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(CbDateTime::HasValidFormat(static_cast<const wchar_t*>(nullptr)));
}

TEST(CbDateTimeTest, AFailedAssignmentKeepsWhatWasScannedBeforeTheFailure)
{
    struct Case
    {
        const wchar_t* text;
        const char* fields;
    };
    const Case cases[] = {
        {L"2024/02/29 13:05:09", "1999-12-31 23:59:58.000 (0)"},
        {L"2024-02-xx 13:05:09", "2024-02-31 23:59:58.000 (0)"},
        {L"2024-02-29 13:05:+x", "2024-02-29 13:05:58.000 (0)"},
    };
    for (const Case& c : cases) {
        CbDateTime value = at(1999, 12, 31, 23, 59, 58, 500);
        value = CbDateTime(static_cast<unsigned __int64>(value)); // fills in the day of week
        ASSERT_EQ(static_cast<SYSTEMTIME>(value).wDayOfWeek, 5); // a Friday
        EXPECT_THROW(value = c.text, CbException);
        EXPECT_EQ(fieldsOf(value), c.fields);
    }
}

TEST(CbDateTimeTest, SecondsSince1970FollowTheGregorianCalendar)
{
    struct Case
    {
        __int64 seconds;
        const char* fields;
    };
    const Case cases[] = {
        {0, "1970-01-01 00:00:00.000 (4)"},
        {951782400, "2000-02-29 00:00:00.000 (2)"},
        {-1, "1969-12-31 23:59:59.000 (3)"},
        {-11644473600, "1601-01-01 00:00:00.000 (1)"},
        {-11644473601, "1601-01-01 00:00:00.000 (1)"},
        {std::numeric_limits<__int64>::min(), "1601-01-01 00:00:00.000 (1)"},
        {1709211909, "2024-02-29 13:05:09.000 (4)"},
        {4107542399, "2100-02-28 23:59:59.000 (0)"},
        {4107542400, "2100-03-01 00:00:00.000 (1)"},
        {253402300799, "9999-12-31 23:59:59.000 (5)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fieldsOf(fromSeconds(c.seconds)), c.fields) << c.seconds;

    CbDateTime assigned;
    assigned = static_cast<__int64>(951782400);
    EXPECT_EQ(fieldsOf(assigned), "2000-02-29 00:00:00.000 (2)");
    EXPECT_NO_THROW(fromSeconds(std::numeric_limits<__int64>::max()));
}

TEST(CbDateTimeTest, SecondsAgreeWithGmtimeAndWithTheTickConversion)
{
    std::mt19937_64 random(1601);
    std::uniform_int_distribution<__int64> anySecond(-11644473600, 253402300799);
    int comparedWithGmtime = 0;
    for (int i = 0; i < 20000; ++i) {
        const __int64 seconds = anySecond(random);
        const CbDateTime value = fromSeconds(seconds);
        const auto ticks = static_cast<unsigned __int64>(seconds + 11644473600) * 10000000ULL;
        ASSERT_EQ(fieldsOf(value), fieldsOf(CbDateTime(ticks))) << seconds;
        ASSERT_EQ(static_cast<unsigned __int64>(value), ticks) << seconds;

        // The Windows runtime's gmtime stops at 1970 and 3000.
        const std::time_t time = static_cast<std::time_t>(seconds);
        if (const std::tm* utc = std::gmtime(&time)) {
            ++comparedWithGmtime;
            char expected[64];
            std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d.000 (%d)", utc->tm_year + 1900,
                          utc->tm_mon + 1, utc->tm_mday, utc->tm_hour, utc->tm_min, utc->tm_sec, utc->tm_wday);
            ASSERT_EQ(fieldsOf(value), expected) << seconds;
        }
    }
    EXPECT_GT(comparedWithGmtime, 1000);
}

TEST(CbDateTimeTest, TicksAndFileTimesConvertBothWays)
{
    const unsigned __int64 ticks = 133536855090000000ULL + 1234567; // 2024-02-29 13:05:09.1234567
    const CbDateTime fromTicks(ticks);
    EXPECT_EQ(fieldsOf(fromTicks), "2024-02-29 13:05:09.123 (4)");
    EXPECT_EQ(static_cast<unsigned __int64>(fromTicks), ticks - 4567);

    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<unsigned>(ticks & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<unsigned>(ticks >> 32);
    EXPECT_EQ(CbDateTime(fileTime), fromTicks);
    const FILETIME back = fromTicks;
    EXPECT_EQ(back.dwLowDateTime, static_cast<unsigned>((ticks - 4567) & 0xFFFFFFFFu));
    EXPECT_EQ(back.dwHighDateTime, static_cast<unsigned>(ticks >> 32));

    CbDateTime assigned;
    assigned = ticks;
    EXPECT_EQ(assigned, fromTicks);
    assigned = fileTime;
    EXPECT_EQ(assigned, fromTicks);

    EXPECT_EQ(fieldsOf(CbDateTime(0x8000000000000000ULL)), "1601-01-01 00:00:00.000 (1)");
    EXPECT_EQ(fieldsOf(CbDateTime(~0ULL)), "1601-01-01 00:00:00.000 (1)");
}

TEST(CbDateTimeTest, FieldsThatFormNoDateCountAsTheFirstTick)
{
    const CbDateTime first(0ULL);
    const CbDateTime valid = at(2024, 2, 29);
    const CbDateTime invalid[] = {at(2024, 2, 30), at(2024, 13, 1), at(2024, 1, 1, 24), at(1600, 1, 1),
                                  at(2024, 1, 1, 0, 0, 0, 1000), at(0, 0, 0)};
    for (const CbDateTime& value : invalid) {
        SCOPED_TRACE(fieldsOf(value));
        EXPECT_EQ(static_cast<unsigned __int64>(value), 0u);
        const FILETIME fileTime = value;
        EXPECT_EQ(fileTime.dwLowDateTime | fileTime.dwHighDateTime, 0u);
        EXPECT_TRUE(value == first);
        EXPECT_TRUE(value == invalid[0]);
        EXPECT_TRUE(value < valid);
        EXPECT_FALSE(value > first);
        EXPECT_EQ(bytesOf(value), bytesOf(first));
        EXPECT_EQ(value.ToString(L"Y-m-d H:i:s", true), value.ToString(L"Y-m-d H:i:s", false));
        EXPECT_EQ(value.IsLeapYear(true), CbDateTime::IsLeapYear(value.GetYear()));
    }
}

TEST(CbDateTimeTest, ComparisonIsChronologicalAndIgnoresTheDayOfWeek)
{
    const std::pair<CbDateTime, CbDateTime> ordered[] = {
        {at(2024, 2, 29, 13, 5, 9, 0), at(2024, 2, 29, 13, 5, 9, 1)},
        {at(2024, 2, 29, 13, 5, 9), at(2024, 2, 29, 13, 5, 10)},
        {at(2023, 12, 31, 23, 59, 59, 999), at(2024, 1, 1)},
        {at(1601, 1, 1), at(30828, 9, 14)},
        {at(9999, 1, 1), at(10000, 1, 1)},
    };
    for (const auto& [earlier, later] : ordered) {
        SCOPED_TRACE(fieldsOf(earlier) + " < " + fieldsOf(later));
        EXPECT_TRUE(earlier < later && earlier <= later && later > earlier && later >= earlier);
        EXPECT_TRUE(earlier != later && !(earlier == later));
        EXPECT_FALSE(later < earlier || later <= earlier || earlier > later || earlier >= later);
        EXPECT_TRUE(earlier == earlier && earlier <= earlier && earlier >= earlier && !(earlier != earlier));
    }

    SYSTEMTIME thursday = at(2024, 2, 29);
    thursday.wDayOfWeek = 4;
    SYSTEMTIME wrongDay = thursday;
    wrongDay.wDayOfWeek = 6;
    EXPECT_TRUE(CbDateTime(thursday) == CbDateTime(wrongDay));
}

TEST(CbDateTimeTest, CopiesFromOtherDatesGoThroughTheSettersWhichKeepSixteenBits)
{
    class Recorder : public IDateTime
    {
    public:
        unsigned int GetYear() const override { return 0x10000 + 2024; }
        unsigned int GetMonth() const override { return 2; }
        unsigned int GetDay() const override { return 29; }
        unsigned int GetHour() const override { return 13; }
        unsigned int GetMinute() const override { return 5; }
        unsigned int GetSecond() const override { return 9; }
        unsigned int GetMillisecond() const override { return 999; }
        void SetYear(unsigned int) override {}
        void SetMonth(unsigned int) override {}
        void SetDay(unsigned int) override {}
        void SetHour(unsigned int) override {}
        void SetMinute(unsigned int) override {}
        void SetSecond(unsigned int) override {}
        void SetMillisecond(unsigned int) override {}
    };
    const Recorder source;
    EXPECT_EQ(fieldsOf(CbDateTime(static_cast<const IDateTime&>(source))), "2024-02-29 13:05:09.999 (0)");

    CbDateTime target(static_cast<__int64>(0)); // a Thursday: the day of week is not a field of IDateTime
    target = static_cast<const IDateTime&>(source);
    EXPECT_EQ(fieldsOf(target), "2024-02-29 13:05:09.999 (4)");

    target.SetMonth(0x10000 + 13);
    target.SetMillisecond(70000);
    EXPECT_EQ(target.GetMonth(), 13u);
    EXPECT_EQ(target.GetMillisecond(), 70000u - 65536u);
}

TEST(CbDateTimeTest, CTimeBringsItsLocalTimeAndTakesOursBack)
{
    const ScopedTimeZone zone("Europe/Berlin");
    if (!zone.IsHonoured())
        GTEST_SKIP() << kTimeZoneNotHonoured;

    const CbDateTime fromCTime(CTime(1719828000)); // 2024-07-01 10:00:00 UTC
    EXPECT_EQ(fieldsOf(fromCTime), "2024-07-01 12:00:00.000 (0)");
    CbDateTime assigned = at(2000, 1, 1, 0, 0, 0, 777);
    assigned = CTime(1719828000);
    EXPECT_EQ(fieldsOf(assigned), "2024-07-01 12:00:00.000 (0)");

    const CTime back = at(2024, 7, 1, 12, 0, 0, 999);
    EXPECT_EQ(back.GetTime(), 1719828000);
}

TEST(CbDateTimeTest, CTimeEdges)
{
    EXPECT_EQ(fieldsOf(CbDateTime(CTime(std::numeric_limits<__int64>::max()))),
              "0000-00-00 65535:65535:65535.000 (0)");

    const CbDateTime rejected[] = {at(1899, 12, 31), at(2024, 13, 1), at(2024, 1, 32), at(2024, 1, 1, 24),
                                   at(2024, 1, 1, 0, 60), at(2024, 1, 1, 0, 0, 60)};
    for (const CbDateTime& value : rejected)
        EXPECT_THROW(static_cast<void>(static_cast<CTime>(value)), COleException) << fieldsOf(value);

    // Round trip through the runtime's local time, whatever the zone.
    const CbDateTime noon = at(2024, 5, 20, 12, 34, 56);
    EXPECT_EQ(CbDateTime(static_cast<CTime>(noon)), noon);
}

TEST(CbDateTimeTest, LocalTimeOnTheWayInAndOut)
{
    const ScopedTimeZone zone("Europe/Berlin");
    if (!zone.IsHonoured())
        GTEST_SKIP() << kTimeZoneNotHonoured;

    EXPECT_EQ(fieldsOf(CbDateTime("2024-07-01 12:00:00", true)), "2024-07-01 10:00:00.000 (1)");
    EXPECT_EQ(fieldsOf(CbDateTime(L"2024-01-01 00:30:00", true)), "2023-12-31 23:30:00.000 (0)");
    EXPECT_EQ(fieldsOf(CbDateTime("2023-02-30 25:61:61", true)), "2023-02-30 25:61:61.000 (0)");

    const CbDateTime newYearsEve = at(2024, 12, 31, 23, 30);
    EXPECT_TRUE(newYearsEve.IsLeapYear(false));
    EXPECT_FALSE(newYearsEve.IsLeapYear(true)); // already 2025 in Berlin
    EXPECT_EQ(newYearsEve.ToString(L"Y-m-d H:i", true), L"2025-01-01 00:30");
    EXPECT_EQ(at(2024, 7, 1, 10).ToString(L"H", true), L"12");
    EXPECT_EQ(at(2024, 12, 1, 10).ToString(L"H", true), L"11");
    EXPECT_EQ(at(2024, 12, 1, 10).ToString(CbDateTime::eFormatShortDate, true),
              at(2024, 12, 1, 10).ToString(CbDateTime::eFormatShortDate, false));
}

TEST(CbDateTimeTest, LeapYearRule)
{
    const std::pair<unsigned, bool> years[] = {{1600, true}, {1700, false}, {1900, false}, {2000, true},
                                               {2023, false}, {2024, true}, {2100, false}, {0, true}};
    for (const auto& [year, leap] : years)
        EXPECT_EQ(CbDateTime::IsLeapYear(year), leap) << year;
}

TEST(CbDateTimeTest, TheBinaryFormIsStampZeroAndTicks)
{
    const CbDateTime value = at(2024, 2, 29, 13, 5, 9, 123);
    const std::vector<unsigned char> expected = {0, 0, 0, 0, 0x30, 0xB5, 0x22, 0xEC, 0x0F, 0x6B, 0xDA, 0x01};
    EXPECT_EQ(bytesOf(value), expected);

    CbStreamReadBinaryMemory in(expected.data(), expected.size());
    CbDateTime read = at(1999, 1, 1);
    read.Serialize(in);
    EXPECT_EQ(fieldsOf(read), "2024-02-29 13:05:09.123 (4)");
    EXPECT_EQ(in.GetRemaining(), 0u);

    std::vector<unsigned char> newer = expected;
    newer[0] = 1;
    CbStreamReadBinaryMemory newerIn(newer.data(), newer.size());
    EXPECT_THROW(read.Serialize(newerIn), CbExceptionWrongFileVersion);

    CbStreamReadBinaryMemory shortIn(expected.data(), expected.size() - 1);
    EXPECT_THROW(read.Serialize(shortIn), CbExceptionStream);

    std::vector<unsigned char> beyond = expected;
    beyond[11] = 0x80;
    CbStreamReadBinaryMemory beyondIn(beyond.data(), beyond.size());
    read.Serialize(beyondIn);
    EXPECT_EQ(fieldsOf(read), "1601-01-01 00:00:00.000 (1)");
}

TEST(CbDateTimeTest, FileTimesOfAnExistingFileOnly)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / L"cbf-dates-file.txt";
    std::ofstream(path) << "x";
    const CbDateTime now;
    const CbDateTime aMinuteAgo = fromSeconds(static_cast<__int64>(static_cast<unsigned __int64>(now) / 10000000ULL)
                                              - 11644473600 - 60);

    CbDateTime created = aMinuteAgo;
    CbDateTime modified = aMinuteAgo;
    ASSERT_TRUE(created.ReadFileCreationTime(path.wstring().c_str()));
    ASSERT_TRUE(modified.ReadFileModificationTime(path.wstring().c_str()));
    EXPECT_GT(created, aMinuteAgo);
    EXPECT_GT(modified, aMinuteAgo);
    EXPECT_LE(created, modified);

    std::filesystem::remove(path);
    CbDateTime untouched = aMinuteAgo;
    EXPECT_FALSE(untouched.ReadFileCreationTime(path.wstring().c_str()));
    EXPECT_FALSE(untouched.ReadFileModificationTime(path.wstring().c_str()));
    EXPECT_EQ(fieldsOf(untouched), fieldsOf(aMinuteAgo));
}
