// Dates and times in the forms of the user's locale, on POSIX.
#include <cbfoundation/platform/LocaleTimeFormat.h>

#include "platform/SystemTimeFields.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <langinfo.h>
#include <locale.h>
#include <time.h>

namespace cbf::platform {

namespace {

// Windows' "no mapping for the Unicode character": the locale's text could
// not be read as wide text.
constexpr unsigned kErrorNoUnicodeTranslation = 1113;

// Windows' "not enough memory": not even the plain locale could be opened.
constexpr unsigned kErrorNotEnoughMemory = 8;

// The date and time texts of the environment's LC_TIME locale, chosen as
// POSIX chooses it (LC_ALL, then LC_TIME, then LANG) and opened as a locale
// object of its own, so that neither the process's locale nor that of other
// threads changes. The character set is taken from the same locale, so that
// its names convert to wide text correctly.
class EnvironmentTimeLocale
{
public:
    EnvironmentTimeLocale()
        : m_locale(open())
    {}

    ~EnvironmentTimeLocale()
    {
        if (m_locale != nullptr)
            ::freelocale(m_locale);
    }

    EnvironmentTimeLocale(const EnvironmentTimeLocale&) = delete;
    EnvironmentTimeLocale& operator=(const EnvironmentTimeLocale&) = delete;

    locale_t Get() const { return m_locale; }

private:
    static const char* environmentName()
    {
        for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value != nullptr && *value != '\0')
                return value;
        }
        return "C";
    }

    // A locale that is named but not installed falls back to plain English.
    static locale_t open()
    {
        for (const char* name : {environmentName(), "C.UTF-8", "C"}) {
            if (locale_t locale = ::newlocale(LC_TIME_MASK | LC_CTYPE_MASK, name, nullptr))
                return locale;
        }
        return nullptr;
    }

    locale_t m_locale;
};

bool isTimeConversion(char letter)
{
    return std::strchr("HIklMpPrRsSTXzZ", letter) != nullptr;
}

// Whether a word of a strftime picture holds a conversion of the time of day.
bool holdsTimeOfDay(const std::string& word)
{
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%')
            continue;
        ++i;
        while (i < word.size() && std::strchr("-_0^#EO123456789", word[i]) != nullptr)
            ++i;
        if (i < word.size() && isTimeConversion(word[i]))
            return true;
    }
    return false;
}

// The word with full weekday and month names and an unpadded day.
std::string withFullNames(const std::string& word)
{
    std::string result;
    for (std::size_t i = 0; i < word.size(); ++i) {
        result += word[i];
        if (word[i] != '%' || i + 1 == word.size())
            continue;
        const char conversion = word[++i];
        switch (conversion) {
        case 'a':
            result += 'A';
            break;
        case 'b':
        case 'h':
            result += 'B';
            break;
        case 'e':
            result += "-d";
            break;
        default:
            result += conversion;
            break;
        }
    }
    return result;
}

// POSIX locales have no long date form. Their date-and-time form without the
// time of day, with names written out, comes closest ("%a %b %e %H:%M:%S %Y"
// gives "%A %B %-d %Y").
std::string longDatePicture(locale_t locale)
{
    const std::string dateAndTime = ::nl_langinfo_l(D_T_FMT, locale);
    std::string picture;
    std::size_t start = 0;
    while (start < dateAndTime.size()) {
        std::size_t end = dateAndTime.find(' ', start);
        if (end == std::string::npos)
            end = dateAndTime.size();
        const std::string word = dateAndTime.substr(start, end - start);
        if (!word.empty() && !holdsTimeOfDay(word)) {
            if (!picture.empty())
                picture += ' ';
            picture += withFullNames(word);
        }
        start = end + 1;
    }
    // Punctuation that led to the time ("%Y, %T") has nothing to lead to.
    while (!picture.empty() && std::strchr(",;:-/", picture.back()) != nullptr)
        picture.pop_back();
    return picture.empty() ? ::nl_langinfo_l(D_FMT, locale) : picture;
}

std::string pictureOf(UserDateForm form, locale_t locale)
{
    switch (form) {
    case UserDateForm::LongDate:
        return longDatePicture(locale);
    case UserDateForm::ShortDate:
        return ::nl_langinfo_l(D_FMT, locale);
    case UserDateForm::WeekdayName:
        return "%A";
    case UserDateForm::MonthName:
        return "%OB"; // the name as it stands alone
    case UserDateForm::MonthAbbreviation:
        return "%Ob";
    }
    return {};
}

std::tm tmOfDate(const SYSTEMTIME& date)
{
    const __int64 days = DaysSince1970(date.wYear, date.wMonth, date.wDay);
    std::tm time{};
    time.tm_year = date.wYear - 1900;
    time.tm_mon = date.wMonth - 1;
    time.tm_mday = date.wDay;
    time.tm_wday = static_cast<int>(DateOfDaysSince1970(days).dayOfWeek);
    time.tm_yday = static_cast<int>(days - DaysSince1970(date.wYear, 1, 1));
    return time;
}

// Multibyte text of the locale's character set as wide text.
bool toWide(const char* text, locale_t locale, std::wstring& wide)
{
    const locale_t previous = ::uselocale(locale);
    std::mbstate_t state{};
    const char* source = text;
    wchar_t buffer[kUserFormatBufferLength];
    const std::size_t length = std::mbsrtowcs(buffer, &source, kUserFormatBufferLength, &state);
    ::uselocale(previous);
    if (length == static_cast<std::size_t>(-1))
        return false;
    wide.assign(buffer, length);
    return true;
}

} // namespace

unsigned FormatUserDate(const SYSTEMTIME& date, UserDateForm form, std::wstring& text)
{
    text.clear();
    if (!IsValidSystemDate(date))
        return kErrorInvalidParameter;

    const EnvironmentTimeLocale locale;
    if (locale.Get() == nullptr)
        return kErrorNotEnoughMemory;
    const std::string picture = pictureOf(form, locale.Get());
    const std::tm time = tmOfDate(date);
    char buffer[kUserFormatBufferLength];
    const std::size_t length = ::strftime_l(buffer, sizeof buffer, picture.c_str(), &time, locale.Get());
    if (length == 0 && !picture.empty())
        return kErrorInsufficientBuffer;
    buffer[length] = '\0';
    return toWide(buffer, locale.Get(), text) ? 0 : kErrorNoUnicodeTranslation;
}

unsigned FormatUserTime(const SYSTEMTIME& time, std::wstring& text)
{
    text.clear();
    if (!IsValidSystemTimeOfDay(time))
        return kErrorInvalidParameter;
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"%02u:%02u:%02u", unsigned{time.wHour}, unsigned{time.wMinute}, unsigned{time.wSecond});
    text = buffer;
    return 0;
}

} // namespace cbf::platform
