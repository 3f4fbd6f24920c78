// SmallObjectHeap: recycled storage for small, short-lived heap blocks.
#pragma once

#include <cbfoundation/Export.h>

#include <cstddef>
#include <iterator>
#include <new>
#include <utility>

namespace cbf::platform {

/// Storage for the small blocks that the library allocates and frees at a
/// high rate: the texts of strings, the values a variant owns, the storage
/// of byte arrays. A variant copy, for instance, takes one or two blocks and
/// its release gives them back.
///
/// Requests of up to kLargestBlock bytes are served from seven classes of
/// block (kBlockSizes: 32 to 256 bytes in steps of one half and one third,
/// so that no more than a third of a block goes unused beyond the smallest
/// class), larger ones by the system heap. Each thread keeps the blocks it
/// frees in caches of its own and takes from them again without locking; a
/// cache that grows too large hands its blocks, as one chain, to a depot
/// shared by all threads, and an empty cache refills from the depot under a
/// lock, or else from a whole new slab of 16 KiB at once. A block may be
/// freed on another thread than the one that allocated it. What the caches
/// and the depot keep is bounded (CacheLimit, DepotLimit): beyond that,
/// blocks go back to their slabs, and a thread's caches go to the depot when
/// the thread ends. Slabs whose blocks have all come back are kept for reuse
/// up to 64 MiB in all, so that freeing many objects and making as many
/// again does not map fresh memory; beyond that they go back to the system
/// heap.
///
/// A process may fork while other threads use the heap: the heap holds its
/// locks across the fork, so the child finds none of them taken.
///
/// Blocks are aligned for any fundamental type. Under AddressSanitizer free
/// blocks are poisoned, all but the few bytes of bookkeeping at their end,
/// so that a use after free is still reported.
class CB_API SmallObjectHeap
{
public:
    static constexpr std::size_t kBlockSizes[] = {32, 48, 64, 96, 128, 192, 256};
    static constexpr std::size_t kSmallestBlock = kBlockSizes[0];
    static constexpr std::size_t kLargestBlock = kBlockSizes[std::size(kBlockSizes) - 1];

    /// A block of at least `size` bytes; throws std::bad_alloc when the
    /// system heap has none.
    static void* Allocate(std::size_t size);

    /// Gives back a block that Allocate returned for the same `size`; null is
    /// ignored.
    static void Deallocate(void* block, std::size_t size) noexcept;

    /// A new T in a block, made from `arguments`; what T's constructor throws
    /// passes through and gives the block back.
    template <class T, class... Arguments>
    static T* New(Arguments&&... arguments)
    {
        static_assert(alignof(T) <= alignof(std::max_align_t), "blocks have fundamental alignment");
        void* block = Allocate(sizeof(T));
        try {
            return ::new (block) T(std::forward<Arguments>(arguments)...);
        } catch (...) {
            Deallocate(block, sizeof(T));
            throw;
        }
    }

    /// Destroys an object that New<T> made, through T's destructor (virtual
    /// or not), and gives its block back; null is ignored. T must be the type
    /// that New was given, not a base.
    template <class T>
    static void Delete(T* object) noexcept
    {
        if (object) {
            object->~T();
            Deallocate(object, sizeof(T));
        }
    }

    /// The size of the blocks that serve requests of `size` bytes (`size`
    /// itself beyond kLargestBlock).
    static constexpr std::size_t BlockSize(std::size_t size) noexcept
    {
        for (const std::size_t blockSize : kBlockSizes) {
            if (blockSize >= size)
                return blockSize;
        }
        return size;
    }

    /// How many blocks of the class serving `size` a thread's cache and the
    /// depot keep at most (0 beyond kLargestBlock).
    static std::size_t CacheLimit(std::size_t size) noexcept;
    static std::size_t DepotLimit(std::size_t size) noexcept;

    /// How many free blocks of the class serving `size` the calling thread's
    /// cache and the depot hold now; for tests and diagnostics.
    static std::size_t CachedBlockCount(std::size_t size) noexcept;
    static std::size_t DepotBlockCount(std::size_t size) noexcept;
};

} // namespace cbf::platform
