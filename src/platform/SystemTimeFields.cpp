// Calendar rules, SYSTEMTIME range checks and the TZ variable, shared by both backends.
#include "platform/SystemTimeFields.h"

#include <cstdlib>
#include <string>

namespace cbf::platform {

bool IsGregorianLeapYear(unsigned year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsGregorianLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidSystemDate(const SYSTEMTIME& fields)
{
    return fields.wYear >= kFirstFileTimeYear && fields.wYear <= kLastFileTimeYear && fields.wDay >= 1 &&
           fields.wDay <= DaysInMonth(fields.wYear, fields.wMonth);
}

bool IsValidSystemTimeOfDay(const SYSTEMTIME& fields)
{
    return fields.wHour <= 23 && fields.wMinute <= 59 && fields.wSecond <= 59 && fields.wMilliseconds <= 999;
}

// Reading the variable is the same everywhere; only setting it differs.
bool GetTimeZoneVariable(std::string& value)
{
    const char* current = std::getenv("TZ");
    if (current == nullptr)
        return false;
    value = current;
    return true;
}

} // namespace cbf::platform
