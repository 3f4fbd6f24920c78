// The calling thread's identifier, on POSIX.
#include <cbfoundation/platform/Thread.h>

#include <sys/syscall.h>
#include <unistd.h>

namespace cbf::platform {

unsigned CurrentThreadId()
{
    // The kernel's thread id is what debuggers and /proc show; it is cached
    // because the system call would otherwise run on every exception and
    // every final release. A constant-initialised slot needs no guard.
    static thread_local unsigned id = 0;
    if (id == 0)
        id = static_cast<unsigned>(::syscall(SYS_gettid));
    return id;
}

} // namespace cbf::platform
