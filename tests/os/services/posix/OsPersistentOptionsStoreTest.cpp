// Tests of the POSIX option store: its file, damaged files, forks and many processes.
#include <cbfoundation/os/services/OsPersistentOptions.h>

#include "os/services/FileSystemTestSupport.h"
#include "os/services/RegistrySandbox.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Options = OsPersistentOptions;
namespace fs = std::filesystem;
using cbf::test::ReadFile;
using cbf::test::WriteFile;
constexpr auto kUser = ePersistentOptionsCategoryCurrentUser;

// How many descriptors of this process are open on `file`.
int OpenHandles(const fs::path& file)
{
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
        count += fs::read_symlink(entry.path(), error) == file ? 1 : 0;
    return count;
}

// Runs every statement of `sql` on a connection of the test's own and
// answers the first column of the first row, "error" when a statement fails.
std::string Query(const std::string& file, const char* sql)
{
    sqlite3* database = nullptr;
    std::string result;
    const auto first = [](void* out, int, char** values, char**) {
        auto& text = *static_cast<std::string*>(out);
        if (text.empty() && values[0] != nullptr)
            text = values[0];
        return 0;
    };
    const bool done = sqlite3_open(file.c_str(), &database) == SQLITE_OK &&
                      sqlite3_exec(database, sql, first, &result, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return done ? result : "error";
}

class OsPersistentOptionsStoreTest : public cbf::test::RegistrySandbox
{
protected:
    void UseFile(const std::string& file) { setenv("CBFOUNDATION_REGISTRY", file.c_str(), 1); }

    // Points the store at a missing file and reads from it, which closes the
    // connection to the current one (and so folds its log into it).
    void UseNoFile()
    {
        UseFile((Folder() / "elsewhere.sqlite3").string());
        ReadInt(Key(), L"n");
    }

    static int ReadInt(const CStringW& key, const CStringW& name)
    {
        int value = -1;
        Options::ReadOption(key, name, value, kUser);
        return value;
    }
};

// The file is the one $CBFOUNDATION_REGISTRY names, else the one below the
// configuration folder; reading creates nothing, the first write creates the
// file (0600) and its missing folders (0700).
TEST_F(OsPersistentOptionsStoreTest, TheFileLivesWhereTheEnvironmentSaysAndAppearsOnTheFirstWrite)
{
    const fs::path home = Folder() / "home";
    const std::string named = (Folder() / "named/deeper/options.db").string();
    const std::string config = (Folder() / "config").string();
    // $CBFOUNDATION_REGISTRY and $XDG_CONFIG_HOME (null: unset), and the file they lead to.
    const std::tuple<const char*, const char*, fs::path> cases[] = {
        {named.c_str(), nullptr, named},
        {nullptr, config.c_str(), Folder() / "config/cbfoundation/registry.sqlite3"},
        {nullptr, nullptr, home / ".config/cbfoundation/registry.sqlite3"},
    };
    for (const auto& [registry, configHome, expected] : cases) {
        SCOPED_TRACE(expected);
        for (const fs::path& folder : {Folder() / "named", Folder() / "config", home})
            fs::remove_all(folder);
        registry ? setenv("CBFOUNDATION_REGISTRY", registry, 1) : unsetenv("CBFOUNDATION_REGISTRY");
        configHome ? setenv("XDG_CONFIG_HOME", configHome, 1) : unsetenv("XDG_CONFIG_HOME");
        EXPECT_TRUE(ReadInt(Key(), L"n") == -1 && !Options::DeleteOption(Key(), L"n", kUser));
        EXPECT_FALSE(fs::exists(expected.parent_path()));
        EXPECT_TRUE(Options::WriteOption(Key(), L"n", 5, kUser) == 1 && ReadInt(Key(), L"n") == 5);
        EXPECT_TRUE(fs::status(expected).permissions() == (fs::perms::owner_read | fs::perms::owner_write) &&
                    fs::status(expected.parent_path()).permissions() == fs::perms::owner_all);
        EXPECT_EQ(Query(expected.string(), "PRAGMA journal_mode"), "wal");
    }
}

// A file that is not a store of ours (damaged, another program's) answers 0
// or false to everything and is never written to; one of a newer schema is
// read but not changed.
TEST_F(OsPersistentOptionsStoreTest, DamagedForeignAndNewerFilesAreNeverChanged)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"n", 5, kUser), 1);
    UseNoFile();
    const std::string ours = ReadFile(File());
    // What the file is, its bytes (empty: ours, changed by the SQL that follows)
    // and whether it can still be read.
    const std::tuple<const char*, std::string, const char*, bool> cases[] = {
        {"garbage", std::string("SQLite format 3\0", 16) + std::string(4080, '\x7f'), nullptr, false},
        {"foreign", "",
         "PRAGMA user_version = 0; DROP TABLE registry_values; DROP TABLE registry_keys; CREATE TABLE other(x)", false},
        {"unversioned", "", "PRAGMA user_version = 0", false},
        {"newer schema", "", "PRAGMA user_version = 2", true},
    };
    for (const auto& [what, bytes, change, readable] : cases) {
        SCOPED_TRACE(what);
        const std::string file = (Folder() / what).string();
        WriteFile(file, bytes.empty() ? ours : bytes);
        ASSERT_TRUE(change == nullptr || Query(file, change).empty());
        const std::string before = ReadFile(file);
        UseFile(file);
        EXPECT_EQ(ReadInt(Key(), L"n"), readable ? 5 : -1);
        EXPECT_EQ(Options::WriteOption(Key(), L"n", 6, kUser) + Options::WriteOption(Key(), L"new", 6, kUser), 0);
        EXPECT_FALSE(Options::DeleteOption(Key(), L"n", kUser));
        UseNoFile();
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_FALSE(fs::exists(file + "-wal") && fs::file_size(file + "-wal") > 0);
    }
}

