// CbStreamReadBinary: decoding of every primitive and string from the binary wire form.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/ISerializable.h>
#include <cbfoundation/platform/CopyBytes.h>
#include <cbfoundation/platform/Utf16.h>

#include "CbStreamReadBinaryLines.h"
#include "TextBuffer.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using namespace cbf::detail::readBinary;

// The first piece of a string's text that is read at once, in code units.
constexpr std::size_t kFirstPiece = 64 * 1024;

std::size_t lengthUpToNul(const char* text, std::size_t size)
{
    const void* nul = std::memchr(text, 0, size);
    return nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size;
}

// Texts longer than CStringT's int lengths can express are moved in whole.
void assignText(CStringA& value, const char* text, std::size_t length)
{
    if (length <= INT_MAX)
        value.SetString(text, static_cast<int>(length));
    else
        value = CStringA(std::string(text, length));
}

// Units widened at once: a fixed-size loop is what the compiler vectorises.
constexpr std::size_t kBlock = 16;

std::size_t unitsUpToNul(const unsigned char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[2 * i] == 0 && bytes[2 * i + 1] == 0)
            return i;
    return count;
}

// The top bit is set for a NUL and for a surrogate: a unit below 0x10000
// ends up below 0 only where it subtracts to a borrow. Arithmetic without
// branches, so that a block of units is a few vector instructions.
inline std::uint32_t specialFlag(std::uint32_t unit)
{
    return ((unit ^ 0xD800u) - 0x800u) | (unit - 1u);
}

// Widens the little-endian UTF-16 code units at `bytes` (any alignment) to
// wide characters, up to the first NUL, and returns how many it wrote. Text
// without NULs and surrogates, nearly all text, is widened block by block in
// one pass; the rest goes through the full decoder.
std::size_t decodeUtf16(const unsigned char* bytes, std::size_t count, wchar_t* out)
{
    std::uint32_t special = 0;
    std::size_t i = 0;
    for (; i + kBlock <= count && special == 0; i += kBlock) {
        char16_t units[kBlock];
        std::memcpy(units, bytes + 2 * i, sizeof units);
        std::uint32_t flags = 0;
#pragma GCC unroll 1
        for (std::size_t j = 0; j < kBlock; ++j) {
            const std::uint32_t unit = units[j];
            out[i + j] = static_cast<wchar_t>(unit);
            flags |= specialFlag(unit);
        }
        special = flags >> 31;
    }
    for (; i < count && special == 0; ++i) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof unit);
        out[i] = static_cast<wchar_t>(unit);
        special = specialFlag(unit) >> 31;
    }
    if (special == 0)
        return count;
    return cbf::platform::FromUtf16Le(bytes, unitsUpToNul(bytes, count), out);
}

// Decodes the code units straight into the destination's own buffer.
void assignUtf16(CStringW& value, const unsigned char* bytes, std::size_t count)
{
    if (count > INT_MAX) {
        std::wstring text(count, L'\0');
        text.resize(decodeUtf16(bytes, count, text.data()));
        value = CStringW(std::move(text));
        return;
    }
    wchar_t* text = value.GetBufferSetLength(static_cast<int>(count));
    value.ReleaseBufferSetLength(static_cast<int>(decodeUtf16(bytes, count, text)));
}

// Widens `count` little-endian units at `bytes` to `out` and returns true
// when none of them is a NUL or a surrogate. Every unit is widened and the
// check comes at the end, so that no branch waits on the check of a block;
// after a false answer `out` holds units to be decoded again.
inline bool widenPlainUnits(const unsigned char* bytes, std::size_t count, wchar_t* out)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight units a time; when `count` is not a multiple of eight, the last
    // block overlaps the one before it.
    if (count >= 8) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xF800));
        const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
        __m128i special = zero;
        const auto widenBlock = [&](std::size_t at) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * at));
            special = _mm_or_si128(special, _mm_cmpeq_epi16(units, zero));
            special = _mm_or_si128(special, _mm_cmpeq_epi16(_mm_and_si128(units, surrogateBits), surrogate));
            if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), units);
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi16(units, zero));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at + 4), _mm_unpackhi_epi16(units, zero));
            }
        };
        for (; i + 8 <= count; i += 8)
            widenBlock(i);
        if (i < count)
            widenBlock(count - 8);
        return _mm_movemask_epi8(special) == 0;
    }
#endif
    std::uint32_t flags = 0;
    for (; i < count; ++i) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof unit);
        out[i] = static_cast<wchar_t>(unit);
        flags |= specialFlag(unit);
    }
    return (flags >> 31) == 0;
}

// assignUtf16 for a string shorter than 255 units, the length nearly every
// string has, inlined into the decoder. A string read again and again
// already has a buffer of its own with room enough, which is then reused.
[[gnu::always_inline]] inline void assignShortUtf16(CStringW& value, const unsigned char* bytes, std::size_t count)
{
    if (count == 0) {
        value.Empty();
        return;
    }
    wchar_t* const text = value.GetBufferSetLength(static_cast<int>(count));
    std::size_t length = count;
    if (!widenPlainUnits(bytes, count, text)) [[unlikely]]
        length = cbf::platform::FromUtf16Le(bytes, unitsUpToNul(bytes, count), text);
    value.ReleaseBufferSetLength(static_cast<int>(length));
}

