// OsFileSystem where POSIX differs from Windows: separators, roots, XDG folders and links.
#include <cbfoundation/os/services/OsFileSystem.h>

#include "os/services/FileSystemTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace fs = std::filesystem;
using cbf::test::ReadFile;
using cbf::test::WideOf;
using cbf::test::WriteFile;
using namespace OsFileSystem;

namespace {

class OsFileSystemPosixTest : public ::testing::Test
{
protected:
    CStringW backslashed(const fs::path& relative) const
    {
        CStringW path = sandbox(relative);
        path.Replace(L'/', L'\\');
        return path;
    }

    cbf::test::FileSystemSandbox sandbox;
};

TEST_F(OsFileSystemPosixTest, EveryFunctionReadsBackslashesAsSlashesAndTheRootIsTheSlash)
{
    CStringW folder, name, extension;
    SplitPath(L"/my.dir\\sub/file.tar.gz", folder, name, extension);
    EXPECT_EQ(folder + L"|" + name + L"|" + extension, L"/my.dir\\sub/|file.tar|gz");
    EXPECT_EQ(InterpretEnvironment(L"\\a\\b/c"), L"/a/b/c");
    EXPECT_TRUE(IsRoot(L"\\") && IsRoot(L"//") && !IsRoot(L"D:\\") && !IsRoot(L"/x") && IsDirectory(L"\\"));

    ASSERT_TRUE(CreateDirectoryW(backslashed("a/b")));
    WriteFile(sandbox.Root() / "a" / "file", "12345");
    EXPECT_TRUE(IsDirectoryEmpty(backslashed("a/b")) && GetFileSize(backslashed("a/file")) == 5);
    EXPECT_TRUE(MoveFileW(backslashed("a/file"), backslashed("d/moved"), true));
    EXPECT_EQ(ReadFile(sandbox.Root() / "d" / "moved"), "12345");
    EXPECT_TRUE(DeleteDirectory(backslashed("a"), false) && !fs::exists(sandbox.Root() / "a"));
}

// The user's folder names come from user-dirs.dirs (quoted, $HOME expanded,
// relative ones ignored).
TEST_F(OsFileSystemPosixTest, WellKnownFoldersFollowTheXdgDirectories)
{
    const CStringW home = sandbox(L"home");
    fs::create_directories(sandbox.Root() / "config");
    WriteFile(sandbox.Root() / "config" / "user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                            "XDG_DOCUMENTS_DIR=\"/srv/docs \\\"shared\\\"\"\n"
                                                            "XDG_PUBLICSHARE_DIR=\"relative/is/ignored\"\n");
    const std::pair<ESpecialDirectory, CStringW> cases[] = {
        {eSpecialDirectoryDesktop, home + L"/Schreibtisch/"},   {eSpecialDirectoryDocuments, L"/srv/docs \"shared\"/"},
        {eSpecialDirectoryLocalAppData, sandbox(L"data/")},     {eSpecialDirectoryRecent, L""}, // no counterpart
        {eSpecialDirectoryCommonDocuments, home + L"/Public/"},
    };
    for (const auto& [directory, folder] : cases)
        EXPECT_EQ(GetDirectory(directory), folder) << directory;
}

TEST_F(OsFileSystemPosixTest, DeletingATreeRemovesLinksButNotWhatTheyPointTo)
{
    fs::create_directories(sandbox.Root() / "outside" / "kept");
    WriteFile(sandbox.Root() / "outside" / "kept" / "file", "x");
    fs::create_directories(sandbox.Root() / "tree" / "sub");
    fs::create_directory_symlink(sandbox.Root() / "outside", sandbox.Root() / "tree" / "sub" / "link");
    fs::create_symlink(sandbox.Root() / "outside" / "kept" / "file", sandbox.Root() / "tree" / "file-link");
    fs::create_directory_symlink(sandbox.Root() / "outside", sandbox.Root() / "top-link");

    // A link given itself, even with a trailing separator, goes as a link.
    EXPECT_TRUE(DeleteDirectory(sandbox(L"tree"), false) && DeleteDirectory(sandbox(L"top-link") + L"/", false));
    EXPECT_FALSE(fs::exists(fs::symlink_status(sandbox.Root() / "tree")) ||
                 fs::exists(fs::symlink_status(sandbox.Root() / "top-link")));
    EXPECT_EQ(ReadFile(sandbox.Root() / "outside" / "kept" / "file"), "x");

    // A path that ends in ".." would name the folder above: nothing goes.
    EXPECT_FALSE(DeleteDirectory(sandbox(L"outside/kept/.."), false) || DeleteDirectory(sandbox(L"outside/."), false));
    EXPECT_EQ(ReadFile(sandbox.Root() / "outside" / "kept" / "file"), "x");
}

} // namespace
