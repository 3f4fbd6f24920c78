// Character helpers of CStringT: the other width, case and blank
// classification, and the order of texts by UTF-16 code unit.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CodePage.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>
#include <type_traits>

#if WCHAR_MAX > 0xFFFF && defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cbf::platform::detail {

template <typename CharT>
struct OtherWidth;

template <>
struct OtherWidth<char>
{
    using Type = wchar_t;
};

template <>
struct OtherWidth<wchar_t>
{
    using Type = char;
};

inline std::wstring ConvertText(const char* text, std::size_t length)
{
    return NarrowToWide(text, length);
}

inline std::string ConvertText(const wchar_t* text, std::size_t length)
{
    return WideToNarrow(text, length);
}

inline bool IsSpace(char character)
{
    return std::isspace(static_cast<unsigned char>(character)) != 0;
}

inline bool IsSpace(wchar_t character)
{
    return std::iswspace(static_cast<std::wint_t>(character)) != 0;
}

inline char ToUpper(char character)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
}

inline wchar_t ToUpper(wchar_t character)
{
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(character)));
}

inline char ToLower(char character)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
}

inline wchar_t ToLower(wchar_t character)
{
    return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(character)));
}

struct KeepCase
{
    template <typename CharT>
    CharT operator()(CharT character) const noexcept
    {
        return character;
    }
};

struct FoldToLower
{
    template <typename CharT>
    CharT operator()(CharT character) const
    {
        return ToLower(character);
    }
};

inline int Sign(bool less) noexcept
{
    return less ? -1 : 1;
}

// Narrow text, and wide text where wchar_t is a UTF-16 code unit (Windows),
// is ordered unit by unit, unsigned.
template <typename CharT, typename Fold>
int CompareUnits(std::basic_string_view<CharT> left, std::basic_string_view<CharT> right, Fold fold)
{
    using Traits = std::char_traits<CharT>;
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const CharT a = fold(left[i]);
        const CharT b = fold(right[i]);
        if (a != b)
            return Sign(Traits::lt(a, b));
    }
    return left.size() == right.size() ? 0 : Sign(left.size() < right.size());
}

#if WCHAR_MAX > 0xFFFF

// A 32-bit wchar_t text read as the UTF-16 code units that ToUtf16 writes
// for it: a supplementary character as its surrogate pair, a value beyond
// U+10FFFF (or negative) as U+FFFD, everything else as itself.
template <typename Fold>
class Utf16Units
{
public:
    Utf16Units(std::wstring_view text, Fold fold)
        : m_next(text.data())
        , m_end(text.data() + text.size())
        , m_fold(fold)
    {}

    bool Next(char16_t& unit)
    {
        if (m_low != 0) {
            unit = m_low;
            m_low = 0;
            return true;
        }
        if (m_next == m_end)
            return false;
        const auto value = static_cast<std::uint32_t>(m_fold(*m_next++));
        if (value < 0x10000) {
            unit = static_cast<char16_t>(value);
        } else if (value <= 0x10FFFF) {
            unit = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            m_low = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            unit = 0xFFFD;
        }
        return true;
    }

private:
    const wchar_t* m_next;
    const wchar_t* m_end;
    Fold m_fold;
    char16_t m_low = 0;
};

// The order of two texts from their first difference on, by their UTF-16
// forms. Distinct texts with the same UTF-16 form (a lone high and a lone low
// surrogate against the pair they make, or two values beyond U+10FFFF) are
// then told apart by their wchar_t values, so that only equal texts compare
// equal.
template <typename Fold>
int CompareUtf16Tails(std::wstring_view left, std::wstring_view right, Fold fold)
{
    Utf16Units<Fold> a(left, fold);
    Utf16Units<Fold> b(right, fold);
    char16_t unitA = 0;
    char16_t unitB = 0;
    for (;;) {
        const bool moreA = a.Next(unitA);
        const bool moreB = b.Next(unitB);
        if (!moreA || !moreB) {
            if (moreA != moreB)
                return Sign(moreB);
            break;
        }
        if (unitA != unitB)
            return Sign(unitA < unitB);
    }
    for (std::size_t i = 0; i < std::min(left.size(), right.size()); ++i) {
        const auto valueA = static_cast<std::uint32_t>(fold(left[i]));
        const auto valueB = static_cast<std::uint32_t>(fold(right[i]));
        if (valueA != valueB)
            return Sign(valueA < valueB);
    }
    return left.size() == right.size() ? 0 : Sign(left.size() < right.size());
}

// Two different values below U+D800 order the same as their UTF-16 forms,
// and so does such a value against any other: every other value's first
// unit is U+D800 or more. Only when both are U+D800 or more (surrogates,
// U+E000 to U+FFFF, supplementary characters) does the code point order
// differ, and the rest of the texts may then matter.
template <typename Fold>
int CompareFromDifference(std::wstring_view left, std::wstring_view right, std::size_t at, Fold fold)
{
    const auto a = static_cast<std::uint32_t>(fold(left[at]));
    const auto b = static_cast<std::uint32_t>(fold(right[at]));
    if (a < 0xD800 || b < 0xD800)
        return Sign(a < b);
    return CompareUtf16Tails(left.substr(at), right.substr(at), fold);
}

/// The position of the first unit at or after `at` in which two texts of
/// `count` units differ, or `count`. Out of line: it passes over equal
/// stretches with the widest vector unit the processor has.
CB_API std::size_t FindDifferenceFrom(const wchar_t* left, const wchar_t* right, std::size_t at,
                                      std::size_t count) noexcept;

// The position of the first unit in which two texts of `count` units differ,
// or `count`. Most texts differ early, so the first sixteen units are
// compared here, four at a time; longer equal stretches are left to
// FindDifferenceFrom.
inline std::size_t FirstDifference(const wchar_t* left, const wchar_t* right, std::size_t count) noexcept
{
#if defined(__SSE2__)
    constexpr std::size_t kComparedInline = 16;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        if (i == kComparedInline)
            return FindDifferenceFrom(left, right, i, count);
        const __m128i equal = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(left + i)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + i)));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(equal)); mask != 0xFFFF)
            return i + static_cast<std::size_t>(std::countr_one(mask)) / sizeof(wchar_t);
    }
    while (i < count && left[i] == right[i])
        ++i;
    return i;
#else
    return FindDifferenceFrom(left, right, 0, count);
#endif
}

template <typename Fold>
int CompareUnits(std::wstring_view left, std::wstring_view right, Fold fold)
{
    const std::size_t common = std::min(left.size(), right.size());
    std::size_t i = 0;
    if constexpr (std::is_same_v<Fold, KeepCase>)
        i = FirstDifference(left.data(), right.data(), common);
    for (; i < common; ++i) {
        if (fold(left[i]) != fold(right[i]))
            return CompareFromDifference(left, right, i, fold);
    }
    return left.size() == right.size() ? 0 : Sign(left.size() < right.size());
}

#endif

} // namespace cbf::platform::detail
