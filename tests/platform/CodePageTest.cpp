#include <cbfoundation/platform/CodePage.h>

#include <gtest/gtest.h>

#include <clocale>
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
class CtypeLocale
{
public:
    explicit CtypeLocale(const char* name)
        : m_previous(std::setlocale(LC_CTYPE, nullptr))
        , m_active(std::setlocale(LC_CTYPE, name) != nullptr)
    {
    }

    ~CtypeLocale()
    {
        std::setlocale(LC_CTYPE, m_previous.c_str());
    }

    bool IsActive() const
    {
        return m_active;
    }

private:
    std::string m_previous;
    bool m_active;
};

TEST(CodePage, AsciiSurvivesBothWaysUnchanged)
{
    std::string narrow;
    std::wstring wide;
    for (int c = 0; c < 0x80; ++c)
    {
        narrow.push_back(static_cast<char>(c));
        wide.push_back(static_cast<wchar_t>(c));
    }
    EXPECT_EQ(toWide(narrow), wide);
    EXPECT_EQ(toNarrow(wide), narrow);
    EXPECT_EQ(toWide(""), L"");
    EXPECT_EQ(NarrowToWide(nullptr, 0), L"");
    EXPECT_EQ(WideToNarrow(nullptr, 0), "");
}

TEST(CodePage, TextOfTheCodePageRoundTrips)
{
    const std::wstring text = L"Gr\u00FC\u00DFe \u20AC, caf\u00E9";
    EXPECT_EQ(toWide(toNarrow(text)), text);
}

TEST(CodePageUtf8, DecodesValidTextAndReplacesEachInvalidByte)
{
    if (!codePageIsUtf8())
        GTEST_SKIP() << "the process code page is not UTF-8";
    const struct
    {
        const char* narrow;
        const wchar_t* wide;
    } cases[] = {
        {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC", L"Gr\u00FC\u00DFe \u20AC"},
        {"\xF0\x9F\x98\x80|\xF4\x8F\xBF\xBF", L"\U0001F600|\U0010FFFF"},
        {"a\x80z", L"a\uFFFDz"},                              // stray continuation byte
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                        // overlong '/'
        {"\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},              // overlong, three bytes
        {"\xE2\x82" "A", L"\uFFFD\uFFFD" L"A"},               // truncated sequence
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},              // encoded surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},    // above U+10FFFF
        {"\xFE\xFF\xF5", L"\uFFFD\uFFFD\uFFFD"},              // never valid
        {"\xF0\x9F\x98", L"\uFFFD\uFFFD\uFFFD"},              // cut at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(toWide(c.narrow), c.wide) << c.narrow;
}

TEST(CodePageUtf8, EncodesWhatUtf8CannotCarryAsReplacementCharacter)
{
    if (!codePageIsUtf8())
        GTEST_SKIP() << "the process code page is not UTF-8";
    EXPECT_EQ(toNarrow(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(toNarrow(std::wstring(1, wchar_t(0xD800)) + L"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(toNarrow(std::wstring(1, wchar_t(0xDC00))), "\xEF\xBF\xBD");
    if constexpr (sizeof(wchar_t) == 4)
    {
        const std::wstring pairAsTwoCharacters = {wchar_t(0xD83D), wchar_t(0xDE00)};
        EXPECT_EQ(toNarrow(pairAsTwoCharacters), "\xF0\x9F\x98\x80");
        const std::wstring outOfRange = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
        EXPECT_EQ(toNarrow(outOfRange), "\xEF\xBF\xBD\xEF\xBF\xBD");
    }
}

TEST(CodePageUtf8, UsedInTheUtf8Locale)
{
    const CtypeLocale locale("C.UTF-8");
    if (!locale.IsActive() || !codePageIsUtf8())
        GTEST_SKIP() << "no C.UTF-8 locale, or the code page does not follow it";
    EXPECT_EQ(toWide("\xE2\x82\xAC\x80"), L"\u20AC\uFFFD");
}

// Runs where the code page is Latin-1 or Windows-1252: the Windows ANSI code
// page of a western system, or an ISO-8859-1 locale, which goes through the
// C library's conversion.
TEST(CodePageSingleByte, LatinTextMapsToSingleBytes)
{
    const char* const names[] = {"", "de_DE.ISO-8859-1", "en_US.ISO-8859-1", "de_DE.iso88591", "en_US.iso88591"};
    for (const char* name : names)
    {
        const CtypeLocale locale(name);
        if (!locale.IsActive() || toNarrow(L"\u00FC") != "\xFC")
            continue;
        EXPECT_EQ(toWide("Gr\xFC\xDF" "e"), L"Gr\u00FC\u00DFe");
        EXPECT_EQ(toNarrow(L"Gr\u00FC\u00DFe \u65E5"), "Gr\xFC\xDF" "e ?");
        return;
    }
    GTEST_SKIP() << "neither a Latin-1 locale nor a western ANSI code page";
}

} // namespace
