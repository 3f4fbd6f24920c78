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

TEST(RecursiveMutexTest, RecursionCountFollowsEveryEnterAndLeave)
{
    RecursiveMutex mutex;
    EXPECT_EQ(mutex.GetRecursionCount(), 0);

    mutex.Enter();
    EXPECT_EQ(mutex.GetRecursionCount(), 1);
    mutex.Enter();
    EXPECT_EQ(mutex.GetRecursionCount(), 2);
    ASSERT_TRUE(mutex.TryEnter());
    EXPECT_EQ(mutex.GetRecursionCount(), 3);

    mutex.Leave();
    EXPECT_EQ(mutex.GetRecursionCount(), 2);
    mutex.Leave();
    mutex.Leave();
    EXPECT_EQ(mutex.GetRecursionCount(), 0);
}

TEST(RecursiveMutexTest, OtherThreadsAreKeptOutUntilTheLastLeave)
{
    RecursiveMutex mutex;
    EXPECT_TRUE(tryEnterFromAnotherThread(mutex));

    mutex.Enter();
    mutex.Enter();
    EXPECT_FALSE(tryEnterFromAnotherThread(mutex));

    long seenByOther = -1;
    std::thread([&] { seenByOther = mutex.GetRecursionCount(); }).join();
    EXPECT_EQ(seenByOther, 2);

    mutex.Leave();
    EXPECT_FALSE(tryEnterFromAnotherThread(mutex));
    mutex.Leave();
    EXPECT_TRUE(tryEnterFromAnotherThread(mutex));
    EXPECT_EQ(mutex.GetRecursionCount(), 0);
}
