// CbDateTime: a calendar date and time of day to the millisecond.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/values/IDateTime.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/CTime.h>
#include <cbfoundation/platform/SystemTime.h>
#include <cbfoundation/platform/Types.h>

class CbStreamReadBinary;
class CbStreamWriteBinary;

/// A date and time held as the broken-down fields of a SYSTEMTIME: year,
/// month, day of week, day, hour, minute, second, millisecond.
///
/// Values made from the clock, from file times and from tick counts are in
/// UTC. Operations that take or give local time say so through a `local`
/// flag (true: the local time of the current time zone, read at each call).
///
/// The fields are stored as given: every setter keeps the low 16 bits of its
/// argument and the text parser keeps what it scans, so a value may hold
/// fields that form no date (a 30th of February, hour 25). Such a value has no
/// tick count. Wherever ticks are needed it counts as tick 0, 1601-01-01
/// 00:00:00.000 UTC: it compares equal to that instant and to every other
/// such value, below all others, and is written by Serialize as 0 (which
/// reads back as 1601-01-01 00:00:00.000, a Monday). Conversions to local time
/// fail on it and leave it as it is. Valid values run from 1601-01-01 to
/// 30828-09-14 (the largest tick count, 2^63 - 1).
///
/// Text is read in one shape, "YYYY-MM-DD hh:mm:ss": at least 19 characters
/// with '-' at positions 4 and 7, a space at 10 and ':' at 13 and 16. Six
/// decimal numbers are then scanned as "%d-%d-%d %d:%d:%d" does (leading
/// blanks and a sign allowed before each number, any characters after the
/// seconds ignored) into year, month, day, hour, minute and second; day of
/// week and milliseconds become 0. No range is checked: "2023-02-30 25:61:61"
/// is accepted and stored as it stands. Text in any other shape throws
/// CbException with the source name "CbDateTime".
class CB_API CbDateTime : public IDateTime
{
public:
    /// The fixed output forms of ToString.
    enum EFormat
    {
        eFormatLongDateTime = 0, ///< the locale's long date, a space, hh:mm:ss (24 hours)
        eFormatLongDate = 1,     ///< the locale's long date
        eFormatShortDate = 2,    ///< the locale's short date
    };

    /// The current time in UTC, from the system clock.
    CbDateTime();

    /// The fields of a file time (100-nanosecond ticks since 1601-01-01 UTC).
    /// A count above 2^63 - 1 has none and gives 1601-01-01 00:00:00.000.
    CbDateTime(const FILETIME& fileTime);

    /// The fields of a tick count, as for a FILETIME.
    CbDateTime(unsigned __int64 ticks);

    /// The fields as they are.
    CbDateTime(const SYSTEMTIME& fields);

    /// The fields of `other`.
    CbDateTime(const CbDateTime& other);

    /// Seconds since 1970-01-01 00:00:00 UTC in the proleptic Gregorian
    /// calendar, millisecond 0: 0 is 1970-01-01 00:00:00, a Thursday. Counts
    /// before 1601-01-01 give 1601-01-01 00:00:00; a year beyond 65535 keeps
    /// its low 16 bits.
    CbDateTime(const __int64& secondsSince1970);

    /// The local-time fields of the CTime, millisecond 0. A CTime without a
    /// local time gives year, month and day 0 and hour, minute and second 65535.
    CbDateTime(const CTime& time);

    /// The seven fields of any other date, through this class's setters.
    CbDateTime(const IDateTime& other);

    /// Parses the text (see the class comment). Throws CbException (line 210,
    /// function "CbDateTime::CbDateTime") for text in another shape.
    CbDateTime(const char* text);

    /// Parses the text and, when `local` is set, reads the fields as local
    /// time and converts them to UTC; fields that are no valid local time stay
    /// as parsed. Throws CbException (line 235) for text in another shape.
    CbDateTime(const char* text, bool local);

    /// As the narrow form; throws CbException with line 267.
    CbDateTime(const wchar_t* text);

    /// As the narrow form; throws CbException with line 292.
    CbDateTime(const wchar_t* text, bool local);

    ~CbDateTime() override;

    /// Assignment behaves as the matching constructor.
    /// @{
    CbDateTime& operator=(const FILETIME& fileTime);
    CbDateTime& operator=(unsigned __int64 ticks);
    CbDateTime& operator=(const SYSTEMTIME& fields);
    CbDateTime& operator=(const CbDateTime& other);
    CbDateTime& operator=(const __int64& secondsSince1970);
    CbDateTime& operator=(const CTime& time);
    CbDateTime& operator=(const IDateTime& other);
    /// @}

    /// Parses the text. For text in another shape it throws CbException
    /// (line 427, function "CbDateTime::operator =") after having set the day
    /// of week and the milliseconds to 0 and stored the numbers scanned before
    /// the failure; the other fields keep their values.
    CbDateTime& operator=(const char* text);

    /// As the narrow form; throws CbException with line 452.
    CbDateTime& operator=(const wchar_t* text);

    // Conversions

    /// The tick count as a FILETIME (0 for fields that form no date).
    operator FILETIME() const;

