// CbStreamWriteBinaryByteCount: a writer that only counts the bytes it is given.
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>

CbStreamWriteBinaryByteCount::CbStreamWriteBinaryByteCount() noexcept
{
    setPutArea(m_scratch, m_scratch, m_scratch + kScratchSize);
}

CbStreamWriteBinaryByteCount::CbStreamWriteBinaryByteCount(const CbStreamWriteBinaryByteCount& other) noexcept
    : CbStreamWriteBinary(other)
    , m_byteCount(other.GetByteCount())
{
    setPutArea(m_scratch, m_scratch, m_scratch + kScratchSize);
}

CbStreamWriteBinaryByteCount&
CbStreamWriteBinaryByteCount::operator=(const CbStreamWriteBinaryByteCount& other) noexcept
{
    CbStreamWriteBinary::operator=(other);
    m_byteCount = other.GetByteCount();
    setPutArea(m_scratch, m_scratch, m_scratch + kScratchSize);
    return *this;
}

CbStreamWrite& CbStreamWriteBinaryByteCount::write(const void*, unsigned __int64 count)
{
    m_byteCount = GetByteCount() + count;
    setPutArea(m_scratch, m_scratch, m_scratch + kScratchSize);
    return *this;
}
