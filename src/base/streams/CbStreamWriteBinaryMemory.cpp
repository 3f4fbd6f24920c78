// CbStreamWriteBinaryMemory: a binary writer into a growing buffer in memory.
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>

#include <cbfoundation/platform/CopyBytes.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

CbStreamWriteBinaryMemory::CbStreamWriteBinaryMemory(CbStreamWriteBinaryMemory&& other) noexcept
    : CbStreamWriteBinary(other)
    , m_buffer(std::move(other.m_buffer))
    , m_capacity(std::exchange(other.m_capacity, 0))
    , m_size(std::exchange(other.m_size, 0))
{}

CbStreamWriteBinaryMemory& CbStreamWriteBinaryMemory::operator=(CbStreamWriteBinaryMemory&& other) noexcept
{
    m_buffer = std::move(other.m_buffer);
    m_capacity = std::exchange(other.m_capacity, 0);
    m_size = std::exchange(other.m_size, 0);
    return *this;
}

void CbStreamWriteBinaryMemory::Reserve(unsigned __int64 capacity)
{
    if (capacity > m_capacity)
        reallocate(capacity);
}

CbStreamWrite& CbStreamWriteBinaryMemory::write(const void* buffer, unsigned __int64 count)
{
    if (count > m_capacity - m_size)
        growFor(count);
    cbf::platform::CopyBytes(m_buffer.get() + m_size, buffer, count);
    m_size += count;
    return *this;
}

void CbStreamWriteBinaryMemory::growFor(unsigned __int64 count)
{
    if (count > SIZE_MAX - m_size)
        throw std::bad_alloc();
    reallocate(std::max<unsigned __int64>(m_size + count, 2 * m_capacity));
}

void CbStreamWriteBinaryMemory::reallocate(unsigned __int64 capacity)
{
    if (capacity > SIZE_MAX)
        throw std::bad_alloc();
    void* grown = std::realloc(m_buffer.get(), static_cast<std::size_t>(capacity));
    if (grown == nullptr)
        throw std::bad_alloc();
    static_cast<void>(m_buffer.release());
    m_buffer.reset(static_cast<unsigned char*>(grown));
    m_capacity = static_cast<std::size_t>(capacity);
}
