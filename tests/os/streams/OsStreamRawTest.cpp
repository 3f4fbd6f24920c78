// The raw file streams and the stream filter: bytes as they are, end of file, peeking, folders and every refusal.
#include <cbfoundation/os/streams/OsStreamFilter.h>
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>

#include "os/streams/FileStreamTestSupport.h"

#include <cerrno>
#include <cstring>
#include <tuple>
#include <utility>

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

// A filter deletes the stream it is given to own and no other; a null one
// to own is refused, for readers and writers alike.
TEST(OsStreamFilterTest, OwnsOnlyWhatItIsGivenAndRefusesNothing)
{
    int destroyed = 0;
    CountedReader borrowed(destroyed);
    (void)PassThrough{borrowed};
    EXPECT_EQ(destroyed, 0);
    (void)PassThrough{std::make_unique<CountedReader>(destroyed)};
    EXPECT_EQ(destroyed, 1);
    ExpectThrowsAt([] { PassThrough filter(std::unique_ptr<CbStreamReadBinary>{}); }, "OsStreamFilter", 95, nullptr,
                   &CbExceptionPreconditionViolation::RTTI);
    using Zip = OsStreamWriteCompressedZIP;
    ExpectThrowsAt([] { Zip zip(std::unique_ptr<CbStreamWriteBinary>{}, Zip::eCompressionLevelDefault); },
                   "OsStreamFilter", 95, nullptr, &CbExceptionPreconditionViolation::RTTI);
}

// Reads of every size, each after a peek, see the file in order; at the end
// a peek gives nothing and changes nothing, and a value is a short read.
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
        SCOPED_TRACE(size);
        OsStreamReadBinaryFileRaw in(box(L"pattern"));
        std::string got;
        std::string peeked(28, '\0');
        std::string piece(size, '\0');
        do {
            peeked.resize(in.Peek(peeked.data(), 28));
            piece.resize(in.ReadBuffer(piece.data(), size));
            const std::size_t common = std::min(peeked.size(), piece.size());
            ASSERT_EQ(peeked.substr(0, common), piece.substr(0, common));
            got += piece;
            peeked.resize(28);
        } while (piece.size() == size);
        EXPECT_EQ(got, content);
        EXPECT_EQ(in.Peek(peeked.data(), 4) + in.ReadBuffer(piece.data(), 1), 0u);
        int value = 0;
        ExpectFailure([&] { in >> value; }, "CbStreamReadBinary", 155);
    }
}

// A missing file fails at the open, with the system's reason below.
TEST(OsStreamRawTest, OpeningAMissingFileCarriesTheSystemError)
{
    FileSystemSandbox box;
    try {
        OsStreamReadBinaryFileRaw in(box(L"missing"));
        FAIL() << "opened a missing file";
    } catch (const CbExceptionStream& e) {
        EXPECT_EQ(e.GetCodeLine(), 41u);
        const auto history = e.GetHistory();
        ASSERT_TRUE(history);
        EXPECT_STREQ(history->GetFilename(), "OsStreamReadBinaryFileRaw");
        EXPECT_EQ(history->GetCodeLine(), 41u);
        ASSERT_TRUE(history->GetHistory());
        EXPECT_EQ(std::string(history->GetHistory()->GetFilename()),
                  std::string("std::exception (") + std::strerror(ENOENT) + ")");
    }
}

// Writers create the missing folders (backslashes are separators too),
// overwrite or append, and refuse what they cannot open.
TEST(OsStreamRawTest, WritersCreateFoldersOverwriteAndAppend)
{
    FileSystemSandbox box;
    const CStringW path = box(L"a\\b/c\\file.bin");
    Raw(path, Raw::eAccessModeOverwrite).WriteBuffer("hello", 5);
    EXPECT_EQ(ReadFile(box.Root() / "a/b/c/file.bin"), "hello");
    for (const auto& [mode, expected] :
         {std::pair{Raw::eAccessModeOverwrite, "xyz"}, {Raw::eAccessModeAppend, "helloxyz"}}) {
        WriteFile(box.Root() / "a/b/c/file.bin", "hello");
        {
            Raw out(path, mode);
            EXPECT_STREQ(out.GetFilename(), path.GetString());
            out.WriteBuffer("xyz", 3);
        }
        EXPECT_EQ(ReadFile(box.Root() / "a/b/c/file.bin"), expected) << mode;
    }
}

TEST(OsStreamRawTest, WritersRefuseWhatTheyCannotOpen)
{
    FileSystemSandbox box;
    WriteFile(box.Root() / "plain", "x");
    std::filesystem::create_directories(box.Root() / "dir");
    // The path, the mode and the line that refuses it.
    const std::tuple<CStringW, Raw::EAccessMode, unsigned> cases[] = {
        {L"bare-name.bin", Raw::eAccessModeOverwrite, 41},
        {box(L"plain\\below\\file"), Raw::eAccessModeOverwrite, 41},
        {box(L"file"), static_cast<Raw::EAccessMode>(2), 60},
        {box(L"dir"), Raw::eAccessModeOverwrite, 76},
    };
    for (const auto& [path, mode, line] : cases) {
        SCOPED_TRACE(line);
        ExpectFailure([&] { Raw out(path, mode); }, "OsStreamWriteBinaryFileRaw", line);
    }
    EXPECT_FALSE(std::filesystem::exists(box.Root() / "file"));
}

} // namespace
} // namespace cbf::test
