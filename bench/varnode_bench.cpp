// The variable nodes next to gdb-multiarch's `print` on the same array: a program with
// `struct entry arr[1000]` (8 members each, every value set) is compiled once per run
// with arm-none-eabi-gcc; its image goes into the simulated target, and each iteration
// reads the expanded array (1,000 structures of 8 members) as one block and gives every
// node its text, as a refresh of the watch window does. Once per run, gdb-multiarch
// prints `arr` from the same program in a batch session, timed by gdb itself so that its
// start-up is left out: once as it stands (gdb stops at 200 elements) and once with every
// element. The counters give both times and the ratios.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target varnode_bench
//   build-bench/bin/varnode_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <debugserver.h>
#include <hosttarget.h>
#include <hostwatchtree.h>
#include <varnodekinds.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 1000;

// The members of struct entry: name, base type, size in bits, offset in bits.
struct Member {
    const char *name;
    LONG baseType, bits, offset;
};
const Member kMembers[] = {{"id", 11, 32, 0},     {"level", 3, 16, 32},  {"flags", 2, 8, 48},
                           {"mark", 1, 8, 56},    {"count", 12, 32, 64}, {"ratio", 7, 32, 96},
                           {"serial", 108, 64, 128}, {"scale", 8, 64, 192}};
constexpr LONG kEntryBits = 256;

const char kSource[] = R"(struct entry {
    int id;
    short level;
    unsigned char flags;
    signed char mark;
    unsigned int count;
    float ratio;
    unsigned long long serial;
    double scale;
};
#define E(i) {i, -(i), (i) & 0xFF, (i) % 100 - 50, (i) * 7u, (i) * 0.5f, (i) * 1000003ull, (i) / 3.0}
#define E10(i) E(i), E(i + 1), E(i + 2), E(i + 3), E(i + 4), E(i + 5), E(i + 6), E(i + 7), E(i + 8), E(i + 9)
#define E100(i) E10(i), E10(i + 10), E10(i + 20), E10(i + 30), E10(i + 40), E10(i + 50), E10(i + 60), \
    E10(i + 70), E10(i + 80), E10(i + 90)
struct entry arr[1000] = {E100(0), E100(100), E100(200), E100(300), E100(400), E100(500), E100(600), E100(700),
                          E100(800), E100(900)};
int main(void) { return arr[3].id; }
)";

// The program, compiled into `folder`; "" with the reason when it cannot be.
std::string Program(const fs::path &folder, std::string &failure)
{
    if (!qelbench::OnPath("arm-none-eabi-gcc")) {
        failure = "arm-none-eabi-gcc is not on PATH (scripts/setup.sh --cross installs it)";
        return "";
    }
    const fs::path source = folder / "array.c", program = folder / "array.elf";
    std::ofstream(source) << kSource;
    const std::string compile = "arm-none-eabi-gcc -mcpu=arm7tdmi -O0 -g -gdwarf-2 -gstrict-dwarf -nostdlib "
                                "-nostartfiles -Wl,-e,main -Wl,-Ttext=0x8000 -Wl,-Tdata=0x40000000 -o '" +
                                program.string() + "' '" + source.string() + "' > '" + (folder / "cc.log").string() +
                                "' 2>&1";
    if (std::system(compile.c_str()) != 0) {
        failure = "the program could not be compiled; see " + (folder / "cc.log").string();
        return "";
    }
    return program.string();
}

// The address of arr in `program`, as gdb's print &arr gives it; 0 when not found.
DWORD ArrayAddress(const std::string &program, const fs::path &folder)
{
    const std::string out = (folder / "nm.txt").string();
    if (std::system(("arm-none-eabi-nm '" + program + "' > '" + out + "'").c_str()) != 0)
        return 0;
    std::ifstream symbols(out);
    for (std::string line; std::getline(symbols, line);)
        if (line.size() > 11 && line.compare(line.size() - 4, 4, " arr") == 0)
            return static_cast<DWORD>(std::stoul(line.substr(0, 8), nullptr, 16));
    return 0;
}

MemberTag Tag(const char *name, LONG typeClass, LONG baseType, LONG bits, LONG offset)
{
    MemberTag tag;
    tag.Name = name;
    tag.TypeCode = typeClass;
    tag.TypeIndex = baseType;
    tag.SizeInBits = bits;
    tag.Offset = offset;
    return tag;
}

