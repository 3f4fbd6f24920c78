// The system clock, tick arithmetic and time-zone conversions, on Windows.
#include <cbfoundation/platform/SystemTime.h>

#include "platform/SystemTimeFields.h"

#include <cstdlib>
#include <time.h>

namespace cbf::platform {

void GetCurrentSystemTime(SYSTEMTIME& utc)
{
    ::GetSystemTime(&utc);
}

bool TicksToSystemTime(unsigned __int64 ticks, SYSTEMTIME& fields)
{
    if (ticks > kLargestTicks)
        return false;
    const FILETIME time = TicksToFileTime(ticks);
    SYSTEMTIME result;
    if (!::FileTimeToSystemTime(&time, &result))
        return false;
    fields = result;
    return true;
}

// The fields are checked here as well, so that both backends refuse the
// same values whatever the system's own checks let through.
bool SystemTimeToTicks(const SYSTEMTIME& fields, unsigned __int64& ticks)
{
    if (!IsValidSystemDate(fields) || !IsValidSystemTimeOfDay(fields))
        return false;
    FILETIME time;
    if (!::SystemTimeToFileTime(&fields, &time) || FileTimeToTicks(time) > kLargestTicks)
        return false;
    ticks = FileTimeToTicks(time);
    return true;
}

bool UtcToLocalTime(const SYSTEMTIME& utc, SYSTEMTIME& local)
{
    unsigned __int64 ticks = 0;
    SYSTEMTIME result;
    if (!SystemTimeToTicks(utc, ticks) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &result))
        return false;
    local = result;
    return true;
}

bool LocalTimeToUtc(const SYSTEMTIME& local, SYSTEMTIME& utc)
{
    unsigned __int64 ticks = 0;
    SYSTEMTIME result;
    if (!SystemTimeToTicks(local, ticks) || !::TzSpecificLocalTimeToSystemTime(nullptr, &local, &result))
        return false;
    utc = result;
    return true;
}

bool SecondsToLocalFields(__int64 seconds, std::tm& local)
{
    const __time64_t time = seconds;
    return ::_localtime64_s(&local, &time) == 0;
}

bool LocalFieldsToSeconds(std::tm& local, __int64& seconds)
{
    const __time64_t time = ::_mktime64(&local);
    if (time == -1)
        return false;
    seconds = time;
    return true;
}

// The Win32 conversions follow the system's time-zone setting, never TZ.
bool SetTimeZoneVariable(const char*)
{
    return false;
}

} // namespace cbf::platform
