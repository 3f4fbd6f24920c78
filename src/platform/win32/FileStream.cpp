// Buffered file streams on Windows: wide paths straight to _wfopen. The
// runtime MinGW links against lacks the non-locking transfers, so the locking
// ones stand in; a stream is used by one thread at a time either way.
#include "platform/FileStream.h"

#include <cerrno>
#include <cstring>

namespace cbf::platform {

std::FILE* OpenFile(const wchar_t* path, const char* mode)
{
    const wchar_t wideMode[4] = {static_cast<wchar_t>(mode[0]), mode[1] != 0 ? static_cast<wchar_t>(mode[1]) : L'\0',
                                 L'\0', L'\0'};
    return ::_wfopen(path, wideMode);
}

std::size_t ReadFileUnlocked(void* buffer, std::size_t count, std::FILE* file)
{
    return std::fread(buffer, 1, count, file);
}

std::size_t WriteFileUnlocked(const void* buffer, std::size_t count, std::FILE* file)
{
    return std::fwrite(buffer, 1, count, file);
}

int LastErrno()
{
    return errno;
}

void SetErrno(int value)
{
    errno = value;
}

std::string ErrnoText(int value)
{
    return std::strerror(value);
}

} // namespace cbf::platform
