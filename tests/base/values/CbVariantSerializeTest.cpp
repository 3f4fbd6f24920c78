// Tests of the variant record: its bytes, round trips and malformed records.
#include "CbVariantTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionStream.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/base/streams/CbStreamReadBinaryMemory.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryMemory.h>
#include <cbfoundation/base/values/CbDateTime.h>

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <tuple>
#include <vector>

using namespace variant_test;

namespace {

using Record = std::vector<unsigned char>;

Record written(const CbStreamWriteBinaryMemory& out)
{
    return Record(out.GetData(), out.GetData() + out.GetSize());
}

Record write(const std::vector<CbVariant>& variants)
{
    CbStreamWriteBinaryMemory out;
    for (const CbVariant& v : variants)
        v.Serialize(out);
    return written(out);
}

std::vector<CbVariant> read(const Record& bytes, std::size_t count)
{
    CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
    std::vector<CbVariant> variants(count);
    for (CbVariant& v : variants)
        v.Serialize(in);
    EXPECT_EQ(in.GetRemaining(), 0u);
    return variants;
}

Record concat(std::initializer_list<Record> parts)
{
    Record all;
    for (const Record& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// NaN payloads (a signalling one among them) and -0 must come back bit for bit.
std::vector<CbVariant> everyWritableType()
{
    return VariantsOf(CbVariant(), true, 'x', Make<signed char>(-128), Make<unsigned char>(255), Make<short>(-32768),
                      Make<unsigned short>(65535), INT_MIN, UINT_MAX, LLONG_MIN, ULLONG_MAX, -0.0f,
                      std::bit_cast<float>(0x7FA01234u), -0.0, std::bit_cast<double>(0xFFF0000000000123ull), L"",
                      L"wide \u00e9\u4e2d \U0001F600", "", "narrow", Bytes({}), Bytes({0, 1, 0xFF}),
                      CbDateTime(L"2024-02-29 13:05:09"));
}

TEST(CbVariantSerializeTest, ExampleRecordsByteForByte)
{
    EXPECT_EQ(write({CbVariant()}), Record(8, 0));
    EXPECT_EQ(write({Make(5)}), (Record{0, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(write({Make("ab")}), (Record{0, 0, 0, 0, 0x12, 0, 0, 0, 2, 0, 0, 0, 0x61, 0x62}));
    EXPECT_EQ(write({Make(L"ab")}), (Record{0, 0, 0, 0, 8, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0x61, 0, 0x62, 0}));
    EXPECT_EQ(write({Make(Bytes({1, 2, 3}))}),
              (Record{0, 0, 0, 0, 9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 2, 3}));
    EXPECT_EQ(write({Make(CbDateTime(L"2024-01-31 23:59:07"))}).size(), 8u + 42u);
}

// Writing what was read gives the same bytes: every type and value, NaN
// payloads and -0 included, came back bit for bit.
TEST(CbVariantSerializeTest, EveryTypeRoundTripsBitExactly)
{
    const std::vector<CbVariant> originals = everyWritableType();
    const Record bytes = write(originals);
    EXPECT_EQ(write(read(bytes, originals.size())), bytes);
}

TEST(CbVariantSerializeTest, DatesTravelAsLocalTimeTextToTheSecond)
{
    const CbDateTime withMilliseconds(SYSTEMTIME{2024, 2, 4, 29, 13, 5, 9, 789});
    EXPECT_TRUE(read(write({Make(withMilliseconds)}), 1)[0] == Make(CbDateTime(L"2024-02-29 13:05:09")));

    CbStreamWriteBinaryMemory out; // a text in another shape, then another record
    out << 0u << 10u << L"29.02.2024";
    Make(7).Serialize(out);
    const std::vector<CbVariant> back = read(written(out), 2);
    EXPECT_TRUE(back[0].IsNull());
    EXPECT_EQ(static_cast<int>(back[1]), 7);
}

TEST(CbVariantSerializeTest, ArrayRecordsWithoutMarkerAndBeyondOnePiece)
{
    const Record markerless = {0, 0, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xAB, 0xCD};
    EXPECT_TRUE(read(markerless, 1)[0] == Make(Bytes({0xAB, 0xCD})));

    CbVariant::ByteArray large; // read in growing pieces, same result
    large.SetSize(3u << 20);
    for (unsigned i = 0; i < large.GetCount(); ++i)
        large[i] = static_cast<unsigned char>(i * 7);
    const CbVariant back = read(write({Make(large)}), 1)[0];
    EXPECT_TRUE(back == Make(large));
    EXPECT_EQ(static_cast<const CbVariant::ByteArray&>(back).GetCapacity(), large.GetCount());
}

TEST(CbVariantSerializeTest, MalformedRecordsThrowTheirExceptions)
{
    const Record stamp = {0, 0, 0, 0}, array = {9, 0, 0, 0}, marker = {0xFF, 0xFF, 0xFF, 0xFF}, one = {1, 0, 0, 0};
    const CbRTTI& version = CbExceptionWrongFileVersion::RTTI;
    // What is wrong, the record, and the exception's class, source and line.
    const std::tuple<const char*, Record, const CbRTTI&, const char*, unsigned> cases[] = {
        {"gap tag", concat({stamp, {11, 0, 0, 0}}), CbException::RTTI, "CbVariant.cpp", 701},
        {"newer record", {1, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}, version, "CbStreamRead", 46},
        {"count is the marker again", concat({stamp, array, marker, one, marker}), version, "CbArraySerializer", 391},
        {"element size 2", concat({stamp, array, marker, one, one, {2, 0, 0, 0}, {1, 2}}), version, "CbArraySerializer",
         400},
        {"count far beyond the data", concat({stamp, array, {0xF0, 0xFF, 0xFF, 0xFF}, one, {1, 2}}),
         CbExceptionStream::RTTI, "CbArraySerializer", 405},
    };
    for (const auto& [name, bytes, exception, file, line] : cases) {
        SCOPED_TRACE(name);
        CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
        CbVariant v = Make(L"replaced");
        ExpectThrowsAt([&] { v.Serialize(in); }, file, line, nullptr, &exception);
        EXPECT_NE(v.GetType(), CbVariant::eVariantTypeStringW) << "the old value is gone";
    }

    CbStreamWriteBinaryMemory out;
    ExpectThrowsAt([&] { Make(Shape()).Serialize(out); }, "CbVariant.cpp", 743, "CbVariant::Serialize");
    EXPECT_EQ(written(out), (Record{0, 0, 0, 0, 17, 0, 0, 0}));
}

// Every proper prefix of every record: the stream's exception, and a variant
// that is null or of the record's type, never the old value, and can still be
// copied and destroyed.
TEST(CbVariantSerializeTest, StreamsEndingInsideARecordLeaveAValidVariant)
{
    for (const CbVariant& original : everyWritableType()) {
        const Record record = write({original});
        for (std::size_t length = 0; length < record.size(); ++length) {
            SCOPED_TRACE(testing::Message() << "type " << original.GetType() << ", " << length << " bytes");
            CbStreamReadBinaryMemory in(record.data(), length);
            CbVariant v = Make(L"old"); // a read reuses a held string's storage
            EXPECT_THROW(v.Serialize(in), CbExceptionStream);
            EXPECT_TRUE((v.IsNull() || v.GetType() == original.GetType()) && !(v == Make(L"old")));
            const CbVariant copy(v);
        }
    }
}

} // namespace
