// The small-object heap: slabs, the depot shared by all threads, and the
// paths of an allocation and a free.
#include <cbfoundation/platform/SmallObjectHeap.h>

#include "platform/SmallObjectHeapCache.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

namespace cbf::platform {

using namespace heap;

namespace {

static_assert(std::ranges::all_of(SmallObjectHeap::kBlockSizes,
                                  [](std::size_t size) { return size % alignof(std::max_align_t) == 0; }),
              "blocks cut one after another from a slab keep their alignment");

// CBFOUNDATION_HEAP=system sends every block to the global operator new and
// operator delete, where valgrind and heap profilers see it. Read once, on
// the first block (while the library loads), so that no block ever goes back
// by another route than the one it came by. The caches of a thread are then
// never armed, so the common paths below always fall through to the ones
// that look at this.
bool usesSystemHeap()
{
    static const bool system = [] {
        const char* value = std::getenv("CBFOUNDATION_HEAP");
        return value && std::strcmp(value, "system") == 0;
    }();
    return system;
}

// What the depot keeps of each class, in bytes.
constexpr std::size_t kDepotBytes = 512 * 1024;

// Blocks come from the system in slabs of kSlabSize bytes, aligned to their
// size so that a block finds its slab from its own address. A slab is empty
// again when every one of its blocks has come back to it, which they do when
// the caches and the depot are full.
constexpr std::size_t kSlabSize = 16 * 1024;
constexpr std::align_val_t kSlabAlignment{kSlabSize};

// Empty slabs are kept for new blocks, up to kReservedSlabs of them (1 MiB),
// so that a program that frees a few thousand small objects and makes as many
// again reuses memory it already has; beyond that they go back to the system.
// A program seen to make anew what it gave back (see below) has the reserve
// doubled, up to kMostReservedSlabs (64 MiB).
constexpr std::size_t kReservedSlabs = 1024 * 1024 / kSlabSize;
constexpr std::size_t kMostReservedSlabs = 64 * kReservedSlabs;

// The system heap may keep the slabs it gets back (one slab that stays at the
// top of its memory holds all below it), so after every kFirstTrimSlabs of
// them (8 MiB) the backend asks it to return its free pages. When the program
// then makes half as many slabs anew, that return only cost page faults: the
// program frees and makes again in waves, and the interval and the reserve
// double, so a steady churn soon reuses its own slabs while a burst that is
// freed for good is still given back.
constexpr std::size_t kFirstTrimSlabs = 8 * 1024 * 1024 / kSlabSize;

class SlabReserve
{
public:
    // A slab from the reserve, or null when the caller must make one.
    void* take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        void* slab = m_first;
        if (slab) {
            m_first = *static_cast<void**>(slab);
            --m_count;
        } else {
            noteNewSlab();
        }
        return slab;
    }

    void keep(void* slab)
    {
        bool trim = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_count < m_reserveLimit) {
                *static_cast<void**>(slab) = m_first;
                m_first = slab;
                ++m_count;
                return;
            }
            trim = ++m_freedSinceTrim >= m_trimInterval;
            if (trim) {
                m_freedSinceTrim = 0;
                m_madeSinceTrim = 0;
                m_trimmed = true;
            }
        }
        ::operator delete(slab, kSlabSize, kSlabAlignment);
        if (trim)
            returnFreeMemory();
    }

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
    void* m_first = nullptr;
    std::size_t m_count = 0;
    std::size_t m_freedSinceTrim = 0;
    std::size_t m_madeSinceTrim = 0;
    std::size_t m_trimInterval = kFirstTrimSlabs;
    std::size_t m_reserveLimit = kReservedSlabs;
    bool m_trimmed = false;

    void noteNewSlab()
    {
        if (m_trimmed && ++m_madeSinceTrim >= m_trimInterval / 2 && m_trimInterval < kLastTrimSlabs) {
            m_trimInterval *= 2;
            m_reserveLimit = std::min(2 * m_reserveLimit, kMostReservedSlabs);
            m_madeSinceTrim = 0;
        }
    }

    // 16 GiB: beyond it a program trims once per such wave at most.
    static constexpr std::size_t kLastTrimSlabs = std::size_t{1} << 20;
};

// Never destroyed, like the depots: strings and variants in static objects
// release their blocks after every destructor of this file would have run.
SlabReserve& slabReserve()
{
    static SlabReserve* const instance = new SlabReserve;
    return *instance;
}

