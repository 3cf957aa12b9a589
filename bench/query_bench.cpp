// The symbol server's answers to queries next to gdb's on the same program, in the same
// run. The program is the 3000-module synthetic firmware of load_bench, loaded once
// through IQelSymbol::LoadFile on libKorvex.so, as the debugger loads it (symbolclient.h).
// QEL_BENCH_MODULES=400 (400 to 3000) runs the same on a smaller firmware of that many
// modules, to see how each request grows with the program.
//
// - FirstRead: request 302 (SourceLineRangesByAddress, at a function's first line) or
//   405 (LocalsInScope, every name, at an address inside a function), synchronous, in a
//   module that nothing has read yet, so that the request reads the module and analyses
//   its source file; one module per iteration, each request its own modules. Beside it
//   gdb's "info line *A" or "info scope *A" on the same address in a compilation unit
//   that it has not expanded yet.
// - CachedQuery: the round trip of a request on modules that are read and asked once
//   before: 202 (FunctionByAddress, inside a function), 302 (at a function's first
//   line), 501 (MembersOfType, a structure), 405 and 409 (LocalsInScope and
//   VariablesInScope, every name), 703 (BreakpointDescription), 704
//   (BreakpointAddresses, with the descriptor that 703 gave) and 4000 (Location), all but
//   302 and 501 inside a function. A round trip is the request method, the wait for the
//   answer (synchronous, or the "QELSYMBOLREQUEST" message to a window), the Get method
//   and the unpacking of its arrays. Beside it gdb's second asking of the same: "info
//   symbol A" (202), "info line *A" (302, 703, 4000), "ptype struct S" (501), "info scope
//   *A" (405, 409) and "info line FILE:LINE" with the descriptor's file and line (704);
//   and for 202, 302 and 501 the same stored queries on plain SQLite (plainqueries.h).
//
// gdb runs once per run, in one session on a copy of the firmware that reads its commands
// from standard input after "maint set per-command time on" (gdbtimes.h); its
// "Command execution time" lines give its wall time per command. Its figures are taken
// before the benchmarks run, the server's in them.
//
// Counters: median and 99th percentile of each side in microseconds (milliseconds for
// the first reads), and their ratios; the goals are a cached round trip under 50 us and a
// first read under 5 ms. The iteration's time is that of the server's request. A cached
// query makes 2000 round trips, fewer when its warm-up shows that these would take long.
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
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>

namespace {

using namespace qelbench;

// Modules chosen as every 29th from different starts, so that those read first by 302,
// those read first by 405 and those read before the cached queries never meet; gdb's
// first command, which waits for its index of the program, goes to a module of none.
const int kFirstReadModules = 100, kCachedModules = 100;

// The firmware's modules: 3000, or for a scale run the number that QEL_BENCH_MODULES
// gives (400 to 3000), whose firmware is made in a folder of its own.
const int kModules = 3000, kFewestModules = 400;

int FirmwareModules()
{
    const char *text = std::getenv("QEL_BENCH_MODULES");
    const int modules = text ? std::atoi(text) : kModules;
    return modules >= kFewestModules && modules <= kModules ? modules : kModules;
}

// Which modules each part takes: every Step-th from its own start. On the 3000-module
// firmware every 29th; on a smaller one every 4th, each part from another remainder.
struct ModulePicks {
    int linesStart, scopeStart, cachedStart, step, gdbWarmUp;
};

ModulePicks PicksFor(int modules)
{
    if (modules == kModules)
        return {101, 104, 115, 29, 50};
    return {1, 2, 3, 4, 4};
}
const int kRoundTrips = 2000;
// A cached query is timed kRoundTrips times, or, when an asking after its warm-up says
// that these would take longer than kRoundTripSeconds, as many times as fit in them, but
// kFewestRoundTrips at least. A warm-up asking that takes longer than kSlowestWarmUp
// (a module's first read takes some milliseconds) skips the query's benchmarks, with
// the time that the asking took.
const int kFewestRoundTrips = 20;
const double kRoundTripSeconds = 10, kSlowestWarmUp = 1;
// The name pattern of 405 and 409: every name.
const char kAllNames[] = "*";

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

// The first three have plain SQLite counterparts (plainqueries.h), the others not.
enum class Query {
    FunctionByAddress,
    SourceLineRangesByAddress,
    MembersOfType,
    LocalsInScope,
    VariablesInScope,
    BreakpointDescription,
    BreakpointAddresses,
    Location
};

bool HasPlain(Query query)
{
    return query <= Query::MembersOfType;
}

// 405 rightly finds nothing in a function without parameters and locals (a module's
// entry function may be the longest of its module), as gdb's "info scope" does; the
// other requests find something at each of their samples.
bool MayFindNothing(Query query)
{
    return query == Query::LocalsInScope;
}

const char *RequestName(Query query)
{
    switch (query) {
    case Query::FunctionByAddress:
        return "202 FunctionByAddress";
    case Query::SourceLineRangesByAddress:
        return "302 SourceLineRangesByAddress";
    case Query::MembersOfType:
        return "501 MembersOfType";
    case Query::LocalsInScope:
        return "405 LocalsInScope";
    case Query::VariablesInScope:
        return "409 VariablesInScope";
    case Query::BreakpointDescription:
        return "703 BreakpointDescription";
    case Query::BreakpointAddresses:
        return "704 BreakpointAddresses";
    case Query::Location:
        return "4000 Location";
    }
    return "";
}

std::string HexAddress(LONG address)
{
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(address));
    return text;
}

