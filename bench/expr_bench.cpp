// The expression object next to gdb-multiarch's `print` on the same expressions, in the
// same run. The program is gen-firmware.py's firmware of 200 modules (made once in
// bench-firmware-200/ of the build folder); 1,000 expressions over its external globals
// come from its sources: the globals themselves, elements, members (bit-fields too),
// union members, casts and arithmetic of two of them. gdb may read no memory that the
// file does not hold and may not fail, so nothing is dereferenced and nothing divided.
//
// Our side: the program loaded through libKorvex.so's symbol server as the debugger
// loads it, laid into the host's simulated target, one expression object per expression
// set on the debug-server object (lookup by the instruction pointer), as a watch window
// holds them. "first" is SetExpression and the first Evaluate of each, in a program whose
// modules nothing has read yet, so lookups read them; "again" is an Evaluate of each
// after the target stopped, which renews the values and nothing else (the median of 20
// stops). gdb prints all 1,000 in one session, each print timed by gdb itself, so that
// its start-up is left out (gdbtimes.h).
//
// Counters: the mean per expression of each in microseconds, and the ratios to gdb's
// print; the goals are first within 3 times gdb's and again under a tenth of it.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target expr_bench Korvex
//   build-bench/bin/expr_bench
#include "benchfirmware.h"
#include "gdbtimes.h"

#include <coexpr.h>
#include <qelhostprogram.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>

namespace {

using namespace qelbench;

const int kModules = 200;
const int kExpressions = 1000;
const int kStops = 20;

struct Field {
    std::string name, type;
    int count = 0; // elements of an array field
    bool pointer = false, bits = false;
};

struct Global {
    std::string name, type;
    int count = 0;
};

bool IsBase(const std::string &type)
{
    return type.find("struct") == std::string::npos && type.find("union") == std::string::npos &&
           type.find("enum") == std::string::npos && type.find("_t") == std::string::npos;
}

// The external globals and structures of the generated sources.
void ReadSources(const fs::path &folder, std::vector<Global> &globals, std::map<std::string, std::vector<Field>> &structs,
                 std::map<std::string, std::string> &typedefs)
{
    const std::regex global(R"(^(volatile )?([a-z_ 0-9]+?) (g\d+_\d+)(\[(\d+)\])?;$)");
    const std::regex structStart(R"(^struct (\w+) \{$)");
    const std::regex field(R"(^    (.+?) (\*?)(\w+)(\[(\d+)\])?( : \d+)?;$)");
    const std::regex typedefLine(R"(^typedef struct (\w+) (\w+);$)");
    for (int i = 0; i < kModules; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "m%04d.c", i);
        std::ifstream source(folder / name);
        std::string line, current;
        std::smatch match;
        while (std::getline(source, line)) {
            if (std::regex_match(line, match, structStart)) {
                current = match[1];
            } else if (line == "};") {
                current.clear();
            } else if (!current.empty() && std::regex_match(line, match, field)) {
                Field f{match[3], match[1], match[5].matched ? std::stoi(match[5]) : 0, match[2].length() > 0,
                        match[6].matched};
                structs[current].push_back(f);
            } else if (std::regex_match(line, match, typedefLine)) {
                typedefs[match[2]] = match[1];
            } else if (std::regex_match(line, match, global)) {
                globals.push_back({match[3], match[2], match[5].matched ? std::stoi(match[5]) : 0});
            }
        }
    }
}

// One expression over one global, as gdb prints it without a process.
std::string Over(const Global &g, std::mt19937 &random, const std::map<std::string, std::vector<Field>> &structs,
                 const std::map<std::string, std::string> &typedefs)
{
    std::string base = g.name;
    if (g.count > 0)
        base += "[" + std::to_string(random() % g.count) + "]";
    std::string type = g.type;
    if (typedefs.count(type))
        type = "struct " + typedefs.at(type);
    if (type.rfind("struct ", 0) == 0) {
        const std::vector<Field> &fields = structs.at(type.substr(7));
        const Field &f = fields[random() % fields.size()];
        std::string member = base + "." + f.name;
        if (f.count > 0)
            member += "[" + std::to_string(random() % f.count) + "]";
        return member;
    }
    if (type.rfind("union ", 0) == 0)
        return random() % 2 ? base + ".i" : base + ".b[" + std::to_string(random() % 4) + "]";
    if (type.rfind("enum ", 0) == 0)
        return random() % 2 ? base : "(int)" + base;
    switch (random() % 4) {
    case 0: return "(long)" + base;
    case 1: return base + " * 3 + 1";
    default: return base;
    }
}

