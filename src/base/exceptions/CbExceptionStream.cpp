#include <cbfoundation/base/exceptions/CbExceptionStream.h>

CbExceptionStream::CbExceptionStream(const CStringW& file, unsigned line)
    : CbException(file, line, RTTI)
{}

CbExceptionStream::CbExceptionStream(const CStringW& file, unsigned line, const CbException& history)
    : CbException(file, line, history, RTTI)
{}
