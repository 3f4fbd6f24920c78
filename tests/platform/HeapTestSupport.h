// What the small-object heap's tests share: the heap's name and whether AddressSanitizer watches it.
#pragma once

#include <cbfoundation/platform/SmallObjectHeap.h>

namespace heap_test {

using Heap = cbf::platform::SmallObjectHeap;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

} // namespace heap_test
