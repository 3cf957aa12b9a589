// Codes 700 to 702, 800 and 900 on the firmware programs of testdata, held against what
// readelf and gdb say about them.
#include "queryoracletesting.h"
#include "querytesting.h"

#include <firmwareoracle.h>
#include <nameencoding.h>

#include <map>
#include <set>
#include <string>

namespace {

using namespace firmwareoracle;
using queryoracle::QueryOracleTest;
using querytest::QueryTest;

std::string Encoded(const std::string &name)
{
    CString encoded;
    EncodeNameString(name.c_str(), encoded);
    return static_cast<LPCSTR>(encoded);
}

std::string Text(const LabelTag &label)
{
    char text[64];
    snprintf(text, sizeof text, "@%X+%X/%X", static_cast<unsigned>(label.AddressValue),
             static_cast<unsigned>(label.AddressExtra), static_cast<unsigned>(label.Size));
    return static_cast<LPCSTR>(label.Name) + std::string(text);
}

class LabelQueries : public QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        ASSERT_EQ(Load("firmware/handwritten-O0.elf"), StatusSuccess);
    }
};

// Every code symbol of the symbol table is a code label at its address, a Thumb one with
// bit 0 cleared, and gdb's `info symbol` finds its address through the label's name.
TEST_F(LabelQueries, CodeLabelsAreTheCodeSymbolsAtTheirAddresses)
{
    std::multimap<std::string, unsigned> labels;
    for (const LabelTag &label : Query<LabelTag>(700, {"*"}))
        labels.emplace(static_cast<LPCSTR>(label.Name), label.AddressValue);
    size_t functions = 0;
    for (const ElfSymbol &symbol : ReadSymbolDump(FirmwarePath("handwritten-O0", ".readelf-s.txt"))) {
        // readelf cuts long names short.
        if (symbol.type != "FUNC" || symbol.name.find("[...]") != std::string::npos)
            continue;
        ++functions;
        bool found = false;
        for (auto at = labels.equal_range(symbol.name); at.first != at.second; ++at.first)
            found |= at.first->second == (symbol.value & ~1u);
        EXPECT_TRUE(found) << symbol.name;
        EXPECT_EQ(Query<LabelTag>(700, {Encoded(symbol.name).c_str()}).size(), labels.count(symbol.name))
            << symbol.name;
    }
    EXPECT_GE(functions, 10u);
    size_t asked = 0;
    for (const auto &answer : ReadGdbAnswers(FirmwarePath("handwritten-O0", ".gdb.txt"))) {
        // "board_poll + 16 in section .text"
        if (answer.first.rfind("info symbol ", 0) != 0 || answer.second.empty())
            continue;
        const std::string &text = answer.second[0];
        const std::string name = text.substr(0, text.find(' '));
        if (text.find(" in section .text") == std::string::npos || name.find("::") != std::string::npos)
            continue;
        const size_t plus = text.find(" + ");
        const unsigned address = static_cast<unsigned>(Number(answer.first.substr(12)));
        const unsigned offset = plus == std::string::npos ? 0 : static_cast<unsigned>(Number(text.substr(plus + 3)));
        std::set<unsigned> at;
        for (const LabelTag &label : Query<LabelTag>(700, {Encoded(name).c_str()}))
            at.insert(label.AddressValue);
        EXPECT_EQ(at.count(address - offset), 1u) << answer.first << ": " << text;
        ++asked;
    }
    EXPECT_GE(asked, 100u);
}