// Reads `length` units of text into `text` through `readExactly`, in pieces
// that grow with what has arrived: a string costs O(log n) reads, and a
// corrupt length fails at the end of the data having held memory for a small
// multiple of the data that was really there, never for what it claimed.
template <class TextBuffer, class ReadExactly>
void readText(TextBuffer& text, unsigned __int64 length, ReadExactly readExactly)
{
    std::size_t done = 0;
    while (done < length) {
        const std::size_t step = std::max(done, kFirstPiece);
        const auto piece = static_cast<std::size_t>(std::min<unsigned __int64>(length - done, step));
        text.Resize(done + piece);
        readExactly(text.Data() + done, piece * sizeof(*text.Data()));
        done += piece;
    }
}

// Kept out of line so that the read of every value stays small enough to inline.
[[noreturn, gnu::noinline, gnu::cold]] void throwStreamFailure(unsigned line)
{
    throw CbExceptionStream(kSource, line);
}

// A new object of the class registered as `name`, or null. Whatever goes
// wrong while the class is looked up or its object made only means that the
// chunk cannot be read as an object.
ISerializable* createSerializable(const wchar_t* name) noexcept
{
    try {
        if (CbRTTI::Find(name) == nullptr)
            return nullptr;
        IObject* object = CbRTTI::CreateObject(name);
        if (object == nullptr)
            return nullptr;
        // A registered class that is no ISerializable cannot read a form:
        // treat it like an unknown one rather than call into the wrong table.
        ISerializable* serializable = dynamic_cast<ISerializable*>(object);
        if (serializable == nullptr)
            delete object;
        return serializable;
    } catch (...) {
        return nullptr;
    }
}

} // namespace

unsigned __int64 CbStreamReadBinary::takeFromGetArea(void* buffer, unsigned __int64 count) noexcept
{
    const std::size_t taken = std::min<unsigned __int64>(count, available());
    cbf::platform::CopyBytes(buffer, m_getNext, taken);
    m_getNext += taken;
    return taken;
}

// Every decoder takes its bytes from the get area when they are all there
// and asks `read` otherwise, so a reader without an area sees exactly one
// call per value or field.
template <class Value>
void CbStreamReadBinary::readExactly(Value& value, unsigned line)
{
    if (available() >= sizeof value) [[likely]] {
        std::memcpy(&value, m_getNext, sizeof value);
        m_getNext += sizeof value;
        return;
    }
    if (read(&value, sizeof value) != sizeof value)
        throwStreamFailure(line);
}

void CbStreamReadBinary::readExactly(void* buffer, unsigned __int64 count, unsigned line)
{
    if (count != 0 && available() >= count) {
        cbf::platform::CopyBytes(buffer, m_getNext, count);
        m_getNext += count;
        return;
    }
    if (read(buffer, count) != count) [[unlikely]]
        throwStreamFailure(line);
}

