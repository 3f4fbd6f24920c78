// The library's narrow and wide string classes, CStringA and CStringW.
//
// Their members and behaviour are those that Windows client code expects of
// its string classes, so that such code builds unchanged on every platform:
// implicit conversion to a character pointer, lengths and positions as int,
// Left/Right/Mid that clamp their arguments instead of failing, Format with
// the Windows meaning of the conversions, GetBuffer/ReleaseBuffer for
// functions that write into a character array.
//
// A string is a value: copies are independent. They are made cheap by
// sharing: a copy refers to the same reference-counted text as its source,
// and the first change made through either string gives that string a text
// of its own. The text may contain NUL characters (GetLength counts them),
// but the pointer conversion ends, as a C string does, at the first one.
// Narrow text is in the process code page; conversions between the widths go
// through cbf::platform::NarrowToWide and WideToNarrow.
#pragma once

#include <cbfoundation/platform/FormatString.h>
#include <cbfoundation/platform/detail/CStringBuffer.h>
#include <cbfoundation/platform/detail/CStringCharacters.h>
#include <cbfoundation/platform/detail/CStringSupport.h>

#include <algorithm>
#include <compare>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

/// A string of narrow (`char`) or wide (`wchar_t`) characters.
///
/// Positions and lengths are in characters of the string's own width (code
/// units). Case conversion, case-insensitive comparison and whitespace
/// trimming work unit by unit with the C library's classification of the
/// current locale. Out-of-range indexes given to GetAt and SetAt throw
/// std::out_of_range; every other member clamps its arguments.
///
/// Order. Narrow strings order byte by byte, unsigned. Wide strings order as
/// their UTF-16 forms do, code unit by code unit, on every platform: where
/// wchar_t is 32 bits wide a character above U+FFFF sorts as its surrogate
/// pair, so before U+E000 to U+FFFF, as where wchar_t is a UTF-16 unit.
///
/// Storage. The object is a single pointer to the NUL-terminated characters;
/// a reference count, the length and the capacity sit just before them in
/// the same heap block. Copying a string shares that block (an atomic
/// increment) unless the text is short (kLongestCopiedText): a short text is
/// copied into a block of the small-object heap. Every member that changes the text first gives the string a
/// block of its own when the block is shared, so a change made through one
/// string is never seen through another. Empty strings allocate nothing:
/// they refer to a static empty text, and every change that leaves a string
/// empty gives its memory back. Only Preallocate and the GetBuffer members
/// give an empty string memory of its own. Assignment and construction
/// allocate exactly what the text needs; the appending members double the
/// block when it is full, so appending costs amortised constant time per
/// character.
///
/// Limits. A text of more than INT_MAX characters cannot be represented: the
/// members that would produce one throw std::length_error and leave the
/// string unchanged. A member that runs out of memory throws std::bad_alloc,
/// also leaving the string unchanged.
///
/// Threads. Distinct strings may be copied, read, changed and destroyed from
/// different threads at the same time, even when they share their text; a
/// single string object is used by one thread at a time.
template <typename CharT>
class CStringT
{
    static_assert(std::is_same_v<CharT, char> || std::is_same_v<CharT, wchar_t>, "CStringT holds char or wchar_t text");

    using Buffer = cbf::platform::detail::StringBuffer<CharT>;
    using Growth = cbf::platform::detail::Growth;
    using StringType = std::basic_string<CharT>;
    using StringView = std::basic_string_view<CharT>;
    using Traits = std::char_traits<CharT>;
    using Support = cbf::platform::detail::CStringSupport<CharT>;

public:
    /// The character type (XCHAR), its pointer types, and those of the other
    /// width (YCHAR: wchar_t for char, char for wchar_t).
    /// @{
    using XCHAR = CharT;
    using PXSTR = CharT*;
    using PCXSTR = const CharT*;
    using YCHAR = typename cbf::platform::detail::OtherWidth<CharT>::Type;
    using PYSTR = YCHAR*;
    using PCYSTR = const YCHAR*;
    /// @}

    // Construction and assignment

    /// The empty string; it allocates nothing.
    CStringT() noexcept = default;

    /// The longest text that copies do not share. A copy of a text up to
    /// this many characters gets a block of its own from the small-object
    /// heap: that costs no more than sharing, whose atomic count stalls the
    /// processor and bounces between the caches of threads that share it.
    static constexpr int kLongestCopiedText = Buffer::kLongestCopiedText;

    /// Copies the text of `other`, or shares it when it is longer than
    /// kLongestCopiedText.
    CStringT(const CStringT& other) = default;

