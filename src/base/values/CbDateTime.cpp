// CbDateTime: construction, comparison and conversions between the time forms.
#include <cbfoundation/base/values/CbDateTime.h>

#include "base/values/DateTimeFormat.h"
#include "base/values/DateTimeText.h"
#include "platform/Calendar.h"

#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/platform/LocaleTimeFormat.h>

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

template <typename CharT>
void parseOrThrow(const CharT* text, SYSTEMTIME& fields, unsigned line, const char* function)
{
    if (!cbf::detail::ParseDateTimeText(text, fields))
        throw CbException(kSourceName, line, function);
}

void convertLocalToUtc(SYSTEMTIME& fields)
{
    SYSTEMTIME utc;
    if (cbf::platform::LocalTimeToUtc(fields, utc))
        fields = utc;
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
    : m_time(cbf::platform::SystemTimeOfSecondsSince1970(secondsSince1970))
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
    m_time = cbf::platform::SystemTimeOfSecondsSince1970(secondsSince1970);
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
    return cbf::detail::ParseDateTimeText(text, scratch);
}

bool CbDateTime::HasValidFormat(const wchar_t* text)
{
    SYSTEMTIME scratch{};
    return cbf::detail::ParseDateTimeText(text, scratch);
}

bool CbDateTime::IsLeapYear(bool local) const
{
    return IsLeapYear(unsigned{fieldsIn(local).wYear});
}

bool CbDateTime::IsLeapYear(unsigned int year)
{
    return cbf::platform::IsGregorianLeapYear(year);
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
        text.Format(L"%s %s", cbf::detail::UserDateOrEmpty(time, UserDateForm::LongDate).c_str(),
                    clock.substr(0, 8).c_str());
        return text;
    }
    case eFormatLongDate:
        return CStringW(cbf::detail::UserDateOrEmpty(fieldsIn(local), UserDateForm::LongDate));
    case eFormatShortDate:
        return CStringW(cbf::detail::UserDateOrEmpty(m_time, UserDateForm::ShortDate));
    }
    return CStringW();
}

CStringW CbDateTime::ToString(const wchar_t* format, bool local) const
{
    if (format == nullptr)
        return CStringW();
    return cbf::detail::FormatDateTimeLetters(fieldsIn(local), format);
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
