// OsFileSystem: paths, files, well-known folders and environment references.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/values/CbDateTime.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Types.h>

/// Free functions over paths and files. None throws for an ordinary failure:
/// queries answer false, 0 or an empty text, actions answer false, and the
/// operating system's error code is not kept. Only the string class's own
/// exceptions (out of memory) pass through.
///
/// Separators. On Windows the separator is the backslash, and the text
/// functions (SplitPath, GetFilename, GetExtension, IsRoot) know no other.
/// Elsewhere a backslash counts exactly like a slash wherever a path is read,
/// and every path the library builds (expansion, GetDirectory) uses the
/// slash; `\dir\file.txt` and `/dir/file.txt` name the same file.
///
/// Expansion. GetFolder and every function that tests or changes the file
/// system first pass the path through InterpretEnvironment; the text
/// functions and the two file-time readers take it as it is.
///
///     CStringW log = OsFileSystem::GetDirectory(OsFileSystem::eSpecialDirectoryTemp) + L"run.log";
///     if (OsFileSystem::CopyFileW(L"%EXECUTABLE%defaults.ini", L"%APPDATA%/MyTool/settings.ini", true))
///         ...
///
/// On other systems than Windows the well-known folders are those of the
/// XDG base and user directories; README.md tables them.
///
/// Call CreateDirectoryW, DeleteFileW, CopyFileW and MoveFileW qualified:
/// on Windows the system's functions of the same names are visible as well,
/// and take a text literal more readily than these do.
///
/// No state lives between calls. Relative paths and eSpecialDirectoryCurrent
/// depend on the process's current directory, which any thread can change.
namespace OsFileSystem {

/// The well-known folders of GetDirectory. The type is fixed so that a value
/// outside the enumeration (18, say) can be passed; it resolves to an empty
/// text.
enum ESpecialDirectory : unsigned
{
    eSpecialDirectoryTemp = 0,
    eSpecialDirectoryDesktop = 1,
    eSpecialDirectoryProgramFiles = 2,
    eSpecialDirectoryProgramFilesX86 = 3,
    eSpecialDirectoryDocuments = 4,
    eSpecialDirectoryLocalAppData = 5,
    eSpecialDirectoryCommonAppData = 6,
    eSpecialDirectoryFavorites = 7,
    eSpecialDirectoryStartup = 8,
    eSpecialDirectoryRecent = 9,
    eSpecialDirectorySendTo = 10,
    eSpecialDirectoryCommonStartMenu = 11,
    eSpecialDirectoryFonts = 12,
    eSpecialDirectoryCommonDocuments = 13,
    /// The temporary folder's "Development" subfolder, unless the text option
    /// "Development" under "Software\Morvane\Settings" of the current user
    /// (OsPersistentOptions, at most 260 characters) names another.
    eSpecialDirectoryDevelopment = 14,
    eSpecialDirectoryCurrent = 15,
    /// The folder of the program's executable file (not of this library).
    eSpecialDirectoryExecutable = 16,
    eSpecialDirectoryExecutableRelease = 17,
};

/// The largest number of references one call of InterpretEnvironment
/// replaces. A value that refers to its own variable, directly or through
/// others, would otherwise be inserted forever.
inline constexpr int kMaxEnvironmentReferences = 64;

/// Expands the references `%NAME%` in `path`, after turning every foreign
/// separator into the native one (on Windows slashes become backslashes,
/// elsewhere backslashes become slashes).
///
/// "EXECUTABLE" and "EXECUTABLERELEASE" (compared case-sensitively) stand for
/// GetDirectory of eSpecialDirectoryExecutable and
/// eSpecialDirectoryExecutableRelease, which end in a separator, so
/// `%EXECUTABLE%data.bin` names a file beside the program. Any other name is
/// the process environment variable of that name. References inside an
/// inserted value are expanded in turn.
///
/// A reference whose value is empty (a variable that is not set, or "%%")
/// stays in the text, and the search goes on from its closing "%", which may
/// open the next reference: in "100%%TEMP%" the TEMP reference is expanded.
/// A single "%" is no reference. After kMaxEnvironmentReferences replacements
/// the rest of the text is returned as it stands.
CB_API CStringW InterpretEnvironment(CStringW path);

/// The well-known folder, ending in a separator; empty for a value outside
/// the enumeration, for a folder the system does not have, and when the
/// system fails to name it. Parent references are collapsed: `D:\a\b\..\c\`
/// becomes `D:\a\c\` (one at the very start stays).
CB_API CStringW GetDirectory(ESpecialDirectory directory);

/// Splits at the last separator and at the last dot after it. A path that
/// ends in a separator (or is empty) is all folder. `D:\dir\file.txt` gives
/// `D:\dir\`, `file` and `txt`; `file` gives an empty folder, `file` and no
/// extension; `D:\my.dir\file` gives `D:\my.dir\`, `file` and no extension.
CB_API void SplitPath(const CStringW& path, CStringW& folder, CStringW& name, CStringW& extension);

/// The folder part, ending in its separator; empty when there is none. The
/// separator is looked for in the expanded path. When expansion left the
/// length unchanged, the path as given is cut there (`D:/dir/file` gives
/// `D:/dir/`); when it changed the length, the expanded path is cut.
CB_API CStringW GetFolder(const CStringW& path);

/// The name of SplitPath: `a.tar.gz` gives `a.tar`; `D:\dir\.profile` an
/// empty name.
CB_API CStringW GetFilename(const CStringW& path);

/// The extension of SplitPath, without the dot: `a.tar.gz` gives `gz`; empty
/// for a path ending in a separator, even when a folder name holds a dot.
CB_API CStringW GetExtension(const CStringW& path);

/// True for a root. On Windows a drive: exactly two characters with ':'
/// second (`D:`), or three with ':' second and a backslash third (`D:\`); the
/// first character is not examined. Elsewhere `/`: a path of separators only.
CB_API bool IsRoot(const CStringW& path);

/// True when a file or directory is there (a symbolic link counts itself,
/// whatever it points to).
CB_API bool Exists(const CStringW& path);

/// True for a directory, or a symbolic link to one.
CB_API bool IsDirectory(const CStringW& path);

/// True for an existing directory without entries.
CB_API bool IsDirectoryEmpty(const CStringW& path);

/// Creates the directory with every missing level; true when it is there
/// afterwards (at once for an existing directory or a root). False when a file
/// stands in the way, and for an empty path. The first level of the path (the
/// drive, the server of a network path, the root `/`, or the first folder of
/// a relative path) is taken to exist and never created.
CB_API bool CreateDirectoryW(const CStringW& path);

/// Deletes a directory with everything in it (or a single file). False, and
/// nothing touched, for a path that begins with a dot (`.`, `..\x`), for a
/// missing path, and with `onlyIfEmpty` for a directory that has entries.
/// A symbolic link inside the tree, or the path itself when it is one, is
/// removed as a link: what it points to stays. Nothing goes to a recycle bin.
/// Elsewhere than on Windows a root is never deleted.
CB_API bool DeleteDirectory(const CStringW& path, bool onlyIfEmpty);

/// Deletes a file; false when there is none.
CB_API bool DeleteFileW(const CStringW& path);

/// Copies a file, creating the destination's missing folders. With
/// `failIfExists` an existing destination is left alone and the copy fails;
/// without, it is replaced. The copy keeps the last-write time. Elsewhere than
/// on Windows the copy is written beside the destination and renamed into
/// place, so a failed copy leaves no partial file and the old destination
/// intact.
CB_API bool CopyFileW(const CStringW& source, const CStringW& destination, bool failIfExists);

/// Moves (renames) a file or directory, creating the destination's missing
/// folders. An existing destination fails the move with `failIfExists`, and is
/// deleted first without. A file moves to another file system by a copy
/// followed by deleting the source (a directory cannot).
CB_API bool MoveFileW(const CStringW& source, const CStringW& destination, bool failIfExists);

/// The size in bytes of a file that can be opened for reading; 0 when it
/// cannot (missing, unreadable, a directory), the same as for an empty file.
CB_API unsigned __int64 GetFileSize(const CStringW& path);

/// Sets `time` to the creation time (UTC) of the file or folder; false,
/// leaving `time` unchanged, when there is none. See CbDateTime's reader of
/// the same name for how each system finds the time.
CB_API bool ReadFileCreationTime(const CStringW& path, CbDateTime& time);

/// Sets `time` to the last-write time (UTC) of the file or folder; false,
/// leaving `time` unchanged, when there is none.
CB_API bool ReadFileModificationTime(const CStringW& path, CbDateTime& time);

} // namespace OsFileSystem
