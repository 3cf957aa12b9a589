// The add-on's breakpoint routine for every line with code of a program: the 200-module
// firmware of gen-firmware.py (made once in bench-firmware-200/ of the build folder,
// shared with expr_bench), loaded through libKorvex.so as the debugger loads it. The
// lines are those with code in arm-none-eabi-readelf's decoded line table, each file and
// line once. For each, the link asks Korvex for the addresses of "FILE LINE" and sends them to
// the host as its command 3; the clock runs from the first request to the last command
// in the host's record. Beside it, `gdb-multiarch -batch -x` a file of `break FILE:LINE`
// for the same lines, as one whole run, and the same run with no breakpoints, which is
// what gdb takes to start and read the program.
//
// Counters: the lines, the host's breakpoint commands that reached it (a run in which
// not every line's command came fails: it would time failures), the seconds of each side, and the
// ratio of the routine to gdb's run; the goal is at most 1.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target breakpointlines_bench Korvex
//   build-bench/bin/breakpointlines_bench
#include "benchfirmware.h"

#include <casetoolcomm.h>
#include <hostcmdgroups.h>
#include <qelhostprogram.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace {

using namespace qelbench;

const int kModules = 200;

// The lines with code in readelf's decoded line table: those whose row is followed, in
// its sequence, by a row at a higher address (a row at the address of the next one, as
// the optimiser leaves them, has no instruction of its own). Each file and line once, in
// the table's order.
bool LinesWithCode(const std::string &program, const fs::path &folder, std::vector<std::pair<std::string, int>> &lines,
                   std::string &failure)
{
    const fs::path table = folder / "decodedline.txt";
    const std::string run = "arm-none-eabi-readelf --debug-dump=decodedline '" + program + "' > '" + table.string() + "'";
    if (std::system(run.c_str()) != 0) {
        failure = "arm-none-eabi-readelf cannot read " + program;
        return false;
    }
    std::ifstream in(table);
    std::set<std::pair<std::string, int>> seen;
    std::pair<std::string, int> previous;
    unsigned long previousAddress = 0;
    bool open = false; // a row of this sequence waits for the address after it
    for (std::string text; std::getline(in, text);) {
        std::istringstream row(text);
        std::string file, line, address;
        if (!(row >> file >> line >> address) || address.compare(0, 2, "0x") != 0 || file.size() < 3 ||
            file.compare(file.size() - 2, 2, ".c") != 0) {
            open = false;
            continue;
        }
        const unsigned long at = std::stoul(address, nullptr, 16);
        if (open && at > previousAddress && seen.insert(previous).second)
            lines.push_back(previous);
        open = line != "-"; // "-" ends the sequence at its address
        if (open) {
            previous = {file, std::stoi(line)};
            previousAddress = at;
        }
    }
    if (lines.empty())
        failure = "readelf's line table of " + program + " has no lines with code";
    return !lines.empty();
}

struct Routine {
    double seconds = 0;
    size_t sent = 0;
    std::string failure;
};

// The routine for each line, through Korvex to the host's record.
Routine SendEveryLine(const std::string &program, const std::vector<std::pair<std::string, int>> &lines)
{
    Routine routine;
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        options.file = program.c_str();
        QelHost::ProgramSession session(options);
        if (!session.Start() || session.Load().status != 0) {
            routine.failure = "the firmware cannot be loaded";
            return 1;
        }
        QelHost::CHostDebugServer *host = session.DebuggerObject().Host();
        CCaseToolComm link;
        link.Connect("bench", session.DebuggerObject().debugServer, nullptr);
        const size_t before = host->Commands()->Count();
        const auto start = std::chrono::steady_clock::now();
        for (const auto &[file, line] : lines) {
            if (!link.SendBreakpointAddresses((file + " " + std::to_string(line)).c_str(), 3, TRUE)) {
                routine.failure = "no request could be made for " + file + " " + std::to_string(line);
                return 1;
            }
        }
        // The answers come through the client's window, so the wait blocks for the next
        // message rather than polling, which would add a sleep to every answer; a thread
        // timer wakes it to see that a minute without an answer ends the wait.
        // Only the host's breakpoint commands count: each line's also brings the symbol
        // server's and the add-on's notices of the changed list into the record, and what
        // the load sends the host may land in it late. Each record is looked at once.
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, nullptr);
        auto progress = std::chrono::steady_clock::now();
        size_t looked = before;
        while (routine.sent < lines.size() && SecondsSince(progress) < 60) {
            MSG message;
            if (GetMessageA(&message, nullptr, 0, 0) <= 0)
                break;
            DispatchMessageA(&message);
            const size_t count = host->Commands()->Count();
            if (count == looked)
                continue;
            routine.sent += host->Commands()->CountOf(CGID_QelHostBreakpoints, 3, looked, count);
            looked = count;
            progress = std::chrono::steady_clock::now();
        }
        KillTimer(nullptr, timer);
        routine.seconds = SecondsSince(start);
        link.Disconnect();
        return 0;
    });
    return routine;
}

// One gdb-multiarch -batch run of `commands` on `program`; its seconds, negative when it failed.
double GdbBatch(const std::string &program, const std::vector<std::string> &commands, const fs::path &folder,
                const char *name)
{
    const fs::path script = folder / name;
    {
        std::ofstream out(script);
        for (const std::string &command : commands)
            out << command << '\n';
    }
    return TimeCommand("gdb-multiarch -nx -batch -x '" + script.string() + "' '" + program + "' > '" +
                       (folder / name).string() + ".out' 2>&1");
}

void BreakpointsOfEveryLine(benchmark::State &state)
{
    std::string failure;
    const std::string firmware = Firmware(failure, kModules);
    if (firmware.empty() || !OnPath("gdb-multiarch")) {
        state.SkipWithError(firmware.empty() ? failure.c_str() : "gdb-multiarch is not on PATH");
        return;
    }
    BenchFolder work("qelbreakpoints");
    std::vector<std::pair<std::string, int>> lines;
    if (!LinesWithCode(firmware, work.path, lines, failure)) {
        state.SkipWithError(failure.c_str());
        return;
    }
    std::vector<std::string> breaks;
    for (const auto &[file, line] : lines)
        breaks.push_back("break " + file + ":" + std::to_string(line));
    Routine routine;
    double gdb = 0, gdbStart = 0;
    for (auto _ : state) {
        // The database is made by a load before, so that the routine meets one that exists.
        BenchFolder copy("qelbreakpoints");
        const fs::path program = copy.path / "firmware.elf";
        fs::copy_file(firmware, program);
        SendEveryLine(program.string(), {});
        routine = SendEveryLine(program.string(), lines);
        if (routine.failure.empty() && routine.sent != lines.size())
            routine.failure = "only " + std::to_string(routine.sent) + " of " + std::to_string(lines.size()) +
                              " lines reached the host, so the routine times failures";
        if (!routine.failure.empty()) {
            state.SkipWithError(routine.failure.c_str());
            return;
        }
        gdb = GdbBatch(firmware, breaks, work.path, "gdb-breaks");
        gdbStart = GdbBatch(firmware, {}, work.path, "gdb-none");
        if (gdb < 0 || gdbStart < 0) {
            state.SkipWithError("gdb-multiarch failed; see its output in the work folder");
            return;
        }
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["sent"] = static_cast<double>(routine.sent);
    state.counters["routine_s"] = routine.seconds;
    state.counters["gdb_s"] = gdb;
    state.counters["gdb_start_s"] = gdbStart;
    state.counters["routine_to_gdb"] = gdb > 0 ? routine.seconds / gdb : 0;
}

BENCHMARK(BreakpointsOfEveryLine)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
