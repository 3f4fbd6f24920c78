// Dates and times in the forms of the user's locale, on Windows.
#include <cbfoundation/platform/LocaleTimeFormat.h>

#include "platform/SystemTimeFields.h"

namespace cbf::platform {

namespace {

struct DateRequest
{
    DWORD flags;
    const wchar_t* picture;
};

DateRequest requestOf(UserDateForm form)
{
    switch (form) {
    case UserDateForm::LongDate:
        return {DATE_LONGDATE, nullptr};
    case UserDateForm::ShortDate:
        return {DATE_SHORTDATE, nullptr};
    case UserDateForm::WeekdayName:
        return {0, L"dddd"};
    case UserDateForm::MonthName:
        return {0, L"MMMM"};
    case UserDateForm::MonthAbbreviation:
        return {0, L"MMM"};
    }
    return {0, L""};
}

// The formatters' length includes the terminating NUL; 0 is a failure.
unsigned takeResult(int length, const wchar_t* buffer, std::wstring& text)
{
    if (length == 0)
        return static_cast<unsigned>(::GetLastError());
    text.assign(buffer, static_cast<std::size_t>(length - 1));
    return 0;
}

} // namespace

unsigned FormatUserDate(const SYSTEMTIME& date, UserDateForm form, std::wstring& text)
{
    text.clear();
    // Checked here rather than left to the system: Wine's formatter takes
    // February 29 of any year, which Windows refuses.
    if (!IsValidSystemDate(date))
        return kErrorInvalidParameter;
    const DateRequest request = requestOf(form);
    wchar_t buffer[kUserFormatBufferLength];
    const int length = ::GetDateFormatW(LOCALE_USER_DEFAULT, request.flags, &date, request.picture, buffer,
                                        static_cast<int>(kUserFormatBufferLength));
    return takeResult(length, buffer, text);
}

unsigned FormatUserTime(const SYSTEMTIME& time, std::wstring& text)
{
    text.clear();
    if (!IsValidSystemTimeOfDay(time))
        return kErrorInvalidParameter;
    wchar_t buffer[kUserFormatBufferLength];
    const int length = ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT, &time, L"hh:mm:ss", buffer,
                                        static_cast<int>(kUserFormatBufferLength));
    return takeResult(length, buffer, text);
}

} // namespace cbf::platform
