// The communication variable objects of a watch window refreshed after a stop, next to
// gdb-multiarch's `print` of the same entries, in the same run. The program is the watch
// test program testdata/elf/watch-O0.elf; the window holds 200 entries: 120 expressions
// over its globals (members, elements, arithmetic, casts, through pointers) and 80
// variables, structures, arrays, unions and pointers, each expanded three levels, as
// the watch window shows them.
//
// Our side: the program loaded through libKorvex.so's symbol server as the debugger loads
// it and laid into the host's simulated target; the window's objects made and expanded
// once (outside the time); then each round stops the target and refreshes every entry as
// the host's value notice does (Refresh, then the texts made anew). gdb prints the same
// 200 entries (the variables whole) in one session, each print timed by gdb itself, so
// that its start-up is left out (gdbtimes.h).
//
// Counters: the median round and gdb's prints of all entries, in milliseconds, and their
// ratio; the goal is a ratio under 0.2.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target watch_bench Korvex
//   build-bench/bin/watch_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <commvariableobj.h>
#include <hostwatchwindow.h>
#include <qelhostprogram.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

extern const char kQelWatchProgram[];

namespace {

using namespace qelbench;

const int kRounds = 20;

const char *const kExpressions[] = {
    "g_int",          "g_uchar + 1",        "config.version",     "config.area.corner[1].x", "chain[1].byte_t * 3",
    "grid[2][3]",     "g_number.i",         "config.flags.s4",    "chain_ptr->byte_t",       "config_ptr->scale",
    "(long)g_short",  "g_float",            "g_double",           "g_llong",                 "origin.x + origin.y",
    "*int_ptr",       "g_level",            "config.value.b[2]",  "g_ushort >> 3",           "config.area.colour.green",
    "chain[0].next->level", "grid[1][2] - grid[0][1]", "g_schar", "g_ulong", "config.serial",
    "config_ptr->area.corner[0].y", "g_byte & 0x0F", "chain[2].level", "g_zero[3]", "config.flags.u9"};
const char *const kVariables[] = {"config", "chain", "grid", "g_number", "origin", "config_ptr", "chain_ptr", "g_zero"};

struct Entries {
    std::vector<std::string> expressions, variables;
};

Entries MakeEntries()
{
    Entries entries;
    const size_t expressions = sizeof kExpressions / sizeof kExpressions[0];
    const size_t variables = sizeof kVariables / sizeof kVariables[0];
    for (size_t i = 0; i < 120; ++i)
        entries.expressions.push_back(kExpressions[i % expressions]);
    for (size_t i = 0; i < 80; ++i)
        entries.variables.push_back(kVariables[i % variables]);
    return entries;
}

// The median seconds of one refresh of every entry after a stop; -1 with the reason.
double RefreshRounds(const fs::path &program, const Entries &entries, std::string &failure)
{
    double median = -1;
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        const std::string path = program.string();
        options.file = path.c_str();
        QelHost::ProgramSession session(options);
        if (!session.Start() || session.Load().status != 0) {
            failure = "the program cannot be loaded";
            return 1;
        }
        QelHost::CHostTarget *target = session.DebuggerObject().Host()->Target();
        if (!target->LoadProgram(path.c_str(), &failure))
            return 1;
        ULONG pc = 0;
        target->GetPc(&pc);
        QelHost::CHostWatchWindow window(session.DebuggerObject().debugServer, CreateCommVariableObject);
        if (!window.Open()) {
            failure = "the window cannot be opened";
            return 1;
        }
        for (const std::string &text : entries.expressions)
            window.AddExpression("?(" + text + ")");
        for (const std::string &name : entries.variables)
            window.AddVariable(name + " *");
        window.Expand(3);
        std::vector<double> rounds;
        for (int round = 0; round < kRounds; ++round) {
            target->Stop(pc);
            const auto start = std::chrono::steady_clock::now();
            window.RefreshAll();
            rounds.push_back(SecondsSince(start));
        }
        median = Median(rounds);
        return 0;
    });
    return median;
}

void RefreshAfterAStopNextToGdbPrint(benchmark::State &state)
{
    std::string failure;
    BenchFolder folder("qel-watch-bench");
    const fs::path program = folder.path / "watch-O0.elf";
    fs::copy_file(kQelWatchProgram, program);
    const Entries entries = MakeEntries();
    std::vector<std::string> prints;
    for (const std::string &text : entries.expressions)
        prints.push_back("print " + text);
    for (const std::string &name : entries.variables)
        prints.push_back("print " + name);
    std::vector<double> gdbSeconds;
    if (!OnPath("gdb-multiarch") || !GdbCommandTimes(program, prints, folder.path, gdbSeconds, failure)) {
        state.SkipWithError(failure.empty() ? "gdb-multiarch is not on PATH" : failure.c_str());
        return;
    }
    double gdb = 0;
    for (double seconds : gdbSeconds)
        gdb += seconds;
    double ours = -1;
    for (auto _ : state) {
        ours = RefreshRounds(program, entries, failure);
        if (ours < 0) {
            state.SkipWithError(failure.c_str());
            return;
        }
    }
    state.counters["refresh_ms"] = ours * 1e3;
    state.counters["gdb_print_ms"] = gdb * 1e3;
    state.counters["refresh_per_print"] = ours / gdb;
}
BENCHMARK(RefreshAfterAStopNextToGdbPrint)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
