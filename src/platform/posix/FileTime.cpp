// File times of a path, read with statx, on POSIX.
#include <cbfoundation/platform/SystemTime.h>

#include <cbfoundation/platform/NativePath.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace cbf::platform {

namespace {

constexpr __int64 kSecondsFrom1601To1970 = static_cast<__int64>(kTicksFrom1601To1970 / kTicksPerSecond);

// File times before 1601 have no tick count; they become the first tick.
FILETIME fileTimeOf(__int64 seconds, unsigned nanoseconds)
{
    if (seconds < -kSecondsFrom1601To1970)
        return TicksToFileTime(0);
    const auto since1601 = static_cast<unsigned __int64>(seconds + kSecondsFrom1601To1970);
    return TicksToFileTime(since1601 * kTicksPerSecond + nanoseconds / 100);
}

FILETIME fileTimeOf(const struct statx_timestamp& time)
{
    return fileTimeOf(time.tv_sec, time.tv_nsec);
}

FILETIME fileTimeOf(const timespec& time)
{
    return fileTimeOf(time.tv_sec, static_cast<unsigned>(time.tv_nsec));
}

bool isEarlier(const struct statx_timestamp& a, const struct statx_timestamp& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool isEarlier(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The entry itself is described, as a directory search describes it: a
// symbolic link reports its own times, not those of its target.
bool readWithStatx(const char* path, FILETIME& creation, FILETIME& lastWrite)
{
    struct statx info;
    const unsigned wanted = STATX_BTIME | STATX_MTIME | STATX_CTIME;
    if (::statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, wanted, &info) != 0)
        return false;
    const struct statx_timestamp& earliestChange =
        isEarlier(info.stx_mtime, info.stx_ctime) ? info.stx_mtime : info.stx_ctime;
    creation = fileTimeOf((info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : earliestChange);
    lastWrite = fileTimeOf(info.stx_mtime);
    return true;
}

// For kernels and sandboxes without statx: no birth time at all.
bool readWithStat(const char* path, FILETIME& creation, FILETIME& lastWrite)
{
    struct stat info;
    if (::fstatat(AT_FDCWD, path, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    creation = fileTimeOf(isEarlier(info.st_mtim, info.st_ctim) ? info.st_mtim : info.st_ctim);
    lastWrite = fileTimeOf(info.st_mtim);
    return true;
}

} // namespace

bool ReadFileTimes(const wchar_t* path, std::size_t length, FILETIME& creation, FILETIME& lastWrite)
{
    NativePath native;
    if (path == nullptr || !ToNativePath(path, length, native))
        return false;
    return readWithStatx(native.c_str(), creation, lastWrite) || readWithStat(native.c_str(), creation, lastWrite);
}

} // namespace cbf::platform
