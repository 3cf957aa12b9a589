// The load command of the program window's menu next to a plain load, in the same run: the
// 200-module firmware of gen-firmware.py (made once in bench-firmware-200/ of the build
// folder, shared with expr_bench) loaded by `qelhost session` through command 1 with the
// path as its one input, which loads synchronously and then does what follows a load
// (the start-up labels, the workspace, the breakpoints), and by `qelhost load`, which asks
// the symbol server's LoadFile alone. Both build the symbol database anew, in a folder of
// their own, so both do the whole work of a first load, and both start and end the same
// process around it.
//
// Counters: the median of 5 runs of each in milliseconds and the ratio of the command to
// the plain load; the goal is at most 1.1.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target fileload_bench qelhost Korvex
//   build-bench/bin/fileload_bench
#include "benchfirmware.h"

#include <benchmark/benchmark.h>

#include <fstream>

extern const char kQelHostProgram[];

namespace {

using namespace qelbench;

const int kModules = 200;
const int kRuns = 5;

void FileLoadCommand(benchmark::State &state)
{
    std::string failure;
    BenchFolder work("qelfileload");
    const fs::path firmware = FirmwareCopy(work.path, failure, kModules);
    if (firmware.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const std::string host = "'" + std::string(kQelHostProgram) + "'";
    std::vector<double> commandTimes, plainTimes;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const fs::path commandDb = work.path / ("command" + std::to_string(run));
            const fs::path plainDb = work.path / ("plain" + std::to_string(run));
            fs::create_directories(commandDb);
            fs::create_directories(plainDb);
            const fs::path script = work.path / "load.script";
            std::ofstream(script) << "profile System DATABASE_SPECIAL/BOOL bool:true\n"
                                  << "profile System DATABASE_DIRECTORY/BSTR \"bstr:" << commandDb.string() << "\"\n"
                                  << "start\nexec 1 \"bstr:" << firmware.string() << "\" -o 1\nend\n";
            double command = TimeCommand(host + " session '" + script.string() + "' > /dev/null 2>&1");
            double plain = TimeCommand(host + " load '" + firmware.string() + "' --dbdir '" + plainDb.string() +
                                       "' > /dev/null 2>&1");
            if (command < 0 || plain < 0) {
                state.SkipWithError("qelhost failed");
                return;
            }
            commandTimes.push_back(command);
            plainTimes.push_back(plain);
        }
    }
    const double command = Median(commandTimes), plain = Median(plainTimes);
    state.counters["command_ms"] = command * 1000;
    state.counters["plain_load_ms"] = plain * 1000;
    state.counters["ratio"] = command / plain;
}

BENCHMARK(FileLoadCommand)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
