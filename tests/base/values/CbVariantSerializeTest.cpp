#include "CbVariantTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbArraySerializer.h>
#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

using namespace variant_test;

namespace {

using Bytes_t = std::vector<unsigned char>;

Bytes_t write(const std::vector<CbVariant>& variants)
{
    CbStreamWriteBinaryMemory out;
    for (const CbVariant& v : variants)
        v.Serialize(out);
    return Bytes_t(out.GetData(), out.GetData() + out.GetSize());
}

CbVariant readOne(const Bytes_t& bytes)
{
    CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
    CbVariant v;
    v.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    return v;
}

Bytes_t concat(std::initializer_list<Bytes_t> parts)
{
    Bytes_t all;
    for (const Bytes_t& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Identical type and identical bits: NaN payloads and -0 included.
void expectSameBits(const CbVariant& a, const CbVariant& b)
{
    ASSERT_EQ(a.GetType(), b.GetType());
    switch (a.GetType()) {
    case CbVariant::eVariantTypeFloat:
        EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(a)), std::bit_cast<std::uint32_t>(static_cast<float>(b)));
        break;
    case CbVariant::eVariantTypeDouble:
        EXPECT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(a)),
                  std::bit_cast<std::uint64_t>(static_cast<double>(b)));
        break;
    default:
        EXPECT_TRUE(a == b);
    }
}

std::vector<CbVariant> everyWritableType()
{
    return {CbVariant(),
            Make(true),
            Make(false),
            Make('x'),
            Make<signed char>(-128),
            Make<unsigned char>(255),
            Make<short>(-32768),
            Make<unsigned short>(65535),
            Make(std::numeric_limits<int>::min()),
            Make(std::numeric_limits<unsigned int>::max()),
            Make(std::numeric_limits<__int64>::min()),
            Make(std::numeric_limits<unsigned __int64>::max()),
            Make(-0.0f),
            Make(std::bit_cast<float>(0x7FA01234u)),  // signalling NaN with a payload
            Make(std::bit_cast<float>(0xFFC00001u)),  // negative quiet NaN
            Make(std::numeric_limits<float>::denorm_min()),
            Make(-0.0),
            Make(std::bit_cast<double>(0x7FF0000000000123ull)),
            Make(std::numeric_limits<double>::infinity()),
            Make(L""),
            Make(L"wide \u00e9\u4e2d \U0001F600"),
            Make(""),
            Make("narrow"),
            Make(Bytes({})),
            Make(Bytes({0, 1, 0xFF})),
            Make(CbDateTime(L"2024-02-29 13:05:09"))};
}

