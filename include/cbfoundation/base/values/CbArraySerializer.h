// CbArraySerializer: the binary form of a CbArray.
#pragma once

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/object/CbArray.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

/// Writes and reads one CbArray in the array record:
///
/// | field                    | bytes | written with         |
/// |--------------------------|-------|----------------------|
/// | marker 0xFFFFFFFF        | 4     | `unsigned int`       |
/// | format version 1         | 4     | WriteVersion         |
/// | element count n          | 4     | `unsigned int`       |
/// | element size             | 4     | `unsigned int`       |
/// | the elements, raw        | n × size | WriteBuffer       |
///
/// The reader also accepts the older record without marker and version,
/// which starts with the element count. It throws, with the source name
/// "CbArraySerializer":
/// - CbExceptionWrongFileVersion, line kNestedMarkerLine (391): a marked record whose count is
///   the marker again;
/// - CbExceptionWrongFileVersion, line kElementSizeLine (400): an element size other than the
///   array's;
/// - CbExceptionStream, line kTruncatedLine (405): the stream ends inside the
///   elements (the array then holds the elements that arrived);
/// and passes on the exceptions of the stream (a newer format version, data
/// ending inside the header).
///
///     CbArraySerializer<ByteArray>(bytes).Serialize(writer);
template <class ArrayT>
class CbArraySerializer
{
public:
    /// The array's element type.
    using Element = typename ArrayT::Element;

    /// The first field of a marked record.
    static constexpr unsigned int kMarker = 0xFFFFFFFFu;
    /// The format version the writer stamps and the reader accepts at most.
    static constexpr unsigned int kFormatVersion = 1;
    /// Lines of the exceptions the reader throws (see the class).
    /// @{
    static constexpr unsigned kNestedMarkerLine = 391;
    static constexpr unsigned kElementSizeLine = 400;
    static constexpr unsigned kTruncatedLine = 405;
    /// @}

    /// Reads into or writes from `array`, which must outlive the serializer.
    explicit CbArraySerializer(ArrayT& array)
        : m_array(array)
    {}

    /// Writes the array as a marked record of format version 1.
    void Serialize(CbStreamWriteBinary& stream) const
    {
        const unsigned int count = m_array.GetCount();
        stream << kMarker;
        stream.WriteVersion(kFormatVersion);
        stream << count << kElementSize;
        if (count > 0)
            stream.WriteBuffer(m_array.GetData(), byteSize(count));
    }

    /// Replaces the array's elements with the record read from `stream`.
    void Serialize(CbStreamReadBinary& stream)
    {
        unsigned int count = 0;
        stream >> count;
        if (count == kMarker) {
            stream.ReadAndCompareVersion(kFormatVersion);
            stream >> count;
            if (count == kMarker)
                throw CbExceptionWrongFileVersion(kSourceName, kNestedMarkerLine);
        }
        unsigned int elementSize = 0;
        stream >> elementSize;
        if (elementSize != kElementSize)
            throw CbExceptionWrongFileVersion(kSourceName, kElementSizeLine);
        readElements(stream, count);
    }

private:
    static constexpr const wchar_t* kSourceName = L"CbArraySerializer";
    static constexpr unsigned int kElementSize = sizeof(Element);

    // Counts up to this many bytes are trusted and read in one piece; a
    // larger count grows the array in doubling pieces as the data arrives,
    // so a corrupt count cannot claim more memory than the stream backs.
    static constexpr unsigned kTrustedBytes = 1u << 20;
    static constexpr unsigned kTrustedCount = kTrustedBytes / sizeof(Element);

    static unsigned __int64 byteSize(unsigned count) { return static_cast<unsigned __int64>(count) * sizeof(Element); }

    void readElements(CbStreamReadBinary& stream, unsigned count)
    {
        m_array.SetSize(0);
        unsigned done = 0;
        while (done < count) {
            const unsigned step = done > kTrustedCount ? done : kTrustedCount;
            const unsigned piece = count - done < step ? count - done : step;
            if (m_array.GetCapacity() < done + piece)
                m_array.SetCapacity(done + piece);
            m_array.SetSize(done + piece);
            readPiece(stream, done, piece);
            done += piece;
        }
    }

    void readPiece(CbStreamReadBinary& stream, unsigned first, unsigned count)
    {
        const unsigned __int64 arrived = stream.ReadBuffer(m_array.GetData() + first, byteSize(count));
        if (arrived < byteSize(count)) {
            m_array.SetSize(first + static_cast<unsigned>(arrived / sizeof(Element)));
            throw CbExceptionStream(kSourceName, kTruncatedLine);
        }
    }

    ArrayT& m_array;
};
