// The operating system's clock, file times and time-zone conversions, and the
// two Windows records they are exchanged in.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/Types.h>

#include <cstddef>
#include <ctime>
#include <string>

#if defined(_WIN32)
// Client code passes its own SYSTEMTIME and FILETIME records: on Windows they
// are the system's.
#include <cbfoundation/platform/detail/WindowsApi.h>
#else
/// A date and time as broken-down fields, laid out as on Windows: eight
/// unsigned 16-bit fields, no padding.
struct SYSTEMTIME
{
    unsigned short wYear;         ///< the full year (2024, not 24)
    unsigned short wMonth;        ///< 1 to 12
    unsigned short wDayOfWeek;    ///< 0 = Sunday
    unsigned short wDay;          ///< 1 to 31
    unsigned short wHour;         ///< 0 to 23
    unsigned short wMinute;       ///< 0 to 59
    unsigned short wSecond;       ///< 0 to 59
    unsigned short wMilliseconds; ///< 0 to 999
};

/// A 64-bit count of 100-nanosecond ticks since 1601-01-01 00:00:00 UTC, split
/// into two 32-bit halves as on Windows.
struct FILETIME
{
    unsigned int dwLowDateTime;  ///< the low 32 bits of the count
    unsigned int dwHighDateTime; ///< the high 32 bits of the count
};
#endif

static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME must have the Windows layout");
static_assert(sizeof(FILETIME) == 8, "FILETIME must have the Windows layout");

namespace cbf::platform {

/// Ticks (100 ns) between 1601-01-01 and 1970-01-01, both 00:00:00 UTC.
inline constexpr unsigned __int64 kTicksFrom1601To1970 = 116444736000000000ULL;

/// Ticks in one second.
inline constexpr unsigned __int64 kTicksPerSecond = 10000000ULL;

/// The largest tick count that has fields: 30828-09-14 02:48:05.4775807 UTC.
/// Larger counts, whose top bit is set, are refused as on Windows.
inline constexpr unsigned __int64 kLargestTicks = 0x7FFFFFFFFFFFFFFFULL;

inline unsigned __int64 FileTimeToTicks(const FILETIME& time)
{
    return (static_cast<unsigned __int64>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME TicksToFileTime(unsigned __int64 ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<decltype(time.dwLowDateTime)>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<decltype(time.dwHighDateTime)>(ticks >> 32);
    return time;
}

/// The current time in UTC, to the millisecond, with its day of week.
CB_API void GetCurrentSystemTime(SYSTEMTIME& utc);

/// The fields of a tick count (proleptic Gregorian calendar, day of week
/// included). False, leaving `fields` unchanged, for counts above kLargestTicks.
CB_API bool TicksToSystemTime(unsigned __int64 ticks, SYSTEMTIME& fields);

/// The tick count of the fields; the day of week is ignored. False, leaving
/// `ticks` unchanged, when the fields do not form a date and time from
/// 1601-01-01 up to kLargestTicks: a month outside 1 to 12, a day outside the
/// month, an hour above 23, a minute or second above 59, a millisecond above
/// 999 or a year before 1601.
CB_API bool SystemTimeToTicks(const SYSTEMTIME& fields, unsigned __int64& ticks);

/// Converts UTC fields to the local time of the current time zone, daylight
/// saving included. False, leaving `local` unchanged, when the fields are not
/// a valid time (see SystemTimeToTicks) or the local time has none.
CB_API bool UtcToLocalTime(const SYSTEMTIME& utc, SYSTEMTIME& local);

/// Converts local fields of the current time zone to UTC. False, leaving
/// `utc` unchanged, for fields that are not a valid time.
///
/// Around a daylight-saving switch Windows reads the fields by its own rules.
/// Elsewhere a wall-clock time that occurs twice, when the clocks go back, is
/// read as its first occurrence (daylight time), and one that the clocks skip
/// when they go forward is read with the offset in force before the switch
/// (in Berlin, 02:30 on the morning the clocks jump from 02:00 to 03:00 is
/// read as 02:30 CET, that is 01:30 UTC).
CB_API bool LocalTimeToUtc(const SYSTEMTIME& local, SYSTEMTIME& utc);

/// The local-time fields of a second count since 1970-01-01 00:00:00 UTC, by
/// the C runtime's conversion. False when the runtime cannot represent it
/// (the Windows runtime refuses counts before 1970 and after the year 3000).
CB_API bool SecondsToLocalFields(__int64 seconds, std::tm& local);

/// The second count of local-time fields, by the C runtime's conversion:
/// fields outside their ranges are carried over (the 31st of February is the
/// 2nd or 3rd of March) and `tm_isdst` chooses the daylight-saving reading
/// (negative: the runtime decides). Normalises `local` in place. False when
/// the runtime cannot represent the result.
CB_API bool LocalFieldsToSeconds(std::tm& local, __int64& seconds);

/// Sets the process's TZ variable (null: removes it) and makes the next
/// conversion read it. True when the local-time conversions above follow TZ;
/// false where they follow the system's own time-zone setting instead
/// (Windows), in which case nothing is changed.
CB_API bool SetTimeZoneVariable(const char* value);

/// The process's TZ variable; false when it is not set.
CB_API bool GetTimeZoneVariable(std::string& value);

/// The creation and last-write times (UTC) of the file or folder at the path
/// of `length` characters. False, leaving both unchanged, when there is
/// nothing there or the path names no file (ToNativePath refuses it: a NUL
/// inside, for one).
///
/// Windows looks the path up with its find-first-file search, so a pattern
/// in the last part of the path ("*.txt") finds the first match. Elsewhere the
/// path is taken literally, a backslash separating folders like a slash, and
/// the creation time is the file's birth time where the file system records
/// one; where it does not, the earlier of the last modification and the last
/// status change stands in for it.
CB_API bool ReadFileTimes(const wchar_t* path, std::size_t length, FILETIME& creation, FILETIME& lastWrite);

} // namespace cbf::platform
