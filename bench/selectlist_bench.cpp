// The select list taking every function of the 3000-module firmware of gen-firmware.py
// (load_bench's, made once in bench-firmware/ of the build folder) as a program window
// lists them, and letting them go again: the firmware is loaded through libKorvex.so as
// the debugger loads it (a copy, with a new database) and its functions read once (request
// 200); the clock runs over AddSymbolListEntry of each, in the server's order, and
// RemoveAllViewServerEntries of their view server. `arm-none-eabi-nm --defined-only` of
// the same file, timed in the same run, stands beside.
//
// Counters: the list's time and nm's in milliseconds (medians of the iterations), the
// functions listed and the ratio of the list's time to nm's; the goal is at most 2.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target selectlist_bench
//   build-bench/bin/selectlist_bench
#include "benchfirmware.h"

#include <qelhostprogram.h>
#include <symbolprocessing.h>
#include <symbolselectlist.h>
#include <talvixresources.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

QEL_DEFINE_MODULE_RESOURCES(TalvixModuleResources())

namespace {

using namespace qelbench;

struct Function {
    CComBSTR name;
    UINT address;
};

// The view server that the entries name; it takes no command.
class CListingView : public CComObjectRootEx<CComSingleThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CListingView)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()
};

bool ReadFunctions(const std::string &firmware, std::vector<Function> &functions, std::string &failure)
{
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        options.file = firmware.c_str();
        QelHost::ProgramSession session(options);
        if (!session.Start() || session.Load().status != 0) {
            failure = "the firmware cannot be loaded";
            return 1;
        }
        CSymbolProcessing client;
        CFunctionTagArray tags;
        if (!client.Attach(session.DebuggerObject().debugServer) ||
            !client.GetFunctions(client.RequestFunctions(0), tags)) {
            failure = "the firmware's functions cannot be read";
            return 1;
        }
        for (int i = 0; i < tags.GetSize(); ++i)
            functions.push_back({CComBSTR(static_cast<LPCSTR>(tags[i].Name)), tags[i].AddressValue});
        return 0;
    });
    return failure.empty();
}

// The seconds of listing and unlisting them all; negative when the list refused one.
double ListAndUnlist(const std::vector<Function> &functions, size_t &listed)
{
    HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    CComObject<CQelSymbolSelectList> *list = nullptr;
    CComObject<CQelSymbolSelectList>::CreateInstance(&list);
    CComPtr<IQelSymbolSelectList> hold(list);
    CComObject<CListingView> *view = nullptr;
    CComObject<CListingView>::CreateInstance(&view);
    CComPtr<IUnknown> viewHold(view);
    RECT rect{0, 0, CQelSymbolSelectList::kWidth, CQelSymbolSelectList::kHeight};
    double seconds = -1;
    if (list->CreateControlWindow(parent, rect) != nullptr) {
        HWND combo = list->GetComboWindow();
        const auto start = std::chrono::steady_clock::now();
        bool refused = false;
        for (const Function &function : functions)
            refused = list->AddSymbolListEntry(function.name, function.address, view) != S_OK || refused;
        listed = static_cast<size_t>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        list->RemoveAllViewServerEntries(view);
        seconds = refused || SendMessageA(combo, CB_GETCOUNT, 0, 0) != 0 ? -1 : SecondsSince(start);
        list->DestroyWindow();
    }
    DestroyWindow(parent);
    return seconds;
}

void ListsTheFunctionsOfTheFirmware(benchmark::State &state)
{
    std::string failure;
    const std::string firmware = Firmware(failure);
    BenchFolder work("qelselectlist");
    const fs::path copy = firmware.empty() ? fs::path() : FirmwareCopy(work.path, failure);
    std::vector<Function> functions;
    if (copy.empty() || !ReadFunctions(copy.string(), functions, failure)) {
        state.SkipWithError(failure.c_str());
        return;
    }
    std::vector<double> ours, nm;
    size_t listed = 0;
    for (auto _ : state) {
        const double peer = TimeCommand("arm-none-eabi-nm --defined-only '" + copy.string() + "' > /dev/null");
        const double seconds = ListAndUnlist(functions, listed);
        if (peer < 0 || seconds < 0) {
            state.SkipWithError(peer < 0 ? "arm-none-eabi-nm failed on the firmware" : "the list refused an entry");
            return;
        }
        nm.push_back(peer);
        ours.push_back(seconds);
    }
    state.counters["functions"] = static_cast<double>(functions.size());
    state.counters["entries"] = static_cast<double>(listed);
    state.counters["list_ms"] = Median(ours) * 1e3;
    state.counters["nm_ms"] = Median(nm) * 1e3;
    state.counters["list_to_nm"] = Median(ours) / Median(nm);
}

BENCHMARK(ListsTheFunctionsOfTheFirmware)->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
