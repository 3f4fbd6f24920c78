// The library's narrow and wide string classes, CStringA and CStringW.
//
// Their members and behaviour are those that Windows client code expects of
// its string classes, so that such code builds unchanged on every platform:
// implicit conversion to a character pointer, lengths and positions as int,
// Left/Right/Mid that clamp their arguments instead of failing, Format with
// the Windows meaning of the conversions, GetBuffer/ReleaseBuffer for
// functions that write into a character array.
//
// A string is a value: copies are independent. The text may contain NUL
// characters (GetLength counts them), but the pointer conversion ends, as a C
// string does, at the first one. Narrow text is in the process code page;
// conversions between the widths go through cbf::platform::NarrowToWide and
// WideToNarrow.
#pragma once

#include <cbfoundation/platform/CodePage.h>
#include <cbfoundation/platform/FormatString.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstddef>
#include <cwctype>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

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

} // namespace cbf::platform::detail

/// A string of narrow (`char`) or wide (`wchar_t`) characters.
///
/// Positions and lengths are in characters of the string's own width (code
/// units). Case conversion, case-insensitive comparison and whitespace
/// trimming work unit by unit with the C library's classification of the
/// current locale. Out-of-range indexes given to GetAt and SetAt throw
/// std::out_of_range; every other member clamps its arguments.
template <typename CharT>
class CStringT
{
    static_assert(std::is_same_v<CharT, char> || std::is_same_v<CharT, wchar_t>,
                  "CStringT holds char or wchar_t text");

    using StringType = std::basic_string<CharT>;
    using StringView = std::basic_string_view<CharT>;
    using Traits = std::char_traits<CharT>;
    using SizeType = typename StringType::size_type;

public:
    using XCHAR = CharT;
    using PXSTR = CharT*;
    using PCXSTR = const CharT*;
    using YCHAR = typename cbf::platform::detail::OtherWidth<CharT>::Type;
    using PYSTR = YCHAR*;
    using PCYSTR = const YCHAR*;

    // Construction and assignment

    CStringT() = default;
    CStringT(const CStringT&) = default;
    CStringT(CStringT&&) noexcept = default;
    CStringT& operator=(const CStringT&) = default;
    CStringT& operator=(CStringT&&) noexcept = default;
    ~CStringT() = default;

    /// The text up to its NUL; a null pointer gives the empty string.
    CStringT(const CharT* text)
        : m_text(viewOf(text))
    {
    }

    /// Exactly `length` characters of `text`, NULs included.
    CStringT(const CharT* text, int length)
        : m_text(viewOf(text, length))
    {
    }

    /// `repeat` copies of `character` (none when `repeat` is not positive).
    explicit CStringT(CharT character, int repeat = 1)
        : m_text(clampedCount(repeat), character)
    {
    }

    /// The text of the other width, converted through the process code page.
    CStringT(const YCHAR* text)
        : m_text(convert(viewOf(text)))
    {
    }

    CStringT(const YCHAR* text, int length)
        : m_text(convert(viewOf(text, length)))
    {
    }

    explicit CStringT(YCHAR character, int repeat = 1)
    {
        const StringType converted = convert(std::basic_string_view<YCHAR>(&character, 1));
        for (int i = 0; i < repeat; ++i)
            m_text += converted;
    }

    CStringT(const CStringT<YCHAR>& other)
        : m_text(convert(std::basic_string_view<YCHAR>(other.GetString(), other.size())))
    {
    }

    explicit CStringT(StringType text) noexcept
        : m_text(std::move(text))
    {
    }

    explicit CStringT(StringView text)
        : m_text(text)
    {
    }

    CStringT& operator=(const CharT* text)
    {
        m_text.assign(viewOf(text));
        return *this;
    }

    CStringT& operator=(const YCHAR* text)
    {
        m_text = convert(viewOf(text));
        return *this;
    }

    CStringT& operator=(const CStringT<YCHAR>& other)
    {
        m_text = convert(std::basic_string_view<YCHAR>(other.GetString(), other.size()));
        return *this;
    }

