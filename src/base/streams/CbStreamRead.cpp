// CbStreamRead: the version check shared by every reader.
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamRead.h>

unsigned int CbStreamRead::ReadAndCompareVersion(unsigned int expectedVersion)
{
    unsigned int version = 0;
    *this >> version;
    if (version > expectedVersion)
        throw CbExceptionWrongFileVersion(L"CbStreamRead", 46);
    return version;
}