    /// Takes the text of `other`, which is left empty.
    CStringT(CStringT&& other) noexcept = default;

    /// Copies the text of `other` (into this string's own block when it has
    /// room), or shares it when it is longer than kLongestCopiedText.
    CStringT& operator=(const CStringT& other) = default;

    /// Takes the text of `other`, which is left empty.
    CStringT& operator=(CStringT&& other) noexcept = default;

    ~CStringT() = default;

    /// The text up to its NUL; a null pointer gives the empty string.
    CStringT(const CharT* text)
        : CStringT(Support::viewOf(text))
    {}

    /// Exactly `length` characters of `text`, NULs included.
    CStringT(const CharT* text, int length)
        : CStringT(Support::viewOf(text, length))
    {}

    /// `repeat` copies of `character` (none when `repeat` is not positive).
    explicit CStringT(CharT character, int repeat = 1)
        : m_buffer(Buffer::Repeated(StringView(&character, 1), Support::clampedCount(repeat)))
    {}

    /// The text of the other width, converted through the process code page.
    /// @{
    CStringT(const YCHAR* text)
        : CStringT(Support::convert(Support::viewOf(text)))
    {}

    CStringT(const YCHAR* text, int length)
        : CStringT(Support::convert(Support::viewOf(text, length)))
    {}

    explicit CStringT(YCHAR character, int repeat = 1)
        : m_buffer(Buffer::Repeated(Support::convert(std::basic_string_view<YCHAR>(&character, 1)),
                                    Support::clampedCount(repeat)))
    {}

    CStringT(const CStringT<YCHAR>& other)
        : CStringT(Support::convert(other.view()))
    {}
    /// @}

    /// The characters of `text`, NULs included; more than INT_MAX of them
    /// throw std::length_error.
    explicit CStringT(const StringType& text)
        : CStringT(StringView(text))
    {}

    /// The characters of `text`, NULs included.
    explicit CStringT(StringView text)
        : m_buffer(text)
    {}

    /// Replaces the text by `text` (a null pointer gives the empty string), by
    /// `other` or by one character; text of the other width is converted
    /// through the process code page.
    /// @{
    CStringT& operator=(const CharT* text)
    {
        m_buffer.Assign(Support::viewOf(text));
        return *this;
    }

    CStringT& operator=(const YCHAR* text)
    {
        m_buffer.Assign(Support::convert(Support::viewOf(text)));
        return *this;
    }

    CStringT& operator=(const CStringT<YCHAR>& other)
    {
        m_buffer.Assign(Support::convert(other.view()));
        return *this;
    }

    CStringT& operator=(CharT character)
    {
        m_buffer.Assign(StringView(&character, 1));
        return *this;
    }

    CStringT& operator=(YCHAR character)
    {
        m_buffer.Assign(Support::convert(std::basic_string_view<YCHAR>(&character, 1)));
        return *this;
    }
    /// @}

    /// Replaces the text by `text` up to its NUL, or by exactly `length`
    /// characters of it.
    /// @{
    void SetString(const CharT* text) { m_buffer.Assign(Support::viewOf(text)); }

    void SetString(const CharT* text, int length) { m_buffer.Assign(Support::viewOf(text, length)); }
    /// @}

    // Access

    /// The text, terminated by a NUL.
    operator const CharT*() const noexcept { return m_buffer.Data(); }

    /// The text, terminated by a NUL.
    const CharT* GetString() const noexcept { return m_buffer.Data(); }

    /// The number of characters, without the terminating NUL.
    int GetLength() const noexcept { return m_buffer.Length(); }

    /// Whether the string has no characters.
    bool IsEmpty() const noexcept { return GetLength() == 0; }

    /// Makes the string empty and gives its memory back.
    void Empty() noexcept { m_buffer.Clear(); }

    /// The character at `index`; the index GetLength() gives the terminating NUL.
    CharT GetAt(int index) const
    {
        if (index < 0 || index > GetLength())
            throw std::out_of_range("CStringT::GetAt: index out of range");
        return GetString()[index];
    }

    /// The character at `index`, as GetAt gives it.
    CharT operator[](int index) const { return GetAt(index); }

    /// Replaces the character at `index`; an index outside the text throws
    /// std::out_of_range.
    void SetAt(int index, CharT character)
    {
        if (index < 0 || index >= GetLength())
            throw std::out_of_range("CStringT::SetAt: index out of range");
        m_buffer.Own(GetLength())[index] = character;
    }

    // Comparison

    /// In the string order (see the class): -1, 0 or 1 as this string sorts
    /// before, equal to or after `text` (a null pointer counts as empty).
    int Compare(const CharT* text) const { return compare(view(), Support::viewOf(text)); }

