// Wide paths are the system's own file names on Windows: only a NUL is refused.
#include <cbfoundation/platform/NativePath.h>

#include <algorithm>

namespace cbf::platform {

bool ToNativePath(const wchar_t* path, std::size_t length, NativePath& native)
{
    if (std::find(path, path + length, L'\0') != path + length)
        return false;
    native.assign(path, length);
    return true;
}

std::wstring FromNativePath(const wchar_t* path, std::size_t length)
{
    return std::wstring(path, length);
}

} // namespace cbf::platform
