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
{
    takeBuffer(other);
}

CbStreamWriteBinaryMemory& CbStreamWriteBinaryMemory::operator=(CbStreamWriteBinaryMemory&& other) noexcept
{
    if (this != &other)
        takeBuffer(other);
    return *this;
}

void CbStreamWriteBinaryMemory::takeBuffer(CbStreamWriteBinaryMemory& other) noexcept
{
    setPutArea(other.putBase(), other.putNext(), other.putEnd());
    m_buffer = std::move(other.m_buffer);
    other.setPutArea(nullptr, nullptr, nullptr);
}

void CbStreamWriteBinaryMemory::Reserve(unsigned __int64 capacity)
{
    if (capacity > static_cast<unsigned __int64>(putEnd() - m_buffer.get()))
        reallocate(capacity);
}

CbStreamWrite& CbStreamWriteBinaryMemory::write(const void* buffer, unsigned __int64 count)
{
    if (count > static_cast<unsigned __int64>(putEnd() - putNext()))
        growFor(count);
    cbf::platform::CopyBytes(putNext(), buffer, count);
    setPutArea(putBase(), putNext() + count, putEnd());
    return *this;
}

void CbStreamWriteBinaryMemory::growFor(unsigned __int64 count)
{
    const std::size_t size = GetSize();
    if (count > SIZE_MAX - size)
        throw std::bad_alloc();
    const auto capacity = static_cast<std::size_t>(putEnd() - m_buffer.get());
    reallocate(std::max<unsigned __int64>(size + count, 2 * static_cast<unsigned __int64>(capacity)));
}

void CbStreamWriteBinaryMemory::reallocate(unsigned __int64 capacity)
{
    if (capacity > SIZE_MAX)
        throw std::bad_alloc();
    const std::size_t size = GetSize();
    void* grown = std::realloc(m_buffer.get(), static_cast<std::size_t>(capacity));
    if (grown == nullptr)
        throw std::bad_alloc();
    static_cast<void>(m_buffer.release());
    m_buffer.reset(static_cast<unsigned char*>(grown));
    setPutArea(m_buffer.get(), m_buffer.get() + size, m_buffer.get() + capacity);
}
