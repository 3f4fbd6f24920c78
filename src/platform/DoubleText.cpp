// DoubleText: strtod and wcstod, the same calls on every platform.
//
// Both read the calling thread's current locale, which is what the locale
// taking forms (strtod_l and the like) would be given: POSIX cannot name that
// locale as an object (uselocale may answer LC_GLOBAL_LOCALE, which those
// forms do not take), and the Windows runtime the library links has no
// _wcstod_l.
#include "DoubleText.h"

#include <cstdlib>
#include <cwchar>

namespace cbf::platform {

namespace {

template <class CharT, class Parse>
bool parseWhole(const CharT* text, std::size_t length, double& value, Parse parse)
{
    CharT* end = nullptr;
    const double parsed = parse(text, &end);
    if (length == 0 || end != text + length)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool ParseWholeDouble(const char* text, std::size_t length, double& value)
{
    return parseWhole(text, length, value, [](const char* t, char** end) { return std::strtod(t, end); });
}

bool ParseWholeDouble(const wchar_t* text, std::size_t length, double& value)
{
    return parseWhole(text, length, value, [](const wchar_t* t, wchar_t** end) { return std::wcstod(t, end); });
}

} // namespace cbf::platform
