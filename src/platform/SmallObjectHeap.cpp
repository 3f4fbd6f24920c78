// SmallObjectHeap: size classes, per-thread caches and the shared depot.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CBF_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CBF_ADDRESS_SANITIZER 1
#endif

#if defined(CBF_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/HeapThreadSlot.h"
#else
#include <pthread.h>
#endif

namespace cbf::platform {

namespace {

constexpr std::size_t kClassCount = std::size(SmallObjectHeap::kBlockSizes);
constexpr std::size_t kSmallestBlock = SmallObjectHeap::kSmallestBlock;

// What a thread's cache and the depot keep of each class, in bytes.
constexpr std::size_t kCacheBytes = 16 * 1024;
constexpr std::size_t kDepotBytes = 512 * 1024;

// The class of a request of `size` bytes is kClassBySixteenths[(size + 15) / 16]:
// a table, because this is on the path of every allocation and every free.
constexpr auto kClassBySixteenths = [] {
    std::array<unsigned char, SmallObjectHeap::kLargestBlock / 16 + 1> classes{};
    std::size_t sizeClass = 0;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        while (SmallObjectHeap::kBlockSizes[sizeClass] < 16 * i)
            ++sizeClass;
        classes[i] = static_cast<unsigned char>(sizeClass);
    }
    return classes;
}();

static_assert(std::ranges::all_of(SmallObjectHeap::kBlockSizes,
                                  [](std::size_t size) { return size % alignof(std::max_align_t) == 0; }),
              "blocks cut one after another from a slab keep their alignment");

// `size` is at most kLargestBlock.
std::size_t classOf(std::size_t size)
{
    return kClassBySixteenths[(size + 15) / 16];
}

constexpr std::size_t blockSizeOf(std::size_t sizeClass)
{
    return SmallObjectHeap::kBlockSizes[sizeClass];
}

constexpr auto kCacheLimits = [] {
    std::array<std::size_t, kClassCount> limits{};
    for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass)
        limits[sizeClass] = kCacheBytes / blockSizeOf(sizeClass);
    return limits;
}();

constexpr std::size_t cacheLimitOf(std::size_t sizeClass)
{
    return kCacheLimits[sizeClass];
}

// The bookkeeping that a free block carries: the next block of its chain,
// and in the first block of a chain that the depot holds, the next chain and
// the chain's length. It sits at the start of the block, in the cache line
// that the block's next user touches first. Under AddressSanitizer it sits at
// the end instead and the rest of a free block is poisoned, so that a use
// after free of an object's first fields is reported, while the links stay
// readable for the leak checker, which follows no pointer stored in poisoned
// memory.
struct Links
{
    void* next;
    void* nextChain;
    std::size_t chainLength;
};
static_assert(sizeof(Links) <= kSmallestBlock);

#if defined(CBF_ADDRESS_SANITIZER)
constexpr bool kLinksAtEnd = true;
#else
constexpr bool kLinksAtEnd = false;
#endif

Links* linksOf(void* block, std::size_t blockSize)
{
    const std::size_t offset = kLinksAtEnd ? blockSize - sizeof(Links) : 0;
    return reinterpret_cast<Links*>(static_cast<char*>(block) + offset);
}

// Poisons the block but for its last `kept` bytes.
void poisonAllBut(void* block, std::size_t blockSize, std::size_t kept)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(block, blockSize);
    ASAN_POISON_MEMORY_REGION(block, blockSize - kept);
#else
    (void)block;
    (void)blockSize;
    (void)kept;
#endif
}

void unpoison(void* block, std::size_t blockSize)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(block, blockSize);
#else
    (void)block;
    (void)blockSize;
#endif
}

