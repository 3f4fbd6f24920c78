// The layout of the compressed-archive header that the binary file streams write and recognise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cbf::streams {

inline constexpr std::size_t kHeaderSize = 28;
inline constexpr std::size_t kMagicSize = 20;
inline constexpr std::size_t kMethodOffset = 20;
inline constexpr long kLengthOffset = 24;

/// The magic the writer puts first, and the older one the reader also knows;
/// both are compared over kMagicSize bytes, without a terminator.
inline constexpr char kContainerMagic[] = "C2288012-30BB4396B65";
inline constexpr char kAlternativeContainerMagic[] = "Varok AG, 2005, comp";

/// The payload stored as it is, and as a zlib stream.
inline constexpr std::uint32_t kMethodStored = 0;
inline constexpr std::uint32_t kMethodZlib = 2;

inline std::uint32_t ReadLittleEndian32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void WriteLittleEndian32(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace cbf::streams
