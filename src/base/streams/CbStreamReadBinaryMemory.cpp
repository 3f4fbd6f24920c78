#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>

#include <algorithm>
#include <cstring>

CbStreamReadBinaryMemory::CbStreamReadBinaryMemory(const void* data, unsigned __int64 size)
    : m_data(static_cast<const unsigned char*>(data))
    , m_size(size)
{
    if (data == nullptr && size != 0)
        throw CbExceptionPreconditionViolation(L"CbStreamReadBinaryMemory", 1);
}

unsigned __int64 CbStreamReadBinaryMemory::read(void* buffer, unsigned __int64 count)
{
    const std::size_t delivered = std::min<unsigned __int64>(count, m_size - m_position);
    if (delivered != 0)
        std::memcpy(buffer, m_data + m_position, delivered);
    m_position += delivered;
    return delivered;
}
