// The program window finding the source of every function of a program, twice: the
// 200-module firmware of gen-firmware.py (made once in bench-firmware-200/ of the build
// folder, shared with expr_bench), copied and made to look built elsewhere (its
// compilation directory made one that does not exist), so that its units name bare files
// ("m0000.c") that the source root, the firmware's folder, finds. It is loaded through
// libKorvex.so as the debugger loads it. Each function's source file is the name that the
// location of its address gives (asked before the clock runs); command 11 of the symbol
// server, without asking and without showing, finds its path. The first pass looks for
// every file on disk (through the workspace's aliases and the source root); the second
// finds them in the handler's cache. gdb-multiarch's `info line FUNCTION` of each
// function, which names its source, in one session timed by gdb itself, stands beside.
//
// Counters: the mean per function of each pass and of gdb in microseconds, and the ratio
// of the first pass to the second; the goal is at least 10. A run in which not every
// function's source is found fails: its passes would time failures.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target progwin_bench Korvex
//   build-bench/bin/progwin_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <hostcfgprofile.h>
#include <oletarcmdcaller.h>
#include <qelhostprogram.h>
#include <symbolprocessing.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>


namespace {

using namespace qelbench;

const int kModules = 200;

struct Passes {
    double first = 0, second = 0; // seconds per function
    size_t functions = 0, found = 0;
    std::vector<std::string> names; // the functions, for gdb
    std::string failure;
};

double Mean(const std::vector<double> &values)
{
    double sum = 0;
    for (double value : values)
        sum += value;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

// Command 11 for each name; how many gave a path.
size_t FindAll(IUnknown *debugServer, const std::vector<std::string> &files)
{
    size_t found = 0;
    for (const std::string &file : files) {
        CVariantArray in(3), out(1);
        in[0].SetString(file.c_str());
        in[1].SetString("");
        in[2].SetValue(CComVariant(false));
        found += COleTarCmdCaller(debugServer, &CLSID_QelSymbol).Exec(11, &in, &out, 0) == S_OK;
    }
    return found;
}

Passes FindSources(const fs::path &program, const fs::path &sources)
{
    Passes passes;
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        const std::string path = program.string();
        options.file = path.c_str();
        QelHost::ProgramSession session(options);
        CComPtr<IUnknown> profile;
        if (session.Start())
            session.DebuggerObject().Host()->GetProfile(&profile);
        auto *host = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
        if (host == nullptr ||
            FAILED(host->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", CComVariant(sources.string().c_str()))) ||
            session.Load().status != 0) {
            passes.failure = "the firmware cannot be loaded";
            return 1;
        }
        IUnknown *debugServer = session.DebuggerObject().debugServer;
        CSymbolProcessing client;
        CFunctionTagArray functions;
        if (!client.Attach(debugServer) || !client.GetFunctions(client.RequestFunctions(0), functions)) {
            passes.failure = "no functions";
            return 1;
        }
        std::vector<std::string> files;
        for (int i = 0; i < functions.GetSize(); ++i) {
            LocationTag location;
            client.GetLocation(client.RequestLocation(1, static_cast<LONG>(functions[i].AddressValue), 0), location);
            files.push_back(static_cast<LPCSTR>(location.EntryInFile));
            passes.names.push_back(static_cast<LPCSTR>(functions[i].Name));
        }
        client.Detach();
        passes.functions = files.size();
        auto start = std::chrono::steady_clock::now();
        passes.found = FindAll(debugServer, files);
        passes.first = SecondsSince(start) / static_cast<double>(files.size());
        start = std::chrono::steady_clock::now();
        FindAll(debugServer, files);
        passes.second = SecondsSince(start) / static_cast<double>(files.size());
        return 0;
    });
    return passes;
}

void SourcesOfEveryFunction(benchmark::State &state)
{
    std::string failure;
    const std::string firmware = Firmware(failure, kModules);
    if (firmware.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    // The copy names the firmware's folder nowhere: its first character is another.
    BenchFolder copy("qelprogwin");
    const fs::path program = copy.path / "firmware.elf";
    {
        std::ifstream in(firmware, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string folder = fs::path(firmware).parent_path().string();
        for (size_t at = bytes.find(folder); at != std::string::npos; at = bytes.find(folder, at + 1))
            bytes[at] = 'X';
        std::ofstream(program, std::ios::binary) << bytes;
    }
    Passes passes;
    double gdb = 0;
    for (auto _ : state) {
        passes = FindSources(program, fs::path(firmware).parent_path());
        if (passes.failure.empty() && passes.found != passes.functions)
            passes.failure = "only " + std::to_string(passes.found) + " of " + std::to_string(passes.functions) +
                             " sources were found, so the passes measure failures";
        if (!passes.failure.empty()) {
            state.SkipWithError(passes.failure.c_str());
            return;
        }
        std::vector<std::string> commands;
        for (const std::string &name : passes.names)
            commands.push_back("info line " + name);
        BenchFolder work("qelprogwin");
        std::vector<double> seconds;
        if (!GdbCommandTimes(firmware, commands, work.path, seconds, failure)) {
            state.SkipWithError(failure.c_str());
            return;
        }
        gdb = Mean(seconds);
    }
    state.counters["functions"] = static_cast<double>(passes.functions);
    state.counters["found"] = static_cast<double>(passes.found);
    state.counters["first_us"] = passes.first * 1e6;
    state.counters["cached_us"] = passes.second * 1e6;
    state.counters["gdb_us"] = gdb * 1e6;
    state.counters["first_to_cached"] = passes.second > 0 ? passes.first / passes.second : 0;
}

BENCHMARK(SourcesOfEveryFunction)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
