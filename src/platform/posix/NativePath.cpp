// Wide paths to file-name bytes and back, without loss in either direction.
#include <cbfoundation/platform/NativePath.h>

#include "platform/posix/Utf8.h"

#include <climits>
#include <cstdint>
#include <cwchar>

namespace cbf::platform {

namespace {

constexpr std::uint32_t kEscapeBase = 0xDC00;
constexpr std::uint32_t kFirstEscape = 0xDC80;
constexpr std::uint32_t kLastEscape = 0xDCFF;

bool isHighSurrogate(std::uint32_t value)
{
    return value >= 0xD800 && value <= 0xDBFF;
}

bool isSurrogate(std::uint32_t value)
{
    return value >= 0xD800 && value <= 0xDFFF;
}

bool appendInLocale(char32_t codePoint, std::string& out)
{
    char buffer[MB_LEN_MAX];
    std::mbstate_t state{};
    const std::size_t written = std::wcrtomb(buffer, static_cast<wchar_t>(codePoint), &state);
    if (written == static_cast<std::size_t>(-1))
        return false;
    out.append(buffer, written);
    return true;
}

// Reads the character at path[i] and advances past it; false for what no
// file name can hold.
bool nextCodePoint(const wchar_t* path, std::size_t length, std::size_t& i, char32_t& codePoint)
{
    const auto value = static_cast<std::uint32_t>(path[i++]);
    if (isHighSurrogate(value) && i < length) {
        const auto low = static_cast<std::uint32_t>(path[i]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            codePoint = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
            return true;
        }
    }
    codePoint = value;
    return value != 0 && value <= 0x10FFFF && !isSurrogate(value);
}

// The decoded character at p, or the escape of its first byte; the number of
// bytes read.
std::size_t decodeOne(const unsigned char* p, const unsigned char* end, bool utf8, wchar_t& out)
{
    if (utf8) {
        char32_t codePoint = 0;
        if (const std::size_t used = utf8::DecodeSequence(p, end, codePoint); used != 0) {
            out = static_cast<wchar_t>(codePoint);
            return used;
        }
    } else {
        std::mbstate_t state{};
        const std::size_t used =
            std::mbrtowc(&out, reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p), &state);
        if (used != 0 && used <= static_cast<std::size_t>(end - p))
            return used;
    }
    out = static_cast<wchar_t>(kEscapeBase + *p);
    return 1;
}

} // namespace

bool ToNativePath(const wchar_t* path, std::size_t length, NativePath& native)
{
    native.clear();
    native.reserve(length);
    const bool utf8 = utf8::LocaleUsesUtf8();
    std::size_t i = 0;
    while (i < length) {
        const auto value = static_cast<std::uint32_t>(path[i]);
        if (value != 0 && value < 0x80) {
            native.push_back(value == '\\' ? '/' : static_cast<char>(value));
            ++i;
            continue;
        }
        if (value >= kFirstEscape && value <= kLastEscape) {
            native.push_back(static_cast<char>(value - kEscapeBase));
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        if (!nextCodePoint(path, length, i, codePoint))
            return false;
        if (utf8)
            utf8::AppendEncoded(codePoint, native);
        else if (!appendInLocale(codePoint, native))
            return false;
    }
    return true;
}

std::wstring FromNativePath(const char* path, std::size_t length)
{
    std::wstring wide;
    wide.reserve(length);
    const bool utf8 = utf8::LocaleUsesUtf8();
    const auto* p = reinterpret_cast<const unsigned char*>(path);
    const auto* const end = p + length;
    while (p < end) {
        if (*p < 0x80) {
            wide.push_back(static_cast<wchar_t>(*p++));
            continue;
        }
        wchar_t character = 0;
        p += decodeOne(p, end, utf8, character);
        wide.push_back(character);
    }
    return wide;
}

} // namespace cbf::platform
