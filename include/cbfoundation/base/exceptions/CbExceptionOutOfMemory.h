// CbExceptionOutOfMemory: a pool or buffer could not be allocated.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown when a record pool or a storage block cannot get memory.
class CB_API CbExceptionOutOfMemory : public CbException
{
    CB_DECLARE_RTTI(CbExceptionOutOfMemory)
    CB_DECLARE_CLONE(CbExceptionOutOfMemory)

public:
    CbExceptionOutOfMemory(const CStringW& file, unsigned line);
    CbExceptionOutOfMemory(const CStringW& file, unsigned line, const CbException& history);
};
