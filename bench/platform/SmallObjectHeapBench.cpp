// SmallObjectHeap against malloc/free:
//
// - Pairs: allocating a block and freeing it at once, for one size.
// - Batches: allocating 64 blocks of mixed sizes (as strings, arrays and
//   variant values of a record take them) and freeing them in turn.

#include <cbfoundation/platform/SmallObjectHeap.h>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

using Heap = cbf::platform::SmallObjectHeap;

struct HeapAllocator
{
    static void* allocate(std::size_t size) { return Heap::Allocate(size); }
    static void release(void* block, std::size_t size) { Heap::Deallocate(block, size); }
};

struct SystemAllocator
{
    static void* allocate(std::size_t size) { return std::malloc(size); }
    static void release(void* block, std::size_t) { std::free(block); }
};

constexpr std::array<std::size_t, 8> kMixedSizes = {32, 80, 24, 80, 32, 80, 100, 200};
constexpr std::size_t kBatch = 64;

template <class Allocator>
void BM_Pair(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* block = Allocator::allocate(size);
        benchmark::DoNotOptimize(block);
        Allocator::release(block, size);
    }
    state.SetItemsProcessed(state.iterations());
}

template <class Allocator>
void BM_MixedBatch(benchmark::State& state)
{
    std::array<void*, kBatch> blocks{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < kBatch; ++i)
            blocks[i] = Allocator::allocate(kMixedSizes[i % kMixedSizes.size()]);
        benchmark::DoNotOptimize(blocks.data());
        for (std::size_t i = 0; i < kBatch; ++i)
            Allocator::release(blocks[i], kMixedSizes[i % kMixedSizes.size()]);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}

} // namespace

BENCHMARK_TEMPLATE(BM_Pair, HeapAllocator)->Arg(32)->Arg(80);
BENCHMARK_TEMPLATE(BM_Pair, SystemAllocator)->Arg(32)->Arg(80);
BENCHMARK_TEMPLATE(BM_MixedBatch, HeapAllocator);
BENCHMARK_TEMPLATE(BM_MixedBatch, SystemAllocator);
