// Dates and times written the way the user's locale writes them.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/SystemTime.h>

#include <string>

namespace cbf::platform {

/// The forms FormatUserDate can write.
enum class UserDateForm
{
    LongDate,          ///< the locale's long date, with the weekday and month names
    ShortDate,         ///< the locale's short date, in digits
    WeekdayName,       ///< the full weekday name ("Thursday" in English)
    MonthName,         ///< the full month name, as it stands alone ("February")
    MonthAbbreviation, ///< the abbreviated month name ("Feb")
};

/// Windows error numbers the formatters report, whatever the platform.
inline constexpr unsigned kErrorInvalidParameter = 87;
inline constexpr unsigned kErrorInsufficientBuffer = 122;
inline constexpr unsigned kErrorInvalidFlags = 1004;

/// The longest text the formatters produce, in characters.
inline constexpr unsigned kUserFormatBufferLength = 1024;

/// Writes the date of `date` (its time fields and day of week are not used)
/// in the chosen form of the user's locale into `text`. Returns 0, or the
/// error number of the failure with `text` left empty: kErrorInvalidParameter
/// for fields that are not a date from 1601 on, kErrorInsufficientBuffer for a
/// result longer than kUserFormatBufferLength.
///
/// On Windows this is the user's default locale. Elsewhere it is the LC_TIME
/// locale of the environment (LC_ALL, LC_TIME, LANG), read at every call
/// without touching the process's own locale; the long date is the locale's
/// date-and-time form without its time, with full names, and the short date is
/// the locale's date form.
CB_API unsigned FormatUserDate(const SYSTEMTIME& date, UserDateForm form, std::wstring& text);

/// Writes the time of `time` as hh:mm:ss with a 24-hour clock into `text`.
/// Returns 0, or kErrorInvalidParameter with `text` left empty for an hour
/// above 23, a minute or second above 59 or a millisecond above 999.
CB_API unsigned FormatUserTime(const SYSTEMTIME& time, std::wstring& text);

} // namespace cbf::platform
