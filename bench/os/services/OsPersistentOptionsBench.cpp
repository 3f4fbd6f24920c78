// OsPersistentOptions against bare SQLite statements on the same database file:
//
// - Read: ReadOption of an existing int option, against a prepared SELECT of
//   the same row on a connection that stays open.
// - Write: WriteOption of an int option, against a prepared INSERT OR REPLACE
//   of the same row in a transaction of its own, under the same journal
//   settings (write-ahead log, synchronous NORMAL).
//
// The database lives in a temporary folder, never the user's own.

#include <cbfoundation/os/services/OsPersistentOptions.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

const wchar_t* const kKey = L"Software\\Bench\\Options";
const wchar_t* const kName = L"Value";
constexpr auto kUser = ePersistentOptionsCategoryCurrentUser;

// The temporary database, with the option in it, made once per run and
// removed at the end.
class Database
{
public:
    Database()
        : m_folder(std::filesystem::temp_directory_path() / ("cbf-options-bench-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(m_folder);
        m_file = (m_folder / "registry.sqlite3").string();
        setenv("CBFOUNDATION_REGISTRY", m_file.c_str(), 1);
        OsPersistentOptions::WriteOption(kKey, kName, 1, kUser);
    }

    ~Database()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    const std::string& File() const { return m_file; }

private:
    std::filesystem::path m_folder;
    std::string m_file;
};

const std::string& DatabaseFile()
{
    static const Database database;
    return database.File();
}

// A connection of the benchmark's own on the same file, with the row's key
// looked up once.
class Baseline
{
public:
    Baseline()
    {
        sqlite3_open(DatabaseFile().c_str(), &m_database);
        sqlite3_busy_timeout(m_database, 10000);
        sqlite3_exec(m_database, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
        sqlite3_stmt* find = nullptr;
        sqlite3_prepare_v2(m_database, "SELECT v.key, v.folded FROM registry_values v", -1, &find, nullptr);
        if (sqlite3_step(find) == SQLITE_ROW) {
            m_key = sqlite3_column_int64(find, 0);
            m_folded.assign(static_cast<const char*>(sqlite3_column_blob(find, 1)), sqlite3_column_bytes(find, 1));
        }
        sqlite3_finalize(find);
        prepare("SELECT data FROM registry_values WHERE key = ?1 AND folded = ?2", m_select);
        prepare("INSERT OR REPLACE INTO registry_values(key, folded, name, type, data) VALUES (?1, ?2, ?2, 4, ?3)",
                m_insert);
        prepare("BEGIN IMMEDIATE", m_begin);
        prepare("COMMIT", m_commit);
    }

    ~Baseline()
    {
        for (sqlite3_stmt* statement : {m_select, m_insert, m_begin, m_commit})
            sqlite3_finalize(statement);
        sqlite3_close(m_database);
    }

    std::int32_t Select()
    {
        bindRow(m_select);
        std::int32_t value = 0;
        if (sqlite3_step(m_select) == SQLITE_ROW && sqlite3_column_bytes(m_select, 0) == sizeof value)
            std::memcpy(&value, sqlite3_column_blob(m_select, 0), sizeof value);
        sqlite3_reset(m_select);
        return value;
    }

    bool Insert(std::int32_t value)
    {
        step(m_begin);
        bindRow(m_insert);
        sqlite3_bind_blob(m_insert, 3, &value, sizeof value, SQLITE_STATIC);
        const bool inserted = step(m_insert);
        return step(m_commit) && inserted;
    }

private:
    void prepare(const char* sql, sqlite3_stmt*& statement)
    {
        sqlite3_prepare_v3(m_database, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    }

    void bindRow(sqlite3_stmt* statement)
    {
        sqlite3_bind_int64(statement, 1, m_key);
        sqlite3_bind_blob(statement, 2, m_folded.data(), static_cast<int>(m_folded.size()), SQLITE_STATIC);
    }

    static bool step(sqlite3_stmt* statement)
    {
        const bool done = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        return done;
    }

    sqlite3* m_database = nullptr;
    sqlite3_stmt* m_select = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_int64 m_key = 0;
    std::string m_folded;
};

void BM_ReadOption(benchmark::State& state)
{
    DatabaseFile();
    int value = 0;
    for (auto _ : state) {
        if (OsPersistentOptions::ReadOption(kKey, kName, value, kUser) != 1)
            state.SkipWithError("ReadOption failed");
        benchmark::DoNotOptimize(value);
    }
}

void BM_ReadBaselineSelect(benchmark::State& state)
{
    Baseline baseline;
    for (auto _ : state)
        benchmark::DoNotOptimize(baseline.Select());
}

void BM_WriteOption(benchmark::State& state)
{
    DatabaseFile();
    int value = 0;
    for (auto _ : state) {
        if (OsPersistentOptions::WriteOption(kKey, kName, ++value, kUser) != 1)
            state.SkipWithError("WriteOption failed");
    }
}

void BM_WriteBaselineInsert(benchmark::State& state)
{
    Baseline baseline;
    std::int32_t value = 0;
    for (auto _ : state) {
        if (!baseline.Insert(++value))
            state.SkipWithError("INSERT OR REPLACE failed");
    }
}

} // namespace

BENCHMARK(BM_ReadOption);
BENCHMARK(BM_ReadBaselineSelect);
BENCHMARK(BM_WriteOption);
BENCHMARK(BM_WriteBaselineInsert);
