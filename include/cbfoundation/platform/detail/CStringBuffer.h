// The storage of CStringT: one pointer to NUL-terminated characters, preceded
// in the same heap block by a reference count, the length and the capacity.
#pragma once

#include <cbfoundation/platform/CopyBytes.h>
#include <cbfoundation/platform/SmallObjectHeap.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace cbf::platform::detail {

/// How a block that must grow is sized: to the text exactly, or to at least
/// twice its current room (for appending).
enum class Growth
{
    Exact,
    Geometric
};

/// The text of one string, shared between copies with a reference count and
/// copied before the first change made while it is shared (see CStringT).
/// Every member that returns a writable pointer or changes the text first
/// gives this buffer a block of its own.
template <typename CharT>
class StringBuffer
{
    // Apart from the atomic count, only a buffer that holds the sole
    // reference writes to the block, so the length and the capacity need no
    // synchronisation of their own.
    struct Header
    {
        std::atomic<int> references;
        int length;
        int capacity;
    };

public:
    using StringView = std::basic_string_view<CharT>;
    using Traits = std::char_traits<CharT>;

    /// The longest text that copies do not share (see CStringT).
    static constexpr int kLongestCopiedText =
        static_cast<int>((cbf::platform::SmallObjectHeap::kLargestBlock - sizeof(Header)) / sizeof(CharT)) - 1;

    /// The empty text; it allocates nothing.
    StringBuffer() noexcept
        : m_text(emptyText())
    {}

    /// A copy of `text` in a block of exactly its size.
    explicit StringBuffer(StringView text)
        : m_text(textOf(text.data(), CheckedLength(text.size())))
    {}

    StringBuffer(const StringBuffer& other)
        : m_text(copyOrShare(other.m_text))
    {}

    StringBuffer(StringBuffer&& other) noexcept
        : m_text(std::exchange(other.m_text, emptyText()))
    {}

    /// Copies a short text into this buffer's own block when it has room.
    StringBuffer& operator=(const StringBuffer& other)
    {
        if (this == &other)
            return *this;
        const int length = other.Length();
        if (length <= kLongestCopiedText && length > 0 && OwnsText() && length <= Capacity()) {
            CopyCharacters(m_text, other.m_text, length);
            setLength(m_text, length);
        } else {
            adopt(copyOrShare(other.m_text));
        }
        return *this;
    }

    StringBuffer& operator=(StringBuffer&& other) noexcept
    {
        if (this != &other)
            adopt(std::exchange(other.m_text, emptyText()));
        return *this;
    }

    ~StringBuffer() { release(m_text); }

    const CharT* Data() const noexcept { return m_text; }

    int Length() const noexcept { return header(m_text).length; }

    /// The characters the block holds, without the NUL.
    int Capacity() const noexcept { return header(m_text).capacity; }

    StringView View() const noexcept { return StringView(m_text, static_cast<std::size_t>(Length())); }

    /// True when this buffer holds the only reference to its text, so that it
    /// may write to it. The acquire load orders the reads of former sharers,
    /// which released their references, before those writes.
    bool OwnsText() const noexcept { return header(m_text).references.load(std::memory_order_acquire) == 1; }

    /// Makes the text empty and gives its memory back.
    void Clear() noexcept { adopt(emptyText()); }

    /// Makes the text this buffer's own, with room for at least `capacity`
    /// characters, and returns it.
    CharT* Own(int capacity)
    {
        if (!OwnsText() || capacity > Capacity())
            adopt(copyOf(m_text, Length(), std::max(capacity, Length())));
        return m_text;
    }

    /// Gives the buffer `length` characters in a block of its own: its text,
    /// cut or padded with NULs.
    CharT* Resize(int length)
    {
        const int kept = std::min(Length(), length);
        if (!OwnsText() || length > Capacity())
            adopt(copyOf(m_text, kept, length));
        Traits::assign(m_text + kept, static_cast<std::size_t>(length - kept), CharT());
        setLength(m_text, length);
        return m_text;
    }

    /// Sets the length of a text made this buffer's own by Own or Resize,
    /// within its capacity; a length of 0 gives the memory back.
    void SetLength(int length) noexcept
    {
        if (length == 0)
            Clear();
        else
            setLength(m_text, length);
    }

