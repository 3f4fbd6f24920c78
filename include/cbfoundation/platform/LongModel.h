// The width of `long` on the target platform.
//
// The library treats `long` and `unsigned long` as 32-bit types on every wire
// and in every value it stores, as they are on Windows. Where the compiler's
// `long` is 64 bits wide (Linux and the other LP64 systems) a few interfaces
// change shape: values outside 32 bits are refused instead of truncated, and
// references to a stored 32-bit value cannot be handed out as `long&`.
#pragma once

namespace cbf::platform {

/// True where `long` is 32 bits wide, as the stored forms assume.
inline constexpr bool kLongIs32Bit = sizeof(long) == 4;

static_assert(sizeof(long) == 4 || sizeof(long) == 8, "long must be 32 or 64 bits wide");

} // namespace cbf::platform
