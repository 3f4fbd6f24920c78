#include <cbfoundation/base/exceptions/CbExceptionOutOfMemory.h>

CbExceptionOutOfMemory::CbExceptionOutOfMemory(const CStringW& file, unsigned line)
    : CbException(file, line, RTTI)
{}

CbExceptionOutOfMemory::CbExceptionOutOfMemory(const CStringW& file, unsigned line, const CbException& history)
    : CbException(file, line, history, RTTI)
{}
