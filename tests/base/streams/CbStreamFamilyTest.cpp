#include "StreamTestSupport.h"

#include <cbfoundation/base/exceptions/CbExceptionPreconditionViolation.h>
#include <cbfoundation/base/streams/CbFormat.h>
#include <cbfoundation/base/streams/CbStreamWriteBinaryByteCount.h>

#include <string>

using cbf::test::WriteAction;

namespace {

TEST(CbStreamFamilyTest, StreamClassesAreRegisteredWithTheirBases)
{
    struct Case
    {
        const wchar_t* name;
        const CbRTTI& rtti;
        const CbRTTI* base;
    };
    const Case cases[] = {
        {L"CbStreamRead", CbStreamRead::RTTI, nullptr},
        {L"CbStreamReadBinary", CbStreamReadBinary::RTTI, &CbStreamRead::RTTI},
        {L"CbStreamWrite", CbStreamWrite::RTTI, nullptr},
        {L"CbStreamWriteBinary", CbStreamWriteBinary::RTTI, &CbStreamWrite::RTTI},
        {L"CbStreamWriteBinaryByteCount", CbStreamWriteBinaryByteCount::RTTI, &CbStreamWriteBinary::RTTI},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CbRTTI::Find(c.name), &c.rtti);
        const CbRTTI** bases = c.rtti.GetBaseClassRTTI();
        if (c.base == nullptr)
        {
            EXPECT_EQ(bases, nullptr);
        }
        else
        {
            ASSERT_NE(bases, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bases[0]), 1u);
            EXPECT_EQ(bases[1], c.base);
        }
    }

    const CbStreamWriteBinaryByteCount counter;
    EXPECT_STREQ(counter.GetClassNameW(), L"CbStreamWriteBinaryByteCount");
    EXPECT_TRUE(counter.IsKindOf(CbStreamWrite::RTTI));
    EXPECT_TRUE(counter.IsKindOf(L"CbStreamWriteBinary"));
    EXPECT_FALSE(counter.Is(CbStreamWriteBinary::RTTI));
    // The memory streams are not registered: they answer as their base.
    const CbStreamWriteBinaryMemory memory;
    EXPECT_TRUE(memory.Is(CbStreamWriteBinary::RTTI));
    const CbStreamReadBinaryMemory reader(nullptr, 0);
    EXPECT_STREQ(reader.GetClassNameW(), L"CbStreamReadBinary");
}

TEST(CbStreamFamilyTest, ByteCountEqualsWhatTheMemoryWriterStores)
{
    CStringW longText;
    for (int i = 0; i < 70000; ++i)
        longText += i % 1000 == 0 ? L"\U0001F600" : L"x";
    const unsigned char raw[] = {1, 2, 3};
    const WriteAction sequences[] = {
        [](CbStreamWrite& s) { s << L"abc" << 1; },
        [](CbStreamWrite& s) { s << true << 'c' << static_cast<short>(1) << 2.0f << 3.0 << 4L << 5UL; },
        [](CbStreamWrite& s) { s << static_cast<__int64>(1) << static_cast<unsigned __int64>(2) << "narrow"; },
        [&](CbStreamWrite& s) { s << longText << L"\U0001F600" << CStringA("x") << CStringW(); },
        [&](CbStreamWrite& s) {
            static_cast<CbStreamWriteBinary&>(s).WriteBuffer(raw, sizeof raw);
            s.WriteVersion(3);
        },
    };
    for (const WriteAction& write : sequences)
    {
        CbStreamWriteBinaryByteCount counter;
        write(counter);
        EXPECT_EQ(counter.GetByteCount(), cbf::test::Encode(write).size());
    }

    CbStreamWriteBinaryByteCount counter;
    counter << L"abc" << 1;
    EXPECT_EQ(counter.GetByteCount(), 14u);
    CbStreamWriteBinaryByteCount copy(counter);
    copy << 1;
    EXPECT_EQ(copy.GetByteCount(), 18u);
    copy = counter;
    EXPECT_EQ(copy.GetByteCount(), 14u);
}

TEST(CbStreamFamilyTest, MemoryWriterGrowsClearsAndMoves)
{
    CbStreamWriteBinaryMemory out;
    EXPECT_EQ(out.GetSize(), 0u);
    for (int i = 0; i < 10000; ++i)
        out << i;
    ASSERT_EQ(out.GetSize(), 40000u);
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    int last = -1;
    for (int i = 0; i < 10000; ++i)
        in >> last;
    EXPECT_EQ(last, 9999);

    out.Clear();
    out.Reserve(1000);
    const unsigned char* reserved = out.GetData();
    out << 7;
    EXPECT_EQ(out.GetData(), reserved);
    EXPECT_EQ(cbf::test::BytesOf(out), (cbf::test::Bytes{7, 0, 0, 0}));

    CbStreamWriteBinaryMemory moved(std::move(out));
    EXPECT_EQ(moved.GetSize(), 4u);
    EXPECT_EQ(out.GetSize(), 0u);
    out << 'x';
    EXPECT_EQ(cbf::test::BytesOf(out), (cbf::test::Bytes{'x'}));
}

TEST(CbStreamFamilyTest, FormatsHoldTheirText)
{
    const CbFormatA narrow("%s=%I64d %S", CStringA("n"), static_cast<__int64>(1) << 40, L"w");
    EXPECT_STREQ(narrow.GetText(), "n=1099511627776 w");
    const CbFormat wide(L"%5.1f|%-3c|", 2.34, L'x');
    EXPECT_STREQ(wide, L"  2.3|x  |");
    EXPECT_THROW(CbFormatW(static_cast<const wchar_t*>(nullptr)), CbExceptionPreconditionViolation);
}

} // namespace
