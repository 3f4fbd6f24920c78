// CbStreamReadBinaryLines: the source name and lines of the binary reader's exceptions.
#pragma once

namespace cbf::detail::readBinary {

inline constexpr const wchar_t* kSource = L"CbStreamReadBinary";

// One line per operation, so that an exception tells which read found the
// data too short.
enum Line : unsigned
{
    kLineBool = 39,
    kLineUnsignedChar = 60,
    kLineSignedChar = 79,
    kLineUnsignedShort = 98,
    kLineShort = 117,
    kLineUnsignedInt = 136,
    kLineInt = 155,
    kLineUnsignedInt64 = 174,
    kLineInt64 = 193,
    kLineFloat = 212,
    kLineDouble = 231,
    kLineChar = 250,
    kLineUnsignedLong = 269,
    kLineLong = 288,
    kLineWideText = 307,
    kLineNarrowText = 326,
    kLineMissingWideTag = 397,
};

// Unknown chunks are skipped through a buffer of this size, in blocks that
// halve from it down to one byte.
inline constexpr unsigned kSkipBlockSize = 256;

} // namespace cbf::detail::readBinary