// A child made by fork uses no connection of its parent's, and its writes
// survive the parent letting go of the file while the child still writes
// (a child that shared its parent's lock state would lose them).
TEST_F(OsPersistentOptionsStoreTest, AForkedChildWritesOnAConnectionOfItsOwn)
{
    ASSERT_EQ(Options::WriteOption(Key(), L"parent", 1, kUser), 1);
    int parentDone[2];
    ASSERT_EQ(pipe(parentDone), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        char done = 0;
        const bool inheritedNone = OpenHandles(File()) == 0;
        const bool first = Options::WriteOption(Key(), L"child", 2, kUser) == 1;
        const bool waited = read(parentDone[0], &done, 1) == 1;
        _exit(inheritedNone && first && waited && Options::WriteOption(Key(), L"child", 3, kUser) == 1 ? 0 : 1);
    }
    // Let the child open the file, then close ours by turning elsewhere.
    while (ReadInt(Key(), L"child") != 2)
        usleep(1000);
    UseNoFile();
    ASSERT_EQ(write(parentDone[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    UseFile(File());
    EXPECT_TRUE(ReadInt(Key(), L"child") == 3 && ReadInt(Key(), L"parent") == 1);
}

// Sixteen processes create the store together (one that opened the file
// while another made its tables took it for a foreign file), then write and
// read options of their own: each write answers 1, each last one stays.
TEST_F(OsPersistentOptionsStoreTest, SixteenProcessesCreateTheStoreAndLoseNothing)
{
    constexpr int kProcesses = 16;
    constexpr int kRounds = 50;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    for (int writer = 0; writer < kProcesses; ++writer) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child != 0)
            continue;
        // Every process waits until all are made: the parent closing the pipe starts them at once.
        char none = 0;
        close(start[1]);
        bool done = read(start[0], &none, 1) == 0;
        const CStringW own(std::to_wstring(writer).c_str());
        for (int counter = 0; done && counter < kRounds; ++counter)
            done = Options::WriteOption(Key(), own, counter, kUser) == 1 && ReadInt(Key(), own) == counter;
        _exit(done ? 0 : 1);
    }
    close(start[1]);
    for (int child = 0; child < kProcesses; ++child) {
        int status = 0;
        ASSERT_NE(wait(&status), -1);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < kProcesses; ++writer)
        EXPECT_EQ(ReadInt(Key(), CStringW(std::to_wstring(writer).c_str())), kRounds - 1) << writer;
}

} // namespace
