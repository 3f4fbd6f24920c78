// OsStreamReadBinaryFileRaw: opening a file for reading, reads that tell the end from errors, and peeking.
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>

#include "os/streams/StreamFailures.h"
#include "platform/FileStream.h"

#include <cbfoundation/platform/CopyBytes.h>

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
    , m_buffer(std::make_unique<unsigned char[]>(kBufferSize))
{
    m_file = openForReading(path);
}

OsStreamReadBinaryFileRaw::~OsStreamReadBinaryFileRaw()
{
    cbf::platform::CloseFile(m_file);
}

// The bytes of the get area come first; the rest is peeked from the file,
// whose position is that far ahead of the caller's.
unsigned __int64 OsStreamReadBinaryFileRaw::Peek(void* buffer, unsigned __int64 count) const
{
    auto* destination = static_cast<unsigned char*>(buffer);
    const auto buffered = std::min<unsigned __int64>(count, static_cast<unsigned __int64>(getEnd() - getNext()));
    if (buffered != 0)
        cbf::platform::CopyBytes(destination, getNext(), static_cast<std::size_t>(buffered));
    if (buffered == count)
        return count;
    std::fpos_t position;
    if (!cbf::platform::GetFilePosition(m_file, position))
        throw CbExceptionStream(kSource, 95);
    bool failed = false;
    const unsigned __int64 got = readUpTo(m_file, destination + buffered, count - buffered, failed);
    if (!cbf::platform::SetFilePosition(m_file, position) || failed)
        throw CbExceptionStream(kSource, 101);
    return buffered + got;
}

// The decoders take small values from the get area and come here when it
// runs short: what is left of it first, then the file.
unsigned __int64 OsStreamReadBinaryFileRaw::read(void* buffer, unsigned __int64 count)
{
    auto* destination = static_cast<unsigned char*>(buffer);
    const unsigned __int64 buffered = takeFromGetArea(destination, count);
    if (buffered == count)
        return count;
    return buffered + refill(destination + buffered, count - buffered);
}

// Reads `count` bytes that the get area lacks: large requests straight
// from the file, small ones through the buffer, filled as far as it goes,
// whose rest becomes the new area. A read error counts only when it leaves
// the request short.
unsigned __int64 OsStreamReadBinaryFileRaw::refill(unsigned char* destination, unsigned __int64 count)
{
    bool failed = false;
    if (count >= kBufferSize) {
        const unsigned __int64 got = readUpTo(m_file, destination, count, failed);
        if (failed)
            throw CbExceptionStream(kSource, 78);
        return got;
    }
    const unsigned __int64 got = readUpTo(m_file, m_buffer.get(), kBufferSize, failed);
    if (failed && got < count)
        throw CbExceptionStream(kSource, 78);
    const auto delivered = std::min(got, count);
    if (delivered != 0)
        cbf::platform::CopyBytes(destination, m_buffer.get(), static_cast<std::size_t>(delivered));
    setGetArea(m_buffer.get() + delivered, m_buffer.get() + got);
    return delivered;
}
