// Tests that a client stream supplying only `write` or `read` sees the calls it always saw.
#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>

#include <algorithm>
#include <string>
#include <tuple>

using cbf::test::Bytes;
using cbf::test::Encode;
using cbf::test::WriteAction;

namespace {

// A writer as a client writes one: only the primitive, which notes the size
// of each call and keeps the bytes. With `area` bytes it also offers a put
// area, as a buffered file writer does, and takes the area's bytes first.
struct ClientWriter : CbStreamWriteBinary
{
    explicit ClientWriter(std::size_t areaSize = 0)
        : area(areaSize)
    {
        Flush();
    }

    CbStreamWrite& write(const void* buffer, unsigned __int64 count) override
    {
        Flush();
        calls.append(calls.empty() ? "" : " ").append(std::to_string(count));
        bytes.insert(bytes.end(), static_cast<const unsigned char*>(buffer),
                     static_cast<const unsigned char*>(buffer) + count);
        return *this;
    }

    void Flush()
    {
        bytes.insert(bytes.end(), putBase(), putNext());
        if (!area.empty())
            setPutArea(area.data(), area.data(), area.data() + area.size());
    }

    Bytes area, bytes;
    std::string calls;
};

// A reader as a client writes one, over bytes in memory: notes each call as
// "asked>delivered". With `area` bytes it also offers a get area, refilled
// after each `read`, as a buffered file reader does.
struct ClientReader : CbStreamReadBinary
{
    explicit ClientReader(Bytes bytes, std::size_t areaSize = 0)
        : source(std::move(bytes))
        , area(areaSize)
    {
        refill();
    }

    unsigned __int64 read(void* buffer, unsigned __int64 count) override
    {
        const unsigned __int64 taken = takeFromGetArea(buffer, count);
        const auto more = std::min<unsigned __int64>(count - taken, source.size() - next);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(next), more,
                    static_cast<unsigned char*>(buffer) + taken);
        next += more;
        refill();
        calls.append(calls.empty() ? "" : " ").append(std::to_string(count) + ">" + std::to_string(taken + more));
        return taken + more;
    }

    void refill()
    {
        const std::size_t size = std::min(area.size(), source.size() - next);
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(next), size, area.begin());
        next += size;
        if (size > 0)
            setGetArea(area.data(), area.data() + size);
    }

    Bytes source, area;
    std::size_t next = 0;
    std::string calls;
};

const CStringW kWide300(std::wstring(300, L'w').c_str());
const CStringW kWide70000(std::wstring(70000, L'W').c_str());
// A pair across the first block of 16 units, and a lone low surrogate.
const CStringW kWideMixed(
    (std::wstring(15, L'a') + L"\U0001F600" + std::wstring(20, L'b') + static_cast<wchar_t>(0xDC00) + L"c").c_str());

const std::pair<WriteAction, const char*> kWriteCases[] = {
    {[](CbStreamWrite& s) { s << true << 'c' << static_cast<short>(3) << 5 << 7L << 1.5f << 2.5 << 10ULL; },
     "1 1 2 4 4 4 8 8"},
    {[](CbStreamWrite& s) { s << "abc" << CStringA(""); }, "4 3 4 0"},
    {[](CbStreamWrite& s) { s << L"abc" << L"" << CStringW(L"\U0001F600x"); }, "1 2 1 6 1 2 1 0 1 2 1 6"},
    {[](CbStreamWrite& s) { s << kWide300 << kWide70000; }, "1 2 1 2 600 1 2 1 2 4 140000"},
    {[](CbStreamWrite& s) { s << kWideMixed << 1 << CStringW(std::wstring(L"ab\0cd", 5)); }, "1 2 1 78 4 1 2 1 4"},
    {[](CbStreamWrite& s) { static_cast<CbStreamWriteBinary&>(s).WriteBuffer("", 0); }, "0"},
};

// Every insertion calls `write` once per value and once per length field, in
// this order, with the bytes the memory writer stores.
TEST(CbStreamRecordingTest, ClientWritersSeeOneCallPerValueAndField)
{
    for (const auto& [action, calls] : kWriteCases) {
        ClientWriter recorder;
        action(recorder);
        EXPECT_EQ(recorder.calls, calls);
        EXPECT_EQ(recorder.bytes, Encode(action));
    }
}

// Where each decoder leaves its data: the values read, and after a failure
// what the destinations hold.
struct Destinations
{
    bool b = false;
    short h = -1;
    int i = -1;
    double d = -1;
    CStringA a = "old";
    CStringW w = L"old", w2 = L"old";
    long l = -1;
    signed char sc = -1;
    unsigned char buffer[2] = {7, 7};

    bool operator==(const Destinations&) const = default;
};

using ReadInto = void (*)(CbStreamRead&, Destinations&);

void readMixed(CbStreamRead& s, Destinations& to)
{
    s >> to.b >> to.h >> to.i >> to.d >> to.a >> to.w >> to.w2;
}

