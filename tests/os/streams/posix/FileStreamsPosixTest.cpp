// The file streams against what only POSIX systems offer here: another zlib (Python's), a full disk, descriptor counts.
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/FileStreamTestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace cbf::test {
namespace {

using Writer = OsStreamWriteBinaryFile;

int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Our container reads in Python's zlib, and one Python made reads in ours.
TEST(FileStreamsPosixTest, ContainersTravelBothWaysWithAnotherZlib)
{
    if (std::system("python3 -c 'import zlib' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 with zlib is not installed";
    FileSystemSandbox box;
    {
        Writer out(box(L"ours"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                   Writer::eCompressionLevelBest);
        for (int i = 0; i < 5000; ++i)
            out << i;
    }
    const std::string python =
        "python3 -c \"import sys, zlib; d = open(sys.argv[1], 'rb').read(); "
        "n = lambda v: v.to_bytes(4, 'little'); p = b'theirs' * 1000; "
        "assert zlib.decompress(d[28:]) == b''.join(map(n, range(5000))) and d[24:28] == n(20000); "
        "open(sys.argv[2], 'wb').write(b'C2288012-30BB4396B65' + n(2) + n(len(p)) + "
        "zlib.compress(p, 6))\" " +
        (box.Root() / "ours").string() + " " + (box.Root() / "theirs").string();
    ASSERT_EQ(std::system(python.c_str()), 0);
    OsStreamReadBinaryFile in(box(L"theirs"));
    std::string got(7000, '\0');
    got.resize(in.ReadBuffer(got.data(), got.size()));
    std::string expected;
    for (int i = 0; i < 1000; ++i)
        expected += "theirs";
    EXPECT_EQ(got, expected);
}

// A full disk fails the write that finds it, at the latest the destructor,
// and each failure is reported once.
TEST(FileStreamsPosixTest, AFullDiskFailsAtTheLatestOnDestruction)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // Fewer bytes than the buffer holds: only closing finds out.
    auto raw =
        std::make_unique<OsStreamWriteBinaryFileRaw>(L"/dev/full", OsStreamWriteBinaryFileRaw::eAccessModeAppend);
    *raw << 1;
    ExpectFailure([&] { delete raw.release(); }, "OsStreamWriteBinaryFileRaw", 113);
    // A small container: the header and the end of the zlib stream are still
    // buffered when the destructor moves to the length field.
    const auto container = [] {
        return std::make_unique<Writer>(L"/dev/full", Writer::eAccessModeAppend, Writer::eCompressionModeZIP,
                                        Writer::eCompressionLevelFastest);
    };
    auto small = container();
    *small << 1;
    ExpectFailure([&] { delete small.release(); }, "OsStreamWriteBinaryFile", 250);
    // A large one fails while values are written; its destruction after that
    // reports the file's failure once more and hands nothing on.
    auto large = container();
    ExpectFailure(
        [&] {
            for (unsigned i = 0; i < 1000000; ++i)
                *large << i * 2654435761u;
        },
        "OsStreamWriteBinaryFileRaw", 113);
    ExpectFailure([&] { delete large.release(); }, "OsStreamWriteBinaryFileRaw", 113);
}

// Failures after the file is open close it.
TEST(FileStreamsPosixTest, FailuresLeaveNoDescriptorOpen)
{
    FileSystemSandbox box;
    WriteFile(box.Root() / "method3", ContainerHeader(3, 0));
    const int before = openDescriptors();
    ExpectFailure([&] { OsStreamReadBinaryFile in(box(L"method3")); }, "OsStreamReadBinaryFile", 181);
    ExpectThrowsAt(
        [&] {
            Writer out(box(L"level"), Writer::eAccessModeOverwrite, Writer::eCompressionModeZIP,
                       static_cast<Writer::ECompressionLevel>(3));
        },
        "OsStreamWriteBinaryFile", 150);
    ExpectFailure(
        [&] {
            Writer out(L"/dev/full", Writer::eAccessModeAppend, Writer::eCompressionModeZIP,
                       Writer::eCompressionLevelDefault);
            throw CbExceptionStream(L"unwinding", 1);
        },
        "unwinding", 1);
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
} // namespace cbf::test
