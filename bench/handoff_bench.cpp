// The hand-off between a requester's thread and the symbol engine's worker, with nothing
// to do in between: the round trip of a request whose handler only answers whether a
// program is loaded, from its submission to the moment its requester knows it is done.
// - synchronous: Submit of a synchronous request, which returns when the worker has run
//   it;
// - window: a request of a window of this thread, whose notice the worker posts and this
//   thread takes in GetMessageA and dispatches to the window;
// - event: a request for an event notice, whose ready hook (on the worker) posts the
//   notice to the window, as the symbol-request client's sink does.
// Next to them, in the same run, the floor of any such hand-off: a round trip between two
// threads that wake each other through a mutex and a condition variable. The counters
// are the medians and 99th percentiles in microseconds and each median over the floor's.
#include <controllerengine.h>
#include <symserverstrings.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

const int kRoundTrips = 2000;
using Clock = std::chrono::steady_clock;

const QEL_MODULE_RESOURCES &BenchResources()
{
    static const QEL_MODULE_RESOURCES resources = {g_SymserverStrings, g_SymserverStringCount, nullptr, 0};
    return resources;
}

double Microseconds(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Percentile(std::vector<double> values, double percent)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(percent / 100 * (values.size() - 1))];
}

// The notice that the window of this thread has taken last.
int g_noticed = 0;

LRESULT CALLBACK TakeNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST");
    if (message == requestMessage) {
        g_noticed = static_cast<int>(lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NoticeWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TakeNotice;
    windowClass.lpszClassName = "QelHandoffBench";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "QelHandoffBench", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

// Submits the empty request for `requester` and, unless it is synchronous, dispatches
// this thread's messages until its notice came; the request is taken down after.
bool RoundTrip(CSymbolEngine &engine, DWORD requester, int group)
{
    CSymbolRequest request(requester);
    request.m_nCode = RequestCodeIsDatabase;
    const int id = engine.Submit(request);
    if (id == 0)
        return false;
    if (requester != RequesterSynchronous) {
        MSG message;
        while (g_noticed != id && GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    }
    delete engine.TakeRequest(id, group);
    return true;
}

// Two threads handing a turn to each other through a mutex and a condition variable.
std::vector<double> ThreadRoundTrips()
{
    std::mutex lock;
    std::condition_variable changed;
    int turn = 0; // even: the caller's, odd: the answerer's
    std::thread answerer([&] {
        for (int i = 0; i < kRoundTrips; ++i) {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return turn % 2 == 1; });
            ++turn;
            changed.notify_all();
        }
    });
    std::vector<double> times;
    for (int i = 0; i < kRoundTrips; ++i) {
        const Clock::time_point start = Clock::now();
        std::unique_lock<std::mutex> hold(lock);
        ++turn;
        changed.notify_all();
        changed.wait(hold, [&] { return turn % 2 == 0; });
        times.push_back(Microseconds(start));
    }
    answerer.join();
    return times;
}

void HandOffs(benchmark::State &state)
{
    CControllerSymbolEngine engine(nullptr);
    const HWND window = NoticeWindow();
    const DWORD windowRequester = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window));
    const UINT requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST");
    engine.SetReadyHook([&](int id) { PostMessageA(window, requestMessage, static_cast<WPARAM>(-1), id); });
    const int group = RequestCodeIsDatabase - RequestCodeIsDatabase % 100;
    struct Kind {
        const char *name;
        DWORD requester;
        std::vector<double> times;
    } kinds[] = {{"synchronous", RequesterSynchronous, {}}, {"window", windowRequester, {}}, {"event", RequesterEvent, {}}};
    std::vector<double> floor;
    for (auto _ : state) {
        for (Kind &kind : kinds) {
            RoundTrip(engine, kind.requester, group); // the worker started, the code warm
            for (int i = 0; i < kRoundTrips; ++i) {
                const Clock::time_point start = Clock::now();
                if (!RoundTrip(engine, kind.requester, group)) {
                    state.SkipWithError("the engine did not take the request");
                    return;
                }
                kind.times.push_back(Microseconds(start));
            }
        }
        const std::vector<double> threads = ThreadRoundTrips();
        floor.insert(floor.end(), threads.begin(), threads.end());
    }
    const double floorMedian = Percentile(floor, 50);
    state.counters["threads_us"] = floorMedian;
    for (const Kind &kind : kinds) {
        const double median = Percentile(kind.times, 50);
        state.counters[std::string(kind.name) + "_us"] = median;
        state.counters[std::string(kind.name) + "_p99_us"] = Percentile(kind.times, 99);
        state.counters[std::string(kind.name) + "/threads"] = median / floorMedian;
    }
    DestroyWindow(window);
}

BENCHMARK(HandOffs)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

QEL_DEFINE_MODULE_RESOURCES(BenchResources())

BENCHMARK_MAIN();
