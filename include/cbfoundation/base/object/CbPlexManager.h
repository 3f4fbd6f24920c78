// CbPlexManager: a pool of fixed-size records carved from growing blocks.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/object/CbCriticalSectionPolicy.h>
#include <cbfoundation/base/object/CbINonCopyable.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <type_traits>

/// Hands out records of type T from blocks that it allocates as needed and
/// frees only when the pool itself goes. Records given back are kept on a
/// free list for reuse, so a container that churns its elements costs no
/// heap traffic after warming up.
///
/// Block sizes: FixedBlockSize records if that is not 0; otherwise the
/// initial size, multiplied by the growth factor once per block already
/// allocated (in single precision, truncated at each step): with 1000 and
/// 1.5 the blocks hold 1000, 1500, 2250, 3375, 5062 ... records.
///
/// Records are raw storage: T must be trivially copyable. The first pointer
/// of a free record links the free list.
template <class T, bool Locking, bool Reserved, class SizeT>
class CbPlexManager : public CbReferenceCounted, public CbCriticalSectionPolicy<Locking>, public CbINonCopyable
{
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) >= sizeof(void*),
                  "pool records are raw storage that can hold a free-list link");

public:
    /// Throws CbExceptionPreconditionViolation when initialBlockSize is 0.
    CbPlexManager(SizeT initialBlockSize, SizeT fixedBlockSize, float growthFactor)
        : m_initialBlockSize(initialBlockSize)
        , m_fixedBlockSize(fixedBlockSize)
        , m_growthFactor(growthFactor)
    {
        if (initialBlockSize == 0)
            throw CbExceptionPreconditionViolation(L"CbPlexManager", 224);
    }

    ~CbPlexManager() override { FreeAll(); }

    /// A record with unspecified contents. Throws CbExceptionOutOfMemory
    /// when a new block cannot be allocated.
    T* Allocate()
    {
        if (!m_freeList)
            allocateBlock();
        T* record = m_freeList;
        m_freeList = nextFree(record);
        return record;
    }

    /// Puts a record back on the free list (it is not returned to the heap).
    void Free(T* record)
    {
        setNextFree(record, m_freeList);
        m_freeList = record;
    }

    /// Returns every block to the heap; all records become invalid.
    void FreeAll()
    {
        while (m_blocks) {
            Block* previous = m_blocks->previous;
            std::free(m_blocks);
            m_blocks = previous;
        }
        m_freeList = nullptr;
        m_blockCount = 0;
    }

    /// The number of blocks the pool holds.
    SizeT GetBlockCount() const { return m_blockCount; }

    /// The number of records the next block will hold.
    SizeT GetNextBlockSize() const
    {
        if (m_fixedBlockSize != 0)
            return m_fixedBlockSize;
        SizeT size = m_initialBlockSize;
        for (SizeT i = 0; i < m_blockCount; ++i)
            size = grow(size);
        return size;
    }

private:
    struct Block
    {
        Block* previous;
    };

    static constexpr std::size_t recordOffset = (sizeof(Block) + alignof(T) - 1) / alignof(T) * alignof(T);

    SizeT grow(SizeT size) const
    {
        const float grown = static_cast<float>(size) * m_growthFactor;
        constexpr float limit = static_cast<float>(std::numeric_limits<SizeT>::max());
        return grown >= limit ? std::numeric_limits<SizeT>::max() : static_cast<SizeT>(grown);
    }

    void allocateBlock()
    {
        const SizeT count = GetNextBlockSize();
        constexpr std::size_t maxRecords = (std::numeric_limits<std::size_t>::max() - recordOffset) / sizeof(T);
        void* memory = static_cast<std::uint64_t>(count) <= maxRecords
                           ? std::malloc(recordOffset + static_cast<std::size_t>(count) * sizeof(T))
                           : nullptr;
        if (!memory)
            throw CbExceptionOutOfMemory(L"CbPlexManager", 352);

        Block* block = static_cast<Block*>(memory);
        block->previous = m_blocks;
        m_blocks = block;
        ++m_blockCount;

        T* records = reinterpret_cast<T*>(static_cast<unsigned char*>(memory) + recordOffset);
        for (SizeT i = 0; i < count; ++i)
            Free(records + i);
    }

    static T* nextFree(T* record) { return *reinterpret_cast<T**>(record); }
    static void setNextFree(T* record, T* next) { *reinterpret_cast<T**>(record) = next; }

    Block* m_blocks = nullptr;
    T* m_freeList = nullptr;
    SizeT m_initialBlockSize;
    SizeT m_fixedBlockSize;
    SizeT m_blockCount = 0;
    float m_growthFactor;
};
