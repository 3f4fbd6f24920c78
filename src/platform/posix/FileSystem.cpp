// Files and directories on POSIX systems, with the results the Windows calls give.
#include "platform/FileSystem.h"

#include <cbfoundation/platform/NativePath.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cbf::platform {

namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    int Get() const { return m_descriptor; }
    bool IsOpen() const { return m_descriptor >= 0; }

    /// Closes now, reporting the error a delayed write may only show here.
    bool Close()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

bool toNative(const CStringW& path, std::string& native)
{
    return ToNativePath(path.GetString(), static_cast<std::size_t>(path.GetLength()), native);
}

bool statOf(const std::string& path, struct stat& info, bool followLink)
{
    return (followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) == 0;
}

// The names in a directory, read whole before anything in it changes.
bool readNames(int directory, std::vector<std::string>& names)
{
    const int duplicate = ::fcntl(directory, F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0)
        return false;
    DIR* stream = ::fdopendir(duplicate);
    if (stream == nullptr) {
        ::close(duplicate);
        return false;
    }
    while (const dirent* entry = ::readdir(stream)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(stream);
    return true;
}

// Deletes everything inside the open directory. Subdirectories are opened
// relative to their parent and refused when they are links, so no link,
// not even one put in place while this runs, leads out of the tree.
bool removeContents(int directory)
{
    std::vector<std::string> names;
    bool removedAll = readNames(directory, names);
    for (const std::string& name : names) {
        struct stat info;
        if (::fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            removedAll = false;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const FileDescriptor child(
                ::openat(directory, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!child.IsOpen() || !removeContents(child.Get()) ||
                ::unlinkat(directory, name.c_str(), AT_REMOVEDIR) != 0)
                removedAll = false;
        } else if (::unlinkat(directory, name.c_str(), 0) != 0) {
            removedAll = false;
        }
    }
    return removedAll;
}

// "/", and paths whose last part is "." or "..": the system would remove no
// directory for them, and only after the tree inside was gone.
bool namesNoSingleEntry(const std::string& path)
{
    const std::size_t last = path.rfind('/');
    const std::string lastPart = last == std::string::npos ? path : path.substr(last + 1);
    return lastPart.empty() || lastPart == "." || lastPart == "..";
}

bool isRootDirectory(const struct stat& info)
{
    struct stat root;
    return ::stat("/", &root) == 0 && root.st_dev == info.st_dev && root.st_ino == info.st_ino;
}

// The folder a path lies in, for a file written beside it.
std::string folderOf(const std::string& path)
{
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos)
        return ".";
    return last == 0 ? std::string("/") : path.substr(0, last);
}

bool copyBytes(int from, int to)
{
    std::vector<char> buffer(1 << 17);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(to, buffer.data() + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno != EINTR)
                return false;
            written += put > 0 ? put : 0;
        }
    }
}

