// CbExceptionOutOfMemory: the constructors of the exception for allocations that failed.
#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>

CB_DEFINE_EXCEPTION(CbExceptionOutOfMemory)