// gdb's command beside a request at `target`: 302 asks at the function's first line,
// the others inside it.
std::string GdbCommand(Query query, const FunctionTarget &target)
{
    switch (query) {
    case Query::FunctionByAddress:
        return "info symbol " + HexAddress(target.inside);
    case Query::SourceLineRangesByAddress:
        return "info line *" + HexAddress(target.start);
    case Query::LocalsInScope:
    case Query::VariablesInScope:
        return "info scope *" + HexAddress(target.inside);
    case Query::BreakpointDescription:
    case Query::Location:
        return "info line *" + HexAddress(target.inside);
    default:
        // 501 and 704 ask of a structure and a descriptor, not of an address.
        return "";
    }
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
    // How many round trips of `query` its benchmarks time.
    int RoundTrips(Query query) const
    {
        auto found = m_cachedSeconds.find(query);
        if (found == m_cachedSeconds.end())
            return kRoundTrips;
        const double fit = kRoundTripSeconds / found->second;
        return fit >= kRoundTrips ? kRoundTrips : std::max(kFewestRoundTrips, static_cast<int>(fit));
    }
    size_t Samples(Query query) const { return query == Query::MembersOfType ? m_types.size() : m_cached.size(); }
    // The next module that nothing has read yet of those set aside for the first reads
    // of `query` (302 or 405); null when every one of them is read.
    const FunctionTarget *NextFirstRead(Query query)
    {
        size_t &next = m_nextFirstRead[query];
        return next < m_firstReads[query].size() ? &m_firstReads[query][next++] : nullptr;
    }
    int AskFirstRead(Query query, const FunctionTarget &target);

    // gdb's wall seconds: its first asking in each module read first, and the second
    // asking of each cached query.
    std::map<Query, std::vector<double>> gdbFirstAsking, gdbSecondAsking;
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
    bool Describe();
    // False, with the reason in failure(), when an asking in the warm-up took so long that
    // the benchmark could not finish in reasonable time.
    bool Timely(Query query, size_t sample, double seconds);
    // Times one more asking of `query` once its modules are read, for RoundTrips.
    bool TimeCached(Query query);
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
    std::map<Query, std::vector<FunctionTarget>> m_firstReads;
    std::vector<FunctionTarget> m_cached;
    FunctionTarget m_gdbWarmUp;
    std::vector<TypeTarget> m_types;
    // Per cached module, the breakpoint descriptor that 703 gives for its inside address,
    // and the "FILE:LINE" that it names.
    std::vector<std::string> m_descriptors, m_fileLines;
    std::map<Query, size_t> m_nextFirstRead;
    std::map<Query, double> m_cachedSeconds;
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
    m_program = FirmwareModules() == kModules
                    ? FirmwareCopy(m_folder.path, m_failure)
                    : FirmwareCopy(m_folder.path, m_failure, FirmwareModules(),
                                   std::string(kQelBenchFirmwareFolder) + "-" + std::to_string(FirmwareModules()));
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
    for (Query query : {Query::LocalsInScope, Query::VariablesInScope, Query::BreakpointDescription, Query::Location}) {
        if (!WarmUp(query))
            m_unusable[query] = m_failure;
    }
    if (m_unusable.count(Query::BreakpointDescription) != 0)
        m_unusable[Query::BreakpointAddresses] = "it needs the descriptors of request 703, which cannot be measured";
    else if (!Describe())
        m_unusable[Query::BreakpointAddresses] = m_failure;
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
    const ModulePicks picks = PicksFor(FirmwareModules());
    auto pick = [&](int first, int count, std::vector<FunctionTarget> &targets) {
        for (int modul = first; static_cast<int>(targets.size()) < count && longest.count(modul) != 0;
             modul += picks.step)
            targets.push_back(longest[modul]);
        return static_cast<int>(targets.size()) == count;
    };
    if (!pick(picks.linesStart, kFirstReadModules, m_firstReads[Query::SourceLineRangesByAddress]) ||
        !pick(picks.scopeStart, kFirstReadModules, m_firstReads[Query::LocalsInScope]) ||
        !pick(picks.cachedStart, kCachedModules, m_cached) || longest.count(picks.gdbWarmUp) == 0) {
        m_failure = "the firmware has too few modules with functions";
        return false;
    }
    m_gdbWarmUp = longest[picks.gdbWarmUp];
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

// Per cached module the descriptor of its inside address and the file and line that it
// names (its form "'FUNCTION {FILE} .LINE+';..."); asks 704 once with each, which must
// answer the address described.
bool QueryRun::Describe()
{
    for (size_t sample = 0; sample < m_cached.size(); ++sample) {
        const FunctionTarget &target = m_cached[sample];
        CArray<LabelTag, LabelTag &> labels;
        const int described = Check(m_client.BreakpointDescription(Requester::Synchronous, target.mode,
                                                                   target.inside, labels));
        if (described < 0)
            return false;
        const std::string descriptor = described > 0 ? static_cast<LPCTSTR>(labels[0].Name) : "";
        const size_t file = descriptor.find(" {"), fileEnd = descriptor.find("} .");
        const int line = fileEnd != std::string::npos ? std::atoi(descriptor.c_str() + fileEnd + 3) : 0;
        if (file == std::string::npos || fileEnd < file || line <= 0) {
            m_failure = "request 703 names no source line in \"" + descriptor + "\"";
            return false;
        }
        m_descriptors.push_back(descriptor);
        m_fileLines.push_back(descriptor.substr(file + 2, fileEnd - file - 2) + ":" + std::to_string(line));
        CArray<LabelTag, LabelTag &> addresses;
        const auto start = std::chrono::steady_clock::now();
        if (Check(m_client.BreakpointAddresses(Requester::Synchronous, descriptor, addresses)) < 0 ||
            !Timely(Query::BreakpointAddresses, sample, SecondsSince(start)))
            return false;
        bool found = false;
        for (int i = 0; i < addresses.GetSize(); ++i)
            found = found || static_cast<LONG>(addresses[i].AddressValue) == target.inside;
        if (!found) {
            m_failure = "request 704 does not answer " + HexAddress(target.inside) + " for \"" + descriptor + "\"";
            return false;
        }
    }
    return TimeCached(Query::BreakpointAddresses);
}

bool QueryRun::Timely(Query query, size_t sample, double seconds)
{
    if (seconds <= kSlowestWarmUp)
        return true;
    m_failure = std::string("request ") + RequestName(query) + " took " + std::to_string(seconds * 1e3) +
                " ms for sample " + std::to_string(sample) + ", too long to be timed " + std::to_string(kRoundTrips) +
                " times";
    return false;
}

// Asks each sample once, so that its module is read and its source file analysed (each
// must find something, or for 405 one at least), then times a cached asking.
bool QueryRun::WarmUp(Query query)
{
    bool found = false;
    for (size_t sample = 0; sample < Samples(query); ++sample) {
        const auto start = std::chrono::steady_clock::now();
        const int records = Ask(query, Requester::Synchronous, sample);
        if (records < 0 || !Timely(query, sample, SecondsSince(start)))
            return false;
        found = found || records > 0;
        if (records == 0 && !MayFindNothing(query)) {
            m_failure = std::string("request ") + RequestName(query) + " finds nothing for sample " +
                        std::to_string(sample);
            return false;
        }
    }
    if (!found) {
        m_failure = std::string("request ") + RequestName(query) + " finds nothing for any sample";
        return false;
    }
    return TimeCached(query);
}

bool QueryRun::TimeCached(Query query)
{
    const auto start = std::chrono::steady_clock::now();
    if (Ask(query, Requester::Synchronous, 0) < 0)
        return false;
    m_cachedSeconds[query] = SecondsSince(start);
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
    case Query::LocalsInScope:
    case Query::VariablesInScope: {
        CArray<VariableTag, VariableTag &> variables;
        const FunctionTarget &target = m_cached[sample];
        return Check(query == Query::LocalsInScope
                         ? m_client.LocalsInScope(requester, target.mode, target.inside, kAllNames, variables)
                         : m_client.VariablesInScope(requester, target.mode, target.inside, kAllNames, variables));
    }
    case Query::BreakpointDescription: {
        CArray<LabelTag, LabelTag &> labels;
        return Check(m_client.BreakpointDescription(requester, m_cached[sample].mode, m_cached[sample].inside, labels));
    }
    case Query::BreakpointAddresses: {
        CArray<LabelTag, LabelTag &> labels;
        return Check(m_client.BreakpointAddresses(requester, m_descriptors[sample], labels));
    }
    case Query::Location: {
        // A location always comes; it has found something when it names a source line.
        LocationTag location;
        const FunctionTarget &target = m_cached[sample];
        const int records = Check(m_client.Location(requester, target.mode, target.inside, location));
        return records > 0 && location.SourceLine <= 0 ? 0 : records;
    }
    }
    return -1;
}