    /// Like Compare, with both sides folded to lower case unit by unit.
    int CompareNoCase(const CharT* text) const
    {
        return cbf::platform::detail::CompareUnits(view(), Support::viewOf(text), cbf::platform::detail::FoldToLower());
    }

    // Search: each returns a position or -1

    /// The first `character` at or after `start`; -1 when `start` is outside the string.
    int Find(CharT character, int start = 0) const
    {
        if (start < 0 || start >= GetLength())
            return -1;
        return Support::positionOf(view().find(character, static_cast<std::size_t>(start)));
    }

    /// The first occurrence of `text` at or after `start` (an empty text is
    /// found at `start`); -1 for a null text or a `start` outside the string.
    int Find(const CharT* text, int start = 0) const
    {
        if (text == nullptr || start < 0 || start > GetLength())
            return -1;
        return Support::positionOf(view().find(Support::viewOf(text), static_cast<std::size_t>(start)));
    }

    /// The last `character`.
    int ReverseFind(CharT character) const { return Support::positionOf(view().rfind(character)); }

    /// The first character that is one of `characters`.
    int FindOneOf(const CharT* characters) const
    {
        return Support::positionOf(view().find_first_of(Support::viewOf(characters)));
    }

    // Extraction: arguments are clamped to the string. A result that is the
    // whole string shares its text.

    /// The first `count` characters.
    CStringT Left(int count) const { return substring(0, Support::clampedCount(count)); }

    /// The last `count` characters.
    CStringT Right(int count) const
    {
        const int length = std::min(Support::clampedCount(count), GetLength());
        return substring(GetLength() - length, length);
    }

    /// The characters from `first` on.
    CStringT Mid(int first) const { return substring(clampedPosition(first), GetLength()); }

    /// `count` characters from `first` on.
    CStringT Mid(int first, int count) const { return substring(clampedPosition(first), Support::clampedCount(count)); }

    // Modification

    /// Removes white space (or every `character`, or any of `characters`) from
    /// both ends; returns the string.
    /// @{
    CStringT& Trim() { return TrimRight().TrimLeft(); }

    CStringT& Trim(CharT character) { return TrimRight(character).TrimLeft(character); }

    CStringT& Trim(const CharT* characters) { return TrimRight(characters).TrimLeft(characters); }
    /// @}

    /// Removes white space (or every `character`, or any of `characters`) from
    /// the start; returns the string.
    /// @{
    CStringT& TrimLeft()
    {
        m_buffer.EraseLeadingWhile([](CharT c) { return cbf::platform::detail::IsSpace(c); });
        return *this;
    }

    CStringT& TrimLeft(CharT character)
    {
        m_buffer.EraseLeadingWhile([character](CharT c) { return c == character; });
        return *this;
    }

    CStringT& TrimLeft(const CharT* characters)
    {
        const StringView set = Support::viewOf(characters);
        m_buffer.EraseLeadingWhile([set](CharT c) { return set.find(c) != StringView::npos; });
        return *this;
    }
    /// @}

    /// Removes white space (or every `character`, or any of `characters`) from
    /// the end; returns the string.
    /// @{
    CStringT& TrimRight()
    {
        m_buffer.EraseTrailingWhile([](CharT c) { return cbf::platform::detail::IsSpace(c); });
        return *this;
    }

    CStringT& TrimRight(CharT character)
    {
        m_buffer.EraseTrailingWhile([character](CharT c) { return c == character; });
        return *this;
    }

    CStringT& TrimRight(const CharT* characters)
    {
        const StringView set = Support::viewOf(characters);
        m_buffer.EraseTrailingWhile([set](CharT c) { return set.find(c) != StringView::npos; });
        return *this;
    }
    /// @}

    /// Turns each character into upper case; returns the string.
    CStringT& MakeUpper()
    {
        m_buffer.Transform([](CharT c) { return cbf::platform::detail::ToUpper(c); });
        return *this;
    }

    /// Turns each character into lower case; returns the string.
    CStringT& MakeLower()
    {
        m_buffer.Transform([](CharT c) { return cbf::platform::detail::ToLower(c); });
        return *this;
    }

    /// Reverses the order of the characters; returns the string.
    CStringT& MakeReverse()
    {
        m_buffer.Reverse();
        return *this;
    }

    /// Replaces every `oldCharacter` by `newCharacter`; returns how many.
    int Replace(CharT oldCharacter, CharT newCharacter) { return m_buffer.ReplaceAll(oldCharacter, newCharacter); }

