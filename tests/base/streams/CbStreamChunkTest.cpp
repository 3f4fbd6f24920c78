// Tests of self-describing chunks: round trips, skipping what cannot be read, failures.
#include "StreamTestSupport.h"

#include <cbfoundation/base/streams/ISerializable.h>

#include <memory>
#include <stdexcept>

using cbf::test::ExpectFailure;

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

    int x = 42;
    CStringW name = L"answer \U0001F600";
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

// The chunks written here are skipped by their size fields, so a wrong size
// shows as a misread chunk after them. How the skip reads is pinned with the
// recording streams.
TEST(CbStreamChunkTest, ChunksThatCannotBeReadAsObjectsAreSkipped)
{
    CbStreamWriteBinaryMemory out;
    out << L"ChunkTest::Unknown" << 5ULL << 'a' << 0 << L"ChunkTest::Unknown" << 0ULL;
    out.WriteChunk(Orphan());
    out.WriteChunk(Failing());
    out.WriteChunk(Point());
    out << 99;

    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(in.ReadChunk(), nullptr) << "chunk " << i;
    const std::unique_ptr<ISerializable> read(in.ReadChunk());
    ASSERT_TRUE(read && read->GetRTTI().Is(Point::RTTI));
    EXPECT_TRUE(static_cast<Point&>(*read).x == 42 && static_cast<Point&>(*read).name == L"answer \U0001F600");
    int tail = 0;
    in >> tail;
    EXPECT_EQ(tail, 99);
}

// Makes a null reference where the sanitizer does not look, as a caller's
// dereferenced null pointer would.
[[gnu::noinline, gnu::no_sanitize("null")]] const ISerializable& nullObject()
{
    const ISerializable* none = nullptr;
    asm("" : "+r"(none));
    return *none;
}

TEST(CbStreamChunkTest, FailuresPropagateAndDestroyTheObject)
{
    CbStreamWriteBinaryMemory out;
    out.WriteChunk(Refusing());
    CbStreamReadBinaryMemory in(out.GetData(), out.GetSize());
    const int before = Refusing::destroyed;
    ExpectFailure([&] { in.ReadChunk(); }, "Refusing", 7);
    EXPECT_EQ(Refusing::destroyed, before + 1);

    CbStreamWriteBinaryMemory refused;
    cbf::test::ExpectThrowsAt([&] { refused.WriteChunk(nullObject()); }, "CbStreamWriteBinary", 321,
                              "CbStreamWriteBinary::WriteChunk");
    EXPECT_EQ(refused.GetSize(), 0u);
}

} // namespace
