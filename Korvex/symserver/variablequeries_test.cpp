// The variable and scope queries (codes 401 to 409) on the hand-written firmware
// (testdata/firmware, handwritten-O0: board_poll at 0x80118 with blocks at 0x8019c and,
// inside it, 0x801fc, each declaring a `count`; control_step at 0x803f4 with a block at
// 0x8042c that declares a second `level` and, at 0x80452, a second static `calls`), and
// on databases the test changes where gcc does not make the case.
#include "querytesting.h"

#include <firmwareoracle.h>
#include <nameencoding.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using firmwareoracle::LineTable;
using querytest::QueryTest;

typedef std::vector<VariableTag> Variables;

const DWORD kPoll = 0x80118, kPollBlock = 0x8019c, kPollInner = 0x80200;
const DWORD kStep = 0x803f4, kStepBlock = 0x80440, kStepInner = 0x80460;

CString Encoded(const char *name)
{
    CString encoded;
    EncodeNameString(name, encoded);
    return encoded;
}

std::set<std::string> Names(const Variables &variables)
{
    std::set<std::string> names;
    for (const VariableTag &v : variables)
        names.insert(static_cast<LPCSTR>(v.Name));
    return names;
}

// "name kind scope" of each entry, in order.
std::vector<std::string> Entries(const Variables &variables)
{
    std::vector<std::string> entries;
    for (const VariableTag &v : variables)
        entries.push_back(std::string(v.Name) + " " + std::to_string(v.SymbolID) + " " + std::string(v.ScopeText));
    return entries;
}

const VariableTag *Named(const Variables &variables, const char *name)
{
    for (const VariableTag &v : variables)
        if (v.Name == name)
            return &v;
    return nullptr;
}

class VariableQueries : public QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        // Modules are read here by the queries alone.
        m_engine->SetHandler(RequestCodeIdle, nullptr);
        ASSERT_EQ(Load("firmware/handwritten-O0.elf"), 0);
    }

    Variables Scope(int code, DWORD address, const char *name = "*")
    {
        return Query<VariableTag>(code, {1, address, Encoded(name)});
    }
    LONG Index(int code, DWORD address, const char *name)
    {
        const Variables found = Scope(code, address, name);
        return found.size() == 1 ? found[0].SymbolIndex : -1;
    }

    // Renames a row as a reader could have named it (both columns).
    void Rename(LONG symbolIndex, const char *name)
    {
        CDBSymbolInfo rows(Database());
        rows.Open(dbOpenTable);
        for (; !rows.IsEOF(); rows.MoveNext()) {
            if (rows.m_SymbolIndex != symbolIndex)
                continue;
            rows.Edit();
            rows.m_Name = name;
            rows.m_NameString = Encoded(name);
            rows.Update();
            return;
        }
        ADD_FAILURE() << "no symbol " << symbolIndex;
    }

    BOOL ModulRead(const char *name)
    {
        CDBModuls moduls(Database());
        for (moduls.Open(dbOpenTable); !moduls.IsEOF(); moduls.MoveNext())
            if (moduls.m_Name == name)
                return moduls.m_Analyzed;
        return FALSE;
    }
};

TEST_F(VariableQueries, GlobalsAndStaticsAreFoundByEncodedNameAndPathPatterns)
{
    const Variables globals = Query<VariableTag>(401, {Encoded("board_*"), "*"});
    EXPECT_EQ(Names(globals),
              (std::set<std::string>{"board_ticks", "board_config", "board_status", "board_ready", "board_name"}));
    for (size_t i = 0; i < globals.size(); ++i) {
        EXPECT_EQ(globals[i].SymbolID, 5);
        EXPECT_EQ(globals[i].ScopeText, "(global)");
        // Only the first entry of a list has its type described.
        EXPECT_EQ(globals[i].TypeText.IsEmpty(), i > 0) << globals[i].Name;
        EXPECT_EQ(globals[i].SizeInBits == 0, i > 0) << globals[i].Name;
    }
    EXPECT_EQ(Names(Query<VariableTag>(401, {"*", "control.c"})), (std::set<std::string>{"control_enabled"}));
    EXPECT_TRUE(Query<VariableTag>(401, {"board_ticks", "*"}).empty()) << "a name not encoded matches nothing";

    EXPECT_EQ(Entries(Query<VariableTag>(403, {Encoded("state_count"), "*"})),
              (std::vector<std::string>{"state_count 4 [board.c]", "state_count 4 [control.c]"}));
    EXPECT_EQ(Entries(Query<VariableTag>(403, {Encoded("calls"), "board.c"})),
              (std::vector<std::string>{"calls 3 [board.c]:{board_poll}", "calls 3 [board.c]:{board_poll}",
                                        "calls 3 [board.c]:{board_scale}"}));
}

