// Files and directories through the Win32 and shell calls.
#include "platform/FileSystem.h"

#include <cbfoundation/platform/NativePath.h>

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

namespace cbf::platform {

namespace {

bool toNative(const CStringW& path, std::wstring& native)
{
    return ToNativePath(path.GetString(), static_cast<std::size_t>(path.GetLength()), native);
}

} // namespace

bool IsPathSeparator(wchar_t character)
{
    return character == L'\\';
}

bool IsRootPath(const CStringW& path)
{
    const int length = path.GetLength();
    return (length == 2 && path[1] == L':') || (length == 3 && path[1] == L':' && path[2] == L'\\');
}

int EndOfFirstPathLevel(const CStringW& path)
{
    const int first = path.Find(L'\\');
    if (first != 0)
        return first;
    // \\server\share: the server is the first level.
    const int second = path.Find(L'\\', 1);
    const int third = second < 0 ? -1 : path.Find(L'\\', second + 1);
    return third < 0 ? path.GetLength() : third;
}

void AdoptStoredFolder(CStringW&)
{}

bool PathExists(const CStringW& path)
{
    std::wstring native;
    return toNative(path, native) && ::GetFileAttributesW(native.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectoryPath(const CStringW& path)
{
    std::wstring native;
    return toNative(path, native) && ::PathIsDirectoryW(native.c_str()) != FALSE;
}

bool IsEmptyDirectoryPath(const CStringW& path)
{
    std::wstring native;
    return toNative(path, native) && ::PathIsDirectoryEmptyW(native.c_str()) != FALSE;
}

bool MakeDirectory(const CStringW& path)
{
    std::wstring native;
    return toNative(path, native) && ::CreateDirectoryW(native.c_str(), nullptr) != FALSE;
}

bool RemoveFile(const CStringW& path)
{
    std::wstring native;
    return toNative(path, native) && ::DeleteFileW(native.c_str()) != FALSE;
}

bool RemoveTree(const CStringW& path)
{
    std::wstring source;
    if (!toNative(path, source))
        return false;
    // The source is a list of paths, each ending in a NUL, the list in one more.
    source.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = source.c_str();
    operation.pTo = nullptr;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    operation.lpszProgressTitle = nullptr;
    return ::SHFileOperationW(&operation) == 0 && operation.fAnyOperationsAborted == FALSE;
}

bool CopyFileTo(const CStringW& source, const CStringW& destination, bool failIfExists)
{
    std::wstring from;
    std::wstring to;
    return toNative(source, from) && toNative(destination, to) &&
           ::CopyFileW(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool MoveFileTo(const CStringW& source, const CStringW& destination)
{
    std::wstring from;
    std::wstring to;
    return toNative(source, from) && toNative(destination, to) && ::MoveFileW(from.c_str(), to.c_str()) != FALSE;
}

bool ReadFileSize(const CStringW& path, unsigned __int64& size)
{
    std::wstring native;
    if (!toNative(path, native))
        return false;
    const HANDLE file = ::CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    const bool known = ::GetFileSizeEx(file, &length) != FALSE;
    ::CloseHandle(file);
    if (known)
        size = static_cast<unsigned __int64>(length.QuadPart);
    return known;
}

} // namespace cbf::platform
