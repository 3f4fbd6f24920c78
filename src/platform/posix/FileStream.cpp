// Buffered file streams on POSIX systems: paths through the shared conversion,
// transfers through glibc's unlocked calls.
#include "platform/FileStream.h"

#include <cbfoundation/platform/NativePath.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

namespace cbf::platform {

std::FILE* OpenFile(const wchar_t* path, const char* mode)
{
    NativePath native;
    if (!ToNativePath(path, std::wcslen(path), native)) {
        errno = EINVAL;
        return nullptr;
    }
    return std::fopen(native.c_str(), mode);
}

std::size_t ReadFileUnlocked(void* buffer, std::size_t count, std::FILE* file)
{
    return ::fread_unlocked(buffer, 1, count, file);
}

std::size_t WriteFileUnlocked(const void* buffer, std::size_t count, std::FILE* file)
{
    return ::fwrite_unlocked(buffer, 1, count, file);
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
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return ::strerror_r(value, buffer, sizeof(buffer));
}

} // namespace cbf::platform
