// The symbol server's answers to queries next to gdb's on the same program, in the same
// run. The program is the 3000-module synthetic firmware of load_bench, loaded once
// through IQelSymbol::LoadFile on libKorvex.so, as the debugger loads it (symbolclient.h).
//
// - FirstLineRanges: request 302 (SourceLineRangesByAddress), synchronous, at the first
//   line address of a function in a module that nothing has read yet, so that the
//   request reads the module and analyses its source file; one module per iteration.
//   Beside it gdb's "info line *A" on the same address in a compilation unit that it has
//   not expanded yet.
// - CachedQuery: the round trip of request 202 (FunctionByAddress, at an address inside
//   a function), 302 (at a function's first line) or 501 (MembersOfType, a structure)
//   on modules that are read and asked once before: the request method, the wait for
//   the answer (synchronous, or the "QELSYMBOLREQUEST" message to a window), the Get
//   method and the unpacking of its arrays. Beside it the same stored queries on plain
//   SQLite (plainqueries.h), and gdb's second asking of "info symbol A", "info line *A"
//   and "ptype struct S" for the same functions and structures.
//
// gdb runs once per run, in one session on a copy of the firmware that reads its commands
// from standard input after "maint set per-command time on" (gdbtimes.h); its
// "Command execution time" lines give its wall time per command. Its figures are taken
// before the benchmarks run, the server's in them.
//
// Counters: median and 99th percentile of each side in microseconds (milliseconds for
// the first reads), and their ratios; the goals are a cached round trip under 50 us and a
// first read under 5 ms. The iteration's time is that of the server's request.
//
// The addresses and structures come from the program's own database: per module the
// function with the longest code, and the structure with the most members. Run: build
// with -DQEL_BENCH=ON, then bin/query_bench (it needs arm-none-eabi-gcc the first time,
// to make the firmware, and gdb-multiarch).
#include <benchmark/benchmark.h>

#include "benchfirmware.h"
#include "gdbtimes.h"
#include "plainqueries.h"
#include "symbolclient.h"

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

namespace {

using namespace qelbench;

// Modules chosen as every 29th from two different starts, so that those read first and
// those read before the cached queries never meet; gdb's first command, which waits for
// its index of the program, goes to a module of neither.
const int kFirstReadModules = 100, kFirstReadStart = 101;
const int kCachedModules = 100, kCachedStart = 115;
const int kModuleStep = 29;
const int kGdbWarmUpModule = 50;
const int kRoundTrips = 2000;

// A function of one module: where its code starts, which is where its first line starts,
// and an address inside it.
struct FunctionTarget {
    int modul = 0;
    LONG mode = 1;
    LONG start = 0;
    LONG inside = 0;
};

struct TypeTarget {
    LONG typeIndex = 0;
    std::string name;
};

enum class Query { FunctionByAddress, SourceLineRangesByAddress, MembersOfType };

const char *RequestName(Query query)
{
    switch (query) {
    case Query::FunctionByAddress:
        return "202 FunctionByAddress";
    case Query::SourceLineRangesByAddress:
        return "302 SourceLineRangesByAddress";
    case Query::MembersOfType:
        return "501 MembersOfType";
    }
    return "";
}

std::string HexAddress(LONG address)
{
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(address));
    return text;
}

// Runs `sql` on the read-only database at `path`, calling `row` for each row; false with
// the reason in `failure` on an error.
template <class Row>
bool ReadRows(const fs::path &path, const char *sql, Row row, std::string &failure)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (result == SQLITE_OK || result == SQLITE_ROW) {
        result = sqlite3_step(statement);
        if (result == SQLITE_ROW)
            row(statement);
    }
    if (result != SQLITE_DONE)
        failure = "the database " + path.string() + " cannot be read: " + sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result == SQLITE_DONE;
}

// Everything the benchmarks share, made once: the loaded server, the targets, the plain
// queries and gdb's times.
class QueryRun {
public:
    QueryRun() : m_folder("query-bench") { m_ready = Prepare(); }

    bool ready() const { return m_ready; }
    const std::string &failure() const { return m_failure; }
    // Why `query` cannot be measured; null when it can.
    const std::string *Unusable(Query query) const
    {
        auto found = m_unusable.find(query);
        return found != m_unusable.end() ? &found->second : nullptr;
    }

    // The records of one request, -1 with the reason in failure() when it fails.
    int Ask(Query query, Requester requester, size_t sample);
    int AskPlain(Query query, size_t sample);
    size_t Samples(Query query) const { return query == Query::MembersOfType ? m_types.size() : m_cached.size(); }
    // The next module that nothing has read yet; null when every one of them is read.
    const FunctionTarget *NextFirstRead()
    {
        return m_nextFirstRead < m_firstReads.size() ? &m_firstReads[m_nextFirstRead++] : nullptr;
    }
    int AskFirstRead(const FunctionTarget &target)
    {
        CArray<SourceLineTag, SourceLineTag &> lines;
        return Check(m_client.SourceLineRangesByAddress(Requester::Synchronous, target.mode, target.start, lines));
    }

    // gdb's wall seconds: the first "info line" in each module read first, and the second
    // asking of each cached query.
    std::vector<double> gdbFirstInfoLine;
    std::map<Query, std::vector<double>> gdbSecondAsking;
    // Plain SQLite on a copy of the database as it is now, so that both sides search the
    // same rows (first reads add to them); false with the reason in failure().
    bool OpenPlain();
    // The rows of the table that `query` searches in the copy: what its cost grows with
    // as more modules are read.
    double TableRows(Query query);

private:
    bool Prepare();
    bool ChooseFunctions(const fs::path &database);
    bool ChooseTypes(const fs::path &database);
    bool WarmUp(Query query);
    bool RunGdb();
    bool CopyDatabase(const char *name, fs::path &copy);
    int Check(int records)
    {
        if (records < 0)
            m_failure = m_client.failure();
        return records;
    }

    BenchFolder m_folder;
    fs::path m_program;
    SymbolClient m_client;
    std::unique_ptr<PlainQueries> m_plain;
    fs::path m_plainCopy;
    std::vector<FunctionTarget> m_firstReads, m_cached;
    FunctionTarget m_gdbWarmUp;
    std::vector<TypeTarget> m_types;
    size_t m_nextFirstRead = 0;
    bool m_ready = false;
    std::string m_failure;
    std::map<Query, std::string> m_unusable;
};

bool QueryRun::CopyDatabase(const char *name, fs::path &copy)
{
    // The engine commits each request's work before it answers, so the file is whole
    // between requests.
    copy = m_folder.path / name;
    std::error_code error;
    if (!fs::copy_file(m_client.databasePath(), copy, fs::copy_options::overwrite_existing, error)) {
        m_failure = "the symbol database cannot be copied: " + error.message();
        return false;
    }
    return true;
}

bool QueryRun::Prepare()
{
    if (!OnPath("gdb-multiarch")) {
        m_failure = "gdb-multiarch is not on PATH (scripts/setup.sh --cross installs it)";
        return false;
    }
    m_program = FirmwareCopy(m_folder.path, m_failure);
    if (m_program.empty())
        return false;
    if (!m_client.Start(m_program.string())) {
        m_failure = m_client.failure();
        return false;
    }
    fs::path loaded, read;
    if (!CopyDatabase("loaded.mdb", loaded) || !ChooseFunctions(loaded))
        return false;
    // A query that fails costs only its own benchmarks; 501 asks of types that the
    // modules read by 302 hold.
    for (Query query : {Query::SourceLineRangesByAddress, Query::FunctionByAddress}) {
        if (!WarmUp(query))
            m_unusable[query] = m_failure;
    }
    if (!CopyDatabase("read.mdb", read))
        return false;
    if (!ChooseTypes(read) || !WarmUp(Query::MembersOfType))
        m_unusable[Query::MembersOfType] = m_failure;
    if (!OpenPlain())
        return false;
    // Both sides must find the same, or they are not doing the same work.
    for (Query query : {Query::FunctionByAddress, Query::SourceLineRangesByAddress, Query::MembersOfType}) {
        for (size_t sample = 0; m_unusable.count(query) == 0 && sample < Samples(query); ++sample) {
            const int server = Ask(query, Requester::Synchronous, sample), plain = AskPlain(query, sample);
            if (server != plain)
                m_unusable[query] = "plain SQLite makes " + std::to_string(plain) + " records where the server " +
                                    "answers " + std::to_string(server) + " (sample " + std::to_string(sample) +
                                    " of request " + RequestName(query) + ")";
        }
    }
    return RunGdb();
}

bool QueryRun::OpenPlain()
{
    // The connection to the last copy goes before the copy is overwritten.
    m_plain.reset();
    m_plain = std::make_unique<PlainQueries>();
    return CopyDatabase("plain.mdb", m_plainCopy) && m_plain->Open(m_plainCopy.string(), m_failure);
}

double QueryRun::TableRows(Query query)
{
    const char *count = query == Query::FunctionByAddress           ? "SELECT COUNT(*) FROM Functions"
                        : query == Query::SourceLineRangesByAddress ? "SELECT COUNT(*) FROM SourceLines"
                                                                    : "SELECT COUNT(*) FROM Types";
    double rows = 0;
    ReadRows(m_plainCopy, count, [&](sqlite3_stmt *row) { rows = sqlite3_column_double(row, 0); }, m_failure);
    return rows;
}

// Per module the function with the longest code, of the database as the load left it;
// with two instructions at least, its inside address is not its first line's.
bool QueryRun::ChooseFunctions(const fs::path &database)
{
    std::map<int, FunctionTarget> longest;
    std::map<int, LONG> lengths;
    const bool read = ReadRows(
        database, "SELECT ABS(Scope), AddressMode, AddressValue, Length FROM Functions WHERE Length >= 8",
        [&](sqlite3_stmt *row) {
            const int modul = sqlite3_column_int(row, 0);
            const LONG length = sqlite3_column_int(row, 3);
            if (lengths[modul] >= length)
                return;
            lengths[modul] = length;
            FunctionTarget &target = longest[modul];
            target.modul = modul;
            target.mode = sqlite3_column_int(row, 1);
            target.start = sqlite3_column_int(row, 2);
            target.inside = target.start + ((length / 2) & ~3);
        },
        m_failure);
    if (!read)
        return false;
    auto pick = [&](int first, int count, std::vector<FunctionTarget> &targets) {
        for (int modul = first; static_cast<int>(targets.size()) < count && longest.count(modul) != 0;
             modul += kModuleStep)
            targets.push_back(longest[modul]);
        return static_cast<int>(targets.size()) == count;
    };
    if (!pick(kFirstReadStart, kFirstReadModules, m_firstReads) || !pick(kCachedStart, kCachedModules, m_cached) ||
        longest.count(kGdbWarmUpModule) == 0) {
        m_failure = "the firmware has too few modules with functions";
        return false;
    }
    m_gdbWarmUp = longest[kGdbWarmUpModule];
    return true;
}

// Per cached module the named structure with the most members, now that the module is
// read.
bool QueryRun::ChooseTypes(const fs::path &database)
{
    std::set<int> cachedModuls;
    for (const FunctionTarget &target : m_cached)
        cachedModuls.insert(target.modul);
    std::map<int, std::pair<int, TypeTarget>> most;
    const bool read = ReadRows(database,
                               "SELECT s.ModulIndex, s.TypeIndex, s.Name, COUNT(*) FROM Types s, Types m WHERE "
                               "s.TypeID = 5 AND s.Name IS NOT NULL AND m.TypeID = 11 AND m.Data_4 = s.TypeIndex "
                               "GROUP BY s.TypeIndex",
                               [&](sqlite3_stmt *row) {
                                   const int modul = sqlite3_column_int(row, 0), members = sqlite3_column_int(row, 3);
                                   if (cachedModuls.count(modul) == 0 || most[modul].first >= members)
                                       return;
                                   most[modul].first = members;
                                   most[modul].second.typeIndex = sqlite3_column_int(row, 1);
                                   most[modul].second.name =
                                       reinterpret_cast<const char *>(sqlite3_column_text(row, 2));
                               },
                               m_failure);
    if (!read)
        return false;
    for (const auto &chosen : most)
        m_types.push_back(chosen.second.second);
    if (m_types.size() < m_cached.size() / 2) {
        m_failure = "the modules read have too few structures with members";
        return false;
    }
    return true;
}

// Asks each sample once, so that its module is read and its source file analysed; each
// must find something.
bool QueryRun::WarmUp(Query query)
{
    for (size_t sample = 0; sample < Samples(query); ++sample) {
        const int records = Ask(query, Requester::Synchronous, sample);
        if (records < 0)
            return false;
        if (records == 0) {
            m_failure = std::string("request ") + RequestName(query) + " finds nothing for sample " +
                        std::to_string(sample);
            return false;
        }
    }
    return true;
}

int QueryRun::Ask(Query query, Requester requester, size_t sample)
{
    switch (query) {
    case Query::FunctionByAddress: {
        CArray<FunctionTag, FunctionTag &> functions;
        const FunctionTarget &target = m_cached[sample];
        return Check(m_client.FunctionByAddress(requester, target.mode, target.inside, functions));
    }
    case Query::SourceLineRangesByAddress: {
        CArray<SourceLineTag, SourceLineTag &> lines;
        const FunctionTarget &target = m_cached[sample];
        return Check(m_client.SourceLineRangesByAddress(requester, target.mode, target.start, lines));
    }
    case Query::MembersOfType: {
        CArray<MemberTag, MemberTag &> members;
        return Check(m_client.MembersOfType(requester, m_types[sample].typeIndex, members));
    }
    }
    return -1;
}

int QueryRun::AskPlain(Query query, size_t sample)
{
    int records = -1;
    switch (query) {
    case Query::FunctionByAddress:
        records = m_plain->FunctionByAddress(m_cached[sample].mode, m_cached[sample].inside);
        break;
    case Query::SourceLineRangesByAddress:
        records = m_plain->SourceLineRangesByAddress(m_cached[sample].mode, m_cached[sample].start);
        break;
    case Query::MembersOfType:
        records = m_plain->MembersOfType(m_types[sample].typeIndex);
        break;
    }
    if (records < 0)
        m_failure = "a plain SQLite query failed";
    return records;
}

// One gdb session: its first command waits for gdb's index of the program; then the first
// "info line" in each module read first; then every cached query twice.
bool QueryRun::RunGdb()
{
    std::vector<std::string> commands = {"info line *" + HexAddress(m_gdbWarmUp.start)};
    for (const FunctionTarget &target : m_firstReads)
        commands.push_back("info line *" + HexAddress(target.start));
    std::vector<std::pair<Query, std::string>> cached;
    for (const FunctionTarget &target : m_cached) {
        cached.push_back({Query::SourceLineRangesByAddress, "info line *" + HexAddress(target.start)});
        cached.push_back({Query::FunctionByAddress, "info symbol " + HexAddress(target.inside)});
    }
    for (const TypeTarget &type : m_types)
        cached.push_back({Query::MembersOfType, "ptype struct " + type.name});
    for (int asking = 0; asking < 2; ++asking) {
        for (const auto &command : cached)
            commands.push_back(command.second);
    }
    std::vector<double> seconds;
    if (!GdbCommandTimes(m_program, commands, m_folder.path, seconds, m_failure))
        return false;
    gdbFirstInfoLine.assign(seconds.begin() + 1, seconds.begin() + 1 + m_firstReads.size());
    const size_t second = 1 + m_firstReads.size() + cached.size();
    for (size_t i = 0; i < cached.size(); ++i)
        gdbSecondAsking[cached[i].first].push_back(seconds[second + i]);
    return true;
}

// Made by the first benchmark that runs, deleted by main once all have run.
QueryRun *g_run = nullptr;

// The run, when `query` can be measured in it; else null, and the benchmark skipped.
QueryRun *Run(benchmark::State &state, Query query)
{
    if (g_run == nullptr)
        g_run = new QueryRun();
    const std::string *unusable = g_run->ready() ? g_run->Unusable(query) : &g_run->failure();
    if (unusable != nullptr) {
        state.SkipWithError(unusable->c_str());
        return nullptr;
    }
    return g_run;
}

// The median and 99th percentile of `seconds` as counters in `unit` seconds, named after
// `prefix`.
void Figures(benchmark::State &state, const std::string &prefix, const std::vector<double> &seconds, double unit,
             const char *unitName)
{
    state.counters[prefix + "median_" + unitName] = Median(seconds) / unit;
    state.counters[prefix + "p99_" + unitName] = Percentile(seconds, 99) / unit;
}

void FirstLineRanges(benchmark::State &state)
{
    QueryRun *run = Run(state, Query::SourceLineRangesByAddress);
    if (run == nullptr)
        return;
    std::vector<double> seconds;
    for (auto _ : state) {
        const FunctionTarget *target = run->NextFirstRead();
        if (target == nullptr) {
            state.SkipWithError("every module set aside for a first read has been read: run this once per run");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const int records = run->AskFirstRead(*target);
        const double elapsed = SecondsSince(start);
        if (records <= 0) {
            state.SkipWithError(records < 0 ? run->failure().c_str() : "a first read found no line");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    if (state.error_occurred())
        return;
    const std::vector<double> &gdb = run->gdbFirstInfoLine;
    Figures(state, "", seconds, 1e-3, "ms");
    Figures(state, "gdb_", gdb, 1e-3, "ms");
    state.counters["median/gdb_median"] = Median(seconds) / Median(gdb);
    state.counters["p99/gdb_p99"] = Percentile(seconds, 99) / Percentile(gdb, 99);
}

BENCHMARK(FirstLineRanges)->Iterations(kFirstReadModules)->Unit(benchmark::kMillisecond)->UseManualTime();

void CachedQuery(benchmark::State &state, Query query, Requester requester)
{
    QueryRun *run = Run(state, query);
    if (run == nullptr)
        return;
    if (!run->OpenPlain()) {
        state.SkipWithError(run->failure().c_str());
        return;
    }
    const size_t samples = run->Samples(query);
    std::vector<double> seconds, plain;
    size_t sample = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int records = run->Ask(query, requester, sample);
        const double elapsed = SecondsSince(start);
        if (records <= 0) {
            state.SkipWithError(records < 0 ? run->failure().c_str() : "a cached query found nothing");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
        sample = (sample + 1) % samples;
    }
    if (state.error_occurred())
        return;
    for (size_t i = 0; i < seconds.size(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        const int records = run->AskPlain(query, i % samples);
        plain.push_back(SecondsSince(start));
        if (records < 0) {
            state.SkipWithError(run->failure().c_str());
            return;
        }
    }
    const std::vector<double> &gdb = run->gdbSecondAsking[query];
    Figures(state, "", seconds, 1e-6, "us");
    Figures(state, "sqlite_", plain, 1e-6, "us");
    Figures(state, "gdb_", gdb, 1e-6, "us");
    state.counters["median/sqlite_median"] = Median(seconds) / Median(plain);
    state.counters["median/gdb_median"] = Median(seconds) / Median(gdb);
    state.counters["p99/gdb_p99"] = Percentile(seconds, 99) / Percentile(gdb, 99);
    state.counters["table_rows"] = run->TableRows(query);
}

#define QUERY_BENCHMARK(name, query, requester)                                                                    \
    BENCHMARK_CAPTURE(CachedQuery, name, query, requester)                                                         \
        ->Iterations(kRoundTrips)                                                                                  \
        ->Unit(benchmark::kMicrosecond)                                                                            \
        ->UseManualTime()
QUERY_BENCHMARK(FunctionByAddress_sync, Query::FunctionByAddress, Requester::Synchronous);
QUERY_BENCHMARK(FunctionByAddress_window, Query::FunctionByAddress, Requester::Window);
QUERY_BENCHMARK(SourceLineRangesByAddress_sync, Query::SourceLineRangesByAddress, Requester::Synchronous);
QUERY_BENCHMARK(SourceLineRangesByAddress_window, Query::SourceLineRangesByAddress, Requester::Window);
QUERY_BENCHMARK(MembersOfType_sync, Query::MembersOfType, Requester::Synchronous);
QUERY_BENCHMARK(MembersOfType_window, Query::MembersOfType, Requester::Window);
#undef QUERY_BENCHMARK

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The server goes while the process is whole, not among the static objects' ends.
    delete g_run;
    return 0;
}
