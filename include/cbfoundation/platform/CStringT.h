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

#include <cbfoundation/platform/CodePage.h>
#include <cbfoundation/platform/CopyBytes.h>
#include <cbfoundation/platform/FormatString.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <new>
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

    using StringType = std::basic_string<CharT>;
    using StringView = std::basic_string_view<CharT>;
    using Traits = std::char_traits<CharT>;

    // The start of the block, before the characters. Apart from the atomic
    // count, only a string that holds the sole reference writes to the block,
    // so the length and the capacity need no synchronisation of their own.
    struct Header
    {
        std::atomic<int> references;
        int length;
        int capacity;
    };

public:
    using XCHAR = CharT;
    using PXSTR = CharT*;
    using PCXSTR = const CharT*;
    using YCHAR = typename cbf::platform::detail::OtherWidth<CharT>::Type;
    using PYSTR = YCHAR*;
    using PCYSTR = const YCHAR*;

    // Construction and assignment

    /// The empty string; it allocates nothing.
    CStringT() noexcept
        : m_text(emptyText())
    {}

    /// The longest text that copies do not share. A copy of a text up to
    /// this many characters gets a block of its own from the small-object
    /// heap: that costs no more than sharing, whose atomic count stalls the
    /// processor and bounces between the caches of threads that share it.
    static constexpr int kLongestCopiedText =
        static_cast<int>((cbf::platform::SmallObjectHeap::kLargestBlock - sizeof(Header)) / sizeof(CharT)) - 1;

    /// Copies the text of `other`, or shares it when it is longer than
    /// kLongestCopiedText.
    CStringT(const CStringT& other)
        : m_text(copyOrShare(other.m_text))
    {}

    /// Takes the text of `other`, which is left empty.
    CStringT(CStringT&& other) noexcept
        : m_text(std::exchange(other.m_text, emptyText()))
    {}

    /// Copies the text of `other` (into this string's own block when it has
    /// room), or shares it when it is longer than kLongestCopiedText.
    CStringT& operator=(const CStringT& other)
    {
        if (this == &other)
            return *this;
        const int length = other.GetLength();
        if (length <= kLongestCopiedText && length > 0 && ownsText() && length <= GetAllocLength()) {
            copyCharacters(m_text, other.m_text, length);
            setLength(m_text, length);
        } else {
            adopt(copyOrShare(other.m_text));
        }
        return *this;
    }

    /// Takes the text of `other`, which is left empty.
    CStringT& operator=(CStringT&& other) noexcept
    {
        if (this != &other)
            adopt(std::exchange(other.m_text, emptyText()));
        return *this;
    }

    ~CStringT() { release(m_text); }

    /// The text up to its NUL; a null pointer gives the empty string.
    CStringT(const CharT* text)
        : CStringT(viewOf(text))
    {}

    /// Exactly `length` characters of `text`, NULs included.
    CStringT(const CharT* text, int length)
        : CStringT(viewOf(text, length))
    {}

    /// `repeat` copies of `character` (none when `repeat` is not positive).
    explicit CStringT(CharT character, int repeat = 1)
        : m_text(repeated(StringView(&character, 1), repeat))
    {}

    /// The text of the other width, converted through the process code page.
    CStringT(const YCHAR* text)
        : CStringT(convert(viewOf(text)))
    {}

    CStringT(const YCHAR* text, int length)
        : CStringT(convert(viewOf(text, length)))
    {}

    explicit CStringT(YCHAR character, int repeat = 1)
        : m_text(repeated(convert(std::basic_string_view<YCHAR>(&character, 1)), repeat))
    {}

    CStringT(const CStringT<YCHAR>& other)
        : CStringT(convert(other.view()))
    {}

    /// The characters of `text`, NULs included; more than INT_MAX of them
    /// throw std::length_error.
    explicit CStringT(const StringType& text)
        : CStringT(StringView(text))
    {}

    explicit CStringT(StringView text)
        : m_text(textOf(text.data(), checkedLength(text.size())))
    {}

    CStringT& operator=(const CharT* text)
    {
        assign(viewOf(text));
        return *this;
    }

    CStringT& operator=(const YCHAR* text)
    {
        assign(convert(viewOf(text)));
        return *this;
    }

    CStringT& operator=(const CStringT<YCHAR>& other)
    {
        assign(convert(other.view()));
        return *this;
    }

    CStringT& operator=(CharT character)
    {
        assign(StringView(&character, 1));
        return *this;
    }

    CStringT& operator=(YCHAR character)
    {
        assign(convert(std::basic_string_view<YCHAR>(&character, 1)));
        return *this;
    }

    void SetString(const CharT* text) { assign(viewOf(text)); }

    void SetString(const CharT* text, int length) { assign(viewOf(text, length)); }

    // Access

    operator const CharT*() const noexcept { return m_text; }

    const CharT* GetString() const noexcept { return m_text; }

    int GetLength() const noexcept { return header(m_text).length; }

    bool IsEmpty() const noexcept { return GetLength() == 0; }

    /// Makes the string empty and gives its memory back.
    void Empty() noexcept { adopt(emptyText()); }

    /// The character at `index`; the index GetLength() gives the terminating NUL.
    CharT GetAt(int index) const
    {
        if (index < 0 || index > GetLength())
            throw std::out_of_range("CStringT::GetAt: index out of range");
        return m_text[index];
    }

    CharT operator[](int index) const { return GetAt(index); }

    void SetAt(int index, CharT character)
    {
        if (index < 0 || index >= GetLength())
            throw std::out_of_range("CStringT::SetAt: index out of range");
        ownText(GetLength())[index] = character;
    }

    // Comparison

    /// Code unit by code unit: negative, zero or positive as this string
    /// sorts before, equal to or after `text` (a null pointer counts as empty).
    int Compare(const CharT* text) const { return view().compare(viewOf(text)); }

    /// Like Compare, with both sides folded to lower case unit by unit.
    int CompareNoCase(const CharT* text) const
    {
        const StringView mine = view();
        const StringView other = viewOf(text);
        const std::size_t common = std::min(mine.size(), other.size());
        for (std::size_t i = 0; i < common; ++i) {
            const CharT left = cbf::platform::detail::ToLower(mine[i]);
            const CharT right = cbf::platform::detail::ToLower(other[i]);
            if (left != right)
                return Traits::lt(left, right) ? -1 : 1;
        }
        return mine.size() < other.size() ? -1 : (mine.size() > other.size() ? 1 : 0);
    }

    // Search: each returns a position or -1

    /// The first `character` at or after `start`; -1 when `start` is outside the string.
    int Find(CharT character, int start = 0) const
    {
        if (start < 0 || start >= GetLength())
            return -1;
        return positionOf(view().find(character, static_cast<std::size_t>(start)));
    }

    /// The first occurrence of `text` at or after `start` (an empty text is
    /// found at `start`); -1 for a null text or a `start` outside the string.
    int Find(const CharT* text, int start = 0) const
    {
        if (text == nullptr || start < 0 || start > GetLength())
            return -1;
        return positionOf(view().find(viewOf(text), static_cast<std::size_t>(start)));
    }

    int ReverseFind(CharT character) const { return positionOf(view().rfind(character)); }

    /// The first character that is one of `characters`.
    int FindOneOf(const CharT* characters) const { return positionOf(view().find_first_of(viewOf(characters))); }

    // Extraction: arguments are clamped to the string. A result that is the
    // whole string shares its text.

    CStringT Left(int count) const { return substring(0, clampedCount(count)); }

    CStringT Right(int count) const
    {
        const int length = std::min(clampedCount(count), GetLength());
        return substring(GetLength() - length, length);
    }

    CStringT Mid(int first) const { return substring(clampedPosition(first), GetLength()); }

    CStringT Mid(int first, int count) const { return substring(clampedPosition(first), clampedCount(count)); }

    // Modification

    CStringT& Trim() { return TrimRight().TrimLeft(); }

    CStringT& Trim(CharT character) { return TrimRight(character).TrimLeft(character); }

    CStringT& Trim(const CharT* characters) { return TrimRight(characters).TrimLeft(characters); }

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
        return changeEach([](CharT c) { return cbf::platform::detail::ToUpper(c); });
    }

    CStringT& MakeLower()
    {
        return changeEach([](CharT c) { return cbf::platform::detail::ToLower(c); });
    }

    CStringT& MakeReverse()
    {
        if (GetLength() > 1) {
            CharT* const text = ownText(GetLength());
            std::reverse(text, text + GetLength());
        }
        return *this;
    }

    /// Replaces every `oldCharacter` by `newCharacter`; returns how many.
    int Replace(CharT oldCharacter, CharT newCharacter)
    {
        const StringView text = view();
        const auto count = static_cast<int>(std::count(text.begin(), text.end(), oldCharacter));
        if (count != 0) {
            CharT* const own = ownText(GetLength());
            std::replace(own, own + GetLength(), oldCharacter, newCharacter);
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
        const int count = occurrences(from);
        if (count != 0)
            adopt(replaced(from, to, count));
        return count;
    }

    /// Inserts before `index` (clamped to the string); returns the new length.
    int Insert(int index, CharT character)
    {
        splice(clampedPosition(index), 0, &character, 1, Growth::Geometric);
        return GetLength();
    }

    int Insert(int index, const CharT* text)
    {
        const StringView inserted = viewOf(text);
        splice(clampedPosition(index), 0, inserted.data(), checkedLength(inserted.size()), Growth::Geometric);
        return GetLength();
    }

    /// Deletes up to `count` characters from `index` on; returns the new length.
    int Delete(int index, int count = 1)
    {
        const int position = clampedPosition(index);
        const int removed = std::min(clampedCount(count), GetLength() - position);
        if (removed != 0)
            splice(position, removed, nullptr, 0, Growth::Exact);
        return GetLength();
    }

    /// Removes every `character`; returns how many were removed.
    int Remove(CharT character)
    {
        const int length = GetLength();
        const CharT* const first = Traits::find(m_text, static_cast<std::size_t>(length), character);
        if (first == nullptr)
            return 0;
        const auto offset = first - m_text;
        CharT* const text = ownText(length);
        const auto removed = static_cast<int>(text + length - std::remove(text + offset, text + length, character));
        if (removed == length)
            Empty();
        else
            setLength(text, length - removed);
        return removed;
    }

    /// Shortens the string to `length` characters; a longer length changes nothing.
    void Truncate(int length)
    {
        const int kept = clampedCount(length);
        if (kept < GetLength())
            splice(kept, GetLength() - kept, nullptr, 0, Growth::Exact);
    }

    void Append(const CharT* text) { append(viewOf(text)); }

    void Append(const CharT* text, int length) { append(viewOf(text, length)); }

    void Append(const CStringT& other) { append(other.view()); }

    void AppendChar(CharT character)
    {
        const int length = GetLength();
        if (length < header(m_text).capacity && ownsText()) {
            m_text[length] = character;
            setLength(m_text, length + 1);
        } else {
            splice(length, 0, &character, 1, Growth::Geometric);
        }
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
        assign(text);
    }

    template <typename... Arguments>
    void AppendFormat(const CharT* format, const Arguments&... arguments)
    {
        StringType text;
        appendFormatted(text, format, varargOf(arguments)...);
        append(text);
    }

    void FormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        assign(text);
    }

    void AppendFormatV(const CharT* format, va_list arguments)
    {
        StringType text;
        cbf::platform::AppendFormat(text, format, arguments);
        append(text);
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
    CharT* GetBuffer() { return ownText(GetLength()); }

    /// A writable buffer with room for at least `minLength` characters and a
    /// terminating NUL, holding the current text. A `minLength` beyond the
    /// text adds NUL characters that ReleaseBuffer cuts off.
    CharT* GetBuffer(int minLength) { return resizeOwn(std::max(GetLength(), clampedCount(minLength))); }

    /// A writable buffer of exactly `length` characters (and a NUL); the
    /// string has that length until ReleaseBuffer says otherwise.
    CharT* GetBufferSetLength(int length) { return resizeOwn(clampedCount(length)); }

    /// Ends direct writing: the new length is `newLength` (clamped to the
    /// buffer) or, when it is negative, the position of the first NUL.
    void ReleaseBuffer(int newLength = -1)
    {
        if (newLength < 0) {
            const CharT* const nul = Traits::find(m_text, static_cast<std::size_t>(GetLength()), CharT());
            newLength = nul != nullptr ? static_cast<int>(nul - m_text) : GetLength();
        }
        if (newLength == 0)
            Empty();
        else
            Truncate(newLength);
    }

    void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength < 0 ? 0 : newLength); }

    /// Reserves room for `length` characters.
    void Preallocate(int length)
    {
        if (clampedCount(length) > GetAllocLength())
            ownText(clampedCount(length));
    }

    /// Gives back the room beyond the text. A text shared with other strings
    /// stays as it is: copying it would take more memory, not less.
    void FreeExtra()
    {
        if (!ownsText() || GetAllocLength() == GetLength())
            return;
        if (IsEmpty())
            Empty();
        else
            adopt(copyOf(m_text, GetLength()));
    }

    /// The number of characters the string's memory holds, without the NUL.
    int GetAllocLength() const noexcept { return header(m_text).capacity; }

    // Concatenation

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
        append(convert(other.view()));
        return *this;
    }

    CStringT& operator+=(const YCHAR* text)
    {
        append(convert(viewOf(text)));
        return *this;
    }

    CStringT& operator+=(YCHAR character)
    {
        append(convert(std::basic_string_view<YCHAR>(&character, 1)));
        return *this;
    }

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
        return concatenated(viewOf(left), right.view());
    }

    friend CStringT operator+(CStringT left, CharT right)
    {
        left.AppendChar(right);
        return left;
    }

    friend CStringT operator+(CharT left, const CStringT& right)
    {
        return concatenated(StringView(&left, 1), right.view());
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

    friend bool operator==(const CStringT& left, const CStringT& right) { return left.view() == right.view(); }

    friend bool operator==(const CStringT& left, const CharT* right) { return left.Compare(right) == 0; }

    friend bool operator==(const CharT* left, const CStringT& right) { return right.Compare(left) == 0; }

    friend bool operator!=(const CStringT& left, const CStringT& right) { return !(left == right); }

    friend bool operator!=(const CStringT& left, const CharT* right) { return left.Compare(right) != 0; }

    friend bool operator!=(const CharT* left, const CStringT& right) { return right.Compare(left) != 0; }

    friend bool operator<(const CStringT& left, const CStringT& right) { return left.view() < right.view(); }

    friend bool operator<(const CStringT& left, const CharT* right) { return left.Compare(right) < 0; }

    friend bool operator<(const CharT* left, const CStringT& right) { return right.Compare(left) > 0; }

    friend bool operator>(const CStringT& left, const CStringT& right) { return right.view() < left.view(); }

    friend bool operator>(const CStringT& left, const CharT* right) { return left.Compare(right) > 0; }

    friend bool operator>(const CharT* left, const CStringT& right) { return right.Compare(left) < 0; }

    friend bool operator<=(const CStringT& left, const CStringT& right) { return !(right.view() < left.view()); }

    friend bool operator<=(const CStringT& left, const CharT* right) { return left.Compare(right) <= 0; }

    friend bool operator<=(const CharT* left, const CStringT& right) { return right.Compare(left) >= 0; }

    friend bool operator>=(const CStringT& left, const CStringT& right) { return !(left.view() < right.view()); }

    friend bool operator>=(const CStringT& left, const CharT* right) { return left.Compare(right) >= 0; }

    friend bool operator>=(const CharT* left, const CStringT& right) { return right.Compare(left) <= 0; }

private:
    template <typename T>
    friend class CStringT;

    // The reference count of the shared empty text. The header is compiled
    // into the library and into each client, and each may get its own copy
    // of the empty text, so an empty text is recognised by this count, never
    // by its address. It is never freed and never written.
    static constexpr int kStaticText = -1;

    struct EmptyText
    {
        Header header;
        CharT terminator;
    };

    static constexpr EmptyText kEmptyText{{kStaticText, 0, 0}, CharT()};

    static_assert(sizeof(Header) % alignof(CharT) == 0, "the characters follow the header unpadded");
    static_assert(offsetof(EmptyText, terminator) == sizeof(Header), "the empty text is laid out as a heap block");

    enum class Growth
    {
        Exact,
        Geometric
    };

    static CharT* emptyText() noexcept { return const_cast<CharT*>(&kEmptyText.terminator); }

    static Header& header(const CharT* text) noexcept
    {
        return *reinterpret_cast<Header*>(reinterpret_cast<char*>(const_cast<CharT*>(text)) - sizeof(Header));
    }

    // A new block holding the sole reference, with room for `capacity`
    // characters and the NUL, and an empty text.
    static CharT* allocate(int capacity)
    {
        constexpr std::size_t kLargest = (SIZE_MAX - sizeof(Header)) / sizeof(CharT) - 1;
        if (static_cast<std::size_t>(capacity) > kLargest)
            throw std::bad_alloc();
        void* const block = cbf::platform::SmallObjectHeap::Allocate(blockSize(capacity));
        CharT* const text = reinterpret_cast<CharT*>(::new (block) Header{{1}, 0, capacity} + 1);
        text[0] = CharT();
        return text;
    }

    // A new block with the first `length` characters of `text` and room for
    // `capacity` characters.
    static CharT* copyOf(const CharT* text, int length, int capacity)
    {
        CharT* const copy = allocate(capacity);
        copyCharacters(copy, text, length);
        setLength(copy, length);
        return copy;
    }

    static CharT* copyOf(const CharT* text, int length) { return copyOf(text, length, length); }

    static std::size_t blockSize(int capacity) noexcept
    {
        return sizeof(Header) + (static_cast<std::size_t>(capacity) + 1) * sizeof(CharT);
    }

    // What a copy of `text` holds: a block of its own for a short text, a
    // share of the text for a long one (and the empty text).
    static CharT* copyOrShare(CharT* text)
    {
        const int length = header(text).length;
        if (length > 0 && length <= kLongestCopiedText)
            return copyOf(text, length);
        addReference(text);
        return text;
    }

    static void addReference(CharT* text) noexcept
    {
        std::atomic<int>& references = header(text).references;
        if (references.load(std::memory_order_relaxed) != kStaticText)
            references.fetch_add(1, std::memory_order_relaxed);
    }

    // Drops one reference to `text` and frees the block after the last. A
    // sole owner frees at once: no other string can take a reference to a
    // text that only this one holds. The acquire load orders the other
    // owners' last reads of the block before that.
    static void release(CharT* text) noexcept
    {
        Header& block = header(text);
        const int references = block.references.load(std::memory_order_acquire);
        if (references == kStaticText)
            return;
        if (references == 1 || block.references.fetch_sub(1, std::memory_order_acq_rel) == 1)
            cbf::platform::SmallObjectHeap::Deallocate(&block, blockSize(block.capacity));
    }

    static void setLength(CharT* text, int length) noexcept
    {
        header(text).length = length;
        text[length] = CharT();
    }

    static void copyCharacters(CharT* to, const CharT* from, int count) noexcept
    {
        if (count > 0)
            cbf::platform::CopyBytes(to, from, static_cast<std::size_t>(count) * sizeof(CharT));
    }

    static int checkedLength(std::uint64_t length)
    {
        if (length > static_cast<std::uint64_t>(INT_MAX))
            throw std::length_error("CStringT: a text of more than INT_MAX characters");
        return static_cast<int>(length);
    }

    // True when this string holds the only reference to its text, so that it
    // may write to it. The acquire load orders the reads of former sharers,
    // which released their references, before those writes.
    bool ownsText() const noexcept { return header(m_text).references.load(std::memory_order_acquire) == 1; }

    // Replaces the text by `text`, whose reference this string takes over.
    void adopt(CharT* text) noexcept { release(std::exchange(m_text, text)); }

    // Makes the text this string's own, with room for at least `capacity`
    // characters, and returns it.
    CharT* ownText(int capacity)
    {
        if (!ownsText() || capacity > GetAllocLength())
            adopt(copyOf(m_text, GetLength(), std::max(capacity, GetLength())));
        return m_text;
    }

    // Gives the string `length` characters in a block of its own: its text,
    // cut or padded with NULs.
    CharT* resizeOwn(int length)
    {
        const int kept = std::min(GetLength(), length);
        if (!ownsText() || length > GetAllocLength())
            adopt(copyOf(m_text, kept, length));
        Traits::assign(m_text + kept, static_cast<std::size_t>(length - kept), CharT());
        setLength(m_text, length);
        return m_text;
    }

    // Replaces `removed` characters at `position` by `count` characters of
    // `text`. The text may lie in this string's own block (as in s += s):
    // the result is then built in a new block, before the old one goes.
    void splice(int position, int removed, const CharT* text, int count, Growth growth)
    {
        const int length = GetLength();
        const int newLength =
            checkedLength(static_cast<std::uint64_t>(length - removed) + static_cast<std::uint64_t>(count));
        const int tail = length - position - removed;
        if (newLength == 0) {
            Empty();
            return;
        }
        if (ownsText() && newLength <= GetAllocLength() && !liesInText(text, count)) {
            if (tail > 0 && count != removed)
                Traits::move(m_text + position + count, m_text + position + removed, static_cast<std::size_t>(tail));
            copyCharacters(m_text + position, text, count);
            setLength(m_text, newLength);
            return;
        }
        CharT* const result = allocate(capacityFor(newLength, growth));
        copyCharacters(result, m_text, position);
        copyCharacters(result + position, text, count);
        copyCharacters(result + position + count, m_text + position + removed, tail);
        setLength(result, newLength);
        adopt(result);
    }

    // The room for a new block of `length` characters. An own block that
    // outgrows its room doubles it, so that appending one character after
    // another costs amortised constant time.
    int capacityFor(int length, Growth growth) const noexcept
    {
        if (growth == Growth::Exact || !ownsText())
            return length;
        const std::int64_t doubled = 2 * static_cast<std::int64_t>(GetAllocLength());
        return static_cast<int>(std::clamp<std::int64_t>(doubled, length, INT_MAX));
    }

    bool liesInText(const CharT* text, int count) const noexcept
    {
        const std::less<const CharT*> before;
        return count > 0 && !before(text, m_text) && before(text, m_text + GetAllocLength() + 1);
    }

    void assign(StringView text) { splice(0, GetLength(), text.data(), checkedLength(text.size()), Growth::Exact); }

    void append(StringView text)
    {
        if (!text.empty())
            splice(GetLength(), 0, text.data(), checkedLength(text.size()), Growth::Geometric);
    }

    StringView view() const noexcept { return StringView(m_text, static_cast<std::size_t>(GetLength())); }

    // The characters from `first` (within the string) on, at most `count`.
    CStringT substring(int first, int count) const
    {
        const int length = std::min(count, GetLength() - first);
        if (length == GetLength())
            return *this;
        return CStringT(StringView(m_text + first, static_cast<std::size_t>(length)));
    }

    static CharT* textOf(const CharT* text, int length)
    {
        return length == 0 ? emptyText() : copyOf(text, length, length);
    }

    static CStringT concatenated(StringView left, StringView right)
    {
        CStringT result;
        const int length = checkedLength(left.size() + right.size());
        if (length != 0) {
            CharT* const text = allocate(length);
            copyCharacters(text, left.data(), static_cast<int>(left.size()));
            copyCharacters(text + left.size(), right.data(), static_cast<int>(right.size()));
            setLength(text, length);
            result.m_text = text;
        }
        return result;
    }

    static CharT* repeated(StringView unit, int repeat)
    {
        const int unitLength = checkedLength(unit.size());
        const int length =
            checkedLength(static_cast<std::uint64_t>(unitLength) * static_cast<std::uint64_t>(clampedCount(repeat)));
        if (length == 0)
            return emptyText();
        CharT* const text = allocate(length);
        for (int position = 0; position < length; position += unitLength)
            copyCharacters(text + position, unit.data(), unitLength);
        setLength(text, length);
        return text;
    }

    int occurrences(StringView from) const noexcept
    {
        const StringView text = view();
        int count = 0;
        for (std::size_t found = text.find(from); found != StringView::npos;
             found = text.find(from, found + from.size()))
            ++count;
        return count;
    }

    // A new text with the `count` occurrences of `from` replaced by `to`.
    CharT* replaced(StringView from, StringView to, int count) const
    {
        const StringView text = view();
        const std::int64_t change =
            static_cast<std::int64_t>(checkedLength(to.size())) - static_cast<std::int64_t>(from.size());
        const int length =
            checkedLength(static_cast<std::uint64_t>(static_cast<std::int64_t>(text.size()) + change * count));
        if (length == 0)
            return emptyText();
        CharT* const result = allocate(length);
        CharT* out = result;
        std::size_t position = 0;
        for (std::size_t found = text.find(from); found != StringView::npos; found = text.find(from, position)) {
            copyCharacters(out, text.data() + position, static_cast<int>(found - position));
            out += found - position;
            copyCharacters(out, to.data(), static_cast<int>(to.size()));
            out += to.size();
            position = found + from.size();
        }
        copyCharacters(out, text.data() + position, static_cast<int>(text.size() - position));
        setLength(result, length);
        return result;
    }

    template <typename Change>
    CStringT& changeEach(Change change)
    {
        if (!IsEmpty()) {
            CharT* const text = ownText(GetLength());
            std::transform(text, text + GetLength(), text, change);
        }
        return *this;
    }

    template <typename Predicate>
    CStringT& trimLeftWhile(Predicate matches)
    {
        const StringView text = view();
        std::size_t first = 0;
        while (first < text.size() && matches(text[first]))
            ++first;
        if (first != 0)
            splice(0, static_cast<int>(first), nullptr, 0, Growth::Exact);
        return *this;
    }

    template <typename Predicate>
    CStringT& trimRightWhile(Predicate matches)
    {
        const StringView text = view();
        std::size_t end = text.size();
        while (end > 0 && matches(text[end - 1]))
            --end;
        Truncate(static_cast<int>(end));
        return *this;
    }

    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text)
    {
        return text != nullptr ? std::basic_string_view<C>(text) : std::basic_string_view<C>();
    }

    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text, int length)
    {
        return text != nullptr ? std::basic_string_view<C>(text, static_cast<std::size_t>(clampedCount(length)))
                               : std::basic_string_view<C>();
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
        try {
            cbf::platform::AppendFormat(out, format, arguments);
        } catch (...) {
            va_end(arguments);
            throw;
        }
        va_end(arguments);
    }

    static StringType convert(std::basic_string_view<YCHAR> text)
    {
        return cbf::platform::detail::ConvertText(text.data(), text.size());
    }

    static int clampedCount(int count) noexcept { return count > 0 ? count : 0; }

    int clampedPosition(int position) const noexcept { return std::min(clampedCount(position), GetLength()); }

    static int positionOf(std::size_t position) noexcept
    {
        return position == StringView::npos ? -1 : static_cast<int>(position);
    }

    CharT* m_text;
};

using CStringA = CStringT<char>;
using CStringW = CStringT<wchar_t>;

static_assert(sizeof(CStringA) == sizeof(void*) && sizeof(CStringW) == sizeof(void*),
              "a string is one pointer to its characters");
