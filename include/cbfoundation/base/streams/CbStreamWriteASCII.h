// CbStreamWriteASCII: renders the insertion operators as human-readable text.
#pragma once

#include <cbfoundation/base/streams/CbStreamWrite.h>
#include <cbfoundation/platform/CStringT.h>

/// Base of the text writers: renders every value of the insertion operators
/// as text and hands the text to one of two primitives, `write` of wide and
/// of narrow text, that each concrete writer supplies.
///
/// | value | text |
/// |---|---|
/// | signed char, unsigned char | the number in decimal |
/// | char | the character itself |
/// | short, int, long, __int64 and their unsigned forms, WriteVersion | the number in decimal; localized |
/// | float, double | fixed notation with six decimals and '.'; truncated, then localized |
/// | bool | "true" or "false" |
/// | texts and string objects | as they are (up to the first NUL) |
///
/// Truncating (SetTruncateFloats) removes trailing zeros after the decimal
/// point, and the point itself when nothing follows it: 100.000000 becomes
/// 100, -0.500000 becomes -0.5. Integers are never truncated.
///
/// Localizing (SetLocalize) uses the decimal point and thousands separator of
/// the C library's numeric locale as it was when the library was loaded: the
/// point replaces '.', and the separator goes between groups of three digits
/// of the integer part, always by threes whatever the locale's grouping. The
/// sign does not count as a digit: with ',' and '.', -123456.5 becomes
/// -123.456,5. A locale without separator groups nothing.
///
/// Both flags are off unless the constructor or the setters turn them on.
class CB_API CbStreamWriteASCII : public CbStreamWrite
{
public:
    /// A writer that localizes numbers when `localize` is true (see the class).
    explicit CbStreamWriteASCII(bool localize = false);
    /// Copies the two flags.
    /// @{
    CbStreamWriteASCII(const CbStreamWriteASCII& other);
    CbStreamWriteASCII& operator=(const CbStreamWriteASCII& other);
    /// @}
    ~CbStreamWriteASCII() override;

    /// Turn localizing or truncating on or off, or tell whether it is on (see
    /// the class).
    /// @{
    void SetLocalize(bool localize) { m_localize = localize; }
    bool IsLocalize() const { return m_localize; }
    void SetTruncateFloats(bool truncate) { m_truncate = truncate; }
    bool IsTruncateFloats() const { return m_truncate; }
    /// @}

    /// The string-object and formatted-text operators of the base.
    using CbStreamWrite::operator<<;

    CbStreamWrite& operator<<(const wchar_t* value) override;
    CbStreamWrite& operator<<(const char* value) override;
    CbStreamWrite& operator<<(long value) override;
    CbStreamWrite& operator<<(unsigned long value) override;
    CbStreamWrite& operator<<(char value) override;
    CbStreamWrite& operator<<(double value) override;
    CbStreamWrite& operator<<(float value) override;
    CbStreamWrite& operator<<(__int64 value) override;
    CbStreamWrite& operator<<(unsigned __int64 value) override;
    CbStreamWrite& operator<<(int value) override;
    CbStreamWrite& operator<<(unsigned int value) override;
    CbStreamWrite& operator<<(short value) override;
    CbStreamWrite& operator<<(unsigned short value) override;
    CbStreamWrite& operator<<(signed char value) override;
    CbStreamWrite& operator<<(unsigned char value) override;
    CbStreamWrite& operator<<(bool value) override;

    /// Writes "0x" and the address as 16 upper-case hexadecimal digits,
    /// never localized: a null pointer is 0x0000000000000000.
    CbStreamWrite& WriteAddress(const void* address);

    /// Reads the decimal point and thousands separator that localizing uses
    /// from the C library's current numeric locale. The library does so once
    /// while it is loaded; a program that selects its locale later may call
    /// it again, while no text writer is in use on another thread.
    static void CaptureLocale();

    /// Sets the two locale items directly (0 as separator: none), under the
    /// same condition as CaptureLocale.
    static void SetLocaleItems(char decimalPoint, char thousandsSeparator);

    CB_DECLARE_RTTI(CbStreamWriteASCII)

protected:
    /// The medium: takes a NUL-terminated text of the one or the other width.
    /// @{
    virtual CbStreamWrite& write(const wchar_t* text) = 0;
    virtual CbStreamWrite& write(const char* text) = 0;
    /// @}

private:
    template <class Integer>
    CbStreamWrite& writeInteger(Integer value, bool localized);
    CbStreamWrite& writeFixed(double value);
    CbStreamWrite& writeText(const char* text, std::size_t length);

    bool m_localize;
    bool m_truncate;
    CStringA m_buffer;
};
