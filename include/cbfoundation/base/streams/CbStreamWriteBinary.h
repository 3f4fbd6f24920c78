// CbStreamWriteBinary: the writer of the library's binary encoding.
#pragma once

#include <cbfoundation/base/streams/CbStreamWrite.h>

#include <cstddef>
#include <cstring>

class ISerializable;

/// Encodes values in the library's binary form and hands the bytes to the
/// one primitive `write` that each concrete writer supplies (a file, a
/// compressed stream, memory).
///
/// The form is the little-endian memory image of each value, without tags,
/// padding or alignment: bool is 01 or 00; the char types 1 byte; short 2;
/// int, long, float 4; __int64, double 8 (floating-point values bit for bit,
/// NaN payloads and -0 included). Every primitive is one call of `write`, or
/// one copy into the put area of a stream that offers one (below).
///
/// A narrow string (`const char*`, CStringA) is its byte count as 32 bits
/// followed by its bytes. A wide string (`const wchar_t*`, CStringW) is
/// UTF-16LE on every platform: the tag FF FE FF, the number n of UTF-16 code
/// units (the byte n below 255; else FF and 16 bits below 65534; else FF FF FF
/// and 32 bits below 4294967295; else FF FF FF FF FF FF FF and 64 bits), then
/// the n code units. Characters above U+FFFF take two units (a surrogate
/// pair) where wchar_t holds them in one. The length is written through the
/// `unsigned char`, `unsigned short`, `unsigned int` and `unsigned __int64`
/// operators, then the text with one call of `write`. No terminator is
/// stored: examples, "abc" narrow is 03 00 00 00 61 62 63 and wide is
/// FF FE FF 03 61 00 62 00 63 00.
///
/// Values the form cannot hold throw CbExceptionStream with the source name
/// "CbStreamWriteBinary" (the lines are the ones the reader uses for the same
/// type), and nothing is written:
/// - line 288: a `long` outside the 32-bit range (where `long` is 64 bits);
/// - line 269: an `unsigned long` above 4294967295 (likewise);
/// - line 326: a narrow string of more than 4294967295 bytes.
///
/// String pointers must not be null.
///
/// A chunk (WriteChunk) is the object's class name as a wide string, the
/// byte count of its form as an unsigned __int64, then the form.
///
/// The put area. A concrete writer may offer the encoders a window on its
/// own buffer, so that values are copied straight into it instead of passing
/// through `write` one by one. The area is three pointers, set with
/// setPutArea: [putBase, putNext) holds the bytes the encoders have stored
/// and the stream has not taken yet, [putNext, putEnd) is free room.
/// - An encoder whose bytes fit the room (all of a value, or all of a length
///   field, or all of a string's text, or all of a WriteBuffer) copies them
///   to putNext and moves putNext on; `write` is not called.
///   The operator then returns the stream itself.
/// - Bytes that do not fit go to `write`, exactly as a stream without an area
///   receives them (the whole value or field in one call), so with an area
///   `write` only ever gets more bytes than the room left. The bytes in
///   [putBase, putNext) come before them: `write` must take those first (send
///   them on, or keep them where they are), then the bytes it is given (a
///   large count can go straight to the medium), and must leave an area whose
///   [putBase, putNext) holds no byte already taken, typically a fresh one:
///   setPutArea(buffer, buffer, buffer + size). If it throws, the area is
///   what it left. The encoders read the pointers again after every call.
/// - A stream that never sets an area (the default: all three null) receives
///   every value and field through `write`, one call each, as described
///   above, including the calls with a count of 0 (an empty string's text,
///   WriteBuffer of 0 bytes), which a stream with an area does not get.
/// - The encoders may write into the room beyond putNext without moving it
///   (a conversion that turns out not to fit the fast case); such bytes are
///   not stored. They never take bytes out of the area.
/// - Flushing is the concrete stream's business: its flush, finish or
///   destructor must take [putBase, putNext) itself before releasing the
///   buffer; this base class's destructor does nothing with the area.
/// - Copies and assignments of this base do not carry the area: a copy
///   starts without one, an assigned-to stream keeps its own.
class CB_API CbStreamWriteBinary : public CbStreamWrite
{
public:
    CbStreamWriteBinary() = default;
    /// Copies what the base holds, never the put area: a copy starts without
    /// one and an assigned stream keeps its own.
    /// @{
    CbStreamWriteBinary(const CbStreamWriteBinary& other) noexcept
        : CbStreamWrite(other)
    {}
    CbStreamWriteBinary& operator=(const CbStreamWriteBinary& other) noexcept
    {
        CbStreamWrite::operator=(other);
        return *this;
    }
    /// @}

