// Tests of the binary reader: every accepted form, short and malformed data, version stamps.
#include "StreamTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/platform/Utf16.h>

#include <algorithm>
#include <string>
#include <tuple>

using cbf::test::Bytes;
using cbf::test::ExpectFailure;
using cbf::test::ReadAction;

namespace {

// Forms the writer never produces but the reader accepts: longer length
// forms than needed, 65534 in the 16-bit field, bool bytes other than 0 and
// 1; and texts cut at a NUL, `long` sign-extended.
TEST(CbStreamReadBinaryTest, DecodesEveryFormItAccepts)
{
    // The bytes up to the text, how many units of 'xx' follow, the length read.
    const std::tuple<Bytes, int, int> wideCases[] = {
        {{0xFF, 0xFE, 0xFF, 0xFF, 3, 0}, 3, 3},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0}, 3, 3},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0}, 1, 1},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}, 65534, 65534},
    };
    for (const auto& [head, units, length] : wideCases) {
        Bytes bytes = head;
        bytes.resize(head.size() + 2 * units, 'x');
        CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
        CStringW value;
        in >> value;
        EXPECT_EQ(value.GetLength(), length);
        EXPECT_EQ(in.GetRemaining(), 0u);
    }

    const Bytes stored = {0x02, 0x80, 3, 0, 0, 0, 'a', 0, 'c', 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF};
    CbStreamReadBinaryMemory in(stored.data(), stored.size());
    bool two = false, high = false;
    CStringA narrow("old");
    long minusOne = 0;
    unsigned long large = 0;
    in >> two >> high >> narrow >> minusOne >> large;
    EXPECT_TRUE(two && high && narrow == "a" && minusOne == -1L && large == 0xFFFFFFFEUL);
    EXPECT_EQ(cbf::test::Encode([&](CbStreamWrite& s) { s << two; }), Bytes{1});
}

// Short texts are widened eight units at a time, the last block overlapping
// the one before. A NUL or a surrogate anywhere, the overlap included, must
// decode as the unit-by-unit decoder does (lone surrogates and pairs coming
// back byte for byte), into a string that held a longer text before.
TEST(CbStreamReadBinaryTest, ShortTextsDecodeLikeTheFullDecoderWhereverTheirSpecialUnitsLie)
{
    const std::u16string cases[] = {u"\xD800Z\xDC00\xDC00\xD800\U0001F600\xDBFF",
                                    u"\xDC00ghijklm",
                                    u"abcdefgh\xD800",
                                    u"abcdefg\U0001F600hijklmno",
                                    u"abcdefghijklmno\xDC00",
                                    std::u16string(u"abcdefghijklmnop\0", 17),
                                    std::u16string(u"abcdefgh\0jk", 11)};
    for (const std::u16string& units : cases) {
        Bytes stored = {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(units.size())};
        for (const char16_t unit : units)
            stored.insert(stored.end(), {static_cast<unsigned char>(unit), static_cast<unsigned char>(unit >> 8)});
        std::wstring expected(units.size(), L'\0');
        expected.resize(
            cbf::platform::FromUtf16Le(stored.data() + 4, std::min(units.find(u'\0'), units.size()), expected.data()));
        CbStreamReadBinaryMemory in(stored.data(), stored.size());
        CStringW text(std::wstring(40, L'x').c_str());
        in >> text;
        EXPECT_EQ(std::wstring(text.GetString(), static_cast<std::size_t>(text.GetLength())), expected) << units.size();
        if (units.find(u'\0') == std::u16string::npos) {
            EXPECT_EQ(cbf::test::Encode([&](CbStreamWrite& s) { s << text; }), stored);
        }
    }
}

template <class T>
ReadAction extract()
{
    return [](CbStreamRead& s) {
        T value{};
        s >> value;
    };
}

// Short primitives fail at their operator's line; texts without the wide
// tag, ending inside the tag or a length form, or with lengths far beyond
// the data fail leaving the destination as it was.
TEST(CbStreamReadBinaryTest, ShortPrimitivesThrowTheirOperatorsLine)
{
    CStringW wide;
    CStringA narrow;
    const ReadAction readWide = [&](CbStreamRead& s) { s >> wide; };
    const ReadAction readNarrow = [&](CbStreamRead& s) { s >> narrow; };
    const std::tuple<Bytes, ReadAction, unsigned> cases[] = {
        {Bytes(0), extract<bool>(), 39},
        {Bytes(0), extract<unsigned char>(), 60},
        {Bytes(0), extract<signed char>(), 79},
        {Bytes(1), extract<unsigned short>(), 98},
        {Bytes(1), extract<short>(), 117},
        {Bytes(3), extract<unsigned int>(), 136},
        {Bytes(3), extract<int>(), 155},
        {Bytes(7), extract<unsigned __int64>(), 174},
        {Bytes(7), extract<__int64>(), 193},
        {Bytes(3), extract<float>(), 212},
        {Bytes(7), extract<double>(), 231},
        {Bytes(0), extract<char>(), 250},
        {Bytes(3), extract<unsigned long>(), 269},
        {Bytes(3), extract<long>(), 288},
        {{3, 0, 0, 0, 'a', 'b', 'c'}, readWide, 397},
        {{}, readWide, 60},
        {{0xFF, 0xFE}, readWide, 98},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1}, readWide, 136},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1}, readWide, 174},
        {{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0, 'a', 0}, readWide, 307},
        {{3, 0}, readNarrow, 136},
        {{0xFF, 0xFF, 0xFF, 0xFF, 'a'}, readNarrow, 326},
        {{4, 0, 0}, [](CbStreamRead& s) { s.ReadAndCompareVersion(4); }, 136},
    };
    for (const auto& [bytes, read, line] : cases) {
        wide = L"kept";
        narrow = "kept";
        CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
        ExpectFailure([&] { read(in); }, "CbStreamReadBinary", line);
        EXPECT_TRUE(wide == L"kept" && narrow == "kept") << line;
    }
}

TEST(CbStreamReadBinaryTest, VersionStampsNewerThanExpectedAreRefused)
{
    const Bytes five = {5, 0, 0, 0};
    CbStreamReadBinaryMemory current(five.data(), five.size()), newer(five.data(), five.size());
    EXPECT_EQ(current.ReadAndCompareVersion(5), 5u);
    cbf::test::ExpectThrowsAt([&] { newer.ReadAndCompareVersion(4); }, "CbStreamRead", 46, nullptr,
                              &CbExceptionWrongFileVersion::RTTI);
    EXPECT_EQ(newer.GetPosition(), 4u);
    EXPECT_THROW(CbStreamReadBinaryMemory(nullptr, 1), CbExceptionPreconditionViolation);
}

} // namespace
