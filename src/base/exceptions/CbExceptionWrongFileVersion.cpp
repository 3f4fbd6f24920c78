#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>

CbExceptionWrongFileVersion::CbExceptionWrongFileVersion(const CStringW& file, unsigned line)
    : CbException(file, line, RTTI)
{}

CbExceptionWrongFileVersion::CbExceptionWrongFileVersion(const CStringW& file, unsigned line,
                                                         const CbException& history)
    : CbException(file, line, history, RTTI)
{}
