// Tests of GetExternalDataPath: the layout's edge cases, in every container, and the status words.
#include <cbfoundation/entry/GetExternalDataPath.h>
#include <cbfoundation/os/streams/OsStreamWriteBinaryFile.h>

#include "entry/ParameterFileTestSupport.h"
#include "os/streams/FileStreamTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using namespace cbf::test;

struct Answer
{
    std::uint32_t status;
    std::u16string text;
    bool operator==(const Answer&) const = default;
};

void PrintTo(const Answer& answer, std::ostream* out)
{
    *out << "status " << answer.status << ", " << answer.text.size() << " code units";
}

Answer Call(const std::filesystem::path& path)
{
    std::uint32_t status = 99;
    const BSTR result = GetExternalDataPath(path.string().c_str(), &status);
    EXPECT_NE(result, nullptr);
    Answer answer{status, std::u16string(reinterpret_cast<const char16_t*>(result), SysStringLen(result))};
    SysFreeString(result);
    return answer;
}

// A wide string whose length field claims 2^40 code units.
Bytes HugeWideBytes()
{
    return Concat({{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0, 0, 1, 0, 0}});
}

const Answer kFound{0, u"ExternalDataPath value"};
const Answer kUnknown{1, u""};

struct Case
{
    const char* name;
    Bytes file;
    Answer expected;
};

// The layouts GetExternalDataPath must walk, and what it answers for each.
std::vector<Case> Cases()
{
    const Bytes noGroups = Le32(0);
    return {
        {"second record of version 3, the rest never read",
         Concat({Le32(3), noGroups, Le32(5), RecordBytes(u"first", 0), RecordBytes(u"ExternalDataPath", 1), {0xAB}}),
         kFound},
        {"version 5", Concat({Le32(5), noGroups, Le32(1), RecordBytes(u"ExternalDataPath", 1)}), kUnknown},
        {"only in the second group section",
         Concat({Le32(4), noGroups, GroupSectionBytes(u"g", u"ExternalDataPath"), Le32(1), RecordBytes(u"x", 0)}),
         kUnknown},
        {"in a group and in the list: the list's",
         Concat({Le32(4), GroupSectionBytes(u"g", u"ExternalDataPath"), GroupSectionBytes(u"h", u"ExternalDataPath"),
                 Le32(1), RecordBytes(u"ExternalDataPath", u"list", 0)}),
         {0, u"list"}},
        {"other case", Concat({Le32(3), noGroups, Le32(1), RecordBytes(u"externaldatapath", 0)}), kUnknown},
        {"longer name", Concat({Le32(3), noGroups, Le32(1), RecordBytes(u"ExternalDataPath2", 0)}), kUnknown},
        {"shorter name", Concat({Le32(3), noGroups, Le32(1), RecordBytes(u"ExternalDataPat", 0)}), kUnknown},
        {"a name cut at its NUL",
         Concat({Le32(3), noGroups, Le32(1), RecordBytes(std::u16string(u"ExternalDataPath\0x", 18), 0)}),
         {0, u"ExternalDataPath"}}, // the value is cut at its NUL too
        {"an int value", Concat({Le32(3), noGroups, Le32(1), IntRecordBytes(u"ExternalDataPath", 7)}), kUnknown},
        {"version 2 with the record in a group", Concat({Le32(2), GroupSectionBytes(u"g", u"ExternalDataPath")}),
         kUnknown},
        {"ends inside the list", Concat({Le32(3), noGroups, Le32(2), RecordBytes(u"a", 0), {1, 0}}), kUnknown},
        {"empty file", {}, kUnknown},
        {"negative group count", Concat({Le32(3), Le32(0xFFFFFFFF), Le32(1), RecordBytes(u"ExternalDataPath", 0)}),
         kFound},
        {"a record of stamp 2 takes no name from a group",
         Concat({Le32(4), GroupSectionBytes(u"g", u"ExternalDataPath"), noGroups, Le32(1), Le32(2)}), kUnknown},
        {"a record of stamp 2 is 4 bytes",
         Concat({Le32(3), noGroups, Le32(2), Le32(2), RecordBytes(u"ExternalDataPath", 0)}), kFound},
        {"non-BMP text",
         Concat({Le32(3), noGroups, Le32(1), RecordBytes(u"ExternalDataPath", u"\u00e9\U0001F600", 0)}),
         {0, u"\u00e9\U0001F600"}},
        {"4294967295 records declared", Concat({Le32(3), noGroups, Le32(0xFFFFFFFF), RecordBytes(u"a", 0)}), kUnknown},
        {"a group declaring 4294967295 records",
         Concat({Le32(3), Le32(1), WideBytes(u"g"), Le32(0xFFFFFFFF), RecordBytes(u"a", 0)}), kUnknown},
        {"a name of 2^40 code units", Concat({Le32(3), noGroups, Le32(1), Le32(1), HugeWideBytes()}), kUnknown},
    };
}

// Each layout reads the same plain, zlib-compressed, stored, and stored
// behind the older magic.
TEST(GetExternalDataPathTest, AnswersEachLayoutAlikeInEveryContainer)
{
    FileSystemSandbox sandbox;
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.name);
        const std::string bytes = TextOf(test.file);
        WriteFile(sandbox.Root() / "plain.par", bytes);
        WriteFile(sandbox.Root() / "stored.par", ContainerHeader(0, static_cast<unsigned>(bytes.size())) + bytes);
        WriteFile(sandbox.Root() / "old.par",
                  ContainerHeader(0, static_cast<unsigned>(bytes.size()), "Varok AG, 2005, comp") + bytes);
        {
            OsStreamWriteBinaryFile zip(sandbox(L"zip.par"), OsStreamWriteBinaryFile::eAccessModeOverwrite,
                                        OsStreamWriteBinaryFile::eCompressionModeZIP,
                                        OsStreamWriteBinaryFile::eCompressionLevelDefault);
            zip.WriteBuffer(test.file.data(), test.file.size());
        }
        const auto started = std::chrono::steady_clock::now();
        for (const char* file : {"plain.par", "stored.par", "old.par", "zip.par"})
            EXPECT_EQ(Call(sandbox.Root() / file), test.expected) << file;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
}

TEST(GetExternalDataPathTest, TellsAMissingPathFromOtherFailures)
{
    FileSystemSandbox sandbox;
    EXPECT_EQ(Call(sandbox.Root() / "missing.par"), (Answer{2, u""}));
    EXPECT_EQ(Call(sandbox.Root() / "tmp"), kUnknown); // a folder exists but is no file
    const std::filesystem::path accented = sandbox.Root() / std::filesystem::path(u8"r\u00e9sum\u00e9.par");
    WriteFile(accented, TextOf(Concat({Le32(3), Le32(0), Le32(1), RecordBytes(u"ExternalDataPath", 0)})));
    EXPECT_EQ(Call(accented), kFound);
}

TEST(GetExternalDataPathTest, ExportsItsStatusWords)
{
    EXPECT_EQ(OK, 0u);
    EXPECT_EQ(ERROR_UNKNOWN, 1u);
    EXPECT_EQ(ERROR_FILENOTFOUND, 2u);
}

} // namespace
