// CbRTTIRegistration: what the type registry stores under each class name.
#pragma once

#include <cbfoundation/base/object/CbMap.h>
#include <cbfoundation/base/object/CbRTTI.h>

namespace CbRTTIRegistration {

/// The registry's value for one class name.
struct SRegistration
{
    /// The registered descriptor.
    const CbRTTI* descriptor;
    /// Its create and clone functions.
    /// @{
    CbRTTI::CreateFunction create;
    CbRTTI::CloneFunction clone;
    /// @}
    /// How many live descriptors carry this name (a class compiled into
    /// several modules has one per module).
    unsigned registrations;
};

/// The registry itself: class name text -> registration.
using Map = CbMap<wchar_t*, SRegistration, 2, unsigned, CbHashKey<wchar_t*>>;

} // namespace CbRTTIRegistration

template <>
inline const char* CbRTTIRegistration::Map::initHashTableFunctionName()
{
    return "CbMap<wchar_t *,struct CbRTTIRegistration::SRegistration,2,unsigned int,struct CbHashKey<wchar_t *> "
           ">::InitHashTable";
}
