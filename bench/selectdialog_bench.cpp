// The symbol selection dialog in data mode (1) on the 3000-module firmware of
// gen-firmware.py (load_bench's, made once in bench-firmware/ of the build folder): the
// firmware is loaded through libKorvex.so as the debugger loads it (a copy, with a new
// database), the dialog made on the debug-server object and shown, and the clock runs
// from its first idle, which asks for the statics, the globals and the data labels, until
// "All Globals/Statics" is filled and its first page painted, the replies handled as its
// window gets them. gdb-multiarch's `info variables` on the same file, timed by gdb itself
// in the same run, stands beside.
//
// Counters: the dialog's time and gdb's in milliseconds, the entries of "All
// Globals/Statics" and the ratio of the dialog's time to gdb's; the goal is at most 1.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target selectdialog_bench Korvex
//   build-bench/bin/selectdialog_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <drawingchecks.h>
#include <qelhostprogram.h>
#include <selectdialogresources.h>
#include <symbolselectdialog.h>
#include <talvixresources.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

namespace {

using namespace qelbench;

struct Filling {
    double seconds = 0;
    size_t entries = 0;
    std::string failure;
};

// The children of the root item named `group`; -1 while there is no such item.
long Children(DrawnTreeBaseC &tree, const char *group)
{
    for (HTREEITEM item = tree.GetChildItem(TVI_ROOT); item != nullptr; item = tree.GetNextSiblingItem(item)) {
        if (tree.GetItemText(item) != group)
            continue;
        long count = 0;
        for (HTREEITEM child = tree.GetChildItem(item); child != nullptr; child = tree.GetNextSiblingItem(child))
            ++count;
        return count;
    }
    return -1;
}

Filling FillDialog(const std::string &firmware)
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
        HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 600, nullptr, nullptr,
                                      nullptr, nullptr);
        {
            CWnd *owner = CWnd::FromHandle(parent);
            auto dialog = std::make_unique<CQelSymbolSelectDialog>(owner);
            dialog->SetMode(DATA_LABEL);
            if (!dialog->CreateRequestClient(session.DebuggerObject().debugServer) ||
                !dialog->Create(IDD_SYMBOL_SELECT, owner)) {
                filling.failure = "the dialog cannot be made";
                return 1;
            }
            dialog->ShowWindow(SW_SHOW);
            QelPaintPending();
            auto *tree =
                static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog->m_hWnd, IDC_SELECT_TREE)));
            auto start = std::chrono::steady_clock::now();
            dialog->SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, 0);
            MSG message;
            long entries = -1;
            while ((entries = Children(*tree, "All Globals/Statics")) <= 0 && SecondsSince(start) < 600) {
                if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
                else
                    Sleep(0);
            }
            QelPaintPending();
            filling.seconds = SecondsSince(start);
            filling.entries = entries > 0 ? static_cast<size_t>(entries) : 0;
            if (entries <= 0)
                filling.failure = "\"All Globals/Statics\" was not filled";
            dialog->DestroyWindow();
        }
        DestroyWindow(parent);
        return 0;
    });
    return filling;
}

void FillsAllGlobalsAndStaticsOfTheFirmware(benchmark::State &state)
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
        BenchFolder work("qelselectdialog");
        std::vector<double> seconds;
        if (!GdbCommandTimes(firmware, {"info variables"}, work.path, seconds, failure)) {
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
        filling = FillDialog(copy.string());
        if (!filling.failure.empty()) {
            state.SkipWithError(filling.failure.c_str());
            return;
        }
    }
    state.counters["entries"] = static_cast<double>(filling.entries);
    state.counters["dialog_ms"] = filling.seconds * 1e3;
    state.counters["gdb_ms"] = gdb * 1e3;
    state.counters["dialog_to_gdb"] = gdb > 0 ? filling.seconds / gdb : 0;
}

BENCHMARK(FillsAllGlobalsAndStaticsOfTheFirmware)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
