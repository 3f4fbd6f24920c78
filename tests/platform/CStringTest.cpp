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

    static String S(const char* ascii) { return String(CStringA(ascii)); }

    // A text long enough that copies share it rather than copy it.
    static String Long(const char* ascii)
    {
        String text;
        while (text.GetLength() <= String::kLongestCopiedText)
            text += S(ascii);
        return text;
    }
};

using CharacterTypes = testing::Types<char, wchar_t>;
TYPED_TEST_SUITE(CStringTest, CharacterTypes);

TYPED_TEST(CStringTest, ExtractionClampsItsArgumentsAndIndexingThrows)
{
    using Char = TypeParam;
    const auto h = this->S("Hello");
    constexpr int max = INT_MAX;
    const std::pair<typename TestFixture::String, const char*> cases[] = {
        {h.Left(-1), ""},   {h.Left(0), ""},         {h.Left(3), "Hel"},    {h.Left(99), "Hello"}, {h.Right(-5), ""},
        {h.Right(2), "lo"}, {h.Right(99), "Hello"},  {h.Mid(-2), "Hello"},  {h.Mid(2), "llo"},     {h.Mid(5), ""},
        {h.Mid(9), ""},     {h.Mid(1, 3), "ell"},    {h.Mid(-1, 2), "He"},  {h.Mid(3, 99), "lo"},  {h.Mid(2, -1), ""},
        {h.Mid(9, 2), ""},  {h.Mid(1, max), "ello"}, {h.Mid(max, max), ""},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, this->S(expected));

    EXPECT_EQ(h[4], Char('o'));
    EXPECT_EQ(h.GetAt(5), Char());
    EXPECT_THROW(h.GetAt(6), std::out_of_range);
    EXPECT_THROW(h.GetAt(-1), std::out_of_range);
    EXPECT_THROW(this->S("Hello").SetAt(5, Char('x')), std::out_of_range);
}