void* allocateFromSystem(std::size_t size)
{
    void* block = std::malloc(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

// Blocks come from the system heap in slabs of kSlabSize bytes, aligned to
// their size so that a block finds its slab from its own address. A slab is
// empty again when every one of its blocks has come back to it, which they
// do when the caches and the depot are full.
// Under AddressSanitizer every block is an allocation of its own instead, so
// that the leak checker sees each one.
#if defined(CBF_ADDRESS_SANITIZER)
constexpr bool kSlabs = false;
#else
constexpr bool kSlabs = true;
#endif

constexpr std::size_t kSlabSize = 16 * 1024;

void* allocateAligned(std::size_t alignment, std::size_t size)
{
#if defined(_WIN32)
    void* memory = _aligned_malloc(size, alignment);
#else
    void* memory = std::aligned_alloc(alignment, size);
#endif
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void freeAligned(void* memory)
{
#if defined(_WIN32)
    _aligned_free(memory);
#else
    std::free(memory);
#endif
}

// Empty slabs are kept for new blocks, up to kReservedSlabs of them, rather
// than handed back to the system heap at once: a program that frees many
// small objects and makes as many again, as when it reads a file anew, then
// reuses memory that is already mapped.
constexpr std::size_t kReservedSlabs = 64 * 1024 * 1024 / kSlabSize;

class SlabReserve
{
public:
    void* take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        void* slab = m_first;
        if (slab) {
            m_first = *static_cast<void**>(slab);
            --m_count;
        }
        return slab;
    }

    void keep(void* slab)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_count < kReservedSlabs) {
                *static_cast<void**>(slab) = m_first;
                m_first = slab;
                ++m_count;
                return;
            }
        }
        freeAligned(slab);
    }

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
    void* m_first = nullptr;
    std::size_t m_count = 0;
};

// Never destroyed, like the depots.
SlabReserve& slabReserve()
{
    static SlabReserve* const instance = new SlabReserve;
    return *instance;
}

struct Slab
{
    std::atomic<std::size_t> released{0};
    std::size_t blockCount = 0;

    static Slab* of(void* block)
    {
        return reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(block) & ~(kSlabSize - 1));
    }

    static Slab* start(std::size_t blockSize)
    {
        void* memory = slabReserve().take();
        if (!memory)
            memory = allocateAligned(kSlabSize, kSlabSize);
        auto* slab = ::new (memory) Slab;
        slab->blockCount = kSlabSize / blockSize - 1;
        return slab;
    }

    // The first block follows the header, at an offset of one block.
    char* firstBlock(std::size_t blockSize) { return reinterpret_cast<char*>(this) + blockSize; }

    // Counts `count` blocks as returned; the last return empties the slab.
    void release(std::size_t count)
    {
        if (released.fetch_add(count, std::memory_order_acq_rel) + count == blockCount) {
            this->~Slab();
            slabReserve().keep(this);
        }
    }
};
static_assert(sizeof(Slab) <= kSmallestBlock);
static_assert(kSlabSize <= kCacheBytes, "a new slab's blocks fit in an empty cache");

void freeToSystem(void* block)
{
    if constexpr (kSlabs)
        Slab::of(block)->release(1);
    else
        std::free(block);
}

// A singly linked chain of free blocks of one class, with its length.
struct Chain
{
    void* head = nullptr;
    std::size_t length = 0;

    void push(void* block, std::size_t blockSize)
    {
        poisonAllBut(block, blockSize, sizeof(Links));
        linksOf(block, blockSize)->next = head;
        head = block;
        ++length;
    }

    void* pop(std::size_t blockSize)
    {
        void* block = head;
        head = linksOf(block, blockSize)->next;
        --length;
        unpoison(block, blockSize);
        return block;
    }

    void freeAllToSystem(std::size_t blockSize)
    {
        while (head)
            freeToSystem(pop(blockSize));
    }
};

// The blocks of one class that threads hand over: a stack of whole chains,
// so that giving and taking cost the same however long the chains are.
class Depot
{
public:
    explicit Depot(std::size_t sizeClass)
        : m_blockSize(blockSizeOf(sizeClass))
        , m_limit(kDepotBytes / m_blockSize)
    {}

    void give(Chain chain)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_length + chain.length <= m_limit) {
                Links* links = linksOf(chain.head, m_blockSize);
                links->nextChain = m_chains;
                links->chainLength = chain.length;
                m_chains = chain.head;
                m_length += chain.length;
                return;
            }
        }
        chain.freeAllToSystem(m_blockSize);
    }

    Chain take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_chains)
            return Chain{};
        Links* links = linksOf(m_chains, m_blockSize);
        Chain chain{m_chains, links->chainLength};
        m_chains = links->nextChain;
        m_length -= chain.length;
        return chain;
    }

    std::size_t length()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_length;
    }

    std::size_t limit() const { return m_limit; }

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    const std::size_t m_blockSize;
    const std::size_t m_limit;
    std::mutex m_mutex;
    void* m_chains = nullptr;
    std::size_t m_length = 0;
};

