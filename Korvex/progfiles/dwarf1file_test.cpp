// The DWARF 1.1 globals and module passes on testdata/elf/dwarf1-units.elf, whose entries
// make-dwarf1.py lists; the rows expected were worked out from those entries by hand.
#include "elffile.h"

#include <debugserver.h>
#include <hostsymbolpartners.h>
#include <symdbtesting.h>

#include "dwarftesting.h"
#include "elftesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using QelHost::CHostDebugServer;

std::string N(LONG value)
{
    return std::to_string(value);
}

std::string Join(std::initializer_list<std::string> fields)
{
    std::string text;
    for (const std::string &field : fields)
        text += (text.empty() ? "" : "\t") + field;
    return text;
}

// Packed index of number `n` in module `m`.
std::string P(LONG m, LONG n)
{
    return N((m << 18) | n);
}

// Entries of dwarf1-units.elf by their offsets in their units (make-dwarf1.py prints them).
const LONG FLAGS = 89, INNER = 275, COLOR = 433, GRID = 490, NAMES = 527, PP = 810, FN = 714, B = 54, C = 103;
const LONG INT = 0x3FFF9, CHAR = 0x3FFFF, LONG_TYPE = 0x3FFF6, VOID = 0x3FFEC;

class Dwarf1FileTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        CComObject<CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&server), S_OK);
        m_server = server;
        m_host = static_cast<IQelHostHolder *>(server);
        ASSERT_TRUE(m_database.Create(PathOf("program.mdb")));
    }
    void TearDown() override
    {
        m_server->SetSymbolServer(nullptr);
        m_database.Close(FALSE);
        FolderTest::TearDown();
    }

    // Loads `sample` and reads every module.
    void LoadAll(const char *sample, int modules)
    {
        CELFFile reader(m_database, 1, m_host);
        ASSERT_TRUE(reader.Open(ElfSamplePath(sample).c_str(), nullptr));
        ASSERT_EQ(reader.ReadSections(nullptr), 1) << reader.GetFailureText();
        ASSERT_EQ(reader.ReadGlobals(nullptr), 1);
        for (int modul = 1; modul <= modules; ++modul)
            ASSERT_EQ(reader.ReadModules(modul, 0), 1) << modul;
        EXPECT_EQ(reader.ReadModules(modules + 1, 0), 0);
    }

    std::vector<std::string> Functions()
    {
        std::vector<std::string> rows;
        CDBFunctions f(m_database.GetDatabase());
        for (f.Open(); !f.IsEOF(); f.MoveNext())
            rows.push_back(Join({N(f.m_FunctionIndex), std::string(f.m_Name), N(f.m_AddressValue), N(f.m_Length),
                                 N(f.m_ReturnType), N(f.m_Scope)}));
        return rows;
    }
    // Module rows of Symbols: module, kind, scope, name, Data_1 to Data_6.
    std::vector<std::string> Symbols()
    {
        std::vector<std::string> rows;
        CDBSymbolInfo s(m_database.GetDatabase());
        for (s.Open(); !s.IsEOF(); s.MoveNext())
            if (s.m_ModulIndex > 0)
                rows.push_back(Join({N(s.m_ModulIndex), N(s.m_SymbolID), N(s.m_ScopeIndex), std::string(s.m_Name),
                                     N(s.m_Data_1), N(s.m_Data_2), N(s.m_Data_3), N(s.m_Data_4), N(s.m_Data_5),
                                     N(s.m_Data_6)}));
        return rows;
    }
    std::vector<std::string> Types()
    {
        std::vector<std::string> rows;
        CDBTypeInfo t(m_database.GetDatabase());
        for (t.Open(); !t.IsEOF(); t.MoveNext())
            rows.push_back(Join({N(t.m_TypeIndex), N(t.m_TypeID), std::string(t.m_Name), N(t.m_Data_1),
                                 N(t.m_Data_2), N(t.m_Data_3), N(t.m_Data_4)}));
        return rows;
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> rows;
        CDBSourceLines l(m_database.GetDatabase());
        for (l.Open(); !l.IsEOF(); l.MoveNext())
            rows.push_back(Join({N(l.m_SourceLine), N(l.m_AddressValue), N(l.m_SectionIndex), N(l.m_SourceFileIndex)}));
        return rows;
    }
    std::vector<std::string> Files()
    {
        std::vector<std::string> rows;
        CDBSourceFiles f(m_database.GetDatabase());
        for (f.Open(); !f.IsEOF(); f.MoveNext())
            rows.push_back(Join({N(f.m_SourceFileIndex), std::string(f.m_Name), N(f.m_Type)}));
        return rows;
    }

    static void ExpectAll(const std::vector<std::string> &rows, std::initializer_list<std::string> expected)
    {
        for (const std::string &row : expected)
            EXPECT_TRUE(std::find(rows.begin(), rows.end(), row) != rows.end()) << row;
    }
    static size_t CountNamed(const std::vector<std::string> &rows, const std::string &part)
    {
        return std::count_if(rows.begin(), rows.end(),
                             [&](const std::string &row) { return row.find(part) != std::string::npos; });
    }

    CHostDebugServer *m_server = nullptr;
    CComPtr<IUnknown> m_host;
    CQelDatabase m_database;
};

