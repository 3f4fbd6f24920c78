// CbExceptionPreconditionViolation: the constructors of the exception for broken preconditions.
#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>

CB_DEFINE_EXCEPTION(CbExceptionPreconditionViolation)
