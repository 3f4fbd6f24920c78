// Conversion between narrow text in the locale's code page and wide text, on POSIX.
#include <cbfoundation/platform/CodePage.h>

#include "platform/posix/Utf8.h"

#include <climits>
#include <cstdint>
#include <cwchar>

static_assert(sizeof(wchar_t) == 4, "the POSIX backend expects wchar_t to hold whole code points");

namespace cbf::platform {

namespace {

constexpr wchar_t replacementCharacter = 0xFFFD;
constexpr char unrepresentableCharacter = '?';

std::size_t asciiPrefixLength(const char* text, std::size_t length)
{
    std::size_t i = 0;
    while (i < length && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

std::size_t asciiPrefixLength(const wchar_t* text, std::size_t length)
{
    std::size_t i = 0;
    while (i < length && static_cast<std::uint32_t>(text[i]) < 0x80)
        ++i;
    return i;
}

void appendUtf8Decoded(const char* text, std::size_t length, std::wstring& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* const end = p + length;
    while (p < end) {
        if (*p < 0x80) {
            out.push_back(static_cast<wchar_t>(*p++));
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t consumed = utf8::DecodeSequence(p, end, codePoint);
        out.push_back(consumed != 0 ? static_cast<wchar_t>(codePoint) : replacementCharacter);
        p += consumed != 0 ? consumed : 1;
    }
}

bool isHighSurrogate(std::uint32_t value)
{
    return value >= 0xD800 && value <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t value)
{
    return value >= 0xDC00 && value <= 0xDFFF;
}

// Reads the code point at text[i], joining a surrogate pair stored as two
// wchar_t, and replacing what UTF-8 cannot carry. Advances i past it.
char32_t nextCodePoint(const wchar_t* text, std::size_t length, std::size_t& i)
{
    const std::uint32_t value = static_cast<std::uint32_t>(text[i++]);
    if (isHighSurrogate(value) && i < length && isLowSurrogate(static_cast<std::uint32_t>(text[i]))) {
        const std::uint32_t low = static_cast<std::uint32_t>(text[i++]);
        return 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
    }
    if (value > 0x10FFFF || isHighSurrogate(value) || isLowSurrogate(value))
        return replacementCharacter;
    return value;
}

void appendUtf8(const wchar_t* text, std::size_t length, std::string& out)
{
    std::size_t i = 0;
    while (i < length)
        utf8::AppendEncoded(nextCodePoint(text, length, i), out);
}

// Other code sets, through the C library.

void appendLocaleDecoded(const char* text, std::size_t length, std::wstring& out)
{
    std::mbstate_t state{};
    std::size_t i = 0;
    while (i < length) {
        wchar_t character = 0;
        const std::size_t result = std::mbrtowc(&character, text + i, length - i, &state);
        if (result == static_cast<std::size_t>(-1) || result == static_cast<std::size_t>(-2)) {
            out.push_back(replacementCharacter);
            state = std::mbstate_t{};
            ++i;
            continue;
        }
        out.push_back(character);
        i += result == 0 ? 1 : result;
    }
}

void appendLocaleEncoded(const wchar_t* text, std::size_t length, std::string& out)
{
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (std::size_t i = 0; i < length; ++i) {
        const std::size_t result = std::wcrtomb(buffer, text[i], &state);
        if (result == static_cast<std::size_t>(-1)) {
            out.push_back(unrepresentableCharacter);
            state = std::mbstate_t{};
            continue;
        }
        out.append(buffer, result);
    }
}

} // namespace

std::wstring NarrowToWide(const char* text, std::size_t length)
{
    const std::size_t ascii = asciiPrefixLength(text, length);
    std::wstring wide;
    wide.reserve(length);
    wide.assign(text, text + ascii);
    if (ascii == length)
        return wide;
    if (utf8::LocaleUsesUtf8())
        appendUtf8Decoded(text + ascii, length - ascii, wide);
    else
        appendLocaleDecoded(text + ascii, length - ascii, wide);
    return wide;
}

std::string WideToNarrow(const wchar_t* text, std::size_t length)
{
    const std::size_t ascii = asciiPrefixLength(text, length);
    std::string narrow;
    narrow.reserve(length);
    for (std::size_t i = 0; i < ascii; ++i)
        narrow.push_back(static_cast<char>(text[i]));
    if (ascii == length)
        return narrow;
    if (utf8::LocaleUsesUtf8())
        appendUtf8(text + ascii, length - ascii, narrow);
    else
        appendLocaleEncoded(text + ascii, length - ascii, narrow);
    return narrow;
}

} // namespace cbf::platform
