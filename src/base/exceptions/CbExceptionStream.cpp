#include <cbfoundation/base/exceptions/CbExceptionStream.h>

CB_DEFINE_EXCEPTION(CbExceptionStream)
