// The text form "YYYY-MM-DD hh:mm:ss" of CbDateTime, read into SYSTEMTIME
// fields.
#pragma once

#include <cbfoundation/platform/SystemTime.h>

namespace cbf::detail {

/// Checks the shape of `text` and scans its six numbers into year, month,
/// day, hour, minute and second, each stored as soon as it is read; day of
/// week and milliseconds become 0 first. False when the shape is wrong or a
/// number is missing, leaving the fields scanned before the failure.
bool ParseDateTimeText(const char* text, SYSTEMTIME& fields);
bool ParseDateTimeText(const wchar_t* text, SYSTEMTIME& fields);

} // namespace cbf::detail
