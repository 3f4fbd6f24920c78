// The file streams against what only POSIX systems offer here: a full disk and descriptor counts.
#include <cbfoundation/os/streams/OsStreamReadBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFileRaw.h>

#include "os/streams/FileStreamTestSupport.h"

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
    // A writer refused after its file is open, and one that goes while an
    // exception unwinds.
    const auto open = [](const CStringW& path, int level) {
        Writer out(path, Writer::eAccessModeAppend, Writer::eCompressionModeZIP,
                   static_cast<Writer::ECompressionLevel>(level));
        throw CbExceptionStream(L"unwinding", 1);
    };
    ExpectThrowsAt([&] { open(box(L"level"), 3); }, "OsStreamWriteBinaryFile", 150);
    ExpectFailure([&] { open(L"/dev/full", 0); }, "unwinding", 1);
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
} // namespace cbf::test
