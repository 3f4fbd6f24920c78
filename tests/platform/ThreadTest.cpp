// Tests of thread identifiers and interlocked arithmetic.
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <climits>
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

TEST(ThreadTest, InterlockedOperationsReturnTheNewValueAndWrap)
{
    // Start, after an increment, after a decrement.
    const unsigned cases[][3] = {
        {0u, 1u, UINT_MAX}, {1u, 2u, 0u}, {0x7FFFFFFFu, 0x80000000u, 0x7FFFFFFEu}, {UINT_MAX, 0u, UINT_MAX - 1}};
    for (const auto& [start, afterIncrement, afterDecrement] : cases) {
        volatile unsigned value = start;
        EXPECT_EQ(InterlockedIncrement32(&value), afterIncrement) << start;
        EXPECT_EQ(InterlockedRead32(&value), afterIncrement) << start;

        value = start;
        EXPECT_EQ(InterlockedDecrement32(&value), afterDecrement) << start;
        EXPECT_EQ(InterlockedRead32(&value), afterDecrement) << start;
    }
}
