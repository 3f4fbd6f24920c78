// The operating system's recursive lock, as CbCriticalSection needs it.
#pragma once

#include <cbfoundation/Export.h>

namespace cbf::platform {

/// A recursive lock that knows how often its owner has entered it.
///
/// On Windows this is a CRITICAL_SECTION, whose RecursionCount answers
/// GetRecursionCount(); elsewhere a recursive pthread mutex with a counter
/// kept by the owning thread. The native object lives in opaque storage so
/// that no system header leaks into the library's public headers.
class CB_API RecursiveMutex
{
public:
    RecursiveMutex();
    ~RecursiveMutex();

    RecursiveMutex(const RecursiveMutex&) = delete;
    RecursiveMutex& operator=(const RecursiveMutex&) = delete;

    /// Blocks until the calling thread holds the lock (again).
    void Enter();

    /// Releases one level of ownership. Only the owning thread may call it.
    void Leave();

    /// Takes the lock without blocking; false when another thread holds it.
    bool TryEnter();

    /// How often the owner has entered without leaving; 0 when the lock is free.
    long GetRecursionCount() const;

private:
    alignas(16) unsigned char m_native[64];
};

} // namespace cbf::platform
