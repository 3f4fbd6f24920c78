// CbNoType: the empty type, a placeholder for "no type" in templates.
#pragma once

#include <cbfoundation/Export.h>

/// An empty class. Assigning one to another copies nothing.
class CB_API CbNoType
{
public:
    /// Copies nothing; returns this object.
    CbNoType& operator=(const CbNoType& other);
};
