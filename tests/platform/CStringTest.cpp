// Tests of CStringA and CStringW operators and operations.
#include <cbfoundation/platform/CStringT.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

template <typename CharT>
void PrintTo(const CStringT<CharT>& text, std::ostream* out)
{
    *out << '"' << CStringA(text).GetString() << '"';
}

namespace {

// Both widths run the same cases; the texts are written once, in ASCII.
template <typename CharT>
class CStringTest : public testing::Test
{
protected:
    using String = CStringT<CharT>;
    using Edit = std::function<void(String&)>;

    static String S(const char* ascii) { return String(CStringA(ascii)); }

    // A text long enough that copies share it rather than copy it.
    static String Long(const char* ascii)
    {
        String text;
        while (text.GetLength() <= String::kLongestCopiedText)
            text += S(ascii);
        return text;
    }

    // An edit of a shared long text must give what it gives on a text of its
    // own, and leave the other sharer alone.
    static void ExpectSharedEditLikeOwn(const String& longText, const Edit& edit)
    {
        String own(longText.GetString());
        edit(own);
        String shared = longText;
        const String sharer = shared;
        EXPECT_EQ(shared.GetString(), longText.GetString());
        edit(shared);
        EXPECT_EQ(shared, own);
        EXPECT_EQ(sharer, longText);
    }
};

using CharacterTypes = testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(CStringTest, CharacterTypes);

TYPED_TEST(CStringTest, ExtractionAndSearchClampTheirArguments)
{
    using Char = TypeParam;
    const auto h = this->S("Hello");
    constexpr int max = INT_MAX;
    const std::pair<typename TestFixture::String, const char*> parts[] = {
        {h.Left(-1), ""},     {h.Left(3), "Hel"}, {h.Right(99), "Hello"},  {h.Mid(-2), "Hello"},  {h.Mid(9), ""},
        {h.Mid(-1, 2), "He"}, {h.Mid(2, -1), ""}, {h.Mid(1, max), "ello"}, {h.Mid(max, max), ""},
    };
    for (const auto& [actual, expected] : parts)
        EXPECT_EQ(actual, this->S(expected));
    EXPECT_EQ(h.GetAt(5), Char());
    EXPECT_THROW(h.GetAt(6), std::out_of_range);

    const Char l('l');
    const auto lo = this->S("lo");
    const auto none = this->S("");
    const Char* const null = nullptr;
    const int positions[][2] = {
        {h.Find(l, 3), 3},     {h.Find(l, -1), -1}, {h.Find(lo), 3},       {h.Find(none, 5), 5},
        {h.Find(none, 6), -1}, {h.Find(null), -1},  {h.ReverseFind(l), 3}, {h.FindOneOf(lo), 2},
    };
    for (const auto& p : positions)
        EXPECT_EQ(p[0], p[1]);
}

TYPED_TEST(CStringTest, ComparisonsAgreeForEveryOperandForm)
{
    using Char = TypeParam;
    const char* const texts[] = {"", "a", "ab", "B"};
    for (const char* left : texts) {
        for (const char* right : texts) {
            const auto a = this->S(left);
            const auto b = this->S(right);
            const Char* const p = b;
            const int expected = std::strcmp(left, right);
            SCOPED_TRACE(std::string(left) + " vs " + right);
            for (bool less : {a.Compare(b) < 0, a < b, a<p, p> a, !(a >= p), !(p <= a)})
                EXPECT_EQ(less, expected < 0);
            for (bool equal : {a == b, a == p, p == a, !(a != p)})
                EXPECT_EQ(equal, expected == 0);
            EXPECT_EQ(a > b, expected > 0);
        }
    }
    EXPECT_EQ(this->S("ABC").CompareNoCase(this->S("abc")), 0);
    EXPECT_LT(this->S("abc").CompareNoCase(this->S("ABD")), 0);
}

// Each edit answers a count (or 0) and clamps its arguments. A short text is
// copied, a long one shared until the edit; MakeReverse and Replace once
// wrote into the shared text.
TYPED_TEST(CStringTest, EditsReturnCountsClampAndUnshareTheText)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    const auto s = [this](const char* ascii) { return this->S(ascii); };
    const std::tuple<std::function<int(String&)>, int, const char*> edits[] = {
        {[](String& t) { return t.SetAt(0, Char('J')), 0; }, 0, "Jello world"},
        {[](String& t) { return t.MakeReverse(), 0; }, 0, "dlrow olleH"},
        {[](String& t) { return t.MakeUpper().MakeLower().GetLength(); }, 11, "hello world"},
        {[](String& t) { return t.Replace(Char('o'), Char('0')); }, 2, "Hell0 w0rld"},
        {[&](String& t) { return t.Replace(s("o"), s("--")); }, 2, "Hell-- w--rld"},
        {[&](String& t) { return t.Insert(99, s(">>")); }, 13, "Hello world>>"},
        {[](String& t) { return t.Delete(-1, 1); }, 10, "ello world"},
        {[](String& t) { return t.Remove(Char('l')); }, 3, "Heo word"},
        {[&](String& t) { return (t = s(" \t\r\n x y \n")).Trim().GetLength(); }, 3, "x y"},
        {[](String& t) { return t.Truncate(4), 0; }, 0, "Hell"},
        {[&](String& t) { return t.AppendFormat(s("%d"), 42), 0; }, 0, "Hello world42"},
        {[](String& t) { return t.ReleaseBuffer(5), 0; }, 0, "Hello"},
        {[](String& t) { return t.GetBuffer()[0] = Char('J'), 0; }, 0, "Jello world"},
        {[](String& t) { return t.GetBuffer(20)[11] = Char('!'), t.ReleaseBuffer(), 0; }, 0, "Hello world!"},
        {[](String& t) { return t.GetBufferSetLength(3)[0] = Char('J'), t.ReleaseBuffer(), 0; }, 0, "Jel"},
        {[](String& t) { return t.Preallocate(100), t.GetBuffer()[0] = Char('J'), 0; }, 0, "Jello world"},
    };
    const String original = s("Hello world");
    const String longOriginal = this->Long("Hello world");
    for (const auto& [edit, count, expected] : edits) {
        SCOPED_TRACE(expected);
        String copied = original;
        EXPECT_NE(copied.GetString(), original.GetString());
        EXPECT_EQ(edit(copied), count);
        EXPECT_EQ(copied, s(expected));
        EXPECT_EQ(original, s("Hello world"));
        this->ExpectSharedEditLikeOwn(longOriginal, [&edit = edit](String& t) { edit(t); });
    }
    EXPECT_EQ(longOriginal.Left(INT_MAX).GetString(), longOriginal.GetString());
}

