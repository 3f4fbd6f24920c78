// Tests of the small-object heap in a child forked while other threads use it.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Heap = cbf::platform::SmallObjectHeap;

// Under AddressSanitizer every block comes from the sanitizer's allocator,
// which itself may stay locked in a child forked while other threads
// allocate.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// Allocates and frees more blocks than a cache keeps, so that every round
// passes blocks through the depot and its lock.
void churn(std::size_t size)
{
    std::vector<void*> blocks(3 * Heap::CacheLimit(size));
    for (void*& block : blocks)
        block = Heap::Allocate(size);
    for (void* block : blocks)
        Heap::Deallocate(block, size);
}

// A child forked while other threads use the heap can use it too: no lock is
// left held by a thread that the child does not have.
TEST(SmallObjectHeapForkTest, AChildForkedWhileThreadsUseTheHeapCanUseIt)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "the sanitizer's allocator is not safe to fork while threads allocate";
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (const std::size_t size : {24u, 80u})
        threads.emplace_back([&stop, size] {
            while (!stop.load())
                churn(size);
        });

    for (int fork = 0; fork < 50; ++fork) {
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            ::alarm(10); // a child stuck on a lock dies instead of hanging the test
            churn(24);
            churn(80);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "fork " << fork << ", status " << status;
    }

    stop = true;
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace
