// The symbol server's load of a large program next to gdb's on the same file, in the same
// run. Each iteration times four things:
// - first_load: IQelSymbol::LoadFile's request with no symbol database beside the program
//   (recognition, the database built, the sections and globals passes);
// - reload: the same request again, now that the database is there and current;
// - gdb_first_query: gdb-multiarch -batch answering one "info line", which makes it read
//   the debugging information and line table of the unit that holds the function;
// - gdb_cold_start: gdb-multiarch -batch reading the program and leaving.
// A second benchmark times the module pass on the database of a first load:
// - module_median: the read of one module, the median over modules spread across the
//   program, each read first in its database;
// - all_modules: the read of every other module after them, in one transaction, with
//   the rows it wrote per second;
// - gdb_expand_symtabs: gdb-multiarch -batch expanding the symbol tables of every unit
//   (maint expand-symtabs), the nearest that gdb does to reading every module.
// A third benchmark times the load and the read of every module of a Tasking .out file
// of 3000 modules (testdata/tasking/make-tasking.py --bench) beside the same for the
// firmware, in the same run: the rows of every table per second of load and module
// reads, for each, and their ratio (Tasking over ELF).
// Each load runs on an engine of its own on a fresh host debug-server object, as a
// debugger that starts and loads the program would; making and stopping the engine are
// outside the time. The counters are the medians of the iterations and their ratios, the
// database's size and the entries of the program's symbol table; the iteration's time is
// the first load's.
//
// A third benchmark loads and reads every module of a synthetic EOMF program of 3000
// modules (eomfprogram.h, written afresh in the temporary folder), and the firmware
// beside it in the same run, and reports the rows that each writes per second:
// - eomf_load_rows_per_s, elf_load_rows_per_s: the first load's rows over its time;
// - eomf_module_rows_per_s, elf_module_rows_per_s: the rows of the module passes over
//   their time; and the two ratios EOMF / ELF.
// A fourth benchmark sets the GNU C166 reader beside the ELF reader: the load and the read of
// every module of a generated GNU C166 program of 3000 modules (testdata/gnu166/
// make-gnu166.py --bench) and of the firmware, in the same run, as rows written per
// second of both together and their ratio. A fifth times the stabs type parser on gcc's
// type strings (testdata/gnu166/gcc-stabs-numbered.txt), as strings per second.
//
// The program is the synthetic firmware of 3000 modules, which the first run makes with
// the cross tool chain (scripts/setup.sh --cross) in bench-firmware/ of the build folder
// and later runs reuse. The loads work on a copy of it in a temporary folder, so that the
// database does not land beside the firmware. Run: build with -DQEL_BENCH=ON, then
// bin/load_bench.
#include <controllerengine.h>
#include <dbxparser.h>
#include <debugserver.h>
#include <dbschema.h>
#include <elffile.h>
#include <programformats.h>
#include <qeldatabase.h>
#include <progfilestrings.h>
#include <symdbstrings.h>
#include <symserverstrings.h>

#include <benchmark/benchmark.h>

#include "benchfirmware.h"
#include "eomfprogram.h"

#include <chrono>
#include <elf.h>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// The clone's folder, for the Tasking and GNU C166 generators and gcc's stabs strings.
extern const char kQelSourceDir[];

namespace {

using namespace qelbench;

const QEL_MODULE_RESOURCES &BenchResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

// The entries of the program's symbol table; 0 when it has none or the file is no 32-bit
// ELF file.
size_t ElfSymbolCount(const fs::path &program)
{
    std::ifstream in(program, std::ios::binary);
    Elf32_Ehdr header{};
    if (!in.read(reinterpret_cast<char *>(&header), sizeof header) || header.e_ident[EI_CLASS] != ELFCLASS32 ||
        header.e_shentsize != sizeof(Elf32_Shdr))
        return 0;
    size_t count = 0;
    in.seekg(header.e_shoff);
    for (int i = 0; i < header.e_shnum; ++i) {
        Elf32_Shdr section{};
        if (!in.read(reinterpret_cast<char *>(&section), sizeof section))
            return 0;
        if (section.sh_type == SHT_SYMTAB && section.sh_entsize != 0)
            count += section.sh_size / section.sh_entsize;
    }
    return count;
}

// Loads `program` as program 1 through a synchronous LoadFile request on an engine of its
// own; answers the seconds that the request took, or a negative value with the reason in
// `failure`. `database` is what the load must have done with the database, "built" or
// "reused", as it traces it: a reload that quietly built the database anew would time
// the wrong thing.
double TimeLoad(const fs::path &program, const std::string &database, std::string &failure)
{
    CComObject<QelHost::CHostDebugServer> *host = nullptr;
    if (CComObject<QelHost::CHostDebugServer>::CreateInstance(&host) != S_OK) {
        failure = "the host debug-server object could not be made";
        return -1;
    }
    CComPtr<IUnknown> owner(static_cast<IQelHostHolder *>(host));
    auto reports = std::make_shared<QelHost::HostReports>();
    host->SetReports(reports);
    auto engine = std::make_unique<CControllerSymbolEngine>(owner);

    CSymbolRequest request(RequesterSynchronous);
    request.m_nCode = RequestCodeLoadFile;
    request.Param1.vt = VT_BSTR;
    request.Param1.bstrVal = CString(program.c_str()).AllocSysString();
    request.Param2.vt = VT_I4;
    request.Param2.lVal = 0;
    request.Param3.vt = VT_I4;
    request.Param3.lVal = 1;
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<CSymbolRequest> done(engine->TakeRequest(engine->Submit(request), RequestCodeLoadFile));
    const double seconds = SecondsSince(start);
    if (done == nullptr) {
        failure = "the load request was not accepted";
        return -1;
    }
    if (done->m_nStatus != StatusSuccess) {
        failure = "the load failed with status " + std::to_string(done->m_nStatus) + ": " +
                  static_cast<LPCSTR>(done->m_strErrorText);
        return -1;
    }
    const std::string trace = "Symbol database " + database + ":";
    for (const QelHost::HostTraceLine &line : reports->TraceLines()) {
        if (line.text.compare(0, trace.size(), trace) == 0)
            return seconds;
    }
    failure = "the load did not trace \"" + trace + "\"";
    return -1;
}

void LoadNextToGdb(benchmark::State &state)
{
    if (!OnPath("gdb-multiarch")) {
        state.SkipWithError("gdb-multiarch is not on PATH (scripts/setup.sh --cross installs it)");
        return;
    }
    std::string failure;
    BenchFolder folder("load-bench");
    const fs::path program = FirmwareCopy(folder.path, failure);
    if (program.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const fs::path database = folder.path / "firmware.mdb";
    const std::string gdb = "gdb-multiarch -batch -nx";
    const std::string gdbQueryCommand = gdb + " -ex 'info line f1500_3' '" + program.string() + "' > /dev/null 2>&1";
    const std::string gdbStartCommand = gdb + " '" + program.string() + "' > /dev/null 2>&1";

    std::vector<double> firstLoads, reloads, gdbQueries, gdbStarts;
    for (auto _ : state) {
        fs::remove(database);
        const double firstLoad = TimeLoad(program, "built", failure);
        const double reload = firstLoad < 0 ? -1 : TimeLoad(program, "reused", failure);
        if (reload < 0) {
            state.SkipWithError(failure.c_str());
            break;
        }
        state.SetIterationTime(firstLoad);
        firstLoads.push_back(firstLoad);
        reloads.push_back(reload);

        const double gdbQuery = TimeCommand(gdbQueryCommand);
        const double gdbStart = gdbQuery < 0 ? -1 : TimeCommand(gdbStartCommand);
        if (gdbStart < 0) {
            state.SkipWithError("gdb-multiarch failed on the firmware");
            break;
        }
        gdbQueries.push_back(gdbQuery);
        gdbStarts.push_back(gdbStart);
    }
    if (!state.error_occurred()) {
        const double firstLoad = Median(firstLoads), reload = Median(reloads);
        const double gdbQuery = Median(gdbQueries), gdbStart = Median(gdbStarts);
        state.counters["first_load_s"] = firstLoad;
        state.counters["reload_s"] = reload;
        state.counters["gdb_first_query_s"] = gdbQuery;
        state.counters["gdb_cold_start_s"] = gdbStart;
        state.counters["first_load/gdb_first_query"] = firstLoad / gdbQuery;
        state.counters["gdb_cold_start/reload"] = gdbStart / reload;
        state.counters["database_MB"] = double(fs::file_size(database)) / 1e6;
        state.counters["elf_symbols"] = double(ElfSymbolCount(program));
    }
}

BENCHMARK(LoadNextToGdb)->Iterations(5)->Unit(benchmark::kSecond)->UseManualTime();

LONG RowCount(CQelRecordset &&rows)
{
    return rows.GetRecordCount();
}

// Reads the modules of `program`, whose database (of a first load) is `database`: the
// seconds of each of `sample` modules, then of all the others; the rows they wrote.
template <class Reader = CELFFile>
bool TimeModules(const fs::path &program, const fs::path &database, const std::vector<LONG> &sample,
                 std::vector<double> *each, double *all, LONG *rows, std::string &failure)
{
    CQelDatabase connection;
    if (!connection.Open(database.c_str(), FALSE, FALSE)) {
        failure = "the database of the first load cannot be opened";
        return false;
    }
    // The reader of the program's format, chosen as a load chooses it.
    std::unique_ptr<CQelTargetFile> made;
    for (const QelProgramFormat &format : GetProgramFormats()) {
        if (!made && format.IsFileOfFormat(program.c_str()) == 1)
            made.reset(format.CreateReader(connection, 1, nullptr));
    }
    if (!made || !made->Open(program.c_str(), nullptr) || made->ReadSections(nullptr) != 1) {
        failure = "the program cannot be opened for its modules";
        return false;
    }
    CQelTargetFile &reader = *made;
    const LONG count = RowCount(CDBModuls(connection.GetDatabase()));
    for (LONG modul : sample) {
        const auto start = std::chrono::steady_clock::now();
        connection.BeginTrans();
        const int read = reader.ReadModules(modul, 0);
        connection.CommitTrans();
        each->push_back(SecondsSince(start));
        if (read != 1) {
            failure = "module " + std::to_string(modul) + " was not read";
            return false;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    connection.BeginTrans();
    for (LONG modul = 1; modul <= count; ++modul) {
        if (reader.ReadModules(modul, 0) != 1) {
            connection.Rollback();
            failure = "module " + std::to_string(modul) + " was not read";
            return false;
        }
    }
    connection.CommitTrans();
    *all = SecondsSince(start);
    *rows = RowCount(CDBSymbolInfo(connection.GetDatabase())) + RowCount(CDBTypeInfo(connection.GetDatabase())) +
            RowCount(CDBSourceLines(connection.GetDatabase()));
    reader.Close();
    connection.Close(FALSE);
    return true;
}

void ModulesNextToGdb(benchmark::State &state)
{
    if (!OnPath("gdb-multiarch")) {
        state.SkipWithError("gdb-multiarch is not on PATH (scripts/setup.sh --cross installs it)");
        return;
    }
    std::string failure;
    BenchFolder folder("load-bench");
    const fs::path program = FirmwareCopy(folder.path, failure);
    const fs::path database = folder.path / "firmware.mdb", loaded = folder.path / "loaded.mdb";
    std::error_code error;
    if (program.empty() || TimeLoad(program, "built", failure) < 0 || !fs::copy_file(database, loaded, error)) {
        state.SkipWithError(failure.empty() ? "the firmware cannot be loaded" : failure.c_str());
        return;
    }
    const std::string expandCommand =
        "gdb-multiarch -batch -nx -ex 'maint expand-symtabs' '" + program.string() + "' > /dev/null 2>&1";
    std::vector<LONG> sample;
    for (LONG modul = 7; modul <= 3000; modul += 200)
        sample.push_back(modul);

    std::vector<double> each, alls, expands;
    LONG rows = 0;
    for (auto _ : state) {
        fs::copy_file(loaded, database, fs::copy_options::overwrite_existing, error);
        double all = 0;
        if (!TimeModules(program, database, sample, &each, &all, &rows, failure)) {
            state.SkipWithError(failure.c_str());
            break;
        }
        state.SetIterationTime(all);
        alls.push_back(all);
        const double expand = TimeCommand(expandCommand);
        if (expand < 0) {
            state.SkipWithError("gdb-multiarch failed on the firmware");
            break;
        }
        expands.push_back(expand);
    }
    if (!state.error_occurred()) {
        const double all = Median(alls), expand = Median(expands);
        state.counters["module_median_ms"] = Median(each) * 1e3;
        state.counters["all_modules_s"] = all;
        state.counters["gdb_expand_symtabs_s"] = expand;
        state.counters["all_modules/gdb_expand_symtabs"] = all / expand;
        state.counters["module_rows"] = double(rows);
        state.counters["module_rows_per_s"] = double(rows) / all;
    }
}

BENCHMARK(ModulesNextToGdb)->Iterations(3)->Unit(benchmark::kSecond)->UseManualTime();

// The rows of every table of the database as it stands.
LONG LoadedRows(const fs::path &database)
{
    CQelDatabase connection;
    if (!connection.Open(database.c_str(), TRUE, FALSE))
        return 0;
    LONG rows = 0;
    for (const SymbolDatabaseTable &table : GetSymbolDatabaseTables())
        rows += connection.GetDatabase()->OpenRecordset(table.Name, dbOpenTable).GetRecordCount();
    connection.Close(FALSE);
    return rows;
}

// The load and the read of every module of `program`, whose database the load builds
// in its folder; the seconds of both and the rows of every table that they wrote (the
// readers spread their rows over the tables differently: Tasking writes a larger share
// of its rows outside Symbols, Types and SourceLines than the ELF reader does).
bool TimeLoadAndModules(const fs::path &program, double *seconds, LONG *rows, std::string &failure)
{
    fs::path database = program;
    database.replace_extension(".mdb");
    fs::remove(database);
    const double load = TimeLoad(program, "built", failure);
    std::vector<double> each;
    double all = 0;
    LONG moduleRows = 0;
    if (load < 0 || !TimeModules(program, database, {}, &each, &all, &moduleRows, failure))
        return false;
    *seconds = load + all;
    *rows = LoadedRows(database);
    return true;
}

void TaskingNextToElf(benchmark::State &state)
{
    std::string failure;
    BenchFolder folder("tasking-bench");
    const fs::path elf = FirmwareCopy(folder.path, failure);
    const fs::path tasking = folder.path / "tasking.out";
    const std::string make = "python3 '" + std::string(kQelSourceDir) + "/testdata/tasking/make-tasking.py' --bench 3000 '" +
                             tasking.string() + "'";
    if (elf.empty() || std::system(make.c_str()) != 0) {
        state.SkipWithError(elf.empty() ? failure.c_str() : "the Tasking program could not be made");
        return;
    }
    std::vector<double> taskingTimes, elfTimes;
    LONG taskingRows = 0, elfRows = 0;
    for (auto _ : state) {
        double taskingTime = 0, elfTime = 0;
        if (!TimeLoadAndModules(tasking, &taskingTime, &taskingRows, failure) ||
            !TimeLoadAndModules(elf, &elfTime, &elfRows, failure)) {
            state.SkipWithError(failure.c_str());
            break;
        }
        state.SetIterationTime(taskingTime);
        taskingTimes.push_back(taskingTime);
        elfTimes.push_back(elfTime);
    }
    if (!state.error_occurred()) {
        const double taskingRate = taskingRows / Median(taskingTimes), elfRate = elfRows / Median(elfTimes);
        state.counters["tasking_load_and_modules_s"] = Median(taskingTimes);
        state.counters["elf_load_and_modules_s"] = Median(elfTimes);
        state.counters["tasking_rows_per_s"] = taskingRate;
        state.counters["elf_rows_per_s"] = elfRate;
        state.counters["tasking/elf_rows_per_s"] = taskingRate / elfRate;
    }
}

BENCHMARK(TaskingNextToElf)->Iterations(3)->Unit(benchmark::kSecond)->UseManualTime();

// The first load and the read of all modules of `program`: rows per second of each.
bool TimeLoadAndModuleRates(const fs::path &program, const fs::path &database, double *loadRate, double *moduleRate,
                            std::string &failure)
{
    fs::remove(database);
    const double load = TimeLoad(program, "built", failure);
    if (load < 0)
        return false;
    *loadRate = double(LoadedRows(database)) / load;
    std::vector<double> each;
    double all = 0;
    LONG rows = 0;
    if (!TimeModules(program, database, {}, &each, &all, &rows, failure))
        return false;
    *moduleRate = double(rows) / all;
    return true;
}

void EomfBesideElf(benchmark::State &state)
{
    std::string failure;
    BenchFolder folder("load-bench");
    const fs::path eomf = folder.path / "eomf3000.obj";
    if (!EomfProgramWriter::Write(eomf.string(), 3000)) {
        state.SkipWithError("the EOMF program cannot be written");
        return;
    }
    const fs::path firmware = FirmwareCopy(folder.path, failure);
    if (firmware.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    std::vector<double> eomfLoads, eomfModules, elfLoads, elfModules;
    for (auto _ : state) {
        double eomfLoad = 0, eomfModule = 0, elfLoad = 0, elfModule = 0;
        if (!TimeLoadAndModuleRates(eomf, folder.path / "eomf3000.mdb", &eomfLoad, &eomfModule, failure) ||
            !TimeLoadAndModuleRates(firmware, folder.path / "firmware.mdb", &elfLoad, &elfModule, failure)) {
            state.SkipWithError(failure.c_str());
            break;
        }
        state.SetIterationTime(1.0);
        eomfLoads.push_back(eomfLoad);
        eomfModules.push_back(eomfModule);
        elfLoads.push_back(elfLoad);
        elfModules.push_back(elfModule);
    }
    if (!state.error_occurred()) {
        state.counters["eomf_load_rows_per_s"] = Median(eomfLoads);
        state.counters["elf_load_rows_per_s"] = Median(elfLoads);
        state.counters["eomf_module_rows_per_s"] = Median(eomfModules);
        state.counters["elf_module_rows_per_s"] = Median(elfModules);
        state.counters["load_rows_per_s_eomf/elf"] = Median(eomfLoads) / Median(elfLoads);
        state.counters["module_rows_per_s_eomf/elf"] = Median(eomfModules) / Median(elfModules);
    }
}

BENCHMARK(EomfBesideElf)->Iterations(3)->Unit(benchmark::kSecond)->UseManualTime();

// Loads `program` (no database beside it yet) and reads every module through the reader
// that the load chooses: the seconds of both, or a negative value with the reason in
// `failure`; the rows of the tables they fill in `rows`.
double LoadAndReadModules(const fs::path &program, LONG *rows, std::string &failure)
{
    fs::path database = program;
    database.replace_extension(".mdb");
    fs::remove(database);
    const double load = TimeLoad(program, "built", failure);
    if (load < 0)
        return -1;
    CQelDatabase connection;
    const QelProgramFormat *format = FindProgramFormat(program.c_str());
    if (format == nullptr || !connection.Open(database.c_str(), FALSE, FALSE)) {
        failure = "the database of " + program.string() + " cannot be opened";
        return -1;
    }
    std::unique_ptr<CQelTargetFile> reader(format->CreateReader(connection, 1, nullptr));
    if (!reader->Open(program.c_str(), nullptr) || reader->ReadSections(nullptr) != 1) {
        failure = program.string() + " cannot be opened for its modules";
        return -1;
    }
    const LONG count = RowCount(CDBModuls(connection.GetDatabase()));
    const auto start = std::chrono::steady_clock::now();
    connection.BeginTrans();
    for (LONG modul = 1; modul <= count; ++modul)
        reader->ReadModules(modul, 0);
    connection.CommitTrans();
    const double modules = SecondsSince(start);
    CdbDatabase *db = connection.GetDatabase();
    *rows = RowCount(CDBSymbolInfo(db)) + RowCount(CDBTypeInfo(db)) + RowCount(CDBSourceLines(db)) +
            RowCount(CDBFunctions(db)) + RowCount(CDBSourceFiles(db)) + RowCount(CDBModuls(db)) +
            RowCount(CDBSectionsBinary(db));
    reader.reset();
    connection.Close(FALSE);
    return load + modules;
}

void Gnu166NextToElf(benchmark::State &state)
{
    std::string failure;
    BenchFolder folder("gnu166-bench");
    const fs::path elf = FirmwareCopy(folder.path, failure);
    const fs::path gnu = folder.path / "gnu166.a166";
    const std::string make = "python3 '" + std::string(kQelSourceDir) + "/testdata/gnu166/make-gnu166.py' --bench '" +
                             gnu.string() + "' 3000";
    if (elf.empty() || std::system(make.c_str()) != 0) {
        state.SkipWithError(failure.empty() ? "the GNU C166 program cannot be made" : failure.c_str());
        return;
    }
    std::vector<double> gnuRates, elfRates;
    for (auto _ : state) {
        LONG gnuRows = 0, elfRows = 0;
        const double gnuSeconds = LoadAndReadModules(gnu, &gnuRows, failure);
        const double elfSeconds = gnuSeconds < 0 ? -1 : LoadAndReadModules(elf, &elfRows, failure);
        if (elfSeconds < 0) {
            state.SkipWithError(failure.c_str());
            break;
        }
        state.SetIterationTime(gnuSeconds);
        gnuRates.push_back(gnuRows / gnuSeconds);
        elfRates.push_back(elfRows / elfSeconds);
    }
    if (!state.error_occurred()) {
        state.counters["gnu166_rows_per_s"] = Median(gnuRates);
        state.counters["elf_rows_per_s"] = Median(elfRates);
        state.counters["gnu166/elf"] = Median(gnuRates) / Median(elfRates);
    }
}

BENCHMARK(Gnu166NextToElf)->Iterations(3)->Unit(benchmark::kSecond)->UseManualTime();

void ParseStabsTypes(benchmark::State &state)
{
    std::vector<std::string> strings;
    std::ifstream in(std::string(kQelSourceDir) + "/testdata/gnu166/gcc-stabs-numbered.txt");
    for (std::string line; std::getline(in, line);)
        strings.push_back(line);
    CQelDBXParser parser(1024);
    size_t parsed = 0;
    for (auto _ : state) {
        for (const std::string &text : strings)
            benchmark::DoNotOptimize(parser.Parse(text.c_str(), 0));
        parsed += strings.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(parsed));
}

BENCHMARK(ParseStabsTypes);

} // namespace

QEL_DEFINE_MODULE_RESOURCES(BenchResources())

BENCHMARK_MAIN();
