// NumericLocale: reads the numeric locale through the C library, the same call on every platform.
#include "NumericLocale.h"

#include <clocale>
#include <cstring>

namespace cbf::platform {

namespace {

// The writers insert one byte. Where the locale's item is a character of
// several bytes (the no-break spaces that UTF-8 locales group digits with),
// its first byte alone would be a broken character: a blank stands in.
char firstCharacter(const char* item, char none)
{
    if (item == nullptr || item[0] == '\0')
        return none;
    return std::strlen(item) == 1 ? item[0] : ' ';
}

} // namespace

NumericLocale CurrentNumericLocale()
{
    const std::lconv* items = std::localeconv();
    return {firstCharacter(items->decimal_point, '.'), firstCharacter(items->thousands_sep, '\0')};
}

} // namespace cbf::platform
