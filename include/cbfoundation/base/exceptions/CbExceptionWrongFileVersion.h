// CbExceptionWrongFileVersion: stored data of an unsupported version.
#pragma once

#include <cbfoundation/base/exceptions/CbException.h>

/// Thrown when a version stamp or format marker is newer than the reader understands.
class CB_API CbExceptionWrongFileVersion : public CbException
{
    CB_DECLARE_EXCEPTION(CbExceptionWrongFileVersion)
};
