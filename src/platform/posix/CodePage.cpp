// Conversion between narrow text in the locale's code page and wide text, on POSIX.
#include <cbfoundation/platform/CodePage.h>

#include <climits>
#include <cstdint>
#include <cwchar>
#include <langinfo.h>
#include <strings.h>

static_assert(sizeof(wchar_t) == 4, "the POSIX backend expects wchar_t to hold whole code points");

namespace cbf::platform {

namespace {

constexpr wchar_t replacementCharacter = 0xFFFD;
constexpr char unrepresentableCharacter = '?';

// UTF-8 locales, and the "C"/POSIX locale that programs run in until they
// call setlocale, use the built-in UTF-8 codec; every other code set goes
// through the C library. Asked once per conversion, as setlocale may change
// the answer at any time.
bool localeUsesUtf8()
{
    static const char* const utf8Names[] = {"UTF-8", "UTF8", "ANSI_X3.4-1968", "ASCII", "US-ASCII"};
    const char* codeSet = nl_langinfo(CODESET);
    if (codeSet == nullptr || *codeSet == '\0')
        return true;
    for (const char* name : utf8Names) {
        if (strcasecmp(codeSet, name) == 0)
            return true;
    }
    return false;
}

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

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

// Decodes the sequence that starts with the non-ASCII lead byte at `p`.
// Returns its length in bytes and stores the code point, or returns 0 when
// the bytes are not well-formed UTF-8. The ranges of the second byte exclude
// overlong forms, surrogates and values above U+10FFFF.
std::size_t decodeUtf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint)
{
    const unsigned char lead = *p;
    const std::size_t available = static_cast<std::size_t>(end - p);
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !isContinuation(p[1]))
            return 0;
        codePoint = (char32_t(lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        if (available < 3 || !isContinuation(p[1], low, high) || !isContinuation(p[2]))
            return 0;
        codePoint = (char32_t(lead & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        if (available < 4 || !isContinuation(p[1], low, high) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        codePoint = (char32_t(lead & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6) |
                    (p[3] & 0x3F);
        return 4;
    }
    return 0;
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
        const std::size_t consumed = decodeUtf8Sequence(p, end, codePoint);
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

void appendUtf8Encoded(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

void appendUtf8(const wchar_t* text, std::size_t length, std::string& out)
{
    std::size_t i = 0;
    while (i < length)
        appendUtf8Encoded(nextCodePoint(text, length, i), out);
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
    if (localeUsesUtf8())
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
    if (localeUsesUtf8())
        appendUtf8(text + ascii, length - ascii, narrow);
    else
        appendLocaleEncoded(text + ascii, length - ascii, narrow);
    return narrow;
}

} // namespace cbf::platform
