#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>

CbExceptionPreconditionViolation::CbExceptionPreconditionViolation(const CStringW& file, unsigned line)
    : CbException(file, line, RTTI)
{}

CbExceptionPreconditionViolation::CbExceptionPreconditionViolation(const CStringW& file, unsigned line,
                                                                   const CbException& history)
    : CbException(file, line, history, RTTI)
{}
