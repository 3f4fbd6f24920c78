// The zlib filters: exact bytes, every pattern of write and read sizes, damaged input and failing targets.
#include <cbfoundation/os/streams/OsStreamReadCompressedZIP.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>

#include "os/streams/FileStreamTestSupport.h"

#include <algorithm>

namespace cbf::test {
namespace {

using Zip = OsStreamWriteCompressedZIP;

// Compressible but not trivial: runs of text with scrambled bytes between.
Bytes sampleBytes(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i % 7 == 0 ? (i * 2654435761u) >> 13 : 'a' + i % 23);
    return bytes;
}

Bytes compress(const Bytes& data, std::size_t writeSize, Zip::ECompressionLevel level = Zip::eCompressionLevelDefault)
{
    CbStreamWriteBinaryMemory target;
    {
        Zip zip(target, level);
        for (std::size_t at = 0; at < data.size(); at += writeSize)
            zip.WriteBuffer(data.data() + at, std::min(writeSize, data.size() - at));
    }
    return Bytes(target.GetData(), target.GetData() + target.GetSize());
}

Bytes inflateAll(const Bytes& compressed, std::size_t readSize)
{
    CbStreamReadBinaryMemory source(compressed.data(), compressed.size());
    OsStreamReadCompressedZIP zip(source);
    Bytes out;
    Bytes buffer(readSize);
    for (;;) {
        const auto got = zip.ReadBuffer(buffer.data(), readSize);
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < readSize)
            return out;
    }
}

// Nothing written is the empty zlib stream, whether the target is borrowed
// or owned (and then deleted with the filter, which the leak checker sees);
// the level shows in the header. An unknown level and a null target to own
// are refused.
TEST(OsStreamCompressedZIPTest, NothingWrittenIsTheEmptyZlibStream)
{
    const Bytes empty = compress({}, 1);
    EXPECT_EQ(empty, (Bytes{0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_TRUE(inflateAll(empty, 1).empty());
    // FLEVEL 0 and 3.
    EXPECT_TRUE(compress({}, 1, Zip::eCompressionLevelFastest)[1] == 0x01 &&
                compress({}, 1, Zip::eCompressionLevelBest)[1] == 0xDA);
    (void)Zip{std::make_unique<CbStreamWriteBinaryMemory>(), Zip::eCompressionLevelDefault};
    CbStreamWriteBinaryMemory target;
    ExpectThrowsAt([&] { Zip zip(target, static_cast<Zip::ECompressionLevel>(3)); }, "OsStreamWriteCompressedZIP", 43,
                   nullptr, &CbExceptionPreconditionViolation::RTTI);
    ExpectThrowsAt([] { Zip zip(std::unique_ptr<CbStreamWriteBinary>{}, Zip::eCompressionLevelDefault); },
                   "OsStreamFilter", 95, nullptr, &CbExceptionPreconditionViolation::RTTI);
}

// Write sizes around the writer's direct-write threshold and buffer, read
// sizes around the reader's.
TEST(OsStreamCompressedZIPTest, EveryPatternOfWriteAndReadSizesRoundTrips)
{
    const Bytes data = sampleBytes(60000);
    for (std::size_t writeSize : {1, 511, 512, 1024, 100000}) {
        const Bytes compressed = compress(data, writeSize);
        for (std::size_t readSize : {1, 1535, 1536, 100000})
            EXPECT_EQ(inflateAll(compressed, readSize), data) << writeSize << " / " << readSize;
    }
}

// Truncated and corrupt input give fewer bytes, never wrong ones past the
// damage; bytes after the stream's end are ignored.
TEST(OsStreamCompressedZIPTest, DamagedInputEndsInShortReadsNeverMore)
{
    const Bytes data = sampleBytes(20000);
    const Bytes good = compress(data, 100);
    const Bytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    Bytes corrupt = good;
    for (std::size_t i = 10; i < corrupt.size(); i += 97)
        corrupt[i] ^= 0x5A;
    Bytes trailing = good;
    trailing.insert(trailing.end(), 5000, 0xEE);
    const Bytes fromTruncated = inflateAll(truncated, 1000);
    EXPECT_TRUE(fromTruncated.size() < data.size() &&
                std::equal(fromTruncated.begin(), fromTruncated.end(), data.begin()));
    EXPECT_LE(inflateAll(corrupt, 1000).size(), data.size());
    EXPECT_EQ(inflateAll(trailing, 1000), data);
}

// A failing target fails the write that hands it bytes, once; with
// everything still gathered, the destructor reports it, unless it runs while
// another exception unwinds, which then goes on unchanged.
TEST(OsStreamCompressedZIPTest, AFailingTargetFailsOnceAndTheDestructorStaysQuiet)
{
    FailingWriter target(0);
    {
        Zip zip(target, Zip::eCompressionLevelFastest);
        const Bytes data = sampleBytes(200000);
        ExpectFailure([&] { zip.WriteBuffer(data.data(), data.size()); }, "FailingWriter", 1);
    }
    EXPECT_EQ(target.writes, 1);

    FailingWriter late(0);
    auto zip = std::make_unique<Zip>(late, Zip::eCompressionLevelDefault);
    *zip << 1;
    // unique_ptr::reset is noexcept: release and delete by hand.
    ExpectFailure([&] { delete zip.release(); }, "FailingWriter", 1);

    FailingWriter unwound(0);
    EXPECT_THROW(
        {
            Zip other(unwound, Zip::eCompressionLevelDefault);
            other << 1;
            throw std::runtime_error("first");
        },
        std::runtime_error);
    EXPECT_EQ(unwound.writes, 1);
}

} // namespace
} // namespace cbf::test
