#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>

CB_DEFINE_EXCEPTION(CbExceptionOutOfMemory)
