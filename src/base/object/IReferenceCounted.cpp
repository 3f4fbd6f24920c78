// IReferenceCounted: the final release, which takes a pool lock and destroys the object outside it.
#include <cbfoundation/base/object/CbCriticalSectionAuto.h>
#include <cbfoundation/base/object/IReferenceCounted.h>

void IReferenceCounted::releaseLast(const IReferenceCounted& object, const CbReferenceCounter<unsigned>& counter)
{
    if (claimLast(counter))
        destroyReleased(object);
}

bool IReferenceCounted::claimLast(const CbReferenceCounter<unsigned>& counter)
{
    CbCriticalSectionAuto lock(ReferenceCounter_GetCriticalSection(&counter));
    // Code that holds this pool lock may have taken a new reference since the
    // count reached zero; then the object lives on.
    if (counter.GetCount() != 0)
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
