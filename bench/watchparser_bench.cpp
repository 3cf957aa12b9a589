// The watch parser next to gdb-multiarch's `print` on the same kind of expressions: each
// iteration parses 100,000 generated watch texts over the globals of the sample program,
// names beginning with T read as types; once per run, gdb-multiarch prints 1,000 texts of
// the same kind (without what gdb refuses: casts to unknown types, values that the file
// does not hold) from the sample program in one batch session, each print timed by gdb
// itself, so that its start-up is left out. The counters give both times per expression
// and their ratio.
//   cmake -B build-bench -DQEL_BENCH=ON && cmake --build build-bench --target watchparser_bench
//   build-bench/bin/watchparser_bench
#include "gdbtimes.h"

#include <watchparser.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

extern const char kQelSampleProgram[];

namespace {

class CBenchTypeNames : public CWatchTypeNames {
public:
    BOOL IsTypeName(LPCSTR name) override { return name[0] == 'T'; }
};

// An expression over the sample program's globals, up to `depth` operators deep; with
// `types`, casts to the type names T1 and T2 appear too, and what gdb would refuse in
// some places.
std::string Expression(std::mt19937 &random, int depth, bool types)
{
    // Those that gdb takes everywhere first: it reads no value of rx_buffer and tick_count
    // (.bss) and of module_counter (a static that it takes as optimised out) from the file,
    // and a division or a shift may meet 0 or a negative count.
    static const char *const operands[] = {"motors[1].speed", "motors[0].id", "banner[2]", "(&motors[1])->mode",
                                           "0x10", "3", "module_counter", "tick_count", "rx_buffer[5]", "1.5"};
    static const char *const binary[] = {"+", "-",  "*",  "<",  ">", "<=", ">=", "==", "!=",
                                         "&", "^",  "|",  "&&", "||", "/", "%",  "<<", ">>"};
    static const char *const casts[] = {"(int)", "(unsigned char)", "(long)", "(char *)", "(T1)", "(T2 *)"};
    const int pick = static_cast<int>(random() % 10);
    if (depth == 0 || pick < 3)
        return operands[random() % (types ? 10 : 6)];
    if (pick < 5) {
        const char *cast = casts[random() % (types ? 6 : 3)];
        return std::string(random() % 2 ? "-" : cast) + "(" + Expression(random, depth - 1, types) + ")";
    }
    if (pick == 5)
        return "(" + Expression(random, depth - 1, types) + " ? " + Expression(random, depth - 1, types) + " : " +
               Expression(random, depth - 1, types) + ")";
    return Expression(random, depth - 1, types) + " " + binary[random() % (types ? 18 : 14)] + " " +
           Expression(random, depth - 1, types);
}

std::vector<std::string> Texts(size_t count, bool types)
{
    std::mt19937 random(7);
    std::vector<std::string> texts;
    while (texts.size() < count) {
        // Only what the watch entries' 1,024-byte buffer holds.
        std::string text = Expression(random, 4, types);
        if (text.size() <= CQelWatchParser::kDefaultBufferSize - 3)
            texts.push_back(text);
    }
    return texts;
}

// gdb's own wall time per print of `texts` in one session on the sample program, without
// its start-up (gdbtimes.h); -1 when gdb cannot run or refuses a text.
double GdbSecondsPerPrint(const std::vector<std::string> &texts, std::string &failure)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("watchparser-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::string> commands;
    for (const std::string &text : texts)
        commands.push_back("print " + text);
    std::vector<double> seconds;
    const bool timed = qelbench::GdbCommandTimes(kQelSampleProgram, commands, folder, seconds, failure);
    std::filesystem::remove_all(folder);
    if (!timed)
        return -1;
    double total = 0;
    for (double each : seconds)
        total += each;
    return total / static_cast<double>(seconds.size());
}

void ParseNextToGdbPrint(benchmark::State &state)
{
    const std::vector<std::string> texts = Texts(100000, true);
    CBenchTypeNames types;
    CQelWatchParser parser(CAddressValue(), &types);
    size_t parsed = 0;
    double parseSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        parsed = 0;
        for (const std::string &text : texts)
            parsed += parser.Parse(text.c_str()) != nullptr ? 1 : 0;
        parseSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (parsed != texts.size()) {
        state.SkipWithError("a generated text did not parse");
        return;
    }
    std::string failure;
    const double gdbPerPrint = GdbSecondsPerPrint(Texts(1000, false), failure);
    if (gdbPerPrint < 0) {
        state.SkipWithError(failure.c_str());
        return;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
    const double perParse = parseSeconds / static_cast<double>(state.iterations() * texts.size());
    state.counters["parse_us"] = perParse * 1e6;
    state.counters["gdb_print_us"] = gdbPerPrint * 1e6;
    state.counters["parse_per_print_pct"] = 100 * perParse / gdbPerPrint;
}
BENCHMARK(ParseNextToGdbPrint)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
