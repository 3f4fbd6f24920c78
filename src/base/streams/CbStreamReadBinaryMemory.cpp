#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>

#include <algorithm>
#include <cstring>

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
    , m_next(m_begin)
    , m_end(m_begin + size)
{
}

unsigned __int64 CbStreamReadBinaryMemory::read(void* buffer, unsigned __int64 count)
{
    const std::size_t delivered = std::min<unsigned __int64>(count, GetRemaining());
    const unsigned char* source = m_next;
    m_next += delivered;
    // Most reads are single primitives: copies of a constant width compile
    // to plain moves instead of a call of the general memcpy.
    if (delivered == 4)
        std::memcpy(buffer, source, 4);
    else if (delivered == 8)
        std::memcpy(buffer, source, 8);
    else if (delivered == 1)
        std::memcpy(buffer, source, 1);
    else if (delivered == 2)
        std::memcpy(buffer, source, 2);
    else if (delivered != 0)
        std::memcpy(buffer, source, delivered);
    return delivered;
}