// The slab's header takes the place of its first block (or blocks).
struct Slab
{
    std::atomic<std::uint32_t> released{0};
    std::uint32_t blockCount = 0;
    // Under AddressSanitizer: how many blocks callers hold, and the links of
    // the list of idle slabs (those with none).
    std::size_t inUse = 0;
    Slab* previousIdle = nullptr;
    Slab* nextIdle = nullptr;

    static Slab* of(void* block)
    {
        return reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(block) & ~(kSlabSize - 1));
    }

    static constexpr std::size_t headerSize(std::size_t blockSize)
    {
        return (sizeof(Slab) + blockSize - 1) / blockSize * blockSize;
    }

    static Slab* start(std::size_t blockSize);

    char* firstBlock(std::size_t blockSize) { return reinterpret_cast<char*>(this) + headerSize(blockSize); }

    // Counts `count` blocks as returned; the last return empties the slab.
    void release(std::size_t count);
};
static_assert(kSlabSize <= kCacheBytes, "a new slab's blocks fit in an empty cache");

// Under AddressSanitizer the heap keeps no pointer that the leak checker
// follows to a slab whose blocks callers hold: such a slab is reachable only
// through those blocks, so that a block that its caller loses makes the slab
// a leak, reported with the stack that made the slab. Slabs whose blocks are
// all free are listed here, so that they are not reported.
class IdleSlabs
{
public:
    void add(Slab* slab)
    {
        slab->previousIdle = nullptr;
        slab->nextIdle = m_first;
        if (m_first)
            m_first->previousIdle = slab;
        m_first = slab;
    }

    void remove(Slab* slab)
    {
        if (slab->previousIdle)
            slab->previousIdle->nextIdle = slab->nextIdle;
        else
            m_first = slab->nextIdle;
        if (slab->nextIdle)
            slab->nextIdle->previousIdle = slab->previousIdle;
        slab->previousIdle = slab->nextIdle = nullptr;
    }

    std::mutex mutex;

private:
    Slab* m_first = nullptr;
};

IdleSlabs& idleSlabs()
{
    static IdleSlabs* const instance = new IdleSlabs;
    return *instance;
}

// A caller takes a block of a slab, or gives one back.
void noteTaken([[maybe_unused]] void* block)
{
    if constexpr (kAddressSanitizer) {
        Slab* slab = Slab::of(block);
        std::lock_guard<std::mutex> lock(idleSlabs().mutex);
        if (slab->inUse++ == 0)
            idleSlabs().remove(slab);
    }
}

void noteReturned([[maybe_unused]] void* block)
{
    if constexpr (kAddressSanitizer) {
        Slab* slab = Slab::of(block);
        std::lock_guard<std::mutex> lock(idleSlabs().mutex);
        if (--slab->inUse == 0)
            idleSlabs().add(slab);
    }
}

Slab* Slab::start(std::size_t blockSize)
{
    void* memory = slabReserve().take();
    if (!memory)
        memory = ::operator new(kSlabSize, kSlabAlignment);
    unpoison(memory, kSlabSize);
    auto* slab = ::new (memory) Slab;
    slab->blockCount = static_cast<std::uint32_t>((kSlabSize - headerSize(blockSize)) / blockSize);
    if constexpr (kAddressSanitizer) {
        std::lock_guard<std::mutex> lock(idleSlabs().mutex);
        idleSlabs().add(slab);
    }
    return slab;
}

void Slab::release(std::size_t count)
{
    if (released.fetch_add(static_cast<std::uint32_t>(count), std::memory_order_acq_rel) + count != blockCount)
        return;
    if constexpr (kAddressSanitizer) {
        std::lock_guard<std::mutex> lock(idleSlabs().mutex);
        idleSlabs().remove(this);
    }
    this->~Slab();
    slabReserve().keep(this);
}

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
                void* head = chain.head.get();
                Links& links = linksOf(head);
                links.nextChain = m_chains;
                links.chainLength = chain.length;
                poison(head, sizeof(Links));
                m_chains.set(head);
                m_length += chain.length;
                return;
            }
        }
        while (chain.length > 0)
            Slab::of(chain.pop())->release(1);
    }

    Chain take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        void* head = m_chains.get();
        if (!head)
            return Chain{};
        Chain chain;
        chain.head.set(head);
        const Links& links = linksOf(head);
        chain.length = links.chainLength;
        m_chains = links.nextChain;
        poison(head, sizeof(Links));
        m_length -= chain.length;
        return chain;
    }

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    const std::size_t m_blockSize;
    const std::size_t m_limit;
    std::mutex m_mutex;
    BlockPointer m_chains;
    std::size_t m_length = 0;
};

