// OsStreamWriteCompressedZIP: gathering small writes, deflating into the wrapped writer, finishing on destruction.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>

#include <cbfoundation/platform/CopyBytes.h>

#include "os/streams/StreamFailures.h"

#include <zlib.h>

#include <algorithm>

namespace {

constexpr unsigned kOutputSize = 1024;
constexpr unsigned kInputSize = 1024;
// A write of more than this many bytes that does not fit the input buffer is
// deflated without copying it first.
constexpr unsigned __int64 kDirectWriteThreshold = 512;
// zlib counts in 32 bits: larger writes are deflated in pieces of this size.
constexpr unsigned kLargestPiece = 1u << 30;

int zlibLevel(OsStreamWriteCompressedZIP::ECompressionLevel level)
{
    switch (level) {
    case OsStreamWriteCompressedZIP::eCompressionLevelDefault:
        return Z_DEFAULT_COMPRESSION;
    case OsStreamWriteCompressedZIP::eCompressionLevelFastest:
        return Z_BEST_SPEED;
    case OsStreamWriteCompressedZIP::eCompressionLevelBest:
        return Z_BEST_COMPRESSION;
    }
    throw CbExceptionPreconditionViolation(L"OsStreamWriteCompressedZIP", 43);
}

} // namespace

OsStreamWriteCompressedZIP::OsStreamWriteCompressedZIP(CbStreamWriteBinary& stream, ECompressionLevel level)
    : OsStreamFilter(stream)
    , m_zlib(std::make_unique<z_stream>())
    , m_output(std::make_unique<unsigned char[]>(kOutputSize))
    , m_input(std::make_unique<unsigned char[]>(kInputSize))
    , m_uncaughtExceptions(cbf::streams::DestructorFailure::Snapshot())
{
    init(zlibLevel(level));
}

OsStreamWriteCompressedZIP::OsStreamWriteCompressedZIP(std::unique_ptr<CbStreamWriteBinary> stream,
                                                       ECompressionLevel level)
    : OsStreamFilter(std::move(stream))
    , m_zlib(std::make_unique<z_stream>())
    , m_output(std::make_unique<unsigned char[]>(kOutputSize))
    , m_input(std::make_unique<unsigned char[]>(kInputSize))
    , m_uncaughtExceptions(cbf::streams::DestructorFailure::Snapshot())
{
    init(zlibLevel(level));
}

OsStreamWriteCompressedZIP::~OsStreamWriteCompressedZIP()
{
    std::exception_ptr failure;
    if (!m_failed) {
        try {
            deflateToStream(m_input.get(), pending(), Z_FINISH);
            emptyInput();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    deflateEnd(m_zlib.get());
    cbf::streams::DestructorFailure::Report(failure, m_uncaughtExceptions);
}

void OsStreamWriteCompressedZIP::init(int level)
{
    *m_zlib = z_stream{};
    if (deflateInit_(m_zlib.get(), level, ZLIB_VERSION, static_cast<int>(sizeof(z_stream))) != Z_OK)
        throw CbExceptionStream(L"OsStreamWriteCompressedZIP", 100);
    emptyInput();
}

// The input buffer is the encoders' put area, one byte short of its size: a
// value that would fill it comes here instead, so the gathered bytes are
// deflated at the same moments as when every value arrived through here.
CbStreamWrite& OsStreamWriteCompressedZIP::write(const void* buffer, unsigned __int64 count)
{
    const auto* data = static_cast<const unsigned char*>(buffer);
    if (pending() + count >= kInputSize) {
        deflateToStream(m_input.get(), pending(), Z_NO_FLUSH);
        emptyInput();
        if (count > kDirectWriteThreshold) {
            deflateToStream(data, count, Z_NO_FLUSH);
            return *this;
        }
    }
    cbf::platform::CopyBytes(putNext(), data, static_cast<std::size_t>(count));
    setPutArea(putBase(), putNext() + count, putEnd());
    return *this;
}

unsigned __int64 OsStreamWriteCompressedZIP::pending() const
{
    return static_cast<unsigned __int64>(putNext() - putBase());
}

void OsStreamWriteCompressedZIP::emptyInput()
{
    setPutArea(m_input.get(), m_input.get(), m_input.get() + kInputSize - 1);
}

void OsStreamWriteCompressedZIP::deflateToStream(const unsigned char* data, unsigned __int64 count, int flush)
{
    do {
        const auto piece = static_cast<unsigned>(std::min<unsigned __int64>(count, kLargestPiece));
        data += piece;
        count -= piece;
        deflatePiece(data - piece, piece, count == 0 ? flush : Z_NO_FLUSH);
    } while (count != 0);
}

// Hands every byte deflate produces to the wrapped writer, until a call of
// deflate leaves room in the output buffer (it then has nothing more).
void OsStreamWriteCompressedZIP::deflatePiece(const unsigned char* data, unsigned count, int flush)
{
    z_stream& zlib = *m_zlib;
    zlib.next_in = const_cast<unsigned char*>(data);
    zlib.avail_in = count;
    do {
        zlib.next_out = m_output.get();
        zlib.avail_out = kOutputSize;
        deflate(&zlib, flush);
        try {
            getStream().WriteBuffer(m_output.get(), kOutputSize - zlib.avail_out);
        } catch (...) {
            m_failed = true;
            throw;
        }
    } while (zlib.avail_out == 0);
}