void readTheRest(CbStreamRead& s, Destinations& to)
{
    s >> to.w >> to.w2 >> to.l;
    static_cast<CbStreamReadBinary&>(s).ReadBuffer(to.buffer, 0);
    static_cast<CbStreamReadBinary&>(s).ReadBuffer(to.buffer, 2);
    s >> to.sc;
}

// A chunk of an unregistered class is skipped in halving blocks of at most
// 256 bytes; a source that ends inside it stops the skip quietly.
void skipChunk(CbStreamRead& s, Destinations&)
{
    EXPECT_EQ(static_cast<CbStreamReadBinary&>(s).ReadChunk(), nullptr);
}

Bytes unknownChunk(unsigned __int64 size, std::size_t available)
{
    Bytes bytes = Encode([&](CbStreamWrite& s) { s << L"Unknown" << size; });
    bytes.resize(bytes.size() + available);
    return bytes;
}

const Bytes kMixed =
    Encode([](CbStreamWrite& s) { s << true << static_cast<short>(2) << 3 << 4.0 << "ab" << L"cd" << kWide300; });

Bytes cut(std::size_t size)
{
    return Bytes(kMixed.begin(), kMixed.begin() + static_cast<std::ptrdiff_t>(size));
}

const std::tuple<Bytes, ReadInto, const char*, unsigned> kReadCases[] = {
    {kMixed, readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>4 4>4 2>2 600>600", 0},
    {cut(0), readMixed, "1>0", 39},
    {cut(5), readMixed, "1>1 2>2 4>2", 155},
    {cut(10), readMixed, "1>1 2>2 4>4 8>3", 231},
    {cut(20), readMixed, "1>1 2>2 4>4 8>8 4>4 2>1", 326},
    {cut(27), readMixed, "1>1 2>2 4>4 8>8 4>4 2>2 4>4 4>2", 307},
    {Bytes{0xFF, 0xFE, 0xFE, 0x01, 0x00}, [](CbStreamRead& s, Destinations& to) { s >> to.w; }, "4>4", 397},
    // Empty texts from a stream without an area once passed a null address on.
    {Encode([](CbStreamWrite& s) { s << "" << L""; }), [](CbStreamRead& s, Destinations& to) { s >> to.a >> to.w; },
     "4>4 4>4", 0},
    {Encode([](CbStreamWrite& s) { s << kWide70000 << kWideMixed << -1L; }), readTheRest,
     "4>4 2>2 4>4 131072>131072 8928>8928 4>4 78>78 4>4 0>0 2>0 1>0", 79},
    {unknownChunk(255, 255), skipChunk, "4>4 14>14 8>8 128>128 64>64 32>32 16>16 8>8 4>4 2>2 1>1", 0},
    {unknownChunk(1000, 300), skipChunk, "4>4 14>14 8>8 256>256 256>44", 0},
    {unknownChunk(~0ULL, 0), skipChunk, "4>4 14>14 8>8 256>0", 0},
};

// Each extraction asks `read` once per value and per length field (a wide
// string's tag and first length byte in one), and a short read throws at the
// first call that comes back short.
TEST(CbStreamRecordingTest, ClientReadersSeeOneCallPerValueAndField)
{
    for (const auto& [bytes, readInto, calls, line] : kReadCases) {
        ClientReader recorder(bytes);
        Destinations to;
        EXPECT_EQ(cbf::test::StreamFailureLine([&] { readInto(recorder, to); }), line);
        EXPECT_EQ(recorder.calls, calls);
    }
}

// Streams that offer their buffers to the encoders store and deliver the same
// bytes, however the values fall across the edges of their areas, and fail
// at the same lines leaving the same values behind.
TEST(CbStreamRecordingTest, StreamsWithAreasOfAnySizeAgreeWithClientStreams)
{
    for (const std::size_t size : {1, 3, 4, 7, 16, 4096}) {
        for (const auto& [action, calls] : kWriteCases) {
            ClientWriter windowed(size);
            action(windowed);
            windowed.Flush();
            EXPECT_EQ(windowed.bytes, Encode(action)) << size << " " << calls;
        }
        for (const auto& [bytes, readInto, calls, line] : kReadCases) {
            ClientReader recorder(bytes), windowed(bytes, size);
            CbStreamReadBinaryMemory memory(bytes.data(), bytes.size());
            Destinations expected, fromArea, fromMemory;
            cbf::test::StreamFailureLine([&] { readInto(recorder, expected); });
            EXPECT_EQ(cbf::test::StreamFailureLine([&] { readInto(windowed, fromArea); }), line) << size;
            EXPECT_EQ(cbf::test::StreamFailureLine([&] { readInto(memory, fromMemory); }), line);
            EXPECT_EQ(fromArea, expected) << size << " " << calls;
            EXPECT_EQ(fromMemory, expected) << calls;
        }
    }
}

} // namespace
