#include "StreamTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>

#include <cstdint>

using cbf::test::Bytes;
using cbf::test::ExpectStreamFailure;
using cbf::test::ReadAction;

namespace {

template <class T>
ReadAction extract()
{
    return [](CbStreamRead& s) {
        T value{};
        s >> value;
    };
}

// Each operator names itself by its line when the data ends inside the value.
TEST(CbStreamReadBinaryFailureTest, ShortDataThrowsTheOperatorsLine)
{
    struct Case
    {
        const char* type;
        ReadAction read;
        std::size_t width;
        unsigned line;
    };
    const Case cases[] = {
        {"bool", extract<bool>(), 1, 39},
        {"unsigned char", extract<unsigned char>(), 1, 60},
        {"signed char", extract<signed char>(), 1, 79},
        {"unsigned short", extract<unsigned short>(), 2, 98},
        {"short", extract<short>(), 2, 117},
        {"unsigned int", extract<unsigned int>(), 4, 136},
        {"int", extract<int>(), 4, 155},
        {"unsigned __int64", extract<unsigned __int64>(), 8, 174},
        {"__int64", extract<__int64>(), 8, 193},
        {"float", extract<float>(), 4, 212},
        {"double", extract<double>(), 8, 231},
        {"char", extract<char>(), 1, 250},
        {"unsigned long", extract<unsigned long>(), 4, 269},
        {"long", extract<long>(), 4, 288},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        ExpectStreamFailure(Bytes(c.width - 1, 0x11), c.read, "CbStreamReadBinary", c.line);
        ExpectStreamFailure(Bytes(), c.read, "CbStreamReadBinary", c.line);
    }
}

TEST(CbStreamReadBinaryFailureTest, StringsFailCleanlyAndLeaveTheDestinationAlone)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        bool wide;
        unsigned line;
    };
    const Case cases[] = {
        {"no tag: zeros", {0x00, 0x00, 0x00, 0x00}, true, 397},
        {"no tag: FF FF FE", {0xFF, 0xFF, 0xFE, 0x00}, true, 397},
        {"no tag: FE FF FF", {0xFE, 0xFF, 0xFF, 0x00}, true, 397},
        {"no tag: a narrow string", {0x03, 0, 0, 0, 'a', 'b', 'c'}, true, 397},
        {"empty before the tag", {}, true, 60},
        {"ends inside the tag", {0xFF, 0xFE}, true, 98},
        {"ends before the length", {0xFF, 0xFE, 0xFF}, true, 60},
        {"ends inside the 16-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0x01}, true, 98},
        {"ends inside the 32-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}, true, 136},
        {"ends inside the 64-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1}, true, 174},
        {"wide text ends early", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c'}, true, 307},
        {"wide length of 2^40 units",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0, 'a', 0}, true, 307},
        {"wide length of 2^64-1 units",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         true, 307},
        {"ends inside the narrow length", {0x03, 0x00}, false, 136},
        {"narrow text ends early", {0x03, 0, 0, 0, 'a', 'b'}, false, 326},
        {"narrow length of 2^32-1 bytes", {0xFF, 0xFF, 0xFF, 0xFF, 'a'}, false, 326},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CStringW wide(L"kept");
        CStringA narrow("kept");
        const ReadAction read = [&](CbStreamRead& s) {
            if (c.wide)
                s >> wide;
            else
                s >> narrow;
        };
        ExpectStreamFailure(c.bytes, read, "CbStreamReadBinary", c.line);
        EXPECT_TRUE(wide == L"kept" && narrow == "kept");
    }
}

TEST(CbStreamReadBinaryFailureTest, VersionStampsNewerThanExpectedAreRefused)
{
    struct Case
    {
        unsigned stamp;
        unsigned expected;
        bool accepted;
    };
    const Case cases[] = {{0, 4, true}, {3, 4, true}, {4, 4, true}, {5, 4, false}, {7, 7, true},
                          {0xFFFFFFFF, 0xFFFFFFFF, true}, {0xFFFFFFFF, 0, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.stamp);
        CbStreamWriteBinaryMemory out;
        out.WriteVersion(c.stamp);
        CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
        if (c.accepted)
        {
            EXPECT_EQ(in.ReadAndCompareVersion(c.expected), c.stamp);
        }
        else
        {
            try
            {
                in.ReadAndCompareVersion(c.expected);
                ADD_FAILURE() << "accepted";
            }
            catch (const CbExceptionWrongFileVersion& e)
            {
                EXPECT_STREQ(e.GetFilename(), "CbStreamRead");
                EXPECT_EQ(e.GetCodeLine(), 46u);
            }
        }
        EXPECT_EQ(in.GetPosition(), 4u);
    }
    ExpectStreamFailure(Bytes{4, 0, 0}, [](CbStreamRead& s) { s.ReadAndCompareVersion(4); }, "CbStreamReadBinary",
                        136);
}

TEST(CbStreamReadBinaryFailureTest, MemoryReaderDeliversShortCountsAtTheEnd)
{
    const Bytes bytes = {1, 2, 3, 4, 5};
    CbStreamReadBinaryMemory in(bytes.data(), bytes.size());
    unsigned char buffer[8] = {};
    EXPECT_EQ(in.ReadBuffer(buffer, 2), 2u);
    EXPECT_EQ(in.GetPosition(), 2u);
    EXPECT_EQ(in.ReadBuffer(buffer, 8), 3u);
    EXPECT_EQ(buffer[2], 5);
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(in.ReadBuffer(buffer, 8), 0u);
    EXPECT_EQ(in.GetSize(), 5u);

    EXPECT_THROW(CbStreamReadBinaryMemory(nullptr, 1), CbExceptionPreconditionViolation);
    CbStreamReadBinaryMemory empty(nullptr, 0);
    EXPECT_EQ(empty.ReadBuffer(buffer, 1), 0u);
}

} // namespace
