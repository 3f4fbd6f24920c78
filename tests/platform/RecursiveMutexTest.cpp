#include <cbfoundation/platform/RecursiveMutex.h>

#include <gtest/gtest.h>

#include <thread>

using cbf::platform::RecursiveMutex;

namespace {

bool tryEnterFromAnotherThread(RecursiveMutex& mutex)
{
    bool entered = false;
    std::thread([&] {
        entered = mutex.TryEnter();
        if (entered)
            mutex.Leave();
    }).join();
    return entered;
}

} // namespace

TEST(RecursiveMutexTest, OtherThreadsAreKeptOutUntilTheLastOfEveryEnterIsLeft)
{
    RecursiveMutex mutex;
    EXPECT_TRUE(tryEnterFromAnotherThread(mutex));
    EXPECT_EQ(mutex.GetRecursionCount(), 0);

    mutex.Enter();
    EXPECT_EQ(mutex.GetRecursionCount(), 1);
    mutex.Enter();
    ASSERT_TRUE(mutex.TryEnter());
    EXPECT_EQ(mutex.GetRecursionCount(), 3);

    // The count belongs to the mutex: other threads read the owner's.
    long seenByOther = -1;
    std::thread([&] { seenByOther = mutex.GetRecursionCount(); }).join();
    EXPECT_EQ(seenByOther, 3);

    for (long remaining = 2; remaining >= 0; --remaining) {
        mutex.Leave();
        EXPECT_EQ(mutex.GetRecursionCount(), remaining);
        EXPECT_EQ(tryEnterFromAnotherThread(mutex), remaining == 0) << remaining;
    }
    EXPECT_EQ(mutex.GetRecursionCount(), 0);
}
