// Tests of printf-style formatting with the conversions' Windows meaning.
#include <cbfoundation/platform/CStringT.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

template <typename Char, typename... Arguments>
CStringT<Char> format(const Char* pattern, Arguments... arguments)
{
    CStringT<Char> text;
    text.Format(pattern, arguments...);
    return text;
}

TEST(FormatNarrow, ConversionsHaveTheirWindowsMeaning)
{
    const std::pair<CStringA, CStringA> cases[] = {
        {format("%s|%S|%hs|%ls|%ws", "a", L"b", "c", L"d", L"e"), "a|b|c|d|e"},
        {format("%c%C%hc%lc", 'w', L'x', 'y', L'z'), "wxyz"},
        {format("%I64d|%I32d|%Iu|%zu|%lld", INT64_MIN, -5, std::size_t{7}, std::size_t{8}, -9LL),
         "-9223372036854775808|-5|7|8|-9"},
        {format("%hd|%hu|%hhd|%hhu", 70000, 70000, 200, 300), "4464|4464|-56|44"},
        {format("%-5d|%05d|%+d|%#x|%.3f|%Lf", 42, 42, 42, 42, 2.0, 1.25L), "42   |00042|+42|0x2a|2.000|1.250000"},
        {format("%*d|%-*d|%*d|%.*f", 4, 7, 4, 7, -3, 7, 2, 3.14159), "   7|7   |7  |3.14"},
        {format("[%6s|%-6s|%.2s|%06s|%.*s]", "ab", "ab", "abc", "ab", 1, "xyz"), "[    ab|ab    |ab|0000ab|x]"},
        {format("%s|%S", static_cast<const char*>(nullptr), static_cast<const wchar_t*>(nullptr)), "(null)|(null)"},
        {format("100%%|%5%|%d%%|%", 7), "100%|%|7%|%"},
        {format("a%yb%s", "unused"), "a%yb%s"},
        {format("<%S>", L"Gr\u00FC\u00DFe \u20AC"), CStringA(L"<Gr\u00FC\u00DFe \u20AC>")},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_STREQ(actual, expected);
}

TEST(FormatWide, ConversionsHaveTheirWindowsMeaning)
{
    const std::pair<CStringW, const wchar_t*> cases[] = {
        {format(L"%I64d|%I64u|%I64x", INT64_MIN, UINT64_MAX, std::uint64_t{0xABCDEF}),
         L"-9223372036854775808|18446744073709551615|abcdef"},
        {format(L"%s|%S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)), L"(null)|(null)"},
        {format(L"%C|%S", 'A', CStringA(L"Gr\u00FC\u00DFe \u20AC").GetString()), L"A|Gr\u00FC\u00DFe \u20AC"},
        {format(L"%s|%S|%ls", CStringW(L"object"), CStringA("other"), CStringW(L"explicit")), L"object|other|explicit"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_STREQ(actual, expected);
}

TEST(FormatLength, ResultsOfAnyLengthAreComplete)
{
    const std::wstring longWide(10000, L'w');
    EXPECT_EQ(std::wstring(format(L"<%S>", std::string(10000, 'w').c_str())), L"<" + longWide + L">");
    EXPECT_EQ(format("%-3000I64d|", std::int64_t{1}).GetLength(), 3001);
    EXPECT_EQ(format("%.400f", 1e300).GetLength(), 301 + 1 + 400);
}

TEST(FormatTarget, PercentNWritesNothingAndANullPatternThrows)
{
    int written = -1;
    CStringA counted;
    counted.Format("abc%n|%d", &written, 4);
    EXPECT_STREQ(counted, "abc|4");
    EXPECT_EQ(written, -1);

    EXPECT_THROW(counted.Format(static_cast<const char*>(nullptr)), std::invalid_argument);
}

} // namespace
