// OsStreamWriteBinaryFileRaw: creating the folders, opening for overwrite or append, and writing.
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

#include <cbfoundation/platform/CopyBytes.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr const wchar_t* kSource = L"OsStreamWriteBinaryFileRaw";
constexpr std::size_t kBufferSize = 4096;

void createFolder(const wchar_t* path)
{
    CStringW folder;
    CStringW name;
    CStringW extension;
    OsFileSystem::SplitPath(CStringW(path), folder, name, extension);
    if (!OsFileSystem::IsDirectory(folder) && !OsFileSystem::CreateDirectoryW(folder))
        throw CbExceptionStream(kSource, 41);
}

const char* openMode(OsStreamWriteBinaryFileRaw::EAccessMode accessMode)
{
    switch (accessMode) {
    case OsStreamWriteBinaryFileRaw::eAccessModeOverwrite:
        return "wb";
    case OsStreamWriteBinaryFileRaw::eAccessModeAppend:
        return "ab";
    }
    // A value outside the enumeration opens nothing: refused before the
    // file system is touched.
    throw CbExceptionStream(kSource, 60);
}

std::FILE* openForWriting(const wchar_t* path, OsStreamWriteBinaryFileRaw::EAccessMode accessMode)
{
    const char* mode = openMode(accessMode);
    createFolder(path);
    cbf::platform::SetErrno(0);
    std::FILE* file = cbf::platform::OpenFile(path, mode);
    if (file != nullptr && !cbf::platform::HasFileError(file) && cbf::platform::SetFullBuffering(file, kBufferSize))
        return file;
    const int error = cbf::platform::LastErrno();
    if (file != nullptr)
        cbf::platform::CloseFile(file);
    cbf::streams::ThrowOpenFailure(kSource, 76, 80, error);
}

} // namespace

OsStreamWriteBinaryFileRaw::OsStreamWriteBinaryFileRaw(const wchar_t* path, EAccessMode accessMode)
    : m_file(nullptr)
    , m_filename(path)
    , m_uncaughtExceptions(cbf::streams::DestructorFailure::Snapshot())
    , m_buffer(std::make_unique<unsigned char[]>(kBufferSize))
{
    m_file = openForWriting(path, accessMode);
    setPutArea(m_buffer.get(), m_buffer.get(), m_buffer.get() + kBufferSize);
}

OsStreamWriteBinaryFileRaw::~OsStreamWriteBinaryFileRaw()
{
    std::exception_ptr failure;
    try {
        flushBuffer();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!cbf::platform::CloseFile(m_file) && !failure)
        failure = std::make_exception_ptr(CbExceptionStream(kSource, 113));
    cbf::streams::DestructorFailure::Report(failure, m_uncaughtExceptions);
}

// The encoders fill the buffer as the put area and come here with what does
// not fit: the buffered bytes go to the file first, then a large write
// straight after them, a small one into the emptied buffer.
CbStreamWrite& OsStreamWriteBinaryFileRaw::write(const void* buffer, unsigned __int64 count)
{
    const auto* data = static_cast<const unsigned char*>(buffer);
    if (count > static_cast<unsigned __int64>(putEnd() - putNext()))
        flushBuffer();
    if (count >= kBufferSize) {
        writeToFile(data, count);
        return *this;
    }
    cbf::platform::CopyBytes(putNext(), data, static_cast<std::size_t>(count));
    setPutArea(putBase(), putNext() + count, putEnd());
    return *this;
}

// The buffered bytes are given up before they are written: after a failure
// they are not written again.
void OsStreamWriteBinaryFileRaw::flushBuffer()
{
    const auto used = static_cast<std::size_t>(putNext() - putBase());
    setPutArea(m_buffer.get(), m_buffer.get(), m_buffer.get() + kBufferSize);
    writeToFile(m_buffer.get(), used);
}

void OsStreamWriteBinaryFileRaw::writeToFile(const unsigned char* data, unsigned __int64 count)
{
    while (count != 0) {
        const auto piece = static_cast<std::size_t>(std::min<unsigned __int64>(count, SIZE_MAX));
        if (cbf::platform::WriteFileUnlocked(data, piece, m_file) != piece)
            throw CbExceptionStream(kSource, 113);
        data += piece;
        count -= piece;
    }
}
