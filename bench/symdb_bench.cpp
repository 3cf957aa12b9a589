// The symbol database of a program with 1,000 modules, 50,000 functions and 500,000
// symbols (and 10 types per module):
// - RecordLayerProgram: its rows written as a reader writes them, through the table
//   recordsets and the writers, into a new database made by CQelDatabase::Create, in
//   one transaction. Compare its rows per second with dao_bench's PlainSqliteInsert.
// - SymbolsThroughDao and SymbolsThroughSqlite: a query over its Symbols table read to
//   the end, through a recordset of the DAO layer and through plain SQLite with the
//   same pragmas, with the memory that the reading took (peak resident set above what
//   was resident before, in MiB).
// - OpenChecked and PlainQuickCheck: opening the database, with the check of every
//   page that an open makes, next to SQLite's quick_check alone.
// Run: build with -DQEL_BENCH=ON, then bin/symdb_bench.
#include "nameencoding.h"
#include "packedindex.h"
#include "qeldatabase.h"
#include "qelquerydef.h"
#include "symbolwriters.h"
#include "symdbstrings.h"
#include "typewriters.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace {

const QEL_MODULE_RESOURCES &BenchResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_SymdbStrings, g_SymdbStringCount, nullptr, 0};
    return resources;
}

const LONG kModuls = 1000;
const LONG kFunctionsPerModul = 50;   // 50,000 functions
const LONG kSymbolsPerFunction = 10;  // 500,000 symbols
const LONG kTypesPerModul = 10;

struct BenchFolder {
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "symdb-bench-XXXXXX").string();
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

// Returns the number of rows written.
LONG WriteProgram(CQelDatabase &db)
{
    CdbDatabase *dao = db.GetDatabase();
    CDBModuls moduls(dao);
    CDBFunctions functions(dao);
    CDBSymbolInfo symbols(dao);
    CDBTypeInfo types(dao);
    LONG rows = 0;
    LONG function = 0;
    for (LONG m = 1; m <= kModuls; ++m) {
        moduls.AddNew();
        moduls.m_ModulIndex = m;
        moduls.m_Name.Format("modul%04d.c", static_cast<int>(m));
        moduls.m_Offset = m * 0x1000;
        moduls.Update();
        ++rows;
        WriteBaseTypeRecord({m, "int", 1, 16}, types, FALSE);
        for (LONG t = 2; t <= kTypesPerModul; ++t)
            WritePointerTypeRecord({m, t, t - 1, 0}, types, FALSE);
        rows += kTypesPerModul;
        for (LONG f = 0; f < kFunctionsPerModul; ++f) {
            ++function;
            LONG address = 0x10000 + function * 0x40;
            functions.AddNew();
            functions.m_FunctionIndex = function;
            functions.m_Name.Format("function_%06d", static_cast<int>(function));
            EncodeNameString(functions.m_Name, functions.m_NameString);
            functions.m_AddressMode = 1;
            functions.m_AddressValue = address;
            functions.m_Length = 0x40;
            functions.m_SectionIndex = 1;
            functions.m_ReturnType = PackTypeIndex(m, 1);
            functions.m_Scope = m;
            functions.Update();
            ++rows;
            CString name;
            for (LONG s = 0; s < kSymbolsPerFunction; ++s) {
                name.Format("symbol_%d_%d", static_cast<int>(function), static_cast<int>(s));
                switch (s % 5) {
                case 0:
                    WriteParameterSymbol({m, name, function, {1, 2, s * 2, 0}}, symbols, FALSE);
                    break;
                case 1:
                    WriteBlockSymbol({m, function, {0, 1, address, 0, 0x20}}, symbols);
                    break;
                case 2:
                    WriteLocalSymbol({m, name, function, {2, 2, -s, 0}}, symbols, FALSE);
                    break;
                case 3:
                    WriteGlobalSymbol({m, name, m, {1, 1, 0x80000 + function * 16 + s, 0}}, symbols, FALSE);
                    break;
                default:
                    WriteStaticLabelSymbol({m, name, m, {0, 1, address + s, 0}}, symbols);
                    break;
                }
                ++rows;
            }
        }
    }
    return rows;
}

