// OsFileSystem: the path rules and algorithms, over the file calls of the platform layer.
#include <cbfoundation/os/services/OsFileSystem.h>

#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/Environment.h>
#include <cbfoundation/platform/SystemTime.h>

#include "platform/FileSystem.h"

#include <algorithm>

using cbf::platform::kPathSeparator;

namespace OsFileSystem {

namespace {

constexpr unsigned long kFolderOptionMaxLength = 260;

int lastSeparator(const CStringW& path)
{
    for (int i = path.GetLength() - 1; i >= 0; --i) {
        if (cbf::platform::IsPathSeparator(path[i]))
            return i;
    }
    return -1;
}

bool endsWithSeparator(const CStringW& path)
{
    return !path.IsEmpty() && path[path.GetLength() - 1] == kPathSeparator;
}

CStringW valueOfReference(const CStringW& name)
{
    if (name == L"EXECUTABLE")
        return GetDirectory(eSpecialDirectoryExecutable);
    if (name == L"EXECUTABLERELEASE")
        return GetDirectory(eSpecialDirectoryExecutableRelease);
    CStringW value;
    cbf::platform::ReadEnvironmentVariable(name, value);
    return value;
}

CStringW executableFolder()
{
    CStringW file = cbf::platform::ExecutableFile();
    const int last = file.ReverseFind(kPathSeparator);
    // A program directly in the root of a POSIX system lives in "/".
    if (last >= 1 || (last == 0 && cbf::platform::IsRootPath(file.Left(1))))
        file.Truncate(last + 1);
    return file;
}

CStringW developmentFolder()
{
    CStringW folder = cbf::platform::TemporaryFolder() + L"Development";
    CStringW stored;
    if (OsPersistentOptions::ReadOption(L"Software\\Morvane\\Settings", L"Development", stored, kFolderOptionMaxLength,
                                        ePersistentOptionsCategoryCurrentUser)) {
        cbf::platform::AdoptStoredFolder(stored);
        folder = stored;
    }
    return folder;
}

CStringW folderOf(ESpecialDirectory directory)
{
    switch (directory) {
    case eSpecialDirectoryTemp:
        return cbf::platform::TemporaryFolder();
    case eSpecialDirectoryDevelopment:
        return developmentFolder();
    case eSpecialDirectoryCurrent:
        return cbf::platform::CurrentFolder();
    case eSpecialDirectoryExecutable:
    case eSpecialDirectoryExecutableRelease:
        return executableFolder();
    default:
        if (directory >= eSpecialDirectoryDesktop && directory <= eSpecialDirectoryCommonDocuments)
            return cbf::platform::ShellFolder(directory);
        return CStringW();
    }
}

// Removes each "\..\" after the first character together with the folder
// name before it: D:\a\b\..\c\ becomes D:\a\c\.
void collapseParentReferences(CStringW& folder)
{
    // Made once, on the first call from whichever thread comes first; the
    // language serialises that initialisation.
    static const CStringW parentReference = [] {
        CStringW text(kPathSeparator);
        text += L"..";
        text += kPathSeparator;
        return text;
    }();
    for (int at = folder.Find(parentReference, 1); at > 0; at = folder.Find(parentReference, 1)) {
        const int folderStart = std::max(folder.Left(at).ReverseFind(kPathSeparator), 0);
        folder.Delete(folderStart, at + 3 - folderStart);
    }
}

// Creates the levels after the first one, each missing one in turn; a
// prefix ending in a separator stands for two separators in a row.
bool createLevels(const CStringW& path)
{
    int end = cbf::platform::EndOfFirstPathLevel(path);
    if (end < 0)
        return true;
    while ((end = path.Find(kPathSeparator, end + 1)) > 0) {
        const CStringW prefix = path.Left(end);
        if (cbf::platform::IsDirectoryPath(prefix))
            continue;
        if (cbf::platform::PathExists(prefix))
            return false;
        if (!endsWithSeparator(prefix) && !cbf::platform::MakeDirectory(prefix))
            return false;
    }
    return true;
}

bool createDirectoryExpanded(const CStringW& path)
{
    if (cbf::platform::IsDirectoryPath(path) || IsRoot(path))
        return true;
    if (cbf::platform::PathExists(path) || !createLevels(path))
        return false;
    return endsWithSeparator(path) || cbf::platform::MakeDirectory(path);
}

// The destination's folder, unless it lies directly under a root or there
// is none.
bool createFolderOf(const CStringW& destination)
{
    const int last = destination.ReverseFind(kPathSeparator);
    if (last <= destination.Find(kPathSeparator))
        return true;
    return createDirectoryExpanded(destination.Left(last));
}

} // namespace

CStringW InterpretEnvironment(CStringW path)
{
    path.Replace(cbf::platform::kForeignPathSeparator, kPathSeparator);
    int replaced = 0;
    int open = path.Find(L'%');
    int close = open >= 0 ? path.Find(L'%', open + 1) : -1;
    while (close >= 0) {
        const CStringW value = valueOfReference(path.Mid(open + 1, close - open - 1));
        if (value.IsEmpty()) {
            open = close;
        } else {
            if (replaced == kMaxEnvironmentReferences)
                break;
            ++replaced;
            path = path.Left(open) + value + path.Mid(close + 1);
            open = path.Find(L'%', open);
        }
        close = open >= 0 ? path.Find(L'%', open + 1) : -1;
    }
    return path;
}

CStringW GetDirectory(ESpecialDirectory directory)
{
    CStringW folder = folderOf(directory);
    if (!folder.IsEmpty() && !endsWithSeparator(folder))
        folder += kPathSeparator;
    collapseParentReferences(folder);
    return folder;
}

void SplitPath(const CStringW& path, CStringW& folder, CStringW& name, CStringW& extension)
{
    const int last = lastSeparator(path);
    name.Empty();
    extension.Empty();
    if (last == path.GetLength() - 1) {
        folder = path;
        return;
    }
    folder = path.Left(last + 1);
    const int dot = path.ReverseFind(L'.');
    if (dot > last) {
        name = path.Mid(last + 1, dot - last - 1);
        extension = path.Mid(dot + 1);
    } else {
        name = path.Mid(last + 1);
    }
}

CStringW GetFolder(const CStringW& path)
{
    const CStringW expanded = InterpretEnvironment(path);
    const int last = lastSeparator(expanded);
    if (last < 0)
        return CStringW();
    const CStringW& source = expanded.GetLength() == path.GetLength() ? path : expanded;
    return last == expanded.GetLength() - 1 ? source : source.Left(last + 1);
}

CStringW GetFilename(const CStringW& path)
{
    CStringW folder;
    CStringW name;
    CStringW extension;
    SplitPath(path, folder, name, extension);
    return name;
}

CStringW GetExtension(const CStringW& path)
{
    CStringW folder;
    CStringW name;
    CStringW extension;
    SplitPath(path, folder, name, extension);
    return extension;
}

bool IsRoot(const CStringW& path)
{
    return cbf::platform::IsRootPath(path);
}

bool Exists(const CStringW& path)
{
    return cbf::platform::PathExists(InterpretEnvironment(path));
}

bool IsDirectory(const CStringW& path)
{
    return cbf::platform::IsDirectoryPath(InterpretEnvironment(path));
}

bool IsDirectoryEmpty(const CStringW& path)
{
    const CStringW expanded = InterpretEnvironment(path);
    return cbf::platform::IsDirectoryPath(expanded) && cbf::platform::IsEmptyDirectoryPath(expanded);
}

bool CreateDirectoryW(const CStringW& path)
{
    return createDirectoryExpanded(InterpretEnvironment(path));
}

bool DeleteDirectory(const CStringW& path, bool onlyIfEmpty)
{
    const CStringW expanded = InterpretEnvironment(path);
    if (expanded.IsEmpty() || expanded[0] == L'.' || !cbf::platform::PathExists(expanded))
        return false;
    if (onlyIfEmpty && !(cbf::platform::IsDirectoryPath(expanded) && cbf::platform::IsEmptyDirectoryPath(expanded)))
        return false;
    return cbf::platform::RemoveTree(expanded);
}

bool DeleteFileW(const CStringW& path)
{
    const CStringW expanded = InterpretEnvironment(path);
    return cbf::platform::PathExists(expanded) && cbf::platform::RemoveFile(expanded);
}

bool CopyFileW(const CStringW& source, const CStringW& destination, bool failIfExists)
{
    const CStringW from = InterpretEnvironment(source);
    if (!cbf::platform::PathExists(from))
        return false;
    const CStringW to = InterpretEnvironment(destination);
    return createFolderOf(to) && cbf::platform::CopyFileTo(from, to, failIfExists);
}

bool MoveFileW(const CStringW& source, const CStringW& destination, bool failIfExists)
{
    const CStringW from = InterpretEnvironment(source);
    if (!cbf::platform::PathExists(from))
        return false;
    const CStringW to = InterpretEnvironment(destination);
    if (cbf::platform::PathExists(to) && (failIfExists || !cbf::platform::RemoveFile(to)))
        return false;
    return createFolderOf(to) && cbf::platform::MoveFileTo(from, to);
}

unsigned __int64 GetFileSize(const CStringW& path)
{
    unsigned __int64 size = 0;
    return cbf::platform::ReadFileSize(InterpretEnvironment(path), size) ? size : 0;
}

bool ReadFileCreationTime(const CStringW& path, CbDateTime& time)
{
    FILETIME creation;
    FILETIME lastWrite;
    if (!cbf::platform::ReadFileTimes(path.GetString(), static_cast<std::size_t>(path.GetLength()), creation,
                                      lastWrite))
        return false;
    time = creation;
    return true;
}

bool ReadFileModificationTime(const CStringW& path, CbDateTime& time)
{
    FILETIME creation;
    FILETIME lastWrite;
    if (!cbf::platform::ReadFileTimes(path.GetString(), static_cast<std::size_t>(path.GetLength()), creation,
                                      lastWrite))
        return false;
    time = lastWrite;
    return true;
}

} // namespace OsFileSystem
