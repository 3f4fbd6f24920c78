// The binary file streams: the container's bytes, header detection, refusals and archives.
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteCompressedZIP.h>
#include <cbfoundation/platform/CArchive.h>

#include "os/streams/FileStreamTestSupport.h"

#include <tuple>

namespace cbf::test {
namespace {

using Writer = OsStreamWriteBinaryFile;

// A container is the header, its method and the payload's length, then the
// zlib stream.
TEST(OsStreamBinaryFileTest, WritesPlainFilesAndContainersByteForByte)
{
    FileSystemSandbox box;
    (void)Writer{box(L"empty"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                 Writer::eCompressionLevelBest};
    EXPECT_EQ(ReadFile(box.Root() / "empty"),
              ContainerHeader(2, 0) + std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

// Values go straight into the buffers of the streams underneath, far past
// their sizes: every value comes back in order, the length field counts the
// plain bytes, and the payload is the zlib writer's stream of them, whatever
// pieces they reached zlib in (the plain mode is read back by the entry tests).
TEST(OsStreamBinaryFileTest, ManySmallValuesComeBackInOrderAndAreCounted)
{
    FileSystemSandbox box;
    constexpr int kRecords = 5000;
    CbStreamWriteBinaryMemory plain;
    {
        Writer out(box(L"values"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                   Writer::eCompressionLevelFastest);
        for (int i = 0; i < kRecords; ++i) {
            out << i << L"wide!";
            plain << i << L"wide!";
        }
    }
    CbStreamWriteBinaryMemory zlib;
    OsStreamWriteCompressedZIP(zlib, OsStreamWriteCompressedZIP::eCompressionLevelFastest)
        .WriteBuffer(plain.GetData(), plain.GetSize());
    EXPECT_TRUE(ReadFile(box.Root() / "values") == ContainerHeader(2, static_cast<unsigned>(plain.GetSize())) +
                                                       TextOf(Bytes(zlib.GetData(), zlib.GetData() + zlib.GetSize())));
    OsStreamReadBinaryFile in(box(L"values"));
    int number = 0;
    CStringW text;
    for (int i = 0; i < kRecords; ++i) {
        in >> number >> text;
        ASSERT_TRUE(number == i && text == CStringW(L"wide!")) << i;
    }
    ExpectFailure([&] { in >> number; }, "CbStreamReadBinary", 155);
}

// A container's header decides how the rest is read; anything else, a short
// header included, is read as it is.
TEST(OsStreamBinaryFileTest, TheHeaderDecidesHowAFileIsRead)
{
    FileSystemSandbox box;
    // The file, its bytes, and the payload read or the line that refuses it.
    const std::tuple<const char*, std::string, std::string, unsigned> cases[] = {
        {"short", ContainerHeader(2, 0).substr(0, 27), ContainerHeader(2, 0).substr(0, 27), 0},
        {"method1", ContainerHeader(1, 0) + "x", "", 164},
        {"method3", ContainerHeader(3, 0) + "x", "", 181},
    };
    for (const auto& [name, content, payload, line] : cases) {
        WriteFile(box.Root() / name, content);
        if (line != 0) {
            ExpectFailure([&] { OsStreamReadBinaryFile in(box(name)); }, "OsStreamReadBinaryFile", line);
            continue;
        }
        OsStreamReadBinaryFile in(box(name));
        std::string got(200, '\0');
        got.resize(in.ReadBuffer(got.data(), got.size()));
        EXPECT_EQ(got, payload) << name;
    }
}

// Each enumeration is checked at its own step: the access mode before the
// file is opened, the compression mode after it is emptied, the level after
// the header is written.
TEST(OsStreamBinaryFileTest, EnumerationsOutsideTheirRangeAreRefusedAtTheirStep)
{
    FileSystemSandbox box;
    // The access mode, compression mode and level; the refusal's line, function and class; the file left.
    const std::tuple<int, int, int, unsigned, const char*, const CbRTTI*, std::string> cases[] = {
        {2, 1, 0, 106, "translateAccessMode", &CbException::RTTI, "old"},
        {0, 2, 0, 129, "translateCompressionMode", &CbException::RTTI, ""},
        {0, 1, 3, 150, nullptr, &CbExceptionPreconditionViolation::RTTI, ContainerHeader(2, 0)},
    };
    for (const auto& [access, mode, level, line, function, type, left] : cases) {
        WriteFile(box.Root() / "refused", "old");
        ExpectThrowsAt(
            [&] {
                Writer out(box(L"refused"), static_cast<Writer::EAccessMode>(access),
                           static_cast<Writer::ECompressionMode>(mode), static_cast<Writer::ECompressionLevel>(level));
            },
            "OsStreamWriteBinaryFile", line, function, type);
        EXPECT_EQ(ReadFile(box.Root() / "refused"), left);
    }
}

// Appending a container starts a new one after what was there.
TEST(OsStreamBinaryFileTest, AppendingAContainerLeavesWhatWasThere)
{
    FileSystemSandbox box;
    WriteFile(box.Root() / "kept", "old");
    Writer(box(L"kept"), Writer::eAccessModeAppend, Writer::eCompressionModeZIP, Writer::eCompressionLevelDefault) << 1;
    const std::string kept = ReadFile(box.Root() / "kept");
    EXPECT_EQ(kept.substr(0, 3 + 28), "old" + ContainerHeader(2, 0));
    EXPECT_EQ(kept.substr(kept.size() - 4), std::string("\x04\x00\x00\x00", 4));
}

TEST(OsStreamBinaryFileTest, ArchivesCarryPlainBytesInTheirDirectionOnly)
{
    FileSystemSandbox box;
    const CStringW path = box(L"archive.bin");
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        ExpectFailure([&] { OsStreamReadBinaryFile in(archive); }, "OsStreamReadBinaryFile", 63);
        Writer out(archive);
        out << 1;
        // What the caller writes to the archive itself keeps its place.
        archive.Write("+", 1);
        out << "narrow";
    }
    EXPECT_EQ(ReadFile(box.Root() / "archive.bin"), std::string("\x01\x00\x00\x00+\x06\x00\x00\x00narrow", 15));
    CFile file(path, CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    ExpectFailure([&] { Writer out(archive); }, "OsStreamWriteBinaryFile", 75);
    OsStreamReadBinaryFile in(archive);
    int value = 0;
    char mark = 0;
    in >> value;
    EXPECT_TRUE(value == 1 && archive.Read(&mark, 1) == 1u && mark == '+');
}

} // namespace
} // namespace cbf::test
