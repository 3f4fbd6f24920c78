// Tests of the small-object heap's size classes, caches and depot.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include "platform/HeapTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

using heap_test::Heap;
using heap_test::kAddressSanitizer;

// Blocks of every size up to past the largest class, all alive at once: each
// must be aligned, hold what was asked for, and overlap no other.
TEST(SmallObjectHeapTest, LiveBlocksAreAlignedAndDisjoint)
{
    std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    for (std::size_t size = 0; size <= Heap::kLargestBlock + 8; ++size) {
        ASSERT_GE(Heap::BlockSize(size), size);
        for (int copy = 0; copy < 2; ++copy)
            blocks.emplace_back(static_cast<unsigned char*>(Heap::Allocate(size)), size);
    }
    const auto patternOf = [](std::size_t index) { return static_cast<unsigned char>(index * 37 + 11); };
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks[i].first) % alignof(std::max_align_t), 0u);
        std::memset(blocks[i].first, patternOf(i), blocks[i].second);
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        for (std::size_t byte = 0; byte < blocks[i].second; ++byte)
            ASSERT_EQ(blocks[i].first[byte], patternOf(i)) << "block " << i << " of " << blocks[i].second;
        Heap::Deallocate(blocks[i].first, blocks[i].second);
    }
}

// Blocks made on one thread and freed on another travel through the depot and
// back to their slabs; when the threads have ended, every block is handed out
// once only.
TEST(SmallObjectHeapTest, BlocksFreedOnOtherThreadsAreHandedOutOnceAgain)
{
    for (const std::size_t size : {24u, 256u}) { // a small and the largest class
        for (const std::size_t count : {10u, 30000u}) {
            std::vector<void*> blocks(count);
            std::thread([&] {
                for (void*& block : blocks)
                    block = Heap::Allocate(size);
            }).join();
            std::thread([&] {
                for (void* block : blocks)
                    Heap::Deallocate(block, size);
            }).join();

            std::vector<void*> again(2 * count);
            for (void*& block : again)
                std::memset(block = Heap::Allocate(size), 0x5A, size);
            EXPECT_EQ(std::set<void*>(again.begin(), again.end()).size(), again.size()) << size << " x " << count;
            for (void* block : again)
                Heap::Deallocate(block, size);
        }
    }
}

// Under AddressSanitizer the heap's blocks are checked like the system
// heap's: a write past the size asked for, into the rest of the block, and a
// write into a block that is back in a cache are both reported.
TEST(SmallObjectHeapDeathTest, TheAddressSanitizerSeesOverrunsAndUsesAfterFree)
{
    if (!kAddressSanitizer)
        GTEST_SKIP() << "only the AddressSanitizer build poisons blocks";
    auto* const block = static_cast<volatile char*>(Heap::Allocate(40)); // in a block of 48
    EXPECT_DEATH(block[40] = 1, "AddressSanitizer");
    Heap::Deallocate(const_cast<char*>(block), 40);
    EXPECT_DEATH(block[0] = 1, "AddressSanitizer");
}

} // namespace
