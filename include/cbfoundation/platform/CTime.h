// CTime: the host framework's time value, a second count since 1970 read
// through the local time of the current time zone.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/Types.h>

#include <ctime>

/// An instant as whole seconds since 1970-01-01 00:00:00 UTC. Its fields are
/// the local time of the current time zone, converted by the C runtime at
/// every call.
class CB_API CTime
{
public:
    /// The instant 0 (1970-01-01 00:00:00 UTC).
    CTime() noexcept;

    /// The instant `seconds` since 1970-01-01 00:00:00 UTC.
    explicit CTime(__int64 seconds) noexcept;

    /// The instant whose local time has these fields. `dst` chooses how a
    /// time in the daylight-saving switch is read: positive as daylight time,
    /// 0 as standard time, negative as the runtime decides. A day beyond the
    /// end of its month carries over into the next month (the 31st of April
    /// is the 1st of May).
    /// Throws COleException (COleException::kInvalidArgumentStatus) for a year
    /// before 1900, a month outside 1 to 12, a day outside 1 to 31, an hour
    /// outside 0 to 23, a minute or second outside 0 to 59, or fields the
    /// runtime cannot convert.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

    /// The second count.
    __int64 GetTime() const noexcept;

    /// The local-time fields; false when the runtime cannot represent the
    /// instant as local time (the Windows runtime stops at 1970 and 3000).
    bool GetLocalTm(std::tm& local) const;

    /// The local-time fields one by one. An instant without local time gives
    /// 0 for the year, month, day and day of week and -1 for the others.
    int GetYear() const;
    int GetMonth() const;     ///< 1 to 12
    int GetDay() const;       ///< 1 to 31
    int GetHour() const;      ///< 0 to 23
    int GetMinute() const;    ///< 0 to 59
    int GetSecond() const;    ///< 0 to 59
    int GetDayOfWeek() const; ///< 1 = Sunday to 7 = Saturday

    /// The same instant, or not.
    /// @{
    bool operator==(const CTime& other) const noexcept;
    bool operator!=(const CTime& other) const noexcept;
    /// @}

private:
    __int64 m_seconds;
};
