#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>

CB_DEFINE_EXCEPTION(CbExceptionWrongFileVersion)
