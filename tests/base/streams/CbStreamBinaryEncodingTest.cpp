#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/CbFormat.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

using cbf::test::Bytes;
using cbf::test::Encode;
using cbf::test::WriteAction;

namespace {

// A writer that records the size of every call of the primitive.
class RecordingWriter : public CbStreamWriteBinary
{
public:
    std::vector<unsigned __int64> calls;

protected:
    CbStreamWrite& write(const void*, unsigned __int64 count) override
    {
        calls.push_back(count);
        return *this;
    }
};

TEST(CbStreamBinaryEncodingTest, EveryFormHasItsWireBytes)
{
    struct Case
    {
        const char* name;
        WriteAction write;
        Bytes bytes;
        std::vector<unsigned __int64> writeCalls;
    };
    const Case cases[] = {
        {"true", [](CbStreamWrite& s) { s << true; }, {0x01}, {1}},
        {"false", [](CbStreamWrite& s) { s << false; }, {0x00}, {1}},
        {"char", [](CbStreamWrite& s) { s << 'A'; }, {0x41}, {1}},
        {"signed char", [](CbStreamWrite& s) { s << static_cast<signed char>(-2); }, {0xFE}, {1}},
        {"unsigned char", [](CbStreamWrite& s) { s << static_cast<unsigned char>(0xAB); }, {0xAB}, {1}},
        {"short", [](CbStreamWrite& s) { s << static_cast<short>(-2); }, {0xFE, 0xFF}, {2}},
        {"unsigned short", [](CbStreamWrite& s) { s << static_cast<unsigned short>(0x1234); }, {0x34, 0x12}, {2}},
        {"int", [](CbStreamWrite& s) { s << 1; }, {0x01, 0x00, 0x00, 0x00}, {4}},
        {"unsigned int", [](CbStreamWrite& s) { s << 0xDEADBEEFu; }, {0xEF, 0xBE, 0xAD, 0xDE}, {4}},
        {"long", [](CbStreamWrite& s) { s << -2L; }, {0xFE, 0xFF, 0xFF, 0xFF}, {4}},
        {"unsigned long", [](CbStreamWrite& s) { s << 0x80000000UL; }, {0x00, 0x00, 0x00, 0x80}, {4}},
        {"__int64", [](CbStreamWrite& s) { s << static_cast<__int64>(-2); },
         {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {8}},
        {"unsigned __int64", [](CbStreamWrite& s) { s << static_cast<unsigned __int64>(0x0102030405060708); },
         {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}, {8}},
        {"float", [](CbStreamWrite& s) { s << 1.0f; }, {0x00, 0x00, 0x80, 0x3F}, {4}},
        {"double", [](CbStreamWrite& s) { s << -0.0; }, {0, 0, 0, 0, 0, 0, 0, 0x80}, {8}},
        {"version", [](CbStreamWrite& s) { s.WriteVersion(4); }, {0x04, 0x00, 0x00, 0x00}, {4}},
        {"narrow", [](CbStreamWrite& s) { s << "abc"; }, {0x03, 0, 0, 0, 'a', 'b', 'c'}, {4, 3}},
        {"narrow empty", [](CbStreamWrite& s) { s << ""; }, {0, 0, 0, 0}, {4, 0}},
        {"narrow object up to NUL", [](CbStreamWrite& s) { s << CStringA("ab\0c", 4); },
         {0x02, 0, 0, 0, 'a', 'b'}, {4, 2}},
        {"wide", [](CbStreamWrite& s) { s << L"abc"; },
         {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c', 0}, {1, 2, 1, 6}},
        {"wide empty", [](CbStreamWrite& s) { s << L""; }, {0xFF, 0xFE, 0xFF, 0x00}, {1, 2, 1, 0}},
        {"wide object up to NUL", [](CbStreamWrite& s) { s << CStringW(L"a\0b", 3); },
         {0xFF, 0xFE, 0xFF, 0x01, 'a', 0}, {1, 2, 1, 2}},
        {"wide beyond U+FFFF is a surrogate pair", [](CbStreamWrite& s) { s << L"\U0001F600"; },
         {0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE}, {1, 2, 1, 4}},
        {"CbFormatA", [](CbStreamWrite& s) { s << CbFormatA("%d-%s", 7, CStringA("x")); },
         {0x03, 0, 0, 0, '7', '-', 'x'}, {4, 3}},
        {"CbFormatW", [](CbStreamWrite& s) { s << CbFormatW(L"%d", 42); },
         {0xFF, 0xFE, 0xFF, 0x02, '4', 0, '2', 0}, {1, 2, 1, 4}},
        {"CbFormat", [](CbStreamWrite& s) { s << CbFormat(L"%s%S", CStringW(L"\u00e9"), "!"); },
         {0xFF, 0xFE, 0xFF, 0x02, 0xE9, 0, '!', 0}, {1, 2, 1, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Encode(c.write), c.bytes);
        RecordingWriter recorder;
        c.write(recorder);
        EXPECT_EQ(recorder.calls, c.writeCalls);
    }
}

template <class T>
void expectBitExactRoundTrip(T value, std::size_t wireWidth = sizeof(T))
{
    CbStreamWriteBinaryMemory out;
    out << value;
    EXPECT_EQ(out.GetSize(), wireWidth);
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    T back{};
    in >> back;
    EXPECT_EQ(std::memcmp(&back, &value, sizeof(T)), 0) << "type of width " << sizeof(T);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

template <class T>
void expectLimitsRoundTrip()
{
    using Limits = std::numeric_limits<T>;
    for (T value : {Limits::min(), Limits::max(), Limits::lowest(), T(0), T(1)})
        expectBitExactRoundTrip(value);
}

TEST(CbStreamBinaryEncodingTest, EveryPrimitiveRoundTripsBitExactly)
{
    expectLimitsRoundTrip<char>();
    expectLimitsRoundTrip<signed char>();
    expectLimitsRoundTrip<unsigned char>();
    expectLimitsRoundTrip<short>();
    expectLimitsRoundTrip<unsigned short>();
    expectLimitsRoundTrip<int>();
    expectLimitsRoundTrip<unsigned int>();
    expectLimitsRoundTrip<__int64>();
    expectLimitsRoundTrip<unsigned __int64>();
    expectLimitsRoundTrip<float>();
    expectLimitsRoundTrip<double>();
    expectBitExactRoundTrip(true);
    expectBitExactRoundTrip(false);
    expectBitExactRoundTrip(static_cast<long>(INT32_MIN), 4);
    expectBitExactRoundTrip(static_cast<long>(INT32_MAX), 4);
    expectBitExactRoundTrip(static_cast<unsigned long>(UINT32_MAX), 4);

    const std::uint64_t doublePatterns[] = {0x8000000000000000, 0x7FF8000000000001, 0x7FF0000000000001,
                                            0xFFF4000000000abc, 0x7FF0000000000000, 0x0000000000000001};
    for (std::uint64_t bits : doublePatterns)
        expectBitExactRoundTrip(std::bit_cast<double>(bits));
    const std::uint32_t floatPatterns[] = {0x80000000, 0x7FC00001, 0x7F800001, 0xFFA00abc, 0xFF800000, 0x00000001};
    for (std::uint32_t bits : floatPatterns)
        expectBitExactRoundTrip(std::bit_cast<float>(bits));
}

TEST(CbStreamBinaryEncodingTest, BoolReadsAnyNonZeroByteAsTrueAndWritesOne)
{
    const Bytes stored = {0x00, 0x01, 0x02, 0x80, 0xFF};
    CbStreamReadBinaryMemory in(stored.data(), stored.size());
    CbStreamWriteBinaryMemory out;
    for (bool expected : {false, true, true, true, true})
    {
        bool value = !expected;
        in >> value;
        EXPECT_EQ(value, expected);
        out << value;
    }
    EXPECT_EQ(cbf::test::BytesOf(out), (Bytes{0x00, 0x01, 0x01, 0x01, 0x01}));
}

// The four wide length forms: where each begins, and that each reads back.
TEST(CbStreamBinaryEncodingTest, WideLengthsTakeTheShortestFormAndReadBack)
{
    struct Case
    {
        std::size_t units;
        Bytes header;
    };
    const Case cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {65535, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {200000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x0D, 0x03, 0x00}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.units);
        CStringW text;
        for (std::size_t i = 0; i < c.units; ++i)
            text.AppendChar(static_cast<wchar_t>(L'a' + i % 26));
        const Bytes bytes = Encode([&](CbStreamWrite& s) { s << text; });
        ASSERT_EQ(bytes.size(), c.header.size() + 2 * c.units);
        EXPECT_TRUE(std::equal(c.header.begin(), c.header.end(), bytes.begin()));

        CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
        CStringW back;
        in >> back;
        EXPECT_TRUE(back == text);
    }
}

// The reader also takes forms the writer never produces: a longer form than
// needed, 65534 in the 16-bit field, and the 64-bit form.
TEST(CbStreamBinaryEncodingTest, WideLengthDecoderAcceptsEveryForm)
{
    const Bytes text = {'a', 0, 'b', 0, 'c', 0};
    const Bytes headers[] = {
        {0xFF, 0xFE, 0xFF, 0x03},
        {0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x00},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Bytes& header : headers)
    {
        Bytes bytes = header;
        bytes.insert(bytes.end(), text.begin(), text.end());
        CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
        CStringW value;
        in >> value;
        EXPECT_STREQ(value, L"abc");
        EXPECT_EQ(in.GetRemaining(), 0u);
    }

    Bytes long16 = {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
    long16.resize(long16.size() + 2 * 65534, 'x');
    CbStreamReadBinaryMemory in(long16.data(), long16.size());
    CStringW value;
    in >> value;
    EXPECT_EQ(value.GetLength(), 65534);
}

TEST(CbStreamBinaryEncodingTest, StringsAreCutAtTheirFirstNulWhenRead)
{
    const Bytes narrow = {0x03, 0, 0, 0, 'a', 0, 'c'};
    const Bytes wide = {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0, 0, 'c', 0};
    CbStreamReadBinaryMemory narrowIn(narrow.data(), narrow.size());
    CbStreamReadBinaryMemory wideIn(wide.data(), wide.size());
    CStringA narrowValue("old");
    CStringW wideValue(L"old");
    narrowIn >> narrowValue;
    wideIn >> wideValue;
    EXPECT_TRUE(narrowValue == "a");
    EXPECT_TRUE(wideValue == L"a");
    EXPECT_EQ(narrowIn.GetRemaining() + wideIn.GetRemaining(), 0u);
}

// Code units that are not valid UTF-16 come back byte for byte: unpaired
// high and low surrogates, a low before a high, and a proper pair.
TEST(CbStreamBinaryEncodingTest, SurrogatesSurviveReadAndWriteUnchanged)
{
    const Bytes stored = {0xFF, 0xFE, 0xFF, 0x08, 0x00, 0xD8, 'A',  0x00, 0x00, 0xDC, 0x00, 0xDC,
                          0x00, 0xD8, 0x3D, 0xD8, 0x00, 0xDE, 0xFF, 0xDB};
    CbStreamReadBinaryMemory in(stored.data(), stored.size());
    CStringW text;
    in >> text;
    const int pairUnits = sizeof(wchar_t) == 2 ? 2 : 1;
    EXPECT_EQ(text.GetLength(), 6 + pairUnits);
    EXPECT_EQ(Encode([&](CbStreamWrite& s) { s << text; }), stored);
}

TEST(CbStreamBinaryEncodingTest, LongIsFourBytesSignOrZeroExtended)
{
    const Bytes minusOne = {0xFF, 0xFF, 0xFF, 0xFF};
    CbStreamReadBinaryMemory in(minusOne.data(), minusOne.size());
    long signedValue = 0;
    in >> signedValue;
    EXPECT_EQ(signedValue, -1L);
    CbStreamReadBinaryMemory again(minusOne.data(), minusOne.size());
    unsigned long unsignedValue = 0;
    again >> unsignedValue;
    EXPECT_EQ(unsignedValue, 0xFFFFFFFFUL);
}

TEST(CbStreamBinaryEncodingTest, LongOutsideThirtyTwoBitsIsRefused)
{
    if constexpr (sizeof(long) == 4)
    {
        GTEST_SKIP() << "long is 32 bits wide here: every value fits";
    }
    else
    {
        const struct
        {
            WriteAction write;
            unsigned line;
        } refused[] = {
            {[](CbStreamWrite& s) { s << static_cast<long>(std::int64_t{INT32_MAX} + 1); }, 288},
            {[](CbStreamWrite& s) { s << static_cast<long>(std::int64_t{INT32_MIN} - 1); }, 288},
            {[](CbStreamWrite& s) { s << static_cast<unsigned long>(std::int64_t{UINT32_MAX} + 1); }, 269},
        };
        for (const auto& c : refused)
        {
            CbStreamWriteBinaryMemory out;
            try
            {
                c.write(out);
                ADD_FAILURE() << "no exception for line " << c.line;
            }
            catch (const CbExceptionStream& e)
            {
                EXPECT_STREQ(e.GetFilename(), "CbStreamWriteBinary");
                EXPECT_EQ(e.GetCodeLine(), c.line);
            }
            EXPECT_EQ(out.GetSize(), 0u);
        }
    }
}

TEST(CbStreamBinaryEncodingTest, EveryOperandTypeChainsBothWays)
{
    CbStreamWriteBinaryMemory out;
    out << 1 << 2u << 3L << 4UL << static_cast<short>(5) << static_cast<unsigned short>(6)
        << static_cast<__int64>(7) << static_cast<unsigned __int64>(8) << 'c' << static_cast<signed char>(-9)
        << static_cast<unsigned char>(10) << true << 1.5f << 2.5 << "n" << L"w" << CStringA("na")
        << CStringW(L"wa") << CbFormat(L"%d", 11) << CbFormatA("%d", 12) << CbFormatW(L"%d", 13);

    int i = 0;
    unsigned u = 0;
    long l = 0;
    unsigned long ul = 0;
    short s = 0;
    unsigned short us = 0;
    __int64 i64 = 0;
    unsigned __int64 u64 = 0;
    char c = 0;
    signed char sc = 0;
    unsigned char uc = 0;
    bool b = false;
    float f = 0;
    double d = 0;
    CStringA n, na, format12;
    CStringW w, wa, format11, format13;
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    in >> i >> u >> l >> ul >> s >> us >> i64 >> u64 >> c >> sc >> uc >> b >> f >> d >> n >> w >> na >> wa >>
        format11 >> format12 >> format13;

    EXPECT_EQ(i + u + l + ul + s + us + i64 + u64, 36u);
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(sc + uc, 1);
    EXPECT_TRUE(b);
    EXPECT_EQ(f + d, 4.0);
    EXPECT_TRUE(n == "n" && na == "na" && format12 == "12");
    EXPECT_TRUE(w == L"w" && wa == L"wa" && format11 == L"11" && format13 == L"13");
    EXPECT_EQ(in.GetRemaining(), 0u);
}

} // namespace
