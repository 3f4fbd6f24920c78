// OLE strings on Windows: the system's own, from oleaut32.
#include <cbfoundation/platform/OleString.h>

BSTR CbSysAllocString(const OLECHAR* text)
{
    return ::SysAllocString(text);
}

void CbSysFreeString(BSTR text)
{
    ::SysFreeString(text);
}

unsigned int CbSysStringLen(BSTR text)
{
    return ::SysStringLen(text);
}
