// Tests of the conversion between the process code page and wide text.
#include <cbfoundation/platform/CodePage.h>

#include <gtest/gtest.h>

#include <clocale>
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

// Switches LC_CTYPE for one test and restores it afterwards.
struct CtypeLocale
{
    explicit CtypeLocale(const char* name)
        : active(std::setlocale(LC_CTYPE, name) != nullptr)
    {}

    ~CtypeLocale() { std::setlocale(LC_CTYPE, previous.c_str()); }

    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    const bool active;
};

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

TEST(CodePageUtf8, UsedInTheUtf8Locale)
{
    const CtypeLocale locale("C.UTF-8");
    if (!locale.active || !codePageIsUtf8())
        GTEST_SKIP() << "no C.UTF-8 locale, or the code page does not follow it";
    EXPECT_EQ(toWide("\xE2\x82\xAC\x80"), L"\u20AC\uFFFD");
}

// Runs where the code page is Latin-1 or Windows-1252: the Windows ANSI code
// page of a western system, or an ISO-8859-1 locale, which goes through the
// C library's conversion.
TEST(CodePageSingleByte, LatinTextMapsToSingleBytes)
{
    const char* const names[] = {"", "de_DE.ISO-8859-1", "en_US.ISO-8859-1", "de_DE.iso88591", "en_US.iso88591"};
    for (const char* name : names) {
        const CtypeLocale locale(name);
        if (!locale.active || toNarrow(L"\u00FC") != "\xFC")
            continue;
        EXPECT_EQ(toWide("Gr\xFC\xDF!"), L"Gr\u00FC\u00DF!");
        EXPECT_EQ(toNarrow(L"Gr\u00FC\u00DF \u65E5"), "Gr\xFC\xDF ?");
        return;
    }
    GTEST_SKIP() << "neither a Latin-1 locale nor a western ANSI code page";
}

} // namespace
