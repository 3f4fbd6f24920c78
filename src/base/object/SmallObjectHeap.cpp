#include "SmallObjectHeap.h"

#include "platform/ThreadLocal.h"

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
// The heap's own bookkeeping lives inside free blocks, which are poisoned.
#define CBF_HEAP_BOOKKEEPING [[gnu::noinline, gnu::no_sanitize_address]]
#else
#define CBF_HEAP_BOOKKEEPING
#endif

namespace cbf::detail {

namespace {

// The bookkeeping that a free block carries: the next block of its chain, and
// in the first block of a chain that the depot holds, the next chain.
struct FreeBlock
{
    FreeBlock* next;
    FreeBlock* nextChain;
    std::size_t chainLength;
};
static_assert(sizeof(FreeBlock) <= SmallObjectHeap::kBlockSize);

void poison(void* block)
{
#if defined(CBF_ADDRESS_SANITIZER)
    ASAN_POISON_MEMORY_REGION(block, SmallObjectHeap::kBlockSize);
#else
    (void)block;
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

CBF_HEAP_BOOKKEEPING FreeBlock* nextOf(const FreeBlock* block)
{
    return block->next;
}

CBF_HEAP_BOOKKEEPING void setNext(FreeBlock* block, FreeBlock* next)
{
    block->next = next;
}

CBF_HEAP_BOOKKEEPING FreeBlock* nextChainOf(const FreeBlock* head)
{
    return head->nextChain;
}

CBF_HEAP_BOOKKEEPING std::size_t chainLengthOf(const FreeBlock* head)
{
    return head->chainLength;
}

CBF_HEAP_BOOKKEEPING void setChain(FreeBlock* head, FreeBlock* nextChain, std::size_t length)
{
    head->nextChain = nextChain;
    head->chainLength = length;
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
    FreeBlock* head;
    std::size_t length;

    void push(void* block)
    {
        auto* free = static_cast<FreeBlock*>(block);
        setNext(free, head);
        poison(free);
        head = free;
        ++length;
    }

    void* pop()
    {
        FreeBlock* block = head;
        head = nextOf(block);
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
                setChain(chain.head, m_chains, chain.length);
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
        Chain chain{m_chains, chainLengthOf(m_chains)};
        m_chains = nextChainOf(m_chains);
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
    FreeBlock* m_chains = nullptr;
    std::size_t m_length = 0;
};

// Never destroyed: variants in static objects release their blocks after
// every destructor of this file would have run.
Depot& depot()
{
    static Depot* const instance = new Depot;
    return *instance;
}

// Plain data, so that it is usable without a guard on every access and after
// the thread's destructors have run.
struct ThreadCache
{
    Chain blocks;
    bool armed;  // the thread-exit hand-over below is set up
    bool closed; // the thread is ending: no more caching
};

CBF_STATIC_TLS thread_local ThreadCache t_cache;

// Hands the thread's cache to the depot when the thread ends.
struct ThreadExit
{
    ~ThreadExit()
    {
        t_cache.closed = true;
        if (t_cache.blocks.length > 0)
            depot().give(t_cache.blocks);
        t_cache.blocks = Chain{nullptr, 0};
    }

    void arm() { t_cache.armed = true; }
};

thread_local ThreadExit t_threadExit;

void armThreadExit()
{
    t_threadExit.arm();
}

} // namespace

void* SmallObjectHeap::Allocate()
{
    ThreadCache& cache = t_cache;
    if (cache.blocks.length == 0) [[unlikely]] {
        if (cache.closed)
            return allocateFromSystem();
        if (!cache.armed)
            armThreadExit();
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
    if (cache.blocks.length >= kCacheLimit || !cache.armed) [[unlikely]] {
        if (cache.closed) {
            freeToSystem(block);
            return;
        }
        if (!cache.armed)
            armThreadExit();
        if (cache.blocks.length >= kCacheLimit) {
            depot().give(cache.blocks);
            cache.blocks = Chain{nullptr, 0};
        }
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