    /// Replaces every occurrence of `oldText`, from left to right without
    /// overlap, by `newText` (null counts as empty); returns how many. An
    /// empty or null `oldText` replaces nothing.
    int Replace(const CharT* oldText, const CharT* newText)
    {
        const StringView from = Support::viewOf(oldText);
        const StringView to = Support::viewOf(newText);
        if (from.empty())
            return 0;
        const int count = Buffer::Occurrences(view(), from);
        if (count != 0)
            m_buffer = Buffer::Replaced(view(), from, to, count);
        return count;
    }

    /// Inserts before `index` (clamped to the string); returns the new length.
    /// @{
    int Insert(int index, CharT character)
    {
        m_buffer.Splice(clampedPosition(index), 0, &character, 1, Growth::Geometric);
        return GetLength();
    }

    int Insert(int index, const CharT* text)
    {
        const StringView inserted = Support::viewOf(text);
        m_buffer.Splice(clampedPosition(index), 0, inserted.data(), Buffer::CheckedLength(inserted.size()),
                        Growth::Geometric);
        return GetLength();
    }
    /// @}

    /// Deletes up to `count` characters from `index` on; returns the new length.
    int Delete(int index, int count = 1)
    {
        const int position = clampedPosition(index);
        const int removed = std::min(Support::clampedCount(count), GetLength() - position);
        if (removed != 0)
            m_buffer.Splice(position, removed, nullptr, 0, Growth::Exact);
        return GetLength();
    }

    /// Removes every `character`; returns how many were removed.
    int Remove(CharT character) { return m_buffer.RemoveAll(character); }

    /// Shortens the string to `length` characters; a longer length changes nothing.
    void Truncate(int length)
    {
        const int kept = Support::clampedCount(length);
        if (kept < GetLength())
            m_buffer.Splice(kept, GetLength() - kept, nullptr, 0, Growth::Exact);
    }

    /// Appends `text` up to its NUL, exactly `length` characters of it, or the
    /// text of `other`.
    /// @{
    void Append(const CharT* text) { m_buffer.Append(Support::viewOf(text)); }

    void Append(const CharT* text, int length) { m_buffer.Append(Support::viewOf(text, length)); }

    void Append(const CStringT& other) { m_buffer.Append(other.view()); }
    /// @}

    /// Appends one character.
    void AppendChar(CharT character) { m_buffer.Append(character); }

    // Formatting, with the conversions that cbf::platform::AppendFormat
    // describes. The arguments are those of printf; string objects of either
    // width may be passed for %s and %S as they are, and other class objects
    // are refused at compile time instead of being passed through "...".

    /// Replaces the text by `format` filled in with `arguments`.
    template <typename... Arguments>
    void Format(const CharT* format, const Arguments&... arguments)
    {
        StringType text;
        Support::appendFormatted(text, format, Support::varargOf(arguments)...);
        m_buffer.Assign(text);
    }

    /// Appends `format` filled in with `arguments`.
    template <typename... Arguments>
    void AppendFormat(const CharT* format, const Arguments&... arguments)
    {
        StringType text;
        Support::appendFormatted(text, format, Support::varargOf(arguments)...);
        m_buffer.Append(text);
    }

