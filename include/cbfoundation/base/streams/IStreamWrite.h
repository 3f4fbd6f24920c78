// IStreamWrite: the interface of every writer of stored or rendered values.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Types.h>

class CbStreamWrite;

/// Writes values: one insertion operator per primitive type and per string
/// type, and version stamps.
///
/// Every operator returns the stream, so that insertions chain:
/// `stream << count << name << ratio`. A binary writer (CbStreamWriteBinary)
/// stores the values in the library's binary encoding; a text writer renders
/// them as readable text. Strings are written up to their first NUL
/// character. Failures of the medium are thrown as exceptions of the
/// CbException family.
///
/// `long` and `unsigned long` are 32-bit values in every stored form, also
/// where the compiler's `long` is wider.
///
/// The destructor may throw: writers that finish their output on destruction
/// (a compressed trailer, a length field) report a failure to do so.
class CB_API IStreamWrite
{
public:
    virtual ~IStreamWrite() noexcept(false) = default;

    /// Writes one value, or a string up to its first NUL character, and
    /// returns the stream.
    /// @{
    virtual CbStreamWrite& operator<<(const CStringW& value) = 0;
    virtual CbStreamWrite& operator<<(const CStringA& value) = 0;
    virtual CbStreamWrite& operator<<(const wchar_t* value) = 0;
    virtual CbStreamWrite& operator<<(const char* value) = 0;
    virtual CbStreamWrite& operator<<(long value) = 0;
    virtual CbStreamWrite& operator<<(unsigned long value) = 0;
    virtual CbStreamWrite& operator<<(char value) = 0;
    virtual CbStreamWrite& operator<<(double value) = 0;
    virtual CbStreamWrite& operator<<(float value) = 0;
    virtual CbStreamWrite& operator<<(__int64 value) = 0;
    virtual CbStreamWrite& operator<<(unsigned __int64 value) = 0;
    virtual CbStreamWrite& operator<<(int value) = 0;
    virtual CbStreamWrite& operator<<(unsigned int value) = 0;
    virtual CbStreamWrite& operator<<(short value) = 0;
    virtual CbStreamWrite& operator<<(unsigned short value) = 0;
    virtual CbStreamWrite& operator<<(signed char value) = 0;
    virtual CbStreamWrite& operator<<(unsigned char value) = 0;
    virtual CbStreamWrite& operator<<(bool value) = 0;
    /// @}

    /// Writes a version stamp, the number a reader checks with
    /// IStreamRead::ReadAndCompareVersion before it reads what follows.
    virtual void WriteVersion(unsigned int version) = 0;
};