TYPED_TEST(CStringTest, SearchAnswersPositionsOrMinusOne)
{
    using Char = TypeParam;
    const auto h = this->S("Hello");
    const auto lo = this->S("lo");
    const auto none = this->S("");
    const Char l('l');
    const Char z('z');
    const Char* const null = nullptr;
    const int cases[][2] = {
        {h.Find(l), 2},     {h.Find(l, 3), 3},     {h.Find(l, 4), -1},     {h.Find(l, -1), -1},  {h.Find(l, 99), -1},
        {h.Find(lo), 3},    {h.Find(lo, 4), -1},   {h.Find(none), 0},      {h.Find(none, 5), 5}, {h.Find(none, 6), -1},
        {h.Find(null), -1}, {h.ReverseFind(l), 3}, {h.ReverseFind(z), -1}, {h.FindOneOf(lo), 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c[0], c[1]);
}

TYPED_TEST(CStringTest, EditingReturnsCountsAndClamps)
{
    using Char = TypeParam;
    const std::pair<typename TestFixture::String, const char*> trimmed[] = {
        {this->S(" \t\r\n x y \n").Trim(), "x y"},
        {this->S("--x-").TrimLeft(Char('-')), "x-"},
        {this->S("abxba").Trim(this->S("ab")), "x"},
        {this->S("   ").TrimRight(), ""},
    };
    for (const auto& [actual, expected] : trimmed)
        EXPECT_EQ(actual, this->S(expected));

    // Each edit continues on the text the one before left, and answers a count.
    using String = typename TestFixture::String;
    const auto s = [this](const char* ascii) { return this->S(ascii); };
    const std::tuple<std::function<int(String&)>, int, const char*> edits[] = {
        {[](String& t) { return t.Replace(Char('.'), Char('/')); }, 2, "a/b/c"},
        {[&](String& t) { return t.Replace(s("/"), s("--")); }, 2, "a--b--c"},
        {[&](String& t) { return t.Replace(s("-"), static_cast<const Char*>(nullptr)); }, 4, "abc"},
        {[&](String& t) { return t.Replace(s(""), s("x")); }, 0, "abc"},
        {[&](String& t) { return t.Replace(s("aa"), s("x")); }, 0, "abc"},
        {[](String& t) { return t.Insert(-3, Char('<')); }, 4, "<abc"},
        {[&](String& t) { return t.Insert(99, s(">>")); }, 6, "<abc>>"},
        {[](String& t) { return t.Delete(-1, 1); }, 5, "abc>>"},
        {[](String& t) { return t.Delete(3, 99); }, 3, "abc"},
        {[](String& t) { return t.Delete(99); }, 3, "abc"},
        {[](String& t) { return t.Delete(1, -4); }, 3, "abc"},
        {[&](String& t) { return t = s("banana"), t.Remove(Char('a')); }, 3, "bnn"},
    };
    String text = s("a.b.c");
    for (const auto& [edit, count, expected] : edits) {
        EXPECT_EQ(edit(text), count) << expected;
        EXPECT_EQ(text, s(expected));
    }
    EXPECT_EQ(text.MakeUpper(), s("BNN"));
    EXPECT_EQ(text.MakeLower().MakeReverse(), s("nnb"));
}

TYPED_TEST(CStringTest, ComparisonsAgreeForEveryOperandForm)
{
    using Char = TypeParam;
    const char* const texts[] = {"", "a", "ab", "b", "B"};
    for (const char* left : texts) {
        for (const char* right : texts) {
            const auto a = this->S(left);
            const auto b = this->S(right);
            const Char* const p = b;
            const int expected = std::strcmp(left, right);
            SCOPED_TRACE(std::string(left) + " vs " + right);
            for (bool less : {a.Compare(b) < 0, a < b, a<p, p> a, !(a >= p), !(p <= a)})
                EXPECT_EQ(less, expected < 0);
            for (bool equal : {a.Compare(b) == 0, a == b, a == p, p == a, !(a != p)})
                EXPECT_EQ(equal, expected == 0);
            for (bool greater : {a > b, !(a <= b)})
                EXPECT_EQ(greater, expected > 0);
        }
    }
    EXPECT_EQ(this->S("ABC").CompareNoCase(this->S("abc")), 0);
    EXPECT_LT(this->S("abc").CompareNoCase(this->S("ABD")), 0);
    EXPECT_GT(this->S("abcd").CompareNoCase(this->S("ABC")), 0);
    EXPECT_EQ(this->S("").Compare(static_cast<const Char*>(nullptr)), 0);
}

TYPED_TEST(CStringTest, CopiesShareTheTextUntilOneIsWritten)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    const auto s = [this](const char* ascii) { return this->S(ascii); };
    const std::pair<std::function<void(String&)>, const char*> writes[] = {
        {[](String& t) { t.SetAt(0, Char('J')); }, "Jello world"},
        {[](String& t) { t.MakeUpper(); }, "HELLO WORLD"},
        {[](String& t) { t.MakeReverse(); }, "dlrow olleH"},
        {[](String& t) { t.Replace(Char('o'), Char('0')); }, "Hell0 w0rld"},
        {[&](String& t) { t.Replace(s("world"), s("there")); }, "Hello there"},
        {[](String& t) { t.Insert(0, Char('>')); }, ">Hello world"},
        {[&](String& t) { t.Insert(5, s(",")); }, "Hello, world"},
        {[](String& t) { t.Delete(0, 6); }, "world"},
        {[](String& t) { t.Remove(Char('l')); }, "Heo word"},
        {[](String& t) { t.Truncate(4); }, "Hell"},
        {[](String& t) { t.Trim(Char('H')); }, "ello world"},
        {[](String& t) { t.AppendChar(Char('!')); }, "Hello world!"},
        {[&](String& t) { t.AppendFormat(s("%d"), 42); }, "Hello world42"},
        {[&](String& t) { t.Format(s("%d"), 42); }, "42"},
        {[&](String& t) { t.SetString(s("xyz"), 2); }, "xy"},
        {[&](String& t) { t = s("new"); }, "new"},
        {[](String& t) { t.Empty(); }, ""},
        {[](String& t) { t.GetBuffer()[0] = Char('J'); }, "Jello world"},
        {[](String& t) { t.GetBuffer(20)[11] = Char('!'), t.ReleaseBuffer(); }, "Hello world!"},
        {[](String& t) { t.GetBufferSetLength(3)[0] = Char('J'), t.ReleaseBuffer(); }, "Jel"},
        {[](String& t) { t.ReleaseBuffer(5); }, "Hello"},
        {[](String& t) { t.GetBuffer(2)[4] = Char(), t.ReleaseBuffer(); }, "Hell"},
        {[](String& t) { t.GetBuffer(0), t.ReleaseBuffer(99); }, "Hello world"},
        {[](String& t) { t.Preallocate(100), t.GetBuffer()[0] = Char('J'); }, "Jello world"},
    };
    const String original = s("Hello world");
    const String longOriginal = this->Long("Hello world");
    for (const auto& [write, expected] : writes) {
        SCOPED_TRACE(expected);
        String copied = original;
        EXPECT_NE(copied.GetString(), original.GetString());
        write(copied);
        EXPECT_EQ(copied, s(expected));
        EXPECT_EQ(original, s("Hello world"));

        // A long text is shared until the write, which must then give what
        // it gives on a text of its own.
        String own(longOriginal.GetString());
        write(own);
        String written = longOriginal;
        const String kept = written;
        EXPECT_EQ(written.GetString(), longOriginal.GetString());
        write(written);
        EXPECT_EQ(written, own);
        EXPECT_EQ(kept, longOriginal);
    }
    EXPECT_EQ(longOriginal.Left(INT_MAX).GetString(), longOriginal.GetString());
}

