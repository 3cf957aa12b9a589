// The DAO layer's overhead over plain SQLite.
//
// A table of ten columns (an auto number, seven Long, two Text) with a unique index on
// one of the Long columns, as the symbol table has them: one million rows
// added through AddNew/Update, and one million Seeks through the index (their fields read
// as VARIANTs, and as field exchange reads them), each next to
// the same work done with plain SQLite prepared statements on the same kind of file
// (same schema, same pragmas). Run: build with -DQEL_BENCH=ON, then bin/dao_bench.
#include "dbdao.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

const LONG kRows = 1000000;

const char *const kLongFields[] = {"RowKey", "ModulIndex", "SymbolID", "ScopeIndex",
                                   "Data_1", "Data_2",     "Data_3"};
const int kLongCount = 7;

// A temporary folder for the files, removed at exit.
struct BenchFolder {
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qeldao-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path &Folder()
{
    static BenchFolder folder;
    return folder.path;
}

// The keys in a shuffled order, the same for both seek benchmarks.
const std::vector<LONG> &SeekKeys()
{
    static std::vector<LONG> keys = [] {
        std::vector<LONG> k(kRows);
        for (LONG i = 0; i < kRows; ++i)
            k[i] = i * 7;
        std::shuffle(k.begin(), k.end(), std::mt19937(4711));
        return k;
    }();
    return keys;
}

std::string NameOf(LONG row)
{
    char name[32];
    std::snprintf(name, sizeof name, "symbol_%08d", static_cast<int>(row));
    return name;
}

CdbWorkspace Workspace()
{
    static CdbDBEngine engine;
    return engine.CreateWorkspace("wsJet", "admin", "");
}

void CreateBenchTable(CdbDatabase &db)
{
    CdbTableDef table = db.CreateTableDef("Bench");
    CdbField id = table.CreateField("SymbolIndex", dbLong, 4);
    id.SetAttributes(dbAutoIncrField);
    id.SetRequired(TRUE);
    table.Fields.Append(id);
    for (const char *name : kLongFields) {
        CdbField field = table.CreateField(name, dbLong, 4);
        field.SetRequired(TRUE);
        table.Fields.Append(field);
    }
    for (const char *name : {"Name", "NameString"}) {
        CdbField field = table.CreateField(name, dbText, 255);
        field.SetAllowZeroLength(TRUE);
        table.Fields.Append(field);
    }
    CdbIndex index = table.CreateIndex("RowKeyKey");
    CdbField key = index.CreateField("RowKey");
    index.Fields.Append(key);
    index.SetPrimary(TRUE);
    index.SetUnique(TRUE);
    table.Indexes.Append(index);
    db.TableDefs.Append(table);
}

// Adds the rows as the record layer does: one VARIANT per field, texts as BSTRs made
// from the narrow text.
void AddRows(CdbRecordset &rs)
{
    VARIANT number;
    number.vt = VT_I4;
    for (LONG row = 0; row < kRows; ++row) {
        rs.AddNew();
        for (int f = 0; f < kLongCount; ++f) {
            number.lVal = f == 0 ? row * 7 : row + f;
            rs.SetField(kLongFields[f], &number);
        }
        std::string name = NameOf(row);
        CString text(name.c_str());
        VARIANT value;
        value.vt = VT_BSTR;
        value.bstrVal = text.AllocSysString();
        rs.SetField("Name", &value);
        rs.SetField("NameString", &value);
        SysFreeString(value.bstrVal);
        rs.Update();
    }
}

std::string DaoFile()
{
    return (Folder() / "dao.mdb").string();
}

void DaoAddNewUpdate(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(DaoFile());
        CdbWorkspace ws = Workspace();
        CdbDatabase db = ws.CreateDatabase(DaoFile().c_str(), dbLangGeneral ";pwd=bench", dbEncrypt);
        CreateBenchTable(db);
        CdbRecordset rs = db.OpenRecordset("Bench", dbOpenTable);
        state.ResumeTiming();

        ws.BeginTrans();
        AddRows(rs);
        ws.CommitTrans();

        state.PauseTiming();
        rs.Close();
        db.Close();
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * state.iterations(), benchmark::Counter::kIsRate);
}

// The same table and index as the DAO layer makes them.
const char kPlainSchema[] =
    "CREATE TABLE Bench(SymbolIndex INTEGER PRIMARY KEY AUTOINCREMENT, RowKey INTEGER NOT NULL,"
    " ModulIndex INTEGER NOT NULL, SymbolID INTEGER NOT NULL, ScopeIndex INTEGER NOT NULL,"
    " Data_1 INTEGER NOT NULL, Data_2 INTEGER NOT NULL, Data_3 INTEGER NOT NULL,"
    " Name TEXT(255) COLLATE NOCASE, NameString TEXT(255) COLLATE NOCASE);"
    "CREATE UNIQUE INDEX \"Bench.RowKeyKey\" ON Bench(RowKey);";

