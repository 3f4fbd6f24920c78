// The proleptic Gregorian calendar of every date the library handles: day
// counts, leap years, month lengths and weekdays, all through std::chrono's
// civil calendar. It is plain arithmetic on every platform, so dates from
// 1601 on work even where the C runtime's own conversions refuse dates
// before 1970.
#pragma once

#include <cbfoundation/platform/SystemTime.h>
#include <cbfoundation/platform/Types.h>

#include <chrono>

namespace cbf::platform {

/// A calendar date with its day of week (0 = Sunday).
struct CalendarDate
{
    int year;
    unsigned month;
    unsigned day;
    unsigned dayOfWeek;
};

/// Leap years repeat every 400 years, so the rule holds for any year,
/// beyond the years std::chrono counts as well.
inline bool IsGregorianLeapYear(unsigned year)
{
    return std::chrono::year(static_cast<int>(year % 400)).is_leap();
}

/// 28 to 31; 0 for a month outside 1 to 12.
inline unsigned DaysInMonth(unsigned year, unsigned month)
{
    using namespace std::chrono;
    if (month < 1 || month > 12)
        return 0;
    const year_month_day_last last(std::chrono::year(static_cast<int>(year % 400)),
                                   month_day_last(std::chrono::month(month)));
    return static_cast<unsigned>(last.day());
}

/// The days from 1970-01-01 to a date (negative before it). The date must
/// exist, with a year up to 32767.
inline __int64 DaysSince1970(unsigned year, unsigned month, unsigned day)
{
    using namespace std::chrono;
    const year_month_day date(std::chrono::year(static_cast<int>(year)), std::chrono::month(month),
                              std::chrono::day(day));
    return sys_days(date).time_since_epoch().count();
}

/// The date `days` after 1970-01-01 (before it when negative), for dates up
/// to the year 32767.
inline CalendarDate DateOfDaysSince1970(__int64 days)
{
    using namespace std::chrono;
    const sys_days count{std::chrono::days(days)};
    const year_month_day date(count);
    return {static_cast<int>(date.year()), static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
            weekday(count).c_encoding()};
}

/// The days from 1601-01-01, the first day of file times, to 1970-01-01.
inline constexpr __int64 kDaysFrom1601To1970 =
    (std::chrono::sys_days(std::chrono::year(1970) / 1 / 1) - std::chrono::sys_days(std::chrono::year(1601) / 1 / 1))
        .count();

/// The fields of `date` at `secondOfDay` and `milliseconds`, with `year` in
/// place of the date's own (cut to 16 bits), for callers that count years
/// beyond the calendar's range.
SYSTEMTIME SystemTimeOfDate(unsigned __int64 year, const CalendarDate& date, unsigned secondOfDay,
                            unsigned milliseconds);

/// The fields of a count of seconds since 1970-01-01 00:00:00 UTC, with
/// milliseconds 0. A count before 1601 gives 1601-01-01 00:00:00; a year
/// beyond 65535 keeps its low 16 bits.
SYSTEMTIME SystemTimeOfSecondsSince1970(__int64 seconds);

} // namespace cbf::platform
