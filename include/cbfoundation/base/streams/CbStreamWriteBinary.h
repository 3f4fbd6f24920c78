// CbStreamWriteBinary: the writer of the library's binary encoding.
#pragma once

#include <cbfoundation/base/streams/CbStreamWrite.h>

class ISerializable;

/// Encodes values in the library's binary form and hands the bytes to the
/// one primitive `write` that each concrete writer supplies (a file, a
/// compressed stream, memory).
///
/// The form is the little-endian memory image of each value, without tags,
/// padding or alignment: bool is 01 or 00; the char types 1 byte; short 2;
/// int, long, float 4; __int64, double 8 (floating-point values bit for bit,
/// NaN payloads and -0 included). Every primitive is one call of `write`.
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
class CB_API CbStreamWriteBinary : public CbStreamWrite
{
public:
    CbStreamWriteBinary() = default;
    /// Copies; this base holds no state of its own.
    /// @{
    CbStreamWriteBinary(const CbStreamWriteBinary&) = default;
    CbStreamWriteBinary& operator=(const CbStreamWriteBinary&) = default;
    /// @}

    /// The string-object and formatted-text operators of the base.
    using CbStreamWrite::operator<<;

    CbStreamWrite& operator<<(const wchar_t* value) override;
    CbStreamWrite& operator<<(const char* value) override;
    CbStreamWrite& operator<<(long value) override;
    CbStreamWrite& operator<<(unsigned long value) override;
    CbStreamWrite& operator<<(char value) override;
    CbStreamWrite& operator<<(double value) override;
    CbStreamWrite& operator<<(float value) override;
    CbStreamWrite& operator<<(__int64 value) override;
    CbStreamWrite& operator<<(unsigned __int64 value) override;
    CbStreamWrite& operator<<(int value) override;
    CbStreamWrite& operator<<(unsigned int value) override;
    CbStreamWrite& operator<<(short value) override;
    CbStreamWrite& operator<<(unsigned short value) override;
    CbStreamWrite& operator<<(signed char value) override;
    CbStreamWrite& operator<<(unsigned char value) override;
    CbStreamWrite& operator<<(bool value) override;

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
    virtual CbStreamWrite& write(const void* buffer, unsigned __int64 count) = 0;

private:
    void writeStringLengthA(unsigned __int64 length);
    void writeStringLengthW(unsigned __int64 length);
};
