// Tests of CbParameterFile: the layout of every version, the containers, and saving that never half-writes.
#include <cbfoundation/base/exceptions/CbException.h>
#include <cbfoundation/base/exceptions/CbExceptionWrongFileVersion.h>
#include <cbfoundation/entry/CbParameterFile.h>

#include "entry/ParameterFileTestSupport.h"
#include "os/streams/FileStreamTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace cbf::test;

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
        {0, {0, 0, 0, 0}},
        {1, {1, 0, 0, 0}},
        {2, Concat({{2, 0, 0, 0}, GroupSectionBytes(u"g1", u"a")})},
        {3, Concat({{3, 0, 0, 0}, GroupSectionBytes(u"g1", u"a"), ParameterListBytes({u"p"})})},
        {4, Concat({{4, 0, 0, 0},
                    GroupSectionBytes(u"g1", u"a"),
                    GroupSectionBytes(u"g2", u"b"),
                    ParameterListBytes({u"p"})})},
    };
    for (const auto& [version, expected] : cases) {
        SCOPED_TRACE(version);
        CbParameterFile file = SampleFile();
        file.version = version;
        const Bytes bytes =
            Encode([&](CbStreamWrite& stream) { file.Write(static_cast<CbStreamWriteBinary&>(stream)); });
        EXPECT_EQ(bytes, expected);
        const CbParameterFile read = Decode(bytes);
        EXPECT_EQ(read.version, version);
        EXPECT_EQ(Encode([&](CbStreamWrite& stream) { read.Write(static_cast<CbStreamWriteBinary&>(stream)); }), bytes);
    }
}

TEST(CbParameterFileTest, RecordsKeepNameValueNumberAndAShortRecordIsItsStamp)
{
    const Bytes bytes = Concat({{3, 0, 0, 0},
                                {0, 0, 0, 0},
                                {3, 0, 0, 0},
                                RecordBytes(u"Größe \U0001F600", 7),
                                {9, 0, 0, 0},
                                RecordBytes(u"after", 8)});
    const CbParameterFile file = Decode(bytes);
    ASSERT_EQ(file.parameters.size(), 3u);
    EXPECT_EQ(file.parameters[0].name, CStringW(L"Größe \U0001F600"));
    EXPECT_EQ(static_cast<const wchar_t*>(file.parameters[0].value), CStringW(L"Größe \U0001F600 value"));
    EXPECT_EQ(file.parameters[0].loadedValue, file.parameters[0].value);
    EXPECT_EQ(file.parameters[0].number, 7);
    EXPECT_TRUE(file.parameters[1].name.IsEmpty());
    EXPECT_TRUE(file.parameters[1].value.IsNull());
    EXPECT_EQ(file.parameters[1].number, -1);
    EXPECT_EQ(file.parameters[2].number, 8);
}

TEST(CbParameterFileTest, FailuresLeaveTheModelAsItWas)
{
    CbParameterFile file = SampleFile();
    const Bytes truncated = Concat({{3, 0, 0, 0}, {0, 0, 0, 0}, {5, 0, 0, 0}, RecordBytes(u"only", 1)});
    CbStreamReadBinaryMemory shortStream(truncated.data(), truncated.size());
    EXPECT_THROW(file.Read(shortStream), CbExceptionStream);
    const Bytes newer = {5, 0, 0, 0};
    CbStreamReadBinaryMemory newerStream(newer.data(), newer.size());
    EXPECT_THROW(file.Read(newerStream), CbExceptionWrongFileVersion);
    EXPECT_EQ(file.parameters.size(), 1u);
    EXPECT_EQ(file.firstGroups.size(), 1u);

    file.version = 5;
    ExpectFailure([&] { Encode([&](CbStreamWrite& s) { file.Write(static_cast<CbStreamWriteBinary&>(s)); }); },
                  "CbParameterFile", 120);
}

TEST(CbParameterFileTest, SetParameterChangesTheFirstMatchOrAppends)
{
    CbParameterFile file = SampleFile();
    CbVariant value;
    value = 42;
    file.SetParameter(L"p", value);
    file.SetParameter(L"P", value).number = 3;
    ASSERT_EQ(file.parameters.size(), 2u);
    EXPECT_EQ(static_cast<int>(file.parameters[0].value), 42);
    EXPECT_EQ(file.parameters[0].loadedValue, value);
    EXPECT_EQ(file.FindParameter(L"P")->number, 3);
    EXPECT_EQ(file.FindParameter(L"missing"), nullptr);
}

// Every container saves, reports its kind on load and reads as the plain form;
// the older magic reads the same.
TEST(CbParameterFileTest, ContainersSaveAndLoadAlike)
{
    FileSystemSandbox sandbox;
    using F = CbParameterFile;
    const F::Format formats[] = {{F::eContainerPlain, F::eCompressionLevelDefault},
                                 {F::eContainerCompressed, F::eCompressionLevelFastest},
                                 {F::eContainerCompressed, F::eCompressionLevelDefault},
                                 {F::eContainerCompressed, F::eCompressionLevelBest},
                                 {F::eContainerStored, F::eCompressionLevelDefault}};
    const CbParameterFile original = SampleFile();
    const Bytes plain = Encode([&](CbStreamWrite& s) { original.Write(static_cast<CbStreamWriteBinary&>(s)); });
    for (const F::Format& format : formats) {
        SCOPED_TRACE(format.container * 10 + format.level);
        const CStringW path = sandbox(L"sub/dir/file.par");
        original.Save(path, format);
        F::Format found;
        const CbParameterFile loaded = F::Load(path, &found);
        EXPECT_EQ(found.container, format.container);
        EXPECT_EQ(found.level, format.level);
        EXPECT_EQ(Encode([&](CbStreamWrite& s) { loaded.Write(static_cast<CbStreamWriteBinary&>(s)); }), plain);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Root() / "sub/dir"), {}), 1);
    }
    WriteFile(sandbox.Root() / "old.par",
              ContainerHeader(0, static_cast<unsigned>(plain.size()), "Varok AG, 2005, comp") + TextOf(plain));
    F::Format found;
    const CbParameterFile old = F::Load(sandbox(L"old.par"), &found);
    EXPECT_EQ(found.container, F::eContainerStored);
    EXPECT_EQ(old.parameters.size(), 1u);
}

TEST(CbParameterFileTest, AFailedSaveLeavesTheTargetAndNoOtherFile)
{
    FileSystemSandbox sandbox;
    WriteFile(sandbox.Root() / "keep.par", "old content");
    CbParameterFile file = SampleFile();
    CbException object("Somewhere.cpp", 1, "somewhere");
    file.parameters.emplace_back(L"object", CbVariant(), false, 0).value = static_cast<const IObject&>(object);
    const CbParameterFile::Format formats[] = {{CbParameterFile::eContainerPlain, {}},
                                               {CbParameterFile::eContainerCompressed, {}}};
    for (const auto& format : formats) {
        EXPECT_THROW(file.Save(sandbox(L"keep.par"), format), CbException);
        EXPECT_EQ(ReadFile(sandbox.Root() / "keep.par"), "old content");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sandbox.Root()), {}), 3); // tmp, home, keep.par
    }
    ExpectFailure(
        [&] {
            file.Save(sandbox(L"keep.par"), {static_cast<CbParameterFile::EContainer>(3), {}});
        },
        "CbParameterFile", 190);
    ExpectFailure([&] { SampleFile().Save(sandbox(L"keep.par/x.par")); }, "CbParameterFile", 160);
}

} // namespace
