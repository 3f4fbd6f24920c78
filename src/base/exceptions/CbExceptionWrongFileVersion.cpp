// CbExceptionWrongFileVersion: the constructors of the exception for unsupported stored versions.
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>

CB_DEFINE_EXCEPTION(CbExceptionWrongFileVersion)
