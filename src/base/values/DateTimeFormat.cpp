// The format letters of CbDateTime::ToString, written into one text.
#include "base/values/DateTimeFormat.h"

#include "platform/Calendar.h"

#include <cstddef>
#include <utility>

using cbf::platform::UserDateForm;

namespace cbf::detail {

namespace {

// Collects formatted text on the stack and hands it over with a single
// allocation of the right size; only text longer than the buffer (long
// locale names) goes to the heap on the way.
class TextBuilder
{
public:
    void Append(wchar_t character)
    {
        if (m_length == kCapacity)
            spill();
        m_buffer[m_length++] = character;
    }

    void Append(const wchar_t* text, std::size_t length)
    {
        if (length > kCapacity - m_length) {
            spill();
            if (length > kCapacity) {
                m_spilled.append(text, length);
                return;
            }
        }
        for (std::size_t i = 0; i < length; ++i)
            m_buffer[m_length++] = text[i];
    }

    void Append(const std::wstring& text) { Append(text.data(), text.size()); }

    CStringW Take()
    {
        if (m_spilled.empty())
            return CStringW(m_buffer, static_cast<int>(m_length));
        spill();
        return CStringW(std::move(m_spilled));
    }

private:
    static constexpr std::size_t kCapacity = 64;

    void spill()
    {
        m_spilled.append(m_buffer, m_length);
        m_length = 0;
    }

    wchar_t m_buffer[kCapacity];
    std::size_t m_length = 0;
    std::wstring m_spilled;
};

void appendDecimal(TextBuilder& out, unsigned value, unsigned minimumDigits)
{
    if (value < 100 && minimumDigits == 2) { // the common case, kept short
        out.Append(static_cast<wchar_t>(L'0' + value / 10));
        out.Append(static_cast<wchar_t>(L'0' + value % 10));
        return;
    }
    wchar_t digits[10];
    wchar_t* const end = digits + 10;
    wchar_t* first = end;
    do {
        *--first = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (auto count = static_cast<unsigned>(end - first); count < minimumDigits; ++count)
        out.Append(L'0');
    out.Append(first, static_cast<std::size_t>(end - first));
}

const wchar_t* errorName(unsigned error)
{
    switch (error) {
    case cbf::platform::kErrorInvalidParameter:
        return L"ERROR_INVALID_PARAMETER";
    case cbf::platform::kErrorInsufficientBuffer:
        return L"ERROR_INSUFFICIENT_BUFFER";
    case cbf::platform::kErrorInvalidFlags:
        return L"ERROR_INVALID_FLAGS";
    default:
        return L"UNKNOWN ERROR";
    }
}

// The locale's text of the date, or the name of the error that prevented it.
std::wstring userDateOrError(const SYSTEMTIME& date, UserDateForm form)
{
    std::wstring text;
    const unsigned error = cbf::platform::FormatUserDate(date, form, text);
    return error == 0 ? text : std::wstring(errorName(error));
}

void appendDaysInMonth(TextBuilder& out, const SYSTEMTIME& time)
{
    const unsigned days = cbf::platform::DaysInMonth(time.wYear, time.wMonth);
    if (days != 0)
        appendDecimal(out, days, 0);
}

void appendLetter(TextBuilder& out, wchar_t letter, const SYSTEMTIME& time)
{
    switch (letter) {
    case L'Y':
        appendDecimal(out, time.wYear, 4);
        break;
    case L'y':
        appendDecimal(out, time.wYear % 100u, 2);
        break; // the last two of at least two digits
    case L'm':
        appendDecimal(out, time.wMonth, 2);
        break;
    case L'n':
        appendDecimal(out, time.wMonth, 0);
        break;
    case L'F':
        out.Append(userDateOrError(time, UserDateForm::MonthName));
        break;
    case L'M':
        out.Append(userDateOrError(time, UserDateForm::MonthAbbreviation));
        break;
    case L'd':
        appendDecimal(out, time.wDay, 2);
        break;
    case L'j':
        appendDecimal(out, time.wDay, 0);
        break;
    case L'l':
        out.Append(userDateOrError(time, UserDateForm::WeekdayName));
        break;
    case L'D':
        out.Append(userDateOrError(time, UserDateForm::WeekdayName).substr(0, 3));
        break;
    case L't':
        appendDaysInMonth(out, time);
        break;
    case L'H':
        appendDecimal(out, time.wHour, 2);
        break;
    case L'G':
        appendDecimal(out, time.wHour, 0);
        break;
    case L'h':
        appendDecimal(out, time.wHour % 12u, 2);
        break;
    case L'g':
        appendDecimal(out, time.wHour % 12u, 0);
        break;
    case L'A':
        out.Append(time.wHour < 12 ? L"AM" : L"PM", 2);
        break;
    case L'a':
        out.Append(time.wHour < 12 ? L"am" : L"pm", 2);
        break;
    case L'i':
        appendDecimal(out, time.wMinute, 2);
        break;
    case L's':
        appendDecimal(out, time.wSecond, 2);
        break;
    default:
        out.Append(letter);
        break;
    }
}

} // namespace

CStringW FormatDateTimeLetters(const SYSTEMTIME& time, const wchar_t* format)
{
    TextBuilder text;
    for (const wchar_t* next = format; *next != L'\0'; ++next) {
        if (*next != L'\\')
            appendLetter(text, *next, time);
        else if (next[1] != L'\0')
            text.Append(*++next);
    }
    return text.Take();
}

std::wstring UserDateOrEmpty(const SYSTEMTIME& date, UserDateForm form)
{
    std::wstring text;
    cbf::platform::FormatUserDate(date, form, text);
    return text;
}

} // namespace cbf::detail