sqlite3 *OpenPlain(const std::string &path, bool create)
{
    sqlite3 *db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_exec(db,
                 "PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=OFF; PRAGMA secure_delete=OFF;"
                 " PRAGMA cache_size=-16384; PRAGMA temp_store=MEMORY; PRAGMA mmap_size=268435456",
                 nullptr, nullptr, nullptr);
    return db;
}

void PlainSqliteInsert(benchmark::State &state)
{
    std::string path = (Folder() / "plain.db").string();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        sqlite3 *db = OpenPlain(path, true);
        sqlite3_exec(db, kPlainSchema, nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Bench(RowKey, ModulIndex, SymbolID, ScopeIndex, Data_1, Data_2, Data_3, Name,"
                           " NameString) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1, &insert,
                           nullptr);
        state.ResumeTiming();

        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (LONG row = 0; row < kRows; ++row) {
            for (int f = 0; f < kLongCount; ++f)
                sqlite3_bind_int(insert, f + 1, f == 0 ? row * 7 : row + f);
            std::string name = NameOf(row);
            sqlite3_bind_text(insert, 8, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 9, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(insert) != SQLITE_DONE)
                std::abort();
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * state.iterations(), benchmark::Counter::kIsRate);
}

// A file with the rows, made once for both seek benchmarks.
const std::string &SeekFile()
{
    static std::string path = [] {
        std::string file = (Folder() / "seek.mdb").string();
        CdbWorkspace ws = Workspace();
        CdbDatabase db = ws.CreateDatabase(file.c_str(), dbLangGeneral, dbEncrypt);
        CreateBenchTable(db);
        CdbRecordset rs = db.OpenRecordset("Bench", dbOpenTable);
        ws.BeginTrans();
        AddRows(rs);
        ws.CommitTrans();
        rs.Close();
        db.Close();
        return file;
    }();
    return path;
}

void DaoSeek(benchmark::State &state)
{
    const std::vector<LONG> &keys = SeekKeys();
    CdbDatabase db = Workspace().OpenDatabase(SeekFile().c_str(), TRUE, FALSE, "MS Access");
    CdbRecordset rs = db.OpenRecordset("Bench", dbOpenTable);
    rs.SetIndex("RowKeyKey");
    int64_t found = 0;
    for (auto _ : state) {
        VARIANT key;
        key.vt = VT_I4;
        for (LONG k : keys) {
            key.lVal = k;
            rs.Seek("=", 1, &key);
            if (!rs.GetNoMatch()) {
                CdbVariant modul = rs.GetField("ModulIndex");
                CdbVariant name = rs.GetField("Name");
                found += modul.lVal + (name.bstrVal ? 1 : 0);
            }
        }
    }
    benchmark::DoNotOptimize(found);
    rs.Close();
    db.Close();
    state.counters["seeks/s"] =
        benchmark::Counter(double(keys.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

// The same seeks, with the fields read as field exchange reads a record's members: each
// field found once, its Long and its text taken as the record holds them.
void DaoSeekHeldValues(benchmark::State &state)
{
    const std::vector<LONG> &keys = SeekKeys();
    CdbDatabase db = Workspace().OpenDatabase(SeekFile().c_str(), TRUE, FALSE, "MS Access");
    CdbRecordset rs = db.OpenRecordset("Bench", dbOpenTable);
    rs.SetIndex("RowKeyKey");
    CdbField modulField = rs.Fields["ModulIndex"];
    CdbField nameField = rs.Fields["Name"];
    int64_t found = 0;
    CString name;
    for (auto _ : state) {
        VARIANT key;
        key.vt = VT_I4;
        for (LONG k : keys) {
            key.lVal = k;
            rs.Seek("=", 1, &key);
            if (!rs.GetNoMatch()) {
                LONG modul = 0;
                if (!modulField.GetLong(modul) || !nameField.GetText(name))
                    std::abort();
                found += modul + (name.IsEmpty() ? 0 : 1);
            }
        }
    }
    benchmark::DoNotOptimize(found);
    rs.Close();
    db.Close();
    state.counters["seeks/s"] =
        benchmark::Counter(double(keys.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

void PlainSqliteSeek(benchmark::State &state)
{
    const std::vector<LONG> &keys = SeekKeys();
    sqlite3 *db = OpenPlain(SeekFile(), false);
    sqlite3_stmt *seek = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Bench WHERE RowKey = ?1", -1, &seek, nullptr);
    int64_t found = 0;
    for (auto _ : state) {
        for (LONG k : keys) {
            sqlite3_bind_int(seek, 1, k);
            if (sqlite3_step(seek) == SQLITE_ROW) {
                found += sqlite3_column_int(seek, 2);
                std::string name(reinterpret_cast<const char *>(sqlite3_column_text(seek, 8)),
                                 static_cast<size_t>(sqlite3_column_bytes(seek, 8)));
                found += name.empty() ? 0 : 1;
            }
            sqlite3_reset(seek);
        }
    }
    benchmark::DoNotOptimize(found);
    sqlite3_finalize(seek);
    sqlite3_close(db);
    state.counters["seeks/s"] =
        benchmark::Counter(double(keys.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(DaoAddNewUpdate)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainSqliteInsert)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DaoSeek)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DaoSeekHeldValues)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainSqliteSeek)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
