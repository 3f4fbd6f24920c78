#include <cbfoundation/platform/Thread.h>

#include <sys/syscall.h>
#include <unistd.h>

namespace cbf::platform {

unsigned CurrentThreadId()
{
    // The kernel's thread id is what debuggers and /proc show; it is cached
    // because the system call would otherwise run on every exception.
    thread_local const unsigned id = static_cast<unsigned>(::syscall(SYS_gettid));
    return id;
}

} // namespace cbf::platform