    /// Replaces `removed` characters at `position` by `count` characters of
    /// `text`. The text may lie in this buffer's own block (as in s += s):
    /// the result is then built in a new block, before the old one goes.
    void Splice(int position, int removed, const CharT* text, int count, Growth growth)
    {
        const int length = Length();
        const int newLength =
            CheckedLength(static_cast<std::uint64_t>(length - removed) + static_cast<std::uint64_t>(count));
        const int tail = length - position - removed;
        if (newLength == 0) {
            Clear();
            return;
        }
        if (OwnsText() && newLength <= Capacity() && !liesInText(text, count)) {
            if (tail > 0 && count != removed)
                Traits::move(m_text + position + count, m_text + position + removed, static_cast<std::size_t>(tail));
            CopyCharacters(m_text + position, text, count);
            setLength(m_text, newLength);
            return;
        }
        CharT* const result = allocate(capacityFor(newLength, growth));
        CopyCharacters(result, m_text, position);
        CopyCharacters(result + position, text, count);
        CopyCharacters(result + position + count, m_text + position + removed, tail);
        setLength(result, newLength);
        adopt(result);
    }

    void Assign(StringView text) { Splice(0, Length(), text.data(), CheckedLength(text.size()), Growth::Exact); }

    void Append(StringView text)
    {
        if (!text.empty())
            Splice(Length(), 0, text.data(), CheckedLength(text.size()), Growth::Geometric);
    }

    /// Appends one character, in place while the own block has room.
    void Append(CharT character)
    {
        const int length = Length();
        if (length < Capacity() && OwnsText()) {
            m_text[length] = character;
            setLength(m_text, length + 1);
        } else {
            Splice(length, 0, &character, 1, Growth::Geometric);
        }
    }

    /// Gives back the room beyond the text. A text shared with other buffers
    /// stays as it is: copying it would take more memory, not less.
    void ShrinkToFit()
    {
        if (!OwnsText() || Capacity() == Length())
            return;
        if (Length() == 0)
            Clear();
        else
            adopt(copyOf(m_text, Length(), Length()));
    }

    /// Replaces each character by `change` of it.
    template <typename Change>
    void Transform(Change change)
    {
        if (Length() != 0) {
            CharT* const text = Own(Length());
            std::transform(text, text + Length(), text, change);
        }
    }

    void Reverse()
    {
        if (Length() > 1) {
            CharT* const text = Own(Length());
            std::reverse(text, text + Length());
        }
    }

    /// Replaces every `from` by `to`; returns how many.
    int ReplaceAll(CharT from, CharT to)
    {
        const StringView text = View();
        const auto count = static_cast<int>(std::count(text.begin(), text.end(), from));
        if (count != 0) {
            CharT* const own = Own(Length());
            std::replace(own, own + Length(), from, to);
        }
        return count;
    }

    /// Removes every `character`; returns how many. A text without one is
    /// left shared.
    int RemoveAll(CharT character)
    {
        const int length = Length();
        const CharT* const first = Traits::find(m_text, static_cast<std::size_t>(length), character);
        if (first == nullptr)
            return 0;
        const auto offset = first - m_text;
        CharT* const text = Own(length);
        const auto removed = static_cast<int>(text + length - std::remove(text + offset, text + length, character));
        SetLength(length - removed);
        return removed;
    }

    /// Removes the characters that `matches` from the start.
    template <typename Predicate>
    void EraseLeadingWhile(Predicate matches)
    {
        const StringView text = View();
        std::size_t first = 0;
        while (first < text.size() && matches(text[first]))
            ++first;
        if (first != 0)
            Splice(0, static_cast<int>(first), nullptr, 0, Growth::Exact);
    }

    /// Removes the characters that `matches` from the end.
    template <typename Predicate>
    void EraseTrailingWhile(Predicate matches)
    {
        const StringView text = View();
        std::size_t end = text.size();
        while (end > 0 && matches(text[end - 1]))
            --end;
        if (end != text.size())
            Splice(static_cast<int>(end), static_cast<int>(text.size() - end), nullptr, 0, Growth::Exact);
    }

    /// `length` as an int; beyond INT_MAX throws std::length_error.
    static int CheckedLength(std::uint64_t length)
    {
        if (length > static_cast<std::uint64_t>(INT_MAX))
            throw std::length_error("CStringT: a text of more than INT_MAX characters");
        return static_cast<int>(length);
    }

