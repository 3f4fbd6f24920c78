// The POSIX backend's part of the small-object heap: each thread's cache is a
// thread-local variable, read inline on every allocation and every free.
#pragma once

namespace cbf::platform::heap {

struct ThreadCache;

// Plain data, constant-initialised, so that reaching it takes no check. The
// static TLS model makes each access one instruction instead of a call into
// the dynamic loader, and its block has room for these few bytes even when a
// program loads the library late (dlopen, as managed runtimes do).
extern constinit thread_local ThreadCache t_threadCache __attribute__((tls_model("initial-exec")));

inline ThreadCache& threadCache() noexcept
{
    return t_threadCache;
}

} // namespace cbf::platform::heap
