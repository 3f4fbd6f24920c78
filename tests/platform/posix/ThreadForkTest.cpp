// Thread ids in the child of a fork: the child's own, wherever they are recorded.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/object/CbCriticalSection.h>
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child runs on a copy of the parent's thread under a new kernel id. It
// reports the checks that failed as bits of its exit status.
TEST(ThreadForkTest, AForkedChildRecordsItsOwnThreadId)
{
    const unsigned parent = cbf::platform::CurrentThreadId();
    const CbException inParent(L"Parent.cpp", 1);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::alarm(10);
        const auto kernel = static_cast<unsigned>(::syscall(SYS_gettid));
        CbCriticalSection section;
        section.Enter();
        const bool checks[] = {
            kernel != parent && inParent.GetThreadID() == parent,
            cbf::platform::CurrentThreadId() == kernel,
            CbException(L"Child.cpp", 2).GetThreadID() == kernel,
            section.IsLocking() && section.IsLocking(kernel),
        };
        section.Leave();
        int failed = section.IsLocking(kernel) ? 1 << 4 : 0;
        for (int i = 0; i < 4; ++i)
            failed |= checks[i] ? 0 : 1 << i;
        ::_exit(failed);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ": bits of the failed checks";
}

} // namespace
