// The calling thread's identifier, on POSIX.
#include <cbfoundation/platform/Thread.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace cbf::platform {

namespace {

// The kernel's thread id, which debuggers and /proc show. Each thread keeps
// its own once asked: every final release of a reference count enters a
// pool lock that records its owner, and the system call would cost several
// times the rest of that release. Constant-initialised, so no guard.
thread_local unsigned t_threadId = 0;

// A forked child runs on a copy of the forking thread under a new id: forget
// the parent's. Fork handlers run on that thread, in the child.
void forgetThreadIdInChild()
{
    t_threadId = 0;
}

} // namespace

unsigned CurrentThreadId()
{
    if (t_threadId == 0) {
        static const int forgetsAfterFork = ::pthread_atfork(nullptr, nullptr, &forgetThreadIdInChild);
        static_cast<void>(forgetsAfterFork);
        t_threadId = static_cast<unsigned>(::syscall(SYS_gettid));
    }
    return t_threadId;
}

} // namespace cbf::platform
