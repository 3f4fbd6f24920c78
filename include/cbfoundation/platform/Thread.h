// Thread identity and interlocked 32-bit arithmetic.
#pragma once

#include <cbfoundation/Export.h>

namespace cbf::platform {

/// The operating system's identifier of the calling thread: a non-zero
/// 32-bit number, unique among the threads alive in the process.
CB_API unsigned CurrentThreadId();

// The interlocked operations are inline: reference counting calls them on
// every copy of a smart pointer. Both supported compilers (GCC and Clang,
// native or MinGW) emit the same locked instructions as the Windows
// Interlocked functions for these builtins.

/// Atomically adds 1 to *value and returns the new value (full barrier).
inline unsigned InterlockedIncrement32(volatile unsigned* value)
{
    return __atomic_add_fetch(value, 1u, __ATOMIC_SEQ_CST);
}

/// Atomically subtracts 1 from *value and returns the new value (full barrier).
inline unsigned InterlockedDecrement32(volatile unsigned* value)
{
    return __atomic_sub_fetch(value, 1u, __ATOMIC_SEQ_CST);
}

/// Atomically reads *value (acquire).
inline unsigned InterlockedRead32(const volatile unsigned* value)
{
    return __atomic_load_n(value, __ATOMIC_ACQUIRE);
}

} // namespace cbf::platform