// Puts the finished copy at its destination, over an existing file unless
// failIfExists.
bool placeCopy(const std::string& copy, const std::string& destination, bool failIfExists)
{
    if (!failIfExists)
        return ::rename(copy.c_str(), destination.c_str()) == 0;
    if (::renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // File systems without an exclusive rename still have exclusive links.
    if ((errno != EINVAL && errno != ENOSYS) || ::link(copy.c_str(), destination.c_str()) != 0)
        return false;
    ::unlink(copy.c_str());
    return true;
}

// A regular file's bytes, permissions and times go to a new file beside the
// destination, which is then renamed into place: the destination is never
// seen half-written, and a failed copy leaves nothing behind.
bool copyFile(const std::string& source, const std::string& destination, bool failIfExists)
{
    // Non-blocking, so that a named pipe in place of the file cannot hold the
    // call; a pipe is no regular file and is refused below.
    const FileDescriptor from(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!from.IsOpen() || ::fstat(from.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    struct stat existing;
    if (failIfExists && statOf(destination, existing, false))
        return false;
    std::string copy = folderOf(destination) + "/.cbf-copy-XXXXXX";
    FileDescriptor to(::mkostemp(copy.data(), O_CLOEXEC));
    if (!to.IsOpen())
        return false;
    const timespec times[2] = {info.st_atim, info.st_mtim};
    const bool written = copyBytes(from.Get(), to.Get()) && ::fchmod(to.Get(), info.st_mode & 07777) == 0 &&
                         ::futimens(to.Get(), times) == 0;
    if (to.Close() && written && placeCopy(copy, destination, failIfExists))
        return true;
    ::unlink(copy.c_str());
    return false;
}

// A file moved to another file system is copied and its source deleted; a
// directory cannot move there, as on Windows.
bool moveAcrossFileSystems(const std::string& source, const std::string& destination)
{
    struct stat info;
    if (!statOf(source, info, false) || !S_ISREG(info.st_mode) || !copyFile(source, destination, true))
        return false;
    if (::unlink(source.c_str()) == 0)
        return true;
    ::unlink(destination.c_str());
    return false;
}

} // namespace

bool IsPathSeparator(wchar_t character)
{
    return character == L'/' || character == L'\\';
}

bool IsRootPath(const CStringW& path)
{
    if (path.IsEmpty())
        return false;
    for (int i = 0; i < path.GetLength(); ++i) {
        if (!IsPathSeparator(path[i]))
            return false;
    }
    return true;
}

int EndOfFirstPathLevel(const CStringW& path)
{
    return path.Find(kPathSeparator);
}

void AdoptStoredFolder(CStringW& folder)
{
    folder.Replace(kForeignPathSeparator, kPathSeparator);
}

bool PathExists(const CStringW& path)
{
    std::string native;
    struct stat info;
    return toNative(path, native) && statOf(native, info, false);
}

bool IsDirectoryPath(const CStringW& path)
{
    std::string native;
    struct stat info;
    return toNative(path, native) && statOf(native, info, true) && S_ISDIR(info.st_mode);
}

bool IsEmptyDirectoryPath(const CStringW& path)
{
    std::string native;
    if (!toNative(path, native))
        return false;
    const FileDescriptor directory(::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<std::string> names;
    return directory.IsOpen() && readNames(directory.Get(), names) && names.empty();
}

bool MakeDirectory(const CStringW& path)
{
    std::string native;
    return toNative(path, native) && ::mkdir(native.c_str(), 0777) == 0;
}

bool RemoveFile(const CStringW& path)
{
    std::string native;
    return toNative(path, native) && ::unlink(native.c_str()) == 0;
}

bool RemoveTree(const CStringW& path)
{
    std::string native;
    if (!toNative(path, native))
        return false;
    // A trailing slash would make the system follow a link to a directory.
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat info;
    if (namesNoSingleEntry(native) || !statOf(native, info, false) || isRootDirectory(info))
        return false;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(native.c_str()) == 0;
    const FileDescriptor directory(::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const bool emptied = directory.IsOpen() && removeContents(directory.Get());
    return emptied && ::rmdir(native.c_str()) == 0;
}

bool CopyFileTo(const CStringW& source, const CStringW& destination, bool failIfExists)
{
    std::string from;
    std::string to;
    return toNative(source, from) && toNative(destination, to) && copyFile(from, to, failIfExists);
}

bool MoveFileTo(const CStringW& source, const CStringW& destination)
{
    std::string from;
    std::string to;
    if (!toNative(source, from) || !toNative(destination, to))
        return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    struct stat existing;
    if (errno == EINVAL || errno == ENOSYS)
        return !statOf(to, existing, false) && ::rename(from.c_str(), to.c_str()) == 0;
    return errno == EXDEV && moveAcrossFileSystems(from, to);
}

bool ReadFileSize(const CStringW& path, unsigned __int64& size)
{
    std::string native;
    if (!toNative(path, native))
        return false;
    const FileDescriptor file(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!file.IsOpen() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = static_cast<unsigned __int64>(info.st_size);
    return true;
}

} // namespace cbf::platform
