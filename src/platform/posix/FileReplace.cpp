// Atomic replacement of a file on POSIX systems: O_EXCL creation, fsync and rename.
#include "platform/FileReplace.h"

#include <cbfoundation/platform/NativePath.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace cbf::platform {

namespace {

bool toNative(const CStringW& path, std::string& native)
{
    return ToNativePath(path.GetString(), static_cast<std::size_t>(path.GetLength()), native);
}

std::string folderOf(const std::string& path)
{
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos)
        return ".";
    return last == 0 ? std::string("/") : path.substr(0, last);
}

// Opens a file only to call `action` on its descriptor, and closes it.
template <class Action>
bool withDescriptor(const std::string& path, int flags, Action action)
{
    const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool done = action(descriptor);
    return ::close(descriptor) == 0 && done;
}

} // namespace

bool CreateFileBeside(const CStringW& target, CStringW& created)
{
    std::string native;
    if (!toNative(target, native))
        return false;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".cbf-save-%08x", static_cast<unsigned>(random()));
        const std::string candidate = native + suffix;
        // The mode before the umask, as for any new file.
        const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        struct stat existing;
        if (::stat(native.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
            ::fchmod(descriptor, existing.st_mode & 07777);
        ::close(descriptor);
        const std::wstring wide = FromNativePath(candidate.c_str(), candidate.size());
        created = CStringW(wide.c_str(), static_cast<int>(wide.size()));
        return true;
    }
    return false;
}

bool FlushFileToDisk(const CStringW& path)
{
    std::string native;
    return toNative(path, native) &&
           withDescriptor(native, O_WRONLY, [](int descriptor) { return ::fsync(descriptor) == 0; });
}

bool ReplaceFileWith(const CStringW& source, const CStringW& target)
{
    std::string from;
    std::string to;
    if (!toNative(source, from) || !toNative(target, to) || ::rename(from.c_str(), to.c_str()) != 0)
        return false;
    // The rename itself is durable only once its folder is; a folder that
    // cannot be synced (some file systems refuse) still holds the new file.
    withDescriptor(folderOf(to), O_RDONLY | O_DIRECTORY, [](int descriptor) { return ::fsync(descriptor) == 0; });
    return true;
}

} // namespace cbf::platform
