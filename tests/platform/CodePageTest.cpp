// Tests of the conversion between the process code page and wide text.
#include <cbfoundation/platform/CodePage.h>

#include <gtest/gtest.h>

#include <string>

using cbf::platform::NarrowToWide;
using cbf::platform::WideToNarrow;

namespace {

std::wstring toWide(const std::string& narrow)
{
    return NarrowToWide(narrow.data(), narrow.size());
}

std::string toNarrow(const std::wstring& wide)
{
    return WideToNarrow(wide.data(), wide.size());
}

bool codePageIsUtf8()
{
    return toNarrow(L"\u20AC") == "\xE2\x82\xAC";
}

TEST(CodePage, AsciiSurvivesUnchangedAndTextOfTheCodePageRoundTrips)
{
    const std::wstring text = L"Gr\u00FC\u00DFe \u20AC, caf\u00E9 \x7F";
    EXPECT_EQ(toWide(toNarrow(text)), text);
    EXPECT_EQ(toNarrow(L"\x01 ~"), "\x01 ~");
    EXPECT_EQ(NarrowToWide(nullptr, 0) + toWide(WideToNarrow(nullptr, 0)), L"");
}

TEST(CodePageUtf8, DecodesValidTextAndReplacesEachInvalidByte)
{
    if (!codePageIsUtf8())
        GTEST_SKIP() << "the process code page is not UTF-8";
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC", L"Gr\u00FC\u00DF \u20AC"},
        {"\xF0\x9F\x98\x80|\xF4\x8F\xBF\xBF", L"\U0001F600|\U0010FFFF"},
        {"a\x80z", L"a\uFFFDz"},                           // stray continuation byte
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xF0\x9F\x98", L"\uFFFD\uFFFD\uFFFD"},           // cut at the end
    };
    for (const auto& [narrow, wide] : cases)
        EXPECT_EQ(toWide(narrow), wide) << narrow;
}

} // namespace
