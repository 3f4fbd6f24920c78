// File times of a path, read from its directory entry, on Windows.
#include <cbfoundation/platform/SystemTime.h>

#include <cbfoundation/platform/NativePath.h>

namespace cbf::platform {

bool ReadFileTimes(const wchar_t* path, std::size_t length, FILETIME& creation, FILETIME& lastWrite)
{
    NativePath native;
    if (path == nullptr || !ToNativePath(path, length, native))
        return false;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(native.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    creation = entry.ftCreationTime;
    lastWrite = entry.ftLastWriteTime;
    return true;
}

} // namespace cbf::platform
