// The calling thread's identifier, on Windows.
#include <cbfoundation/platform/Thread.h>

#include <windows.h>

namespace cbf::platform {

unsigned CurrentThreadId()
{
    // Read from the thread's own environment block: cheap enough to call on
    // every exception without caching.
    return static_cast<unsigned>(::GetCurrentThreadId());
}

} // namespace cbf::platform