// Each edit takes its text from the string it changes, whose buffer may be
// full, have room to spare, or be shared (a long text).
TYPED_TEST(CStringTest, EditsMayTakeTheirTextFromTheStringItself)
{
    using String = typename TestFixture::String;
    const auto s = [this](const char* ascii) { return this->S(ascii); };
    const std::pair<std::function<void(String&)>, const char*> edits[] = {
        {[](String& t) { t += t; }, "abcdefabcdef"},
        {[](String& t) { t.Insert(0, t); }, "abcdefabcdef"},
        {[](String& t) { t.Append(t.GetString() + 2); }, "abcdefcdef"},
        {[](String& t) { t = t; }, "abcdef"},
        {[](String& t) { t.Append(t.GetString() + 1, 2); }, "abcdefbc"},
        {[](String& t) { t.Insert(3, t.GetString() + 4); }, "abcefdef"},
        {[](String& t) { t = t.GetString() + 1; }, "bcdef"},
        {[](String& t) { t.SetString(t.GetString(), 3); }, "abc"},
        {[](String& t) { t.Replace(t.GetString() + 4, t.GetString()); }, "abcdabcdef"},
        {[](String& t) { t.Replace(t.GetString(), t.GetString() + 3); }, "def"},
        {[](String& t) { t.TrimRight(t.GetString() + 3); }, "abc"},
        {[](String& t) { t = t + t; }, "abcdefabcdef"},
        {[](String& t) { t = t.GetString() + t; }, "abcdefabcdef"},
        {[&](String& t) { t.Format(s("[%s]"), t); }, "[abcdef]"},
        {[&](String& t) { t.AppendFormat(s("%s"), t.GetString() + 5); }, "abcdeff"},
    };
    const String longText = this->Long("abcdef");
    for (const auto& [edit, expected] : edits) {
        for (int room : {0, 64}) {
            SCOPED_TRACE(std::string(expected) + ", room " + std::to_string(room));
            String text = s("abcdef");
            text.Preallocate(room);
            edit(text);
            EXPECT_EQ(text, s(expected));
        }
        SCOPED_TRACE(std::string(expected) + ", shared");
        String own(longText.GetString());
        edit(own);
        String shared = longText;
        const String sharer = shared;
        edit(shared);
        EXPECT_EQ(shared, own);
        EXPECT_EQ(sharer, longText);
    }
}

TYPED_TEST(CStringTest, EmptyStringsHoldNoMemory)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    static_assert(std::is_nothrow_default_constructible_v<String> && std::is_nothrow_move_constructible_v<String>);
    String movedFrom = this->S("abc");
    const String taker = std::move(movedFrom);
    const auto emptiedBy = [this](const std::function<void(String&)>& edit) {
        String text = this->S("  ");
        edit(text);
        return text;
    };
    const String empties[] = {
        String(),
        this->S(""),
        String(static_cast<const Char*>(nullptr)),
        String(Char('x'), 0),
        taker.Left(0),
        taker.Mid(3),
        movedFrom,
        emptiedBy([](String& t) { t.Preallocate(100), t.Empty(); }),
        emptiedBy([this](String& t) { t.Replace(this->S(" "), this->S("")); }),
        emptiedBy([](String& t) { t.Trim(); }),
        emptiedBy([](String& t) { t.Remove(Char(' ')); }),
        emptiedBy([](String& t) { t.Truncate(0); }),
        emptiedBy([](String& t) { t.GetBuffer(8)[0] = Char(), t.ReleaseBuffer(); }),
    };
    for (const String& empty : empties) {
        EXPECT_EQ(empty.GetLength(), 0);
        EXPECT_EQ(empty.GetAllocLength(), 0);
        EXPECT_EQ(*empty.GetString(), Char());
        String written = empty;
        written.GetBuffer()[0] = Char();
        written += Char('x');
        EXPECT_TRUE(empty.IsEmpty());
    }
}

