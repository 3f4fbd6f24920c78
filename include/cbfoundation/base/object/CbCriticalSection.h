// CbCriticalSection: a recursive lock that knows its owner.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/RecursiveMutex.h>

#include <atomic>

/// A recursive critical section. The owning thread may enter it again; it is
/// free once the owner has left as often as it entered. The section remembers
/// which thread holds it, so code can assert that it runs under the lock.
class CB_API CbCriticalSection
{
public:
    CbCriticalSection() = default;
    ~CbCriticalSection() = default;

    CbCriticalSection(const CbCriticalSection&) = delete;
    CbCriticalSection& operator=(const CbCriticalSection&) = delete;

    /// Blocks until the calling thread holds the section.
    void Enter();

    /// Leaves one level; the owner's last Leave frees the section.
    void Leave();

    /// Enters without blocking; false when another thread holds the section.
    bool TryEnter();

    /// True when the calling thread holds the section.
    bool IsLocking() const;

    /// True when the thread with that identifier holds the section.
    bool IsLocking(unsigned threadId) const;

    /// How often the owner has entered without leaving; 0 when free.
    long GetRecursionCount() const { return m_section.GetRecursionCount(); }

private:
    // Written only by the owning thread; read by anyone, hence atomic.
    std::atomic<unsigned> m_owner{0};
    cbf::platform::RecursiveMutex m_section;
};

/// The pool lock that guards the final release of the counter at `counter`:
/// one of 256 sections, chosen by bits 2 to 9 of the address.
CB_API CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* counter);
