// The ELF dump of a large program next to binutils' readelf -a -w on the same file, in the
// same run: each iteration dumps the program into a file as a load with a dump does
// (CELFSections: Open, the sections pass, Close) and then lets arm-none-eabi-readelf write
// its account of it into another file of the temporary folder. The time is the dump's;
// the counters give both times and their ratio.
//
// The program is the synthetic firmware of 3000 modules, made once with the cross tool
// chain (scripts/setup.sh --cross) and handed over in QEL_BENCH_FIRMWARE:
//   python3 /work/shared/bench/gen-firmware.py --modules 3000 --out /tmp/firmware
//   make -C /tmp/firmware -j8
//   QEL_BENCH_FIRMWARE=/tmp/firmware/firmware.elf build-bench/bin/elfdump_bench
#include "elfsections.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A file of this process in the temporary folder.
std::string TemporaryFile(const char *name)
{
    return (std::filesystem::temp_directory_path() / ("elfdump-bench-" + std::to_string(getpid()) + "-" + name))
        .string();
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void DumpNextToReadelf(benchmark::State &state)
{
    const char *firmware = std::getenv("QEL_BENCH_FIRMWARE");
    if (firmware == nullptr || access(firmware, R_OK) != 0) {
        state.SkipWithError("QEL_BENCH_FIRMWARE names no readable program (see the commands in elfdump_bench.cpp)");
        return;
    }
    const std::string dump = TemporaryFile("firmware.dmp"), text = TemporaryFile("readelf.txt");
    const std::string readelf = "arm-none-eabi-readelf -a -w '" + std::string(firmware) + "' > '" + text + "' 2>&1";
    double dumpSeconds = 0, readelfSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        CELFSections reader(1, nullptr);
        if (!reader.Open(firmware, dump.c_str()) || reader.ReadSections(nullptr) != 1) {
            state.SkipWithError(reader.GetFailureText());
            break;
        }
        reader.Close();
        if (!reader.GetDumpError().IsEmpty()) {
            state.SkipWithError(reader.GetDumpError());
            break;
        }
        double seconds = SecondsSince(start);
        state.SetIterationTime(seconds);
        dumpSeconds += seconds;

        start = std::chrono::steady_clock::now();
        if (std::system(readelf.c_str()) != 0) {
            state.SkipWithError("arm-none-eabi-readelf failed (scripts/setup.sh --cross installs it)");
            break;
        }
        readelfSeconds += SecondsSince(start);
    }
    if (!state.error_occurred()) {
        state.counters["dump_s"] = dumpSeconds / state.iterations();
        state.counters["readelf_s"] = readelfSeconds / state.iterations();
        state.counters["dump/readelf"] = dumpSeconds / readelfSeconds;
        state.counters["dump_MB"] = double(std::filesystem::file_size(dump)) / 1e6;
    }
    std::filesystem::remove(dump);
    std::filesystem::remove(text);
}

BENCHMARK(DumpNextToReadelf)->Iterations(3)->Unit(benchmark::kSecond)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
