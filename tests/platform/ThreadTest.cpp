// Tests of thread identifiers and interlocked arithmetic.
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <thread>

using namespace cbf::platform;

TEST(ThreadTest, CurrentThreadIdIsNonZeroStableAndPerThread)
{
    const unsigned mine = CurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(CurrentThreadId(), mine);

    unsigned other = 0;
    std::thread([&other] { other = CurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}
