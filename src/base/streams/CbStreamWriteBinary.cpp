// CbStreamWriteBinary: encoding of every primitive and string into the binary wire form.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/streams/ISerializable.h>
#include <cbfoundation/platform/CopyBytes.h>
#include <cbfoundation/platform/Utf16.h>

#include "CbStreamWriteBinaryLines.h"
#include "TextBuffer.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {

using namespace cbf::detail::writeBinary;

// `long` is 32 bits wide on the wire; where the compiler's is wider, a value
// that does not fit is refused rather than silently cut.
template <class Wire, class Value>
Wire toWire(Value value, unsigned line)
{
    if (!std::in_range<Wire>(value))
        throw CbExceptionStream(kSource, line);
    return static_cast<Wire>(value);
}

} // namespace

// Stores `bytes` bytes of text in the area if they fit. An area that is not
// there takes nothing, not even no bytes: such a stream is owed its call.
bool CbStreamWriteBinary::putText(const void* text, std::size_t bytes)
{
    if (m_putNext == nullptr || static_cast<std::size_t>(m_putEnd - m_putNext) < bytes)
        return false;
    cbf::platform::CopyBytes(m_putNext, text, bytes);
    m_putNext += bytes;
    return true;
}

// Stores a whole wide string, length and text, in the area if it fits,
// converting the text straight into it.
bool CbStreamWriteBinary::putWide(const wchar_t* text, std::size_t length)
{
    const auto room = static_cast<std::size_t>(m_putEnd - m_putNext);
    // Each unit takes at least 2 bytes, and the short length form 4.
    if (room < 4 + 2 * length)
        return false;
    const std::uint64_t count = cbf::platform::Utf16Length(text, length);
    if (count >= 0xFF || room < 4 + 2 * count)
        return false;
    const unsigned char header[4] = {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(count)};
    std::memcpy(m_putNext, header, sizeof header);
    cbf::platform::ToUtf16Le(text, length, m_putNext + sizeof header);
    m_putNext += sizeof header + 2 * count;
    return true;
}

// Stores a wide string of fewer than 255 characters, none of them NUL or
// above U+FFFF, whole in the area if it fits, converting it as it goes: one
// pass over the text for nearly every string.
bool CbStreamWriteBinary::putSimpleWide(const wchar_t* text, std::size_t length)
{
    if (length >= 0xFF || static_cast<std::size_t>(m_putEnd - m_putNext) < 4 + 2 * length || m_putNext == nullptr)
        return false;
    if (!cbf::platform::ToUtf16LeSimple(text, length, m_putNext + 4))
        return false;
    const unsigned char header[4] = {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(length)};
    std::memcpy(m_putNext, header, sizeof header);
    m_putNext += sizeof header + 2 * length;
    return true;
}

CbStreamWrite& CbStreamWriteBinary::operator<<(const CStringW& value)
{
    // The string knows its length; a NUL inside it fails the simple case and
    // the text goes the long way, which cuts it there.
    if (putSimpleWide(value.GetString(), static_cast<std::size_t>(value.GetLength())))
        return *this;
    return CbStreamWrite::operator<<(value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(const wchar_t* value)
{
    const std::size_t length = std::wcslen(value);
    if (putSimpleWide(value, length) || putWide(value, length))
        return *this;
    const std::uint64_t count = cbf::platform::Utf16Length(value, length);
    writeStringLengthW(count);
    const std::uint64_t bytes = count * sizeof(char16_t);
    if (m_putNext != nullptr && static_cast<std::size_t>(m_putEnd - m_putNext) >= bytes) {
        cbf::platform::ToUtf16Le(value, length, m_putNext);
        m_putNext += bytes;
        return *this;
    }
    cbf::detail::TextBuffer<char16_t> units;
    units.Resize(count);
    cbf::platform::ToUtf16(value, length, units.Data());
    return write(units.Data(), bytes);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(const char* value)
{
    const std::size_t length = std::strlen(value);
    const auto room = static_cast<std::size_t>(m_putEnd - m_putNext);
    if (room >= 4 && room - 4 >= length && length <= UINT32_MAX) {
        const auto wire = static_cast<std::uint32_t>(length);
        std::memcpy(m_putNext, &wire, sizeof wire);
        cbf::platform::CopyBytes(m_putNext + sizeof wire, value, length);
        m_putNext += sizeof wire + length;
        return *this;
    }
    writeStringLengthA(length);
    if (putText(value, length))
        return *this;
    return write(value, length);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(long value)
{
    return insert(toWire<std::int32_t>(value, kLineLong));
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned long value)
{
    return insert(toWire<std::uint32_t>(value, kLineUnsignedLong));
}

CbStreamWrite& CbStreamWriteBinary::WriteBuffer(const void* buffer, unsigned __int64 count)
{
    if (putText(buffer, count))
        return *this;
    return write(buffer, count);
}

void CbStreamWriteBinary::WriteChunk(const ISerializable& object)
{
    // A reference cannot be null in well-formed code, so the compiler would
    // drop a plain test; callers that dereference a null pointer still get a
    // clear exception instead of a crash.
    const void* address = &object;
    asm("" : "+r"(address));
    if (address == nullptr)
        throw CbException(kSourceNarrow, kLineNullChunk, kFunctionWriteChunk);

    CbStreamWriteBinaryByteCount counter;
    object.Serialize(counter);
    *this << object.GetRTTI().GetName() << counter.GetByteCount();
    object.Serialize(*this);
}

void CbStreamWriteBinary::writeStringLengthA(unsigned __int64 length)
{
    *this << toWire<unsigned int>(length, kLineNarrowText);
}

void CbStreamWriteBinary::writeStringLengthW(unsigned __int64 length)
{
    // The tag FF FE FF, then the shortest of four forms; each longer form
    // begins with the all-ones value of the shorter one as its escape.
    *this << static_cast<unsigned char>(0xFF) << static_cast<unsigned short>(0xFFFE);
    if (length < 0xFF) {
        *this << static_cast<unsigned char>(length);
        return;
    }
    *this << static_cast<unsigned char>(0xFF);
    if (length < 0xFFFE) {
        *this << static_cast<unsigned short>(length);
        return;
    }
    *this << static_cast<unsigned short>(0xFFFF);
    if (length < 0xFFFFFFFF) {
        *this << static_cast<unsigned int>(length);
        return;
    }
    *this << static_cast<unsigned int>(0xFFFFFFFF) << length;
}
