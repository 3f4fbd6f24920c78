// Range checks of SYSTEMTIME fields, shared by both backends so that they
// refuse exactly the same values.
#pragma once

#include "platform/Calendar.h"

#include <cbfoundation/platform/SystemTime.h>

namespace cbf::platform {

/// The first year with file times.
inline constexpr unsigned kFirstFileTimeYear = 1601;

/// The last year with file times (whose end lies beyond the largest count).
inline constexpr unsigned kLastFileTimeYear = 30828;

/// True for a year from kFirstFileTimeYear to kLastFileTimeYear, a month of
/// 1 to 12 and a day that the month has.
bool IsValidSystemDate(const SYSTEMTIME& fields);

/// True for an hour up to 23, a minute and second up to 59 and a millisecond
/// up to 999.
bool IsValidSystemTimeOfDay(const SYSTEMTIME& fields);

} // namespace cbf::platform
