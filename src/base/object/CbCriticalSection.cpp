// CbCriticalSection: the recursive lock that remembers its owning thread, and the lock pool of the reference counts.
#include <cbfoundation/base/object/CbCriticalSection.h>

#include <cbfoundation/platform/Thread.h>

#include "ReferenceCounterLocks.h"

#include <cstdint>

void CbCriticalSection::Enter()
{
    m_section.Enter();
    m_owner.store(cbf::platform::CurrentThreadId(), std::memory_order_relaxed);
}

void CbCriticalSection::Leave()
{
    // The owner's last Leave frees the section: clear the owner first, while
    // the section still protects the field.
    if (m_section.GetRecursionCount() == 1)
        m_owner.store(0, std::memory_order_relaxed);
    m_section.Leave();
}

bool CbCriticalSection::TryEnter()
{
    if (!m_section.TryEnter())
        return false;
    m_owner.store(cbf::platform::CurrentThreadId(), std::memory_order_relaxed);
    return true;
}

bool CbCriticalSection::IsLocking() const
{
    return IsLocking(cbf::platform::CurrentThreadId());
}

bool CbCriticalSection::IsLocking(unsigned threadId) const
{
    return m_owner.load(std::memory_order_relaxed) == threadId;
}

CbCriticalSection& ReferenceCounter_GetCriticalSection(const void* counter)
{
    // Bits 2 to 9 of the address: counters are at least 4-byte aligned, and
    // neighbouring objects spread over different locks.
    const auto address = reinterpret_cast<std::uintptr_t>(counter);
    return cbf::detail::g_referenceCounterLocks[(address >> 2) % cbf::detail::kReferenceCounterLockCount];
}
