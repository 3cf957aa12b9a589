// The record layer of the symbol database: the rows of a program with 1,000 modules,
// 50,000 functions and 500,000 symbols (and 10 types per module) written as a reader
// writes them, through the table recordsets and the writers, into a new database made
// by CQelDatabase::Create, in one transaction. Compare its rows per second with
// dao_bench's PlainSqliteInsert. Run: build with -DQEL_BENCH=ON, then bin/symdb_bench.
#include "nameencoding.h"
#include "packedindex.h"
#include "qeldatabase.h"
#include "symbolwriters.h"
#include "symdbstrings.h"
#include "typewriters.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
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

} // namespace

QEL_DEFINE_MODULE_RESOURCES(BenchResources())

BENCHMARK_MAIN();
