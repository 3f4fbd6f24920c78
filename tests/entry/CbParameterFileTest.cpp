// Tests of CbParameterFile: the layout of every version, the containers, and saving that never half-writes.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/entry/CbParameterFile.h>

#include "entry/ParameterFileTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace cbf::test;
using F = CbParameterFile;

Bytes BytesOf(const CbParameterFile& file)
{
    return Encode([&](CbStreamWrite& stream) { file.Write(static_cast<CbStreamWriteBinary&>(stream)); });
}

CbParameterFile Decode(const Bytes& bytes)
{
    CbStreamReadBinaryMemory stream(bytes.data(), bytes.size());
    CbParameterFile file;
    file.Read(stream);
    return file;
}

// The layout of each version keeps exactly the sections it admits, and reads
// back to the same bytes.
TEST(CbParameterFileTest, EachVersionWritesItsSectionsAndReadsThemBack)
{
    const struct
    {
        unsigned version;
        Bytes expected;
    } cases[] = {
        {0, Le32(0)},
        {2, Concat({Le32(2), GroupSectionBytes(u"g1", u"a")})},
        {3, Concat({Le32(3), GroupSectionBytes(u"g1", u"a"), Le32(1), RecordBytes(u"p", 0)})},
        {4, Concat({Le32(4), GroupSectionBytes(u"g1", u"a"), GroupSectionBytes(u"g2", u"b"), Le32(1),
                    RecordBytes(u"p", 0)})},
    };
    for (const auto& [version, expected] : cases) {
        SCOPED_TRACE(version);
        CbParameterFile file = SampleFile();
        file.version = version;
        EXPECT_EQ(BytesOf(file), expected);
        const CbParameterFile read = Decode(expected);
        EXPECT_EQ(read.version, version);
        EXPECT_EQ(BytesOf(read), expected);
    }
}

TEST(CbParameterFileTest, RecordsKeepNameValueNumberAndAShortRecordIsItsStamp)
{
    const auto parameters =
        Decode(Concat({Le32(3), Le32(0), Le32(3), RecordBytes(u"a", 7), Le32(9), RecordBytes(u"b", 8)})).parameters;
    ASSERT_EQ(parameters.size(), 3u);
    EXPECT_EQ(parameters[0].loadedValue, parameters[0].value);
    EXPECT_TRUE(parameters[1].name.IsEmpty() && parameters[1].value.IsNull());
    EXPECT_EQ((std::vector<int>{parameters[0].number, parameters[1].number, parameters[2].number}),
              (std::vector<int>{7, -1, 8}));
}

TEST(CbParameterFileTest, FailuresLeaveTheModelAsItWas)
{
    CbParameterFile file = SampleFile();
    const Bytes truncated = Concat({Le32(3), Le32(0), Le32(5), RecordBytes(u"only", 1)});
    CbStreamReadBinaryMemory shortStream(truncated.data(), truncated.size());
    EXPECT_THROW(file.Read(shortStream), CbExceptionStream);
    const Bytes newer = Le32(5);
    CbStreamReadBinaryMemory newerStream(newer.data(), newer.size());
    EXPECT_THROW(file.Read(newerStream), CbExceptionWrongFileVersion);
    EXPECT_EQ(file.parameters.size(), 1u);
    EXPECT_EQ(file.firstGroups.size(), 1u);

    file.version = 5;
    ExpectFailure([&] { BytesOf(file); }, "CbParameterFile", 120);
}

// Every container saves, reports its kind on load and reads as the plain form;
// the older magic reads the same.
TEST(CbParameterFileTest, ContainersSaveAndLoadAlike)
{
    FileSystemSandbox sandbox;
    const F::Format formats[] = {{F::eContainerPlain, F::eCompressionLevelDefault},
                                 {F::eContainerCompressed, F::eCompressionLevelBest},
                                 {F::eContainerStored, F::eCompressionLevelDefault}};
    const CbParameterFile original = SampleFile();
    const Bytes plain = BytesOf(original);
    for (const F::Format& format : formats) {
        SCOPED_TRACE(format.container * 10 + format.level);
        const CStringW path = sandbox(std::filesystem::path(L"sub") / L"dir" / L"file.par");
        original.Save(path, format);
        F::Format found;
        EXPECT_EQ(BytesOf(F::Load(path, &found)), plain);
        EXPECT_EQ(found.container * 10 + found.level, format.container * 10 + format.level);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Root() / "sub/dir"), {}), 1);
    }
    WriteFile(sandbox.Root() / "old.par",
              ContainerHeader(0, static_cast<unsigned>(plain.size()), "Varok AG, 2005, comp") + TextOf(plain));
    F::Format found;
    EXPECT_EQ(BytesOf(F::Load(sandbox(L"old.par"), &found)), plain);
    EXPECT_EQ(found.container, F::eContainerStored);
}

TEST(CbParameterFileTest, AFailedSaveLeavesTheTargetAndNoOtherFile)
{
    FileSystemSandbox sandbox;
    WriteFile(sandbox.Root() / "keep.par", "old content");
    CbParameterFile file = SampleFile();
    CbException object("Somewhere.cpp", 1, "somewhere");
    file.parameters.emplace_back(L"object", CbVariant(), false, 0).value = static_cast<const IObject&>(object);
    for (const F::Format& format : {F::Format{F::eContainerPlain, {}}, F::Format{F::eContainerCompressed, {}}}) {
        EXPECT_THROW(file.Save(sandbox(L"keep.par"), format), CbException);
        EXPECT_EQ(ReadFile(sandbox.Root() / "keep.par"), "old content");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Root()), {}), 3); // tmp, home, keep.par
    }
    const F::Format unknown{static_cast<F::EContainer>(3), {}};
    ExpectFailure([&] { file.Save(sandbox(L"keep.par"), unknown); }, "CbParameterFile", 190);
    ExpectFailure([&] { SampleFile().Save(sandbox(L"keep.par/x.par")); }, "CbParameterFile", 160);
}

} // namespace
