// Tests of the conversion between wide text and UTF-16 code units.
#include <cbfoundation/platform/Utf16.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using cbf::platform::FromUtf16;
using cbf::platform::FromUtf16Le;
using cbf::platform::ToUtf16;
using cbf::platform::ToUtf16Le;
using cbf::platform::ToUtf16LeSimple;
using cbf::platform::Utf16Length;

namespace {

std::u16string encode(const std::wstring& text)
{
    std::u16string units(Utf16Length(text.data(), text.size()), u'\0');
    ToUtf16(text.data(), text.size(), units.data());
    return units;
}

std::wstring decode(const std::u16string& units)
{
    std::wstring text(units.size(), L'\0');
    text.resize(FromUtf16(units.data(), units.size(), text.data()));
    return text;
}

TEST(Utf16, EncodesPairsAndLoneSurrogatesAndReplacesValuesBeyondUnicode)
{
    const std::pair<std::wstring, std::u16string> cases[] = {
        {L"", u""},
        {L"\uFFFF\U00010000\U0010FFFFz", {0xFFFF, 0xD800, 0xDC00, 0xDBFF, 0xDFFF, u'z'}},
        {L"\xDC00\xD800x\xDBFF", {0xDC00, 0xD800, u'x', 0xDBFF}},
    };
    for (const auto& [text, units] : cases) {
        EXPECT_EQ(Utf16Length(text.data(), text.size()), units.size());
        EXPECT_EQ(encode(text), units);
        EXPECT_EQ(decode(units), text);
    }

    if constexpr (sizeof(wchar_t) == 4) // only a 32-bit wchar_t holds values beyond Unicode
    {
        const std::wstring beyond = {L'a', static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
        EXPECT_EQ(encode(beyond), (std::u16string{u'a', 0xFFFD, 0xFFFD}));
    }
}

// Also through the byte forms at an odd address, in texts long enough to
// cross the blocks that are converted at once.
TEST(Utf16, AnyUnitSequenceSurvivesDecodeAndEncode)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<unsigned> length(0, 80);
    // Any unit, high surrogates, low surrogates and plain text, mixed.
    const std::pair<unsigned, unsigned> kinds[] = {{0, 0xFFFF}, {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}, {'a', 'a'}};
    std::uniform_int_distribution<std::size_t> kind(0, 3);
    for (int round = 0; round < 2000; ++round) {
        std::u16string units;
        for (unsigned n = length(random); n > 0; --n) {
            const auto [low, high] = kinds[kind(random)];
            units.push_back(static_cast<char16_t>(std::uniform_int_distribution<unsigned>(low, high)(random)));
        }
        const std::wstring text = decode(units);
        ASSERT_EQ(encode(text), units);

        const std::size_t bytes = 2 * units.size();
        std::vector<unsigned char> odd(1 + bytes);
        std::memcpy(odd.data() + 1, units.data(), bytes);
        std::wstring fromBytes(units.size(), L'\0');
        fromBytes.resize(FromUtf16Le(odd.data() + 1, units.size(), fromBytes.data()));
        ASSERT_EQ(fromBytes, text);
        std::vector<unsigned char> written(1 + bytes);
        ToUtf16Le(text.data(), text.size(), written.data() + 1);
        ASSERT_EQ(written, odd);
        const bool simple = std::all_of(text.begin(), text.end(),
                                        [](wchar_t c) { return c != 0 && (static_cast<std::uint32_t>(c) >> 16) == 0; });
        std::fill(written.begin(), written.end(), 0);
        ASSERT_EQ(ToUtf16LeSimple(text.data(), text.size(), written.data() + 1), simple);
        ASSERT_TRUE(!simple || written == odd);
    }
    // A NUL or a character above U+FFFF in a vector block or the tail makes
    // the common case fail.
    for (const std::size_t at : {0, 7, 8, 15, 16, 20}) {
        for (const wchar_t special : {L'\0', static_cast<wchar_t>(0x10000)}) {
            std::wstring text(21, L'\xFFFF');
            text[at] = special;
            std::vector<unsigned char> written(2 * text.size());
            EXPECT_FALSE(ToUtf16LeSimple(text.data(), text.size(), written.data())) << at;
        }
    }
}

} // namespace
