// CbReferenceCounter: the count, observers and deleter of a shared object.
#pragma once

#include <cbfoundation/platform/Thread.h>

class IReferenceCounted;

/// The counting state that every reference-counted object carries.
///
/// A new counter, and the counter of a copied object, starts at zero with no
/// observers and no deleter: a copy is a new object that nobody owns yet.
/// Observers are records of non-owning references; the final release
/// detaches them (clears their pointers) under the pool lock, so an observer
/// can tell that its object is gone.
template <class T>
class CbReferenceCounter
{
    static_assert(sizeof(T) == 4, "reference counts are 32-bit interlocked values");

public:
    /// A non-owning reference to the object; detached by the final release.
    struct SObserver
    {
        void* object;
        void* reserved;
        const CbReferenceCounter* counter;
        SObserver* next;
    };

    /// Called instead of deleting the object when the last owner goes.
    using Deleter = void (*)(IReferenceCounted*);

    CbReferenceCounter() = default;
    CbReferenceCounter(const CbReferenceCounter&) {}
    CbReferenceCounter& operator=(const CbReferenceCounter&) { return *this; }

    T GetCount() const { return cbf::platform::InterlockedRead32(&m_count); }

    void SetDeleter(Deleter deleter) { m_deleter = deleter; }
    Deleter GetDeleter() const { return m_deleter; }

    /// Links an observer record; call it while holding the counter's pool
    /// lock (ReferenceCounter_GetCriticalSection(&counter)).
    void AttachObserver(SObserver& observer, void* object) const
    {
        observer.object = object;
        observer.counter = this;
        observer.next = m_observers;
        m_observers = &observer;
    }

    T increment() const { return cbf::platform::InterlockedIncrement32(&m_count); }
    T decrement() const { return cbf::platform::InterlockedDecrement32(&m_count); }

    /// Unlinks every observer and clears its pointers; pool lock held.
    void detachObservers() const
    {
        while (SObserver* observer = m_observers) {
            m_observers = observer->next;
            observer->object = nullptr;
            observer->counter = nullptr;
            observer->next = nullptr;
        }
    }

private:
    mutable volatile T m_count = 0;
    mutable SObserver* m_observers = nullptr;
    Deleter m_deleter = nullptr;
};