TYPED_TEST(CStringTest, AppendingGrowsGeometricallyAndAssignmentExactly)
{
    using String = typename TestFixture::String;
    using Char = TypeParam;
    String text;
    int reallocations = 0;
    for (int i = 0; i < 100000; ++i) {
        const Char* const before = text.GetString();
        const Char next[] = {Char('a' + i % 26), Char()};
        if (i % 3 == 0)
            text.AppendChar(next[0]);
        else if (i % 3 == 1)
            text += next;
        else
            text.Append(next, 1);
        reallocations += text.GetString() != before ? 1 : 0;
    }
    EXPECT_LT(reallocations, 50);
    EXPECT_EQ(String(text.GetString()).GetAllocLength(), 100000);
    String assigned = this->S("x");
    assigned = text.GetString();
    EXPECT_EQ(assigned.GetAllocLength(), 100000);
    text.FreeExtra();
    EXPECT_EQ(text.GetAllocLength(), 100000);
    EXPECT_EQ(text, assigned);
    text.Preallocate(200000);
    EXPECT_GE(text.GetAllocLength(), 200000);
    EXPECT_EQ(text, assigned);
}

TYPED_TEST(CStringTest, TextsBeyondIntMaxThrowLengthError)
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

// Literals, characters and the other width on either side resolve without ambiguity.
TEST(CStringMixedForms, OperatorsAcceptLiteralsCharactersAndTheOtherWidth)
{
    const CStringW s = L"x";
    const CStringW t = L"y";
    EXPECT_TRUE(s == L"x" && L"x" == s && s < t && L"w" < s && s != t && L"x" != t);
    EXPECT_TRUE(L"" < s && s > L"" && s >= L"x" && L"x" <= s && L"y" > s && !(s > L"x") && !(L"x" < s));
    using W = CStringW;
    const CStringA five = "5";
    const std::pair<CStringW, const wchar_t*> sums[] = {
        {s + t, L"xy"},        {s + L"z", L"xz"},    {L"z" + s, L"zx"},    {s + L'!', L"x!"},
        {L'!' + s, L"!x"},     {s + '.', L"x."},     {W(s) += t, L"xy"},   {W(s) += L"1", L"x1"},
        {W(s) += L'2', L"x2"}, {W(s) += "3", L"x3"}, {W(s) += '4', L"x4"}, {W(s) += five, L"x5"},
    };
    for (const auto& [actual, expected] : sums)
        EXPECT_EQ(actual, CStringW(expected));
    EXPECT_EQ(L"a" + s + L"b" + t, CStringW(L"axby"));

    const CStringA a = "p";
    EXPECT_EQ(a + "q" + 'r' + L's', CStringA("pqrs"));
    EXPECT_TRUE("p" == a);
}

// Wide strings sort as their UTF-16 forms, whatever the width of wchar_t.
// The long cases put the difference behind a stretch of equal characters.
TEST(CStringOrder, WideStringsSortByUtf16CodeUnit)
{
    const std::wstring prefix(37, L'p');
    const std::pair<std::wstring, std::wstring> lessGreater[] = {
        {L"\U00010000", L"\uE000"},
        {L"\U0010FFFF", L"\uFFFF"},
        {L"\U00010000", L"\U0001F600"},
        {L"a\uD7FF", L"a\U00010000"},
        {L"\xD800", L"\U00010000"},
        {L"\U00010000", L"\xDBFF"},
        {L"\U00010000", L"\xD800\xE000"},
        {prefix + L"\U00010000", prefix + L"\uE000"},
        {prefix + L"x\U00010000", prefix + L"x\uFF21"},
        {prefix + L"A", prefix + L"B"},
    };
    for (std::size_t i = 0; i < std::size(lessGreater); ++i) {
        SCOPED_TRACE(i);
        const CStringW a(lessGreater[i].first);
        const CStringW b(lessGreater[i].second);
        const wchar_t* const p = b;
        for (bool less : {a.Compare(b) < 0, b.Compare(a) > 0, a<b, a<p, p> a, b> a, !(a >= b), a <= b})
            EXPECT_TRUE(less);
        EXPECT_LT(a.CompareNoCase(b), 0);
        EXPECT_GT(b.CompareNoCase(a), 0);
    }
    EXPECT_EQ(CStringW(prefix + L"\U00010000").Compare(CStringW(prefix + L"\U00010000")), 0);
}

TEST(CStringConstruction, AcceptsEveryFormAndBothWidths)
{
    CStringW moved = L"abc";
    const CStringW taker = std::move(moved);
    moved = "def";
    using W = CStringW;
    const wchar_t* const wideNull = nullptr;
    const char* const narrowNull = nullptr;
    const std::pair<CStringW, const wchar_t*> cases[] = {
        {W(wideNull), L""},   {W(narrowNull), L""},        {W("narrow"), L"narrow"}, {W(CStringA(L"wide")), L"wide"},
        {W(L'-', 3), L"---"}, {W(CStringA('-', -2)), L""}, {taker, L"abc"},          {moved, L"def"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_STREQ(actual, expected);

    const CStringA embedded("a\0b", 3);
    EXPECT_EQ(embedded.GetAt(2), 'b');
    EXPECT_EQ(CStringW(embedded).GetLength(), 3);
}

} // namespace
