// The Win32 backend's part of the small-object heap: each thread's cache sits
// in a fiber-local slot, whose callback hands it over when the thread ends.
#pragma once

namespace cbf::platform::heap {

struct ThreadCache;

ThreadCache& threadCache() noexcept;

/// Frees the slot, so that no thread's end calls back into a library that
/// has been unloaded (DllMain, on FreeLibrary).
void ReleaseThreadCacheSlot() noexcept;

} // namespace cbf::platform::heap
