// The system clock, tick arithmetic and time-zone conversions, on POSIX.
#include <cbfoundation/platform/SystemTime.h>

#include "platform/SystemTimeFields.h"

#include <cstdlib>
#include <time.h>

namespace cbf::platform {

namespace {

constexpr __int64 kSecondsPerDay = 86400;
constexpr __int64 kSecondsFrom1601To1970 = kDaysFrom1601To1970 * kSecondsPerDay;
constexpr unsigned __int64 kTicksPerMillisecond = 10000;

// The offset of local time from UTC at `seconds` (since 1970), in seconds.
bool utcOffsetAt(__int64 seconds, __int64& offset)
{
    const time_t time = static_cast<time_t>(seconds);
    std::tm local;
    if (::localtime_r(&time, &local) == nullptr)
        return false;
    offset = local.tm_gmtoff;
    return true;
}

bool isLocalTimeOf(__int64 utcSeconds, __int64 wallSeconds)
{
    __int64 offset = 0;
    return utcOffsetAt(utcSeconds, offset) && utcSeconds + offset == wallSeconds;
}

// The UTC second count of a wall-clock time (given as if it were UTC). The
// offsets in force a day before and a day after cover a switch in between;
// each that maps back onto the wall clock is a reading of it.
bool wallClockToUtc(__int64 wallSeconds, __int64& utcSeconds)
{
    __int64 offsetBefore = 0;
    __int64 offsetAfter = 0;
    if (!utcOffsetAt(wallSeconds - kSecondsPerDay, offsetBefore) ||
        !utcOffsetAt(wallSeconds + kSecondsPerDay, offsetAfter))
        return false;

    const __int64 readingBefore = wallSeconds - offsetBefore;
    const __int64 readingAfter = wallSeconds - offsetAfter;
    const bool beforeFits = isLocalTimeOf(readingBefore, wallSeconds);
    const bool afterFits = isLocalTimeOf(readingAfter, wallSeconds);
    if (beforeFits && afterFits)
        utcSeconds = readingBefore < readingAfter ? readingBefore : readingAfter;
    else if (afterFits)
        utcSeconds = readingAfter;
    else
        utcSeconds = readingBefore;
    return true;
}

// Ticks of a second count since 1970 plus milliseconds; false before 1601
// and beyond kLargestTicks.
bool secondsToTicks(__int64 seconds, unsigned milliseconds, unsigned __int64& ticks)
{
    const __int64 largestSeconds = static_cast<__int64>(kLargestTicks / kTicksPerSecond) - kSecondsFrom1601To1970;
    if (seconds < -kSecondsFrom1601To1970 || seconds > largestSeconds)
        return false;
    const auto since1601 = static_cast<unsigned __int64>(seconds + kSecondsFrom1601To1970);
    const unsigned __int64 result = since1601 * kTicksPerSecond + milliseconds * kTicksPerMillisecond;
    if (result > kLargestTicks)
        return false;
    ticks = result;
    return true;
}

__int64 ticksToSeconds(unsigned __int64 ticks)
{
    return static_cast<__int64>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

// Fills `fields` from runtime fields; false when they are no valid time
// from 1601 on (a leap second, a year out of range).
bool systemTimeFromTm(const std::tm& time, unsigned milliseconds, SYSTEMTIME& fields)
{
    const __int64 year = static_cast<__int64>(time.tm_year) + 1900;
    if (year < kFirstFileTimeYear || year > kLastFileTimeYear)
        return false;
    SYSTEMTIME result;
    result.wYear = static_cast<unsigned short>(year);
    result.wMonth = static_cast<unsigned short>(time.tm_mon + 1);
    result.wDayOfWeek = static_cast<unsigned short>(time.tm_wday);
    result.wDay = static_cast<unsigned short>(time.tm_mday);
    result.wHour = static_cast<unsigned short>(time.tm_hour);
    result.wMinute = static_cast<unsigned short>(time.tm_min);
    result.wSecond = static_cast<unsigned short>(time.tm_sec);
    result.wMilliseconds = static_cast<unsigned short>(milliseconds);
    unsigned __int64 ticks = 0;
    if (!SystemTimeToTicks(result, ticks))
        return false;
    fields = result;
    return true;
}

} // namespace

void GetCurrentSystemTime(SYSTEMTIME& utc)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    unsigned __int64 ticks = 0;
    secondsToTicks(now.tv_sec, static_cast<unsigned>(now.tv_nsec / 1000000), ticks);
    TicksToSystemTime(ticks, utc);
}

bool TicksToSystemTime(unsigned __int64 ticks, SYSTEMTIME& fields)
{
    if (ticks > kLargestTicks)
        return false;
    const unsigned __int64 milliseconds = ticks / kTicksPerMillisecond;
    const unsigned __int64 seconds = milliseconds / 1000;
    const auto days = static_cast<__int64>(seconds / kSecondsPerDay);
    const auto secondOfDay = static_cast<unsigned>(seconds % kSecondsPerDay);
    const CalendarDate date = DateOfDaysSince1970(days - kDaysFrom1601To1970);

    fields = SystemTimeOfDate(static_cast<unsigned __int64>(date.year), date, secondOfDay,
                              static_cast<unsigned>(milliseconds % 1000));
    return true;
}

bool SystemTimeToTicks(const SYSTEMTIME& fields, unsigned __int64& ticks)
{
    if (!IsValidSystemDate(fields) || !IsValidSystemTimeOfDay(fields))
        return false;
    const __int64 days = DaysSince1970(fields.wYear, fields.wMonth, fields.wDay);
    const __int64 seconds = days * kSecondsPerDay + fields.wHour * 3600 + fields.wMinute * 60 + fields.wSecond;
    return secondsToTicks(seconds, fields.wMilliseconds, ticks);
}

bool UtcToLocalTime(const SYSTEMTIME& utc, SYSTEMTIME& local)
{
    unsigned __int64 ticks = 0;
    if (!SystemTimeToTicks(utc, ticks))
        return false;
    ::tzset();
    const time_t time = static_cast<time_t>(ticksToSeconds(ticks));
    std::tm fields;
    return ::localtime_r(&time, &fields) != nullptr && systemTimeFromTm(fields, utc.wMilliseconds, local);
}

bool LocalTimeToUtc(const SYSTEMTIME& local, SYSTEMTIME& utc)
{
    unsigned __int64 wallTicks = 0;
    if (!SystemTimeToTicks(local, wallTicks))
        return false;
    ::tzset();
    __int64 utcSeconds = 0;
    unsigned __int64 utcTicks = 0;
    return wallClockToUtc(ticksToSeconds(wallTicks), utcSeconds) &&
           secondsToTicks(utcSeconds, local.wMilliseconds, utcTicks) && TicksToSystemTime(utcTicks, utc);
}

bool SecondsToLocalFields(__int64 seconds, std::tm& local)
{
    ::tzset();
    const time_t time = static_cast<time_t>(seconds);
    return ::localtime_r(&time, &local) != nullptr;
}

bool LocalFieldsToSeconds(std::tm& local, __int64& seconds)
{
    ::tzset();
    // mktime answers -1 both for an error and for 1969-12-31 23:59:59 UTC;
    // only a success fills in the day of week.
    local.tm_wday = -1;
    const time_t time = ::mktime(&local);
    if (local.tm_wday < 0)
        return false;
    seconds = static_cast<__int64>(time);
    return true;
}

bool SetTimeZoneVariable(const char* value)
{
    if (value != nullptr)
        ::setenv("TZ", value, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    return true;
}

} // namespace cbf::platform
