// CbReferenceCounter: the count, observers and deleter of a shared object.
#pragma once

#include <atomic>

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
    static_assert(sizeof(std::atomic<T>) == sizeof(T) && alignof(std::atomic<T>) == alignof(T),
                  "the count keeps the layout of a plain 32-bit value");

public:
    /// A non-owning reference to the object; detached by the final release.
    struct SObserver
    {
        /// The observed object, cleared by the final release.
        void* object;
        /// Kept for layout compatibility; unused.
        void* reserved;
        /// The counter the observer is linked to.
        const CbReferenceCounter* counter;
        /// The next observer of the same counter.
        SObserver* next;
    };

    /// Called instead of deleting the object when the last owner goes.
    using Deleter = void (*)(IReferenceCounted*);

    CbReferenceCounter() = default;
    /// A copy starts at 0 with no deleter; assignment changes nothing.
    /// @{
    CbReferenceCounter(const CbReferenceCounter&) {}
    CbReferenceCounter& operator=(const CbReferenceCounter&) { return *this; }
    /// @}

    /// The number of owners.
    T GetCount() const { return m_count.load(std::memory_order_acquire); }

    /// The deleter, or null for plain deletion.
    /// @{
    void SetDeleter(Deleter deleter) { m_deleter = deleter; }
    Deleter GetDeleter() const { return m_deleter; }
    /// @}

    /// Links an observer record; call it while holding the counter's pool
    /// lock (ReferenceCounter_GetCriticalSection(&counter)).
    void AttachObserver(SObserver& observer, void* object) const
    {
        observer.object = object;
        observer.counter = this;
        observer.next = m_observers;
        m_observers = &observer;
    }

    /// Adds an owner: one interlocked instruction. The owner that lifts the
    /// count from zero also notes that one more final release is due.
    void increment() const
    {
        if (m_count.fetch_add(1, std::memory_order_relaxed) == 0)
            addToPending(1);
    }

    /// Adds an owner to an object that the caller already owns a reference
    /// to, so that the count cannot be leaving zero: one interlocked
    /// instruction that need not report the count it found.
    void incrementHeld() const { m_count.fetch_add(1, std::memory_order_relaxed); }

    /// Removes an owner: one interlocked instruction. True when this removed
    /// the last one. Acquire and release, so that whoever destroys the object
    /// sees every other owner's writes to it.
    bool decrement() const { return m_count.fetch_sub(1, std::memory_order_acq_rel) == 1; }

    /// Settles one final release under the pool lock: true when it is the
    /// one that destroys the object. A final release is due each time the
    /// count leaves zero, so code under the lock that revives an object whose
    /// count has just reached zero makes two of them due; both find the count
    /// at zero again, and only the one settled last may destroy (the other
    /// has let go of the object by then).
    bool settleFinalRelease() const
    {
        addToPending(static_cast<T>(-1));
        return m_count.load(std::memory_order_relaxed) == 0 &&
               m_pendingFinalReleases.load(std::memory_order_relaxed) == 0;
    }

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
    void addToPending(T delta) const
    {
        m_pendingFinalReleases.store(m_pendingFinalReleases.load(std::memory_order_relaxed) + delta,
                                     std::memory_order_relaxed);
    }

    // std::atomic of a 32-bit value has the value's size and alignment, so
    // the count keeps its place at the start of the counter.
    mutable std::atomic<T> m_count{0};
    // Final releases due and not yet settled. Changed without an interlocked
    // instruction: the changes are ordered by the pool lock or, when the
    // count leaves zero outside the lock, by the count itself (no final
    // release of this run can start before that owner lets go). It fills the
    // gap that aligning the pointers below leaves, so the size is unchanged.
    mutable std::atomic<T> m_pendingFinalReleases{0};
    mutable SObserver* m_observers = nullptr;
    Deleter m_deleter = nullptr;
};
