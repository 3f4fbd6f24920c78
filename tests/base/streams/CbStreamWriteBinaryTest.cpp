// Tests of the binary writer: wire bytes, string length forms and refused values.
#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>

#include <cstdint>
#include <tuple>

using cbf::test::Bytes;
using cbf::test::Encode;
using cbf::test::WriteAction;

namespace {

TEST(CbStreamWriteBinaryTest, EveryFormHasItsWireBytes)
{
    const std::pair<WriteAction, Bytes> cases[] = {
        {[](CbStreamWrite& s) { s << true << false << 'A' << static_cast<signed char>(-2); }, {1, 0, 0x41, 0xFE}},
        {[](CbStreamWrite& s) { s << static_cast<short>(-2) << static_cast<unsigned short>(0x1234); },
         {0xFE, 0xFF, 0x34, 0x12}},
        {[](CbStreamWrite& s) { s << 1 << 0xDEADBEEFu << -2L << 0x80000000UL; },
         {1, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80}},
        {[](CbStreamWrite& s) { s << static_cast<__int64>(-2) << 0x0102030405060708ULL; },
         {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1}},
        {[](CbStreamWrite& s) { s << 1.0f << -0.0; }, {0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0x80}},
        // String objects end at their first NUL.
        {[](CbStreamWrite& s) { s << "abc" << CStringA("ab\0c", 4); },
         {3, 0, 0, 0, 'a', 'b', 'c', 2, 0, 0, 0, 'a', 'b'}},
        {[](CbStreamWrite& s) { s << CStringW(L"a\0b", 3); }, {0xFF, 0xFE, 0xFF, 1, 'a', 0}},
        {[](CbStreamWrite& s) { s << L"abc" << L""; },
         {0xFF, 0xFE, 0xFF, 3, 'a', 0, 'b', 0, 'c', 0, 0xFF, 0xFE, 0xFF, 0}},
        {[](CbStreamWrite& s) { s << L"\U0001F600"; }, {0xFF, 0xFE, 0xFF, 2, 0x3D, 0xD8, 0x00, 0xDE}},
    };
    for (const auto& [write, bytes] : cases) {
        EXPECT_EQ(Encode(write), bytes);
        CbStreamWriteBinaryByteCount counter;
        write(counter);
        EXPECT_EQ(counter.GetByteCount(), bytes.size());
    }
}

// The shortest of the four length forms and its boundaries; the reader's tables read them back.
TEST(CbStreamWriteBinaryTest, WideLengthsTakeTheShortestFormAndReadBack)
{
    // Text of `repeat` copies of `piece`, its length in UTF-16 units, the bytes before the text.
    const std::tuple<const wchar_t*, int, std::size_t, Bytes> cases[] = {
        {L"a", 254, 254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {L"a", 255, 255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {L"a", 65533, 65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {L"a", 65534, 65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {L"\U0001F600", 40000, 80000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x38, 0x01, 0x00}},
    };
    for (const auto& [piece, repeat, units, header] : cases) {
        CStringW text;
        for (int i = 0; i < repeat; ++i)
            text += piece;
        const Bytes bytes = Encode([&](CbStreamWrite& s) { s << text; });
        ASSERT_EQ(bytes.size(), header.size() + 2 * units);
        EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));
        CbStreamWriteBinaryByteCount counter;
        counter << text;
        EXPECT_EQ(counter.GetByteCount(), bytes.size());
    }
}

TEST(CbStreamWriteBinaryTest, LongOutsideThirtyTwoBitsIsRefused)
{
    if (sizeof(long) == 4)
        GTEST_SKIP() << "long is 32 bits wide here: every value fits";
    const std::pair<WriteAction, unsigned> refused[] = {
        {[](CbStreamWrite& s) { s << static_cast<long>(std::int64_t{INT32_MAX} + 1); }, 288},
        {[](CbStreamWrite& s) { s << static_cast<long>(std::int64_t{INT32_MIN} - 1); }, 288},
        {[](CbStreamWrite& s) { s << static_cast<unsigned long>(std::int64_t{UINT32_MAX} + 1); }, 269},
    };
    for (const auto& [write, line] : refused) {
        CbStreamWriteBinaryMemory out;
        cbf::test::ExpectFailure([&] { write(out); }, "CbStreamWriteBinary", line);
        EXPECT_EQ(out.GetSize(), 0u);
    }
}

} // namespace
