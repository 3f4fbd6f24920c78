// CTime: the time value built from local-time fields and read back as them.
#include <cbfoundation/platform/CTime.h>

#include <cbfoundation/platform/COleException.h>
#include <cbfoundation/platform/SystemTime.h>

namespace {

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

bool fieldsInRange(int year, int month, int day, int hour, int minute, int second)
{
    return year >= 1900 && inRange(month, 1, 12) && inRange(day, 1, 31) && inRange(hour, 0, 23) &&
           inRange(minute, 0, 59) && inRange(second, 0, 59);
}

[[noreturn]] void throwInvalidArgument()
{
    throw COleException(COleException::kInvalidArgumentStatus);
}

} // namespace

CTime::CTime() noexcept
    : m_seconds(0)
{}

CTime::CTime(__int64 seconds) noexcept
    : m_seconds(seconds)
{}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
    : m_seconds(0)
{
    if (!fieldsInRange(year, month, day, hour, minute, second))
        throwInvalidArgument();

    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = dst;
    if (!cbf::platform::LocalFieldsToSeconds(local, m_seconds))
        throwInvalidArgument();
}

__int64 CTime::GetTime() const noexcept
{
    return m_seconds;
}

bool CTime::GetLocalTm(std::tm& local) const
{
    return cbf::platform::SecondsToLocalFields(m_seconds, local);
}

int CTime::GetYear() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_year + 1900 : 0;
}

int CTime::GetMonth() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_mon + 1 : 0;
}

int CTime::GetDay() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_mday : 0;
}

int CTime::GetHour() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_hour : -1;
}

int CTime::GetMinute() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_min : -1;
}

int CTime::GetSecond() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_sec : -1;
}

int CTime::GetDayOfWeek() const
{
    std::tm local;
    return GetLocalTm(local) ? local.tm_wday + 1 : 0;
}

bool CTime::operator==(const CTime& other) const noexcept
{
    return m_seconds == other.m_seconds;
}

bool CTime::operator!=(const CTime& other) const noexcept
{
    return m_seconds != other.m_seconds;
}