TEST_F(VariableQueries, FullListsAreCopiesOfTheCachesOnceTheIdlePassHasBuiltThem)
{
    Execute("DELETE FROM Symbols WHERE SymbolID=5 AND Name='board_ticks'");
    const Variables globals = Query<VariableTag>(401, {"*", "*"});
    const Variables statics = Query<VariableTag>(403, {"*", "*"});
    EXPECT_EQ(globals.size(), 11u) << "before the caches exist the database is asked";
    EXPECT_EQ(statics.size(), 11u);

    // As the idle pass builds them.
    Handle(498, [&](CSymbolRequest &) {
        for (int code : {401, 403}) {
            CSymbolRequest full(RequesterSynchronous);
            CComVariant all("*");
            VariantCopy(&full.Param1, &all);
            VariantCopy(&full.Param2, &all);
            code == 401 ? m_engine->OnGlobals(full) : m_engine->OnStatics(full);
            (code == 401 ? m_engine->GlobalsCache : m_engine->StaticsCache) = full.m_pResult;
            full.m_pResult = nullptr;
        }
    });
    ASSERT_EQ(FetchStatus(Submit(498, RequesterSynchronous)), StatusSuccess);
    Execute("DELETE FROM Symbols WHERE SymbolID>=3 AND SymbolID<=5");

    const Variables cachedGlobals = Query<VariableTag>(401, {"*", "*"});
    EXPECT_EQ(Entries(cachedGlobals), Entries(globals)) << "the cache, not the database";
    ASSERT_FALSE(cachedGlobals.empty());
    EXPECT_EQ(cachedGlobals[0].TypeText, globals[0].TypeText);
    EXPECT_EQ(Entries(Query<VariableTag>(403, {"*", "*"})), Entries(statics));
    EXPECT_TRUE(Query<VariableTag>(401, {"*", "board.c"}).empty()) << "any other pattern asks the database";
    EXPECT_TRUE(Query<VariableTag>(403, {Encoded("calls"), "*"}).empty());
}

} // namespace