    CStringT& operator=(CharT character)
    {
        m_text.assign(1, character);
        return *this;
    }

    CStringT& operator=(YCHAR character)
    {
        m_text = convert(std::basic_string_view<YCHAR>(&character, 1));
        return *this;
    }

    void SetString(const CharT* text)
    {
        m_text.assign(viewOf(text));
    }

    void SetString(const CharT* text, int length)
    {
        m_text.assign(viewOf(text, length));
    }

    // Access

    operator const CharT*() const noexcept
    {
        return m_text.c_str();
    }

    const CharT* GetString() const noexcept
    {
        return m_text.c_str();
    }

    int GetLength() const noexcept
    {
        return static_cast<int>(m_text.size());
    }

    bool IsEmpty() const noexcept
    {
        return m_text.empty();
    }

    void Empty() noexcept
    {
        m_text.clear();
    }

    /// The character at `index`; the index GetLength() gives the terminating NUL.
    CharT GetAt(int index) const
    {
        if (index < 0 || index > GetLength())
            throw std::out_of_range("CStringT::GetAt: index out of range");
        return m_text.c_str()[index];
    }

    CharT operator[](int index) const
    {
        return GetAt(index);
    }

    void SetAt(int index, CharT character)
    {
        if (index < 0 || index >= GetLength())
            throw std::out_of_range("CStringT::SetAt: index out of range");
        m_text[static_cast<SizeType>(index)] = character;
    }

    // Comparison

    /// Code unit by code unit: negative, zero or positive as this string
    /// sorts before, equal to or after `text` (a null pointer counts as empty).
    int Compare(const CharT* text) const
    {
        return StringView(m_text).compare(viewOf(text));
    }

    /// Like Compare, with both sides folded to lower case unit by unit.
    int CompareNoCase(const CharT* text) const
    {
        const StringView other = viewOf(text);
        const SizeType common = std::min(m_text.size(), other.size());
        for (SizeType i = 0; i < common; ++i)
        {
            const CharT left = cbf::platform::detail::ToLower(m_text[i]);
            const CharT right = cbf::platform::detail::ToLower(other[i]);
            if (left != right)
                return Traits::lt(left, right) ? -1 : 1;
        }
        return m_text.size() < other.size() ? -1 : (m_text.size() > other.size() ? 1 : 0);
    }

    // Search: each returns a position or -1

    /// The first `character` at or after `start`; -1 when `start` is outside the string.
    int Find(CharT character, int start = 0) const
    {
        if (start < 0 || start >= GetLength())
            return -1;
        return positionOf(m_text.find(character, static_cast<SizeType>(start)));
    }

    /// The first occurrence of `text` at or after `start` (an empty text is
    /// found at `start`); -1 for a null text or a `start` outside the string.
    int Find(const CharT* text, int start = 0) const
    {
        if (text == nullptr || start < 0 || start > GetLength())
            return -1;
        return positionOf(m_text.find(text, static_cast<SizeType>(start)));
    }

    int ReverseFind(CharT character) const
    {
        return positionOf(m_text.rfind(character));
    }

    /// The first character that is one of `characters`.
    int FindOneOf(const CharT* characters) const
    {
        return positionOf(m_text.find_first_of(viewOf(characters)));
    }

    // Extraction: arguments are clamped to the string

    CStringT Left(int count) const
    {
        return CStringT(m_text.substr(0, clampedCount(count)));
    }

    CStringT Right(int count) const
    {
        const SizeType length = std::min(clampedCount(count), m_text.size());
        return CStringT(m_text.substr(m_text.size() - length));
    }

    CStringT Mid(int first) const
    {
        return CStringT(m_text.substr(clampedPosition(first)));
    }

    CStringT Mid(int first, int count) const
    {
        return CStringT(m_text.substr(clampedPosition(first), clampedCount(count)));
    }

    // Modification

    CStringT& Trim()
    {
        return TrimRight().TrimLeft();
    }

    CStringT& Trim(CharT character)
    {
        return TrimRight(character).TrimLeft(character);
    }

