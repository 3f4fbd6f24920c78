// IReferenceCounted: the final release, which takes a pool lock and destroys the object outside it.
#include <cbfoundation/base/object/CbCriticalSectionAuto.h>
#include <cbfoundation/base/object/IReferenceCounted.h>

// Clients compile against the counter's layout: the pending count lives in
// the padding after the count.
static_assert(sizeof(CbReferenceCounter<unsigned>) == 4 + 4 + 2 * sizeof(void*));

void IReferenceCounted::releaseLast(const IReferenceCounted& object, const CbReferenceCounter<unsigned>& counter)
{
    if (claimLast(counter))
        destroyReleased(object);
}

bool IReferenceCounted::claimLast(const CbReferenceCounter<unsigned>& counter)
{
    CbCriticalSectionAuto lock(ReferenceCounter_GetCriticalSection(&counter));
    // Code that holds this pool lock may have taken a new reference since the
    // count reached zero; then the object lives on, and so it does while
    // another final release of it is still on its way to the lock.
    if (!counter.settleFinalRelease())
        return false;
    counter.detachObservers();
    return true;
}

void IReferenceCounted::destroyReleased(const IReferenceCounted& object)
{
    // Called outside the lock: the destructor may release further objects
    // whose counters map to the same pool lock.
    IReferenceCounted* target = const_cast<IReferenceCounted*>(&object);
    if (CbReferenceCounter<unsigned>::Deleter deleter = object.getReferenceCounter().GetDeleter())
        deleter(target);
    else
        delete target;
}
