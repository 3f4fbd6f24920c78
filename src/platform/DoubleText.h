// DoubleText: reading a double from text in the C library's current locale.
#pragma once

#include <cstddef>

namespace cbf::platform {

/// Parses the `length` characters of `text` (followed by a NUL) as the C
/// library's strtod does: leading blanks, then a number with the decimal
/// separator of the current LC_NUMERIC locale. True, with `value` set, when
/// the number ends exactly at the end of the text; false when it ends before
/// (text after it, a NUL inside the text) or there is none (the empty text
/// included). A number beyond the range of double gives what strtod gives.
bool ParseWholeDouble(const char* text, std::size_t length, double& value);
bool ParseWholeDouble(const wchar_t* text, std::size_t length, double& value);

} // namespace cbf::platform
