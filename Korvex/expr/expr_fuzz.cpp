// Evaluates arbitrary bytes as a watch expression against a fixed world of symbols,
// memory and registers (a symbol-server double and the simulated target), and checks what
// callers rely on: no crash or undefined behaviour, a value or a known error or neither,
// and the same outcome when the values are read again from the unchanged target.
// fuzz-seeds: testdata/watch/*.txt
#include "expr.h"
#include "exprtesting.h"
#include "watchparser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Structures, bit-fields, pointers (also to themselves), arrays, floating values, a
// local that lives in a register, on the stack or nowhere depending on the position,
// labels, a register pair and a bit.
struct FuzzWorld {
    ExprHost host;
    CRegisterMapTagArray map;

    FuzzWorld()
    {
        ExprWorld &w = host.world;
        auto global = [&](const char *name, LONG code, LONG index, LONG bits, DWORD address, LONG pointerClass = 0) {
            w.globals[name].push_back(Variable(name, code, index, bits, 1, address, 0, pointerClass));
        };
        for (DWORD at = 0x1000; at < 0x1100; at += 4)
            host.PokeWord(at, at * 0x9E3779B1u);
        host.PokeWord(0x1040, 0x1030);
        host.PokeWord(0x1044, 0x1044);
        global("c", 0, 1, 8, 0x1000);
        global("uc", 0, 2, 8, 0x1001);
        global("s", 0, 3, 16, 0x1002);
        global("i", 0, 11, 32, 0x1004);
        global("u", 0, 12, 32, 0x1008);
        global("f", 0, 7, 32, 0x100C);
        global("d", 0, 8, 64, 0x1010);
        global("ll", 0, 107, 64, 0x1018);
        global("odd", 0, 11, 0, 0x1020);
        global("wide", 0, 11, 40, 0x1024);
        global("e", 7, 500, 32, 0x1028);
        global("st", 5, 100, 128, 0x1030);
        global("p", 3, 200, 32, 0x1040, 2);
        global("self", 3, 210, 32, 0x1044, 1);
        global("arr", 4, 300, 64, 0x1050);
        global("grid", 4, 310, 128, 0x1060);
        global("edge", 0, 11, 32, 0x1FFE);
        w.globals["dup"] = {Variable("dup", 0, 11, 32, 1, 0x1004), Variable("dup", 0, 11, 32, 1, 0x1008)};
        w.members[100] = {Member("m", 0, 11, 32, 0), Member("b", 5, 400, 32, 32), Member("next", 3, 200, 32, 64, 2),
                          Member("v", 0, 8, 64, 96)};
        w.members[400] = {Member("u3", 2, 1, 3, 3), Member("s9", 2, 2, 9, static_cast<LONG>(0x80050009u)),
                          Member("w0", 2, 3, 0, 0x100000), Member("w40", 2, 4, 40, 40),
                          Member("far", 2, 5, 8, static_cast<LONG>(0xFFFF0008u))};
        w.members[200] = {Member("*%s", 0x40000005, 100, 128, 0)};
        w.members[210] = {Member("*%s", 3, 210, 32, 0, 1)};
        w.members[300] = {Member("%s[%d]", 0, 3, 16, 4)};
        w.members[310] = {Member("%s[%d]", 4, 300, 64, 2)};
        w.types["T"] = {Member("T", 0x40000005, 100, 128, 0)};
        w.types["int"] = {Member("int", 0, 11, 32, 0)};
        w.types["S"] = {Member("S", 5, 100, 128, 0)};
        VariableTag local = Variable("loc", 0, 11, 32, 5, 1, 1);
        local.SymbolIndex = 7;
        w.inScope["loc"] = {local};
        w.inScope["i"] = w.globals["i"];
        w.inScope["pair"] = {Variable("pair", 0, 8, 64, 4, 4, 5)};
        w.inScope["bit"] = {Variable("bit", 0, 13, 1, 0x40000001, 0x1004, 77)};
        w.inScope["reg"] = {Variable("reg", 0, 1, 8, 3, 13)};
        w.lifetimes[7] = {Range(0x100, 0x10, 2, 0xFFFFFFF0u, 13), Range(0x110, 0x10, 3, 4, 0), Range(0x120, 0x10, 5, 1, 1),
                          Range(0x130, 0x10, 6, 0, 0), Range(0x140, 0x10, 1, 0xFFFFFFFCu, 0)};
        LabelTag label;
        label.AddressValue = 0x1004;
        label.Size = 16;
        w.codeLabels["lab"] = label;
        w.dataLabels["_data"] = label;
        w.registerMap = {RegisterMapTag{"R13", 13, -1}, RegisterMapTag{"R4", 4, -1}, RegisterMapTag{"R5", 5, -1}};
        host.SetRegister("R13", 0x1080);
        host.SetRegister("R4", 0x89ABCDEF);
        host.SetRegister("R5", 0x3FF00000);
        host.MapRegisters(map);
    }
};

bool Same(const ExprValue &a, const ExprValue &b)
{
    return a.kind == b.kind && a.bits == b.bits && std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks the lookup mode and the position; the rest is the text, up
    // to its first NUL.
    static FuzzWorld world;
    static CQelWatchParser parser(CAddressValue(0, 1, 0), &world.host.client);
    const uint8_t control = size > 0 ? data[0] : 0;
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(size > 0 ? 1 : 0);
    text = text.substr(0, text.find('\0'));
    world.host.Target()->SetPc(0x100 + 8 * ((control >> 1) & 0xF));

    WatchParseNode *tree = parser.Parse(text.c_str());
    if (tree == nullptr)
        return 0;
    CExpr root(tree, &world.host.client, &world.host.memory, world.host.Target(), &world.map, nullptr, nullptr,
               control & 1, (control & 0x20) ? "(global)" : "[\"a.c\"]");
    ExprValue first, again;
    const BOOL valid = root.GetValue(&first);
    Check(!valid || !root.IsFailed());
    Check(!root.IsFailed() || (root.GetError() >= 0 && root.GetError() <= kErrorAmbiguous));
    VariableTag record;
    Check(root.GetVariable(&record) == valid);
    root.GetMember(0);
    root.FindMember("m");
    DWORD address = 0;
    root.GetAddress(&address);
    root.ResetValues();
    Check(root.GetValue(&again) == valid);
    Check(!valid || Same(first, again));
    root.ResetSymbols();
    Check(root.GetValue(&again) == valid);
    return 0;
}
