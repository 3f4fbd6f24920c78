// IException: where and on which thread a failure arose.
#pragma once

#include <cbfoundation/Export.h>

/// The questions every library exception answers.
class CB_API IException
{
public:
    virtual ~IException() = default;

    /// The source-file name the raising code passed (narrow text).
    virtual const char* GetFilename() const = 0;

    /// The line the raising code passed.
    virtual unsigned GetCodeLine() const = 0;

    /// The function name the raising code passed, or "".
    virtual const char* GetFunctionName() const = 0;

    /// The identifier of the thread that constructed the exception.
    virtual unsigned GetThreadID() const = 0;
};
