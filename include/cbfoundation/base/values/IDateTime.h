// IDateTime: a date and time of day as broken-down fields.
#pragma once

#include <cbfoundation/Export.h>

/// The fields of a calendar date and a time of day to the millisecond.
/// Implementations store what the setters receive, without normalising or
/// checking it.
class CB_API IDateTime
{
public:
    virtual ~IDateTime() = default;

    virtual unsigned int GetYear() const = 0;        ///< the full year (2024, not 24)
    virtual unsigned int GetMonth() const = 0;       ///< 1 to 12
    virtual unsigned int GetDay() const = 0;         ///< 1 to 31
    virtual unsigned int GetHour() const = 0;        ///< 0 to 23
    virtual unsigned int GetMinute() const = 0;      ///< 0 to 59
    virtual unsigned int GetSecond() const = 0;      ///< 0 to 59
    virtual unsigned int GetMillisecond() const = 0; ///< 0 to 999

    /// Set one field, which the implementation may check or not.
    /// @{
    virtual void SetYear(unsigned int year) = 0;
    virtual void SetMonth(unsigned int month) = 0;
    virtual void SetDay(unsigned int day) = 0;
    virtual void SetHour(unsigned int hour) = 0;
    virtual void SetMinute(unsigned int minute) = 0;
    virtual void SetSecond(unsigned int second) = 0;
    virtual void SetMillisecond(unsigned int millisecond) = 0;
    /// @}
};
