#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/platform/Utf16.h>

#include "TextBuffer.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const wchar_t* const kSource = L"CbStreamReadBinary";

// Lines of the failures, one per operation, so that an exception tells which
// read found the data too short.
enum Line : unsigned
{
    kLineBool = 39,
    kLineUnsignedChar = 60,
    kLineSignedChar = 79,
    kLineUnsignedShort = 98,
    kLineShort = 117,
    kLineUnsignedInt = 136,
    kLineInt = 155,
    kLineUnsignedInt64 = 174,
    kLineInt64 = 193,
    kLineFloat = 212,
    kLineDouble = 231,
    kLineChar = 250,
    kLineUnsignedLong = 269,
    kLineLong = 288,
    kLineWideText = 307,
    kLineNarrowText = 326,
    kLineMissingWideTag = 397,
};

// The first piece of a string's text that is read at once, in code units.
// Later pieces are as long as the text read so far, so a string costs
// O(log n) reads while the memory held never exceeds about twice the data
// that actually arrived, whatever length the stream declares.
constexpr std::size_t kFirstPiece = 64 * 1024;

template <class Unit>
std::size_t lengthUpToNul(const Unit* text, std::size_t size)
{
    const Unit* nul = std::char_traits<Unit>::find(text, size, Unit());
    return nul != nullptr ? static_cast<std::size_t>(nul - text) : size;
}

template <class CharT>
void assignText(CStringT<CharT>& value, const CharT* text, std::size_t length)
{
    if (length <= INT_MAX)
        value.SetString(text, static_cast<int>(length));
    else
        value = CStringT<CharT>(std::basic_string_view<CharT>(text, length));
}

} // namespace

void CbStreamReadBinary::readExactly(void* buffer, unsigned __int64 count, unsigned line)
{
    if (read(buffer, count) != count)
        throw CbExceptionStream(kSource, line);
}

template <class TextBuffer>
void CbStreamReadBinary::readText(TextBuffer& text, unsigned __int64 length, unsigned line)
{
    std::size_t done = 0;
    while (done < length)
    {
        const auto piece = static_cast<std::size_t>(std::min<unsigned __int64>(length - done, std::max(done, kFirstPiece)));
        text.Resize(done + piece);
        readExactly(text.Data() + done, piece * sizeof(*text.Data()), line);
        done += piece;
    }
}

CbStreamRead& CbStreamReadBinary::operator>>(CStringW& value)
{
    const unsigned __int64 length = readStringLengthW();
    cbf::detail::TextBuffer<char16_t> units;
    readText(units, length, kLineWideText);

    const std::size_t count = lengthUpToNul(units.Data(), units.Size());
    cbf::detail::TextBuffer<wchar_t> wide;
    wide.Resize(count);
    assignText(value, wide.Data(), cbf::platform::FromUtf16(units.Data(), count, wide.Data()));
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(CStringA& value)
{
    const unsigned __int64 length = readStringLengthA();
    cbf::detail::TextBuffer<char> bytes;
    readText(bytes, length, kLineNarrowText);
    assignText(value, bytes.Data(), lengthUpToNul(bytes.Data(), bytes.Size()));
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(long& value)
{
    std::int32_t wire = 0;
    readExactly(&wire, sizeof wire, kLineLong);
    value = wire;
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned long& value)
{
    std::uint32_t wire = 0;
    readExactly(&wire, sizeof wire, kLineUnsignedLong);
    value = wire;
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(char& value)
{
    readExactly(&value, sizeof value, kLineChar);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(double& value)
{
    readExactly(&value, sizeof value, kLineDouble);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(float& value)
{
    readExactly(&value, sizeof value, kLineFloat);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(__int64& value)
{
    readExactly(&value, sizeof value, kLineInt64);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned __int64& value)
{
    readExactly(&value, sizeof value, kLineUnsignedInt64);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(int& value)
{
    readExactly(&value, sizeof value, kLineInt);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned int& value)
{
    readExactly(&value, sizeof value, kLineUnsignedInt);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(short& value)
{
    readExactly(&value, sizeof value, kLineShort);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned short& value)
{
    readExactly(&value, sizeof value, kLineUnsignedShort);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(signed char& value)
{
    readExactly(&value, sizeof value, kLineSignedChar);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned char& value)
{
    readExactly(&value, sizeof value, kLineUnsignedChar);
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(bool& value)
{
    // Read as a byte: any non-zero byte is true, and a bool must never hold
    // another bit pattern than 0 or 1.
    unsigned char byte = 0;
    readExactly(&byte, sizeof byte, kLineBool);
    value = byte != 0;
    return *this;
}

unsigned __int64 CbStreamReadBinary::ReadBuffer(void* buffer, unsigned __int64 count)
{
    return read(buffer, count);
}

unsigned __int64 CbStreamReadBinary::readStringLengthA()
{
    unsigned int length = 0;
    *this >> length;
    return length;
}

unsigned __int64 CbStreamReadBinary::readStringLengthW()
{
    unsigned char mark = 0;
    unsigned short tag = 0;
    *this >> mark >> tag;
    if (mark != 0xFF || tag != 0xFFFE)
        throw CbExceptionStream(kSource, kLineMissingWideTag);

    unsigned char length8 = 0;
    *this >> length8;
    if (length8 < 0xFF)
        return length8;
    unsigned short length16 = 0;
    *this >> length16;
    if (length16 < 0xFFFF)
        return length16;
    unsigned int length32 = 0;
    *this >> length32;
    if (length32 < 0xFFFFFFFF)
        return length32;
    unsigned __int64 length64 = 0;
    *this >> length64;
    return length64;
}
