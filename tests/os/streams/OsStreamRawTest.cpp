// The raw file streams and the stream filter: bytes as they are, end of file, peeking, folders and every refusal.
#include <cbfoundation/os/streams/OsStreamFilter.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/FileStreamTestSupport.h"

#include <cerrno>
#include <cstring>

namespace cbf::test {
namespace {

using Raw = OsStreamWriteBinaryFileRaw;

// Counts its destruction; reads nothing.
struct CountedReader : CbStreamReadBinary
{
    explicit CountedReader(int& destroyed)
        : destroyed(destroyed)
    {}
    ~CountedReader() override { ++destroyed; }
    unsigned __int64 read(void*, unsigned __int64) override { return 0; }
    int& destroyed;
};

struct PassThrough : OsStreamFilter<CbStreamReadBinary, CbStreamReadBinary>
{
    using OsStreamFilter::OsStreamFilter;
    unsigned __int64 read(void* buffer, unsigned __int64 count) override
    {
        return getStream().ReadBuffer(buffer, count);
    }
};

struct NullWriterFilter : OsStreamFilter<CbStreamWriteBinary, CbStreamWriteBinary>
{
    using OsStreamFilter::OsStreamFilter;
    CbStreamWrite& write(const void*, unsigned __int64) override { return *this; }
};

TEST(OsStreamFilterTest, OwnsOnlyWhatItIsGivenAndRefusesNothing)
{
    int destroyed = 0;
    CountedReader borrowed(destroyed);
    {
        PassThrough filter(borrowed);
    }
    EXPECT_EQ(destroyed, 0);
    {
        PassThrough filter(std::make_unique<CountedReader>(destroyed));
    }
    EXPECT_EQ(destroyed, 1);
    ExpectThrowsAt([] { PassThrough filter(std::unique_ptr<CbStreamReadBinary>{}); }, "OsStreamFilter", 95, nullptr,
                   &CbExceptionPreconditionViolation::RTTI);
    ExpectThrowsAt([] { NullWriterFilter filter(std::unique_ptr<CbStreamWriteBinary>{}); }, "OsStreamFilter", 95,
                   nullptr, &CbExceptionPreconditionViolation::RTTI);
}

TEST(OsStreamRawTest, ReadsTellTheEndFromDataAndPeekKeepsThePosition)
{
    FileSystemSandbox box;
    WriteFile(box.Root() / "ten", "0123456789");
    OsStreamReadBinaryFileRaw in(box(L"ten"));
    EXPECT_EQ(in.GetRTTI().GetName(), CbStreamReadBinary::RTTI.GetName());

    char buffer[32] = {};
    EXPECT_EQ(in.Peek(buffer, 28), 10u);
    EXPECT_EQ(in.ReadBuffer(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(in.Peek(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(in.ReadBuffer(buffer, 10), 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    // At the end, a peek clears the end-of-file state and changes nothing.
    EXPECT_EQ(in.Peek(buffer, 4), 0u);
    EXPECT_EQ(in.ReadBuffer(buffer, 4), 0u);
    int value = 0;
    ExpectFailure([&] { in >> value; }, "CbStreamReadBinary", 155);
}

TEST(OsStreamRawTest, EveryPatternOfReadsAndPeeksSeesTheFileInOrder)
{
    FileSystemSandbox box;
    std::string content(20000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 31 + i / 256);
    {
        Raw out(box(L"pattern"), Raw::eAccessModeOverwrite);
        for (std::size_t at = 0, size = 1; at < content.size(); at += size, size = size * 3 + 1)
            out.WriteBuffer(content.data() + at, std::min(size, content.size() - at));
    }
    ASSERT_EQ(ReadFile(box.Root() / "pattern"), content);
    for (std::size_t size : {1, 7, 4095, 4096, 4097, 30000}) {
        OsStreamReadBinaryFileRaw in(box(L"pattern"));
        std::string got;
        std::string peeked(28, '\0');
        std::string piece(size, '\0');
        for (;;) {
            peeked.resize(in.Peek(peeked.data(), 28));
            piece.resize(in.ReadBuffer(piece.data(), size));
            const std::size_t common = std::min(peeked.size(), piece.size());
            ASSERT_EQ(peeked.substr(0, common), piece.substr(0, common)) << size;
            got += piece;
            if (piece.size() < size)
                break;
            peeked.resize(28);
        }
        EXPECT_EQ(got, content) << size;
    }
}

TEST(OsStreamRawTest, OpeningAMissingFileCarriesTheSystemError)
{
    FileSystemSandbox box;
    const CStringW path = box(L"missing");
    try {
        OsStreamReadBinaryFileRaw in(path);
        FAIL() << "opened a missing file";
    } catch (const CbExceptionStream& e) {
        EXPECT_STREQ(e.GetFilename(), "OsStreamReadBinaryFileRaw");
        EXPECT_EQ(e.GetCodeLine(), 41u);
        const auto history = e.GetHistory();
        ASSERT_TRUE(history);
        EXPECT_STREQ(history->GetFilename(), "OsStreamReadBinaryFileRaw");
        EXPECT_EQ(history->GetCodeLine(), 41u);
        const auto cause = history->GetHistory();
        ASSERT_TRUE(cause);
        EXPECT_EQ(std::string(cause->GetFilename()), std::string("std::exception (") + std::strerror(ENOENT) + ")");
    }
}

TEST(OsStreamRawTest, WritersCreateFoldersOverwriteAndAppend)
{
    FileSystemSandbox box;
    const CStringW path = box(L"a\\b/c\\file.bin");
    {
        Raw(path, Raw::eAccessModeOverwrite).WriteBuffer("hello", 5);
    }
    EXPECT_EQ(ReadFile(box.Root() / "a/b/c/file.bin"), "hello");

    struct Case
    {
        Raw::EAccessMode mode;
        const char* expected;
    };
    for (const Case& c : {Case{Raw::eAccessModeOverwrite, "xyz"}, Case{Raw::eAccessModeAppend, "helloxyz"}}) {
        WriteFile(box.Root() / "a/b/c/file.bin", "hello");
        {
            Raw out(path, c.mode);
            EXPECT_STREQ(out.GetFilename(), path.GetString());
            out.WriteBuffer("xyz", 3);
        }
        EXPECT_EQ(ReadFile(box.Root() / "a/b/c/file.bin"), c.expected) << c.mode;
    }
}

TEST(OsStreamRawTest, WritersRefuseWhatTheyCannotOpen)
{
    FileSystemSandbox box;
    WriteFile(box.Root() / "plain", "x");
    ExpectFailure([] { Raw out(L"bare-name.bin", Raw::eAccessModeOverwrite); }, "OsStreamWriteBinaryFileRaw", 41);
    ExpectFailure([&] { Raw out(box(L"plain\\below\\file"), Raw::eAccessModeOverwrite); }, "OsStreamWriteBinaryFileRaw",
                  41);
    ExpectFailure([&] { Raw out(box(L"file"), static_cast<Raw::EAccessMode>(2)); }, "OsStreamWriteBinaryFileRaw", 60);
    EXPECT_FALSE(std::filesystem::exists(box.Root() / "file"));
    // A folder where the file should be: the open fails with a reason.
    std::filesystem::create_directories(box.Root() / "dir");
    try {
        Raw out(box(L"dir"), Raw::eAccessModeOverwrite);
        FAIL() << "opened a folder for writing";
    } catch (const CbExceptionStream& e) {
        EXPECT_EQ(e.GetCodeLine(), 76u);
        ASSERT_TRUE(e.GetHistory());
        EXPECT_EQ(e.GetHistory()->GetCodeLine(), 76u);
    }
}

} // namespace
} // namespace cbf::test