void RecordLayerProgram(benchmark::State &state)
{
    BenchFolder folder;
    CString path((folder.path / "prog.mdb").string().c_str());
    LONG rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(static_cast<LPCTSTR>(path));
        CQelDatabase db;
        db.Create(path);
        state.ResumeTiming();

        db.BeginTrans();
        rows = WriteProgram(db);
        db.CommitTrans();

        state.PauseTiming();
        db.Close(FALSE);
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["rows/s"] = benchmark::Counter(double(rows) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(RecordLayerProgram)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's database, written once for the reading benchmarks.
const CString &ProgramDatabase()
{
    static BenchFolder folder;
    static const CString path = [] {
        CString file((folder.path / "prog.mdb").string().c_str());
        CQelDatabase db;
        db.Create(file);
        db.BeginTrans();
        WriteProgram(db);
        db.CommitTrans();
        return file;
    }();
    return path;
}

// A value of /proc/self/status, in KiB.
long StatusKib(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == field) {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// Starts a new peak of the resident set; the resident set now. Memory freed before is
// handed back first, so that what the measured work takes shows as growth.
long RestartPeak()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKib("VmRSS:");
}

double MibAbove(long baseKib)
{
    return double(StatusKib("VmHWM:") - baseKib) / 1024.0;
}

// The stored query of the code labels, all of them: 100,000 rows of the program, in
// address order; or the whole Symbols table in row order: 500,000 rows.
enum SymbolQuery { kCodeLabels, kAllSymbols };

const char *const kPlainSql[] = {
    "SELECT * FROM Symbols WHERE SymbolID IN (9,13,14) AND NameString LIKE '%' ORDER BY Data_2, Data_3",
    "SELECT * FROM Symbols",
};

void SymbolsThroughDao(benchmark::State &state)
{
    const CString &path = ProgramDatabase();
    const auto query = static_cast<SymbolQuery>(state.range(0));
    const LONG type = static_cast<LONG>(state.range(1));
    LONG rows = 0;
    double mib = 0;
    for (auto _ : state) {
        CQelDatabase db;
        db.Open(path, TRUE, TRUE);
        long base = RestartPeak();
        CDBSymbolInfo symbols(db.GetDatabase());
        if (query == kCodeLabels) {
            CQelQueryDef labels(db.GetDatabase());
            labels.Open("CodeLabels");
            labels.SetParameter("_Name", CdbVariant("*"));
            symbols.OpenQueryDef(labels, type);
        } else {
            symbols.Open(type, "SELECT * FROM Symbols");
        }
        LONG sum = 0;
        for (rows = 0; !symbols.IsEOF(); symbols.MoveNext(), ++rows)
            sum += symbols.m_Data_3 + symbols.m_Name.GetLength();
        benchmark::DoNotOptimize(sum);
        mib = MibAbove(base);
    }
    state.counters["rows"] = rows;
    state.counters["MiB"] = mib;
}

void SymbolsThroughSqlite(benchmark::State &state)
{
    const CString &path = ProgramDatabase();
    const auto query = static_cast<SymbolQuery>(state.range(0));
    LONG rows = 0;
    double mib = 0;
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr);
        // The pragmas of the DAO layer, and the check of its open, which maps every page.
        sqlite3_exec(db,
                     "PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=-16384; PRAGMA temp_store=MEMORY;"
                     " PRAGMA mmap_size=268435456; PRAGMA quick_check(1)",
                     nullptr, nullptr, nullptr);
        long base = RestartPeak();
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, kPlainSql[query], -1, &statement, nullptr);
        long long sum = 0;
        for (rows = 0; sqlite3_step(statement) == SQLITE_ROW; ++rows) {
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                sum += sqlite3_column_type(statement, c) == SQLITE_TEXT ? sqlite3_column_bytes(statement, c)
                                                                         : sqlite3_column_int(statement, c);
        }
        benchmark::DoNotOptimize(sum);
        mib = MibAbove(base);
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    state.counters["rows"] = rows;
    state.counters["MiB"] = mib;
}

BENCHMARK(SymbolsThroughDao)
    ->ArgNames({"query", "type"})
    ->Args({kCodeLabels, dbOpenSnapshot})
    ->Args({kCodeLabels, dbOpenDynaset})
    ->Args({kAllSymbols, dbOpenSnapshot})
    ->Args({kAllSymbols, dbOpenDynaset})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SymbolsThroughSqlite)
    ->ArgNames({"query"})
    ->Arg(kCodeLabels)
    ->Arg(kAllSymbols)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void OpenChecked(benchmark::State &state)
{
    const CString &path = ProgramDatabase();
    for (auto _ : state) {
        CQelDatabase db;
        db.Open(path, TRUE, FALSE);
    }
    state.counters["file MiB"] = double(std::filesystem::file_size(static_cast<LPCTSTR>(path))) / (1 << 20);
}

void PlainQuickCheck(benchmark::State &state)
{
    const CString &path = ProgramDatabase();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size=-16384; PRAGMA mmap_size=268435456; PRAGMA quick_check(1)", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
    }
}

BENCHMARK(OpenChecked)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainQuickCheck)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

QEL_DEFINE_MODULE_RESOURCES(BenchResources())

BENCHMARK_MAIN();
