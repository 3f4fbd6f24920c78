// The pool of locks that guards final releases of reference counts.
#pragma once

#include <cbfoundation/base/object/CbCriticalSection.h>

namespace cbf::detail {

constexpr unsigned kReferenceCounterLockCount = 256;

// Defined with the library's other load-time objects, in load order.
extern CbCriticalSection g_referenceCounterLocks[kReferenceCounterLockCount];

} // namespace cbf::detail
