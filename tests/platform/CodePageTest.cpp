// Tests of the conversion between the process code page and wide text.
#include <cbfoundation/platform/CodePage.h>

#include <gtest/gtest.h>

#include <numeric>
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
    std::string narrow(0x80, '\0');
    std::iota(narrow.begin(), narrow.end(), '\0');
    const std::wstring wide(narrow.begin(), narrow.end());
    EXPECT_EQ(toWide(narrow), wide);
    EXPECT_EQ(toNarrow(wide), narrow);
    EXPECT_EQ(NarrowToWide(nullptr, 0) + toWide(WideToNarrow(nullptr, 0)), L"");

    const std::wstring text = L"Gr\u00FC\u00DFe \u20AC, caf\u00E9";
    EXPECT_EQ(toWide(toNarrow(text)), text);
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

TEST(CodePageUtf8, EncodesWhatUtf8CannotCarryAsReplacementCharacter)
{
    if (!codePageIsUtf8())
        GTEST_SKIP() << "the process code page is not UTF-8";
    EXPECT_EQ(toNarrow(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(toNarrow(std::wstring{wchar_t(0xDC00), wchar_t(0xD800), L'x'}), "\xEF\xBF\xBD\xEF\xBF\xBDx");
    if constexpr (sizeof(wchar_t) == 4) {
        const std::wstring pairAsTwoCharacters = {wchar_t(0xD83D), wchar_t(0xDE00)};
        EXPECT_EQ(toNarrow(pairAsTwoCharacters), "\xF0\x9F\x98\x80");
        const std::wstring outOfRange = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
        EXPECT_EQ(toNarrow(outOfRange), "\xEF\xBF\xBD\xEF\xBF\xBD");
    }
}

} // namespace