void keepLocksAcrossForks();

// Never destroyed: strings and variants in static objects release their
// blocks after every destructor of this file would have run.
Depot& depot(std::size_t sizeClass)
{
    static std::array<Depot, kClassCount>* const instance = []<std::size_t... Classes>(std::index_sequence<Classes...>)
    {
        auto* depots = new std::array<Depot, kClassCount>{Depot(Classes)...};
        keepLocksAcrossForks();
        return depots;
    }
    (std::make_index_sequence<kClassCount>());
    return (*instance)[sizeClass];
}

#if defined(_WIN32)
void keepLocksAcrossForks()
{}
#else
// A child process starts with copies of the parent's locks, and one that
// another thread of the parent held at the fork would stay locked in the
// child for ever. Every lock of the heap is therefore taken before a fork
// and released after it, in the parent and in the child. No path holds two
// of them at once, so taking them in this order cannot deadlock.
void lockAllBeforeFork()
{
    for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass)
        depot(sizeClass).lock();
    slabReserve().lock();
}

void unlockAllAfterFork()
{
    slabReserve().unlock();
    for (std::size_t sizeClass = kClassCount; sizeClass-- > 0;)
        depot(sizeClass).unlock();
}

void keepLocksAcrossForks()
{
    pthread_atfork(lockAllBeforeFork, unlockAllAfterFork, unlockAllAfterFork);
}
#endif

// The depots and the slab reserve are made while the library loads, before
// the program's threads can reach them: a fork while one thread was still
// making them would leave the child waiting for that thread for ever.
[[maybe_unused]] const bool kSharedStateMade = [] {
    depot(0);
    slabReserve();
    return true;
}();

// The blocks a thread keeps, handed to the depot when the thread ends.
struct ThreadCache
{
    enum State : unsigned char
    {
        eNew,    // nothing arranged yet for the thread's end
        eArmed,  // the cache is handed over when the thread ends
        eClosed, // the thread is ending: no more caching
    };

    void handOver()
    {
        state = eClosed;
        for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass) {
            if (chains[sizeClass].length > 0)
                depot(sizeClass).give(chains[sizeClass]);
            chains[sizeClass] = Chain{};
        }
    }

    // A block that neither the cache nor the depot had. It comes from a new
    // slab, whose other blocks fill the (empty) cache at once: the next
    // allocations then find them there instead of each looking into the
    // depot under its lock. A slab holds no more blocks than a cache keeps.
    void* newBlock(std::size_t sizeClass)
    {
        const std::size_t blockSize = blockSizeOf(sizeClass);
        if constexpr (!kSlabs)
            return allocateFromSystem(blockSize);
        Slab* slab = Slab::start(blockSize);
        char* const first = slab->firstBlock(blockSize);
        if (state == eClosed) {
            // The thread is ending and caches nothing: the slab goes as soon
            // as this block does.
            slab->release(slab->blockCount - 1);
            return first;
        }
        Chain& chain = chains[sizeClass];
        for (std::size_t i = slab->blockCount - 1; i > 0; --i)
            chain.push(first + i * blockSize, blockSize);
        return first;
    }

    std::array<Chain, kClassCount> chains{};
    State state = eNew;
};

#if defined(_WIN32)
// This toolchain emulates thread-local variables, and the destructor of one
// may find its storage released already when the thread ends. A fiber-local
// slot holds each thread's cache instead: Windows calls the slot's callback
// with the cache when the thread ends. (A thread that uses the heap again
// after that, late in its teardown, gets a new cache that is not handed over.)
void WINAPI handOverAtThreadEnd(void* cache)
{
    static_cast<ThreadCache*>(cache)->handOver();
    delete static_cast<ThreadCache*>(cache);
}

DWORD cacheSlot()
{
    static const DWORD slot = FlsAlloc(handOverAtThreadEnd);
    return slot;
}

