// CbMemoryBlock: a reference-counted heap buffer, the storage of CbArray.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/object/CbCriticalSectionPolicy.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <cstddef>
#include <cstdint>
#include <new>

/// One heap buffer of a size fixed at construction, owned by whoever holds a
/// reference to the block (a CbSmartPointer); the last owner frees it.
///
/// `Locking` is the locking policy of the block (CbCriticalSectionPolicy);
/// the library uses the non-locking block, CbMemoryBlock<0, unsigned>.
/// `SizeT` is the type of the size in bytes.
///
/// The buffer is suitably aligned for any fundamental type and its contents
/// are left as the heap gives them. Create makes a block whose buffer shares
/// the block's own heap allocation, which halves the allocations of arrays.
template <bool Locking, class SizeT>
class CbMemoryBlock : public CbReferenceCounted, public CbCriticalSectionPolicy<Locking>
{
public:
    /// Source name and line of the exception a failed allocation raises.
    /// @{
    static constexpr const wchar_t* kSourceName = L"CbMemoryBlock";
    static constexpr unsigned kOutOfMemoryLine = 58;
    /// @}

    /// Allocates `size` bytes (none for 0: the data is then null). Throws
    /// CbExceptionOutOfMemory (kSourceName, kOutOfMemoryLine) when the heap
    /// cannot supply them; nothing is allocated then.
    explicit CbMemoryBlock(SizeT size)
        : m_data(static_cast<unsigned char*>(allocate(size)))
    {}

    /// Frees the buffer.
    ~CbMemoryBlock() override { ::operator delete(m_data); }

    CbMemoryBlock(const CbMemoryBlock&) = delete;
    CbMemoryBlock& operator=(const CbMemoryBlock&) = delete;

    /// A new block of `size` bytes in one heap allocation with its buffer.
    /// It must be owned through reference counting (CbSmartPointer), which
    /// deletes it. Throws as the constructor does.
    static CbMemoryBlock* Create(SizeT size);

    /// The buffer, or null for a block of 0 bytes.
    unsigned char* GetData() const { return m_data; }

private:
    class Compact;

    static void* allocate(std::uint64_t size)
    {
        if (size == 0)
            return nullptr;
        // A size no address space can hold is refused before the heap sees
        // it: some heaps abort on such requests instead of failing them. The
        // global operator new serves the rest, as it serves the library's
        // other allocations, so that a program that replaces it sees all.
        void* data = size <= PTRDIFF_MAX ? ::operator new(static_cast<std::size_t>(size), std::nothrow) : nullptr;
        if (!data)
            throw CbExceptionOutOfMemory(kSourceName, kOutOfMemoryLine);
        return data;
    }

    CbMemoryBlock(unsigned char* buffer, std::nullptr_t)
        : m_data(buffer)
    {}

    unsigned char* m_data;
};

/// The block of Create: the buffer follows the block in the same allocation,
/// which the block's deletion frees as a whole. Small allocations come from
/// the small-object heap: byte arrays are copied and released as often as
/// the variants that hold them.
template <bool Locking, class SizeT>
class CbMemoryBlock<Locking, SizeT>::Compact final : public CbMemoryBlock<Locking, SizeT>
{
public:
    static constexpr std::size_t kBufferOffset =
        (sizeof(CbMemoryBlock) + sizeof(std::size_t) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
        alignof(std::max_align_t);

    static Compact* Create(SizeT size)
    {
        static_assert(sizeof(Compact) <= kBufferOffset, "the buffer follows the block");
        const std::uint64_t allocationSize = kBufferOffset + static_cast<std::uint64_t>(size);
        void* memory;
        if (allocationSize <= cbf::platform::SmallObjectHeap::kLargestBlock) {
            try {
                memory = cbf::platform::SmallObjectHeap::Allocate(static_cast<std::size_t>(allocationSize));
            } catch (const std::bad_alloc&) {
                throw CbExceptionOutOfMemory(kSourceName, kOutOfMemoryLine);
            }
        } else {
            memory = allocate(allocationSize);
        }
        return ::new (memory) Compact(static_cast<std::size_t>(allocationSize));
    }

    // The buffer is part of this allocation: nothing for the base to free.
    ~Compact() override { this->m_data = nullptr; }

    // Destroys the block and frees its allocation, whose size only the block
    // itself knows.
    static void operator delete(Compact* block, std::destroying_delete_t)
    {
        const std::size_t allocationSize = block->m_allocationSize;
        block->~Compact();
        if (allocationSize <= cbf::platform::SmallObjectHeap::kLargestBlock)
            cbf::platform::SmallObjectHeap::Deallocate(block, allocationSize);
        else
            ::operator delete(block);
    }

private:
    explicit Compact(std::size_t allocationSize)
        : CbMemoryBlock(reinterpret_cast<unsigned char*>(this) + kBufferOffset, nullptr)
        , m_allocationSize(allocationSize)
    {}

    std::size_t m_allocationSize;
};

template <bool Locking, class SizeT>
CbMemoryBlock<Locking, SizeT>* CbMemoryBlock<Locking, SizeT>::Create(SizeT size)
{
    if (size == 0)
        return new CbMemoryBlock(0);
    return Compact::Create(size);
}
