// The EasyCODE link's value watch for 1,000 globals of a program: the 200-module firmware
// of gen-firmware.py (made once in bench-firmware-200/ of the build folder, shared with
// breakpointlines_bench), loaded through libKorvex.so as the debugger loads it, and laid
// into the simulated target's memory. For each global (the firmware's base-type globals
// that are not static, in the order of their sources, taken again from the first when
// there are fewer), the tool fires event 13 with its name, the link asks Korvex for the
// variable in scope and its lifetime and follows Korvex's variable object, and the target
// stops; the watch ends at the link's slot-18 call with the value. The clock runs from
// the first event to the last slot-18 call. Beside it, `gdb-multiarch -batch -x` a file
// of `print NAME` for the same globals, as one whole run.
//
// Counters: the watches, the values that reached the tool (a run in which not every watch
// gave one fails), the seconds of each side and the ratio of the link to gdb's run; the
// goal is at most 1.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target easycode_bench Korvex
//   build-bench/bin/easycode_bench
#include "benchfirmware.h"

#include <easycodecomm.h>
#include <hostcmdgroups.h>
#include <hostecdebug.h>
#include <qelhostprogram.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <regex>
#include <string>

namespace {

using namespace qelbench;

const int kModules = 200;
const size_t kWatches = 1000;

// The names of the firmware's base-type globals that are not static, source by source.
std::vector<std::string> Globals(const fs::path &folder)
{
    static const std::regex global(R"(^(volatile )?(unsigned |signed )?(char|short|int|long|float|double) (g[0-9]+_[0-9]+)( =.*)?;)");
    std::vector<fs::path> sources;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".c")
            sources.push_back(entry.path());
    }
    std::sort(sources.begin(), sources.end());
    std::vector<std::string> names;
    for (const fs::path &source : sources) {
        std::ifstream in(source);
        std::smatch match;
        for (std::string line; std::getline(in, line);) {
            if (std::regex_match(line, match, global))
                names.push_back(match[4]);
        }
    }
    return names;
}

// The host's add-on: the link's own command 6, the value of the watch, goes to ShowValue,
// as the add-on's command handler takes it.
class ValueCommands : public CComObjectRootEx<CComSingleThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(ValueCommands)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    CCaseToolComm *link = nullptr;

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD *, OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *) override
    {
        if (group == nullptr || !IsEqualGUID(*group, CGID_QelFrameAddOn) || id != 6 || in == nullptr)
            return OLECMDERR_E_UNKNOWNGROUP;
        CVariantArray values(in, FALSE);
        if (values.GetSize() != 2 || values[0].GetValue().vt != VT_BSTR)
            return E_INVALIDARG;
        link->ShowValue(CString(values[0].GetValue().bstrVal), values[1].GetValue());
        return S_OK;
    }
};

struct Routine {
    double seconds = 0;
    size_t shown = 0;
    std::string failure;
};

Routine WatchEveryGlobal(const std::string &program, const std::vector<std::string> &names, ULONG pc)
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
        std::string reason;
        if (!host->Target()->LoadProgram(program.c_str(), &reason)) {
            routine.failure = "the target cannot take the firmware: " + reason;
            return 1;
        }
        host->Target()->SetPc(pc);
        QelHost::EcDebugDouble tool;
        tool.On(true);
        {
            CEasyCodeComm link;
            CComObject<ValueCommands> *commands = nullptr;
            CComObject<ValueCommands>::CreateInstance(&commands);
            CComPtr<IOleCommandTarget> hold(commands);
            commands->link = &link;
            host->SetAddOns({hold});
            if (!link.Connect("EasyCODE Debug Interface", session.DebuggerObject().debugServer, nullptr)) {
                routine.failure = "the link did not come about";
                return 1;
            }
            tool.TakeCalls();
            const auto start = std::chrono::steady_clock::now();
            for (const std::string &name : names) {
                HRESULT answer = E_FAIL;
                if (!tool.Fire(1, 13, {CComVariant(name.c_str())}, &answer, nullptr) || answer != S_OK) {
                    routine.failure = "the watch of " + name + " was refused";
                    break;
                }
                // The answers come through the client's window; a thread timer wakes the
                // wait to see that ten seconds without them end it.
                const UINT_PTR timer = SetTimer(nullptr, 0, 100, nullptr);
                const auto asked = std::chrono::steady_clock::now();
                while (!(link.FollowsWatch() && link.PendingWatches() == 0) && SecondsSince(asked) < 10) {
                    MSG message;
                    if (GetMessageA(&message, nullptr, 0, 0) <= 0)
                        break;
                    DispatchMessageA(&message);
                }
                KillTimer(nullptr, timer);
                host->Target()->Stop(pc);
            }
            routine.seconds = SecondsSince(start);
            for (const QelHost::EcDebugCall &call : tool.TakeCalls())
                routine.shown += call.slot == 18 ? 1 : 0;
            host->SetAddOns({});
        }
        tool.TakeCalls();
        return 0;
    });
    return routine;
}

