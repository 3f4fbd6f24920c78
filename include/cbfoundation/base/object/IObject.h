// IObject: the root interface of objects that the type registry can clone.
#pragma once

#include <cbfoundation/Export.h>

class CbRTTI;

/// Root interface of registered objects. Anything that derives from IObject
/// can be held by a CbVariant and copied by class name through the registry
/// (see CbRTTI).
class CB_API IObject
{
public:
    virtual ~IObject() = default;

    /// The descriptor of the object's dynamic class.
    virtual const CbRTTI& GetRTTI() const = 0;
};