std::vector<std::string> Expressions(const fs::path &folder)
{
    std::vector<Global> globals;
    std::map<std::string, std::vector<Field>> structs;
    std::map<std::string, std::string> typedefs;
    ReadSources(folder, globals, structs, typedefs);
    std::vector<std::string> texts;
    if (globals.empty())
        return texts;
    std::mt19937 random(32);
    while (static_cast<int>(texts.size()) < kExpressions) {
        const Global &a = globals[random() % globals.size()];
        std::string text = Over(a, random, structs, typedefs);
        if (random() % 4 == 0 && IsBase(a.type)) {
            const Global &b = globals[random() % globals.size()];
            if (IsBase(b.type))
                text += (random() % 2 ? " + " : " < ") + Over(b, random, structs, typedefs);
        }
        texts.push_back(text);
    }
    return texts;
}

double Mean(const std::vector<double> &values)
{
    double sum = 0;
    for (double value : values)
        sum += value;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

struct OurTimes {
    double first = 0, again = 0; // seconds per expression
    int values = 0;              // expressions that gave a value
    std::string failure;
};

OurTimes Evaluate(const fs::path &program, const std::vector<std::string> &texts)
{
    OurTimes times;
    QelHost::RunWithKorvex([&] {
        QelHost::ProgramOptions options;
        const std::string path = program.string();
        options.file = path.c_str();
        QelHost::ProgramSession session(options);
        if (!session.Start() || session.Load().status != 0) {
            times.failure = "the firmware cannot be loaded";
            return 1;
        }
        QelHost::CHostTarget *target = session.DebuggerObject().Host()->Target();
        std::string reason;
        if (!target->LoadProgram(path.c_str(), &reason)) {
            times.failure = reason;
            return 1;
        }
        ULONG pc = 0;
        target->GetPc(&pc);
        std::vector<CComPtr<IQelExpr2>> objects(texts.size());
        for (auto &object : objects) {
            CoExpr::Create(&object);
            object->SetTarget(session.DebuggerObject().debugServer);
        }
        std::vector<CComBSTR> bstrs;
        for (const std::string &text : texts)
            bstrs.emplace_back(text.c_str());
        auto start = std::chrono::steady_clock::now();
        for (size_t i = 0; i < texts.size(); ++i) {
            objects[i]->SetExpression(bstrs[i]);
            CComVariant value(static_cast<LONG>(0));
            times.values += objects[i]->Evaluate(&value) == S_OK;
        }
        times.first = SecondsSince(start) / static_cast<double>(texts.size());
        std::vector<double> rounds;
        for (int stop = 0; stop < kStops; ++stop) {
            target->Stop(pc);
            start = std::chrono::steady_clock::now();
            for (auto &object : objects) {
                VARIANT value;
                VariantInit(&value);
                object->Evaluate(&value);
                VariantClear(&value);
            }
            rounds.push_back(SecondsSince(start) / static_cast<double>(texts.size()));
        }
        times.again = Percentile(rounds, 50);
        for (auto &object : objects)
            object->SetTarget(nullptr);
        return 0;
    });
    return times;
}

void EvaluateNextToGdbPrint(benchmark::State &state)
{
    std::string failure;
    BenchFolder folder("qel-expr-bench");
    const fs::path program = FirmwareCopy(folder.path, failure, kModules);
    if (program.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    const std::vector<std::string> texts = Expressions(fs::path(kQelBenchFirmwareFolder));
    if (texts.empty()) {
        state.SkipWithError("the firmware's sources give no globals");
        return;
    }
    std::vector<std::string> prints;
    for (const std::string &text : texts)
        prints.push_back("print " + text);
    std::vector<double> gdbSeconds;
    if (!OnPath("gdb-multiarch") || !GdbCommandTimes(program, prints, folder.path, gdbSeconds, failure)) {
        state.SkipWithError(failure.empty() ? "gdb-multiarch is not on PATH" : failure.c_str());
        return;
    }
    const double gdbPerPrint = Mean(gdbSeconds);
    OurTimes ours;
    for (auto _ : state) {
        ours = Evaluate(program, texts);
        if (!ours.failure.empty()) {
            state.SkipWithError(ours.failure.c_str());
            return;
        }
    }
    state.counters["first_us"] = ours.first * 1e6;
    state.counters["again_us"] = ours.again * 1e6;
    state.counters["gdb_print_us"] = gdbPerPrint * 1e6;
    state.counters["first_per_print"] = ours.first / gdbPerPrint;
    state.counters["again_per_print"] = ours.again / gdbPerPrint;
    state.counters["with_value"] = ours.values;
}
BENCHMARK(EvaluateNextToGdbPrint)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
