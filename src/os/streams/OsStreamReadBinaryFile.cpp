// OsStreamReadBinaryFile: opening a file, telling plain files from archives by the header, and the archive adapter.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamReadCompressedZIP.h>
#include <cbfoundation/platform/CArchive.h>

#include "os/streams/ContainerHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const wchar_t* kSource = L"OsStreamReadBinaryFile";
constexpr std::size_t kWindowSize = 64 * 1024;

bool hasMagic(const unsigned char* header)
{
    return std::memcmp(header, cbf::streams::kContainerMagic, cbf::streams::kMagicSize) == 0 ||
           std::memcmp(header, cbf::streams::kAlternativeContainerMagic, cbf::streams::kMagicSize) == 0;
}

// Reads through a CArchive, which counts in 32 bits.
class CStreamReadBinaryArchive : public CbStreamReadBinary
{
public:
    explicit CStreamReadBinaryArchive(CArchive& archive)
        : m_archive(&archive)
    {
        if (!archive.IsLoading())
            throw CbExceptionStream(kSource, 63);
    }

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override
    {
        auto* next = static_cast<unsigned char*>(buffer);
        unsigned __int64 total = 0;
        while (total < count) {
            const auto piece = static_cast<unsigned>(std::min<unsigned __int64>(count - total, 0xFFFFFFFFu));
            const unsigned got = m_archive->Read(next + total, piece);
            total += got;
            if (got < piece)
                break;
        }
        return total;
    }

private:
    CArchive* m_archive;
};

} // namespace

OsStreamReadBinaryFile::OsStreamReadBinaryFile(const CStringW& path)
    : m_filename(path)
{
    init(std::make_unique<OsStreamReadBinaryFileRaw>(path.GetString()));
}

OsStreamReadBinaryFile::OsStreamReadBinaryFile(OsFileSystem::ESpecialDirectory directory, const CStringW& name)
    : OsStreamReadBinaryFile(OsFileSystem::GetDirectory(directory) + name)
{}

OsStreamReadBinaryFile::OsStreamReadBinaryFile(CArchive& archive)
    : m_stream(std::make_unique<CStreamReadBinaryArchive>(archive))
    , m_filename(archive.GetFile()->GetFileName())
{}

OsStreamReadBinaryFile::~OsStreamReadBinaryFile() = default;

// The get area of a plain file is the raw reader's: the decoders take values
// straight out of its buffer, and only when that runs short does the raw
// reader, told first how far they got, read on and set the area shared next.
unsigned __int64 OsStreamReadBinaryFile::readSharingArea(void* buffer, unsigned __int64 count)
{
    m_raw->setGetArea(getNext(), getEnd());
    const unsigned __int64 got = m_raw->ReadBuffer(buffer, count);
    setGetArea(m_raw->getNext(), m_raw->getEnd());
    return got;
}

void OsStreamReadBinaryFile::shareArea(std::unique_ptr<OsStreamReadBinaryFileRaw> raw)
{
    m_raw = raw.get();
    setGetArea(raw->getNext(), raw->getEnd());
    m_stream = std::move(raw);
}

// The zlib reader inflates a request of 1536 bytes or more straight into the
// caller's memory, which here is a window large enough for zlib to spend
// nearly all its time in its fast loop; the decoders take values out of it.
unsigned __int64 OsStreamReadBinaryFile::readThroughWindow(void* buffer, unsigned __int64 count)
{
    auto* destination = static_cast<unsigned char*>(buffer);
    const unsigned __int64 taken = takeFromGetArea(destination, count);
    const unsigned __int64 rest = count - taken;
    if (rest == 0)
        return count;
    if (rest >= kWindowSize)
        return taken + m_stream->ReadBuffer(destination + taken, rest);
    const unsigned __int64 got = m_stream->ReadBuffer(m_window.get(), kWindowSize);
    setGetArea(m_window.get(), m_window.get() + got);
    return taken + takeFromGetArea(destination + taken, rest);
}

unsigned __int64 OsStreamReadBinaryFile::read(void* buffer, unsigned __int64 count)
{
    if (m_window != nullptr)
        return readThroughWindow(buffer, count);
    if (m_raw != nullptr)
        return readSharingArea(buffer, count);
    return m_stream->ReadBuffer(buffer, count);
}

void OsStreamReadBinaryFile::init(std::unique_ptr<OsStreamReadBinaryFileRaw> stream)
{
    unsigned char header[cbf::streams::kHeaderSize];
    if (stream->Peek(header, sizeof(header)) < sizeof(header) || !hasMagic(header)) {
        shareArea(std::move(stream));
        return;
    }
    if (stream->ReadBuffer(header, sizeof(header)) < sizeof(header))
        throw CbExceptionStream(kSource, 154);
    switch (cbf::streams::ReadLittleEndian32(header + cbf::streams::kMethodOffset)) {
    case cbf::streams::kMethodStored:
        shareArea(std::move(stream));
        return;
    case cbf::streams::kMethodZlib:
        m_stream = std::make_unique<OsStreamReadCompressedZIP>(std::move(stream));
        m_window = std::make_unique<unsigned char[]>(kWindowSize);
        return;
    case 1:
        throw CbExceptionStream(kSource, 164);
    default:
        throw CbExceptionStream(kSource, 181);
    }
}
