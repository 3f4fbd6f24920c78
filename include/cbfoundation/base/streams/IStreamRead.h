// IStreamRead: the interface of every reader of stored values.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Types.h>

class CbStreamRead;

/// Reads the values that an IStreamWrite wrote: one extraction operator per
/// primitive type and per string type, and version stamps.
///
/// Every operator fills its destination and returns the stream, so that
/// extractions chain: `stream >> count >> name >> ratio`. How the values are
/// laid out is the concrete reader's business (CbStreamReadBinary defines the
/// library's binary encoding). Readers report failures by throwing
/// exceptions of the CbException family.
///
/// `long` and `unsigned long` are 32-bit values in every stored form, also
/// where the compiler's `long` is wider.
class CB_API IStreamRead
{
public:
    virtual ~IStreamRead() = default;

    /// Reads one value into `value` and returns the stream.
    /// @{
    virtual CbStreamRead& operator>>(CStringW& value) = 0;
    virtual CbStreamRead& operator>>(CStringA& value) = 0;
    virtual CbStreamRead& operator>>(long& value) = 0;
    virtual CbStreamRead& operator>>(unsigned long& value) = 0;
    virtual CbStreamRead& operator>>(char& value) = 0;
    virtual CbStreamRead& operator>>(double& value) = 0;
    virtual CbStreamRead& operator>>(float& value) = 0;
    virtual CbStreamRead& operator>>(__int64& value) = 0;
    virtual CbStreamRead& operator>>(unsigned __int64& value) = 0;
    virtual CbStreamRead& operator>>(int& value) = 0;
    virtual CbStreamRead& operator>>(unsigned int& value) = 0;
    virtual CbStreamRead& operator>>(short& value) = 0;
    virtual CbStreamRead& operator>>(unsigned short& value) = 0;
    virtual CbStreamRead& operator>>(signed char& value) = 0;
    virtual CbStreamRead& operator>>(unsigned char& value) = 0;
    virtual CbStreamRead& operator>>(bool& value) = 0;
    /// @}

    /// Reads a version stamp and returns it when the caller understands it,
    /// that is when it is not above `expectedVersion`.
    virtual unsigned int ReadAndCompareVersion(unsigned int expectedVersion) = 0;
};
