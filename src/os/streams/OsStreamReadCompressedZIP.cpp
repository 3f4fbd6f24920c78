// OsStreamReadCompressedZIP: inflating the wrapped reader's bytes through a buffer for small reads.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamReadCompressedZIP.h>

#include <cbfoundation/platform/CopyBytes.h>

#include <zlib.h>

#include <algorithm>

namespace {

constexpr unsigned kInputSize = 1024;
constexpr unsigned kOutputSize = 3072;
// Below this many bytes a read goes through the output buffer, so that each
// call of inflate produces a useful amount.
constexpr unsigned __int64 kDirectReadThreshold = kOutputSize / 2;
// zlib counts in 32 bits: larger requests are inflated in pieces of this size.
constexpr unsigned kLargestPiece = 1u << 30;

} // namespace

OsStreamReadCompressedZIP::OsStreamReadCompressedZIP(CbStreamReadBinary& stream)
    : OsStreamFilter(stream)
    , m_zlib(std::make_unique<z_stream>())
    , m_input(std::make_unique<unsigned char[]>(kInputSize))
    , m_output(std::make_unique<unsigned char[]>(kOutputSize))
{
    init();
}

OsStreamReadCompressedZIP::OsStreamReadCompressedZIP(std::unique_ptr<CbStreamReadBinary> stream)
    : OsStreamFilter(std::move(stream))
    , m_zlib(std::make_unique<z_stream>())
    , m_input(std::make_unique<unsigned char[]>(kInputSize))
    , m_output(std::make_unique<unsigned char[]>(kOutputSize))
{
    init();
}

OsStreamReadCompressedZIP::~OsStreamReadCompressedZIP()
{
    inflateEnd(m_zlib.get());
}

void OsStreamReadCompressedZIP::init()
{
    *m_zlib = z_stream{};
    if (inflateInit_(m_zlib.get(), ZLIB_VERSION, static_cast<int>(sizeof(z_stream))) != Z_OK)
        throw CbExceptionStream(L"OsStreamReadCompressedZIP", 207);
}

// The inflated bytes waiting in the output buffer are the decoders' get
// area; they come here when it runs short.
unsigned __int64 OsStreamReadCompressedZIP::read(void* buffer, unsigned __int64 count)
{
    auto* destination = static_cast<unsigned char*>(buffer);
    const unsigned __int64 copied = copyFromInflatedBuffer(destination, count);
    if (copied == count)
        return count;
    const unsigned __int64 rest = count - copied;
    if (rest >= kDirectReadThreshold)
        return copied + inflateToBuffer(destination + copied, rest);
    const unsigned __int64 inflated = inflateToBuffer(m_output.get(), kOutputSize);
    setGetArea(m_output.get(), m_output.get() + inflated);
    return copied + copyFromInflatedBuffer(destination + copied, rest);
}

unsigned __int64 OsStreamReadCompressedZIP::copyFromInflatedBuffer(unsigned char* destination, unsigned __int64 count)
{
    return takeFromGetArea(destination, count);
}

unsigned __int64 OsStreamReadCompressedZIP::inflateToBuffer(unsigned char* destination, unsigned __int64 count)
{
    unsigned __int64 total = 0;
    while (total < count) {
        const auto piece = static_cast<unsigned>(std::min<unsigned __int64>(count - total, kLargestPiece));
        const unsigned got = inflatePiece(destination + total, piece);
        total += got;
        if (got < piece)
            break;
    }
    return total;
}

// Inflates until `count` bytes are out or the wrapped stream has ended and
// been fed in. zlib's return codes are not needed: a corrupt stream simply
// stops producing output.
unsigned OsStreamReadCompressedZIP::inflatePiece(unsigned char* destination, unsigned count)
{
    z_stream& zlib = *m_zlib;
    zlib.next_out = destination;
    zlib.avail_out = count;
    inflate(&zlib, m_endOfInput ? Z_FINISH : Z_NO_FLUSH);
    while (zlib.avail_out != 0 && !m_endOfInput) {
        const unsigned __int64 got = getStream().ReadBuffer(m_input.get(), kInputSize);
        m_endOfInput = got < kInputSize;
        zlib.next_in = m_input.get();
        zlib.avail_in = static_cast<unsigned>(got);
        inflate(&zlib, m_endOfInput ? Z_FINISH : Z_NO_FLUSH);
    }
    return count - zlib.avail_out;
}
