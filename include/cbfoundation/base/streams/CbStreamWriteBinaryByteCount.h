// CbStreamWriteBinaryByteCount: a binary writer that only counts.
#pragma once

#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

/// Tells how many bytes a sequence of insertions would put on any binary
/// writer, without storing them: run the same insertions into this stream
/// and read GetByteCount. Useful to write a size before the data it covers.
///
/// The encoders store into a small scratch area of the counter's own, which
/// is counted and reused whenever it fills; no byte is kept.
class CB_API CbStreamWriteBinaryByteCount : public CbStreamWriteBinary
{
public:
    /// Starts counting at 0.
    CbStreamWriteBinaryByteCount() noexcept;
    /// Copies the count, the bytes not yet added to it included.
    /// @{
    CbStreamWriteBinaryByteCount(const CbStreamWriteBinaryByteCount& other) noexcept;
    CbStreamWriteBinaryByteCount& operator=(const CbStreamWriteBinaryByteCount& other) noexcept;
    /// @}

    /// The bytes counted since construction.
    unsigned __int64 GetByteCount() const { return m_byteCount + static_cast<unsigned __int64>(putNext() - putBase()); }

    CB_DECLARE_RTTI(CbStreamWriteBinaryByteCount)

protected:
    /// Adds what the scratch area holds and `count`; the bytes themselves are
    /// not looked at.
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    static constexpr unsigned kScratchSize = 512;

    unsigned __int64 m_byteCount = 0;
    unsigned char m_scratch[kScratchSize];
};
