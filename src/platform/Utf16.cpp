// Conversion between wide text and UTF-16 code units, surrogate pairs included.
#include <cbfoundation/platform/Utf16.h>

#include <cstring>
#include <cwchar>

namespace cbf::platform {

#if WCHAR_MAX > 0xFFFF

namespace {

constexpr char16_t replacementCharacter = 0xFFFD;
constexpr std::uint32_t firstSupplementary = 0x10000;
constexpr std::uint32_t supplementaryCount = 0x100000;

// Negative wchar_t values wrap to numbers far above U+10FFFF, which is what
// the callers want: they are treated as out of range.
std::uint32_t codeValue(wchar_t character)
{
    return static_cast<std::uint32_t>(character);
}

bool isSupplementary(std::uint32_t value)
{
    return value - firstSupplementary < supplementaryCount;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::uint64_t Utf16Length(const wchar_t* text, std::size_t length)
{
    std::uint64_t units = length;
    for (std::size_t i = 0; i < length; ++i)
        units += isSupplementary(codeValue(text[i])) ? 1 : 0;
    return units;
}

void ToUtf16(const wchar_t* text, std::size_t length, char16_t* out)
{
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t value = codeValue(text[i]);
        if (value < firstSupplementary) {
            *out++ = static_cast<char16_t>(value);
        } else if (isSupplementary(value)) {
            const std::uint32_t offset = value - firstSupplementary;
            *out++ = static_cast<char16_t>(0xD800 + (offset >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else {
            *out++ = replacementCharacter;
        }
    }
}

std::size_t FromUtf16(const char16_t* units, std::size_t count, wchar_t* out)
{
    const wchar_t* const start = out;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = units[i];
        if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(units[i + 1])) {
            const std::uint32_t high = unit - 0xD800u;
            const std::uint32_t low = units[++i] - 0xDC00u;
            *out++ = static_cast<wchar_t>(firstSupplementary + (high << 10) + low);
        } else {
            *out++ = static_cast<wchar_t>(unit);
        }
    }
    return static_cast<std::size_t>(out - start);
}

#else

static_assert(sizeof(wchar_t) == sizeof(char16_t), "a narrow wchar_t must hold UTF-16 code units");

std::uint64_t Utf16Length(const wchar_t*, std::size_t length)
{
    return length;
}

void ToUtf16(const wchar_t* text, std::size_t length, char16_t* out)
{
    if (length != 0)
        std::memcpy(out, text, length * sizeof(char16_t));
}

std::size_t FromUtf16(const char16_t* units, std::size_t count, wchar_t* out)
{
    if (count != 0)
        std::memcpy(out, units, count * sizeof(wchar_t));
    return count;
}

#endif

} // namespace cbf::platform
