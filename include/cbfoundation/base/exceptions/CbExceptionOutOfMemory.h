// CbExceptionOutOfMemory: a pool or buffer could not be allocated.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown when a record pool or a storage block cannot get memory.
class CB_API CbExceptionOutOfMemory : public CbException
{
    CB_DECLARE_EXCEPTION(CbExceptionOutOfMemory)
};
