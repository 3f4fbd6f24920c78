// CbMemoryBlock: a reference-counted heap buffer, the storage of CbArray.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>
#include <cbfoundation/base/object/CbCriticalSectionPolicy.h>
#include <cbfoundation/base/object/CbReferenceCounted.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

/// One heap buffer of a size fixed at construction, owned by whoever holds a
/// reference to the block (a CbSmartPointer); the last owner frees it.
///
/// `Locking` is the locking policy of the block (CbCriticalSectionPolicy);
/// the library uses the non-locking block, CbMemoryBlock<0, unsigned>.
/// `SizeT` is the type of the size in bytes.
///
/// The buffer is suitably aligned for any fundamental type and its contents
/// are left as the heap gives them.
template <bool Locking, class SizeT>
class CbMemoryBlock : public CbReferenceCounted, public CbCriticalSectionPolicy<Locking>
{
public:
    /// Source name and line of the exception a failed allocation raises.
    static constexpr const wchar_t* kSourceName = L"CbMemoryBlock";
    static constexpr unsigned kOutOfMemoryLine = 58;

    /// Allocates `size` bytes (none for 0: the data is then null). Throws
    /// CbExceptionOutOfMemory (kSourceName, kOutOfMemoryLine) when the heap
    /// cannot supply them; nothing is allocated then.
    explicit CbMemoryBlock(SizeT size) : m_data(allocate(size)) {}

    /// Frees the buffer.
    ~CbMemoryBlock() override { std::free(m_data); }

    CbMemoryBlock(const CbMemoryBlock&) = delete;
    CbMemoryBlock& operator=(const CbMemoryBlock&) = delete;

    unsigned char* GetData() const { return m_data; }

private:
    static unsigned char* allocate(SizeT size)
    {
        if (size == 0)
            return nullptr;
        // A size no address space can hold is refused before the heap sees
        // it: some heaps abort on such requests instead of failing them.
        void* data = static_cast<std::uint64_t>(size) <= PTRDIFF_MAX ? std::malloc(static_cast<std::size_t>(size))
                                                                      : nullptr;
        if (!data)
            throw CbExceptionOutOfMemory(kSourceName, kOutOfMemoryLine);
        return static_cast<unsigned char*>(data);
    }

    unsigned char* m_data;
};
