// OsStreamWriteBinaryFile: plain files, the compressed-archive container and its length patch, and the archive adapter.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>
#include <cbfoundation/platform/CArchive.h>
#include <cbfoundation/platform/CopyBytes.h>

#include "os/streams/ContainerHeader.h"
#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const wchar_t* kSource = L"OsStreamWriteBinaryFile";
constexpr const char* kNarrowSource = "OsStreamWriteBinaryFile";
constexpr std::size_t kWindowSize = 32 * 1024;

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
    if (m_raw != nullptr && !m_compressed)
        handBackArea();
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

// The put area of a plain file is the raw writer's buffer: the encoders
// store values straight into it. Bytes that do not fit go to the raw writer
// after it has been told how far the area was filled, and the area it
// leaves is shared next. The bytes stored in the area are counted whenever
// it goes back.
void OsStreamWriteBinaryFile::takeArea()
{
    setPutArea(m_raw->putBase(), m_raw->putNext(), m_raw->putEnd());
    m_countedUpTo = putNext();
}

void OsStreamWriteBinaryFile::handBackArea() noexcept
{
    m_byteCount += static_cast<unsigned __int64>(putNext() - m_countedUpTo);
    m_countedUpTo = putNext();
    m_raw->setPutArea(putBase(), putNext(), putEnd());
}

CbStreamWrite& OsStreamWriteBinaryFile::writeSharingArea(const void* buffer, unsigned __int64 count)
{
    handBackArea();
    try {
        m_raw->WriteBuffer(buffer, count);
    } catch (...) {
        takeArea();
        throw;
    }
    m_byteCount += count;
    takeArea();
    return *this;
}

// A compressed file's put area is a window of its own, handed to the zlib
// writer when full: zlib then deflates large pieces, which is faster than
// the 1024 bytes the zlib writer gathers itself. The window's bytes are
// given up before they are handed over, so a failure does not send them twice.
CbStreamWrite& OsStreamWriteBinaryFile::writeThroughWindow(const void* buffer, unsigned __int64 count)
{
    flushWindow();
    if (count >= kWindowSize) {
        m_zip->WriteBuffer(buffer, count);
        m_byteCount += count;
        return *this;
    }
    cbf::platform::CopyBytes(putNext(), buffer, static_cast<std::size_t>(count));
    setPutArea(putBase(), putNext() + count, putEnd());
    return *this;
}

void OsStreamWriteBinaryFile::flushWindow()
{
    const auto used = static_cast<std::size_t>(putNext() - putBase());
    setPutArea(m_window.get(), m_window.get(), m_window.get() + kWindowSize);
    m_zip->WriteBuffer(m_window.get(), used);
    m_byteCount += used;
}

CbStreamWrite& OsStreamWriteBinaryFile::write(const void* buffer, unsigned __int64 count)
{
    if (m_zip != nullptr)
        return writeThroughWindow(buffer, count);
    if (m_raw != nullptr)
        return writeSharingArea(buffer, count);
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
        takeArea();
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
    m_window = std::make_unique<unsigned char[]>(kWindowSize);
    setPutArea(m_window.get(), m_window.get(), m_window.get() + kWindowSize);
}

// Ends the zlib stream and writes the payload length into the header.
// Compressed files always sit on a raw file writer.
void OsStreamWriteBinaryFile::completeContainer()
{
    if (!m_compressed)
        return;
    std::exception_ptr failure;
    try {
        // After a failure the zlib writer takes nothing more.
        if (!m_zip->m_failed)
            flushWindow();
    } catch (...) {
        failure = std::current_exception();
    }
    setPutArea(nullptr, nullptr, nullptr);
    m_target = nullptr;
    m_zip = nullptr;
    delete m_compressed.release();
    if (failure)
        std::rethrow_exception(failure);
    OsStreamWriteBinaryFileRaw* raw = m_raw;
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
