// The operating system's side of saving a file atomically: a new file beside the target, flushed, renamed over it.
#pragma once

#include <cbfoundation/platform/CStringT.h>

namespace cbf::platform {

/// Creates a new, empty file with a name of its own in the folder of
/// `target` and returns its path in `created`. It gets the permissions of
/// `target` where the system has them and `target` exists, else those a new
/// file gets. False when no file could be created.
bool CreateFileBeside(const CStringW& target, CStringW& created);

/// Writes what the system still holds of the file at `path` through to the
/// disk. False on failure.
bool FlushFileToDisk(const CStringW& path);

/// Renames `source` to `target` in one step, replacing an existing `target`,
/// and makes the change durable where the system allows. False on failure,
/// leaving both as they were.
bool ReplaceFileWith(const CStringW& source, const CStringW& target);

} // namespace cbf::platform
