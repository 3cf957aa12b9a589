// An execute round trip of the DDE layer between two processes next to a plain
// Unix-domain socket round trip of the same bytes, in the same run. The DDE server is the
// DDE test peer (platform/win/testing/ddepeer.cpp), started with CreateProcessA; the plain
// peer is a child that reads the bytes of an execute frame and answers with as many bytes
// as an execute's answer frame. The time is the DDE round trip's; the counters give both
// times in microseconds and their ratio.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BENCH=ON
//   cmake --build build-bench --target dde_bench qelwin_ddepeer && build-bench/bin/dde_bench
#include <ddeframes.h>
#include <ddeml.h>
#include <windows.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern const char kQelDdePeerPath[];

namespace {

const char kExecute[] = "Debug -d /work/main/testdata/elf/src/main.c 29";

HDDEDATA CALLBACK Client(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

bool ReadAll(int fd, char *bytes, size_t size)
{
    while (size > 0) {
        ssize_t got = read(fd, bytes, size);
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

size_t FrameSize(qelwin::dde::FrameKind kind)
{
    qelwin::dde::Frame frame;
    frame.kind = kind;
    if (kind == qelwin::dde::FrameKind::Execute)
        frame.data.assign(kExecute, kExecute + sizeof kExecute);
    return qelwin::dde::EncodeFrame(frame).size();
}

// The plain peer: a child on one end of a socket pair; the other end is returned.
int StartPlainPeer(pid_t *child, size_t request, size_t reply)
{
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return -1;
    *child = fork();
    if (*child == 0) {
        close(pair[0]);
        std::vector<char> in(request), out(reply, 'a');
        while (ReadAll(pair[1], in.data(), in.size()) && write(pair[1], out.data(), out.size()) > 0) {
        }
        _exit(0);
    }
    close(pair[1]);
    return pair[0];
}

double MicrosecondsSince(std::chrono::steady_clock::time_point start, int64_t count)
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / count;
}

void ExecuteNextToPlainSocket(benchmark::State &state)
{
    size_t request = FrameSize(qelwin::dde::FrameKind::Execute);
    size_t reply = FrameSize(qelwin::dde::FrameKind::ExecuteReply);
    pid_t plainPeer = 0;
    int plain = StartPlainPeer(&plainPeer, request, reply);

    setenv("QEL_DDEPEER_MODE", "serve", 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD instance = 0;
    if (plain < 0 || !CreateProcessA(kQelDdePeerPath, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                                     nullptr, nullptr, &startup, &process) ||
        WaitForInputIdle(process.hProcess, 10000) != 0 ||
        DdeInitializeA(&instance, &Client, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        state.SkipWithError("the peers cannot be started");
        return;
    }
    HSZ service = DdeCreateStringHandleA(instance, "PeerService", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "PeerTopic", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, nullptr);
    std::string text = kExecute;

    int64_t count = 0;
    auto begin = std::chrono::steady_clock::now();
    for (auto _ : state) {
        HDDEDATA done = DdeClientTransaction(reinterpret_cast<LPBYTE>(text.data()), static_cast<DWORD>(text.size() + 1),
                                             conversation, nullptr, 0, XTYP_EXECUTE, 2000, nullptr);
        if (done == nullptr) {
            state.SkipWithError("an execute failed");
            break;
        }
        ++count;
    }
    double dde = MicrosecondsSince(begin, count);

    std::vector<char> out(request, 'a'), in(reply);
    begin = std::chrono::steady_clock::now();
    for (int64_t i = 0; i < count; ++i) {
        if (write(plain, out.data(), out.size()) != static_cast<ssize_t>(out.size()) ||
            !ReadAll(plain, in.data(), in.size()))
            break;
    }
    double socketTime = MicrosecondsSince(begin, count);

    state.counters["dde_us"] = dde;
    state.counters["socket_us"] = socketTime;
    state.counters["ratio"] = dde / socketTime;

    std::string quit = "quit";
    DdeClientTransaction(reinterpret_cast<LPBYTE>(quit.data()), 5, conversation, nullptr, 0, XTYP_EXECUTE, 2000,
                         nullptr);
    DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    close(plain);
    waitpid(plainPeer, nullptr, 0);
}

BENCHMARK(ExecuteNextToPlainSocket)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