    /// Format, with the arguments in a `va_list`.
    void FormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        m_buffer.Assign(text);
    }

    /// AppendFormat, with the arguments in a `va_list`.
    void AppendFormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        m_buffer.Append(text);
    }

    // Direct buffer access for functions that write a character array.
    // Between GetBuffer and ReleaseBuffer the string may be written through
    // the pointer only; ReleaseBuffer then fixes its length. The GetBuffer
    // members give the string a text of its own first, so writing through the
    // pointer changes this string alone. The pointer stays valid until the
    // next change of the string; the string must not be copied before
    // ReleaseBuffer, because such a copy would share the text being written.

    /// The string's own characters, writable: GetLength() of them and the
    /// terminating NUL.
    CharT* GetBuffer() { return m_buffer.Own(GetLength()); }

    /// A writable buffer with room for at least `minLength` characters and a
    /// terminating NUL, holding the current text. A `minLength` beyond the
    /// text adds NUL characters that ReleaseBuffer cuts off.
    CharT* GetBuffer(int minLength) { return m_buffer.Resize(std::max(GetLength(), Support::clampedCount(minLength))); }

    /// A writable buffer of exactly `length` characters (and a NUL); the
    /// string has that length until ReleaseBuffer says otherwise.
    CharT* GetBufferSetLength(int length) { return m_buffer.Resize(Support::clampedCount(length)); }

    /// Ends direct writing: the new length is `newLength` (clamped to the
    /// buffer) or, when it is negative, the position of the first NUL.
    void ReleaseBuffer(int newLength = -1)
    {
        if (newLength < 0) {
            const CharT* const nul = Traits::find(GetString(), static_cast<std::size_t>(GetLength()), CharT());
            newLength = nul != nullptr ? static_cast<int>(nul - GetString()) : GetLength();
        }
        if (newLength == 0)
            Empty();
        else
            Truncate(newLength);
    }

    /// ReleaseBuffer with a length that is never negative: a negative one
    /// leaves the string empty.
    void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength < 0 ? 0 : newLength); }

    /// Reserves room for `length` characters.
    void Preallocate(int length)
    {
        if (Support::clampedCount(length) > GetAllocLength())
            m_buffer.Own(Support::clampedCount(length));
    }

    /// Gives back the room beyond the text. A text shared with other strings
    /// stays as it is: copying it would take more memory, not less.
    void FreeExtra() { m_buffer.ShrinkToFit(); }

    /// The number of characters the string's memory holds, without the NUL.
    int GetAllocLength() const noexcept { return m_buffer.Capacity(); }

    // Concatenation

    /// Appends a string, a text up to its NUL or a character, and returns the
    /// string; text of the other width is converted through the process code
    /// page.
    /// @{
    CStringT& operator+=(const CStringT& other)
    {
        Append(other);
        return *this;
    }

    CStringT& operator+=(const CharT* text)
    {
        Append(text);
        return *this;
    }

    CStringT& operator+=(CharT character)
    {
        AppendChar(character);
        return *this;
    }

    CStringT& operator+=(const CStringT<YCHAR>& other)
    {
        m_buffer.Append(Support::convert(other.view()));
        return *this;
    }

    CStringT& operator+=(const YCHAR* text)
    {
        m_buffer.Append(Support::convert(Support::viewOf(text)));
        return *this;
    }

    CStringT& operator+=(YCHAR character)
    {
        m_buffer.Append(Support::convert(std::basic_string_view<YCHAR>(&character, 1)));
        return *this;
    }
    /// @}

    /// A new string: `left` followed by `right`.
    /// @{
    friend CStringT operator+(CStringT left, const CStringT& right)
    {
        left.Append(right);
        return left;
    }

    friend CStringT operator+(CStringT left, const CharT* right)
    {
        left.Append(right);
        return left;
    }

    friend CStringT operator+(const CharT* left, const CStringT& right)
    {
        return CStringT(Buffer::Concatenated(Support::viewOf(left), right.view()));
    }

    friend CStringT operator+(CStringT left, CharT right)
    {
        left.AppendChar(right);
        return left;
    }

    friend CStringT operator+(CharT left, const CStringT& right)
    {
        return CStringT(Buffer::Concatenated(StringView(&left, 1), right.view()));
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
    /// @}

    // Relational operators, for strings and character pointers on either
    // side: the compiler makes the reversed forms and !=, <, <=, > and >=.

    /// Compare in the string order (see Compare): equal when every character is
    /// equal.
    /// @{
    friend bool operator==(const CStringT& left, const CStringT& right) noexcept { return left.view() == right.view(); }

    friend bool operator==(const CStringT& left, const CharT* right) noexcept
    {
        return left.view() == Support::viewOf(right);
    }

    friend std::strong_ordering operator<=>(const CStringT& left, const CStringT& right)
    {
        return compare(left.view(), right.view()) <=> 0;
    }

    friend std::strong_ordering operator<=>(const CStringT& left, const CharT* right)
    {
        return compare(left.view(), Support::viewOf(right)) <=> 0;
    }
    /// @}

private:
    template <typename T>
    friend class CStringT;

    explicit CStringT(Buffer buffer) noexcept
        : m_buffer(std::move(buffer))
    {}

    static int compare(StringView left, StringView right)
    {
        return cbf::platform::detail::CompareUnits(left, right, cbf::platform::detail::KeepCase());
    }

    StringView view() const noexcept { return m_buffer.View(); }

    // The characters from `first` (within the string) on, at most `count`.
    CStringT substring(int first, int count) const
    {
        const int length = std::min(count, GetLength() - first);
        if (length == GetLength())
            return *this;
        return CStringT(StringView(GetString() + first, static_cast<std::size_t>(length)));
    }

    int clampedPosition(int position) const noexcept { return std::min(Support::clampedCount(position), GetLength()); }

    Buffer m_buffer;
};

using CStringA = CStringT<char>;
using CStringW = CStringT<wchar_t>;

static_assert(sizeof(CStringA) == sizeof(void*) && sizeof(CStringW) == sizeof(void*),
              "a string is one pointer to its characters");
