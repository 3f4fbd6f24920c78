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

// A container is the header, its method and the payload's length (0 until
// the writer goes), then the zlib stream.
TEST(OsStreamBinaryFileTest, WritesPlainFilesAndContainersByteForByte)
{
    FileSystemSandbox box;
    (void)Writer{box(L"empty"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                 Writer::eCompressionLevelBest};
    EXPECT_EQ(ReadFile(box.Root() / "empty"),
              ContainerHeader(2, 0) + std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
    {
        Writer out(box(L"hundred"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                   Writer::eCompressionLevelDefault);
        const Bytes data(100, 0x42);
        out.WriteBuffer(data.data(), data.size());
        const std::string early = ReadFile(box.Root() / "hundred");
        EXPECT_TRUE(early.size() < 28 || early.substr(24, 4) == std::string(4, '\0'));
    }
    EXPECT_EQ(ReadFile(box.Root() / "hundred").substr(0, 30), ContainerHeader(2, 100) + "\x78\x9C");
}

// Values go straight into the buffers of the streams underneath, far past
// their sizes: every value comes back in order, the length field counts the
// bytes stored that way, and the payload is the zlib writer's stream of the
// plain bytes, whatever pieces they reached zlib in.
TEST(OsStreamBinaryFileTest, ManySmallValuesComeBackInOrderAndAreCounted)
{
    FileSystemSandbox box;
    constexpr int kRecords = 5000;
    constexpr unsigned kBytes = kRecords * (4 + 4 + 2 * 5);
    std::string plain;
    for (const auto mode : {Writer::eCompressionModeNone, Writer::eCompressionModeZIP}) {
        {
            Writer out(box(L"values"), Writer::eAccessModeOverwrite, mode, Writer::eCompressionLevelFastest);
            for (int i = 0; i < kRecords; ++i)
                out << i << L"wide!";
        }
        const std::string file = ReadFile(box.Root() / "values");
        if (mode == Writer::eCompressionModeNone) {
            EXPECT_EQ(file.size(), kBytes);
            plain = file;
        } else {
            EXPECT_EQ(file.substr(0, 28), ContainerHeader(2, kBytes));
            CbStreamWriteBinaryMemory expected;
            OsStreamWriteCompressedZIP(expected, OsStreamWriteCompressedZIP::eCompressionLevelFastest)
                .WriteBuffer(plain.data(), plain.size());
            EXPECT_TRUE(file.substr(28) == std::string(reinterpret_cast<const char*>(expected.GetData()),
                                                       static_cast<std::size_t>(expected.GetSize())));
        }
        OsStreamReadBinaryFile in(box(L"values"));
        int number = 0;
        CStringW text;
        for (int i = 0; i < kRecords; ++i) {
            in >> number >> text;
            ASSERT_TRUE(number == i && text == CStringW(L"wide!")) << i;
        }
        ExpectFailure([&] { in >> number; }, "CbStreamReadBinary", 155);
    }
}

// A container's header decides how the rest is read; anything else, a short
// header included, is read as it is.
TEST(OsStreamBinaryFileTest, TheHeaderDecidesHowAFileIsRead)
{
    FileSystemSandbox box;
    const std::string header = ContainerHeader(2, 0);
    // The file, its bytes, and the payload read or the line that refuses it.
    const std::tuple<const char*, std::string, std::string, unsigned> cases[] = {
        {"short", header.substr(0, 27), header.substr(0, 27), 0},
        {"zlib", header + std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8) + "ignored", "", 0},
        {"method1", ContainerHeader(1, 0) + "x", "", 164},
        {"method3", ContainerHeader(3, 0) + "x", "", 181},
    };
    for (const auto& [name, content, payload, line] : cases) {
        SCOPED_TRACE(name);
        WriteFile(box.Root() / name, content);
        if (line != 0) {
            ExpectFailure([&] { OsStreamReadBinaryFile in(box(name)); }, "OsStreamReadBinaryFile", line);
            continue;
        }
        OsStreamReadBinaryFile in(box(name));
        std::string got(200, '\0');
        got.resize(in.ReadBuffer(got.data(), got.size()));
        EXPECT_EQ(got, payload);
    }
}

// Each enumeration is checked at its own step: the access mode before the
// file is opened, the compression mode after it is emptied, the level after
// the header is written.
TEST(OsStreamBinaryFileTest, EnumerationsOutsideTheirRangeAreRefusedAtTheirStep)
{
    FileSystemSandbox box;
    const auto path = box.Root() / "refused";
    const auto open = [&](Writer::EAccessMode a, Writer::ECompressionMode m, Writer::ECompressionLevel l) {
        return [&, a, m, l] { Writer out(WideOf(path), a, m, l); };
    };
    ExpectThrowsAt(
        open(static_cast<Writer::EAccessMode>(2), Writer::eCompressionModeZIP, Writer::eCompressionLevelDefault),
        "OsStreamWriteBinaryFile", 106, "translateAccessMode", &CbException::RTTI);
    EXPECT_FALSE(std::filesystem::exists(path));
    WriteFile(path, "old content");
    ExpectThrowsAt(
        open(Writer::eAccessModeOverwrite, static_cast<Writer::ECompressionMode>(2), Writer::eCompressionLevelDefault),
        "OsStreamWriteBinaryFile", 129, "translateCompressionMode", &CbException::RTTI);
    EXPECT_EQ(ReadFile(path), "");
    ExpectThrowsAt(
        open(Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP, static_cast<Writer::ECompressionLevel>(3)),
        "OsStreamWriteBinaryFile", 150, nullptr, &CbExceptionPreconditionViolation::RTTI);
    EXPECT_EQ(ReadFile(path), ContainerHeader(2, 0));
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
    CStringA text;
    in >> value;
    EXPECT_TRUE(archive.Read(&mark, 1) == 1u && mark == '+');
    in >> text;
    EXPECT_TRUE(value == 1 && text == CStringA("narrow"));
}

} // namespace
} // namespace cbf::test
