// CbStreamReadBinaryMemory: a binary reader over bytes in memory.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>

namespace {

const unsigned char* checkedRange(const void* data, unsigned __int64 size)
{
    if (data == nullptr && size != 0)
        throw CbExceptionPreconditionViolation(L"CbStreamReadBinaryMemory", 1);
    return static_cast<const unsigned char*>(data);
}

} // namespace

CbStreamReadBinaryMemory::CbStreamReadBinaryMemory(const void* data, unsigned __int64 size)
    : m_begin(checkedRange(data, size))
{
    setGetArea(m_begin, m_begin + size);
}

CbStreamReadBinaryMemory::CbStreamReadBinaryMemory(const CbStreamReadBinaryMemory& other) noexcept
    : CbStreamReadBinary(other)
    , m_begin(other.m_begin)
{
    setGetArea(other.getNext(), other.getEnd());
}

CbStreamReadBinaryMemory& CbStreamReadBinaryMemory::operator=(const CbStreamReadBinaryMemory& other) noexcept
{
    CbStreamReadBinary::operator=(other);
    m_begin = other.m_begin;
    setGetArea(other.getNext(), other.getEnd());
    return *this;
}

unsigned __int64 CbStreamReadBinaryMemory::read(void* buffer, unsigned __int64 count)
{
    return takeFromGetArea(buffer, count);
}
