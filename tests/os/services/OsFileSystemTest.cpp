// OsFileSystem on every system: path texts, expansion, the development folder and file actions.
#include <cbfoundation/os/services/OsFileSystem.h>
#include <cbfoundation/os/services/OsPersistentOptions.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;
using cbf::test::kSeparator;
using cbf::test::ReadFile;
using cbf::test::WideOf;
using cbf::test::WriteFile;
using namespace OsFileSystem;

namespace {

// The text with every '|' turned into the native separator.
CStringW native(const wchar_t* text)
{
    CStringW path(text);
    path.Replace(L'|', kSeparator);
    return path;
}

class OsFileSystemTest : public ::testing::Test
{
protected:
    cbf::test::FileSystemSandbox sandbox;
};

// SplitPath cuts at the last backslash and the last dot after it; GetFolder
// cuts the same way, and at slashes too.
TEST(OsFileSystemTextTest, SplittingAtTheLastBackslashAndTheLastDotAfterIt)
{
    // The path, then its folder, name and extension.
    using Text = const wchar_t*;
    const std::tuple<Text, Text, Text, Text> cases[] = {
        {L"D:\\dir\\file.txt", L"D:\\dir\\", L"file", L"txt"},
        {L"D:\\my.dir\\file", L"D:\\my.dir\\", L"file", L""},
        {L"D:\\dir\\.profile", L"D:\\dir\\", L"", L"profile"},
        {L"", L"", L"", L""},
    };
    for (const auto& [path, folder, name, extension] : cases) {
        CStringW parts[3] = {L"stale", L"stale", L"stale"};
        SplitPath(path, parts[0], parts[1], parts[2]);
        EXPECT_TRUE(parts[0] == folder && parts[1] == name && parts[2] == extension) << path;
        EXPECT_EQ(GetFolder(path), folder);
    }
    EXPECT_TRUE(GetFolder(L"D:/dir/file") == L"D:/dir/" && GetFolder(L"D:/dir/") == L"D:/dir/");
}

TEST_F(OsFileSystemTest, ExpansionOfReferences)
{
    sandbox.Set(L"CBF_FOLDER", L"T");
    sandbox.Set(L"CBF_SELF", L"%CBF_SELF%a");
    sandbox.Set(L"CBF_UNSET", nullptr);
    const std::pair<const wchar_t*, CStringW> cases[] = {
        {L"%CBF_FOLDER%/x\\y", native(L"T|x|y")},
        {L"%CBF_UNSET%x%CBF_FOLDER%", L"%CBF_UNSET%xT"},
        {L"100%%CBF_FOLDER%.%", L"100%T.%"},
        {L"%EXECUTABLE%data.bin", GetDirectory(eSpecialDirectoryExecutable) + L"data.bin"},
        // A value that refers to itself is inserted a bounded number of times.
        {L"%CBF_SELF%", L"%CBF_SELF%" + CStringW(L'a', kMaxEnvironmentReferences)},
    };
    for (const auto& [path, expanded] : cases)
        EXPECT_EQ(InterpretEnvironment(path), expanded) << path;
}

TEST_F(OsFileSystemTest, TheDevelopmentFolderIsTheStoredOneWhenThereIsOne)
{
    const auto write = [](const CStringW& folder) {
        return OsPersistentOptions::WriteOption(L"Software\\Morvane\\Settings", L"Development", folder,
                                                ePersistentOptionsCategoryCurrentUser);
    };
    // Stored with backslashes, which every system reads as separators.
    CStringW stored = sandbox(L"dev|a|..|b");
    stored.Replace(L'/', L'\\');
    stored.Replace(L'|', L'\\');
    ASSERT_EQ(write(stored), 1);
    EXPECT_EQ(GetDirectory(eSpecialDirectoryDevelopment), sandbox(L"dev") + native(L"|b|"));
    // More than 260 characters is no folder the options can name.
    ASSERT_EQ(write(sandbox() + CStringW(L'd', 260)), 1);
    EXPECT_EQ(GetDirectory(eSpecialDirectoryDevelopment), sandbox(L"tmp") + native(L"|Development|"));
}

// Every missing level is created, names beyond ASCII included; a file in the
// way fails.
TEST_F(OsFileSystemTest, CreatingEveryMissingLevel)
{
    const fs::path deepest = sandbox.Root() / "a" / "b c" / u8"\u00fcber";
    EXPECT_TRUE(CreateDirectoryW(WideOf(deepest) + kSeparator) && fs::is_directory(deepest) &&
                CreateDirectoryW(WideOf(deepest)));
    WriteFile(sandbox.Root() / "file", "x");
    EXPECT_FALSE(CreateDirectoryW(sandbox(L"file")) || CreateDirectoryW(sandbox(L"file") + native(L"|b|c")));
}

// An empty path, one with a NUL inside and one below a missing folder name
// nothing: every question answers no, every action fails and creates nothing.
TEST_F(OsFileSystemTest, PathsThatNameNothing)
{
    WriteFile(sandbox.Root() / "file", "12345");
    const CStringW nul = CStringW(L"\0x", 2);
    for (const CStringW& path : {CStringW(), sandbox(L"file") + nul, sandbox(L"missing") + native(L"|file")}) {
        SCOPED_TRACE(CStringA(path).GetString());
        CbDateTime time;
        EXPECT_FALSE(Exists(path) || IsDirectory(path) || IsDirectoryEmpty(path) ||
                     ReadFileModificationTime(path, time) || GetFileSize(path) != 0 || DeleteFileW(path) ||
                     DeleteDirectory(path, false) || CopyFileW(path, sandbox(L"copy"), false) ||
                     MoveFileW(path, sandbox(L"moved"), false));
    }
    EXPECT_FALSE(CreateDirectoryW(CStringW()) || CreateDirectoryW(sandbox(L"dir") + nul) ||
                 CopyFileW(sandbox(L"file"), sandbox(L"copy") + nul, false));
    EXPECT_FALSE(fs::exists(sandbox.Root() / "copy") || fs::exists(sandbox.Root() / "moved") ||
                 fs::exists(sandbox.Root() / "dir"));
}

// A whole tree goes, or only an empty folder when asked; never the current
// or a relative one, nor a folder as a file. Links in the tree and ".." at
// the end are the POSIX tests' part.
TEST_F(OsFileSystemTest, DeletingDirectories)
{
    fs::create_directories(sandbox.Root() / "tree" / "leaf");
    fs::create_directories(sandbox.Root() / "empty");
    WriteFile(sandbox.Root() / "tree" / "file", "x");
    EXPECT_FALSE(DeleteDirectory(L".", false) || DeleteDirectory(native(L"..|x"), false));
    EXPECT_FALSE(DeleteDirectory(sandbox(L"tree"), true) || IsDirectoryEmpty(sandbox(L"tree")) ||
                 !IsDirectoryEmpty(sandbox(L"empty")));
    EXPECT_TRUE(DeleteDirectory(sandbox(L"empty"), true) && DeleteDirectory(sandbox(L"tree"), false));
    EXPECT_FALSE(fs::exists(sandbox.Root() / "tree") || fs::exists(sandbox.Root() / "empty"));
    EXPECT_FALSE(DeleteDirectory(sandbox(L"tree"), false) || DeleteFileW(sandbox(L"tmp")));
}

// Copies and moves create the destination's folders, keep the modification
// time, and replace an existing file only when told to.
TEST_F(OsFileSystemTest, CopyingAndMovingCreateFoldersAndRespectFailIfExists)
{
    const fs::path source = sandbox.Root() / "source";
    WriteFile(source, "new");
    fs::last_write_time(source, fs::file_time_type::clock::now() - std::chrono::hours(48));
    const fs::path copyPath = sandbox.Root() / "a" / "b c" / u8"\u00e9t\u00e9.txt";
    const CStringW copy = WideOf(copyPath);
    ASSERT_TRUE(CopyFileW(sandbox(L"source"), copy, true));
    const CbDateTime aDayAgo(static_cast<unsigned __int64>(CbDateTime()) - 24 * 3600 * cbf::platform::kTicksPerSecond);
    CbDateTime modified;
    EXPECT_TRUE(ReadFileModificationTime(copy, modified) && modified < aDayAgo);
    EXPECT_FALSE(CopyFileW(sandbox(L"a"), sandbox(L"copied folder"), false));
    // Copy and move alike: refused over an existing file when told, then done.
    for (const auto action : {&OsFileSystem::CopyFileW, &OsFileSystem::MoveFileW}) {
        WriteFile(copyPath, "old");
        EXPECT_FALSE(action(sandbox(L"source"), copy, true) || ReadFile(copyPath) != "old");
        EXPECT_TRUE(action(sandbox(L"source"), copy, false) && ReadFile(copyPath) == "new");
    }
    EXPECT_FALSE(fs::exists(source));
    EXPECT_TRUE(MoveFileW(sandbox(L"a"), sandbox(L"x") + native(L"|y|moved"), true));
    EXPECT_EQ(ReadFile(sandbox.Root() / "x" / "y" / "moved" / "b c" / u8"\u00e9t\u00e9.txt"), "new");
}

} // namespace
