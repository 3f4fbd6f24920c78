// CbStreamWriteBinaryLines: the source name and lines of the binary writer's exceptions.
#pragma once

#include "CbStreamReadBinaryLines.h"

namespace cbf::detail::writeBinary {

inline constexpr const wchar_t* kSource = L"CbStreamWriteBinary";

// The reader's lines for the same types, so that a value refused here and a
// value missing there point at the same operator.
enum Line : unsigned
{
    kLineUnsignedLong = readBinary::kLineUnsignedLong,
    kLineLong = readBinary::kLineLong,
    kLineNarrowText = readBinary::kLineNarrowText,
    kLineNullChunk = 321,
};

inline constexpr const char* kSourceNarrow = "CbStreamWriteBinary";
inline constexpr const char* kFunctionWriteChunk = "CbStreamWriteBinary::WriteChunk";

} // namespace cbf::detail::writeBinary