// The expanded array as the watch builds it: elements named from the element record,
// each expanded with its members.
std::unique_ptr<CQelArrayVarNode> ExpandedArray(IUnknown *owner, IQelComplexMemory *memory)
{
    auto array = std::make_unique<CQelArrayVarNode>(owner);
    array->BuildFromMember(Tag("arr", 4, 0x80001, kEntryBits * kEntries, 0));
    LONG handle = 1;
    array->SetItemHandle(handle);
    CString name;
    CQelBasicVarNode *previous = nullptr;
    for (int i = 0; i < kEntries; ++i) {
        auto *entry = new CQelStructVarNode(owner);
        entry->BuildFromMember(Tag(QelFillNamePattern("%s[%d]", "arr", i), 5, 0x80002, kEntryBits, 0));
        entry->SetItemHandle(++handle);
        if (previous == nullptr)
            array->LinkChild(1, entry, name);
        else
            previous->LinkChild(0, entry, name);
        previous = entry;
        CQelBasicVarNode *member = nullptr;
        for (const Member &m : kMembers) {
            auto *node = new CQelBasicVarNode(owner);
            node->BuildFromMember(Tag(m.name, 0, m.baseType, m.bits, m.offset));
            node->SetItemHandle(++handle);
            if (member == nullptr)
                entry->LinkChild(entry->GetItemHandle(), node, name);
            else
                member->LinkChild(0, node, name);
            member = node;
        }
        entry->SetCollapsed(entry->GetItemHandle(), TRUE);
    }
    array->SetCollapsed(1, TRUE);
    array->SetComplexMemory(memory);
    return array;
}

void ReadAndShowNextToGdbPrint(benchmark::State &state)
{
    qelbench::BenchFolder folder("varnode-bench");
    std::string failure;
    const std::string program = Program(folder.path, failure);
    if (program.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const DWORD address = ArrayAddress(program, folder.path);

    CComPtr<IUnknown> host;
    QelHost::ControllerConfig config;
    config.wordSize = 32;
    if (FAILED(QelHost::CreateDebugServer(config, &host))) {
        state.SkipWithError("no debug-server object");
        return;
    }
    QelHost::CHostTarget *target =
        static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p))->Target();
    std::string reason;
    CComPtr<IQelComplexMemory> memory;
    if (address == 0 || !target->LoadProgram(program.c_str(), &reason) || FAILED(target->CreateComplexMemory(&memory))) {
        state.SkipWithError(("the program cannot be put into the target: " + reason).c_str());
        return;
    }
    CComObject<QelHost::CHostWatchTree> *tree = nullptr;
    CComObject<QelHost::CHostWatchTree>::CreateInstance(&tree);
    CComPtr<IUnknown> treeHold(static_cast<IQelCommonWatch *>(tree));

    std::unique_ptr<CQelArrayVarNode> array = ExpandedArray(host, memory);
    array->SetAddress(1, address, 0);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        array->ReadValue(nullptr, FALSE);
        array->UpdateText(treeHold, TRUE);
        seconds += qelbench::SecondsSince(start);
        tree->ClearCalls();
    }
    // The last element's last member, as gdb prints it: 999 / 3.0.
    CString last = array->FindNode(1 + kEntries * 9)->GetValueText();
    if (last != "333") {
        state.SkipWithError(("the last value reads " + std::string(last)).c_str());
        return;
    }
    array.reset();

    std::vector<double> gdb;
    if (!qelbench::GdbCommandTimes(program, {"print arr", "set print elements unlimited", "print arr"}, folder.path,
                                   gdb, failure)) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const double perRead = seconds / static_cast<double>(state.iterations());
    state.counters["nodes_ms"] = perRead * 1e3;
    state.counters["gdb_print_ms"] = gdb[0] * 1e3;
    state.counters["gdb_print_all_ms"] = gdb[2] * 1e3;
    state.counters["ratio_to_print"] = perRead / gdb[0];
    state.counters["ratio_to_print_all"] = perRead / gdb[2];
}
BENCHMARK(ReadAndShowNextToGdbPrint)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