TEST_F(Dwarf1FileTest, FunctionsAreNamedAsTheirUnitsLanguageAndClassSay)
{
    LoadAll("dwarf1-units.elf", 5);
    // "helper" takes its name and type (char *, a pointer numbered after its own entry)
    // from its origin. Member functions: "this" is left out, and without another
    // parameter there are no parentheses. uart.pcp is no PCP module without a PCP.
    EXPECT_EQ(Functions(), (std::vector<std::string>{
                               Join({"1", "main", "4096", "64", P(1, INT), "-1"}),
                               Join({"2", "helper", "4160", "32", P(1, 1302), "1"}),
                               Join({"3", "second", "4288", "32", P(2, VOID), "-2"}),
                               Join({"4", "from_header", "4320", "16", P(2, VOID), "2"}),
                               Join({"5", "C::f(int a, char* p)", "4352", "16", P(3, VOID), "-3"}),
                               Join({"6", "C::g", "4368", "8", P(3, VOID), "-3"}),
                               Join({"7", "C::h(const int& v, B named)", "4376", "8", P(3, VOID), "-3"}),
                               Join({"8", "plain(int)", "4384", "32", P(3, VOID), "-3"}),
                               Join({"9", "uart_isr", "16", "16", P(4, VOID), "-4"}),
                               // The nameless subroutine has no row; the nameless unit does.
                               Join({"10", "lone", "4336", "16", P(5, VOID), "-5"}),
                           }));
    CDBModuls moduls(m_database.GetDatabase());
    moduls.Open();
    moduls.MoveLast();
    EXPECT_STREQ(moduls.m_Name, "_unnamed_modul5");
}

TEST_F(Dwarf1FileTest, VariablesAreWrittenOnceWhereverTheyAreDeclared)
{
    LoadAll("dwarf1-units.elf", 5);
    const std::vector<std::string> rows = Symbols();
    ExpectAll(rows, {
                        Join({"1", "5", "1", "grid", P(1, GRID), "1", "8192", "0", "-1", "-1"}),
                        Join({"1", "5", "1", "pp", P(1, PP + 2), "1", "8216", "0", "-1", "-1"}),
                        // Declared in full.c, defined in second.c: the definition only.
                        Join({"2", "5", "2", "shared", P(2, INT), "1", "8224", "0", "-1", "-1"}),
                        // Declared only: at its address in the symbol table.
                        Join({"1", "5", "1", "only_declared", P(1, LONG_TYPE), "1", "8228", "0", "-1", "-1"}),
                        Join({"3", "5", "3", "C::counter", P(3, INT), "1", "8256", "0", "-1", "-1"}),
                        Join({"3", "5", "3", "C::limit", P(3, INT), "1", "8260", "0", "-1", "-1"}),
                        // Statics: the scope is the running number of the subroutine or
                        // block that holds them (the second block has no address, and
                        // counts), with the unit's file and the function's index.
                        Join({"1", "4", "1", "file_static", P(1, CHAR), "1", "8232", "0", "1", "-1"}),
                        Join({"1", "3", "1", "calls", P(1, INT), "1", "8236", "0", "1", "1"}),
                        Join({"1", "3", "2", "inner_static", P(1, INT), "1", "8240", "0", "1", "1"}),
                        Join({"1", "3", "3", "deep", P(1, INT), "1", "8244", "0", "1", "1"}),
                        Join({"4", "3", "2", "rx", P(4, CHAR), "1", "36864", "0", "5", "9"}),
                    });
    EXPECT_EQ(CountNamed(rows, "\tshared\t"), 1u);
    EXPECT_EQ(CountNamed(rows, "\tmissing\t"), 0u) << "declared, and not in the symbol table";
}

