// OsStreamWriteBinaryFile: plain files, the compressed-archive container and its length patch, and the archive adapter.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>
#include <cbfoundation/platform/CArchive.h>

#include "os/streams/ContainerHeader.h"
#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const wchar_t* kSource = L"OsStreamWriteBinaryFile";
constexpr const char* kNarrowSource = "OsStreamWriteBinaryFile";

// Writes through a CArchive, which counts in 32 bits.
class CStreamWriteBinaryArchive : public CbStreamWriteBinary
{
public:
    explicit CStreamWriteBinaryArchive(CArchive& archive)
        : m_archive(&archive)
    {
        if (archive.IsLoading())
            throw CbExceptionStream(kSource, 75);
    }

protected:
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override
    {
        const auto* next = static_cast<const unsigned char*>(buffer);
        while (count != 0) {
            const auto piece = static_cast<unsigned>(std::min<unsigned __int64>(count, 0xFFFFFFFFu));
            m_archive->Write(next, piece);
            next += piece;
            count -= piece;
        }
        return *this;
    }

private:
    CArchive* m_archive;
};

} // namespace

OsStreamWriteBinaryFile::OsStreamWriteBinaryFile(const CStringW& path, EAccessMode accessMode,
                                                 ECompressionMode compressionMode, ECompressionLevel compressionLevel)
    : m_filename(path)
    , m_uncaughtExceptions(cbf::streams::DestructorFailure::Snapshot())
{
    const auto rawMode = static_cast<OsStreamWriteBinaryFileRaw::EAccessMode>(translateAccessMode(accessMode));
    init(std::make_unique<OsStreamWriteBinaryFileRaw>(path.GetString(), rawMode), compressionMode, compressionLevel);
}

OsStreamWriteBinaryFile::OsStreamWriteBinaryFile(OsFileSystem::ESpecialDirectory directory, const CStringW& name,
                                                 EAccessMode accessMode, ECompressionMode compressionMode,
                                                 ECompressionLevel compressionLevel)
    : OsStreamWriteBinaryFile(OsFileSystem::GetDirectory(directory) + name, accessMode, compressionMode,
                              compressionLevel)
{}

OsStreamWriteBinaryFile::OsStreamWriteBinaryFile(CArchive& archive)
    : m_stream(std::make_unique<CStreamWriteBinaryArchive>(archive))
    , m_target(m_stream.get())
    , m_filename(archive.GetFile()->GetFileName())
    , m_uncaughtExceptions(cbf::streams::DestructorFailure::Snapshot())
{}

