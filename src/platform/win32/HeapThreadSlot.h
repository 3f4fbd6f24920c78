// The fiber-local slot through which the small-object heap hands each
// thread's cache over when the thread ends (src/platform/SmallObjectHeap.cpp).
#pragma once

namespace cbf::platform::detail {

/// Frees the slot, so that no thread's end calls back into a library that
/// has been unloaded.
void ReleaseHeapThreadSlot();

} // namespace cbf::platform::detail