    CStringT& Trim(const CharT* characters)
    {
        return TrimRight(characters).TrimLeft(characters);
    }

    CStringT& TrimLeft()
    {
        return trimLeftWhile([](CharT c) { return cbf::platform::detail::IsSpace(c); });
    }

    CStringT& TrimLeft(CharT character)
    {
        return trimLeftWhile([character](CharT c) { return c == character; });
    }

    CStringT& TrimLeft(const CharT* characters)
    {
        const StringView set = viewOf(characters);
        return trimLeftWhile([set](CharT c) { return set.find(c) != StringView::npos; });
    }

    CStringT& TrimRight()
    {
        return trimRightWhile([](CharT c) { return cbf::platform::detail::IsSpace(c); });
    }

    CStringT& TrimRight(CharT character)
    {
        return trimRightWhile([character](CharT c) { return c == character; });
    }

    CStringT& TrimRight(const CharT* characters)
    {
        const StringView set = viewOf(characters);
        return trimRightWhile([set](CharT c) { return set.find(c) != StringView::npos; });
    }

    CStringT& MakeUpper()
    {
        for (CharT& c : m_text)
            c = cbf::platform::detail::ToUpper(c);
        return *this;
    }

    CStringT& MakeLower()
    {
        for (CharT& c : m_text)
            c = cbf::platform::detail::ToLower(c);
        return *this;
    }

    CStringT& MakeReverse()
    {
        std::reverse(m_text.begin(), m_text.end());
        return *this;
    }

    /// Replaces every `oldCharacter` by `newCharacter`; returns how many.
    int Replace(CharT oldCharacter, CharT newCharacter)
    {
        int count = 0;
        for (CharT& c : m_text)
        {
            if (c == oldCharacter)
            {
                c = newCharacter;
                ++count;
            }
        }
        return count;
    }

    /// Replaces every occurrence of `oldText`, from left to right without
    /// overlap, by `newText` (null counts as empty); returns how many. An
    /// empty or null `oldText` replaces nothing.
    int Replace(const CharT* oldText, const CharT* newText)
    {
        const StringView from = viewOf(oldText);
        const StringView to = viewOf(newText);
        if (from.empty())
            return 0;
        StringType result;
        int count = 0;
        SizeType position = 0;
        for (SizeType found = m_text.find(from); found != StringType::npos; found = m_text.find(from, position))
        {
            result.append(m_text, position, found - position).append(to);
            position = found + from.size();
            ++count;
        }
        if (count != 0)
        {
            result.append(m_text, position);
            m_text.swap(result);
        }
        return count;
    }

    /// Inserts before `index` (clamped to the string); returns the new length.
    int Insert(int index, CharT character)
    {
        m_text.insert(clampedPosition(index), 1, character);
        return GetLength();
    }

    int Insert(int index, const CharT* text)
    {
        m_text.insert(clampedPosition(index), StringType(viewOf(text)));
        return GetLength();
    }

    /// Deletes up to `count` characters from `index` on; returns the new length.
    int Delete(int index, int count = 1)
    {
        const SizeType position = clampedPosition(index);
        m_text.erase(position, std::min(clampedCount(count), m_text.size() - position));
        return GetLength();
    }

    /// Removes every `character`; returns how many were removed.
    int Remove(CharT character)
    {
        const auto kept = std::remove(m_text.begin(), m_text.end(), character);
        const auto removed = static_cast<int>(m_text.end() - kept);
        m_text.erase(kept, m_text.end());
        return removed;
    }

    /// Shortens the string to `length` characters; a longer length changes nothing.
    void Truncate(int length)
    {
        if (clampedCount(length) < m_text.size())
            m_text.resize(clampedCount(length));
    }

    void Append(const CharT* text)
    {
        m_text.append(viewOf(text));
    }

    void Append(const CharT* text, int length)
    {
        m_text.append(viewOf(text, length));
    }

    void Append(const CStringT& other)
    {
        m_text.append(other.m_text);
    }

    void AppendChar(CharT character)
    {
        m_text.push_back(character);
    }

