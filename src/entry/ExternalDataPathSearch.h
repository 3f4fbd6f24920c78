// The search behind GetExternalDataPath, apart from the OLE string it answers with.
#pragma once

#include <cbfoundation/platform/CStringT.h>

#include <cstdint>

namespace cbf::entry {

/// The status words' values.
inline constexpr std::uint32_t kStatusOk = 0;
inline constexpr std::uint32_t kStatusUnknown = 1;
inline constexpr std::uint32_t kStatusFileNotFound = 2;

/// The text of the first record named "ExternalDataPath" in the parameter
/// list of the file at the narrow `path`, with `status` set as
/// GetExternalDataPath sets it; an empty text on every failure. Reads the
/// records one at a time, keeping none, and stops at the match. Throws
/// nothing.
CStringW FindExternalDataPath(const char* path, std::uint32_t& status) noexcept;

} // namespace cbf::entry
