// Seconds since 1970 as calendar fields, for any 64-bit count.
#include "platform/Calendar.h"

namespace cbf::platform {

namespace {

constexpr unsigned __int64 kSecondsPerDay = 86400;
constexpr unsigned __int64 kDaysPer400Years = 146097;

} // namespace

// Counted from 1601-01-01 in whole cycles of 400 years, which all have the
// same length and a whole number of weeks, so that only the last one goes
// through the calendar and any count, however large, stays within its range.
SYSTEMTIME SystemTimeOfSecondsSince1970(__int64 seconds)
{
    constexpr auto kSecondsFrom1601To1970 = static_cast<__int64>(kDaysFrom1601To1970 * kSecondsPerDay);
    const unsigned __int64 since1601 =
        seconds < -kSecondsFrom1601To1970 ? 0 : static_cast<unsigned __int64>(seconds) + kSecondsFrom1601To1970;
    const unsigned __int64 days = since1601 / kSecondsPerDay;
    const unsigned __int64 cycles = days / kDaysPer400Years;
    const CalendarDate date = DateOfDaysSince1970(static_cast<__int64>(days % kDaysPer400Years) - kDaysFrom1601To1970);
    const auto secondOfDay = static_cast<unsigned>(since1601 % kSecondsPerDay);

    return SystemTimeOfDate(static_cast<unsigned __int64>(date.year) + 400 * cycles, date, secondOfDay, 0);
}

SYSTEMTIME SystemTimeOfDate(unsigned __int64 year, const CalendarDate& date, unsigned secondOfDay,
                            unsigned milliseconds)
{
    SYSTEMTIME fields;
    fields.wYear = static_cast<unsigned short>(year);
    fields.wMonth = static_cast<unsigned short>(date.month);
    fields.wDayOfWeek = static_cast<unsigned short>(date.dayOfWeek);
    fields.wDay = static_cast<unsigned short>(date.day);
    fields.wHour = static_cast<unsigned short>(secondOfDay / 3600);
    fields.wMinute = static_cast<unsigned short>(secondOfDay / 60 % 60);
    fields.wSecond = static_cast<unsigned short>(secondOfDay % 60);
    fields.wMilliseconds = static_cast<unsigned short>(milliseconds);
    return fields;
}

} // namespace cbf::platform
