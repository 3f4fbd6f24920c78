// CbStreamWriteBinaryByteCount: a binary writer that only counts.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

/// Tells how many bytes a sequence of insertions would put on any binary
/// writer, without storing them: run the same insertions into this stream
/// and read GetByteCount. Useful to write a size before the data it covers.
class CB_API CbStreamWriteBinaryByteCount : public CbStreamWriteBinary
{
public:
    CbStreamWriteBinaryByteCount() = default;
    /// Copies the count.
    /// @{
    CbStreamWriteBinaryByteCount(const CbStreamWriteBinaryByteCount&) = default;
    CbStreamWriteBinaryByteCount& operator=(const CbStreamWriteBinaryByteCount&) = default;
    /// @}

    /// The bytes counted since construction.
    unsigned __int64 GetByteCount() const { return m_byteCount; }

    CB_DECLARE_RTTI(CbStreamWriteBinaryByteCount)

protected:
    /// Adds `count`; the bytes themselves are not looked at.
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    unsigned __int64 m_byteCount = 0;
};
