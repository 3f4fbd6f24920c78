// The runtime library's buffered file streams as the file streams use them:
// wide-path opening, the non-locking transfers and position changes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace cbf::platform {

/// Opens a wide path with a C mode text ("rb", "wb", "ab"). Null on failure,
/// with errno telling why when the runtime library set it; a path that the
/// file-name encoding cannot carry fails with EINVAL.
std::FILE* OpenFile(const wchar_t* path, const char* mode);

/// Reads up to `count` bytes without taking the stream's lock.
std::size_t ReadFileUnlocked(void* buffer, std::size_t count, std::FILE* file);

/// Writes `count` bytes without taking the stream's lock; returns how many went.
std::size_t WriteFileUnlocked(const void* buffer, std::size_t count, std::FILE* file);

/// Full buffering with a buffer of `size` bytes that the runtime library
/// allocates itself. False on failure.
bool SetFullBuffering(std::FILE* file, std::size_t size);

/// The stream's error indicator.
bool HasFileError(std::FILE* file);

/// Saves and restores the position; restoring clears the end-of-file
/// indicator. False on failure.
bool GetFilePosition(std::FILE* file, std::fpos_t& position);
bool SetFilePosition(std::FILE* file, const std::fpos_t& position);

/// Moves to `offset` bytes from the start of the file. False on failure.
bool SeekFileFromStart(std::FILE* file, long offset);

/// Writes one item of `size` bytes through the locking call; false unless it went.
bool WriteFileItem(const void* buffer, std::size_t size, std::FILE* file);

/// Closes the stream, writing out what it still buffers. False when that
/// failed; the stream is closed either way.
bool CloseFile(std::FILE* file);

/// The thread's errno, and setting it.
int LastErrno();
void SetErrno(int value);

/// The runtime library's message text for an errno value.
std::string ErrnoText(int value);

} // namespace cbf::platform