// A name that no label has finds the function of that name with its length, else the
// section; a pattern that finds nothing finds nothing else.
TEST_F(LabelQueries, CodeLabelFallsBackToTheFunctionThenTheSection)
{
    const struct {
        const char *name;
        std::vector<std::string> want;
    } cases[] = {
        {"Motor::step", {"Motor::step@80538+0/64"}},
        {".data@8", {".data@8@40000000+0/40"}},
        {"board_poll", {"board_poll@80118+FFFFFFFF/0"}},
        {"no_such_name", {}},
        {"*zzz*", {}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> got;
        for (const LabelTag &label : Query<LabelTag>(700, {Encoded(c.name).c_str()}))
            got.push_back(Text(label));
        EXPECT_EQ(got, c.want) << c.name;
    }
}

// Data labels are the global data symbols that the program keeps as assembler data, by
// their plain name with blanks around it trimmed, blind to nothing.
TEST_F(LabelQueries, DataLabelsAreTheGlobalDataSymbols)
{
    size_t objects = 0;
    for (const ElfSymbol &symbol : ReadSymbolDump(FirmwarePath("handwritten-O0", ".readelf-s.txt"))) {
        if (symbol.type != "OBJECT" || symbol.bind != "GLOBAL")
            continue;
        const std::vector<LabelTag> found = Query<LabelTag>(701, {(" " + symbol.name + "\t").c_str()});
        ASSERT_LE(found.size(), 1u) << symbol.name;
        objects += found.size();
        if (!found.empty()) {
            EXPECT_EQ(found[0].AddressValue, symbol.value) << symbol.name;
        }
    }
    EXPECT_GE(objects, 5u);
    EXPECT_EQ(Query<LabelTag>(701, {"*"}).size(), objects);
    EXPECT_TRUE(Query<LabelTag>(701, {"BOARD_READY"}).empty());

    // A name with its scope text is a variable as code 406 finds it, sized in bytes.
    const std::vector<LabelTag> scoped = Query<LabelTag>(701, {" state_count [board.c] "});
    ASSERT_EQ(scoped.size(), 1u);
    EXPECT_EQ(scoped[0].Name, "state_count [board.c]");
    EXPECT_EQ(scoped[0].AddressValue, 0x4000004Cu);
    EXPECT_EQ(scoped[0].Size, 4);
    EXPECT_TRUE(Query<LabelTag>(701, {"state_count [nowhere.c]"}).empty());
}

// The start-up labels: the entry label and the main function that the program row or the
// caller names, else the start of the lowest section.
TEST_F(LabelQueries, StartupLabelsAreTheEntryAndMainElseTheLowestSection)
{
    const struct {
        LONG selector;
        const char *main, *entry;
        std::vector<std::string> want;
    } cases[] = {
        {1, "", "", {"__ELFEntryPoint@80648+FFFFFFFF/0", "main@80648+0/0"}},
        {1, "board_poll", "", {"__ELFEntryPoint@80648+FFFFFFFF/0", "board_poll@80118+0/0"}},
        {1, "main", "board_scale", {"board_scale@8009C+FFFFFFFF/0", "main@80648+0/0"}},
        // The alternate names: no PCP entry label, no main function.
        {0, "", "", {"board.c@0@80000+0/0"}},
        {0, "", "__ELFEntryPoint", {"__ELFEntryPoint@80648+FFFFFFFF/0", "__ELFEntryPoint@80648+FFFFFFFF/0"}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> got;
        for (const LabelTag &label : Query<LabelTag>(702, {c.selector, c.main, c.entry}))
            got.push_back(Text(label));
        EXPECT_EQ(got, c.want) << c.selector << " " << c.main << " " << c.entry;
    }
    Execute("DELETE * FROM Program");
    std::vector<std::string> got;
    for (const LabelTag &label : Query<LabelTag>(702, {1, "", ""}))
        got.push_back(Text(label));
    EXPECT_EQ(got, std::vector<std::string>{"board.c@0@80000+0/0"});
}

TEST_F(LabelQueries, RegisterMapIsTheProcessorsRegistersInOrder)
{
    const std::vector<RegisterMapTag> registers = Query<RegisterMapTag>(800);
    ASSERT_EQ(registers.size(), 15u);
    for (size_t i = 0; i < registers.size(); ++i) {
        EXPECT_EQ(std::string(registers[i].Name), "R" + std::to_string(i));
        EXPECT_EQ(registers[i].Number, static_cast<LONG>(i));
        EXPECT_EQ(registers[i].RegisterIndex, -1);
    }
}

// The VarEd set of a program whose VarEd section the symbol server read: every row of
// its variables (16) and its other entries (15), with the word each carries.
TEST_F(QueryOracleTest, VarEdVariablesAreTheVarEdRows)
{
    ASSERT_TRUE(Load("vared-valid", false, "vared"));
    std::multiset<std::pair<LONG, LONG>> want, got;
    for (const queryoracle::SymbolRow &row : Symbols())
        if (row.id == 15 || row.id == 16)
            want.emplace(row.id, row.data[0]);
    OnWorker([&](CSymbolEngine &engine) {
        CSymbolRequest request(RequesterSynchronous);
        engine.OnVarEdVariables(request);
        auto &entries = *dynamic_cast<CArray<VarEdTag, VarEdTag &> *>(request.m_pResult);
        for (int i = 0; i < entries.GetSize(); ++i)
            got.emplace(entries[i].Kind, entries[i].Data);
    });
    EXPECT_EQ(want.size(), 5u);
    EXPECT_EQ(got, want);
}

} // namespace