// The buffer an edit reads from may be full, have room to spare, or be shared.
TYPED_TEST(CStringTest, EditsMayTakeTheirTextFromTheStringItself)
{
    using String = typename TestFixture::String;
    const auto s = [this](const char* ascii) { return this->S(ascii); };
    const std::pair<typename TestFixture::Edit, const char*> edits[] = {
        {[](String& t) { t += t; }, "abcdefabcdef"},
        {[](String& t) { t.Append(t.GetString() + 1, 2); }, "abcdefbc"},
        {[](String& t) { t.Insert(3, t.GetString() + 4); }, "abcefdef"},
        {[](String& t) { t = t.GetString() + 1; }, "bcdef"},
        {[](String& t) { t.Replace(t.GetString() + 4, t.GetString()); }, "abcdabcdef"},
        {[](String& t) { t.TrimRight(t.GetString() + 3); }, "abc"},
        {[&](String& t) { t.Format(s("[%s]"), t); }, "[abcdef]"},
    };
    const String longText = this->Long("abcdef");
    for (const auto& [edit, expected] : edits) {
        SCOPED_TRACE(expected);
        for (int room : {0, 64}) {
            String text = s("abcdef");
            text.Preallocate(room);
            edit(text);
            EXPECT_EQ(text, s(expected)) << "room " << room;
        }
        this->ExpectSharedEditLikeOwn(longText, edit);
    }
}

TYPED_TEST(CStringTest, EmptyStringsHoldNoMemory)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    static_assert(std::is_nothrow_default_constructible_v<String> && std::is_nothrow_move_constructible_v<String>);
    String movedFrom = this->S("abc");
    const String taker = std::move(movedFrom);
    String emptied = this->S("  ");
    emptied.Preallocate(100);
    emptied.Replace(this->S(" "), this->S(""));
    for (const String& empty : {String(static_cast<const Char*>(nullptr)), taker.Mid(3), movedFrom, emptied}) {
        EXPECT_EQ(empty.GetAllocLength(), 0);
        String written = empty;
        written.GetBuffer()[0] = Char();
        EXPECT_TRUE(empty.IsEmpty() && *empty.GetString() == Char());
    }
}

// A text beyond INT_MAX characters is refused before anything changes; the
// growth of appended texts is measured by the string benchmarks.
TYPED_TEST(CStringTest, LengthsBeyondIntMaxThrow)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    const Char x = Char('x');
    EXPECT_THROW(String(std::basic_string_view<Char>(&x, std::size_t(INT_MAX) + 1)), std::length_error);
    String text = this->S("ab");
    const String sharer = text;
    EXPECT_THROW(text.Append(text.GetString(), INT_MAX), std::length_error);
    text.Preallocate(8);
    EXPECT_THROW(text.Append(text.GetString(), INT_MAX), std::length_error);
    EXPECT_EQ(text, this->S("ab"));
}

// Wide strings sort as their UTF-16 forms, whatever the width of wchar_t. The
// long cases put the difference behind a stretch that is compared in blocks.
TEST(CStringOrder, WideStringsSortByUtf16CodeUnit)
{
    const std::wstring prefix(37, L'p');
    const std::pair<std::wstring, std::wstring> lessGreater[] = {
        {L"\U00010000", L"\uE000"},     {L"\U0010FFFF", L"\uFFFF"},
        {L"\xD800", L"\U00010000"},     {prefix + L"x\U00010000", prefix + L"x\uFF21"},
        {prefix + L"A", prefix + L"B"},
    };
    for (const auto& [first, second] : lessGreater) {
        const CStringW a(first);
        const CStringW b(second);
        EXPECT_TRUE(a.Compare(b) < 0 && b.Compare(a) > 0 && a < b && a < b.GetString() && b > a);
        EXPECT_TRUE(a.CompareNoCase(b) < 0 && b.CompareNoCase(a) > 0);
    }
    EXPECT_EQ(CStringW(prefix + L"\U00010000").Compare(CStringW(prefix + L"\U00010000")), 0);
}

} // namespace