int QueryRun::AskFirstRead(Query query, const FunctionTarget &target)
{
    if (query == Query::LocalsInScope) {
        CArray<VariableTag, VariableTag &> variables;
        return Check(m_client.LocalsInScope(Requester::Synchronous, target.mode, target.inside, kAllNames, variables));
    }
    CArray<SourceLineTag, SourceLineTag &> lines;
    return Check(m_client.SourceLineRangesByAddress(Requester::Synchronous, target.mode, target.start, lines));
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
    default:
        break;
    }
    if (records < 0)
        m_failure = "a plain SQLite query failed";
    return records;
}

// One gdb session: its first command waits for gdb's index of the program; then the first
// asking in each module read first; then every cached query twice. 409 is set beside
// the same "info scope" as 405, 4000 beside the same "info line" as 703.
bool QueryRun::RunGdb()
{
    std::vector<std::string> commands = {"info line *" + HexAddress(m_gdbWarmUp.start)};
    std::vector<std::pair<Query, std::string>> first, cached;
    for (const auto &[query, targets] : m_firstReads) {
        for (const FunctionTarget &target : targets)
            first.push_back({query, GdbCommand(query, target)});
    }
    for (size_t sample = 0; sample < m_cached.size(); ++sample) {
        for (Query query : {Query::SourceLineRangesByAddress, Query::FunctionByAddress, Query::LocalsInScope,
                            Query::BreakpointDescription})
            cached.push_back({query, GdbCommand(query, m_cached[sample])});
        if (m_unusable.count(Query::BreakpointAddresses) == 0)
            cached.push_back({Query::BreakpointAddresses, "info line " + m_fileLines[sample]});
    }
    for (const TypeTarget &type : m_types)
        cached.push_back({Query::MembersOfType, "ptype struct " + type.name});
    for (const auto &command : first)
        commands.push_back(command.second);
    for (int asking = 0; asking < 2; ++asking) {
        for (const auto &command : cached)
            commands.push_back(command.second);
    }
    std::vector<double> seconds;
    if (!GdbCommandTimes(m_program, commands, m_folder.path, seconds, m_failure))
        return false;
    for (size_t i = 0; i < first.size(); ++i)
        gdbFirstAsking[first[i].first].push_back(seconds[1 + i]);
    const size_t second = 1 + first.size() + cached.size();
    for (size_t i = 0; i < cached.size(); ++i)
        gdbSecondAsking[cached[i].first].push_back(seconds[second + i]);
    gdbSecondAsking[Query::VariablesInScope] = gdbSecondAsking[Query::LocalsInScope];
    gdbSecondAsking[Query::Location] = gdbSecondAsking[Query::BreakpointDescription];
    return true;
}