namespace {

TEST_F(VariableQueries, ScopeQueriesGiveTheInnermostVariableOfEachNameReadingTheModuleFirst)
{
    EXPECT_FALSE(ModulRead("board.c"));
    const Variables poll = Scope(405, kPoll), block = Scope(405, kPollBlock), inner = Scope(405, kPollInner);
    EXPECT_TRUE(ModulRead("board.c")) << "the query read the module at the address";
    for (const Variables *at : {&poll, &block, &inner}) {
        EXPECT_EQ(Entries(*at), (std::vector<std::string>{"calls 3 [board.c]:{board_poll}", "count 2 [\"board.c\"]",
                                                           "limit 1 {board_poll}", "tries 2 [\"board.c\"]"}));
        for (const VariableTag &v : *at) {
            EXPECT_EQ(v.TypeText, "int32_t") << v.Name << ": each entry of the scope has its type";
            EXPECT_EQ(v.SizeInBits, 32) << v.Name;
        }
    }
    // A reader writes a block's variables after those of the block around it: the
    // innermost `count` (and that of two plain locals the inner one) wins.
    ASSERT_EQ(inner.size(), 4u);
    EXPECT_LT(poll[1].SymbolIndex, block[1].SymbolIndex);
    EXPECT_LT(block[1].SymbolIndex, inner[1].SymbolIndex);
    EXPECT_LT(poll[0].SymbolIndex, block[0].SymbolIndex) << "the block's static calls hides the function's";
    EXPECT_EQ(block[0].SymbolIndex, inner[0].SymbolIndex);
    EXPECT_LT(Index(405, kStep, "level"), Index(405, kStepBlock, "level"));
    EXPECT_LT(Index(405, kStep, "calls"), Index(405, kStepInner, "calls"));
    EXPECT_EQ(Names(Scope(405, kStepInner, "l*")), (std::set<std::string>{"level", "level2"}));

    // Module statics first, then the block statics visible at the address.
    EXPECT_EQ(Entries(Scope(404, kPollInner)),
              (std::vector<std::string>{"poll_busy 4 [board.c]", "state_count 4 [board.c]",
                                        "calls 3 [board.c]:{board_poll}"}));
    EXPECT_EQ(Scope(404, kPollInner).back().SymbolIndex, inner[0].SymbolIndex);
    EXPECT_EQ(Entries(Query<VariableTag>(407, {1, kPollInner})), (std::vector<std::string>{"limit 1 {board_poll}"}));

    // Everything visible: the scope, then the module's statics, then the globals.
    const Variables all = Scope(409, kPollInner);
    ASSERT_EQ(all.size(), 4u + 2u + 12u);
    EXPECT_EQ(Entries(Variables(all.begin(), all.begin() + 4)), Entries(inner));
    EXPECT_EQ(Entries(Variables(all.begin() + 4, all.begin() + 6)),
              (std::vector<std::string>{"poll_busy 4 [board.c]", "state_count 4 [board.c]"}));
    EXPECT_EQ(Entries(Variables(all.begin() + 6, all.end())), Entries(Scope(402, kPollInner)));
    EXPECT_EQ(Names(Scope(402, kPollInner)), Names(Query<VariableTag>(401, {"*", "*"})));
}

// gcc does not let a parameter and a local of the function's block share a name, nor
// make a static that an inner local hides here: the test renames rows so.
TEST_F(VariableQueries, ParametersStaticsAndLocalsHideEachOtherByTheirBlocks)
{
    const LONG functionCalls = Index(405, kPoll, "calls"), blockCalls = Index(405, kPollBlock, "calls");
    const LONG innerCount = Index(405, kPollInner, "count"), tries = Index(405, kPoll, "tries");

    // A parameter hides a static of its function's block...
    Rename(functionCalls, "limit");
    EXPECT_EQ(Entries(Scope(405, kPoll, "limit")), (std::vector<std::string>{"limit 1 {board_poll}"}));
    EXPECT_EQ(Names(Scope(404, kPoll)), (std::set<std::string>{"poll_busy", "state_count"}));
    // ...and a static of an inner block hides the parameter.
    Rename(blockCalls, "limit");
    EXPECT_EQ(Index(405, kPollBlock, "limit"), blockCalls);
    // A local of a block inside that hides both, and is no static: code 404 leaves the
    // name out rather than give the static it hides, and leaves no empty entry.
    Rename(innerCount, "limit");
    EXPECT_EQ(Index(405, kPollInner, "limit"), innerCount);
    EXPECT_EQ(Entries(Scope(404, kPollInner)),
              (std::vector<std::string>{"poll_busy 4 [board.c]", "state_count 4 [board.c]"}));
    EXPECT_EQ(Entries(Scope(404, kPollBlock)),
              (std::vector<std::string>{"poll_busy 4 [board.c]", "state_count 4 [board.c]",
                                        "limit 3 [board.c]:{board_poll}"}));

    // Locals hide module statics and globals of their names.
    Rename(tries, "board_ticks");
    Rename(Index(405, kPoll, "count"), "poll_busy");
    const Variables all = Scope(409, kPoll);
    std::map<std::string, int> seen;
    for (const VariableTag &v : all)
        ++seen[static_cast<LPCSTR>(v.Name)];
    EXPECT_EQ(seen["board_ticks"], 1);
    EXPECT_EQ(seen["poll_busy"], 1);
    EXPECT_EQ(Named(all, "board_ticks")->SymbolID, 2);
    EXPECT_EQ(Named(all, "poll_busy")->SymbolID, 2);
    EXPECT_EQ(Named(Scope(402, kPoll), "board_ticks"), nullptr);
    EXPECT_NE(Named(Scope(402, kStep), "board_ticks"), nullptr) << "elsewhere the global is seen";
}

TEST_F(VariableQueries, VariableWithScopeFindsTheEntryOfAnEarlierAnswerAgain)
{
    const Variables states = Query<VariableTag>(403, {Encoded("state_count"), "*"});
    ASSERT_EQ(states.size(), 2u);
    const struct {
        const char *text;
        std::vector<std::string> entries;
    } cases[] = {
        {"board_ticks (global)", {"board_ticks 5 (global)"}},
        {"state_count [control.c]", {"state_count 4 [control.c]"}},
        {"calls [board.c]:{board_scale}", {"calls 3 [board.c]:{board_scale}"}},
        // A file alone takes the first static of the name in it.
        {"calls [board.c]", {"calls 3 [board.c]:{board_poll}"}},
        {"calls [control.c]:{control_filter}", {"calls 3 [control.c]:{control_filter}"}},
        // `*`: the globals of the name, then its first static.
        {"board_ticks *", {"board_ticks 5 (global)"}},
        {"state_count *", {"state_count 4 [board.c]"}},
        {"state_count (global)", {}},
        {"nosuch [board.c]", {}},
        {"state_count [motor.cpp]", {}},
        {"(global)", {}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Entries(Query<VariableTag>(406, {c.text})), c.entries) << c.text;
    EXPECT_EQ(Query<VariableTag>(406, {"state_count [control.c]"})[0].AddressValue, states[1].AddressValue);
    EXPECT_EQ(Query<VariableTag>(406, {"state_count [control.c]"})[0].TypeText, "int32_t");

    // A file named with its folders is found by its name alone too.
    Execute("UPDATE SourceFiles SET Name='/src/fw/control.c' WHERE Name='control.c'");
    for (const char *text : {"state_count [control.c]", "state_count [/src/fw/control.c]"})
        EXPECT_EQ(Entries(Query<VariableTag>(406, {text})),
                  (std::vector<std::string>{"state_count 4 [/src/fw/control.c]"}))
            << text;
}

TEST_F(VariableQueries, VariableByIndexReadsItsModuleFirstAndGivesItsScopeAndType)
{
    // A list reads the module of its first row only.
    const Variables states = Query<VariableTag>(403, {Encoded("state_count"), "*"});
    ASSERT_EQ(states.size(), 2u);
    EXPECT_FALSE(ModulRead("control.c"));
    const Variables byIndex = Query<VariableTag>(408, {states[1].SymbolIndex});
    EXPECT_TRUE(ModulRead("control.c"));
    ASSERT_EQ(byIndex.size(), 1u);
    EXPECT_EQ(Entries(byIndex), Entries({states[1]}));
    EXPECT_EQ(byIndex[0].TypeText, "int32_t");
    EXPECT_EQ(byIndex[0].AddressValue, states[1].AddressValue);

    const Variables scope = Scope(405, kStepBlock);
    for (const VariableTag &v : scope) {
        const Variables one = Query<VariableTag>(408, {v.SymbolIndex});
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(Entries(one), Entries({v}));
        EXPECT_EQ(one[0].TypeText, v.TypeText);
        EXPECT_EQ(one[0].AddressValue, v.AddressValue);
    }
    EXPECT_TRUE(Query<VariableTag>(408, {987654}).empty());
}

// A row whose file, function or module is gone still gets a scope text.
TEST_F(VariableQueries, ScopeTextsFallBackWhenWhatTheyNameIsMissing)
{
    const LONG limit = Index(405, kPoll, "limit"), calls = Index(405, kPoll, "calls");
    const LONG count = Index(405, kPoll, "count");
    const LONG state = Query<VariableTag>(403, {Encoded("state_count"), "board.c"})[0].SymbolIndex;
    auto scopeOf = [&](LONG index) {
        const Variables one = Query<VariableTag>(408, {index});
        return one.size() == 1 ? std::string(one[0].ScopeText) : std::string("?");
    };
    Execute("UPDATE Symbols SET Data_5=-1 WHERE SymbolID=3 OR SymbolID=4");
    EXPECT_EQ(scopeOf(calls), "[\"board.c\"]:{board_poll}");
    EXPECT_EQ(scopeOf(state), "[\"board.c\"]");
    Execute("UPDATE Symbols SET Data_6=-1, Data_1=0 WHERE SymbolID=3 OR SymbolID=4");
    Execute("UPDATE Symbols SET Data_1=0 WHERE SymbolID=2");
    Execute("UPDATE Symbols SET ScopeIndex=-5 WHERE SymbolID=1");
    EXPECT_EQ(scopeOf(calls), "(static)");
    EXPECT_EQ(scopeOf(state), "(static)");
    EXPECT_EQ(scopeOf(count), "(local)");
    EXPECT_EQ(scopeOf(limit), "(parameter)");
}

// The DWARF 3 build of the program gives its frame base as the canonical frame address,
// which .debug_frame defines: at every line address each parameter and local of the
// DWARF 2 build is there with the same name and, through its lifetime, in the same place
// on the stack.
TEST_F(VariableQueries, FrameBasedVariablesOfDwarf3UnitsAreThoseOfTheDwarf2Build)
{
    std::vector<DWORD> addresses;
    DWORD motorLow = 0xFFFFFFFF, motorHigh = 0;
    for (const LineTable &table : firmwareoracle::ReadDecodedLines(
             firmwareoracle::FirmwarePath("handwritten-O0", ".readelf-decodedline.txt"))) {
        for (const firmwareoracle::LineRow &row : table.rows) {
            addresses.push_back(row.address);
            if (table.unit == "motor.cpp") {
                motorLow = std::min(motorLow, DWORD(row.address));
                motorHigh = std::max(motorHigh, DWORD(row.address));
            }
        }
    }
    ASSERT_GE(addresses.size(), 100u);
    // "name kind place" of each parameter and local at each address, the place at the
    // address itself when it has a lifetime.
    auto places = [&]() {
        std::vector<std::string> seen;
        for (DWORD address : addresses) {
            for (const VariableTag &v : Scope(405, address)) {
                if (v.SymbolID != 1 && v.SymbolID != 2)
                    continue;
                std::string place = std::to_string(v.AddressMode) + ":" + std::to_string(LONG(v.AddressValue)) + ":" +
                                    std::to_string(LONG(v.AddressExtra));
                if (v.AddressMode == 5) {
                    place = "none";
                    for (const LifetimeTag &entry : Query<LifetimeTag>(600, {v.SymbolIndex})) {
                        if (address - entry.From.AddressValue < entry.From.AddressExtra)
                            place = std::to_string(entry.To.AddressMode) + ":" + std::to_string(LONG(entry.To.AddressValue)) +
                                    ":" + std::to_string(LONG(entry.To.AddressExtra));
                    }
                }
                char at[16];
                snprintf(at, sizeof at, "%X ", static_cast<unsigned>(address));
                seen.push_back(at + std::string(v.Name) + " " + std::to_string(v.SymbolID) + " " + place);
            }
        }
        return seen;
    };
    const std::vector<std::string> dwarf2 = places();
    ASSERT_GE(dwarf2.size(), 100u);
    ASSERT_EQ(Load("firmware/handwritten-O0-dwarf3.elf"), 0);
    // gcc's DWARF 2 location lists of motor.cpp count from a unit start that its COMDAT
    // code lies below (testdata/firmware/README.md), so its frame base is known in the
    // DWARF 3 build only.
    const std::vector<std::string> dwarf3 = places();
    ASSERT_EQ(dwarf3.size(), dwarf2.size());
    for (size_t i = 0; i < dwarf2.size(); ++i) {
        const size_t place = dwarf2[i].rfind(' ') + 1;
        if (dwarf2[i].compare(place, std::string::npos, "none") != 0) {
            EXPECT_EQ(dwarf3[i], dwarf2[i]);
            continue;
        }
        const DWORD address = static_cast<DWORD>(std::stoul(dwarf2[i], nullptr, 16));
        EXPECT_TRUE(address >= motorLow && address <= motorHigh) << dwarf2[i];
        EXPECT_EQ(dwarf3[i].substr(0, place), dwarf2[i].substr(0, place));
        EXPECT_EQ(dwarf3[i].compare(place, 2, "2:"), 0) << dwarf3[i];
    }
}

} // namespace
