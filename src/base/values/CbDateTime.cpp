// CbDateTime: construction, text parsing and formatting, and conversions to the other time forms.
#include <cbfoundation/base/values/CbDateTime.h>

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/platform/LocaleTimeFormat.h>

#include <algorithm>
#include <string>

using cbf::platform::UserDateForm;

namespace {

const char* const kSourceName = "CbDateTime";
const char* const kConstructorName = "CbDateTime::CbDateTime";
const char* const kAssignmentName = "CbDateTime::operator =";

constexpr unsigned kLineNarrowConstructor = 210;
constexpr unsigned kLineNarrowLocalConstructor = 235;
constexpr unsigned kLineWideConstructor = 267;
constexpr unsigned kLineWideLocalConstructor = 292;
constexpr unsigned kLineNarrowAssignment = 427;
constexpr unsigned kLineWideAssignment = 452;

constexpr unsigned kSerializedVersion = 0;

// ---- Text: "YYYY-MM-DD hh:mm:ss" -------------------------------------------

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

// Parses into `fields`, storing each number as soon as it is scanned, so that
// a failure leaves the numbers read before it (and day of week and
// milliseconds 0) behind.
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

template <typename CharT>
void parseOrThrow(const CharT* text, SYSTEMTIME& fields, unsigned line, const char* function)
{
    if (!parseInto(text, fields))
        throw CbException(kSourceName, line, function);
}

void convertLocalToUtc(SYSTEMTIME& fields)
{
    SYSTEMTIME utc;
    if (cbf::platform::LocalTimeToUtc(fields, utc))
        fields = utc;
}

// ---- Seconds since 1970 ----------------------------------------------------

constexpr unsigned __int64 kSecondsPerDay = 86400;
constexpr __int64 kSecondsFrom1601To1970 = 11644473600;
constexpr unsigned __int64 kSecondsPer400Years = 12622780800;
constexpr unsigned __int64 kSecondsPer100Years = 3155673600;
constexpr unsigned __int64 kSecondsPer4Years = 126230400;
constexpr unsigned __int64 kSecondsPerYear = 31536000;

// Cumulative days before each month, and the length of the year at the end.
constexpr unsigned kMonthStarts[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

// The calendar from 1601-01-01, counted in whole cycles: 400 years, then
// centuries, 4-year groups and years, each but the last of its kind as long
// as the common one (the last century of 400 years and the last year of a
// 4-year group are one day longer, so their counts are capped).
SYSTEMTIME fieldsOfSecondsSince1970(__int64 seconds)
{
    unsigned __int64 rest =
        seconds < -kSecondsFrom1601To1970 ? 0 : static_cast<unsigned __int64>(seconds) + kSecondsFrom1601To1970;
    SYSTEMTIME fields{};
    fields.wDayOfWeek = static_cast<unsigned short>((rest / kSecondsPerDay + 1) % 7); // 1601-01-01: Monday

    const unsigned __int64 cycles400 = rest / kSecondsPer400Years;
    rest %= kSecondsPer400Years;
    const unsigned __int64 centuries = std::min<unsigned __int64>(rest / kSecondsPer100Years, 3);
    rest -= centuries * kSecondsPer100Years;
    const unsigned __int64 groups4 = std::min<unsigned __int64>(rest / kSecondsPer4Years, 24);
    rest -= groups4 * kSecondsPer4Years;
    const unsigned __int64 years = std::min<unsigned __int64>(rest / kSecondsPerYear, 3);
    rest -= years * kSecondsPerYear;
    const unsigned __int64 year = 1601 + 400 * cycles400 + 100 * centuries + 4 * groups4 + years;

    const auto dayOfYear = static_cast<unsigned>(rest / kSecondsPerDay);
    const unsigned* starts = kMonthStarts[CbDateTime::IsLeapYear(static_cast<unsigned>(year)) ? 1 : 0];
    unsigned month = 1;
    while (month < 12 && starts[month] <= dayOfYear)
        ++month;
    const auto secondOfDay = static_cast<unsigned>(rest % kSecondsPerDay);

    fields.wYear = static_cast<unsigned short>(year);
    fields.wMonth = static_cast<unsigned short>(month);
    fields.wDay = static_cast<unsigned short>(dayOfYear - starts[month - 1] + 1);
    fields.wHour = static_cast<unsigned short>(secondOfDay / 3600);
    fields.wMinute = static_cast<unsigned short>(secondOfDay / 60 % 60);
    fields.wSecond = static_cast<unsigned short>(secondOfDay % 60);
    return fields;
}

// ---- Formatting ------------------------------------------------------------

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

std::wstring userDateOrEmpty(const SYSTEMTIME& date, UserDateForm form)
{
    std::wstring text;
    cbf::platform::FormatUserDate(date, form, text);
    return text;
}

void appendDaysInMonth(TextBuilder& out, const SYSTEMTIME& time)
{
    if (time.wMonth < 1 || time.wMonth > 12)
        return;
    const unsigned* starts = kMonthStarts[CbDateTime::IsLeapYear(unsigned{time.wYear}) ? 1 : 0];
    appendDecimal(out, starts[time.wMonth] - starts[time.wMonth - 1], 0);
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

// ---- Construction and assignment --------------------------------------------

CbDateTime::CbDateTime()
{
    cbf::platform::GetCurrentSystemTime(m_time);
}

CbDateTime::CbDateTime(const FILETIME& fileTime)
{
    setFromTicks(cbf::platform::FileTimeToTicks(fileTime));
}

CbDateTime::CbDateTime(unsigned __int64 ticks)
{
    setFromTicks(ticks);
}

CbDateTime::CbDateTime(const SYSTEMTIME& fields)
    : m_time(fields)
{}

CbDateTime::CbDateTime(const CbDateTime& other) = default;

CbDateTime::CbDateTime(const __int64& secondsSince1970)
    : m_time(fieldsOfSecondsSince1970(secondsSince1970))
{}

CbDateTime::CbDateTime(const CTime& time)
    : m_time{}
{
    setFromCTime(time);
}

CbDateTime::CbDateTime(const IDateTime& other)
    : m_time{}
{
    setFromIDateTime(other);
}

CbDateTime::CbDateTime(const char* text)
    : m_time{}
{
    parseOrThrow(text, m_time, kLineNarrowConstructor, kConstructorName);
}

CbDateTime::CbDateTime(const char* text, bool local)
    : m_time{}
{
    parseOrThrow(text, m_time, kLineNarrowLocalConstructor, kConstructorName);
    if (local)
        convertLocalToUtc(m_time);
}

CbDateTime::CbDateTime(const wchar_t* text)
    : m_time{}
{
    parseOrThrow(text, m_time, kLineWideConstructor, kConstructorName);
}

CbDateTime::CbDateTime(const wchar_t* text, bool local)
    : m_time{}
{
    parseOrThrow(text, m_time, kLineWideLocalConstructor, kConstructorName);
    if (local)
        convertLocalToUtc(m_time);
}

CbDateTime::~CbDateTime() = default;

CbDateTime& CbDateTime::operator=(const FILETIME& fileTime)
{
    setFromTicks(cbf::platform::FileTimeToTicks(fileTime));
    return *this;
}

CbDateTime& CbDateTime::operator=(unsigned __int64 ticks)
{
    setFromTicks(ticks);
    return *this;
}

CbDateTime& CbDateTime::operator=(const SYSTEMTIME& fields)
{
    m_time = fields;
    return *this;
}

CbDateTime& CbDateTime::operator=(const CbDateTime& other) = default;

CbDateTime& CbDateTime::operator=(const __int64& secondsSince1970)
{
    m_time = fieldsOfSecondsSince1970(secondsSince1970);
    return *this;
}

CbDateTime& CbDateTime::operator=(const CTime& time)
{
    setFromCTime(time);
    return *this;
}

CbDateTime& CbDateTime::operator=(const IDateTime& other)
{
    setFromIDateTime(other);
    return *this;
}

CbDateTime& CbDateTime::operator=(const char* text)
{
    parseOrThrow(text, m_time, kLineNarrowAssignment, kAssignmentName);
    return *this;
}

CbDateTime& CbDateTime::operator=(const wchar_t* text)
{
    parseOrThrow(text, m_time, kLineWideAssignment, kAssignmentName);
    return *this;
}

void CbDateTime::setFromTicks(unsigned __int64 ticks)
{
    if (!cbf::platform::TicksToSystemTime(ticks, m_time))
        cbf::platform::TicksToSystemTime(0, m_time);
}

// A CTime without local time answers 0 for its date and -1 for its time
// fields, which the setters keep as 0 and 65535.
void CbDateTime::setFromCTime(const CTime& time)
{
    SetYear(static_cast<unsigned>(time.GetYear()));
    SetMonth(static_cast<unsigned>(time.GetMonth()));
    SetDay(static_cast<unsigned>(time.GetDay()));
    SetHour(static_cast<unsigned>(time.GetHour()));
    SetMinute(static_cast<unsigned>(time.GetMinute()));
    SetSecond(static_cast<unsigned>(time.GetSecond()));
    SetMillisecond(0);
}

void CbDateTime::setFromIDateTime(const IDateTime& other)
{
    SetYear(other.GetYear());
    SetMonth(other.GetMonth());
    SetDay(other.GetDay());
    SetHour(other.GetHour());
    SetMinute(other.GetMinute());
    SetSecond(other.GetSecond());
    SetMillisecond(other.GetMillisecond());
}

// ---- Conversions ------------------------------------------------------------

unsigned __int64 CbDateTime::ticksOrZero() const
{
    unsigned __int64 ticks = 0;
    cbf::platform::SystemTimeToTicks(m_time, ticks);
    return ticks;
}

CbDateTime::operator FILETIME() const
{
    return cbf::platform::TicksToFileTime(ticksOrZero());
}

CbDateTime::operator unsigned __int64() const
{
    return ticksOrZero();
}

CbDateTime::operator SYSTEMTIME() const
{
    return m_time;
}

CbDateTime::operator CTime() const
{
    return CTime(m_time.wYear, m_time.wMonth, m_time.wDay, m_time.wHour, m_time.wMinute, m_time.wSecond);
}

SYSTEMTIME CbDateTime::fieldsIn(bool local) const
{
    SYSTEMTIME localTime;
    if (local && cbf::platform::UtcToLocalTime(m_time, localTime))
        return localTime;
    return m_time;
}

// ---- Fields -----------------------------------------------------------------

unsigned int CbDateTime::GetYear() const
{
    return m_time.wYear;
}

unsigned int CbDateTime::GetMonth() const
{
    return m_time.wMonth;
}

unsigned int CbDateTime::GetDay() const
{
    return m_time.wDay;
}

unsigned int CbDateTime::GetHour() const
{
    return m_time.wHour;
}

unsigned int CbDateTime::GetMinute() const
{
    return m_time.wMinute;
}

unsigned int CbDateTime::GetSecond() const
{
    return m_time.wSecond;
}

unsigned int CbDateTime::GetMillisecond() const
{
    return m_time.wMilliseconds;
}

void CbDateTime::SetYear(unsigned int year)
{
    m_time.wYear = static_cast<unsigned short>(year);
}

void CbDateTime::SetMonth(unsigned int month)
{
    m_time.wMonth = static_cast<unsigned short>(month);
}

void CbDateTime::SetDay(unsigned int day)
{
    m_time.wDay = static_cast<unsigned short>(day);
}

void CbDateTime::SetHour(unsigned int hour)
{
    m_time.wHour = static_cast<unsigned short>(hour);
}

void CbDateTime::SetMinute(unsigned int minute)
{
    m_time.wMinute = static_cast<unsigned short>(minute);
}

void CbDateTime::SetSecond(unsigned int second)
{
    m_time.wSecond = static_cast<unsigned short>(second);
}

void CbDateTime::SetMillisecond(unsigned int millisecond)
{
    m_time.wMilliseconds = static_cast<unsigned short>(millisecond);
}

// ---- Comparison -------------------------------------------------------------

bool CbDateTime::operator==(const CbDateTime& other) const
{
    return ticksOrZero() == other.ticksOrZero();
}

bool CbDateTime::operator!=(const CbDateTime& other) const
{
    return ticksOrZero() != other.ticksOrZero();
}

bool CbDateTime::operator<(const CbDateTime& other) const
{
    return ticksOrZero() < other.ticksOrZero();
}

bool CbDateTime::operator<=(const CbDateTime& other) const
{
    return ticksOrZero() <= other.ticksOrZero();
}

bool CbDateTime::operator>(const CbDateTime& other) const
{
    return ticksOrZero() > other.ticksOrZero();
}

bool CbDateTime::operator>=(const CbDateTime& other) const
{
    return ticksOrZero() >= other.ticksOrZero();
}

// ---- Other operations -------------------------------------------------------

bool CbDateTime::HasValidFormat(const char* text)
{
    SYSTEMTIME scratch{};
    return parseInto(text, scratch);
}

bool CbDateTime::HasValidFormat(const wchar_t* text)
{
    SYSTEMTIME scratch{};
    return parseInto(text, scratch);
}

bool CbDateTime::IsLeapYear(bool local) const
{
    return IsLeapYear(unsigned{fieldsIn(local).wYear});
}

bool CbDateTime::IsLeapYear(unsigned int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool CbDateTime::ReadFileCreationTime(const CStringW& path)
{
    FILETIME creation;
    FILETIME lastWrite;
    if (!cbf::platform::ReadFileTimes(path.GetString(), static_cast<std::size_t>(path.GetLength()), creation,
                                      lastWrite))
        return false;
    setFromTicks(cbf::platform::FileTimeToTicks(creation));
    return true;
}

bool CbDateTime::ReadFileModificationTime(const CStringW& path)
{
    FILETIME creation;
    FILETIME lastWrite;
    if (!cbf::platform::ReadFileTimes(path.GetString(), static_cast<std::size_t>(path.GetLength()), creation,
                                      lastWrite))
        return false;
    setFromTicks(cbf::platform::FileTimeToTicks(lastWrite));
    return true;
}

CStringW CbDateTime::ToString(EFormat format, bool local) const
{
    switch (format) {
    case eFormatLongDateTime: {
        const SYSTEMTIME time = fieldsIn(local);
        std::wstring clock;
        cbf::platform::FormatUserTime(time, clock);
        CStringW text;
        text.Format(L"%s %s", userDateOrEmpty(time, UserDateForm::LongDate).c_str(), clock.substr(0, 8).c_str());
        return text;
    }
    case eFormatLongDate:
        return CStringW(userDateOrEmpty(fieldsIn(local), UserDateForm::LongDate));
    case eFormatShortDate:
        return CStringW(userDateOrEmpty(m_time, UserDateForm::ShortDate));
    }
    return CStringW();
}

CStringW CbDateTime::ToString(const wchar_t* format, bool local) const
{
    if (format == nullptr)
        return CStringW();
    const SYSTEMTIME time = fieldsIn(local);
    TextBuilder text;
    for (const wchar_t* next = format; *next != L'\0'; ++next) {
        if (*next != L'\\')
            appendLetter(text, *next, time);
        else if (next[1] != L'\0')
            text.Append(*++next);
    }
    return text.Take();
}

// ---- Binary form ------------------------------------------------------------

void CbDateTime::Serialize(CbStreamWriteBinary& stream) const
{
    stream.WriteVersion(kSerializedVersion);
    stream << ticksOrZero();
}

void CbDateTime::Serialize(CbStreamReadBinary& stream)
{
    stream.ReadAndCompareVersion(kSerializedVersion);
    unsigned __int64 ticks = 0;
    stream >> ticks;
    setFromTicks(ticks);
}
