#include <cbfoundation/platform/SmallObjectHeap.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <mutex>

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

namespace cbf::platform {

namespace {

constexpr std::size_t kClassCount = 4;
constexpr std::size_t kSmallestBlock = 32;
static_assert(kSmallestBlock << (kClassCount - 1) == SmallObjectHeap::kLargestBlock);

// What a thread's cache and the depot keep of each class, in bytes.
constexpr std::size_t kCacheBytes = 16 * 1024;
constexpr std::size_t kDepotBytes = 512 * 1024;

// 32 → 0, 64 → 1, 128 → 2, 256 → 3; `size` is at most kLargestBlock.
std::size_t classOf(std::size_t size)
{
    return size <= kSmallestBlock ? 0 : std::bit_width((size - 1) / kSmallestBlock);
}

constexpr std::size_t blockSizeOf(std::size_t sizeClass)
{
    return kSmallestBlock << sizeClass;
}

// The bookkeeping that a free block carries, at the block's end: the next
// block of its chain, and in the first block of a chain that the depot holds,
// the next chain and the chain's length. Under AddressSanitizer the rest of a
// free block is poisoned, so that a use after free is reported, while the
// links stay readable for the leak checker, which follows no pointer stored
// in poisoned memory.
struct Links
{
    void* nextChain;
    std::size_t chainLength;
    void* next;
};
static_assert(sizeof(Links) <= kSmallestBlock);

Links* linksOf(void* block, std::size_t blockSize)
{
    return reinterpret_cast<Links*>(static_cast<char*>(block) + blockSize - sizeof(Links));
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

// A singly linked chain of free blocks of one class, with its length.
struct Chain
{
    void* head = nullptr;
    std::size_t length = 0;

    void push(void* block, std::size_t blockSize)
    {
        poisonAllBut(block, blockSize, sizeof(void*));
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
            std::free(pop(blockSize));
    }
};

// The blocks of one class that threads hand over: a stack of whole chains,
// so that giving and taking cost the same however long the chains are.
class Depot
{
public:
    explicit Depot(std::size_t sizeClass) : m_blockSize(blockSizeOf(sizeClass)), m_limit(kDepotBytes / m_blockSize) {}

    void give(Chain chain)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_length + chain.length <= m_limit) {
                poisonAllBut(chain.head, m_blockSize, sizeof(Links));
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
        poisonAllBut(chain.head, m_blockSize, sizeof(void*));
        return chain;
    }

    std::size_t length()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_length;
    }

    std::size_t limit() const { return m_limit; }

private:
    const std::size_t m_blockSize;
    const std::size_t m_limit;
    std::mutex m_mutex;
    void* m_chains = nullptr;
    std::size_t m_length = 0;
};

// Never destroyed: strings and variants in static objects release their
// blocks after every destructor of this file would have run.
Depot& depot(std::size_t sizeClass)
{
    static std::array<Depot, kClassCount>* const instance =
        new std::array<Depot, kClassCount>{Depot(0), Depot(1), Depot(2), Depot(3)};
    return (*instance)[sizeClass];
}

// The blocks a thread keeps, handed to the depot when the thread ends. The
// chains are members of the one thread-local object whose destructor hands
// them over: where thread-local storage is emulated, another thread-local
// variable may be gone already when that destructor runs.
struct ThreadCache
{
    constexpr ThreadCache() = default;

    ~ThreadCache()
    {
        closed = true;
        for (std::size_t sizeClass = 0; sizeClass < kClassCount; ++sizeClass) {
            if (chains[sizeClass].length > 0)
                depot(sizeClass).give(chains[sizeClass]);
            chains[sizeClass] = Chain{};
        }
    }

    std::array<Chain, kClassCount> chains{};
    bool closed = false; // the thread is ending: blocks come from and go to the system heap
};

thread_local ThreadCache t_cache;

} // namespace

void* SmallObjectHeap::Allocate(std::size_t size)
{
    if (size > kLargestBlock)
        return allocateFromSystem(size);
    const std::size_t sizeClass = classOf(size);
    Chain& chain = t_cache.chains[sizeClass];
    if (chain.length == 0) [[unlikely]] {
        if (t_cache.closed)
            return allocateFromSystem(blockSizeOf(sizeClass));
        chain = depot(sizeClass).take();
        if (chain.length == 0)
            return allocateFromSystem(blockSizeOf(sizeClass));
    }
    return chain.pop(blockSizeOf(sizeClass));
}

void SmallObjectHeap::Deallocate(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (size > kLargestBlock || t_cache.closed) [[unlikely]] {
        std::free(block);
        return;
    }
    const std::size_t sizeClass = classOf(size);
    Chain& chain = t_cache.chains[sizeClass];
    if (chain.length >= kCacheBytes / blockSizeOf(sizeClass)) [[unlikely]] {
        depot(sizeClass).give(chain);
        chain = Chain{};
    }
    chain.push(block, blockSizeOf(sizeClass));
}

std::size_t SmallObjectHeap::BlockSize(std::size_t size) noexcept
{
    return size > kLargestBlock ? size : blockSizeOf(classOf(size));
}

std::size_t SmallObjectHeap::CacheLimit(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : kCacheBytes / BlockSize(size);
}

std::size_t SmallObjectHeap::DepotLimit(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : depot(classOf(size)).limit();
}

std::size_t SmallObjectHeap::CachedBlockCount(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : t_cache.chains[classOf(size)].length;
}

std::size_t SmallObjectHeap::DepotBlockCount(std::size_t size) noexcept
{
    return size > kLargestBlock ? 0 : depot(classOf(size)).length();
}

} // namespace cbf::platform
