// CbExceptionStream: the constructors of the exception for streams that cannot be read or written.
#include <cbfoundation/base/exceptions/CbExceptionStream.h>

CB_DEFINE_EXCEPTION(CbExceptionStream)
