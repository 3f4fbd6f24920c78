// The raw file streams: bytes as they are, end of file, peeking, folders and refusals.
#include <cbfoundation/os/streams/OsStreamReadBinaryFileRaw.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/FileStreamTestSupport.h"

#include <tuple>

namespace cbf::test {
namespace {

using Raw = OsStreamWriteBinaryFileRaw;

// Writes of growing sizes keep their order; reads of sizes around the
// buffer's, each after a peek, see the file in order; at the end a peek
// gives nothing, and a value is a short read.
TEST(OsStreamRawTest, EveryPatternOfReadsAndPeeksSeesTheFileInOrder)
{
    FileSystemSandbox box;
    std::string content(20000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 31 + i / 256);
    {
        // Growing pieces, buffered ones before and between direct ones.
        Raw out(box(L"pattern"), Raw::eAccessModeOverwrite);
        for (std::size_t at = 0, size = 1; at < content.size(); at += size, size = size * 3 + 1)
            out.WriteBuffer(content.data() + at, std::min(size, content.size() - at));
    }
    for (std::size_t size : {1, 4095, 4097, 30000}) {
        SCOPED_TRACE(size);
        OsStreamReadBinaryFileRaw in(box(L"pattern"));
        std::string got;
        std::string peeked(28, '\0');
        std::string piece(size, '\0');
        do {
            peeked.resize(in.Peek(peeked.data(), 28));
            piece.resize(in.ReadBuffer(piece.data(), size));
            ASSERT_EQ(peeked.substr(0, piece.size()), piece.substr(0, peeked.size()));
            got += piece;
            peeked.resize(28);
        } while (piece.size() == size);
        EXPECT_EQ(got, content);
        EXPECT_EQ(in.Peek(peeked.data(), 4), 0u);
        int value = 0;
        ExpectFailure([&] { in >> value; }, "CbStreamReadBinary", 155);
    }
}

// Writers create the missing folders (backslashes are separators too) and
// append when told; writers and readers refuse what they cannot open.
TEST(OsStreamRawTest, WritersCreateFoldersAppendAndRefuseWhatTheyCannotOpen)
{
    FileSystemSandbox box;
    const CStringW path = box(L"a\\b/c\\file.bin");
    Raw(path, Raw::eAccessModeOverwrite).WriteBuffer("hello", 5);
    Raw(path, Raw::eAccessModeAppend).WriteBuffer("xyz", 3);
    EXPECT_EQ(ReadFile(box.Root() / "a/b/c/file.bin"), "helloxyz");

    std::filesystem::create_directories(box.Root() / "dir");
    // The path, the mode and the line that refuses it.
    const std::tuple<CStringW, Raw::EAccessMode, unsigned> cases[] = {
        {L"bare-name.bin", Raw::eAccessModeOverwrite, 41},
        {path + L"\\below", Raw::eAccessModeOverwrite, 41},
        {box(L"file"), static_cast<Raw::EAccessMode>(2), 60},
        {box(L"dir"), Raw::eAccessModeOverwrite, 76},
    };
    for (const auto& [target, mode, line] : cases)
        ExpectFailure([&] { Raw out(target, mode); }, "OsStreamWriteBinaryFileRaw", line);
    ExpectFailure([&] { OsStreamReadBinaryFileRaw in(box(L"missing")); }, "OsStreamReadBinaryFileRaw", 41);
}

} // namespace
} // namespace cbf::test
