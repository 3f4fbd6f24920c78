// The small-object heap's thread-end hand-over, fork handlers and memory
// return on POSIX.
#include "platform/SmallObjectHeapCache.h"

#include <pthread.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace cbf::platform::heap {

constinit thread_local ThreadCache t_threadCache;

namespace {

// A second variable, set up on a thread's first slow path, hands the cache
// over when the thread ends; the cache itself then needs no guard.
struct ThreadEnd
{
    ~ThreadEnd() { handOverThreadCache(t_threadCache); }
};

thread_local ThreadEnd t_threadEnd;

} // namespace

void armThreadEnd(ThreadCache& cache)
{
    [[maybe_unused]] ThreadEnd& end = t_threadEnd;
    cache.state = ThreadCache::eArmed;
}

void holdAcrossForks(void (*before)(), void (*after)())
{
    pthread_atfork(before, after, after);
}

// glibc gives back on its own only what lies at the top of its heap.
void returnFreeMemory() noexcept
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace cbf::platform::heap
