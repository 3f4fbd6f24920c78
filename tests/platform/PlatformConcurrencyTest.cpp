// Tests of the recursive lock and thread ids across threads.
#include <cbfoundation/platform/RecursiveMutex.h>
#include <cbfoundation/platform/Thread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

using namespace cbf::platform;

// The threads all live at once, so that no thread id can be reused among them.
TEST(PlatformConcurrencyTest, RecursiveMutexExcludesOtherThreadsEachWithItsOwnId)
{
    constexpr int threadCount = 4;
    constexpr int iterations = 20000;
    RecursiveMutex mutex;
    long inside = 0, total = 0;
    bool overlapped = false;
    std::set<unsigned> ids{CurrentThreadId()};
    std::atomic<int> started{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            for (started.fetch_add(1); started.load() < threadCount;)
                std::this_thread::yield();
            for (int i = 0; i < iterations; ++i) {
                mutex.Enter();
                mutex.Enter();
                overlapped |= ++inside != 1 || mutex.GetRecursionCount() != 2;
                ++total;
                ids.insert(CurrentThreadId());
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
    EXPECT_EQ(ids.size(), threadCount + 1u);
}