TEST_F(Dwarf1FileTest, CodeEntriesGiveBlocksParametersLocalsLabelsAndLifetimes)
{
    LoadAll("dwarf1-units.elf", 5);
    ExpectAll(Symbols(), {
                             Join({"1", "8", "1", "", "0", "1", "4096", "64", "-1", "-1"}),
                             Join({"1", "8", "2", "", "1", "1", "4112", "16", "-1", "-1"}),
                             Join({"1", "8", "5", "", "0", "1", "4160", "32", "-1", "-1"}),
                             // argc: at r11 - 8 from the body's begin to its end.
                             Join({"1", "12", "1", "", "4100", "2", "-8", "11", "-1", "-1"}),
                             Join({"1", "12", "1", "", "4156", "6", "-1", "-1", "-1", "-1"}),
                             Join({"1", "1", "1", "argc", P(1, INT), "5", "1", "1", "-1", "-1"}),
                             // i: its location list, counted from the unit's low address.
                             Join({"1", "12", "2", "", "4096", "3", "4", "0", "-1", "-1"}),
                             Join({"1", "12", "2", "", "4104", "6", "-1", "-1", "-1", "-1"}),
                             Join({"1", "12", "2", "", "4104", "2", "4", "11", "-1", "-1"}),
                             Join({"1", "12", "2", "", "4128", "6", "-1", "-1", "-1", "-1"}),
                             Join({"1", "2", "1", "i", P(1, INT), "5", "2", "1", "-1", "-1"}),
                             Join({"1", "9", "1", "again", "-1", "1", "4112", "-1", "-1", "-1"}),
                             Join({"1", "2", "2", "r", P(1, INT), "5", "4", "1", "-1", "-1"}),
                             // No body: the place itself.
                             Join({"1", "1", "2", "p", P(1, 1332), "3", "0", "0", "-1", "-1"}),
                             Join({"3", "1", "5", "this", P(3, 208), "3", "0", "0", "-1", "-1"}),
                             Join({"3", "1", "7", "v", P(3, INT), "3", "1", "0", "-1", "-1"}),
                             Join({"4", "8", "1", "", "0", "1", "16", "16", "-1", "-1"}),
                             Join({"4", "1", "9", "c", P(4, CHAR), "3", "2", "0", "-1", "-1"}),
                             Join({"4", "1", "0", "q", P(4, CHAR), "3", "3", "0", "-1", "-1"}),
                         });
}

TEST_F(Dwarf1FileTest, TypeEntriesAndModifiersGiveTheirTypes)
{
    LoadAll("dwarf1-units.elf", 5);
    const LONG S = 0x3FF9B; // the first synthetic number
    ExpectAll(Types(), {
                           Join({P(1, INT), "0", "int", "32", "11", "0", "0"}),
                           // int **pp: entry + 1 points to int, entry + 2 to that.
                           Join({P(1, PP + 1), "3", "", P(1, INT), "2", "0", "0"}),
                           Join({P(1, PP + 2), "3", "", P(1, PP + 1), "2", "0", "0"}),
                           // Bit-fields: signed through the typedef s32, signed int, unsigned.
                           Join({P(1, FLAGS), "5", "flags", "96", "5", "0", "0"}),
                           Join({P(1, S), "2", "", "4", "0", "1", "0"}),
                           Join({P(1, S - 1), "2", "", "3", "4", "1", "0"}),
                           Join({P(1, S - 2), "2", "", "3", "7", "0", "0"}),
                           Join({P(1, INNER), "5", "inner", "32", "1", "0", "0"}),
                           Join({P(1, INNER + 26), "11", "x", P(1, 0x3FFFC), "16", "0", P(1, INNER)}),
                           // The element list backwards, numbered after the entry.
                           Join({P(1, COLOR), "7", "color", "32", "3", "0", "0"}),
                           Join({P(1, COLOR + 1), "12", "RED", "0", "0", "0", P(1, COLOR)}),
                           Join({P(1, COLOR + 3), "12", "BLUE", "2", "0", "0", P(1, COLOR)}),
                           // int[2][3], and char *[10].
                           Join({P(1, GRID), "4", "", P(1, S - 3), "2", "0", "0"}),
                           Join({P(1, S - 3), "4", "", P(1, INT), "3", "0", "0"}),
                           Join({P(1, NAMES), "4", "", P(1, NAMES + 1), "10", "0", "0"}),
                           Join({P(1, NAMES + 1), "3", "", P(1, CHAR), "2", "0", "0"}),
                           Join({P(1, FN), "9", "", P(1, INT), "2", "0", "0"}),
                           Join({P(1, FN + 16), "10", "", P(1, CHAR), "0", "0", P(1, FN)}),
                           Join({P(1, FN + 26), "10", "", P(1, FN + 27), "0", "0", P(1, FN)}),
                           Join({P(3, C), "5", "C", "64", "1", "0", "0"}),
                           Join({P(3, C + 22), "11", "base_class", P(3, B), "0", "0", P(3, C)}),
                           Join({P(3, C + 43), "11", "a", P(3, INT), "32", "0", P(3, C)}),
                       });
}

