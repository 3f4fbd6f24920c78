// CbStreamWrite: the common base of the library's writers.
#pragma once

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/streams/IStreamWrite.h>

class CbFormat;
class CbFormatA;
class CbFormatW;
template <class StringType>
class CbStreamWriteASCIIStringT;

/// Base of every writer: implements the string-object operators, the version
/// stamp and the insertion of formatted text on top of the
/// character-pointer and `unsigned int` operators that each writer supplies.
///
/// Everything that carries text is written through the `const wchar_t*` or
/// `const char*` operator, so it ends at the first NUL character, whatever
/// length the string object itself reports.
class CB_API CbStreamWrite : public IStreamWrite
{
public:
    CbStreamWrite() = default;
    /// Copies; this base holds no state of its own.
    /// @{
    CbStreamWrite(const CbStreamWrite&) = default;
    CbStreamWrite& operator=(const CbStreamWrite&) = default;
    /// @}

    using IStreamWrite::operator<<;

    /// Writes `value.GetString()` through the `const wchar_t*` operator.
    CbStreamWrite& operator<<(const CStringW& value) override;

    /// Writes `value.GetString()` through the `const char*` operator.
    CbStreamWrite& operator<<(const CStringA& value) override;

    /// Writes the stamp through the `unsigned int` operator.
    void WriteVersion(unsigned int version) override;

    /// Formatted text: the wide text of a CbFormat or CbFormatW, the narrow
    /// text of a CbFormatA.
    /// @{
    CbStreamWrite& operator<<(const CbFormat& text);
    CbStreamWrite& operator<<(const CbFormatW& text);
    CbStreamWrite& operator<<(const CbFormatA& text);
    /// @}

    /// The text accumulated by a string writer, through the character-pointer
    /// operator of its width.
    /// @{
    CbStreamWrite& operator<<(const CbStreamWriteASCIIStringT<CStringA>& text);
    CbStreamWrite& operator<<(const CbStreamWriteASCIIStringT<CStringW>& text);
    /// @}

    CB_DECLARE_RTTI_ROOT(CbStreamWrite)
};
