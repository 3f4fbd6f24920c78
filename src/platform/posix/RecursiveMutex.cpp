#include <cbfoundation/platform/RecursiveMutex.h>

#include <pthread.h>

#include <atomic>
#include <new>

namespace cbf::platform {

namespace {

struct Native
{
    pthread_mutex_t mutex;
    // Written only by the owner while it holds the mutex; read by anyone.
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
    n.recursion.fetch_add(1, std::memory_order_relaxed);
}

void RecursiveMutex::Leave()
{
    Native& n = native(m_native);
    n.recursion.fetch_sub(1, std::memory_order_relaxed);
    pthread_mutex_unlock(&n.mutex);
}

bool RecursiveMutex::TryEnter()
{
    Native& n = native(m_native);
    if (pthread_mutex_trylock(&n.mutex) != 0)
        return false;
    n.recursion.fetch_add(1, std::memory_order_relaxed);
    return true;
}

long RecursiveMutex::GetRecursionCount() const
{
    return native(m_native).recursion.load(std::memory_order_relaxed);
}

} // namespace cbf::platform
