// CbStreamWriteASCII: decimal and fixed-point rendering of every value, truncation and localization.
#include <cbfoundation/base/streams/CbStreamWriteASCII.h>

#include "platform/NumericLocale.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

// The locale items, read while the library loads (see LibraryInit.cpp).
char g_decimalPoint = '.';
char g_thousandsSeparator = '\0';

// Room for any value: a double in fixed notation has at most 309 integer
// digits, a sign and 7 more characters; grouping adds one per three digits.
constexpr std::size_t kTextCapacity = 512;

using Text = char[kTextCapacity];

// Removes the zeros that end the decimals, and the point when none remain.
// A point at the very start does not count.
std::size_t truncateDecimals(const char* text, std::size_t length)
{
    const void* point = length > 1 ? std::memchr(text + 1, '.', length - 1) : nullptr;
    if (point == nullptr)
        return length;
    while (text[length - 1] == '0')
        --length;
    if (text[length - 1] == '.')
        --length;
    return length;
}

// Puts the locale's decimal point in place of '.' and its separator between
// groups of three characters of the integer part, counted from the decimal
// point (or the end) towards the start, a leading sign not counting.
std::size_t localizeNumber(char* text, std::size_t length)
{
    std::size_t integerEnd = length;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '.') {
            text[i] = g_decimalPoint;
            if (i != 0)
                integerEnd = i;
        }
    }
    if (g_thousandsSeparator == '\0')
        return length;
    const std::size_t first = text[0] == '-' ? 1 : 0;
    const std::size_t digits = integerEnd - first;
    if (digits <= 3)
        return length;
    const std::size_t separators = (digits - 1) / 3;
    // Move from the end towards the front, inserting as the groups pass by.
    char* out = text + length + separators;
    const char* in = text + length;
    while (in != text + integerEnd)
        *--out = *--in;
    for (std::size_t group = 0; group < separators; ++group) {
        for (int k = 0; k < 3; ++k)
            *--out = *--in;
        *--out = g_thousandsSeparator;
    }
    return length + separators;
}

} // namespace

CbStreamWriteASCII::CbStreamWriteASCII(bool localize)
    : m_localize(localize)
    , m_truncate(false)
{}

CbStreamWriteASCII::CbStreamWriteASCII(const CbStreamWriteASCII& other) = default;
CbStreamWriteASCII& CbStreamWriteASCII::operator=(const CbStreamWriteASCII& other) = default;
CbStreamWriteASCII::~CbStreamWriteASCII() = default;

void CbStreamWriteASCII::CaptureLocale()
{
    const cbf::platform::NumericLocale items = cbf::platform::CurrentNumericLocale();
    SetLocaleItems(items.decimalPoint, items.thousandsSeparator);
}

void CbStreamWriteASCII::SetLocaleItems(char decimalPoint, char thousandsSeparator)
{
    g_decimalPoint = decimalPoint;
    g_thousandsSeparator = thousandsSeparator;
}

CbStreamWrite& CbStreamWriteASCII::writeText(const char* text, std::size_t length)
{
    m_buffer.SetString(text, static_cast<int>(length));
    return write(m_buffer.GetString());
}

template <class Integer>
CbStreamWrite& CbStreamWriteASCII::writeInteger(Integer value, bool localized)
{
    Text text;
    std::size_t length = static_cast<std::size_t>(std::to_chars(text, text + kTextCapacity, value).ptr - text);
    if (localized && m_localize)
        length = localizeNumber(text, length);
    return writeText(text, length);
}

CbStreamWrite& CbStreamWriteASCII::writeFixed(double value)
{
    Text text;
    std::size_t length = static_cast<std::size_t>(
        std::to_chars(text, text + kTextCapacity, value, std::chars_format::fixed, 6).ptr - text);
    if (m_truncate)
        length = truncateDecimals(text, length);
    if (m_localize)
        length = localizeNumber(text, length);
    return writeText(text, length);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(const wchar_t* value)
{
    return write(value);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(const char* value)
{
    return write(value);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(long value)
{
    return writeInteger(static_cast<__int64>(value), true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(unsigned long value)
{
    return writeInteger(static_cast<unsigned __int64>(value), true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(char value)
{
    return writeText(&value, 1);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(double value)
{
    return writeFixed(value);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(float value)
{
    return writeFixed(value);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(__int64 value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(unsigned __int64 value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(int value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(unsigned int value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(short value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(unsigned short value)
{
    return writeInteger(value, true);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(signed char value)
{
    return writeInteger(static_cast<int>(value), false);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(unsigned char value)
{
    return writeInteger(static_cast<unsigned>(value), false);
}

CbStreamWrite& CbStreamWriteASCII::operator<<(bool value)
{
    return value ? writeText("true", 4) : writeText("false", 5);
}

CbStreamWrite& CbStreamWriteASCII::WriteAddress(const void* address)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto bits = reinterpret_cast<std::uintptr_t>(address);
    char text[2 + 16] = {'0', 'x'};
    for (int i = 17; i >= 2; --i, bits >>= 4)
        text[i] = kDigits[bits & 0xF];
    return writeText(text, sizeof text);
}
