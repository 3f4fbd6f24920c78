// Tests that a client stream supplying only `write` or `read` sees the calls it always saw.
#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

#include <algorithm>
#include <string>

using cbf::test::Bytes;
using cbf::test::Encode;
using cbf::test::ReadAction;
using cbf::test::WriteAction;

namespace {

// A writer as a client writes one: only the primitive, which notes the size
// of each call and keeps the bytes.
class RecordingWriter : public CbStreamWriteBinary
{
public:
    std::string calls;
    Bytes bytes;

protected:
    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override
    {
        calls += (calls.empty() ? "" : " ") + std::to_string(count);
        const auto* begin = static_cast<const unsigned char*>(buffer);
        bytes.insert(bytes.end(), begin, begin + count);
        return *this;
    }
};

// A reader as a client writes one, over bytes in memory: notes each call as
// "asked>delivered".
class RecordingReader : public CbStreamReadBinary
{
public:
    explicit RecordingReader(Bytes source)
        : m_source(std::move(source))
    {}

    std::string calls;

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override
    {
        const auto delivered = std::min<unsigned __int64>(count, m_source.size() - m_next);
        std::copy_n(m_source.begin() + static_cast<std::ptrdiff_t>(m_next), delivered,
                    static_cast<unsigned char*>(buffer));
        m_next += delivered;
        calls += (calls.empty() ? "" : " ") + std::to_string(count) + ">" + std::to_string(delivered);
        return delivered;
    }

private:
    Bytes m_source;
    std::size_t m_next = 0;
};

const CStringW kWide300(std::wstring(300, L'w').c_str());
const CStringW kWide70000(std::wstring(70000, L'W').c_str());

// Every insertion calls `write` once per value and once per length field, in
// this order, with the bytes the memory writer stores.
TEST(CbStreamRecordingTest, ClientWritersSeeOneCallPerValueAndField)
{
    const std::pair<WriteAction, const char*> cases[] = {
        {[](CbStreamWrite& s) { s << true << 'c' << static_cast<signed char>(1) << static_cast<unsigned char>(2); },
         "1 1 1 1"},
        {[](CbStreamWrite& s) { s << static_cast<short>(3) << static_cast<unsigned short>(4) << 5 << 6u; }, "2 2 4 4"},
        {[](CbStreamWrite& s) { s << 7L << 8UL << 1.5f << 2.5 << static_cast<__int64>(-9) << 10ULL; }, "4 4 4 8 8 8"},
        {[](CbStreamWrite& s) {
             s << "abc"
               << "" << CStringA("de");
         },
         "4 3 4 0 4 2"},
        {[](CbStreamWrite& s) { s << L"abc" << L"" << CStringW(L"\U0001F600x"); }, "1 2 1 6 1 2 1 0 1 2 1 6"},
        {[](CbStreamWrite& s) { s << kWide300 << kWide70000; }, "1 2 1 2 600 1 2 1 2 4 140000"},
        {[](CbStreamWrite& s) {
             s.WriteVersion(4);
             static_cast<CbStreamWriteBinary&>(s).WriteBuffer("xyz", 3);
             static_cast<CbStreamWriteBinary&>(s).WriteBuffer("", 0);
         },
         "4 3 0"},
    };
    for (const auto& [action, calls] : cases) {
        RecordingWriter recorder;
        action(recorder);
        EXPECT_EQ(recorder.calls, calls);
        EXPECT_EQ(recorder.bytes, Encode(action));
    }
}

// Each extraction asks `read` once per value and per length field (a wide
// string's tag and first length byte in one), and a short read throws at the
// first call that comes back short.
TEST(CbStreamRecordingTest, ClientReadersSeeOneCallPerValueAndField)
{
    const ReadAction readMixed = [](CbStreamRead& s) {
        bool b;
        short h;
        int i;
        double d;
        CStringA a;
        CStringW w;
        s >> b >> h >> i >> d >> a >> w >> w;
    };
    const Bytes mixed =
        Encode([](CbStreamWrite& s) { s << true << static_cast<short>(2) << 3 << 4.0 << "ab" << L"cd" << kWide300; });
    const auto cut = [&](std::size_t size) {
        return Bytes(mixed.begin(), mixed.begin() + static_cast<std::ptrdiff_t>(size));
    };
    const std::tuple<Bytes, ReadAction, const char*, unsigned> cases[] = {
        {mixed, readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>4 4>4 2>2 600>600", 0},
        {cut(0), readMixed, "1>0", 39},
        {cut(2), readMixed, "1>1 2>1", 117},
        {cut(5), readMixed, "1>1 2>2 4>2", 155},
        {cut(10), readMixed, "1>1 2>2 4>4 8>3", 231},
        {cut(17), readMixed, "1>1 2>2 4>4 8>8 4>2", 136},
        {cut(20), readMixed, "1>1 2>2 4>4 8>8 4>4 2>1", 326},
        {cut(21), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>0", 60},
        {cut(23), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>2", 98},
        {cut(24), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>3", 60},
        {cut(27), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>2", 307},
        {cut(34), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>4 4>4 2>1", 98},
        {cut(40), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>4 4>4 2>2 600>5", 307},
        {Bytes{0xFF, 0xFE, 0xFE, 0x01, 0x00},
         [](CbStreamRead& s) {
             CStringW w;
             s >> w;
         },
         "4>4", 397},
        {Encode([](CbStreamWrite& s) { s << kWide70000 << 1ULL << 'x' << 1L << 2UL << 1.0f; }),
         [](CbStreamRead& s) {
             CStringW w;
             unsigned __int64 u = 0;
             char c;
             long l;
             unsigned long ul;
             float f;
             signed char sc;
             s >> w >> u >> c >> l >> ul >> f;
             unsigned char buffer[2];
             static_cast<CbStreamReadBinary&>(s).ReadBuffer(buffer, 0);
             static_cast<CbStreamReadBinary&>(s).ReadBuffer(buffer, 2);
             s >> sc;
         },
         "4>4 2>2 4>4 131072>131072 8928>8928 8>8 1>1 4>4 4>4 4>4 0>0 2>0 1>0", 79},
    };
    for (const auto& [bytes, action, calls, line] : cases) {
        RecordingReader recorder(bytes);
        unsigned thrown = 0;
        try {
            action(recorder);
        } catch (const CbExceptionStream& e) {
            thrown = e.GetCodeLine();
        }
        EXPECT_EQ(thrown, line);
        EXPECT_EQ(recorder.calls, calls);
    }
}

} // namespace
