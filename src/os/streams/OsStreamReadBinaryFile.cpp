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

unsigned __int64 OsStreamReadBinaryFile::read(void* buffer, unsigned __int64 count)
{
    return m_stream->ReadBuffer(buffer, count);
}

void OsStreamReadBinaryFile::init(std::unique_ptr<OsStreamReadBinaryFileRaw> stream)
{
    unsigned char header[cbf::streams::kHeaderSize];
    if (stream->Peek(header, sizeof(header)) < sizeof(header) || !hasMagic(header)) {
        m_stream = std::move(stream);
        return;
    }
    if (stream->ReadBuffer(header, sizeof(header)) < sizeof(header))
        throw CbExceptionStream(kSource, 154);
    switch (cbf::streams::ReadLittleEndian32(header + cbf::streams::kMethodOffset)) {
    case cbf::streams::kMethodStored:
        m_stream = std::move(stream);
        return;
    case cbf::streams::kMethodZlib:
        m_stream = std::make_unique<OsStreamReadCompressedZIP>(std::move(stream));
        return;
    case 1:
        throw CbExceptionStream(kSource, 164);
    default:
        throw CbExceptionStream(kSource, 181);
    }
}
