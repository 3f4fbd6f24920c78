// CbPlexManagerPolicy: a container base that owns its record pool.
#pragma once

#include <cbfoundation/base/object/CbINonCopyable.h>
#include <cbfoundation/base/object/CbPlexManager.h>

/// Holds the record pool of a container by value, so that the container's
/// records live exactly as long as the container.
template <class T, class SizeT>
class CbPlexManagerPolicy : public CbINonCopyable
{
public:
    /// The pool type.
    using Pool = CbPlexManager<T, 0, 0, SizeT>;

protected:
    /// A pool with these block settings (see CbPlexManager).
    CbPlexManagerPolicy(SizeT initialBlockSize, SizeT fixedBlockSize, float growthFactor)
        : m_pool(initialBlockSize, fixedBlockSize, growthFactor)
    {}

    /// The pool.
    Pool& pool() { return m_pool; }
    /// The pool, read-only.
    const Pool& pool() const { return m_pool; }

private:
    Pool m_pool;
};