    static void CopyCharacters(CharT* to, const CharT* from, int count) noexcept
    {
        if (count > 0)
            cbf::platform::CopyBytes(to, from, static_cast<std::size_t>(count) * sizeof(CharT));
    }

    /// `left` followed by `right`, in a block of exactly their length.
    static StringBuffer Concatenated(StringView left, StringView right)
    {
        StringBuffer result;
        const int length = CheckedLength(left.size() + right.size());
        if (length != 0) {
            CharT* const text = result.Own(length);
            CopyCharacters(text, left.data(), static_cast<int>(left.size()));
            CopyCharacters(text + left.size(), right.data(), static_cast<int>(right.size()));
            result.SetLength(length);
        }
        return result;
    }

    /// `repeat` (not negative) copies of `unit`.
    static StringBuffer Repeated(StringView unit, int repeat)
    {
        const int unitLength = CheckedLength(unit.size());
        const int length = CheckedLength(static_cast<std::uint64_t>(unitLength) * static_cast<std::uint64_t>(repeat));
        StringBuffer result;
        if (length == 0)
            return result;
        CharT* const text = result.Own(length);
        for (int position = 0; position < length; position += unitLength)
            CopyCharacters(text + position, unit.data(), unitLength);
        result.SetLength(length);
        return result;
    }

    /// How often the non-empty `from` stands in `text`, without overlaps.
    static int Occurrences(StringView text, StringView from) noexcept
    {
        int count = 0;
        for (std::size_t found = text.find(from); found != StringView::npos;
             found = text.find(from, found + from.size()))
            ++count;
        return count;
    }

    /// `text` with its `count` occurrences of `from` replaced by `to`.
    static StringBuffer Replaced(StringView text, StringView from, StringView to, int count)
    {
        const std::int64_t change =
            static_cast<std::int64_t>(CheckedLength(to.size())) - static_cast<std::int64_t>(from.size());
        const int length =
            CheckedLength(static_cast<std::uint64_t>(static_cast<std::int64_t>(text.size()) + change * count));
        StringBuffer result;
        if (length == 0)
            return result;
        CharT* out = result.Own(length);
        std::size_t position = 0;
        for (std::size_t found = text.find(from); found != StringView::npos; found = text.find(from, position)) {
            CopyCharacters(out, text.data() + position, static_cast<int>(found - position));
            out += found - position;
            CopyCharacters(out, to.data(), static_cast<int>(to.size()));
            out += to.size();
            position = found + from.size();
        }
        CopyCharacters(out, text.data() + position, static_cast<int>(text.size() - position));
        result.SetLength(length);
        return result;
    }

private:
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
        CopyCharacters(copy, text, length);
        setLength(copy, length);
        return copy;
    }

    static CharT* textOf(const CharT* text, int length)
    {
        return length == 0 ? emptyText() : copyOf(text, length, length);
    }

    static std::size_t blockSize(int capacity) noexcept
    {
        return sizeof(Header) + (static_cast<std::size_t>(capacity) + 1) * sizeof(CharT);
    }

    // What a copy of `text` holds: a block of its own for a short text, a
    // share of the text for a long one (and the empty text). Copying a short
    // text costs no more than sharing, whose atomic count stalls the
    // processor and bounces between the caches of threads that share it.
    static CharT* copyOrShare(CharT* text)
    {
        const int length = header(text).length;
        if (length > 0 && length <= kLongestCopiedText)
            return copyOf(text, length, length);
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
    // sole owner frees at once: no other buffer can take a reference to a
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

    // Replaces the text by `text`, whose reference this buffer takes over.
    void adopt(CharT* text) noexcept { release(std::exchange(m_text, text)); }

    // The room for a new block of `length` characters. An own block that
    // outgrows its room doubles it, so that appending one character after
    // another costs amortised constant time.
    int capacityFor(int length, Growth growth) const noexcept
    {
        if (growth == Growth::Exact || !OwnsText())
            return length;
        const std::int64_t doubled = 2 * static_cast<std::int64_t>(Capacity());
        return static_cast<int>(std::clamp<std::int64_t>(doubled, length, INT_MAX));
    }

    bool liesInText(const CharT* text, int count) const noexcept
    {
        const std::less<const CharT*> before;
        return count > 0 && !before(text, m_text) && before(text, m_text + Capacity() + 1);
    }

    CharT* m_text;
};

} // namespace cbf::platform::detail