// Made by main before the benchmarks are registered, deleted once all have run.
QueryRun *g_run = nullptr;

// The run, when `query` can be measured in it; else null, and the benchmark skipped.
QueryRun *Run(benchmark::State &state, Query query)
{
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

void FirstRead(benchmark::State &state, Query query)
{
    QueryRun *run = Run(state, query);
    if (run == nullptr)
        return;
    std::vector<double> seconds;
    for (auto _ : state) {
        const FunctionTarget *target = run->NextFirstRead(query);
        if (target == nullptr) {
            state.SkipWithError("every module set aside for a first read has been read: run this once per run");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        const int records = run->AskFirstRead(query, *target);
        const double elapsed = SecondsSince(start);
        if (records < 0 || (records == 0 && !MayFindNothing(query))) {
            state.SkipWithError(records < 0 ? run->failure().c_str() : "a first read found nothing");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    if (state.error_occurred())
        return;
    const std::vector<double> &gdb = run->gdbFirstAsking[query];
    Figures(state, "", seconds, 1e-3, "ms");
    Figures(state, "gdb_", gdb, 1e-3, "ms");
    state.counters["median/gdb_median"] = Median(seconds) / Median(gdb);
    state.counters["p99/gdb_p99"] = Percentile(seconds, 99) / Percentile(gdb, 99);
}

void CachedQuery(benchmark::State &state, Query query, Requester requester)
{
    QueryRun *run = Run(state, query);
    if (run == nullptr)
        return;
    if (HasPlain(query) && !run->OpenPlain()) {
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
        if (records < 0 || (records == 0 && !MayFindNothing(query))) {
            state.SkipWithError(records < 0 ? run->failure().c_str() : "a cached query found nothing");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
        sample = (sample + 1) % samples;
    }
    if (state.error_occurred())
        return;
    for (size_t i = 0; HasPlain(query) && i < seconds.size(); ++i) {
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
    Figures(state, "gdb_", gdb, 1e-6, "us");
    state.counters["median/gdb_median"] = Median(seconds) / Median(gdb);
    state.counters["p99/gdb_p99"] = Percentile(seconds, 99) / Percentile(gdb, 99);
    if (HasPlain(query)) {
        Figures(state, "sqlite_", plain, 1e-6, "us");
        state.counters["median/sqlite_median"] = Median(seconds) / Median(plain);
        state.counters["table_rows"] = run->TableRows(query);
    }
}

// The benchmarks, in the order in which they run: the first reads before anything else
// reads a module. A cached query is timed `RoundTrips` times.
void RegisterQueryBenchmarks(QueryRun &run)
{
    const auto name = [](const char *kind, Query query, const char *suffix) {
        // RequestName's text after the code.
        return std::string(kind) + "/" + (std::strchr(RequestName(query), ' ') + 1) + suffix;
    };
    for (Query query : {Query::SourceLineRangesByAddress, Query::LocalsInScope})
        benchmark::RegisterBenchmark(name("FirstRead", query, "").c_str(), FirstRead, query)
            ->Iterations(kFirstReadModules)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
    for (Query query : {Query::FunctionByAddress, Query::SourceLineRangesByAddress, Query::MembersOfType,
                        Query::LocalsInScope, Query::VariablesInScope, Query::BreakpointDescription,
                        Query::BreakpointAddresses, Query::Location}) {
        for (Requester requester : {Requester::Synchronous, Requester::Window})
            benchmark::RegisterBenchmark(
                name("CachedQuery", query, requester == Requester::Synchronous ? "_sync" : "_window").c_str(),
                CachedQuery, query, requester)
                ->Iterations(run.RoundTrips(query))
                ->Unit(benchmark::kMicrosecond)
                ->UseManualTime();
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    g_run = new QueryRun();
    RegisterQueryBenchmarks(*g_run);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The server goes while the process is whole, not among the static objects' ends.
    delete g_run;
    return 0;
}