TEST_F(Dwarf1FileTest, LinesComeFromTheLineTableOrTheSourceInformationAndFunctionsGetTheirFirst)
{
    LoadAll("dwarf1-units.elf", 5);
    EXPECT_EQ(Files(), (std::vector<std::string>{"1\tfull.c\t1000", "2\tsecond.c\t1000", "3\tsecond.h\t1000",
                                                 "4\tshapes.cpp\t0", "5\tuart.pcp\t1000"}));
    // main begins before the first line of its section and takes it.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"3\t4100\t0\t1", "5\t4104\t0\t1", "7\t4112\t0\t1", "9\t4160\t0\t1",
                                                 "12\t4164\t0\t1", "14\t4224\t0\t1", "3\t4096\t0\t1", "2\t4288\t1\t2",
                                                 "4\t4296\t1\t2", "10\t4320\t1\t3", "11\t4328\t1\t3"}));
}

TEST_F(Dwarf1FileTest, AFileWithDebugAndDebugInfoIsReadAsDwarf1)
{
    LoadAll("dwarf1-sample.elf", 1);
    CDBModuls moduls(m_database.GetDatabase());
    moduls.Open();
    ASSERT_FALSE(moduls.IsEOF());
    EXPECT_STREQ(moduls.m_Name, "src/dwarf1.c");
    EXPECT_EQ(moduls.GetRecordCount(), 1);
}

// The last unit grown by an entry of no known tag to 2 bytes below the synthetic numbers,
// then a structure of three bit-fields: the third bit-field has no number left.
std::vector<BYTE> WithModuleThatCannotBeNumbered()
{
    DwarfTesting::Sample elf("dwarf1-units.elf");
    size_t size = 0;
    const BYTE *debug = elf.Section(".debug", &size);
    std::vector<BYTE> added;
    auto u16 = [&](DWORD v) { added.insert(added.end(), {BYTE(v), BYTE(v >> 8)}); };
    auto u32 = [&](DWORD v) { u16(v & 0xFFFF); u16(v >> 16); };
    const DWORD UNIT = 2307, STRUCTURE = 24 + 3 * 30 + 4, WANTED = 0x3FF9B - 2;
    const DWORD filler = WANTED - (static_cast<DWORD>(size) - UNIT) - STRUCTURE;
    u32(filler); u16(0x7777); u16(0x7774); u32(filler - 12);
    added.resize(added.size() + filler - 12);
    const DWORD structure = static_cast<DWORD>(size) + filler;
    u32(24); u16(0x13); u16(0x12); u32(structure + STRUCTURE); u16(0x38);
    added.insert(added.end(), {'b', 'i', 'g', 0});
    u16(0xB6); u32(4);
    for (int i = 0; i < 3; ++i) {
        u32(30); u16(0x0D); u16(0x38); added.insert(added.end(), {'a', 0}); u16(0x55); u16(7);
        u16(0xB6); u32(4); u16(0xC5); u16(i); u16(0xD6); u32(1);
    }
    u32(4);
    std::vector<BYTE> bytes = elf.bytes;
    const int index = elf.image.FindSection(".debug");
    PatchElf(bytes, ElfSectionField(bytes, index, 16), static_cast<uint32_t>(bytes.size()), 4);
    PatchElf(bytes, ElfSectionField(bytes, index, 20), static_cast<uint32_t>(size + added.size()), 4);
    bytes.insert(bytes.end(), debug, debug + size);
    bytes.insert(bytes.end(), added.begin(), added.end());
    return bytes;
}

