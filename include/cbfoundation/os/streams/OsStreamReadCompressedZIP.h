// OsStreamReadCompressedZIP: a binary reader that inflates a zlib stream read from another binary reader.
#pragma once

#include <cbfoundation/os/streams/OsStreamFilter.h>

#include <memory>

struct z_stream_s;

/// Reads the inflated bytes of a zlib stream (RFC 1950) that the wrapped
/// reader delivers. Compressed bytes are taken from it in pieces of 1024;
/// reads of fewer than 1536 bytes are served from a 3072-byte buffer of
/// inflated bytes, the decoders' get area (see CbStreamReadBinary); larger
/// ones are inflated straight into the caller's memory.
///
/// Corrupt, truncated or foreign data raises nothing here: `read` delivers
/// fewer bytes than asked (possibly none), which the extraction operators
/// turn into CbExceptionStream. Bytes after the end of the zlib stream are
/// read and ignored. Failures of the wrapped reader pass through.
///
/// The constructor throws CbExceptionStream (source
/// "OsStreamReadCompressedZIP", line 207) when zlib cannot be initialised.
class CB_API OsStreamReadCompressedZIP : public OsStreamFilter<CbStreamReadBinary, CbStreamReadBinary>
{
public:
    /// Borrows `stream`, which must outlive the filter.
    explicit OsStreamReadCompressedZIP(CbStreamReadBinary& stream);
    /// Owns `stream`; an empty pointer is refused (see OsStreamFilter).
    explicit OsStreamReadCompressedZIP(std::unique_ptr<CbStreamReadBinary> stream);

    ~OsStreamReadCompressedZIP() override;

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override;

private:
    void init();
    unsigned __int64 inflateToBuffer(unsigned char* destination, unsigned __int64 count);
    unsigned __int64 copyFromInflatedBuffer(unsigned char* destination, unsigned __int64 count);
    unsigned inflatePiece(unsigned char* destination, unsigned count);

    std::unique_ptr<z_stream_s> m_zlib;
    std::unique_ptr<unsigned char[]> m_input;
    // Inflated bytes not yet delivered are [getNext, getEnd) within it.
    std::unique_ptr<unsigned char[]> m_output;
    bool m_endOfInput = false;
};
