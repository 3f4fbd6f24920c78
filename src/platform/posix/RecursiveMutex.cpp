// The recursive lock over a pthread mutex that knows its recursion depth, on POSIX.
#include <cbfoundation/platform/RecursiveMutex.h>

#include <pthread.h>

#include <atomic>
#include <new>

namespace cbf::platform {

namespace {

struct Native
{
    pthread_mutex_t mutex;
    // Written only by the owner while it holds the mutex, so a plain
    // load-and-store suffices; atomic only because anyone may read it.
    std::atomic<long> recursion{0};
};

static_assert(sizeof(Native) <= 64, "RecursiveMutex storage is too small");

Native& native(unsigned char* storage)
{
    return *std::launder(reinterpret_cast<Native*>(storage));
}

const Native& native(const unsigned char* storage)
{
    return *std::launder(reinterpret_cast<const Native*>(storage));
}

// The caller owns the mutex: no other thread writes the count meanwhile.
void addRecursion(Native& n, long delta)
{
    n.recursion.store(n.recursion.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

} // namespace

RecursiveMutex::RecursiveMutex()
{
    Native* n = new (m_native) Native;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&n->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

RecursiveMutex::~RecursiveMutex()
{
    Native& n = native(m_native);
    pthread_mutex_destroy(&n.mutex);
    n.~Native();
}

void RecursiveMutex::Enter()
{
    Native& n = native(m_native);
    pthread_mutex_lock(&n.mutex);
    addRecursion(n, 1);
}

void RecursiveMutex::Leave()
{
    Native& n = native(m_native);
    addRecursion(n, -1);
    pthread_mutex_unlock(&n.mutex);
}

bool RecursiveMutex::TryEnter()
{
    Native& n = native(m_native);
    if (pthread_mutex_trylock(&n.mutex) != 0)
        return false;
    addRecursion(n, 1);
    return true;
}

long RecursiveMutex::GetRecursionCount() const
{
    return native(m_native).recursion.load(std::memory_order_relaxed);
}

} // namespace cbf::platform