CbStreamRead& CbStreamReadBinary::operator>>(CStringW& value)
{
    // Nearly every string is shorter than 255 units and, with an area, lies
    // in it whole: tag, length byte and text in one look.
    if (available() >= 4) {
        const unsigned char* head = m_getNext;
        const std::size_t units = head[3];
        if (head[0] == 0xFF && head[1] == 0xFE && head[2] == 0xFF && units < 0xFF &&
            available() - 4 >= units * sizeof(char16_t)) [[likely]] {
            m_getNext += 4 + units * sizeof(char16_t);
            assignShortUtf16(value, head + 4, units);
            return *this;
        }
    }
    // The rest out of line, so that a short string pays for no stack frame
    // of the long ones.
    [ this, &value ]() __attribute__((noinline))
    {
        const unsigned __int64 length = readStringLengthW();
        if (m_getNext != nullptr && length <= available() / sizeof(char16_t)) {
            const unsigned char* text = m_getNext;
            m_getNext += length * sizeof(char16_t);
            assignUtf16(value, text, static_cast<std::size_t>(length));
            return;
        }
        cbf::detail::TextBuffer<char16_t> units;
        readText(units, length,
                 [this](void* buffer, unsigned __int64 count) { readExactly(buffer, count, kLineWideText); });
        assignUtf16(value, reinterpret_cast<const unsigned char*>(units.Data()), units.Size());
    }
    ();
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(CStringA& value)
{
    const unsigned __int64 length = readStringLengthA();
    // Without an area even an empty text has no address to be taken from.
    if (m_getNext != nullptr && length <= available()) {
        const auto* text = reinterpret_cast<const char*>(m_getNext);
        m_getNext += length;
        assignText(value, text, lengthUpToNul(text, static_cast<std::size_t>(length)));
        return *this;
    }
    cbf::detail::TextBuffer<char> bytes;
    readText(bytes, length,
             [this](void* buffer, unsigned __int64 count) { readExactly(buffer, count, kLineNarrowText); });
    assignText(value, bytes.Data(), lengthUpToNul(bytes.Data(), bytes.Size()));
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(long& value)
{
    std::int32_t wire = 0;
    readExactly(wire, kLineLong);
    value = wire;
    return *this;
}

CbStreamRead& CbStreamReadBinary::operator>>(unsigned long& value)
{
    std::uint32_t wire = 0;
    readExactly(wire, kLineUnsignedLong);
    value = wire;
    return *this;
}

void CbStreamReadBinary::readFromSource(char& value)
{
    readExactly(value, kLineChar);
}

void CbStreamReadBinary::readFromSource(double& value)
{
    readExactly(value, kLineDouble);
}

void CbStreamReadBinary::readFromSource(float& value)
{
    readExactly(value, kLineFloat);
}

void CbStreamReadBinary::readFromSource(__int64& value)
{
    readExactly(value, kLineInt64);
}

void CbStreamReadBinary::readFromSource(unsigned __int64& value)
{
    readExactly(value, kLineUnsignedInt64);
}

void CbStreamReadBinary::readFromSource(int& value)
{
    readExactly(value, kLineInt);
}

void CbStreamReadBinary::readFromSource(unsigned int& value)
{
    readExactly(value, kLineUnsignedInt);
}

void CbStreamReadBinary::readFromSource(short& value)
{
    readExactly(value, kLineShort);
}

void CbStreamReadBinary::readFromSource(unsigned short& value)
{
    readExactly(value, kLineUnsignedShort);
}

void CbStreamReadBinary::readFromSource(signed char& value)
{
    readExactly(value, kLineSignedChar);
}

void CbStreamReadBinary::readFromSource(unsigned char& value)
{
    readExactly(value, kLineUnsignedChar);
}

void CbStreamReadBinary::readFromSource(bool& value)
{
    // Read as a byte: any non-zero byte is true, and a bool must never hold
    // another bit pattern than 0 or 1.
    unsigned char byte = 0;
    readExactly(byte, kLineBool);
    value = byte != 0;
}

ISerializable* CbStreamReadBinary::ReadChunk()
{
    CStringW name;
    unsigned __int64 size = 0;
    *this >> name >> size;

    ISerializable* object = createSerializable(name.GetString());
    if (object == nullptr) {
        skip(size);
        return nullptr;
    }
    try {
        object->Serialize(*this);
    } catch (...) {
        delete object;
        throw;
    }
    return object;
}

void CbStreamReadBinary::skip(unsigned __int64 count)
{
    // Whole blocks of the largest size first, then one block of each smaller
    // power of two that the rest contains. A source that delivers less than
    // a block has ended: the skip stops there without an error, so that a
    // corrupt size of up to 2^64 bytes cannot keep it reading nothing.
    unsigned char scratch[kSkipBlockSize];
    for (unsigned block = kSkipBlockSize; block != 0 && count != 0; block /= 2) {
        while (count >= block) {
            if (available() >= block)
                m_getNext += block;
            else if (read(scratch, block) != block)
                return;
            count -= block;
        }
    }
}

unsigned __int64 CbStreamReadBinary::ReadBuffer(void* buffer, unsigned __int64 count)
{
    if (count != 0 && available() >= count)
        return takeFromGetArea(buffer, count);
    return read(buffer, count);
}

// The length fields are read as the extraction operators of their types
// read them, and fail with the same lines, without dispatching through those
// operators once per field.

unsigned __int64 CbStreamReadBinary::readStringLengthA()
{
    unsigned int length = 0;
    readExactly(length, kLineUnsignedInt);
    return length;
}

unsigned __int64 CbStreamReadBinary::readStringLengthW()
{
    // The tag FF FE FF and the first length byte come in one read, since
    // nearly every string is shorter than 255 units. Data that ends among
    // them fails with the line of the field where it ended, as it would
    // field by field.
    unsigned char head[4] = {};
    unsigned __int64 delivered = sizeof head;
    if (available() >= sizeof head) {
        std::memcpy(head, m_getNext, sizeof head);
        m_getNext += sizeof head;
    } else {
        delivered = read(head, sizeof head);
    }
    if (delivered < 3)
        throwStreamFailure(delivered == 0 ? kLineUnsignedChar : kLineUnsignedShort);
    if (head[0] != 0xFF || head[1] != 0xFE || head[2] != 0xFF)
        throwStreamFailure(kLineMissingWideTag);
    if (delivered < 4)
        throwStreamFailure(kLineUnsignedChar);
    if (head[3] < 0xFF)
        return head[3];

    unsigned short length16 = 0;
    readExactly(length16, kLineUnsignedShort);
    if (length16 < 0xFFFF)
        return length16;
    unsigned int length32 = 0;
    readExactly(length32, kLineUnsignedInt);
    if (length32 < 0xFFFFFFFF)
        return length32;
    unsigned __int64 length64 = 0;
    readExactly(length64, kLineUnsignedInt64);
    return length64;
}
