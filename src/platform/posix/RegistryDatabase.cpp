// RegistryDatabase: one SQLite connection per process, opened on first use, over the registry file.

#include "RegistryDatabase.h"

#include <cbfoundation/platform/Utf16.h>

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cbf::platform::registry {
namespace {

// Long enough for a crowd of processes writing at once to take turns; a
// single transaction holds the lock for microseconds.
constexpr int kBusyTimeoutMilliseconds = 10000;

// Keys are rows of their own, one per level of a path, so that writing a
// value below a missing key creates every key above it, as the registry
// does. Names are compared through their folded form; the form as given is
// kept beside it.
constexpr const char* kSchema = "CREATE TABLE registry_keys("
                                "  id INTEGER PRIMARY KEY,"
                                "  root INTEGER NOT NULL,"
                                "  folded BLOB NOT NULL,"
                                "  path BLOB NOT NULL,"
                                "  UNIQUE (root, folded));"
                                "CREATE TABLE registry_values("
                                "  key INTEGER NOT NULL REFERENCES registry_keys(id),"
                                "  folded BLOB NOT NULL,"
                                "  name BLOB NOT NULL,"
                                "  type INTEGER NOT NULL,"
                                "  data BLOB NOT NULL,"
                                "  PRIMARY KEY (key, folded)) WITHOUT ROWID;"
                                "PRAGMA user_version = 1;";

enum Statement : unsigned
{
    kRead,
    kFindKey,
    kAddKey,
    kSetValue,
    kDelete,
    kList,
    kBegin,
    kCommit,
    kRollback,
    kStatementCount,
};

constexpr const char* kStatementTexts[kStatementCount] = {
    "SELECT v.data FROM registry_keys k JOIN registry_values v ON v.key = k.id"
    " WHERE k.root = ?1 AND k.folded = ?2 AND v.folded = ?3",
    "SELECT id FROM registry_keys WHERE root = ?1 AND folded = ?2",
    "INSERT OR IGNORE INTO registry_keys(root, folded, path) VALUES (?1, ?2, ?3)",
    "INSERT OR REPLACE INTO registry_values(key, folded, name, type, data) VALUES (?1, ?2, ?3, ?4, ?5)",
    "DELETE FROM registry_values WHERE folded = ?3"
    " AND key = (SELECT id FROM registry_keys WHERE root = ?1 AND folded = ?2)",
    "SELECT v.name, v.type, v.data FROM registry_keys k LEFT JOIN registry_values v ON v.key = k.id"
    " WHERE k.root = ?1 AND k.folded = ?2 ORDER BY v.folded",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};

// The file the environment names now: $CBFOUNDATION_REGISTRY, else below
// $XDG_CONFIG_HOME (only an absolute one counts), else below ~/.config.
bool ResolveFile(std::string& file)
{
    if (const char* named = std::getenv("CBFOUNDATION_REGISTRY"); named != nullptr && *named != '\0') {
        file.assign(named);
        return true;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        file.assign(config).append("/cbfoundation/registry.sqlite3");
        return true;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        passwd entry{};
        passwd* found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr)
            return false;
        home = found->pw_dir;
    }
    file.assign(home).append("/.config/cbfoundation/registry.sqlite3");
    return true;
}

// Creates the folders above `file` that are missing (mode 0700) and the file
// itself when missing (mode 0600), so that SQLite, which gives its -wal and
// -shm files the database's mode, never makes them readable by others.
bool CreateFile(const std::string& file)
{
    std::string folder;
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        folder.assign(file, 0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    const int descriptor = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    close(descriptor);
    return true;
}

class Connection
{
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens or reopens the connection as the call needs it: on the file the
    // environment names, with the schema in place (created when `writing`).
    bool prepare(const std::string& file, bool writing)
    {
        // A process made by fork has its parent's handle, which is not ours
        // to use or to close: it stays allocated, unused.
        if (m_database != nullptr && m_owner != getpid())
            abandon();
        if (m_database != nullptr && (m_file != file || !isSameFile()))
            close();
        if (m_database == nullptr && !open(file, writing))
            return false;
        if (m_ready)
            return !writing || !m_readOnly;
        return writing && !m_readOnly && createSchema();
    }

    // Lets go of the connection: closes it when this process opened it.
    void release()
    {
        if (m_database != nullptr && m_owner != getpid())
            abandon();
        close();
    }

    sqlite3_stmt* statement(Statement which) const { return m_statements[which]; }
    sqlite3* handle() const { return m_database; }
    bool writable() const { return !m_readOnly; }

    // Ends the operation's statement; a damaged file closes the connection,
    // so that the next call looks at the file afresh.
    void finish(sqlite3_stmt* statement, int result)
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        const int primary = result & 0xff;
        if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_IOERR)
            close();
    }

    // Runs a statement without parameters; false also when a damaged file
    // closed the connection earlier in the operation.
    bool run(Statement which)
    {
        sqlite3_stmt* const statement = m_statements[which];
        if (statement == nullptr)
            return false;
        const int result = sqlite3_step(statement);
        finish(statement, result);
        return result == SQLITE_DONE;
    }

private:
    bool open(const std::string& file, bool writing)
    {
        if (writing ? !CreateFile(file) : access(file.c_str(), F_OK) != 0)
            return false;
        m_owner = getpid();
        m_file = file;
        if (!connect(SQLITE_OPEN_READWRITE) && !connect(SQLITE_OPEN_READONLY))
            return false;
        int version = 0;
        bool empty = false;
        if (!readState(version, empty)) {
            close();
            return false;
        }
        if (version > RegistryDatabase::kSchemaVersion) {
            // A later schema is read, if its tables still answer our
            // statements, but never changed, not even by a checkpoint.
            close();
            m_owner = getpid();
            m_file = file;
            if (!connect(SQLITE_OPEN_READONLY))
                return false;
            m_readOnly = true;
            m_ready = prepareStatements();
            return true;
        }
        if (version == RegistryDatabase::kSchemaVersion) {
            configure();
            m_ready = prepareStatements();
            if (!m_ready)
                close();
            return m_ready;
        }
        // Version 0: an empty file gets the schema on the first write; a file
        // with tables of its own is not ours and is left alone.
        if (!empty) {
            close();
            return false;
        }
        return true;
    }

    // Whether the file at the connection's path is still the one it opened:
    // a file deleted or replaced since then is opened afresh, as every call
    // of the registry opens its key afresh.
    bool isSameFile() const
    {
        struct stat status
        {};
        return stat(m_file.c_str(), &status) == 0 && status.st_dev == m_device && status.st_ino == m_inode;
    }

    bool connect(int mode)
    {
        if (sqlite3_open_v2(m_file.c_str(), &m_database, mode | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            sqlite3_close(m_database);
            m_database = nullptr;
            return false;
        }
        struct stat status
        {};
        if (stat(m_file.c_str(), &status) != 0) {
            sqlite3_close(m_database);
            m_database = nullptr;
            return false;
        }
        m_device = status.st_dev;
        m_inode = status.st_ino;
        m_readOnly = mode == SQLITE_OPEN_READONLY;
        sqlite3_busy_timeout(m_database, kBusyTimeoutMilliseconds);
        sqlite3_extended_result_codes(m_database, 1);
        return true;
    }

    // Write-ahead logging lets readers go on while one process writes; with
    // it, a transaction committed before a crash of the process is kept
    // without waiting for the disk on every commit.
    void configure()
    {
        if (!m_readOnly)
            sqlite3_exec(m_database, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr,
                         nullptr);
    }

    // The schema version and whether the file has no tables, read in one
    // statement: two reads could see a schema that another process commits
    // between them as a version 0 file with tables, which is not ours.
    bool readState(int& version, bool& empty)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_database,
                               "SELECT user_version, (SELECT count(*) FROM sqlite_master) FROM pragma_user_version", -1,
                               &statement, nullptr) != SQLITE_OK)
            return false;
        const bool found = sqlite3_step(statement) == SQLITE_ROW;
        if (found) {
            version = sqlite3_column_int(statement, 0);
            empty = sqlite3_column_int(statement, 1) == 0;
        }
        sqlite3_finalize(statement);
        return found;
    }

    // Two processes may both find the file empty: the second to take the
    // write lock finds the schema made by the first.
    bool createSchema()
    {
        sqlite3_exec(m_database, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        if (sqlite3_exec(m_database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            return false;
        int version = 0;
        bool empty = false;
        bool created = readState(version, empty);
        if (created && version == 0)
            created = empty && sqlite3_exec(m_database, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
        else
            created = created && version == RegistryDatabase::kSchemaVersion;
        if (!created || sqlite3_exec(m_database, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(m_database, "ROLLBACK", nullptr, nullptr, nullptr);
            close();
            return false;
        }
        configure();
        m_ready = prepareStatements();
        if (!m_ready)
            close();
        return m_ready;
    }

    bool prepareStatements()
    {
        for (unsigned which = 0; which < kStatementCount; ++which) {
            if (sqlite3_prepare_v3(m_database, kStatementTexts[which], -1, SQLITE_PREPARE_PERSISTENT,
                                   &m_statements[which], nullptr) != SQLITE_OK)
                return false;
        }
        return true;
    }

    void close()
    {
        for (sqlite3_stmt*& statement : m_statements) {
            sqlite3_finalize(statement);
            statement = nullptr;
        }
        sqlite3_close(m_database);
        m_database = nullptr;
        m_ready = false;
        m_readOnly = false;
        m_file.clear();
    }

    void abandon()
    {
        inherited().push_back(m_database);
        m_database = nullptr;
        for (sqlite3_stmt*& statement : m_statements)
            statement = nullptr;
        m_ready = false;
        m_readOnly = false;
        m_file.clear();
    }

    // The handles a forked process inherited, kept reachable so that they
    // are neither used, nor closed, nor reported as leaks.
    static std::vector<sqlite3*>& inherited()
    {
        static std::vector<sqlite3*>* handles = new std::vector<sqlite3*>;
        return *handles;
    }

    sqlite3* m_database = nullptr;
    sqlite3_stmt* m_statements[kStatementCount] = {};
    pid_t m_owner = 0;
    std::string m_file;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_readOnly = false;
    bool m_ready = false;
};

// The process's one connection and the lock that every operation holds.
//
// The connection is closed before every fork and opened again on the next
// call. SQLite keeps the lock state of an open file for the whole process; a
// child that inherited it would believe it holds locks that stayed with its
// parent, and another process could then fold the log away under it.
struct Process
{
    std::mutex mutex;
    Connection connection;
    std::string file;
};

Process& TheProcess();

void BeforeFork()
{
    Process& process = TheProcess();
    process.mutex.lock();
    process.connection.release();
}

void AfterFork()
{
    TheProcess().mutex.unlock();
}

void AtExit()
{
    Process& process = TheProcess();
    const std::lock_guard<std::mutex> lock(process.mutex);
    process.connection.release();
}

// Made on first use, never while the library loads, and never destroyed: a
// thread may still call in while the process exits.
Process& TheProcess()
{
    static Process* const process = [] {
        auto* const created = new Process;
        pthread_atfork(&BeforeFork, &AfterFork, &AfterFork);
        std::atexit(&AtExit);
        return created;
    }();
    return *process;
}

// One operation: the process's lock, held throughout, and the connection
// ready for it (null when there is none to be had).
class Session
{
public:
    explicit Session(bool writing)
        : m_process(TheProcess())
        , m_lock(m_process.mutex)
    {
        if (ResolveFile(m_process.file) && m_process.connection.prepare(m_process.file, writing))
            m_connection = &m_process.connection;
    }

    Connection* connection() const { return m_connection; }

private:
    Process& m_process;
    std::lock_guard<std::mutex> m_lock;
    Connection* m_connection = nullptr;
};

void BindText(sqlite3_stmt* statement, int index, std::u16string_view text)
{
    // A zero-length blob needs a non-null pointer, or it binds as NULL.
    static const char16_t kEmpty = 0;
    sqlite3_bind_blob(statement, index, text.empty() ? &kEmpty : text.data(),
                      static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_STATIC);
}

void BindKey(sqlite3_stmt* statement, const Location& location)
{
    sqlite3_bind_int(statement, 1, static_cast<int>(location.root));
    BindText(statement, 2, location.foldedKeyPath);
}

// The id of the key, after creating the levels of its path that are missing.
bool CreateKey(Connection& connection, const Location& location, sqlite3_int64& id)
{
    sqlite3_stmt* const find = connection.statement(kFindKey);
    BindKey(find, location);
    int result = sqlite3_step(find);
    if (result == SQLITE_ROW)
        id = sqlite3_column_int64(find, 0);
    connection.finish(find, result);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        return false;
    sqlite3_stmt* const add = connection.statement(kAddKey);
    for (std::size_t level = 0; level < location.levelCount; ++level) {
        const std::size_t end = location.levelEnds[level];
        sqlite3_bind_int(add, 1, static_cast<int>(location.root));
        BindText(add, 2, location.foldedKeyPath.substr(0, end));
        BindText(add, 3, location.keyPath.substr(0, end));
        result = sqlite3_step(add);
        connection.finish(add, result);
        if (result != SQLITE_DONE)
            return false;
    }
    BindKey(find, location);
    result = sqlite3_step(find);
    if (result == SQLITE_ROW)
        id = sqlite3_column_int64(find, 0);
    connection.finish(find, result);
    return result == SQLITE_ROW;
}

bool SetValue(Connection& connection, const Location& location, std::uint32_t type, const void* data,
              std::uint32_t size)
{
    sqlite3_int64 key = 0;
    if (!CreateKey(connection, location, key))
        return false;
    static const unsigned char kEmpty = 0;
    sqlite3_stmt* const set = connection.statement(kSetValue);
    sqlite3_bind_int64(set, 1, key);
    BindText(set, 2, location.foldedName);
    BindText(set, 3, location.name);
    sqlite3_bind_int64(set, 4, type);
    sqlite3_bind_blob64(set, 5, size == 0 ? &kEmpty : data, size, SQLITE_STATIC);
    const int result = sqlite3_step(set);
    connection.finish(set, result);
    return result == SQLITE_DONE;
}

} // namespace

bool RegistryDatabase::Read(const Location& location, void* data, std::uint32_t capacity, std::uint32_t& size)
{
    size = 0;
    const Session session(false);
    Connection* const connection = session.connection();
    if (connection == nullptr)
        return false;
    sqlite3_stmt* const read = connection->statement(kRead);
    BindKey(read, location);
    BindText(read, 3, location.foldedName);
    const int result = sqlite3_step(read);
    // Anything but a blob is not a value this store wrote.
    bool copied = false;
    if (result == SQLITE_ROW && sqlite3_column_type(read, 0) == SQLITE_BLOB) {
        const void* const bytes = sqlite3_column_blob(read, 0);
        const auto count = static_cast<std::uint32_t>(sqlite3_column_bytes(read, 0));
        size = count;
        copied = count <= capacity;
        if (copied && count != 0)
            std::memcpy(data, bytes, count);
    }
    connection->finish(read, result);
    return copied;
}

bool RegistryDatabase::Write(const Location& location, std::uint32_t type, const void* data, std::uint32_t size)
{
    const Session session(true);
    Connection* const connection = session.connection();
    if (connection == nullptr || !connection->run(kBegin))
        return false;
    if (SetValue(*connection, location, type, data, size) && connection->run(kCommit))
        return true;
    connection->run(kRollback);
    return false;
}

bool RegistryDatabase::Delete(const Location& location)
{
    // Deleting creates no file: a missing or empty one has nothing to delete.
    const Session session(false);
    Connection* const connection = session.connection();
    if (connection == nullptr || !connection->writable() || !connection->run(kBegin))
        return false;
    sqlite3_stmt* const remove = connection->statement(kDelete);
    BindKey(remove, location);
    BindText(remove, 3, location.foldedName);
    const int result = sqlite3_step(remove);
    const bool deleted = result == SQLITE_DONE && sqlite3_changes(connection->handle()) > 0;
    connection->finish(remove, result);
    if (result == SQLITE_DONE && connection->run(kCommit))
        return deleted;
    connection->run(kRollback);
    return false;
}

bool RegistryDatabase::List(const Location& location, RegistryValueVisitor visit, void* context)
{
    const Session session(false);
    Connection* const connection = session.connection();
    if (connection == nullptr)
        return false;
    sqlite3_stmt* const list = connection->statement(kList);
    BindKey(list, location);
    // The key's row comes even when it has no values, with NULL for them.
    bool found = false;
    int result = SQLITE_ROW;
    std::u16string units;
    std::wstring name;
    while ((result = sqlite3_step(list)) == SQLITE_ROW) {
        found = true;
        if (sqlite3_column_type(list, 0) != SQLITE_BLOB)
            continue;
        const auto* const nameBytes = static_cast<const char16_t*>(sqlite3_column_blob(list, 0));
        units.assign(nameBytes, static_cast<std::size_t>(sqlite3_column_bytes(list, 0)) / sizeof(char16_t));
        name.resize(units.size());
        name.resize(FromUtf16(units.data(), units.size(), name.data()));
        const void* const data = sqlite3_column_blob(list, 2);
        const auto size = static_cast<std::uint32_t>(sqlite3_column_bytes(list, 2));
        visit(context, name.c_str(), static_cast<std::uint32_t>(sqlite3_column_int64(list, 1)), data, size);
    }
    connection->finish(list, result);
    return found && result == SQLITE_DONE;
}

} // namespace cbf::platform::registry
