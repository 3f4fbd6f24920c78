// Atomic replacement of a file on Windows: CREATE_NEW, FlushFileBuffers and MoveFileExW.
#include "platform/FileReplace.h"

#include <cbfoundation/platform/NativePath.h>

#include <windows.h>

#include <cwchar>
#include <random>
#include <string>

namespace cbf::platform {

namespace {

bool toNative(const CStringW& path, std::wstring& native)
{
    return ToNativePath(path.GetString(), static_cast<std::size_t>(path.GetLength()), native);
}

} // namespace

bool CreateFileBeside(const CStringW& target, CStringW& created)
{
    std::wstring native;
    if (!toNative(target, native))
        return false;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L".cbf-save-%08x", static_cast<unsigned>(random()));
        const std::wstring candidate = native + suffix;
        const HANDLE file =
            ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        ::CloseHandle(file);
        created = CStringW(candidate.c_str(), static_cast<int>(candidate.size()));
        return true;
    }
    return false;
}

bool FlushFileToDisk(const CStringW& path)
{
    std::wstring native;
    if (!toNative(path, native))
        return false;
    const HANDLE file = ::CreateFileW(native.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = ::FlushFileBuffers(file) != 0;
    return ::CloseHandle(file) != 0 && flushed;
}

bool ReplaceFileWith(const CStringW& source, const CStringW& target)
{
    std::wstring from;
    std::wstring to;
    return toNative(source, from) && toNative(target, to) &&
           ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace cbf::platform
