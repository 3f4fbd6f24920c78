// The small-object heap's size classes and per-thread cache: what the portable
// allocator and the backends that keep each thread's cache share.
#pragma once

#include <cbfoundation/platform/SmallObjectHeap.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#if defined(__SANITIZE_ADDRESS__)
#define CBF_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CBF_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(CBF_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace cbf::platform::heap {

#if defined(CBF_ADDRESS_SANITIZER)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

inline constexpr std::size_t kClassCount = std::size(SmallObjectHeap::kBlockSizes);

// What a thread's cache keeps of each class, in bytes.
inline constexpr std::size_t kCacheBytes = 16 * 1024;

// The class of a request of `size` bytes is kClassBySixteenths[(size + 15) / 16]:
// a table, because this is on the path of every allocation and every free.
inline constexpr auto kClassBySixteenths = [] {
    std::array<unsigned char, SmallObjectHeap::kLargestBlock / 16 + 1> classes{};
    std::size_t sizeClass = 0;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        while (SmallObjectHeap::kBlockSizes[sizeClass] < 16 * i)
            ++sizeClass;
        classes[i] = static_cast<unsigned char>(sizeClass);
    }
    return classes;
}();

// `size` is at most kLargestBlock.
inline std::size_t classOf(std::size_t size)
{
    return kClassBySixteenths[(size + 15) / 16];
}

constexpr std::size_t blockSizeOf(std::size_t sizeClass)
{
    return SmallObjectHeap::kBlockSizes[sizeClass];
}

inline constexpr auto kCacheLimits = [] {
    std::array<std::size_t, kClassCount> limits{};
    for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass)
        limits[sizeClass] = kCacheBytes / blockSizeOf(sizeClass);
    return limits;
}();

constexpr std::size_t cacheLimitOf(std::size_t sizeClass)
{
    return kCacheLimits[sizeClass];
}

// Under AddressSanitizer, memory that no caller may touch (free blocks, the
// slack of a block beyond the size asked for) is poisoned, so that the
// sanitizer reports a use after free or an overrun as it does for the
// system heap. Elsewhere these cost nothing.
inline void poison([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t size)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_POISON_MEMORY_REGION(memory, size);
#endif
}

inline void unpoison([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t size)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
#endif
}

// A pointer into a slab that the heap's own bookkeeping holds. Under
// AddressSanitizer it is kept inverted, so that the leak checker does not
// count it as a reference: a slab then stays reachable only through the
// blocks its callers hold (or the list of idle slabs), and a block that they
// lose is reported.
class BlockPointer
{
public:
    void* get() const { return reinterpret_cast<void*>(m_bits ^ kMask); }
    void set(void* block) { m_bits = reinterpret_cast<std::uintptr_t>(block) ^ kMask; }

private:
    static constexpr std::uintptr_t kMask = kAddressSanitizer ? ~std::uintptr_t{0} : 0;
    std::uintptr_t m_bits = kMask;
};

// The bookkeeping that a free block carries, at its start, in the cache line
// that the block's next user touches first: the next block of its chain, and
// in the first block of a chain that the depot holds, the next chain and the
// chain's length. Free blocks are poisoned whole; the heap unpoisons the
// links just while it reads or writes them.
struct Links
{
    BlockPointer next;
    BlockPointer nextChain;
    std::size_t chainLength;
};
static_assert(sizeof(Links) <= SmallObjectHeap::kSmallestBlock);

inline Links& linksOf(void* block)
{
    unpoison(block, sizeof(Links));
    return *static_cast<Links*>(block);
}

// A singly linked chain of free blocks of one class, with its length.
struct Chain
{
    BlockPointer head;
    std::size_t length = 0;

    void push(void* block, std::size_t blockSize)
    {
        linksOf(block).next = head;
        poison(block, blockSize);
        head.set(block);
        ++length;
    }

    // The block keeps the poison of a free block.
    void* pop()
    {
        void* block = head.get();
        head = linksOf(block).next;
        poison(block, sizeof(Links));
        --length;
        return block;
    }
};

// The blocks a thread keeps, handed to the depot when the thread ends.
struct ThreadCache
{
    enum State : unsigned char
    {
        eNew,    // nothing arranged yet for the thread's end
        eArmed,  // the cache is handed over when the thread ends
        eClosed, // the thread is ending: no more caching
    };

    std::array<Chain, kClassCount> chains{};
    State state = eNew;
};

// Gives the cache's blocks to the depot and closes it; the backends call it
// when a thread ends.
void handOverThreadCache(ThreadCache& cache) noexcept;

// What the backend provides (posix/ or win32/HeapThreadCache.cpp):
//   ThreadCache& threadCache() noexcept: the calling thread's cache;
//   void armThreadEnd(ThreadCache&): makes the thread's end hand its cache
//       over, and marks it eArmed;
//   void holdAcrossForks(void (*before)(), void (*after)()): calls `before`
//       before a fork and `after` after it, in the parent and the child;
//   void returnFreeMemory() noexcept: asks the system heap to give the pages
//       it holds free back to the operating system.
void armThreadEnd(ThreadCache& cache);
void holdAcrossForks(void (*before)(), void (*after)());
void returnFreeMemory() noexcept;

} // namespace cbf::platform::heap

#if defined(_WIN32)
#include "platform/win32/HeapThreadCache.h"
#else
#include "platform/posix/HeapThreadCache.h"
#endif
