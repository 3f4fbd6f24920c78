// NumericLocale: the two items of the C library's numeric locale that the text writers use.
#pragma once

namespace cbf::platform {

struct NumericLocale
{
    char decimalPoint;
    char thousandsSeparator; ///< 0 when the locale groups no digits
};

/// The first characters of the decimal point and of the thousands separator
/// of the C library's current numeric locale (LC_NUMERIC).
NumericLocale CurrentNumericLocale();

} // namespace cbf::platform
