// CbIDumpable: renders a dumpable object into a string, a given writer or the trace writer.
#include <cbfoundation/base/exceptions/CbIDumpable.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIIStringT.h>
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>

CStringW CbIDumpable<1>::ToString() const
{
    CbStreamWriteASCIIStringT<CStringW> writer(false);
    dump(writer);
    return writer;
}

void CbIDumpable<1>::Dump(CbStreamWriteASCII& writer) const
{
    writer << ToString();
}

void CbIDumpable<1>::Dump() const
{
    CbStreamWriteASCIITrace writer;
    writer << ToString();
}
