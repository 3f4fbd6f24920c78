// OsStreamWriteBinaryFileRaw: creating the folders, opening for overwrite or append, and writing.
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

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
{
    m_file = openForWriting(path, accessMode);
}

OsStreamWriteBinaryFileRaw::~OsStreamWriteBinaryFileRaw()
{
    std::exception_ptr failure;
    if (!cbf::platform::CloseFile(m_file))
        failure = std::make_exception_ptr(CbExceptionStream(kSource, 113));
    cbf::streams::DestructorFailure::Report(failure, m_uncaughtExceptions);
}

CbStreamWrite& OsStreamWriteBinaryFileRaw::write(const void* buffer, unsigned __int64 count)
{
    const auto* next = static_cast<const unsigned char*>(buffer);
    while (count != 0) {
        const auto piece = static_cast<std::size_t>(std::min<unsigned __int64>(count, SIZE_MAX));
        if (cbf::platform::WriteFileUnlocked(next, piece, m_file) != piece)
            throw CbExceptionStream(kSource, 113);
        next += piece;
        count -= piece;
    }
    return *this;
}
