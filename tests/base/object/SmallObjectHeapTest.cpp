// The small-object heap is internal to the library; this executable builds
// a copy of its own (tests/CMakeLists.txt), so the counts below are this
// test's alone.
#include "base/object/SmallObjectHeap.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Heap = cbf::detail::SmallObjectHeap;

std::vector<void*> allocate(std::size_t count)
{
    std::vector<void*> blocks(count);
    for (void*& block : blocks)
        block = Heap::Allocate();
    return blocks;
}

void deallocate(const std::vector<void*>& blocks)
{
    for (void* block : blocks)
        Heap::Deallocate(block);
}

// Empties the calling thread's cache and the depot into a list that the
// test gives back at its end.
struct DrainedHeap
{
    DrainedHeap()
    {
        while (Heap::CachedBlockCount() > 0 || Heap::DepotBlockCount() > 0)
            held.push_back(Heap::Allocate());
    }
    ~DrainedHeap() { deallocate(held); }
    std::vector<void*> held;
};

TEST(SmallObjectHeapTest, FreedBlocksAreReusedAndCachesSpillToTheDepotInWholeChains)
{
    DrainedHeap drained;
    const std::vector<void*> blocks = allocate(Heap::kCacheLimit + 1);
    EXPECT_EQ(std::set<void*>(blocks.begin(), blocks.end()).size(), blocks.size());

    deallocate(blocks);
    EXPECT_EQ(Heap::CachedBlockCount(), 1u);
    EXPECT_EQ(Heap::DepotBlockCount(), Heap::kCacheLimit);

    // Taking them all again comes from the cache, then from the depot's chain.
    const std::vector<void*> again = allocate(blocks.size());
    EXPECT_EQ(std::set<void*>(again.begin(), again.end()), std::set<void*>(blocks.begin(), blocks.end()));
    EXPECT_EQ(Heap::CachedBlockCount() + Heap::DepotBlockCount(), 0u);
    deallocate(again);
}

TEST(SmallObjectHeapTest, TheDepotKeepsNoMoreThanItsLimit)
{
    DrainedHeap drained;
    const std::vector<void*> blocks = allocate(Heap::kDepotLimit + 3 * Heap::kCacheLimit);
    deallocate(blocks);
    EXPECT_EQ(Heap::DepotBlockCount(), Heap::kDepotLimit);
    EXPECT_LE(Heap::CachedBlockCount(), Heap::kCacheLimit);
}

TEST(SmallObjectHeapTest, AThreadsCacheGoesToTheDepotWhenItEnds)
{
    DrainedHeap drained;
    const std::vector<void*> blocks = allocate(10);
    std::thread([&] {
        deallocate(blocks);
        EXPECT_EQ(Heap::CachedBlockCount(), blocks.size());
    }).join();
    EXPECT_EQ(Heap::DepotBlockCount(), blocks.size());
}

TEST(SmallObjectHeapTest, NewAndDeleteRunConstructorsAndDestructorsAndReturnTheBlock)
{
    struct Probe
    {
        explicit Probe(int value, int& destroyed) : value(value), destroyed(destroyed)
        {
            if (value < 0)
                throw std::invalid_argument("negative");
        }
        ~Probe() { ++destroyed; }
        int value;
        int& destroyed;
    };

    DrainedHeap drained;
    int destroyed = 0;
    Probe* probe = Heap::New<Probe>(7, destroyed);
    EXPECT_EQ(probe->value, 7);
    Heap::Delete(probe);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Heap::CachedBlockCount(), 1u);

    EXPECT_THROW(Heap::New<Probe>(-1, destroyed), std::invalid_argument);
    EXPECT_EQ(Heap::CachedBlockCount(), 1u);
    Heap::Delete<Probe>(nullptr);
    Heap::Deallocate(nullptr);
    EXPECT_EQ(Heap::CachedBlockCount(), 1u);
}

} // namespace
