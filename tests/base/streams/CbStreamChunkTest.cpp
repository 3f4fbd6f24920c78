// Tests of self-describing chunks: round trips, skipping what cannot be read, failures.
#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/ISerializable.h>

#include <cstring>
#include <memory>
#include <stdexcept>

using cbf::test::Bytes;

namespace {

// A client class as a program would write one: a version stamp, then fields.
class Point : public ISerializable
{
    CB_DECLARE_RTTI(Point)

public:
    static IObject* Create() { return new Point; }
    void Serialize(CbStreamWriteBinary& out) const override
    {
        out.WriteVersion(1);
        out << x << name;
    }
    void Serialize(CbStreamReadBinary& in) override
    {
        in.ReadAndCompareVersion(1);
        in >> x >> name;
    }

    int x = 0;
    CStringW name;
};

// Writes a form of its own but is registered without a create function.
class Orphan : public Point
{
    CB_DECLARE_RTTI(Orphan)
};

// Its create function throws.
class Failing : public Point
{
    CB_DECLARE_RTTI(Failing)

public:
    static IObject* Create() { throw std::runtime_error("no object today"); }
};

// Its objects refuse to read and count their destructions.
class Refusing : public Point
{
    CB_DECLARE_RTTI(Refusing)

public:
    static IObject* Create() { return new Refusing; }
    ~Refusing() override { ++destroyed; }
    void Serialize(CbStreamReadBinary&) override { throw CbExceptionStream(L"Refusing", 7); }
    using Point::Serialize;
    static inline int destroyed = 0;
};

const CbRTTI Point::RTTI(L"ChunkTest::Point", &Point::Create, nullptr);
const CbRTTI Orphan::RTTI(L"ChunkTest::Orphan", Point::RTTI, nullptr, nullptr);
const CbRTTI Failing::RTTI(L"ChunkTest::Failing", Point::RTTI, &Failing::Create, nullptr);
const CbRTTI Refusing::RTTI(L"ChunkTest::Refusing", Point::RTTI, &Refusing::Create, nullptr);

// A chunk of a class unknown to the reader, with a form of `size` bytes.
void writeUnknownChunk(CbStreamWriteBinary& out, unsigned __int64 size)
{
    out << L"ChunkTest::Unknown" << size;
    out.WriteBuffer(Bytes(size, 0xAB).data(), size);
}

Point point(int x, const wchar_t* name)
{
    Point p;
    p.x = x;
    p.name = name;
    return p;
}

// The chunks written here are skipped by their size fields, so a wrong size
// shows as a misread chunk after them.
TEST(CbStreamChunkTest, ChunksThatCannotBeReadAsObjectsAreSkipped)
{
    CbStreamWriteBinaryMemory out;
    writeUnknownChunk(out, 5);
    Orphan orphan;
    out.WriteChunk(orphan);
    Failing failing;
    out.WriteChunk(failing);
    writeUnknownChunk(out, 0);
    out.WriteChunk(point(42, L"answer \U0001F600"));
    out << 99;

    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(in.ReadChunk(), nullptr) << "chunk " << i;
    const std::unique_ptr<ISerializable> read(in.ReadChunk());
    ASSERT_NE(read, nullptr);
    ASSERT_TRUE(read->GetRTTI().Is(Point::RTTI));
    EXPECT_EQ(static_cast<Point&>(*read).x, 42);
    EXPECT_EQ(static_cast<Point&>(*read).name, L"answer \U0001F600");
    int tail = 0;
    in >> tail;
    EXPECT_EQ(tail, 99);
}

// Records the size of every request, delivering zeros.
class RecordingReader : public CbStreamReadBinary
{
public:
    explicit RecordingReader(Bytes head, unsigned __int64 available)
        : m_head(std::move(head))
        , m_available(available)
    {}
    std::vector<unsigned __int64> requests;

protected:
    unsigned __int64 read(void* buffer, unsigned __int64 count) override
    {
        if (m_position < m_head.size()) {
            std::memcpy(buffer, m_head.data() + m_position, count);
            m_position += count;
            return count;
        }
        requests.push_back(count);
        const unsigned __int64 delivered = std::min(count, m_available);
        m_available -= delivered;
        return delivered;
    }

private:
    Bytes m_head;
    std::size_t m_position = 0;
    unsigned __int64 m_available;
};

TEST(CbStreamChunkTest, UnknownFormsAreSkippedInHalvingBlocks)
{
    struct Case
    {
        unsigned __int64 size;
        unsigned __int64 available;
        std::vector<unsigned __int64> requests;
    };
    const Case cases[] = {
        {300, 300, {256, 32, 8, 4}},
        {600, 600, {256, 256, 64, 16, 8}},
        {255, 255, {128, 64, 32, 16, 8, 4, 2, 1}},
        {0, 0, {}},
        // The source ends inside the form: the skip stops quietly.
        {1000, 300, {256, 256}},
        {~0ULL, 0, {256}},
    };
    for (const Case& c : cases) {
        const Bytes head = cbf::test::Encode([&](CbStreamWrite& s) { s << L"ChunkTest::Unknown" << c.size; });
        RecordingReader in(head, c.available);
        EXPECT_EQ(in.ReadChunk(), nullptr);
        EXPECT_EQ(in.requests, c.requests) << "size " << c.size;
    }
}

TEST(CbStreamChunkTest, FailuresPropagateAndDestroyTheObject)
{
    CbStreamWriteBinaryMemory out;
    const Refusing refusing;
    out.WriteChunk(refusing);
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    const int before = Refusing::destroyed;
    cbf::test::ExpectFailure([&] { in.ReadChunk(); }, "Refusing", 7);
    EXPECT_EQ(Refusing::destroyed, before + 1);

    // A form that ends early fails inside the object's own read.
    CbStreamWriteBinaryMemory cut;
    cut.WriteChunk(point(1, L"xyz"));
    CbStreamReadBinaryMemory shortIn(cut.GetData(), cut.GetSize() - 1);
    cbf::test::ExpectFailure([&] { shortIn.ReadChunk(); }, "CbStreamReadBinary", 307);

    // A name without the wide-text tag.
    const Bytes untagged = {3, 0, 0, 0, 'a', 'b', 'c'};
    CbStreamReadBinaryMemory bad(untagged.data(), untagged.size());
    cbf::test::ExpectFailure([&] { bad.ReadChunk(); }, "CbStreamReadBinary", 397);
}

// Makes a null reference where the sanitizer does not look, as a caller's
// dereferenced null pointer would.
[[gnu::noinline, gnu::no_sanitize("null")]] const ISerializable& nullObject()
{
    const ISerializable* none = nullptr;
    asm("" : "+r"(none));
    return *none;
}

TEST(CbStreamChunkTest, NullObjectIsRefused)
{
    CbStreamWriteBinaryMemory out;
    cbf::test::ExpectThrowsAt([&] { out.WriteChunk(nullObject()); }, "CbStreamWriteBinary", 321,
                              "CbStreamWriteBinary::WriteChunk");
    EXPECT_EQ(out.GetSize(), 0u);
}

} // namespace
