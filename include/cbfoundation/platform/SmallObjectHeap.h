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
/// class), larger ones by the global operator new. Each thread keeps the
/// blocks it frees in caches of its own (16 KiB of each class) and takes from
/// them again without locking; a cache that grows too large hands its
/// blocks, as one chain, to a depot shared by all threads (512 KiB of each
/// class), and an empty cache refills from the depot under a lock, or else
/// from a whole new slab of 16 KiB at once. A block may be freed on another
/// thread than the one that allocated it. Beyond what the caches and the
/// depot keep, blocks go back to their slabs, and a thread's caches go to
/// the depot when the thread ends. Of the slabs whose blocks have all come
/// back, 1 MiB is kept for new blocks; the others go back to the system.
///
/// The heap takes all its memory from the global `operator new` (slabs
/// from its aligned form), so a program that replaces it sees every
/// allocation the heap makes, slab refills included; when one fails,
/// Allocate throws std::bad_alloc and the heap stays as it was.
///
/// Environment: CBFOUNDATION_HEAP=system, read once when the library loads,
/// sends every block to the global operator new and delete instead, so that
/// valgrind and heap profilers see each one.
///
/// A process may fork while other threads use the heap: the heap holds its
/// locks across the fork, so the child finds none of them taken.
///
/// Blocks are aligned for any fundamental type. Under AddressSanitizer free
/// blocks and the bytes of a block beyond the size asked for are poisoned,
/// so that a use after free or an overrun is reported; the leak checker
/// reports a lost block as a leak of the slab it came from.
class CB_API SmallObjectHeap
{
public:
    /// The sizes of the blocks the heap hands out; a request is rounded up to
    /// the next of them.
    static constexpr std::size_t kBlockSizes[] = {32, 48, 64, 96, 128, 192, 256};
    /// The smallest and the largest block; larger requests go to the global
    /// operator new.
    /// @{
    static constexpr std::size_t kSmallestBlock = kBlockSizes[0];
    static constexpr std::size_t kLargestBlock = kBlockSizes[std::size(kBlockSizes) - 1];
    /// @}

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
        return NewSized<T>(sizeof(T), std::forward<Arguments>(arguments)...);
    }

    /// As New, in a block of `size` bytes (at least sizeof(T)), for a caller
    /// that puts objects of several types into one block in turn; it gives
    /// the block back with Deallocate(block, size).
    template <class T, class... Arguments>
    static T* NewSized(std::size_t size, Arguments&&... arguments)
    {
        static_assert(alignof(T) <= alignof(std::max_align_t), "blocks have fundamental alignment");
        void* block = Allocate(size);
        try {
            return ::new (block) T(std::forward<Arguments>(arguments)...);
        } catch (...) {
            Deallocate(block, size);
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
};

} // namespace cbf::platform
