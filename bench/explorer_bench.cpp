// The symbol explorer filling its tree for the 3000-module firmware of gen-firmware.py
// (load_bench's, made once in bench-firmware/ of the build folder): the firmware is loaded
// through libKorvex.so as the debugger loads it (a copy, with a new database), the explorer is initialised on the
// debug-server object and its window made, and the clock runs from SignalLoadingPrgFile
// (1, id) until its last group is filled, the replies handled as its window gets them.
// gdb-multiarch's `info functions` on the same file, timed by gdb itself in the same run,
// stands beside.
//
// Counters: the explorer's time and gdb's in milliseconds, the functions shown and the
// ratio of the explorer's time to gdb's; the goal is at most 1.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target explorer_bench Korvex
//   build-bench/bin/explorer_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <qelhostprogram.h>
#include <symbolexplorer.h>
#include <talvixresources.h>

#include <benchmark/benchmark.h>

#include <string>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

namespace {

using namespace qelbench;

struct Filling {
    double seconds = 0;
    size_t functions = 0;
    std::string failure;
};

HTREEITEM Next(HWND tree, UINT relation, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::string Text(HWND tree, HTREEITEM item)
{
    char text[64] = "";
    TVITEMA fields = {};
    fields.mask = TVIF_TEXT;
    fields.hItem = item;
    fields.pszText = text;
    fields.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
    return text;
}

// The groups at the root; a group is filled by the one reply that inserts it.
size_t Groups(HWND tree)
{
    size_t groups = 0;
    for (HTREEITEM item = Next(tree, TVGN_ROOT, nullptr); item != nullptr; item = Next(tree, TVGN_NEXT, item))
        ++groups;
    return groups;
}

size_t Children(HWND tree, const std::string &group)
{
    for (HTREEITEM item = Next(tree, TVGN_ROOT, nullptr); item != nullptr; item = Next(tree, TVGN_NEXT, item)) {
        if (Text(tree, item) != group)
            continue;
        size_t count = 0;
        for (HTREEITEM child = Next(tree, TVGN_CHILD, item); child != nullptr; child = Next(tree, TVGN_NEXT, child))
            ++count;
        return count;
    }
    return 0;
}

Filling FillTree(const std::string &firmware)
{
    Filling filling;
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        options.file = firmware.c_str();
        QelHost::ProgramSession session(options);
        if (!session.Start() || session.Load().status != 0) {
            filling.failure = "the firmware cannot be loaded";
            return 1;
        }
        HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 300, 600, nullptr, nullptr, nullptr, nullptr);
        CComObject<CQelSymbolExplorer> *explorer = nullptr;
        CComObject<CQelSymbolExplorer>::CreateInstance(&explorer);
        CComPtr<IQelSymbolExplorer> hold(explorer);
        RECT rect{0, 0, 300, 600};
        if (explorer->Init(session.DebuggerObject().debugServer, nullptr) != S_OK ||
            explorer->CreateControlWindow(parent, rect) == nullptr) {
            filling.failure = "the explorer cannot be made";
            return 1;
        }
        HWND tree = explorer->GetTreeWindow();
        auto start = std::chrono::steady_clock::now();
        explorer->SignalLoadingPrgFile(1, 1);
        MSG message;
        while (Groups(tree) < 3 && SecondsSince(start) < 600) {
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            else
                Sleep(0);
        }
        filling.seconds = SecondsSince(start);
        filling.functions = Children(tree, "Functions");
        if (Groups(tree) < 3)
            filling.failure = "the explorer's groups did not come";
        explorer->Cleanup();
        explorer->DestroyWindow();
        DestroyWindow(parent);
        return 0;
    });
    return filling;
}

void FillsTheTreeOfTheFirmware(benchmark::State &state)
{
    std::string failure;
    const std::string firmware = Firmware(failure);
    if (firmware.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    Filling filling;
    double gdb = 0;
    for (auto _ : state) {
        BenchFolder work("qelexplorer");
        std::vector<double> seconds;
        if (!GdbCommandTimes(firmware, {"info functions"}, work.path, seconds, failure)) {
            state.SkipWithError(failure.c_str());
            return;
        }
        gdb = seconds[0];
        // A copy, so that its symbol database is made in the work folder, not beside the firmware.
        const fs::path copy = FirmwareCopy(work.path, failure);
        if (copy.empty()) {
            state.SkipWithError(failure.c_str());
            return;
        }
        filling = FillTree(copy.string());
        if (!filling.failure.empty()) {
            state.SkipWithError(filling.failure.c_str());
            return;
        }
    }
    state.counters["functions"] = static_cast<double>(filling.functions);
    state.counters["explorer_ms"] = filling.seconds * 1e3;
    state.counters["gdb_ms"] = gdb * 1e3;
    state.counters["explorer_to_gdb"] = gdb > 0 ? filling.seconds / gdb : 0;
}

BENCHMARK(FillsTheTreeOfTheFirmware)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
