// Tests of GetExternalDataPath: the layout's edge cases, in every container, and the status words.
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include "entry/ParameterFileTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using namespace cbf::test;

const Answer kFound{0, u"ExternalDataPath value"};
const Answer kUnknown{1, u""};

// A version-3 file without groups whose list declares `count` records.
Bytes List(std::uint32_t count, std::initializer_list<Bytes> records)
{
    return Concat({Le32(3), Le32(0), Le32(count), Concat(records)});
}

// Each layout reads the same plain and zlib-compressed, whose stream hands the
// window other chunks; the file stream's own tests cover the other containers.
TEST(GetExternalDataPathTest, AnswersEachLayoutAlikeInEveryContainer)
{
    const Bytes match = RecordBytes(u"ExternalDataPath", 0);
    const Bytes inGroup = GroupSectionBytes(u"g", u"ExternalDataPath");
    const struct
    {
        const char* name;
        Bytes file;
        Answer expected;
    } cases[] = {
        {"second record, the rest never read", List(5, {RecordBytes(u"first", 0), match, {0xAB}}), kFound},
        {"version 5", Concat({Le32(5), Le32(0), Le32(1), match}), kUnknown},
        {"in a group and in the list: the list's",
         Concat({Le32(4), inGroup, inGroup, Le32(1), RecordBytes(u"ExternalDataPath", u"list", 0)}),
         {0, u"list"}},
        {"other case, longer and shorter names",
         List(3, {RecordBytes(u"externaldatapath", 0), RecordBytes(u"ExternalDataPath2", 0),
                  RecordBytes(u"ExternalDataPat", 0)}),
         kUnknown},
        {"ends inside the list", List(2, {RecordBytes(u"a", 0), {1, 0}}), kUnknown},
        {"a record of stamp 2 is 4 bytes", List(2, {Le32(2), match}), kFound},
        {"values of every kind before the match",
         List(9, {VariantRecordBytes(u"null", Le32(0)), VariantRecordBytes(u"short", Concat({Le32(14), {1, 2}})),
                  VariantRecordBytes(u"narrow", Concat({Le32(18), Le32(3), {'a', 'b', 'c'}})),
                  VariantRecordBytes(u"bytes", Concat({Le32(9), Le32(0xFFFFFFFF), Le32(1), Le32(2), Le32(1), {7, 8}})),
                  VariantRecordBytes(u"old bytes", Concat({Le32(9), Le32(2), Le32(1), {7, 8}})),
                  VariantRecordBytes(u"date", Concat({Le32(10), WideBytes(u"2024-01-31 23:59:07")})),
                  VariantRecordBytes(u"bad date", Concat({Le32(10), WideBytes(u"yesterday")})),
                  VariantRecordBytes(u"uint64", Concat({Le32(16), Le32(1), Le32(2)})), match}),
         kFound},
        {"a value of type 11", List(2, {VariantRecordBytes(u"v", Le32(11)), match}), kUnknown},
        {"a name whose length claims 2^40 code units",
         List(1, {Le32(1), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0}}),
         kUnknown},
    };
    FileSystemSandbox sandbox;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        WriteFile(sandbox.Root() / "plain.par", TextOf(test.file));
        {
            OsStreamWriteBinaryFile zip(sandbox(L"zip.par"), OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                        OsStreamWriteBinaryFile::eCompressionModeZIP,
                                        OsStreamWriteBinaryFile::eCompressionLevelDefault);
            zip.WriteBuffer(test.file.data(), test.file.size());
        }
        const auto started = std::chrono::steady_clock::now();
        for (const char* file : {"plain.par", "zip.par"})
            EXPECT_EQ(CallGetExternalDataPath(sandbox.Root() / file), test.expected) << file;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
}

TEST(GetExternalDataPathTest, TellsAMissingPathFromOtherFailures)
{
    FileSystemSandbox sandbox;
    EXPECT_EQ(CallGetExternalDataPath(sandbox.Root() / "missing.par"), Answer(ERROR_FILENOTFOUND, u""));
    EXPECT_EQ(CallGetExternalDataPath(sandbox.Root() / "tmp"), kUnknown); // a folder exists but is no file
    const std::filesystem::path accented = sandbox.Root() / std::filesystem::path(u8"r\u00e9sum\u00e9.par");
    WriteFile(accented, TextOf(Concat({Le32(3), Le32(0), Le32(1), RecordBytes(u"ExternalDataPath", 0)})));
    EXPECT_EQ(CallGetExternalDataPath(accented), kFound);
}

} // namespace