TEST(CbVariantSerializeTest, ExampleRecordsByteForByte)
{
    EXPECT_EQ(write({CbVariant()}), Bytes_t(8, 0));
    EXPECT_EQ(write({Make(5)}), (Bytes_t{0, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(write({Make("ab")}), (Bytes_t{0, 0, 0, 0, 0x12, 0, 0, 0, 2, 0, 0, 0, 0x61, 0x62}));
    EXPECT_EQ(write({Make(L"ab")}), (Bytes_t{0, 0, 0, 0, 8, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0x61, 0, 0x62, 0}));
    EXPECT_EQ(write({Make(Bytes({1, 2, 3}))}), (Bytes_t{0, 0, 0, 0, 9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0,
                                                         3, 0, 0, 0, 1, 0, 0, 0, 1, 2, 3}));
    EXPECT_EQ(write({Make(Bytes({}))}).size(), 8u + 16u) << "an empty array is the header alone";
    EXPECT_EQ(write({Make(CbDateTime(L"2024-01-31 23:59:07"))}).size(), 8u + 42u);
}

TEST(CbVariantSerializeTest, EveryTypeRoundTripsBitExactly)
{
    const std::vector<CbVariant> originals = everyWritableType();
    const Bytes_t bytes = write(originals);
    CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
    CbVariant v;
    v = L"overwritten by the first record";
    for (const CbVariant& original : originals) {
        v.Serialize(in);
        expectSameBits(v, original);
    }
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(CbVariantSerializeTest, DatesTravelAsLocalTimeTextToTheSecond)
{
    CbDateTime withMilliseconds(L"2024-02-29 13:05:09");
    withMilliseconds.SetMillisecond(789);
    const CbVariant back = readOne(write({Make(withMilliseconds)}));
    EXPECT_TRUE(back == Make(CbDateTime(L"2024-02-29 13:05:09")));

    // A text in another shape reads as null, and the next record follows.
    CbStreamWriteBinaryMemory out;
    out << 0u << 10u << L"29.02.2024";
    Make(7).Serialize(out);
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    CbVariant v;
    v.Serialize(in);
    EXPECT_TRUE(v.IsNull());
    v.Serialize(in);
    EXPECT_EQ(static_cast<int>(std::as_const(v)), 7);
}

TEST(CbVariantSerializeTest, ArrayRecordsWithAndWithoutMarker)
{
    const Bytes_t markerless = {0, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xAB, 0xCD};
    EXPECT_TRUE(readOne(markerless) == Make(Bytes({0xAB, 0xCD})));

    const CbVariant empty = readOne(write({Make(Bytes({}))}));
    EXPECT_EQ(empty.GetType(), CbVariant::eVariantTypeByteArray);
    EXPECT_EQ(static_cast<const CbVariant::ByteArray&>(empty).GetCount(), 0u);

    // Larger than one trusted piece: read in growing pieces, same result.
    CbVariant::ByteArray large;
    large.SetSize(3u << 20);
    for (unsigned i = 0; i < large.GetCount(); ++i)
        large[i] = static_cast<unsigned char>(i * 7);
    const CbVariant back = readOne(write({Make(large)}));
    EXPECT_TRUE(back == Make(large));
    EXPECT_EQ(static_cast<const CbVariant::ByteArray&>(back).GetCapacity(), large.GetCount());
}

TEST(CbVariantSerializeTest, MalformedRecordsThrowTheirExceptions)
{
    struct Case
    {
        const char* name;
        Bytes_t bytes;
        const CbRTTI& exception;
        const char* file;
        unsigned line;
    };
    const Bytes_t stamp0 = {0, 0, 0, 0};
    const Bytes_t marker = {0xFF, 0xFF, 0xFF, 0xFF};
    const Case cases[] = {
        {"gap tag", concat({stamp0, {11, 0, 0, 0}}), CbException::RTTI, "CbVariant.cpp", 701},
        {"object tag", concat({stamp0, {17, 0, 0, 0}}), CbException::RTTI, "CbVariant.cpp", 701},
        {"tag above 18", concat({stamp0, {19, 0, 0, 0}}), CbException::RTTI, "CbVariant.cpp", 701},
        {"huge tag", concat({stamp0, marker}), CbException::RTTI, "CbVariant.cpp", 701},
        {"newer record", {1, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}, CbExceptionWrongFileVersion::RTTI, "CbStreamRead", 46},
        {"newer array format", concat({stamp0, {9, 0, 0, 0}, marker, {2, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}}),
         CbExceptionWrongFileVersion::RTTI, "CbStreamRead", 46},
        {"count is the marker again", concat({stamp0, {9, 0, 0, 0}, marker, {1, 0, 0, 0}, marker}),
         CbExceptionWrongFileVersion::RTTI, "CbArraySerializer", 391},
        {"element size 2", concat({stamp0, {9, 0, 0, 0}, marker, {1, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {1, 2}}),
         CbExceptionWrongFileVersion::RTTI, "CbArraySerializer", 400},
        {"count far beyond the data", concat({stamp0, {9, 0, 0, 0}, {0xF0, 0xFF, 0xFF, 0xFF}, {1, 0, 0, 0}, {1, 2}}),
         CbExceptionStream::RTTI, "CbArraySerializer", 405},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CbStreamReadBinaryMemory in(c.bytes.data(), c.bytes.size());
        CbVariant v;
        v = L"replaced";
        try {
            v.Serialize(in);
            ADD_FAILURE() << "no exception";
        } catch (const CbException& e) {
            EXPECT_TRUE(e.Is(c.exception));
            EXPECT_STREQ(e.GetFilename(), c.file);
            EXPECT_EQ(e.GetCodeLine(), c.line);
        }
        EXPECT_NE(v.GetType(), CbVariant::eVariantTypeStringW) << "the old value is gone";
    }
}

TEST(CbVariantSerializeTest, ObjectsCannotBeWrittenButTheirTagIs)
{
    CbStreamWriteBinaryMemory out;
    ExpectThrowsAt([&] { Make(Shape()).Serialize(out); }, "CbVariant.cpp", 743, "CbVariant::Serialize");
    EXPECT_EQ(Bytes_t(out.GetData(), out.GetData() + out.GetSize()), (Bytes_t{0, 0, 0, 0, 17, 0, 0, 0}));
}

// Every proper prefix of every record: the stream's exception, and a variant
// that is null or of the record's type and can be used and destroyed.
TEST(CbVariantSerializeTest, StreamsEndingInsideARecordLeaveAValidVariant)
{
    for (const CbVariant& original : everyWritableType()) {
        const Bytes_t record = write({original});
        for (std::size_t length = 0; length < record.size(); ++length) {
            SCOPED_TRACE(testing::Message() << "type " << original.GetType() << ", " << length << " bytes");
            CbStreamReadBinaryMemory in(record.data(), length);
            CbVariant v;
            v = Bytes({1});
            EXPECT_THROW(v.Serialize(in), CbExceptionStream);
            EXPECT_TRUE(v.IsNull() || v.GetType() == original.GetType());
            CbVariant copy(v);
            EXPECT_EQ(copy.GetType(), v.GetType());
        }
    }
}

TEST(CbVariantSerializeTest, HeldStringsAndArraysTakeARecordOfTheirTypeInPlace)
{
    CbVariant v;
    v = L"old text";
    const CStringW& text = v;
    const Bytes_t textRecord = write({Make(L"new")});
    CbStreamReadBinaryMemory in(textRecord.data(), textRecord.size());
    v.Serialize(in);
    EXPECT_STREQ(text.GetString(), L"new");

    v = L"old text";
    CbStreamReadBinaryMemory cut(textRecord.data(), textRecord.size() - 1);
    EXPECT_THROW(v.Serialize(cut), CbExceptionStream);
    EXPECT_STREQ(text.GetString(), L"") << "a failed read never leaves the old value";

    v = Bytes({9, 9, 9, 9});
    const CbVariant::ByteArray& bytes = v;
    const Bytes_t arrayRecord = write({Make(Bytes({1, 2}))});
    CbStreamReadBinaryMemory arrayIn(arrayRecord.data(), arrayRecord.size());
    v.Serialize(arrayIn);
    EXPECT_TRUE(Make(bytes) == Make(Bytes({1, 2})));
}

TEST(CbVariantSerializeTest, ArraySerializerReplacesTheElements)
{
    CbVariant::ByteArray array = Bytes({9, 9, 9, 9});
    const Bytes_t record = {3, 0, 0, 0, 1, 0, 0, 0, 4, 5, 6};
    CbStreamReadBinaryMemory in(record.data(), record.size());
    CbArraySerializer<CbVariant::ByteArray>(array).Serialize(in);
    EXPECT_TRUE(Make(array) == Make(Bytes({4, 5, 6})));
}

} // namespace
