// CbStreamReadBinary: the reader of the library's binary encoding.
#pragma once

#include <cbfoundation/base/streams/CbStreamRead.h>

#include <cstddef>
#include <cstring>

class ISerializable;

/// Decodes the binary form that CbStreamWriteBinary writes, from whatever
/// source the concrete reader supplies through the one primitive `read`.
///
/// Each primitive is its little-endian memory image of fixed width (bool,
/// the char types 1 byte; short 2; int, long, float 4; __int64, double 8),
/// read with one call of `read` straight into the destination. `bool` reads
/// any non-zero byte as true. `long` and `unsigned long` read 4 bytes and
/// are sign- or zero-extended where `long` is wider.
///
/// A narrow string is a 32-bit byte count and the bytes. A wide string is
/// the tag FF FE FF, a length in UTF-16 code units (1 byte below 255; else
/// FF and 16 bits below 65535; else FF FF FF and 32 bits below 4294967295;
/// else FF FF FF FF FF FF FF and 64 bits) and the UTF-16LE code units, which
/// become wchar_t text (surrogate pairs become one character where wchar_t
/// is 32 bits wide; an unpaired surrogate stays one unit). A string that
/// contains NUL is cut at the first one. The text is read in pieces that grow
/// with what has arrived, so a corrupt length fails at the end of the data
/// without first reserving the memory it claims.
///
/// Failures throw CbExceptionStream with the source name "CbStreamReadBinary"
/// and a line that identifies the operation:
///
/// | data ends inside | line | | data ends inside | line |
/// |---|---|---|---|---|
/// | bool | 39 | | __int64 | 193 |
/// | unsigned char | 60 | | float | 212 |
/// | signed char | 79 | | double | 231 |
/// | unsigned short | 98 | | char | 250 |
/// | short | 117 | | unsigned long | 269 |
/// | unsigned int | 136 | | long | 288 |
/// | int | 155 | | the text of a wide string | 307 |
/// | unsigned __int64 | 174 | | the text of a narrow string | 326 |
///
/// A wide string that does not begin with the tag FF FE FF throws line 397.
/// Data ending inside the length fields of a string throws the line of the
/// field's type: 136 for a narrow length; 60 (the first tag byte, the first
/// length byte), 98 (the tag's 16 bits, a 16-bit length), 136 or 174 inside a
/// wide one. The tag and the first length byte come with one read of 4 bytes,
/// so a wrong tag has consumed up to 4 bytes. A string whose read fails leaves
/// its destination as it was; a failing primitive may have overwritten part
/// of its destination with the bytes that did arrive.
///
/// The get area. A concrete reader may offer the decoders a window on bytes
/// it has already fetched, so that values are copied straight out of it
/// instead of passing through `read` one by one. The area is two pointers,
/// set with setGetArea: [getNext, getEnd) are the next bytes of the stream,
/// not yet consumed. The stream's position is getNext.
/// - A decoder whose bytes are all in the area (all of a value, a length
///   field, the 4 bytes of a wide string's tag and first length byte, a
///   string's text, a ReadBuffer, a block of a skipped chunk) copies them out
///   and moves getNext on; `read` is not called.
/// - Otherwise the decoder calls `read` as a stream without an area sees it
///   (the whole value or field in one call), so with an area `read` is only
///   ever asked for more bytes than the area holds. It must deliver the bytes
///   left in the area first and consume them (takeFromGetArea does both),
///   then continue from its source (a large rest can go straight from the
///   source into the caller's buffer), and may then set a new area over a
///   refilled buffer. Fewer bytes than asked mean the source has ended, and
///   the decoders throw exactly as described above. The decoders read the
///   pointers again after every call of `read`.
/// - A reader that never sets an area (the default: both null) sees every
///   value and field through `read`, one call each, including ReadBuffer of
///   0 bytes, which a reader with an area does not get.
/// - A reader that can look ahead without consuming (a Peek) must look at
///   [getNext, getEnd) first. Bytes in the area belong to the stream, not
///   to the decoders: a concrete reader may drop or replace the area at any
///   time between two calls of its operators.
/// - Copies and assignments of this base do not carry the area: a copy
///   starts without one, an assigned-to reader keeps its own.
class CB_API CbStreamReadBinary : public CbStreamRead
{
public:
    CbStreamReadBinary() = default;
    /// Copies what the base holds, never the get area: a copy starts without
    /// one and an assigned stream keeps its own.
    /// @{
    CbStreamReadBinary(const CbStreamReadBinary& other) noexcept
        : CbStreamRead(other)
    {}
    CbStreamReadBinary& operator=(const CbStreamReadBinary& other) noexcept
    {
        CbStreamRead::operator=(other);
        return *this;
    }
    /// @}

    /// The base's operators that the binary encoding does not override.
    using CbStreamRead::operator>>;

