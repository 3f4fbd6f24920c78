// Calendar rules, SYSTEMTIME range checks and the TZ variable, shared by both backends.
#include "platform/SystemTimeFields.h"

#include <cstdlib>
#include <string>

namespace cbf::platform {

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