    /// The string-object and formatted-text operators of the base.
    using CbStreamWrite::operator<<;

    /// As CbStreamWrite's: the text up to its first NUL. A stream without a
    /// put area receives it through the `const wchar_t*` operator.
    CbStreamWrite& operator<<(const CStringW& value) override;

    CbStreamWrite& operator<<(const wchar_t* value) override;
    CbStreamWrite& operator<<(const char* value) override;
    CbStreamWrite& operator<<(long value) override;
    CbStreamWrite& operator<<(unsigned long value) override;

    // The other primitives are stored inline into the put area, so that a
    // caller that knows its writer's class copies each value without a call.
    CbStreamWrite& operator<<(char value) override { return insert(value); }
    CbStreamWrite& operator<<(double value) override { return insert(value); }
    CbStreamWrite& operator<<(float value) override { return insert(value); }
    CbStreamWrite& operator<<(__int64 value) override { return insert(value); }
    CbStreamWrite& operator<<(unsigned __int64 value) override { return insert(value); }
    CbStreamWrite& operator<<(int value) override { return insert(value); }
    CbStreamWrite& operator<<(unsigned int value) override { return insert(value); }
    CbStreamWrite& operator<<(short value) override { return insert(value); }
    CbStreamWrite& operator<<(unsigned short value) override { return insert(value); }
    CbStreamWrite& operator<<(signed char value) override { return insert(value); }
    CbStreamWrite& operator<<(unsigned char value) override { return insert(value); }
    CbStreamWrite& operator<<(bool value) override { return insert(static_cast<unsigned char>(value ? 1 : 0)); }

    /// Writes `count` raw bytes, without a length prefix.
    CbStreamWrite& WriteBuffer(const void* buffer, unsigned __int64 count);

    /// Writes `object` as a chunk: the name of its descriptor, the size of its
    /// form, measured by letting it write the form into a byte counter first,
    /// then the form. A null reference throws CbException (source
    /// "CbStreamWriteBinary", line 321, function
    /// "CbStreamWriteBinary::WriteChunk").
    void WriteChunk(const ISerializable& object);

    CB_DECLARE_RTTI(CbStreamWriteBinary)

protected:
    /// The medium: takes `count` bytes from `buffer`, throws when it cannot.
    /// With a put area, the bytes in [putBase, putNext) come first (see the
    /// class comment).
    virtual CbStreamWrite& write(const void* buffer, unsigned __int64 count) = 0;

    /// Offers [base, end) to the encoders, of which [base, next) already
    /// holds bytes not yet taken. All null withdraws the area.
    void setPutArea(unsigned char* base, unsigned char* next, unsigned char* end) noexcept
    {
        m_putBase = base;
        m_putNext = next;
        m_putEnd = end;
    }

    /// The start of the bytes stored in the area and not yet taken.
    unsigned char* putBase() const noexcept { return m_putBase; }

    /// Where the encoders store the next byte.
    unsigned char* putNext() const noexcept { return m_putNext; }

    /// The end of the area.
    unsigned char* putEnd() const noexcept { return m_putEnd; }

private:
    void writeStringLengthA(unsigned __int64 length);
    void writeStringLengthW(unsigned __int64 length);
    template <class Value>
    CbStreamWrite& insert(const Value& value)
    {
        if (static_cast<std::size_t>(m_putEnd - m_putNext) >= sizeof value) [[likely]] {
            std::memcpy(m_putNext, &value, sizeof value);
            m_putNext += sizeof value;
            return *this;
        }
        return write(&value, sizeof value);
    }
    bool putText(const void* text, std::size_t bytes);
    bool putWide(const wchar_t* text, std::size_t length);
    bool putSimpleWide(const wchar_t* text, std::size_t length);

    unsigned char* m_putBase = nullptr;
    unsigned char* m_putNext = nullptr;
    unsigned char* m_putEnd = nullptr;
};
