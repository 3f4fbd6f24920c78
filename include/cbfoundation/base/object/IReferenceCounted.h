// IReferenceCounted: objects with intrusive, thread-safe reference counts.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/object/CbReferenceCounter.h>

/// Interface of objects that may have several owners.
///
/// The owners are CbSmartPointer instances (or code that calls AddReference
/// and ReleaseReference in pairs). The object is destroyed by the release
/// that drops the count to zero. Counts change with one interlocked
/// instruction; only that last release takes a lock, one of a pool of 256
/// chosen by the counter's address (ReferenceCounter_GetCriticalSection).
///
/// Code that holds that pool lock may take a new reference to an object whose
/// count has just dropped to zero (an observer turning into an owner): the
/// object then lives on, and whichever final release comes last destroys it,
/// exactly once.
class CB_API IReferenceCounted
{
public:
    virtual ~IReferenceCounted() = default;

    /// The number of owners right now (a snapshot; others may change it).
    unsigned GetReferenceCount() const { return getReferenceCounter().GetCount(); }

    /// Adds an owner.
    static void AddReference(const IReferenceCounted& object) { object.getReferenceCounter().increment(); }

    /// Removes an owner; the last one destroys the object (or hands it to the
    /// counter's deleter), after the pool lock has been left.
    static void ReleaseReference(const IReferenceCounted& object)
    {
        const CbReferenceCounter<unsigned>& counter = object.getReferenceCounter();
        if (counter.decrement())
            releaseLast(object, counter);
    }

protected:
    /// The object's counter. Its fields are mutable: counting works through
    /// const references.
    virtual const CbReferenceCounter<unsigned>& getReferenceCounter() const = 0;

    /// ReleaseReference in two steps, for owners that must take something
    /// out of the object between them (a chain released without recursion).
    /// Removes an owner and answers whether that was the last: then nobody
    /// else can reach the object, and the caller ends it with destroyReleased.
    static bool releaseWasLast(const IReferenceCounted& object)
    {
        const CbReferenceCounter<unsigned>& counter = object.getReferenceCounter();
        return counter.decrement() && claimLast(counter);
    }

    /// Hands an object whose last owner has gone to its counter's deleter,
    /// or deletes it.
    static void destroyReleased(const IReferenceCounted& object);

private:
    template <class T>
    friend class CbSmartPointer;

    // Adds an owner on behalf of a smart pointer copied from one that holds
    // the object, which keeps the count above zero meanwhile.
    static void addHeldReference(const IReferenceCounted& object) { object.getReferenceCounter().incrementHeld(); }

    static void releaseLast(const IReferenceCounted& object, const CbReferenceCounter<unsigned>& counter);
    static bool claimLast(const CbReferenceCounter<unsigned>& counter);
};
