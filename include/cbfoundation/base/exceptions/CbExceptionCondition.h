// CbExceptionCondition: a checked condition failed.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown by Condition::HandleUnfulfilledCondition when a condition checked
/// with throwing handling is false.
class CB_API CbExceptionCondition : public CbException
{
    CB_DECLARE_RTTI(CbExceptionCondition)
    CB_DECLARE_CLONE(CbExceptionCondition)

public:
    /// The failed check at `line` of `file`, in `function`.
    CbExceptionCondition(const char* file, unsigned line, const char* function);
};
