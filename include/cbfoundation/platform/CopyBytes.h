// Copying short runs of bytes without a call into the C library.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace cbf::platform {

// Where GCC knows a bound on `count` (a copy from a small array, say), it
// warns about the moves of the longer branches, which that bound makes dead.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#endif

/// Copies `count` bytes from `from` to `to`; the ranges must not overlap.
///
/// The strings, byte arrays and stream records of the library mostly copy a
/// few dozen bytes at a time, where calling memcpy (through the PLT and the
/// C library's dispatch) costs more than the copy itself. Up to 64 bytes
/// are copied here, inline, as two fixed-size moves that overlap in the
/// middle; longer runs go to memcpy.
[[gnu::always_inline]] inline void CopyBytes(void* to, const void* from, std::size_t count) noexcept
{
    auto* const target = static_cast<unsigned char*>(to);
    const auto* const source = static_cast<const unsigned char*>(from);
    const auto copyEnds = [&](auto width) {
        std::memcpy(target, source, width);
        std::memcpy(target + count - width, source + count - width, width);
    };
    if (count > 64)
        std::memcpy(target, source, count);
    else if (count >= 32)
        copyEnds(std::integral_constant<std::size_t, 32>());
    else if (count >= 16)
        copyEnds(std::integral_constant<std::size_t, 16>());
    else if (count >= 8)
        copyEnds(std::integral_constant<std::size_t, 8>());
    else if (count >= 4)
        copyEnds(std::integral_constant<std::size_t, 4>());
    else if (count >= 2)
        copyEnds(std::integral_constant<std::size_t, 2>());
    else if (count == 1)
        *target = *source;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

} // namespace cbf::platform