// A thread that gets no slot (the process has used them all up) caches
// nothing: its blocks come from and go back to their slabs directly.
ThreadCache* newThreadCache()
{
    static ThreadCache uncached = [] {
        ThreadCache cache;
        cache.state = ThreadCache::eClosed;
        return cache;
    }();
    auto cache = std::make_unique<ThreadCache>();
    if (!FlsSetValue(cacheSlot(), cache.get()))
        return &uncached;
    return cache.release();
}

ThreadCache& threadCache()
{
    void* cache = FlsGetValue(cacheSlot());
    if (!cache) [[unlikely]]
        cache = newThreadCache();
    return *static_cast<ThreadCache*>(cache);
}

void armThreadExit()
{
    threadCache().state = ThreadCache::eArmed;
}
} // namespace

namespace detail {

void ReleaseHeapThreadSlot()
{
    FlsFree(cacheSlot());
}

} // namespace detail

namespace {
#else
// Plain data, constant-initialised, so that reaching it takes no check; a
// second variable, set up on a thread's first slow path, hands it over when
// the thread ends.
thread_local ThreadCache t_cache;

struct ThreadExit
{
    ~ThreadExit() { t_cache.handOver(); }
};

thread_local ThreadExit t_threadExit;

ThreadCache& threadCache()
{
    return t_cache;
}

void armThreadExit()
{
    [[maybe_unused]] ThreadExit& exit = t_threadExit;
    t_cache.state = ThreadCache::eArmed;
}
#endif

// The paths off the common one are kept out of line, so that taking a block
// from the cache and giving one back stay a few instructions each.

[[gnu::noinline]] void* allocateUncached(std::size_t size)
{
    if (size > SmallObjectHeap::kLargestBlock)
        return allocateFromSystem(size);
    const std::size_t sizeClass = classOf(size);
    ThreadCache& cache = threadCache();
    if (cache.state == ThreadCache::eNew)
        armThreadExit();
    Chain& chain = cache.chains[sizeClass];
    if (cache.state != ThreadCache::eClosed)
        chain = depot(sizeClass).take();
    if (chain.length == 0)
        return cache.newBlock(sizeClass);
    return chain.pop(blockSizeOf(sizeClass));
}

[[gnu::noinline]] void deallocateUncached(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (size > SmallObjectHeap::kLargestBlock) {
        std::free(block);
        return;
    }
    ThreadCache& cache = threadCache();
    if (cache.state == ThreadCache::eClosed) {
        freeToSystem(block);
        return;
    }
    if (cache.state == ThreadCache::eNew)
        armThreadExit();
    const std::size_t sizeClass = classOf(size);
    Chain& chain = cache.chains[sizeClass];
    if (chain.length >= cacheLimitOf(sizeClass)) {
        depot(sizeClass).give(chain);
        chain = Chain{};
    }
    chain.push(block, blockSizeOf(sizeClass));
}

} // namespace

// A block in a thread's cache implies that the thread's end is arranged for
// and the cache still open: taking one needs no other check.
void* SmallObjectHeap::Allocate(std::size_t size)
{
    if (size <= kLargestBlock) [[likely]] {
        const std::size_t sizeClass = classOf(size);
        Chain& chain = threadCache().chains[sizeClass];
        if (chain.length != 0) [[likely]]
            return chain.pop(blockSizeOf(sizeClass));
    }
    return allocateUncached(size);
}

void SmallObjectHeap::Deallocate(void* block, std::size_t size) noexcept
{
    if (block && size <= kLargestBlock) [[likely]] {
        const std::size_t sizeClass = classOf(size);
        ThreadCache& cache = threadCache();
        Chain& chain = cache.chains[sizeClass];
        if (cache.state == ThreadCache::eArmed && chain.length < cacheLimitOf(sizeClass)) [[likely]] {
            chain.push(block, blockSizeOf(sizeClass));
            return;
        }
    }
    deallocateUncached(block, size);
}

std::size_t SmallObjectHeap::CacheLimit(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : cacheLimitOf(classOf(size));
}

std::size_t SmallObjectHeap::DepotLimit(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : depot(classOf(size)).limit();
}

std::size_t SmallObjectHeap::CachedBlockCount(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : threadCache().chains[classOf(size)].length;
}

std::size_t SmallObjectHeap::DepotBlockCount(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : depot(classOf(size)).length();
}

} // namespace cbf::platform