    /// The tick count: 100-nanosecond units since 1601-01-01 00:00:00 UTC
    /// (0 for fields that form no date).
    operator unsigned __int64() const;

    /// A copy of the fields.
    operator SYSTEMTIME() const;

    /// A CTime whose local time has these year, month, day, hour, minute and
    /// second; the runtime decides about daylight saving. Throws
    /// COleException for a year before 1900, a month outside 1 to 12, a day
    /// outside 1 to 31, an hour above 23 or a minute or second above 59.
    operator CTime() const;

    // Fields

    /// The stored fields as they are.
    /// @{
    unsigned int GetYear() const override;
    unsigned int GetMonth() const override;
    unsigned int GetDay() const override;
    unsigned int GetHour() const override;
    unsigned int GetMinute() const override;
    unsigned int GetSecond() const override;
    unsigned int GetMillisecond() const override;
    /// @}

    /// Each setter stores the low 16 bits of its argument, unchecked.
    /// @{
    void SetYear(unsigned int year) override;
    void SetMonth(unsigned int month) override;
    void SetDay(unsigned int day) override;
    void SetHour(unsigned int hour) override;
    void SetMinute(unsigned int minute) override;
    void SetSecond(unsigned int second) override;
    void SetMillisecond(unsigned int millisecond) override;
    /// @}

    /// Chronological comparison of the tick counts; the day of week plays no part.
    /// @{
    bool operator==(const CbDateTime& other) const;
    bool operator!=(const CbDateTime& other) const;
    bool operator<(const CbDateTime& other) const;
    bool operator<=(const CbDateTime& other) const;
    bool operator>(const CbDateTime& other) const;
    bool operator>=(const CbDateTime& other) const;
    /// @}

    /// True when the text has the shape the text constructors accept.
    /// @{
    static bool HasValidFormat(const char* text);
    static bool HasValidFormat(const wchar_t* text);
    /// @}

    /// Whether the year of the value, or with `local` of the value in local
    /// time (the stored year when there is none), is a leap year.
    bool IsLeapYear(bool local) const;

    /// Gregorian rule: divisible by 4, and not by 100 unless by 400.
    static bool IsLeapYear(unsigned int year);

    /// Sets the value to the creation time (UTC) of the file or folder at
    /// `path`. False, leaving the value unchanged, when there is none.
    /// cbf::platform::ReadFileTimes tells how each platform finds it.
    bool ReadFileCreationTime(const CStringW& path);

    /// Sets the value to the last-write time (UTC) of the file or folder at
    /// `path`. False, leaving the value unchanged, when there is none.
    bool ReadFileModificationTime(const CStringW& path);

    /// The value in one of the fixed forms of the user's locale. With `local`
    /// the long forms show the value in local time (the value itself when it
    /// has none); the short date always shows the stored date. Any other
    /// `format` gives "". A part the locale cannot format (a date that is no
    /// date) is left empty.
    CStringW ToString(EFormat format, bool local = false) const;

    /// The value written by a format in which these letters stand for fields
    /// (with `local`, of the value in local time, or of the value itself when
    /// it has none):
    ///
    ///     Y  year, at least 4 digits       y  last 2 digits of the year
    ///     m  month, 2 digits               n  month
    ///     F  full month name               M  abbreviated month name
    ///     d  day, 2 digits                 j  day
    ///     l  full weekday name             D  its first 3 characters
    ///     t  days in the month (28 to 31; nothing for a month that is none)
    ///     H  hour 0-23, 2 digits           G  hour 0-23
    ///     h  hour modulo 12, 2 digits      g  hour modulo 12
    ///     A  AM or PM                      a  am or pm
    ///     i  minute, 2 digits              s  second, 2 digits
    ///
    /// A backslash writes the character after it as it is; a backslash that
    /// ends the format writes nothing. Every other character is written as it
    /// is. "Y-m-d H:i:s" gives the text the text constructors read.
    ///
    /// The names are the user's locale's. When the locale cannot give one, the
    /// name of the error stands in its place: "ERROR_INVALID_PARAMETER" (for a
    /// date that is no date), "ERROR_INSUFFICIENT_BUFFER",
    /// "ERROR_INVALID_FLAGS" or "UNKNOWN ERROR". A null format gives "".
    CStringW ToString(const wchar_t* format, bool local = false) const;

    /// Writes version stamp 0 and the tick count as 64 bits (12 bytes).
    void Serialize(CbStreamWriteBinary& stream) const;

    /// Reads the form Serialize writes and sets every field from the tick
    /// count, the day of week included. A stamp above 0 throws
    /// CbExceptionWrongFileVersion; a short stream throws CbExceptionStream.
    void Serialize(CbStreamReadBinary& stream);

private:
    unsigned __int64 ticksOrZero() const;
    void setFromTicks(unsigned __int64 ticks);
    void setFromSecondsSince1970(__int64 seconds);
    void setFromCTime(const CTime& time);
    void setFromIDateTime(const IDateTime& other);
    SYSTEMTIME fieldsIn(bool local) const;

    SYSTEMTIME m_time;
};
