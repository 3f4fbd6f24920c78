// Conversion between narrow text in the ANSI code page and wide text, on Windows.
#include <cbfoundation/platform/CodePage.h>

#include <climits>
#include <stdexcept>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace cbf::platform {

namespace {

// The conversion functions count in int; longer texts are refused rather
// than cut, as a cut could fall inside a double-byte character.
int checkedLength(std::size_t length)
{
    if (length > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("text too long for a code page conversion");
    return static_cast<int>(length);
}

} // namespace

std::wstring NarrowToWide(const char* text, std::size_t length)
{
    if (length == 0)
        return std::wstring();
    const int count = checkedLength(length);
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text, count, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text, count, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

std::string WideToNarrow(const wchar_t* text, std::size_t length)
{
    if (length == 0)
        return std::string();
    const int count = checkedLength(length);
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    const int written = ::WideCharToMultiByte(CP_ACP, 0, text, count, narrow.data(), needed, nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return narrow;
}

} // namespace cbf::platform
