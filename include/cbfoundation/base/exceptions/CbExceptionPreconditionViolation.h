// CbExceptionPreconditionViolation: a caller broke a precondition.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown when a caller passes what a function cannot accept (a null object, a zero size).
class CB_API CbExceptionPreconditionViolation : public CbException
{
    CB_DECLARE_EXCEPTION(CbExceptionPreconditionViolation)
};
