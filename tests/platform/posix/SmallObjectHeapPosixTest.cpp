// POSIX tests of the small-object heap: a child forked while threads use it, memory given back after a burst.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include "platform/HeapTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using heap_test::Heap;
using heap_test::kAddressSanitizer;

// Allocates and frees more blocks than a cache keeps, so that every round
// passes blocks through the depot and its lock.
void churn(std::size_t size)
{
    std::vector<void*> blocks(2000);
    for (void*& block : blocks)
        block = Heap::Allocate(size);
    for (void* block : blocks)
        Heap::Deallocate(block, size);
}

// A child forked while other threads use the heap can use it too: no lock is
// left held by a thread that the child does not have.
TEST(SmallObjectHeapPosixTest, AChildForkedWhileThreadsUseTheHeapCanUseIt)
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
            churn(24), churn(80), ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "fork " << fork << ", status " << status;
    }

    stop = true;
    for (std::thread& thread : threads)
        thread.join();
}

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t total = 0, resident = 0;
    statm >> total >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A program that makes and frees a few hundred MiB of small objects (reading
// a large file, say) gets that memory back but for what the heap keeps in
// its caches, its depot and its reserve of empty slabs.
TEST(SmallObjectHeapPosixTest, MemoryGoesBackAfterABurst)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "the sanitizer's allocator keeps freed memory in quarantine";
    if (const char* heap = std::getenv("CBFOUNDATION_HEAP"); heap && std::strcmp(heap, "system") == 0)
        GTEST_SKIP() << "the system heap decides what it returns";
    constexpr std::size_t kMiB = 1024 * 1024;
    constexpr std::size_t kSizes[] = {24, 80, 200};
    std::vector<void*> blocks(256 * kMiB / 100);
    const std::size_t before = residentBytes();
    for (std::size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = Heap::Allocate(kSizes[i % 3]);
    EXPECT_GT(residentBytes(), before + 200 * kMiB);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        Heap::Deallocate(blocks[i], kSizes[i % 3]);
    EXPECT_LT(residentBytes(), before + 16 * kMiB);
}

} // namespace
