// Reading the text form "YYYY-MM-DD hh:mm:ss" of CbDateTime.
#include "base/values/DateTimeText.h"

#include <cstddef>

namespace cbf::detail {

namespace {

constexpr std::size_t kShortestText = 19;

template <typename CharT>
bool hasSeparatorsInPlace(const CharT* text)
{
    if (text == nullptr)
        return false;
    for (std::size_t i = 0; i < kShortestText; ++i) {
        if (text[i] == CharT(0))
            return false;
    }
    return text[4] == CharT('-') && text[7] == CharT('-') && text[10] == CharT(' ') && text[13] == CharT(':') &&
           text[16] == CharT(':');
}

// Reads the text as the C runtime's scanf reads "%d-%d-%d %d:%d:%d": each
// number after optional blanks and a sign, a blank in the pattern matching
// any run of blanks (or none), the other separators matching themselves.
// Blanks are those of the "C" locale, whatever the current one. A number too
// large for 32 bits wraps.
template <typename CharT>
class FieldScanner
{
public:
    explicit FieldScanner(const CharT* text)
        : m_next(text)
    {}

    bool ScanNumber(unsigned short& field)
    {
        skipBlanks();
        const bool negative = *m_next == CharT('-');
        if (negative || *m_next == CharT('+'))
            ++m_next;
        if (!isDigit(*m_next))
            return false;
        unsigned value = 0;
        while (isDigit(*m_next))
            value = value * 10u + static_cast<unsigned>(*m_next++ - CharT('0'));
        field = static_cast<unsigned short>(negative ? 0u - value : value);
        return true;
    }

    bool MatchSeparator(char separator)
    {
        if (separator == ' ') {
            skipBlanks();
            return true;
        }
        if (*m_next != CharT(separator))
            return false;
        ++m_next;
        return true;
    }

private:
    static bool isDigit(CharT c) { return c >= CharT('0') && c <= CharT('9'); }

    static bool isBlank(CharT c) { return c == CharT(' ') || (c >= CharT('\t') && c <= CharT('\r')); }

    void skipBlanks()
    {
        while (isBlank(*m_next))
            ++m_next;
    }

    const CharT* m_next;
};

template <typename CharT>
bool parseInto(const CharT* text, SYSTEMTIME& fields)
{
    fields.wDayOfWeek = 0;
    fields.wMilliseconds = 0;
    if (!hasSeparatorsInPlace(text))
        return false;

    unsigned short* const targets[] = {&fields.wYear, &fields.wMonth,  &fields.wDay,
                                       &fields.wHour, &fields.wMinute, &fields.wSecond};
    const char separatorBefore[] = {'\0', '-', '-', ' ', ':', ':'};
    FieldScanner<CharT> scanner(text);
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0 && !scanner.MatchSeparator(separatorBefore[i]))
            return false;
        if (!scanner.ScanNumber(*targets[i]))
            return false;
    }
    return true;
}

} // namespace

bool ParseDateTimeText(const char* text, SYSTEMTIME& fields)
{
    return parseInto(text, fields);
}

bool ParseDateTimeText(const wchar_t* text, SYSTEMTIME& fields)
{
    return parseInto(text, fields);
}

} // namespace cbf::detail
