// Runs a test in a fixed time zone and restores the process's own afterwards.
#pragma once

#include <cbfoundation/platform/SystemTime.h>

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
    {
    }

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
