// CbExceptionCondition: the exception a failed condition check throws.
#include <cbfoundation/base/exceptions/CbExceptionCondition.h>

CbExceptionCondition::CbExceptionCondition(const char* file, unsigned line, const char* function)
    : CbException(file, line, function, RTTI)
{}
