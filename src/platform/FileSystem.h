// The operating system's side of OsFileSystem: separators and roots, file and
// directory calls and the well-known folders.
#pragma once

#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Types.h>

namespace cbf::platform {

#if defined(_WIN32)
/// The separator of the paths the library builds.
inline constexpr wchar_t kPathSeparator = L'\\';
/// The separator that expansion turns into kPathSeparator.
inline constexpr wchar_t kForeignPathSeparator = L'/';
#else
inline constexpr wchar_t kPathSeparator = L'/';
inline constexpr wchar_t kForeignPathSeparator = L'\\';
#endif

/// True for a separator of the text functions: the backslash on Windows;
/// elsewhere the slash and the backslash alike.
bool IsPathSeparator(wchar_t character);

/// True for a root: a drive (`D:`, `D:\`) on Windows, `/` elsewhere.
bool IsRootPath(const CStringW& path);

/// The position of the separator that ends the first level of an expanded
/// path (a level that directory creation takes to exist), -1 when there is
/// none. On Windows the first backslash, or for a network path (which begins
/// with two) the one after the server name; elsewhere the first slash, 0 for
/// an absolute path.
int EndOfFirstPathLevel(const CStringW& path);

/// Makes the separators of a folder named in the options store the library's
/// own: elsewhere than on Windows backslashes become slashes; Windows keeps
/// the text as it is.
void AdoptStoredFolder(CStringW& folder);

// The calls below take expanded paths and pass them through ToNativePath; a
// path it refuses fails every one of them.

/// True when anything is at `path`, a symbolic link counting itself.
bool PathExists(const CStringW& path);
/// True for a directory, or a link to one.
bool IsDirectoryPath(const CStringW& path);
/// True for a directory without entries.
bool IsEmptyDirectoryPath(const CStringW& path);
/// Creates one directory with default permissions.
bool MakeDirectory(const CStringW& path);
/// Deletes one file (not a directory).
bool RemoveFile(const CStringW& path);
/// Deletes a file or a whole directory tree, links as links.
bool RemoveTree(const CStringW& path);
/// Copies a file whose destination folder exists.
bool CopyFileTo(const CStringW& source, const CStringW& destination, bool failIfExists);
/// Moves a file or directory to a destination that does not exist and whose
/// folder exists.
bool MoveFileTo(const CStringW& source, const CStringW& destination);
/// The size of a file that can be opened for reading.
bool ReadFileSize(const CStringW& path, unsigned __int64& size);

/// The temporary folder, ending in a separator.
CStringW TemporaryFolder();
/// The process's current directory.
CStringW CurrentFolder();
/// The full path of the program's executable file.
CStringW ExecutableFile();
/// The shell folder of eSpecialDirectoryDesktop (1) to
/// eSpecialDirectoryCommonDocuments (13); empty where there is none.
CStringW ShellFolder(unsigned which);

} // namespace cbf::platform
