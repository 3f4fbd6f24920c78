// SmallObjectHeap: recycled storage for the library's small, short-lived
// heap objects.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace cbf::detail {

/// Blocks of kBlockSize bytes for objects that the library allocates and
/// frees at a high rate, such as the values a variant owns: a variant copy
/// allocates one, a variant release frees one.
///
/// Each thread keeps the blocks it frees in a cache of its own and takes
/// from it again without locking; caches that grow too large hand blocks in
/// batches to a shared depot under a lock, and refill from it the same way.
/// Blocks may be freed on another thread than the one that allocated them.
/// What the caches and the depot hold is bounded: beyond their limits blocks
/// go back to the system heap, and a thread's cache is handed to the depot
/// when the thread ends.
///
/// Under AddressSanitizer free blocks are poisoned, all but the few bytes of
/// bookkeeping at their end, so that a use after free is still reported.
class SmallObjectHeap
{
public:
    /// The size of every block; suitably aligned for any fundamental type.
    static constexpr std::size_t kBlockSize = 32;

    /// A block; throws std::bad_alloc when the system heap has none.
    static void* Allocate();

    /// Gives back a block that Allocate returned; null is ignored.
    static void Deallocate(void* block) noexcept;

    /// A new T in a block, made from `arguments`; what T's constructor throws
    /// passes through and gives the block back.
    template <class T, class... Arguments>
    static T* New(Arguments&&... arguments)
    {
        static_assert(sizeof(T) <= kBlockSize && alignof(T) <= alignof(std::max_align_t),
                      "the object fits a block");
        void* block = Allocate();
        try {
            return ::new (block) T(std::forward<Arguments>(arguments)...);
        } catch (...) {
            Deallocate(block);
            throw;
        }
    }

    /// Destroys an object that New made (through its destructor, virtual or
    /// not) and gives its block back; null is ignored.
    template <class T>
    static void Delete(T* object) noexcept
    {
        if (object) {
            object->~T();
            Deallocate(object);
        }
    }

    /// How many free blocks the calling thread's cache and the depot hold;
    /// for tests of the limits.
    static std::size_t CachedBlockCount() noexcept;
    static std::size_t DepotBlockCount() noexcept;

    /// Limits: the blocks a thread caches (handed to the depot as one chain
    /// when a free would exceed it), and the blocks the depot keeps.
    static constexpr std::size_t kCacheLimit = 512;
    static constexpr std::size_t kDepotLimit = 16384;
};

} // namespace cbf::detail