// main's address in the firmware, by nm; 0 when it has none.
ULONG MainAddress(const std::string &program, const fs::path &folder)
{
    const fs::path out = folder / "nm.txt";
    if (std::system(("arm-none-eabi-nm '" + program + "' > '" + out.string() + "'").c_str()) != 0)
        return 0;
    std::ifstream in(out);
    std::string address, kind, name;
    while (in >> address >> kind >> name) {
        if (name == "main")
            return std::stoul(address, nullptr, 16);
    }
    return 0;
}

void WatchesOfGlobals(benchmark::State &state)
{
    std::string failure;
    const std::string firmware = Firmware(failure, kModules);
    if (firmware.empty() || !OnPath("gdb-multiarch") || !OnPath("arm-none-eabi-nm")) {
        state.SkipWithError(firmware.empty() ? failure.c_str() : "gdb-multiarch or arm-none-eabi-nm is not on PATH");
        return;
    }
    BenchFolder work("qeleasycode");
    std::vector<std::string> globals = Globals(fs::path(firmware).parent_path());
    const ULONG pc = MainAddress(firmware, work.path);
    if (globals.empty() || pc == 0) {
        state.SkipWithError("the firmware has no globals to watch or no main");
        return;
    }
    std::vector<std::string> names;
    for (size_t i = 0; i < kWatches; ++i)
        names.push_back(globals[i % globals.size()]);
    Routine routine;
    double gdb = 0;
    for (auto _ : state) {
        BenchFolder copy("qeleasycode");
        const fs::path program = copy.path / "firmware.elf";
        fs::copy_file(firmware, program);
        // The database is made by a load before, so that the watches meet one that exists.
        WatchEveryGlobal(program.string(), {}, pc);
        routine = WatchEveryGlobal(program.string(), names, pc);
        if (routine.failure.empty() && routine.shown != names.size())
            routine.failure = "only " + std::to_string(routine.shown) + " of " + std::to_string(names.size()) +
                              " values reached the tool, so the routine times failures";
        if (!routine.failure.empty()) {
            state.SkipWithError(routine.failure.c_str());
            return;
        }
        const fs::path script = work.path / "gdb-prints";
        {
            std::ofstream out(script);
            for (const std::string &name : names)
                out << "print " << name << '\n';
        }
        gdb = TimeCommand("gdb-multiarch -nx -batch -x '" + script.string() + "' '" + firmware + "' > '" +
                          script.string() + ".out' 2>&1");
        if (gdb < 0) {
            state.SkipWithError("gdb-multiarch failed; see its output in the work folder");
            return;
        }
    }
    state.counters["watches"] = static_cast<double>(names.size());
    state.counters["shown"] = static_cast<double>(routine.shown);
    state.counters["link_s"] = routine.seconds;
    state.counters["gdb_s"] = gdb;
    state.counters["link_to_gdb"] = gdb > 0 ? routine.seconds / gdb : 0;
}

BENCHMARK(WatchesOfGlobals)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
