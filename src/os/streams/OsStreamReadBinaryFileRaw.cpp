// OsStreamReadBinaryFileRaw: opening a file for reading, reads that tell the end from errors, and peeking.
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>

#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr const wchar_t* kSource = L"OsStreamReadBinaryFileRaw";
constexpr std::size_t kBufferSize = 4096;

std::FILE* openForReading(const wchar_t* path)
{
    cbf::platform::SetErrno(0);
    std::FILE* file = cbf::platform::OpenFile(path, "rb");
    if (file != nullptr && !cbf::platform::HasFileError(file) && cbf::platform::SetFullBuffering(file, kBufferSize))
        return file;
    const int error = cbf::platform::LastErrno();
    if (file != nullptr)
        cbf::platform::CloseFile(file);
    cbf::streams::ThrowOpenFailure(kSource, 41, 45, error);
}

// Reads what the file still holds, up to `count` bytes, in pieces a size_t counts.
unsigned __int64 readUpTo(std::FILE* file, void* buffer, unsigned __int64 count, bool& failed)
{
    auto* next = static_cast<unsigned char*>(buffer);
    unsigned __int64 total = 0;
    while (total < count) {
        const auto piece = static_cast<std::size_t>(std::min<unsigned __int64>(count - total, SIZE_MAX));
        const std::size_t got = cbf::platform::ReadFileUnlocked(next + total, piece, file);
        total += got;
        if (got < piece) {
            failed = cbf::platform::HasFileError(file);
            break;
        }
    }
    return total;
}

} // namespace

OsStreamReadBinaryFileRaw::OsStreamReadBinaryFileRaw(const wchar_t* path)
    : m_file(nullptr)
    , m_filename(path)
{
    m_file = openForReading(path);
}

OsStreamReadBinaryFileRaw::~OsStreamReadBinaryFileRaw()
{
    cbf::platform::CloseFile(m_file);
}

unsigned __int64 OsStreamReadBinaryFileRaw::Peek(void* buffer, unsigned __int64 count) const
{
    std::fpos_t position;
    if (!cbf::platform::GetFilePosition(m_file, position))
        throw CbExceptionStream(kSource, 95);
    bool failed = false;
    const unsigned __int64 got = readUpTo(m_file, buffer, count, failed);
    if (!cbf::platform::SetFilePosition(m_file, position) || failed)
        throw CbExceptionStream(kSource, 101);
    return got;
}

unsigned __int64 OsStreamReadBinaryFileRaw::read(void* buffer, unsigned __int64 count)
{
    bool failed = false;
    const unsigned __int64 got = readUpTo(m_file, buffer, count, failed);
    if (failed)
        throw CbExceptionStream(kSource, 78);
    return got;
}
