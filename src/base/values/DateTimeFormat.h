// The format letters of CbDateTime::ToString ("Y-m-d H:i:s" and the rest)
// and the user locale's date forms.
#pragma once

#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/LocaleTimeFormat.h>
#include <cbfoundation/platform/SystemTime.h>

#include <string>

namespace cbf::detail {

/// `format` with each letter replaced by its field of `time`; a backslash
/// takes the next character literally. Locale names that cannot be formatted
/// appear as the name of the error.
CStringW FormatDateTimeLetters(const SYSTEMTIME& time, const wchar_t* format);

/// The user locale's `form` of the date, or the empty text when it cannot be
/// formatted.
std::wstring UserDateOrEmpty(const SYSTEMTIME& date, cbf::platform::UserDateForm form);

} // namespace cbf::detail
