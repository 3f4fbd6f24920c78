// CbStreamWriteBinary: encoding of every primitive and string into the binary wire form.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>
#include <cbfoundation/base/streams/ISerializable.h>
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

CbStreamWrite& CbStreamWriteBinary::operator<<(const wchar_t* value)
{
    const std::size_t length = std::wcslen(value);
    const std::uint64_t count = cbf::platform::Utf16Length(value, length);
    cbf::detail::TextBuffer<char16_t> units;
    units.Resize(count);
    cbf::platform::ToUtf16(value, length, units.Data());
    writeStringLengthW(count);
    return write(units.Data(), count * sizeof(char16_t));
}

CbStreamWrite& CbStreamWriteBinary::operator<<(const char* value)
{
    const std::size_t length = std::strlen(value);
    writeStringLengthA(length);
    return write(value, length);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(long value)
{
    const auto wire = toWire<std::int32_t>(value, kLineLong);
    return write(&wire, sizeof wire);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned long value)
{
    const auto wire = toWire<std::uint32_t>(value, kLineUnsignedLong);
    return write(&wire, sizeof wire);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(char value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(double value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(float value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(__int64 value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned __int64 value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(int value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned int value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(short value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned short value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(signed char value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(unsigned char value)
{
    return write(&value, sizeof value);
}

CbStreamWrite& CbStreamWriteBinary::operator<<(bool value)
{
    const unsigned char byte = value ? 1 : 0;
    return write(&byte, sizeof byte);
}

CbStreamWrite& CbStreamWriteBinary::WriteBuffer(const void* buffer, unsigned __int64 count)
{
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
