// CbExceptionStream: a stream could not be read or written.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown when a stream ends early, holds malformed data or cannot be written.
class CB_API CbExceptionStream : public CbException
{
    CB_DECLARE_EXCEPTION(CbExceptionStream)
};