OsStreamWriteBinaryFile::~OsStreamWriteBinaryFile()
{
    returnArea();
    std::exception_ptr failure;
    try {
        completeContainer();
    } catch (...) {
        failure = std::current_exception();
    }
    // Destroyed by hand: unique_ptr's destructor would end the process if
    // closing the file threw.
    try {
        delete m_stream.release();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    cbf::streams::DestructorFailure::Report(failure, m_uncaughtExceptions);
}

// The put area is the buffer of the raw or zlib writer underneath: the
// encoders store values straight into it. Bytes that do not fit go to that
// writer after it has been told how far the area was filled, and the area it
// leaves is shared next. The bytes stored in the area are counted whenever
// it goes back.
template <class Inner>
void OsStreamWriteBinaryFile::takeArea(Inner& inner)
{
    setPutArea(inner.putBase(), inner.putNext(), inner.putEnd());
    m_countedUpTo = putNext();
}

template <class Inner>
void OsStreamWriteBinaryFile::handBackArea(Inner& inner)
{
    m_byteCount += static_cast<unsigned __int64>(putNext() - m_countedUpTo);
    m_countedUpTo = putNext();
    inner.setPutArea(putBase(), putNext(), putEnd());
}

template <class Inner>
CbStreamWrite& OsStreamWriteBinaryFile::writeSharingArea(Inner& inner, const void* buffer, unsigned __int64 count)
{
    handBackArea(inner);
    try {
        inner.WriteBuffer(buffer, count);
    } catch (...) {
        takeArea(inner);
        throw;
    }
    m_byteCount += count;
    takeArea(inner);
    return *this;
}

// Before the inner writers finish, they get back the bytes stored in the
// area; this stream keeps none.
void OsStreamWriteBinaryFile::returnArea() noexcept
{
    if (m_zip != nullptr)
        handBackArea(*m_zip);
    else if (m_raw != nullptr)
        handBackArea(*m_raw);
    setPutArea(nullptr, nullptr, nullptr);
}

CbStreamWrite& OsStreamWriteBinaryFile::write(const void* buffer, unsigned __int64 count)
{
    if (m_zip != nullptr)
        return writeSharingArea(*m_zip, buffer, count);
    if (m_raw != nullptr)
        return writeSharingArea(*m_raw, buffer, count);
    m_target->WriteBuffer(buffer, count);
    m_byteCount += count;
    return *this;
}

void OsStreamWriteBinaryFile::init(std::unique_ptr<CbStreamWriteBinary> stream, ECompressionMode compressionMode,
                                   ECompressionLevel compressionLevel)
{
    m_stream = std::move(stream);
    m_target = m_stream.get();
    m_raw = dynamic_cast<OsStreamWriteBinaryFileRaw*>(m_stream.get());
    if (compressionMode == eCompressionModeNone) {
        takeArea(*m_raw);
        return;
    }
    unsigned char header[cbf::streams::kHeaderSize] = {};
    std::memcpy(header, cbf::streams::kContainerMagic, cbf::streams::kMagicSize);
    cbf::streams::WriteLittleEndian32(static_cast<std::uint32_t>(translateCompressionMode(compressionMode)),
                                      header + cbf::streams::kMethodOffset);
    m_stream->WriteBuffer(header, sizeof(header));
    const auto level =
        static_cast<OsStreamWriteCompressedZIP::ECompressionLevel>(translateCompressionLevel(compressionLevel));
    auto compressed = std::make_unique<OsStreamWriteCompressedZIP>(*m_stream, level);
    m_zip = compressed.get();
    m_compressed = std::move(compressed);
    m_target = m_zip;
    takeArea(*m_zip);
}

// Ends the zlib stream and writes the payload length into the header.
// Compressed files always sit on a raw file writer.
void OsStreamWriteBinaryFile::completeContainer()
{
    if (!m_compressed)
        return;
    OsStreamWriteBinaryFileRaw* raw = m_raw;
    m_target = nullptr;
    m_zip = nullptr;
    delete m_compressed.release();
    raw->flushBuffer();
    if (!cbf::platform::SeekFileFromStart(raw->m_file, cbf::streams::kLengthOffset))
        throw CbExceptionStream(kSource, 250);
    unsigned char length[4];
    cbf::streams::WriteLittleEndian32(static_cast<std::uint32_t>(std::min<unsigned __int64>(m_byteCount, 0xFFFFFFFFu)),
                                      length);
    if (!cbf::platform::WriteFileItem(length, sizeof(length), raw->m_file))
        throw CbExceptionStream(kSource, 254);
}

int OsStreamWriteBinaryFile::translateAccessMode(EAccessMode accessMode)
{
    switch (accessMode) {
    case eAccessModeOverwrite:
        return OsStreamWriteBinaryFileRaw::eAccessModeOverwrite;
    case eAccessModeAppend:
        return OsStreamWriteBinaryFileRaw::eAccessModeAppend;
    }
    throw CbException(kNarrowSource, 106, "translateAccessMode");
}

int OsStreamWriteBinaryFile::translateCompressionMode(ECompressionMode compressionMode)
{
    switch (compressionMode) {
    case eCompressionModeNone:
        return static_cast<int>(cbf::streams::kMethodStored);
    case eCompressionModeZIP:
        return static_cast<int>(cbf::streams::kMethodZlib);
    }
    throw CbException(kNarrowSource, 129, "translateCompressionMode");
}

int OsStreamWriteBinaryFile::translateCompressionLevel(ECompressionLevel compressionLevel)
{
    switch (compressionLevel) {
    case eCompressionLevelDefault:
        return OsStreamWriteCompressedZIP::eCompressionLevelDefault;
    case eCompressionLevelFastest:
        return OsStreamWriteCompressedZIP::eCompressionLevelFastest;
    case eCompressionLevelBest:
        return OsStreamWriteCompressedZIP::eCompressionLevelBest;
    }
    throw CbExceptionPreconditionViolation(kSource, 150);
}
