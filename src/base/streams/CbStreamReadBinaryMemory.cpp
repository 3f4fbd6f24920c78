// CbStreamReadBinaryMemory: a binary reader over bytes in memory.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>

#include <cbfoundation/platform/CopyBytes.h>

#include <algorithm>

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
{}

unsigned __int64 CbStreamReadBinaryMemory::read(void* buffer, unsigned __int64 count)
{
    const std::size_t delivered = std::min<unsigned __int64>(count, GetRemaining());
    const unsigned char* source = m_next;
    m_next += delivered;
    cbf::platform::CopyBytes(buffer, source, delivered);
    return delivered;
}