    // Formatting, with the conversions that cbf::platform::AppendFormat
    // describes. The arguments are those of printf; string objects of either
    // width may be passed for %s and %S as they are, and other class objects
    // are refused at compile time instead of being passed through "...".

    template <typename... Arguments>
    void Format(const CharT* format, const Arguments&... arguments)
    {
        StringType text;
        appendFormatted(text, format, varargOf(arguments)...);
        m_text.swap(text);
    }

    template <typename... Arguments>
    void AppendFormat(const CharT* format, const Arguments&... arguments)
    {
        StringType text;
        appendFormatted(text, format, varargOf(arguments)...);
        m_text += text;
    }

    void FormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        m_text.swap(text);
    }

    void AppendFormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        m_text += text;
    }

    // Direct buffer access for functions that write a character array.
    // Between GetBuffer and ReleaseBuffer the string may be written through
    // the pointer only; ReleaseBuffer then fixes its length.

    CharT* GetBuffer()
    {
        return m_text.data();
    }

    /// A writable buffer with room for at least `minLength` characters and a
    /// terminating NUL, holding the current text.
    CharT* GetBuffer(int minLength)
    {
        m_text.resize(std::max(m_text.size(), clampedCount(minLength)));
        return m_text.data();
    }

    /// A writable buffer of exactly `length` characters (and a NUL); the
    /// string has that length until ReleaseBuffer says otherwise.
    CharT* GetBufferSetLength(int length)
    {
        m_text.resize(clampedCount(length));
        return m_text.data();
    }

    /// Ends direct writing: the new length is `newLength` (clamped to the
    /// buffer) or, when it is negative, the position of the first NUL.
    void ReleaseBuffer(int newLength = -1)
    {
        if (newLength < 0)
        {
            const CharT* const end = Traits::find(m_text.data(), m_text.size(), CharT());
            m_text.resize(end != nullptr ? static_cast<SizeType>(end - m_text.data()) : m_text.size());
        }
        else
        {
            m_text.resize(std::min(clampedCount(newLength), m_text.size()));
        }
    }

    void ReleaseBufferSetLength(int newLength)
    {
        ReleaseBuffer(newLength < 0 ? 0 : newLength);
    }

    /// Reserves room for `length` characters.
    void Preallocate(int length)
    {
        m_text.reserve(clampedCount(length));
    }

    void FreeExtra()
    {
        m_text.shrink_to_fit();
    }

    int GetAllocLength() const noexcept
    {
        return static_cast<int>(m_text.capacity());
    }

    // Concatenation

    CStringT& operator+=(const CStringT& other)
    {
        m_text += other.m_text;
        return *this;
    }

    CStringT& operator+=(const CharT* text)
    {
        m_text.append(viewOf(text));
        return *this;
    }

    CStringT& operator+=(CharT character)
    {
        m_text.push_back(character);
        return *this;
    }

    CStringT& operator+=(const CStringT<YCHAR>& other)
    {
        m_text += convert(std::basic_string_view<YCHAR>(other.GetString(), other.size()));
        return *this;
    }

    CStringT& operator+=(const YCHAR* text)
    {
        m_text += convert(viewOf(text));
        return *this;
    }

    CStringT& operator+=(YCHAR character)
    {
        m_text += convert(std::basic_string_view<YCHAR>(&character, 1));
        return *this;
    }

    friend CStringT operator+(CStringT left, const CStringT& right)
    {
        left.m_text += right.m_text;
        return left;
    }

    friend CStringT operator+(CStringT left, const CharT* right)
    {
        left.m_text.append(viewOf(right));
        return left;
    }

    friend CStringT operator+(const CharT* left, const CStringT& right)
    {
        StringType text(viewOf(left));
        text += right.m_text;
        return CStringT(std::move(text));
    }

    friend CStringT operator+(CStringT left, CharT right)
    {
        left.m_text.push_back(right);
        return left;
    }

    friend CStringT operator+(CharT left, const CStringT& right)
    {
        StringType text(1, left);
        text += right.m_text;
        return CStringT(std::move(text));
    }

    friend CStringT operator+(CStringT left, YCHAR right)
    {
        left += right;
        return left;
    }

    friend CStringT operator+(YCHAR left, const CStringT& right)
    {
        CStringT text(left);
        text += right;
        return text;
    }

    // Relational operators, for strings and character pointers on either side

    friend bool operator==(const CStringT& left, const CStringT& right)
    {
        return left.m_text == right.m_text;
    }

    friend bool operator==(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) == 0;
    }

    friend bool operator==(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) == 0;
    }

    friend bool operator!=(const CStringT& left, const CStringT& right)
    {
        return !(left == right);
    }

    friend bool operator!=(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) != 0;
    }

    friend bool operator!=(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) != 0;
    }

    friend bool operator<(const CStringT& left, const CStringT& right)
    {
        return left.m_text < right.m_text;
    }

    friend bool operator<(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) < 0;
    }

    friend bool operator<(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) > 0;
    }

    friend bool operator>(const CStringT& left, const CStringT& right)
    {
        return right.m_text < left.m_text;
    }

    friend bool operator>(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) > 0;
    }

    friend bool operator>(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) < 0;
    }

    friend bool operator<=(const CStringT& left, const CStringT& right)
    {
        return !(right.m_text < left.m_text);
    }

    friend bool operator<=(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) <= 0;
    }

    friend bool operator<=(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) >= 0;
    }

    friend bool operator>=(const CStringT& left, const CStringT& right)
    {
        return !(left.m_text < right.m_text);
    }

    friend bool operator>=(const CStringT& left, const CharT* right)
    {
        return left.Compare(right) >= 0;
    }

    friend bool operator>=(const CharT* left, const CStringT& right)
    {
        return right.Compare(left) <= 0;
    }

