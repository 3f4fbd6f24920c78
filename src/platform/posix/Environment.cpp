// The process environment on POSIX systems.
#include <cbfoundation/platform/Environment.h>

#include <cbfoundation/platform/CodePage.h>
#include <cbfoundation/platform/NativePath.h>

#include <cstdlib>
#include <string>

namespace cbf::platform {

namespace {

bool isSettableName(const CStringW& name)
{
    return !name.IsEmpty() && name.Find(L'=') < 0 && name.Find(L'\0') < 0;
}

std::string narrowOf(const wchar_t* text, int length)
{
    return WideToNarrow(text, static_cast<std::size_t>(length));
}

} // namespace

bool ReadEnvironmentVariable(const CStringW& name, CStringW& value)
{
    if (!isSettableName(name))
        return false;
    const char* found = std::getenv(narrowOf(name.GetString(), name.GetLength()).c_str());
    if (found == nullptr)
        return false;
    const std::wstring wide = FromNativePath(found, std::char_traits<char>::length(found));
    value = CStringW(wide.data(), static_cast<int>(wide.size()));
    return true;
}

bool WriteEnvironmentVariable(const CStringW& name, const wchar_t* value)
{
    if (!isSettableName(name))
        return false;
    const std::string narrowName = narrowOf(name.GetString(), name.GetLength());
    if (value == nullptr)
        return ::unsetenv(narrowName.c_str()) == 0;
    const std::string narrowValue = narrowOf(value, static_cast<int>(std::char_traits<wchar_t>::length(value)));
    return ::setenv(narrowName.c_str(), narrowValue.c_str(), 1) == 0;
}

} // namespace cbf::platform
