// Tests of the small-object heap's size classes, caches and depot.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Heap = cbf::platform::SmallObjectHeap;

std::vector<void*> allocate(std::size_t count, std::size_t size)
{
    std::vector<void*> blocks(count);
    for (void*& block : blocks)
        block = Heap::Allocate(size);
    return blocks;
}

void deallocate(const std::vector<void*>& blocks, std::size_t size)
{
    for (void* block : blocks)
        Heap::Deallocate(block, size);
}

// Empties the calling thread's cache and the depot of one class into a list
// that is given back at the end of the test.
struct DrainedClass
{
    explicit DrainedClass(std::size_t size)
        : size(size)
    {
        while (Heap::CachedBlockCount(size) > 0 || Heap::DepotBlockCount(size) > 0)
            held.push_back(Heap::Allocate(size));
    }
    ~DrainedClass() { deallocate(held, size); }
    std::size_t size;
    std::vector<void*> held;
};

// Every request size maps to the smallest class that holds it, and a block
// holds all the bytes asked for.
TEST(SmallObjectHeapTest, RequestsGoToTheSmallestClassThatHoldsThem)
{
    const std::size_t cases[][2] = {{0, 32},    {1, 32},    {32, 32},   {33, 48},  {48, 48},   {49, 64},
                                    {64, 64},   {65, 96},   {96, 96},   {97, 128}, {128, 128}, {129, 192},
                                    {192, 192}, {193, 256}, {256, 256}, {257, 257}};
    for (const auto& [size, blockSize] : cases) {
        EXPECT_EQ(Heap::BlockSize(size), blockSize) << size;
        void* block = Heap::Allocate(size);
        std::memset(block, 0xA5, size);
        Heap::Deallocate(block, size);
    }
    EXPECT_EQ(Heap::CacheLimit(257), 0u);
    EXPECT_EQ(Heap::CachedBlockCount(257), 0u);
}

TEST(SmallObjectHeapTest, FreedBlocksAreReusedAndFullCachesSpillToTheDepotAsOneChain)
{
    for (const std::size_t size : {24u, 100u}) {
        DrainedClass drained(size);
        const std::size_t limit = Heap::CacheLimit(size);
        const std::vector<void*> blocks = allocate(limit + 1, size);
        EXPECT_EQ(std::set<void*>(blocks.begin(), blocks.end()).size(), blocks.size());
        // The rest of the last slab the cache was filled from.
        const std::size_t fresh = Heap::CachedBlockCount(size);
        ASSERT_LT(fresh, limit);

        deallocate(blocks, size);
        EXPECT_EQ(Heap::CachedBlockCount(size), fresh + 1);
        EXPECT_EQ(Heap::DepotBlockCount(size), limit);

        const std::vector<void*> again = allocate(blocks.size(), size);
        EXPECT_EQ(std::set<void*>(again.begin(), again.end()), std::set<void*>(blocks.begin(), blocks.end()));
        EXPECT_EQ(Heap::CachedBlockCount(size) + Heap::DepotBlockCount(size), fresh);
        deallocate(again, size);
    }
}

TEST(SmallObjectHeapTest, TheDepotKeepsNoMoreThanItsLimit)
{
    const std::size_t size = 200;
    DrainedClass drained(size);
    const std::vector<void*> blocks = allocate(Heap::DepotLimit(size) + 3 * Heap::CacheLimit(size), size);
    deallocate(blocks, size);
    EXPECT_EQ(Heap::DepotBlockCount(size), Heap::DepotLimit(size));
    EXPECT_LE(Heap::CachedBlockCount(size), Heap::CacheLimit(size));
}

TEST(SmallObjectHeapTest, AThreadsCacheGoesToTheDepotWhenItEnds)
{
    const std::size_t size = 48;
    DrainedClass drained(size);
    const std::vector<void*> blocks = allocate(10, size);
    std::thread([&] {
        deallocate(blocks, size);
        EXPECT_EQ(Heap::CachedBlockCount(size), blocks.size());
    }).join();
    EXPECT_EQ(Heap::DepotBlockCount(size), blocks.size());
}

TEST(SmallObjectHeapTest, NewAndDeleteRunConstructorsAndDestructorsAndReturnTheBlock)
{
    struct Probe
    {
        explicit Probe(int value, int& destroyed)
            : value(value)
            , destroyed(destroyed)
        {
            if (value < 0)
                throw std::invalid_argument("negative");
        }
        ~Probe() { ++destroyed; }
        int value;
        int& destroyed;
    };

    DrainedClass drained(sizeof(Probe));
    int destroyed = 0;
    Probe* probe = Heap::New<Probe>(7, destroyed);
    EXPECT_EQ(probe->value, 7);
    const std::size_t cached = Heap::CachedBlockCount(sizeof(Probe));
    Heap::Delete(probe);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Heap::CachedBlockCount(sizeof(Probe)), cached + 1);

    EXPECT_THROW(Heap::New<Probe>(-1, destroyed), std::invalid_argument);
    EXPECT_EQ(Heap::CachedBlockCount(sizeof(Probe)), cached + 1);
    Heap::Delete<Probe>(nullptr);
    Heap::Deallocate(nullptr, sizeof(Probe));
    EXPECT_EQ(Heap::CachedBlockCount(sizeof(Probe)), cached + 1);
}

} // namespace
