// The recursive lock over a Windows critical section, on Windows.
#include <cbfoundation/platform/RecursiveMutex.h>

#include <windows.h>

#include <new>

namespace cbf::platform {

namespace {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "RecursiveMutex storage is too small");
static_assert(alignof(CRITICAL_SECTION) <= 16, "RecursiveMutex storage is under-aligned");

CRITICAL_SECTION* section(unsigned char* storage)
{
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

const CRITICAL_SECTION* section(const unsigned char* storage)
{
    return std::launder(reinterpret_cast<const CRITICAL_SECTION*>(storage));
}

} // namespace

RecursiveMutex::RecursiveMutex()
{
    ::InitializeCriticalSection(new (m_native) CRITICAL_SECTION);
}

RecursiveMutex::~RecursiveMutex()
{
    ::DeleteCriticalSection(section(m_native));
}

void RecursiveMutex::Enter()
{
    ::EnterCriticalSection(section(m_native));
}

void RecursiveMutex::Leave()
{
    ::LeaveCriticalSection(section(m_native));
}

bool RecursiveMutex::TryEnter()
{
    return ::TryEnterCriticalSection(section(m_native)) != FALSE;
}

long RecursiveMutex::GetRecursionCount() const
{
    // The section keeps the count itself; only its owner changes it, and
    // anyone may read it (a stale answer from another thread is harmless).
    return *static_cast<const volatile LONG*>(&section(m_native)->RecursionCount);
}

} // namespace cbf::platform
