// FailingAllocator: replaces every form of the global operator new and delete
// of this executable, and with them those the library calls.

#include "FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

#define CBF_TEST_EXPORT __attribute__((visibility("default")))

namespace {

// Allocations left until the failing one; 0 when disarmed. Atomic, so that
// an allocation on another thread than the test's stays well defined.
std::atomic<std::size_t> g_countdown{0};
std::atomic<bool> g_failed{false};

bool failsNow() noexcept
{
    std::size_t left = g_countdown.load(std::memory_order_relaxed);
    while (left != 0) {
        if (g_countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
            if (left != 1)
                return false;
            g_failed.store(true, std::memory_order_relaxed);
            return true;
        }
    }
    return false;
}

void* allocate(std::size_t size, std::size_t alignment) noexcept
{
    if (failsNow())
        return nullptr;
    if (size == 0)
        size = 1;
    if (alignment <= alignof(std::max_align_t))
        return std::malloc(size);
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment)
{
    void* memory = allocate(size, alignment);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

} // namespace

namespace cbf::test {

void FailNthAllocation(std::size_t n)
{
    g_failed.store(false, std::memory_order_relaxed);
    g_countdown.store(n, std::memory_order_relaxed);
}

bool Disarm()
{
    g_countdown.store(0, std::memory_order_relaxed);
    return g_failed.load(std::memory_order_relaxed);
}

} // namespace cbf::test

// clang-format off
CBF_TEST_EXPORT void* operator new(std::size_t size) { return allocateOrThrow(size, 0); }
CBF_TEST_EXPORT void* operator new[](std::size_t size) { return allocateOrThrow(size, 0); }
CBF_TEST_EXPORT void* operator new(std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, std::align_val_t a) { return allocateOrThrow(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
CBF_TEST_EXPORT void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocate(size, std::size_t(a)); }
CBF_TEST_EXPORT void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept { return allocate(size, std::size_t(a)); }

CBF_TEST_EXPORT void operator delete(void* p) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::size_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
CBF_TEST_EXPORT void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
// clang-format on
