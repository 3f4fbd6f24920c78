// CbStreamWrite: the string-object, version and formatted-text operators every writer shares.
#include <cbfoundation/base/streams/CbFormat.h>
#include <cbfoundation/base/streams/CbStreamWrite.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>

CbStreamWrite& CbStreamWrite::operator<<(const CStringW& value)
{
    return *this << value.GetString();
}

CbStreamWrite& CbStreamWrite::operator<<(const CStringA& value)
{
    return *this << value.GetString();
}

void CbStreamWrite::WriteVersion(unsigned int version)
{
    *this << version;
}

CbStreamWrite& CbStreamWrite::operator<<(const CbFormat& text)
{
    return *this << text.GetText();
}

CbStreamWrite& CbStreamWrite::operator<<(const CbFormatW& text)
{
    return *this << text.GetText();
}

CbStreamWrite& CbStreamWrite::operator<<(const CbFormatA& text)
{
    return *this << text.GetText();
}

CbStreamWrite& CbStreamWrite::operator<<(const CbStreamWriteASCIIStringT<CStringA>& text)
{
    return *this << static_cast<const char*>(text);
}

CbStreamWrite& CbStreamWrite::operator<<(const CbStreamWriteASCIIStringT<CStringW>& text)
{
    return *this << static_cast<const wchar_t*>(text);
}
