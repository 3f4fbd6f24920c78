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
/// are copied here, inline, in fixed-size moves from both ends that may
/// overlap in the middle; longer runs go to memcpy.
[[gnu::always_inline]] inline void CopyBytes(void* to, const void* from, std::size_t count) noexcept
{
    auto* const target = static_cast<unsigned char*>(to);
    const auto* const source = static_cast<const unsigned char*>(from);
    const auto copyAt = [&](std::size_t offset, auto width) { std::memcpy(target + offset, source + offset, width); };
    using Sixteen = std::integral_constant<std::size_t, 16>;
    using Eight = std::integral_constant<std::size_t, 8>;
    using Four = std::integral_constant<std::size_t, 4>;
    using Two = std::integral_constant<std::size_t, 2>;
    if (count >= 16) {
        if (count > 64) {
            std::memcpy(target, source, count);
            return;
        }
        copyAt(0, Sixteen());
        copyAt(count - 16, Sixteen());
        if (count > 32) {
            copyAt(16, Sixteen());
            copyAt(count - 32, Sixteen());
        }
    } else if (count >= 8) {
        copyAt(0, Eight());
        copyAt(count - 8, Eight());
    } else if (count >= 4) {
        copyAt(0, Four());
        copyAt(count - 4, Four());
    } else if (count >= 2) {
        copyAt(0, Two());
        copyAt(count - 2, Two());
    } else if (count == 1) {
        *target = *source;
    }
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

} // namespace cbf::platform