void keepLocksAcrossForks();

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
    idleSlabs().mutex.lock();
}

void unlockAllAfterFork()
{
    idleSlabs().mutex.unlock();
    slabReserve().unlock();
    for (std::size_t sizeClass = kClassCount; sizeClass-- > 0;)
        depot(sizeClass).unlock();
}

void keepLocksAcrossForks()
{
    holdAcrossForks(lockAllBeforeFork, unlockAllAfterFork);
}

// The depots, the slab reserve and the heap's mode are made while the library
// loads, before the program's threads can reach them: a fork while one thread
// was still making them would leave the child waiting for that thread for
// ever.
[[maybe_unused]] const bool kSharedStateMade = [] {
    usesSystemHeap();
    idleSlabs();
    slabReserve();
    depot(0);
    return true;
}();

// A block that neither the cache nor the depot had. It comes from a new
// slab, whose other blocks fill the (empty) cache at once: the next
// allocations then find them there instead of each looking into the depot
// under its lock. A slab holds no more blocks than a cache keeps.
void* newBlock(ThreadCache& cache, std::size_t sizeClass)
{
    const std::size_t blockSize = blockSizeOf(sizeClass);
    Slab* slab = Slab::start(blockSize);
    char* const first = slab->firstBlock(blockSize);
    if (cache.state == ThreadCache::eClosed) {
        // The thread is ending and caches nothing: the slab goes as soon as
        // this block does.
        slab->release(slab->blockCount - 1);
        return first;
    }
    Chain& chain = cache.chains[sizeClass];
    for (std::size_t i = slab->blockCount - 1; i > 0; --i)
        chain.push(first + i * blockSize, blockSize);
    poison(first, blockSize);
    return first;
}

// A free block of `blockSize` bytes goes to a caller who asked for `size`:
// what lies beyond stays poisoned.
void* handOut(void* block, std::size_t size)
{
    noteTaken(block);
    unpoison(block, size);
    return block;
}

// The paths off the common one are kept out of line, so that taking a block
// from the cache and giving one back stay a few instructions each.

[[gnu::noinline]] void* allocateUncached(std::size_t size)
{
    if (size > SmallObjectHeap::kLargestBlock || usesSystemHeap())
        return ::operator new(size);
    const std::size_t sizeClass = classOf(size);
    ThreadCache& cache = threadCache();
    if (cache.state == ThreadCache::eNew)
        armThreadEnd(cache);
    Chain& chain = cache.chains[sizeClass];
    if (cache.state != ThreadCache::eClosed)
        chain = depot(sizeClass).take();
    if (chain.length == 0)
        return handOut(newBlock(cache, sizeClass), size);
    return handOut(chain.pop(), size);
}

[[gnu::noinline]] void deallocateUncached(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (size > SmallObjectHeap::kLargestBlock || usesSystemHeap()) {
        ::operator delete(block, size);
        return;
    }
    noteReturned(block);
    const std::size_t sizeClass = classOf(size);
    const std::size_t blockSize = blockSizeOf(sizeClass);
    ThreadCache& cache = threadCache();
    if (cache.state == ThreadCache::eClosed) {
        poison(block, blockSize);
        Slab::of(block)->release(1);
        return;
    }
    if (cache.state == ThreadCache::eNew)
        armThreadEnd(cache);
    Chain& chain = cache.chains[sizeClass];
    if (chain.length >= cacheLimitOf(sizeClass)) {
        depot(sizeClass).give(chain);
        chain = Chain{};
    }
    chain.push(block, blockSize);
}

} // namespace

void heap::handOverThreadCache(ThreadCache& cache) noexcept
{
    cache.state = ThreadCache::eClosed;
    for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass) {
        if (cache.chains[sizeClass].length > 0)
            depot(sizeClass).give(cache.chains[sizeClass]);
        cache.chains[sizeClass] = Chain{};
    }
}

// A block in a thread's cache implies that the thread's end is arranged for
// and the cache still open: taking one needs no other check.
void* SmallObjectHeap::Allocate(std::size_t size)
{
    if (size <= kLargestBlock) [[likely]] {
        Chain& chain = threadCache().chains[classOf(size)];
        if (chain.length != 0) [[likely]]
            return handOut(chain.pop(), size);
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
            noteReturned(block);
            chain.push(block, blockSizeOf(sizeClass));
            return;
        }
    }
    deallocateUncached(block, size);
}

} // namespace cbf::platform