    CbStreamRead& operator>>(CStringW& value) override;
    CbStreamRead& operator>>(CStringA& value) override;
    CbStreamRead& operator>>(long& value) override;
    CbStreamRead& operator>>(unsigned long& value) override;

    // The other primitives are decoded inline from the get area, so that a
    // caller that knows its reader's class copies each value without a call.
    CbStreamRead& operator>>(char& value) override { return extract(value); }
    CbStreamRead& operator>>(double& value) override { return extract(value); }
    CbStreamRead& operator>>(float& value) override { return extract(value); }
    CbStreamRead& operator>>(__int64& value) override { return extract(value); }
    CbStreamRead& operator>>(unsigned __int64& value) override { return extract(value); }
    CbStreamRead& operator>>(int& value) override { return extract(value); }
    CbStreamRead& operator>>(unsigned int& value) override { return extract(value); }
    CbStreamRead& operator>>(short& value) override { return extract(value); }
    CbStreamRead& operator>>(unsigned short& value) override { return extract(value); }
    CbStreamRead& operator>>(signed char& value) override { return extract(value); }
    CbStreamRead& operator>>(unsigned char& value) override { return extract(value); }
    CbStreamRead& operator>>(bool& value) override
    {
        // Any non-zero byte is true; a bool never holds another bit pattern.
        if (m_getNext != m_getEnd) [[likely]]
            value = *m_getNext++ != 0;
        else
            readFromSource(value);
        return *this;
    }

    CB_DECLARE_RTTI(CbStreamReadBinary)

    /// Reads up to `count` raw bytes, without a length prefix, and returns how
    /// many arrived (fewer only at the end of the source). Checks nothing.
    virtual unsigned __int64 ReadBuffer(void* buffer, unsigned __int64 count);

    /// Reads a chunk that CbStreamWriteBinary::WriteChunk wrote and returns
    /// the object it holds, which the caller owns, or null.
    ///
    /// The object is made by the create function registered under the
    /// chunk's class name and reads its own form. When no object can be made
    /// (the name is unknown, registered without a create function, or its
    /// create function fails or makes an object that is not ISerializable),
    /// the form is skipped and the answer is null; no exception is raised
    /// for that, and a source that ends inside the skipped form ends the skip
    /// quietly. Failures reading the name or the size throw as the operators
    /// do; an exception from the object's own read passes on after the
    /// object is destroyed. The size is not compared with what the object
    /// read, so the stream is at the next chunk only when it agrees.
    ISerializable* ReadChunk();

protected:
    /// The source: places up to `count` bytes in `buffer` and returns how
    /// many it placed, fewer than `count` only when the source ends.
    /// With a get area, the bytes left in it come first (see the class
    /// comment).
    virtual unsigned __int64 read(void* buffer, unsigned __int64 count) = 0;

    /// Offers [next, end) as the next bytes of the stream. Both null
    /// withdraws the area.
    void setGetArea(const unsigned char* next, const unsigned char* end) noexcept
    {
        m_getNext = next;
        m_getEnd = end;
    }

    /// The next byte of the stream, when the area is not empty.
    const unsigned char* getNext() const noexcept { return m_getNext; }

    /// The end of the area.
    const unsigned char* getEnd() const noexcept { return m_getEnd; }

    /// Copies up to `count` bytes from the area to `buffer`, consumes them
    /// and returns how many it copied (all of the area, at most `count`):
    /// the first step of a `read` over an area.
    unsigned __int64 takeFromGetArea(void* buffer, unsigned __int64 count) noexcept;

private:
    template <class Value>
    CbStreamRead& extract(Value& value)
    {
        if (static_cast<std::size_t>(m_getEnd - m_getNext) >= sizeof value) [[likely]] {
            std::memcpy(&value, m_getNext, sizeof value);
            m_getNext += sizeof value;
        } else {
            readFromSource(value);
        }
        return *this;
    }

    // A value that the get area does not hold whole, through `read`; each
    // throws the line of its type when the source ends.
    void readFromSource(bool& value);
    void readFromSource(char& value);
    void readFromSource(double& value);
    void readFromSource(float& value);
    void readFromSource(__int64& value);
    void readFromSource(unsigned __int64& value);
    void readFromSource(int& value);
    void readFromSource(unsigned int& value);
    void readFromSource(short& value);
    void readFromSource(unsigned short& value);
    void readFromSource(signed char& value);
    void readFromSource(unsigned char& value);

    template <class Value>
    void readExactly(Value& value, unsigned line);
    void readExactly(void* buffer, unsigned __int64 count, unsigned line);
    void skip(unsigned __int64 count);
    unsigned __int64 readStringLengthA();
    unsigned __int64 readStringLengthW();
    std::size_t available() const noexcept { return static_cast<std::size_t>(m_getEnd - m_getNext); }

    const unsigned char* m_getNext = nullptr;
    const unsigned char* m_getEnd = nullptr;
};
