// Tests of the recursive lock across threads.
#include <cbfoundation/platform/RecursiveMutex.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace cbf::platform;

TEST(PlatformConcurrencyTest, RecursiveMutexExcludesOtherThreads)
{
    constexpr int threadCount = 4;
    constexpr int iterations = 20000;
    RecursiveMutex mutex;
    long inside = 0, total = 0;
    bool overlapped = false;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < iterations; ++i) {
                mutex.Enter();
                mutex.Enter();
                overlapped |= ++inside != 1 || mutex.GetRecursionCount() != 2;
                ++total;
                --inside;
                mutex.Leave();
                mutex.Leave();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(total, long(threadCount) * iterations);
}
