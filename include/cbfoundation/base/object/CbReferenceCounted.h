// CbReferenceCounted: the ready-made base of reference-counted classes.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/object/IReferenceCounted.h>

/// Implements IReferenceCounted over a counter member. Copies are new
/// objects with no owners; assignment leaves both counts alone.
class CB_API CbReferenceCounted : public IReferenceCounted
{
public:
    CbReferenceCounted() = default;
    /// A copy starts without owners; assignment leaves both counts alone.
    /// @{
    CbReferenceCounted(const CbReferenceCounted&)
        : IReferenceCounted()
    {}
    CbReferenceCounted& operator=(const CbReferenceCounted&) { return *this; }
    /// @}
    ~CbReferenceCounted() override = default;

protected:
    const CbReferenceCounter<unsigned>& getReferenceCounter() const override { return m_counter; }

private:
    CbReferenceCounter<unsigned> m_counter;
};
