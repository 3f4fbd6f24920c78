// CbStreamWriteBinaryByteCount: a writer that only counts the bytes it is given.
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>

CbStreamWrite& CbStreamWriteBinaryByteCount::write(const void*, unsigned __int64 count)
{
    m_byteCount += count;
    return *this;
}
