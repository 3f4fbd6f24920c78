// File times of a path, read from its directory entry, on Windows.
#include <cbfoundation/platform/SystemTime.h>

namespace cbf::platform {

bool ReadFileTimes(const wchar_t* path, FILETIME& creation, FILETIME& lastWrite)
{
    if (path == nullptr)
        return false;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(path, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    creation = entry.ftCreationTime;
    lastWrite = entry.ftLastWriteTime;
    return true;
}

} // namespace cbf::platform