private:
    template <typename T>
    friend class CStringT;

    SizeType size() const noexcept
    {
        return m_text.size();
    }

    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text)
    {
        return text != nullptr ? std::basic_string_view<C>(text) : std::basic_string_view<C>();
    }

    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text, int length)
    {
        return text != nullptr ? std::basic_string_view<C>(text, clampedCount(length)) : std::basic_string_view<C>();
    }

    template <typename T>
    static const T& varargOf(const T& argument)
    {
        static_assert(std::is_trivially_copyable_v<std::decay_t<T>>,
                      "only numbers, characters, pointers and CStringT objects can be formatted");
        return argument;
    }

    template <typename C>
    static const C* varargOf(const CStringT<C>& argument)
    {
        return argument.GetString();
    }

    static void appendFormatted(StringType& out, const CharT* format, ...)
    {
        va_list arguments;
        va_start(arguments, format);
        try
        {
            cbf::platform::AppendFormat(out, format, arguments);
        }
        catch (...)
        {
            va_end(arguments);
            throw;
        }
        va_end(arguments);
    }

    static StringType convert(std::basic_string_view<YCHAR> text)
    {
        return cbf::platform::detail::ConvertText(text.data(), text.size());
    }

    static SizeType clampedCount(int count) noexcept
    {
        return count > 0 ? static_cast<SizeType>(count) : 0;
    }

    SizeType clampedPosition(int position) const noexcept
    {
        return std::min(clampedCount(position), m_text.size());
    }

    static int positionOf(SizeType position) noexcept
    {
        return position == StringType::npos ? -1 : static_cast<int>(position);
    }

    template <typename Predicate>
    CStringT& trimLeftWhile(Predicate matches)
    {
        SizeType first = 0;
        while (first < m_text.size() && matches(m_text[first]))
            ++first;
        m_text.erase(0, first);
        return *this;
    }

    template <typename Predicate>
    CStringT& trimRightWhile(Predicate matches)
    {
        SizeType end = m_text.size();
        while (end > 0 && matches(m_text[end - 1]))
            --end;
        m_text.erase(end);
        return *this;
    }

    StringType m_text;
};

using CStringA = CStringT<char>;
using CStringW = CStringT<wchar_t>;
