// The small-object heap's per-thread caches on Windows, kept in a fiber-local
// slot.
#include "platform/SmallObjectHeapCache.h"

#include <windows.h>

#include <new>

namespace cbf::platform::heap {

namespace {

// This toolchain emulates thread-local variables, and the destructor of one
// may find its storage released already when the thread ends. A fiber-local
// slot holds each thread's cache instead: Windows calls the slot's callback
// with the cache when the thread ends. (A thread that uses the heap again
// after that, late in its teardown, gets a new cache that is not handed over.)
void WINAPI handOverAtThreadEnd(void* cache)
{
    handOverThreadCache(*static_cast<ThreadCache*>(cache));
    delete static_cast<ThreadCache*>(cache);
}

DWORD cacheSlot()
{
    static const DWORD slot = FlsAlloc(handOverAtThreadEnd);
    return slot;
}

// A thread that gets no cache (no memory for it, or the process has used up
// the slots) caches nothing: its blocks come from and go back to their slabs
// directly.
ThreadCache& uncached()
{
    static ThreadCache cache = [] {
        ThreadCache closed;
        closed.state = ThreadCache::eClosed;
        return closed;
    }();
    return cache;
}

ThreadCache& newThreadCache() noexcept
{
    auto* cache = new (std::nothrow) ThreadCache;
    if (!cache)
        return uncached();
    if (!FlsSetValue(cacheSlot(), cache)) {
        delete cache;
        return uncached();
    }
    return *cache;
}

} // namespace

ThreadCache& threadCache() noexcept
{
    void* cache = FlsGetValue(cacheSlot());
    if (!cache) [[unlikely]]
        return newThreadCache();
    return *static_cast<ThreadCache*>(cache);
}

void armThreadEnd(ThreadCache& cache)
{
    cache.state = ThreadCache::eArmed;
}

// Windows has no fork.
void holdAcrossForks(void (*)(), void (*)())
{}

// The process heap returns whole free regions of its own accord.
void returnFreeMemory() noexcept
{}

void ReleaseThreadCacheSlot() noexcept
{
    FlsFree(cacheSlot());
}

} // namespace cbf::platform::heap
