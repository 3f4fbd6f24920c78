// Helpers of the date and time tests: a fixed time zone for the length of a
// test, and SYSTEMTIME fields written and read in one line.
#pragma once

#include <cbfoundation/platform/SystemTime.h>

#include <cstdio>
#include <string>

/// Sets TZ for the lifetime of the object. Where the local-time conversions
/// do not follow TZ (Windows, Wine), IsHonoured() is false and the test
/// should skip with kTimeZoneNotHonoured.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
        : m_hadPrevious(cbf::platform::GetTimeZoneVariable(m_previous))
        , m_honoured(cbf::platform::SetTimeZoneVariable(zone))
    {}

    ~ScopedTimeZone()
    {
        if (m_honoured)
            cbf::platform::SetTimeZoneVariable(m_hadPrevious ? m_previous.c_str() : nullptr);
    }

    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    bool IsHonoured() const { return m_honoured; }

private:
    std::string m_previous;
    bool m_hadPrevious;
    bool m_honoured;
};

inline constexpr const char* kTimeZoneNotHonoured =
    "local-time conversions here follow the system's time-zone setting, not TZ";

/// The fields, day of week 0.
inline SYSTEMTIME SystemTimeOf(unsigned year, unsigned month, unsigned day, unsigned hour = 0, unsigned minute = 0,
                               unsigned second = 0, unsigned millisecond = 0)
{
    using Field = unsigned short;
    return {Field(year), Field(month), 0, Field(day), Field(hour), Field(minute), Field(second), Field(millisecond)};
}

/// The fields of a text in the form TextOf writes; the day of week is not read.
inline SYSTEMTIME SystemTimeFrom(const char* text)
{
    unsigned f[7] = {};
    std::sscanf(text, "%u-%u-%u %u:%u:%u.%u", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6]);
    return SystemTimeOf(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
}

/// "YYYY-MM-DD hh:mm:ss.mmm (day of week)".
inline std::string TextOf(const SYSTEMTIME& t)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u (%u)", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute}, unsigned{t.wSecond},
                  unsigned{t.wMilliseconds}, unsigned{t.wDayOfWeek});
    return buffer;
}
