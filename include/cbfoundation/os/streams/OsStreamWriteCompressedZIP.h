// OsStreamWriteCompressedZIP: a binary writer that deflates into another binary writer.
#pragma once

#include <cbfoundation/os/streams/OsStreamFilter.h>

#include <memory>

struct z_stream_s;

/// Deflates everything written to it into a zlib stream (RFC 1950, zlib's
/// default window and memory level) that goes to the wrapped writer in pieces
/// of up to 1024 bytes. Small writes are gathered in a 1024-byte buffer, which
/// the encoders fill as their put area (see CbStreamWriteBinary); whenever
/// the gathered bytes would reach 1024 they are deflated, and a write of more
/// than 512 bytes that does not fit is deflated directly.
///
/// The zlib stream is complete only once the filter is destroyed: the
/// destructor deflates what is gathered and writes the trailer, so the wrapped
/// writer must still be alive then. A writer destroyed without any write
/// leaves the 8 bytes 78 9C 03 00 00 00 00 01 (default level).
///
/// Failures: a level outside the enumeration throws
/// CbExceptionPreconditionViolation (source "OsStreamWriteCompressedZIP",
/// line 43); zlib refusing to initialise throws CbExceptionStream (same
/// source, line 100). An exception of the wrapped writer passes through
/// unchanged and marks the filter failed: from then on its destructor writes
/// nothing more and throws nothing.
///
/// The destructor passes on a failure of the wrapped writer while writing the
/// end of the stream, except while another exception is unwinding through
/// it: throwing then would end the process, so the failure is dropped, the
/// exception in flight is the one the caller sees, and the output lacks its
/// end. Either way zlib's state and the buffers are released and an owned
/// wrapped writer is destroyed.
class CB_API OsStreamWriteCompressedZIP : public OsStreamFilter<CbStreamWriteBinary, CbStreamWriteBinary>
{
public:
    /// The compression level, mapped to zlib's.
    enum ECompressionLevel : int
    {
        /// zlib's default level (-1).
        eCompressionLevelDefault = 0,
        /// zlib level 1.
        eCompressionLevelFastest = 1,
        /// zlib level 9.
        eCompressionLevelBest = 2
    };

    /// Borrows `stream`, which must outlive the filter.
    OsStreamWriteCompressedZIP(CbStreamWriteBinary& stream, ECompressionLevel level);
    /// Owns `stream`; an empty pointer is refused (see OsStreamFilter).
    OsStreamWriteCompressedZIP(std::unique_ptr<CbStreamWriteBinary> stream, ECompressionLevel level);

    ~OsStreamWriteCompressedZIP() override;

protected:
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override;

private:
    // The binary file writer hands nothing more to a failed filter.
    friend class OsStreamWriteBinaryFile;

    void init(int level);
    void deflateToStream(const unsigned char* data, unsigned __int64 count, int flush);
    void deflatePiece(const unsigned char* data, unsigned count, int flush);
    // The bytes gathered in the input buffer, [putBase, putNext).
    unsigned __int64 pending() const;
    void emptyInput();

    std::unique_ptr<z_stream_s> m_zlib;
    std::unique_ptr<unsigned char[]> m_output;
    std::unique_ptr<unsigned char[]> m_input;
    bool m_failed = false;
    int m_uncaughtExceptions;
};
