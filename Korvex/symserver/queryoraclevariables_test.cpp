// The variable and scope queries against gdb: each hand-written firmware program is
// loaded through a client of the symbol server, and at every address of its line table
// what codes 405, 407 and 409 (and 402, 404) answer is held against gdb's `info scope *A`
// and the parameters of readelf's dump; codes 401, 403, 406 and 408 against the addresses
// of gdb's `info address` and `output &...`.
//
// Where gdb and the queries differ by rule, the difference is allowed narrowly: gdb
// lists a variable without a place ("optimized out"), which the reader does not write,
// and it cannot list the scope of motor.cpp at -O0, whose frame bases gcc placed wrongly.
#include "queryoracletesting.h"

#include <regex>

namespace {

using namespace queryoracle;

typedef std::vector<VariableTag> Variables;

// gdb's innermost variable of each name at an address: whether it is in static storage
// (and where), or gone.
struct GdbVariable {
    bool stored = false;
    unsigned address = 0;
    bool optimizedOut = false;
};

// False when gdb could not list the scope.
bool ParseScope(const std::vector<std::string> &answer, std::map<std::string, GdbVariable> &variables)
{
    static const std::regex symbol("^Symbol \"?([^\" ]+)\"? is (.*)$");
    for (const std::string &line : answer) {
        if (StartsWith(line, "error:"))
            return false;
        std::smatch m;
        if (!std::regex_match(line, m, symbol) || StartsWith(m[2], "a label") || variables.count(m[1]))
            continue;
        GdbVariable &variable = variables[m[1]];
        variable.optimizedOut = StartsWith(m[2], "optimized out");
        variable.stored = StartsWith(m[2], "in static storage");
        if (variable.stored)
            variable.address = static_cast<unsigned>(std::strtoul(m[2].str().c_str() + 29, nullptr, 16));
    }
    return true;
}

// The named parameters with a place of the functions whose code holds `address`: the
// function and the calls inlined into it.
std::set<std::string> ParametersAt(const Program &program, unsigned address)
{
    std::set<std::string> names;
    for (const DwarfUnit &unit : program.units)
        for (size_t i = 0; i < unit.entries.size(); ++i) {
            const DwarfEntry &function = unit.entries[i];
            if ((function.tag != "DW_TAG_subprogram" && function.tag != "DW_TAG_inlined_subroutine") ||
                !function.Has("DW_AT_low_pc") ||
                function.Value("DW_AT_low_pc") > address || address >= function.Value("DW_AT_high_pc"))
                continue;
            for (const DwarfEntry &entry : unit.entries)
                if (entry.parent == static_cast<int>(i) && entry.tag == "DW_TAG_formal_parameter" &&
                    entry.Has("DW_AT_location"))
                    names.insert(EntryName(unit, entry));
        }
    return names;
}

std::string Describe(const VariableTag &v)
{
    return std::string(v.Name) + " kind " + N(v.SymbolID) + " " + std::string(v.ScopeText) + " at " +
           Hex(v.AddressValue);
}

std::set<std::string> Names(const Variables &variables, LONG kind = 0)
{
    std::set<std::string> names;
    for (const VariableTag &v : variables)
        if (kind == 0 || v.SymbolID == kind)
            names.insert(static_cast<LPCSTR>(v.Name));
    return names;
}

class QueryOracleVariables : public QueryOracleTest {
protected:
    int InScope(HRESULT (STDMETHODCALLTYPE IQelSymbol::*method)(LONG, LONG, BSTR, int *), unsigned address)
    {
        CComBSTR all("*");
        return Direct(method, LONG(1), static_cast<LONG>(address), all.m_str);
    }
};

TEST_F(QueryOracleVariables, ScopesAtEveryLineAddressAreGdbsInnermostVariables)
{
    for (const std::string name : {"handwritten-O0", "handwritten-O1"}) {
        const Program &program = ProgramOf(name);
        ASSERT_TRUE(Load(name, name == "handwritten-O1")) << name;
        std::vector<unsigned> addresses;
        for (const auto &answer : program.gdb)
            if (StartsWith(answer.first, "info scope *"))
                addresses.push_back(static_cast<unsigned>(std::strtoul(answer.first.c_str() + 12, nullptr, 16)));
        ASSERT_GT(addresses.size(), 100u);

        Batch<VariableTag> locals(Client()), parameters(Client()), all(Client()), statics(Client()),
            globals(Client()), lists(Client());
        for (unsigned address : addresses) {
            locals.Add(Client().RequestLocalsInScope(1, address, "*"));
            parameters.Add(Client().RequestParameters(1, address));
            all.Add(Client().RequestVariablesInScope(1, address, "*"));
            statics.Add(InScope(&IQelSymbol::StaticsInScope, address));
            globals.Add(InScope(&IQelSymbol::GlobalsInScope, address));
        }
        lists.Add(Client().RequestGlobals("*", "*"));
        lists.Add(Client().RequestStatics("*", "*"));
        for (Batch<VariableTag> *batch : {&locals, &parameters, &all, &statics, &globals, &lists})
            ASSERT_TRUE(batch->Wait()) << name;
        std::map<std::string, std::set<std::string>> modulStatics; // by scope text
        for (const VariableTag &v : lists[1])
            if (v.SymbolID == 4)
                modulStatics[static_cast<LPCSTR>(v.ScopeText)].insert(static_cast<LPCSTR>(v.Name));

        std::vector<std::string> mismatches;
        size_t unlisted = 0;
        for (size_t a = 0; a < addresses.size(); ++a) {
            const std::string at = name + " " + Hex(addresses[a]) + ": ";
            std::map<std::string, GdbVariable> gdb;
            const bool listed = ParseScope(program.Answer("info scope *" + Hex(addresses[a])), gdb);
            unlisted += !listed;
            std::set<std::string> seen;
            for (const VariableTag &v : locals[a]) {
                const std::string n = static_cast<LPCSTR>(v.Name);
                if (!seen.insert(n).second)
                    mismatches.push_back(at + "twice " + n);
                auto known = gdb.find(n);
                if (!listed)
                    continue;
                if (known == gdb.end())
                    mismatches.push_back(at + "gdb has no " + Describe(v));
                else if (!known->second.optimizedOut &&
                         (known->second.stored != (v.SymbolID == 3) ||
                          (known->second.stored && known->second.address != v.AddressValue)))
                    mismatches.push_back(at + "gdb's innermost differs from " + Describe(v));
            }
            for (const auto &known : gdb)
                if (listed && !known.second.optimizedOut && !seen.count(known.first))
                    mismatches.push_back(at + "missing " + known.first);

            // Parameters are those of the function's entry that have a place; each is
            // visible unless a block's variable hides it.
            if (Names(parameters[a]) != ParametersAt(program, addresses[a]))
                mismatches.push_back(at + "parameters differ");
            for (const VariableTag &p : parameters[a])
                if (Names(locals[a]).count(static_cast<LPCSTR>(p.Name)) == 0)
                    mismatches.push_back(at + "parameter not in scope " + Describe(p));

            // 409: the scope, then the module's statics and the globals that it hides not.
            const Variables &every = all[a];
            const size_t scopeSize = locals[a].size();
            if (every.size() < scopeSize || !std::equal(locals[a].begin(), locals[a].end(), every.begin(),
                                                        [](const VariableTag &x, const VariableTag &y) {
                                                            return x.SymbolIndex == y.SymbolIndex;
                                                        })) {
                mismatches.push_back(at + "409 does not start with the scope");
                continue;
            }
            const Variables rest(every.begin() + scopeSize, every.end());
            const std::set<std::string> visible = Names(locals[a]);
            std::set<std::string> expectedStatics, expectedGlobals;
            for (const OracleFunction &f : program.functions)
                if (!f.inlined && f.low <= addresses[a] && addresses[a] < f.high)
                    for (const std::string &s : modulStatics["[" + f.unitName + "]"])
                        if (!visible.count(s))
                            expectedStatics.insert(s);
            const std::set<std::string> restStatics = Names(rest, 4), restGlobals = Names(rest, 5);
            if (restStatics != expectedStatics)
                mismatches.push_back(at + "module statics in scope differ");
            for (const VariableTag &g : lists[0]) {
                const std::string n = static_cast<LPCSTR>(g.Name);
                if (!visible.count(n) && !restStatics.count(n))
                    expectedGlobals.insert(n);
            }
            if (restGlobals != expectedGlobals)
                mismatches.push_back(at + "globals in scope differ");
            if (Names(globals[a]) != restGlobals)
                mismatches.push_back(at + "402 differs from 409's globals");
            // 404: the module statics of 409, then the scope's statics.
            Variables expected;
            for (const VariableTag &v : rest)
                if (v.SymbolID == 4)
                    expected.push_back(v);
            for (const VariableTag &v : locals[a])
                if (v.SymbolID == 3)
                    expected.push_back(v);
            if (statics[a].size() != expected.size() ||
                !std::equal(expected.begin(), expected.end(), statics[a].begin(),
                            [](const VariableTag &x, const VariableTag &y) { return x.SymbolIndex == y.SymbolIndex; }))
                mismatches.push_back(at + "404 is not the module statics and the scope's statics");
        }
        EXPECT_TRUE(mismatches.empty()) << FirstOf(mismatches);
        // Only motor.cpp at -O0, whose frame bases gcc wrote wrongly.
        EXPECT_EQ(unlisted, name == "handwritten-O0" ? 34u : 0u) << name;
    }
}

// gdb's address of each variable in static storage: `info address V` of a file-scope
// variable, `output &'FILE'::V` of a file static whose name several units use, `output
// &F::V` of a function's static (the one of the function's own block).
TEST_F(QueryOracleVariables, GlobalsAndStaticsLieWhereGdbsInfoAddressSaysAndAreFoundAgain)
{
    static const std::regex infoAddress("^info address ([A-Za-z_:0-9]+)$"),
        output("^output &(?:'([^']+)'::)?(?:([A-Za-z_0-9]+)::)?([A-Za-z_0-9]+)$"),
        stored("^Symbol \"[^\"]+\" is static storage at address (0x[0-9a-f]+)\\.$"),
        pointer("^\\(.*\\) (0x[0-9a-f]+) <.*>$");
    for (const std::string name : {"handwritten-O0", "handwritten-O1"}) {
        const Program &program = ProgramOf(name);
        ASSERT_TRUE(Load(name, name == "handwritten-O0")) << name;
        Batch<VariableTag> lists(Client());
        lists.Add(Client().RequestGlobals("*", "*"));
        lists.Add(Client().RequestStatics("*", "*"));
        ASSERT_TRUE(lists.Wait());
        Variables listed = lists[0];
        listed.insert(listed.end(), lists[1].begin(), lists[1].end());

        // Each variable gdb places: (name, scope text or "" for any) and its address.
        std::vector<std::string> mismatches;
        std::set<std::string> placed;
        size_t compared = 0;
        for (const auto &answer : program.gdb) {
            std::smatch m, a;
            std::string variable, file, function;
            const std::string text = answer.second.empty() ? "" : answer.second[0];
            if (std::regex_match(answer.first, m, infoAddress) && std::regex_match(text, a, stored)) {
                variable = m[1];
            } else if (std::regex_match(answer.first, m, output) && std::regex_match(text, a, pointer) &&
                       text.find(" (*)(") == std::string::npos) { // a function's address
                file = m[1];
                function = m[2];
                variable = m[3];
            } else {
                continue;
            }
            const unsigned address = static_cast<unsigned>(std::strtoul(a[1].str().c_str(), nullptr, 16));
            bool found = false;
            for (const VariableTag &v : listed) {
                const std::string scope = static_cast<LPCSTR>(v.ScopeText);
                found = found || (v.Name == variable.c_str() && v.AddressMode == 1 && v.AddressValue == address &&
                                  (file.empty() || scope == "[" + file + "]") &&
                                  (function.empty() || scope.find(":{" + function + "}") != std::string::npos));
            }
            if (!found)
                mismatches.push_back(answer.first + " at " + Hex(address) + " is not listed");
            placed.insert(variable + "@" + Hex(address));
            ++compared;
        }
        for (const VariableTag &v : listed)
            if (!placed.count(std::string(v.Name) + "@" + Hex(v.AddressValue)) && v.SymbolID != 3)
                mismatches.push_back("gdb does not place " + Describe(v));
        EXPECT_GT(compared, 15u) << name;

        // Each entry again by its index, and by its name and scope text: a static by the
        // first of its name and scope.
        Batch<VariableTag> byIndex(Client()), byScope(Client());
        for (const VariableTag &v : listed) {
            byIndex.Add(Client().RequestVariableByIndex(v.SymbolIndex));
            byScope.Add(Client().RequestVariableWithScope(std::string(v.Name + " " + v.ScopeText).c_str()));
        }
        ASSERT_TRUE(byIndex.Wait());
        ASSERT_TRUE(byScope.Wait());
        for (size_t i = 0; i < listed.size(); ++i) {
            const VariableTag &v = listed[i];
            if (byIndex[i].size() != 1 || Describe(byIndex[i][0]) != Describe(v) || byIndex[i][0].TypeText.IsEmpty())
                mismatches.push_back("408 differs for " + Describe(v));
            const Variables &again = byScope[i];
            const VariableTag *first = nullptr;
            for (const VariableTag &w : listed)
                if (first == nullptr && w.Name == v.Name && w.ScopeText == v.ScopeText)
                    first = &w;
            if (again.size() != 1 || again[0].SymbolIndex != first->SymbolIndex || again[0].TypeText.IsEmpty())
                mismatches.push_back("406 differs for " + Describe(v));
        }
        EXPECT_TRUE(mismatches.empty()) << name << FirstOf(mismatches);
    }
}

} // namespace
