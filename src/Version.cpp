// CbFoundationVersion: the version the library was built as.

#include <cbfoundation/Version.h>

const char* CbFoundationVersion(void)
{
    return CBFOUNDATION_VERSION_STRING;
}
