// CbStreamReadBinaryMemory: a binary reader over a range of bytes.
#pragma once

#include <cbfoundation/base/streams/CbStreamReadBinary.h>

/// Decodes the binary form from bytes in memory that it borrows: the range
/// must stay valid and unchanged while the reader uses it. Reads run from the
/// start of the range to its end; at the end a read delivers fewer bytes than
/// asked, which the extraction operators turn into CbExceptionStream.
///
/// Copies share the range and start at the position of the original.
///
/// The rest of the range is the get area of the decoders, so a value is one
/// copy out of it; `read` runs only for a value that the range cannot hold
/// whole, and delivers what is left.
class CB_API CbStreamReadBinaryMemory : public CbStreamReadBinary
{
public:
    /// Reads `size` bytes from `data`. A null `data` with a non-zero `size`
    /// throws CbExceptionPreconditionViolation (source
    /// "CbStreamReadBinaryMemory", line 1).
    CbStreamReadBinaryMemory(const void* data, unsigned __int64 size);
    /// Reads the same bytes from the same position on; both streams go on
    /// independently. The bytes are shared, not copied.
    /// @{
    CbStreamReadBinaryMemory(const CbStreamReadBinaryMemory& other) noexcept;
    CbStreamReadBinaryMemory& operator=(const CbStreamReadBinaryMemory& other) noexcept;
    /// @}

    /// The number of bytes consumed so far.
    unsigned __int64 GetPosition() const { return static_cast<unsigned __int64>(getNext() - m_begin); }

    /// The number of bytes still to be read.
    unsigned __int64 GetRemaining() const { return static_cast<unsigned __int64>(getEnd() - getNext()); }

    /// The size of the whole range.
    unsigned __int64 GetSize() const { return static_cast<unsigned __int64>(getEnd() - m_begin); }

protected:
    /// Copies what is left of the range, up to `count` bytes, and moves on by
    /// as many.
    unsigned __int64 read(void* buffer, unsigned __int64 count) override;

private:
    // The position and the end are the get area.
    const unsigned char* m_begin;
};