TEST_F(Dwarf1FileTest, AModulePassThatFailsLeavesNoneOfItsRowsAndTheModuleUnread)
{
    DamagedElf damaged(WithModuleThatCannotBeNumbered());
    CELFFile reader(m_database, 1, m_host);
    ASSERT_TRUE(reader.Open(damaged.Name(), nullptr));
    ASSERT_EQ(reader.ReadSections(nullptr), 1);
    ASSERT_EQ(reader.ReadGlobals(nullptr), 1);
    const std::vector<std::string> globals = Symbols();
    EXPECT_EQ(reader.ReadModules(5, 0), 0);
    EXPECT_EQ(Symbols(), globals);
    for (const std::string &type : Types())
        EXPECT_NE(std::stol(type) >> 18, 5) << type;
    EXPECT_EQ(reader.ReadModules(3, 0), 1) << "the other modules are read";
    CDBModuls moduls(m_database.GetDatabase());
    moduls.Open();
    moduls.MoveLast();
    EXPECT_EQ(moduls.m_ModulIndex, 5);
    EXPECT_FALSE(moduls.m_Analyzed);
}

// A PCP debugger whose code window starts at 0x8000: uart.pcp's word addresses.
TEST_F(Dwarf1FileTest, APcpUnitsWordAddressesLieInThePcpsCode)
{
    CComObject<QelHost::CHostSymbolPartners> *partners = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostSymbolPartners>::CreateInstance(&partners), S_OK);
    CComPtr<IQelSymbSrv> keepPartners = partners;
    CComObject<CHostDebugServer> *pcp = nullptr;
    ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&pcp), S_OK);
    CComPtr<IUnknown> keepPcp = static_cast<IQelHostHolder *>(pcp);
    CComObject<QelHost::CHostWindowValues> *values = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostWindowValues>::CreateInstance(&values), S_OK);
    CComPtr<IQelWindowValues> keepValues = values;
    values->SetValue(u"CodeBaseAddr", 0x8000);
    values->SetValue(u"CodeEndAddr", 0x803F);
    pcp->SetWindowValues(values);
    m_server->SetSymbolServer(keepPartners);
    partners->SetForeignDebugServer(keepPcp);

    LoadAll("dwarf1-units.elf", 5);
    const std::vector<std::string> functions = Functions();
    ASSERT_EQ(functions.size(), 10u);
    EXPECT_EQ(functions[8], Join({"9", "uart_isr", N(0x8020), "32", P(4, VOID), "-4"}));
    // The function counts, so its parameter has its index; its block has no row.
    const std::vector<std::string> symbols = Symbols();
    ExpectAll(symbols, {Join({"4", "1", "9", "c", P(4, CHAR), "3", "2", "0", "-1", "-1"}),
                        Join({"4", "3", "2", "rx", P(4, CHAR), "1", "36864", "0", "5", "9"})});
    EXPECT_EQ(CountNamed(symbols, "4\t8\t"), 0u);
    // The table: 20 at +0, 21 at +2 (once), 22 at +0 left out, 23 at +4, then the end.
    const std::vector<std::string> lines = Lines();
    ExpectAll(lines, {"20\t32800\t4\t5", "21\t32804\t4\t5", "23\t32808\t4\t5"});
    EXPECT_EQ(CountNamed(lines, "\t5"), 3u);
    EXPECT_EQ(Files()[4], "5\tuart.pcp\t1002");
    m_server->SetSymbolServer(nullptr);
}

// dwarf1-deep.elf nests 100 blocks in its function and 100 structures in one another,
// deeper than the walk follows: each still gets its row, once, and what lies at the
// bottom stays in the deepest scope that the walk keeps.
TEST_F(Dwarf1FileTest, NestingDeeperThanTheWalkFollowsLosesNoRow)
{
    LoadAll("dwarf1-deep.elf", 1);
    const std::vector<std::string> types = Types();
    for (int level = 0; level < 100; ++level)
        EXPECT_EQ(CountNamed(types, "\ts" + N(level) + "\t"), 1u) << level;
    const std::vector<std::string> symbols = Symbols();
    EXPECT_EQ(CountNamed(symbols, "1\t8\t"), 101u) << "the function and its 100 blocks";
    ExpectAll(symbols, {Join({"1", "8", "101", "", "100", "1", N(0x1063), "58", "-1", "-1"})});
    ExpectAll(symbols, {Join({"1", "3", "64", "bottom", "524281", "1", N(0x2000), "0", "1", "1"})});
    EXPECT_EQ(CountNamed(symbols, "\tafter\t"), 1u);
    EXPECT_EQ(CountNamed(symbols, "\tbottom\t"), 2u) << "its variable row and its label row";
}

} // namespace
