#include "SmallObjectHeap.h"

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

namespace cbf::detail {

namespace {

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
static_assert(sizeof(Links) <= SmallObjectHeap::kBlockSize);

constexpr std::size_t kChainLinksOffset = SmallObjectHeap::kBlockSize - sizeof(Links);
constexpr std::size_t kNextLinkOffset = SmallObjectHeap::kBlockSize - sizeof(void*);

Links* linksOf(void* block)
{
    return reinterpret_cast<Links*>(static_cast<char*>(block) + kChainLinksOffset);
}

// Poisons the block up to `end`, leaving the links from there on readable.
void poisonUpTo(void* block, std::size_t end)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(block, SmallObjectHeap::kBlockSize);
    ASAN_POISON_MEMORY_REGION(block, end);
#else
    (void)block;
    (void)end;
#endif
}

void unpoison(void* block)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(block, SmallObjectHeap::kBlockSize);
#else
    (void)block;
#endif
}

void* allocateFromSystem()
{
    void* block = std::malloc(SmallObjectHeap::kBlockSize);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void freeToSystem(void* block)
{
    unpoison(block);
    std::free(block);
}

// A singly linked chain of free blocks with its length.
struct Chain
{
    void* head;
    std::size_t length;

    void push(void* block)
    {
        poisonUpTo(block, kNextLinkOffset);
        linksOf(block)->next = head;
        head = block;
        ++length;
    }

    void* pop()
    {
        void* block = head;
        head = linksOf(block)->next;
        --length;
        unpoison(block);
        return block;
    }

    void freeAllToSystem()
    {
        while (head)
            freeToSystem(pop());
    }
};

// The blocks that threads hand over: a stack of whole chains, so that giving
// and taking cost the same however long the chains are.
class Depot
{
public:
    void give(Chain chain)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_length + chain.length <= SmallObjectHeap::kDepotLimit) {
                poisonUpTo(chain.head, kChainLinksOffset);
                linksOf(chain.head)->nextChain = m_chains;
                linksOf(chain.head)->chainLength = chain.length;
                m_chains = chain.head;
                m_length += chain.length;
                return;
            }
        }
        chain.freeAllToSystem();
    }

    Chain take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_chains)
            return Chain{nullptr, 0};
        Chain chain{m_chains, linksOf(m_chains)->chainLength};
        m_chains = linksOf(m_chains)->nextChain;
        poisonUpTo(chain.head, kNextLinkOffset);
        m_length -= chain.length;
        return chain;
    }

    std::size_t length()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_length;
    }

private:
    std::mutex m_mutex;
    void* m_chains = nullptr;
    std::size_t m_length = 0;
};

// Never destroyed: variants in static objects release their blocks after
// every destructor of this file would have run.
Depot& depot()
{
    static Depot* const instance = new Depot;
    return *instance;
}

// The blocks a thread keeps, handed to the depot when the thread ends. The
// chain is a member rather than a thread-local variable of its own: where
// thread-local storage is emulated, another thread-local variable may be gone
// already when this destructor runs.
struct ThreadCache
{
    constexpr ThreadCache() = default;

    ~ThreadCache()
    {
        closed = true;
        if (blocks.length > 0)
            depot().give(blocks);
        blocks = Chain{nullptr, 0};
    }

    Chain blocks{nullptr, 0};
    bool closed = false; // the thread is ending: blocks come from and go to the system heap
};

thread_local ThreadCache t_cache;

} // namespace

void* SmallObjectHeap::Allocate()
{
    ThreadCache& cache = t_cache;
    if (cache.blocks.length == 0) [[unlikely]] {
        if (cache.closed)
            return allocateFromSystem();
        cache.blocks = depot().take();
        if (cache.blocks.length == 0)
            return allocateFromSystem();
    }
    return cache.blocks.pop();
}

void SmallObjectHeap::Deallocate(void* block) noexcept
{
    if (!block)
        return;
    ThreadCache& cache = t_cache;
    if (cache.closed) [[unlikely]] {
        freeToSystem(block);
        return;
    }
    if (cache.blocks.length >= kCacheLimit) [[unlikely]] {
        depot().give(cache.blocks);
        cache.blocks = Chain{nullptr, 0};
    }
    cache.blocks.push(block);
}

std::size_t SmallObjectHeap::CachedBlockCount() noexcept
{
    return t_cache.blocks.length;
}

std::size_t SmallObjectHeap::DepotBlockCount() noexcept
{
    return depot().length();
}

} // namespace cbf::detail
