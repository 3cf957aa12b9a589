#include "elffile.h"

#include <debugserver.h>
#include <symdbtesting.h>

#include "dwarftesting.h"
#include "elftesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using QelHost::CHostDebugServer;

// A table's rows as tab-separated text, in the order of the table.
template <class Recordset, class Row>
std::vector<std::string> Rows(CQelDatabase &database, Row row)
{
    std::vector<std::string> rows;
    Recordset rs(database.GetDatabase());
    for (rs.Open(); !rs.IsEOF(); rs.MoveNext())
        rows.push_back(row(rs));
    return rows;
}

std::string Join(std::initializer_list<std::string> fields)
{
    std::string text;
    for (const std::string &field : fields)
        text += (text.empty() ? "" : "\t") + field;
    return text;
}

std::string N(LONG value)
{
    return std::to_string(value);
}

std::vector<std::string> FunctionRows(CQelDatabase &database)
{
    return Rows<CDBFunctions>(database, [](CDBFunctions &f) {
        return Join({N(f.m_FunctionIndex), std::string(f.m_Name), N(f.m_AddressValue), N(f.m_Length),
                     N(f.m_ReturnType), N(f.m_Scope), N(f.m_CallType)});
    });
}

// The Symbols rows of the modules, without those of the ELF symbol table.
std::vector<std::string> ModuleSymbolRows(CQelDatabase &database)
{
    std::vector<std::string> rows = Rows<CDBSymbolInfo>(database, [](CDBSymbolInfo &s) {
        return s.m_ModulIndex < 0 ? std::string()
                                  : Join({N(s.m_ModulIndex), N(s.m_SymbolID), N(s.m_ScopeIndex), std::string(s.m_Name),
                                          N(s.m_Data_1), N(s.m_Data_2), N(s.m_Data_3), N(s.m_Data_4), N(s.m_Data_5),
                                          N(s.m_Data_6)});
    });
    rows.erase(std::remove(rows.begin(), rows.end(), std::string()), rows.end());
    return rows;
}

// By type index (the indexes of the tests have six digits).
std::vector<std::string> TypeRows(CQelDatabase &database)
{
    std::vector<std::string> rows = Rows<CDBTypeInfo>(database, [](CDBTypeInfo &t) {
        return Join({N(t.m_TypeIndex), N(t.m_ModulIndex), N(t.m_TypeID), std::string(t.m_Name), N(t.m_Data_1),
                     N(t.m_Data_2), N(t.m_Data_3), N(t.m_Data_4)});
    });
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> ModulRows(CQelDatabase &database)
{
    return Rows<CDBModuls>(database, [](CDBModuls &m) {
        return Join({N(m.m_ModulIndex), std::string(m.m_Name), N(m.m_Offset), N(m.m_Analyzed)});
    });
}

// Packed type or scope index of entry `offset` in module `modul`.
LONG P(LONG modul, LONG offset)
{
    return (modul << 18) | offset;
}

class ElfFileTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        CComObject<CHostDebugServer> *server = nullptr;
        ASSERT_EQ(CComObject<CHostDebugServer>::CreateInstance(&server), S_OK);
        m_host = static_cast<IQelHostHolder *>(server);
        ASSERT_TRUE(m_database.Create(PathOf("program.mdb")));
    }
    void TearDown() override
    {
        m_database.Close(FALSE);
        FolderTest::TearDown();
    }

    // Opens `path` and runs the passes of a load; FALSE when one fails.
    BOOL Load(CELFFile &reader, const std::string &path)
    {
        return reader.Open(path.c_str(), nullptr) && reader.ReadSections(nullptr) == 1 &&
               reader.ReadGlobals(nullptr) == 1;
    }

    // A copy of `sample` with the abbreviation code of the second entry of the unit at
    // `unit` in .debug_info made one that its table lacks.
    static std::vector<BYTE> WithUnknownAbbreviation(const char *sample, DWORD unit)
    {
        DwarfTesting::Sample elf(sample);
        Dwarf2Sections sections;
        sections.info = elf.Section(".debug_info", &sections.infoSize);
        sections.abbrev = elf.Section(".debug_abbrev", &sections.abbrevSize);
        CDwarf2EntryReader reader(sections);
        EXPECT_EQ(reader.BeginUnit(unit), CDwarf2EntryReader::UNIT_OK);
        reader.NextEntry();
        reader.NextEntry();
        std::vector<BYTE> bytes = elf.bytes;
        bytes[sections.info - elf.bytes.data() + unit + reader.GetEntryOffset()] = 0x7F;
        return bytes;
    }

    CComPtr<IUnknown> m_host;
    CQelDatabase m_database;
};

// The entries of testdata/elf/dwarf2-edges.elf (make-dwarf2-edges.py tells them) against
// the rows each must give once all modules are read.
TEST_F(ElfFileTest, EveryKindOfEntryGivesItsRows)
{
    CELFFile reader(m_database, 1, m_host);
    ASSERT_TRUE(Load(reader, ElfSamplePath("dwarf2-edges.elf"))) << reader.GetFailureText();
    for (int modul = 1; modul <= 3; ++modul)
        ASSERT_EQ(reader.ReadModules(modul, 0), 1) << modul;
    EXPECT_EQ(reader.ReadModules(4, 0), 0) << "the version 5 unit is no module";

    // The third unit has no name; the fourth, of version 5, is left out.
    EXPECT_EQ(ModulRows(m_database), (std::vector<std::string>{"1\tedges.c\t0\t1", "2\tsecond.c\t370\t1",
                                                               "3\t_unnamed_modul3\t417\t1"}));
    // "nohigh" has no high address: length 0; the nameless subprogram has no row, so
    // "after_fn" is 3 in both passes.
    EXPECT_EQ(FunctionRows(m_database),
              (std::vector<std::string>{Join({"1", "leaf", "4096", "32", N(P(1, 0x2b)), "-1", "0"}),
                                        Join({"2", "nohigh", "4160", "0", N(P(1, 0)), "1", "0"}),
                                        Join({"3", "after_fn", "4192", "16", N(P(1, 0)), "1", "0"}),
                                        Join({"4", "second", "4224", "16", N(P(2, 0)), "-2", "0"})}));

    const std::string i = N(P(1, 0x2b)), leaf = N(P(1, 0xa6)), block = N(P(1, 0xe5));
    EXPECT_EQ(ModuleSymbolRows(m_database),
              (std::vector<std::string>{
                  // Function statics in the block and after it, with the unit's own file
                  // and the function's index; the global defined through its declaration.
                  Join({"1", "3", block, "counter", i, "1", "8192", "0", "1", "1"}),
                  Join({"1", "3", leaf, "after", i, "1", "8196", "0", "1", "1"}),
                  Join({"1", "5", "1", "global_decl", i, "1", "8200", "0", "-1", "-1"}),
                  Join({"1", "8", leaf, "", "0", "1", "4096", "32", "-1", "-1"}),
                  // x at the frame base (r13 + 8) - 4 over the function.
                  Join({"1", "12", "1", "", "4096", "2", "4", "13", "-1", "-1"}),
                  Join({"1", "12", "1", "", "4128", "6", "-1", "-1", "-1", "-1"}),
                  Join({"1", "1", "1", "x", i, "5", "1", "1", "-1", "-1"}),
                  // y: r1, then the frame base + 4.
                  Join({"1", "12", "2", "", "4096", "3", "1", "0", "-1", "-1"}),
                  Join({"1", "12", "2", "", "4104", "2", "12", "13", "-1", "-1"}),
                  Join({"1", "12", "2", "", "4128", "6", "-1", "-1", "-1", "-1"}),
                  Join({"1", "2", leaf, "y", i, "5", "2", "1", "-1", "-1"}),
                  Join({"1", "2", leaf, "r", i, "3", "4", "0", "-1", "-1"}),
                  Join({"1", "9", "1", "again", "-1", "1", "4112", "-1", "-1", "-1"}),
                  Join({"1", "8", block, "", "1", "1", "4104", "16", "-1", "-1"}),
                  Join({"1", "12", "3", "", "4096", "2", "8", "13", "-1", "-1"}),
                  Join({"1", "12", "3", "", "4128", "6", "-1", "-1", "-1", "-1"}),
                  Join({"1", "2", block, "inner", i, "5", "3", "1", "-1", "-1"}),
                  Join({"1", "8", N(P(1, 0x155)), "", "0", "1", "4192", "16", "-1", "-1"}),
                  Join({"1", "1", "3", "p", i, "3", "0", "0", "-1", "-1"}),
                  Join({"2", "8", N(P(2, 0x1d)), "", "0", "1", "4224", "16", "-1", "-1"})}));

    const std::string bits = N(P(1, 0x70)), color = N(P(1, 0x8f)), rows = N(P(1, 0x5a));
    EXPECT_EQ(TypeRows(m_database),
              (std::vector<std::string>{
                  Join({N(P(1, 0)), "1", "0", "void", "0", "0", "0", "0"}),
                  Join({i, "1", "0", "int", "32", "11", "0", "0"}),
                  // Names the base-type table lacks: C's integer of the encoding's sign and
                  // the size under a synthetic number, each named by a typedef.
                  Join({N(P(1, 0x32)), "1", "1", "fixed_t", N(P(1, 0x3FFFF)), "0", "0", "0"}),
                  Join({N(P(1, 0x3d)), "1", "1", "_Bool", N(P(1, 0x3FFFE)), "0", "0", "0"}),
                  Join({N(P(1, 0x46)), "1", "1", "int32", i, "0", "0", "0"}),
                  // A pointer without a type points to void.
                  Join({N(P(1, 0x51)), "1", "3", "", N(P(1, 0)), "2", "0", "0"}),
                  // int[2][3]: 2 of the second subrange's type, which is 3 int.
                  Join({N(P(1, 0x53)), "1", "4", "", rows, "2", "0", "0"}),
                  Join({rows, "1", "4", "", i, "3", "0", "0"}),
                  // "nosize" has no size: no rows. The bit-field is signed through int32,
                  // 4 bits at position 16 - 3 - 4.
                  Join({bits, "1", "5", "bits", "32", "2", "0", "0"}),
                  Join({N(P(1, 0x77)), "1", "11", "f", N(P(1, 0x3FFFD)), "0", "0", bits}),
                  Join({N(P(1, 0x84)), "1", "11", "g", i, "16", "0", bits}),
                  Join({color, "1", "7", "color", "32", "2", "0", "0"}),
                  Join({N(P(1, 0x97)), "1", "12", "RED", "0", "0", "0", color}),
                  Join({N(P(1, 0x9d)), "1", "12", "GREEN", "1", "0", "0", color}),
                  Join({N(P(1, 0x3FFFD)), "1", "2", "", "4", "9", "1", "0"}),
                  Join({N(P(1, 0x3FFFE)), "1", "0", "unsigned char", "8", "2", "0", "0"}),
                  Join({N(P(1, 0x3FFFF)), "1", "0", "short", "16", "3", "0", "0"}),
                  Join({N(P(2, 0)), "2", "0", "void", "0", "0", "0", "0"}),
                  Join({N(P(3, 0)), "3", "0", "void", "0", "0", "0", "0"})}));

    // The end of sequence at 0x1020 gives no row.
    EXPECT_EQ(Rows<CDBSourceLines>(m_database,
                                   [](CDBSourceLines &l) {
                                       return Join({N(l.m_SourceLine), N(l.m_AddressValue), N(l.m_SectionIndex),
                                                    N(l.m_SourceFileIndex), N(l.m_Length)});
                                   }),
              (std::vector<std::string>{"3\t4096\t0\t1\t-1", "4\t4104\t0\t1\t-1", "5\t4112\t0\t1\t-1"}));
}

TEST_F(ElfFileTest, AModuleIsReadOnceAndAloneAndItsFilesAreAnalysedAnew)
{
    CELFFile reader(m_database, 1, m_host);
    ASSERT_TRUE(Load(reader, ElfSamplePath("arm7-mixed.elf")));
    // gcc writes the global that main.c's header declares as a nameless definition of
    // that declaration.
    const std::vector<std::string> globals = ModuleSymbolRows(m_database);
    EXPECT_NE(std::find_if(globals.begin(), globals.end(),
                           [](const std::string &row) { return row.find("\t5\t2\tmotors\t") != std::string::npos; }),
              globals.end());
    EXPECT_EQ(ModulRows(m_database), (std::vector<std::string>{"1\tstartup.s\t0\t0", "2\tmain.c\t38\t0",
                                                               "3\tthumb.c\t628\t0"}));
    // A file whose lines a query has analysed gets more lines from the module.
    {
        CDBSourceFiles files(m_database.GetDatabase());
        for (files.Open(); !files.IsEOF(); files.MoveNext()) {
            files.Edit();
            files.m_Analyzed = TRUE;
            files.Update();
        }
    }

    ASSERT_EQ(reader.ReadModules(3, 0), 1);
    const std::vector<std::string> symbols = ModuleSymbolRows(m_database), types = TypeRows(m_database);
    EXPECT_GT(symbols.size(), globals.size());
    EXPECT_EQ(ModulRows(m_database), (std::vector<std::string>{"1\tstartup.s\t0\t0", "2\tmain.c\t38\t0",
                                                               "3\tthumb.c\t628\t1"}));
    EXPECT_EQ(Rows<CDBSourceFiles>(m_database, [](CDBSourceFiles &f) { return std::string(f.m_Name) + N(f.m_Analyzed); }),
              (std::vector<std::string>{"startup.s1", "main.c1", "thumb.c0"}));

    const size_t lines = Rows<CDBSourceLines>(m_database, [](CDBSourceLines &) { return std::string(); }).size();
    EXPECT_EQ(reader.ReadModules(3, 0), 1);
    EXPECT_EQ(ModuleSymbolRows(m_database), symbols) << "read twice";
    EXPECT_EQ(TypeRows(m_database), types);
    EXPECT_EQ(Rows<CDBSourceLines>(m_database, [](CDBSourceLines &) { return std::string(); }).size(), lines);
    EXPECT_EQ(reader.ReadModules(4, 0), 0) << "no such module";
}

TEST_F(ElfFileTest, ADamagedEntryCostsItsUnitOnlyAndLeavesNoneOfItsRows)
{
    // In the globals pass: main.c is left out, the others are read.
    {
        DamagedElf damaged(WithUnknownAbbreviation("arm7-mixed.elf", 38));
        CELFFile reader(m_database, 1, m_host);
        ASSERT_TRUE(Load(reader, damaged.Name()));
        EXPECT_EQ(ModulRows(m_database),
                  (std::vector<std::string>{"1\tstartup.s\t0\t0", "2\tthumb.c\t628\t0"}));
        const std::vector<std::string> functions = FunctionRows(m_database);
        ASSERT_EQ(functions.size(), 2u);
        EXPECT_EQ(functions[0].substr(0, 13), "1\tthumb_scale");
    }
    // In the module pass: the database of the sound file, read through a damaged copy.
    m_database.Close(FALSE);
    ASSERT_TRUE(m_database.Create(PathOf("second.mdb")));
    {
        CELFFile reader(m_database, 1, m_host);
        ASSERT_TRUE(Load(reader, ElfSamplePath("arm7-mixed.elf")));
    }
    const std::vector<std::string> globals = ModuleSymbolRows(m_database);
    DamagedElf damaged(WithUnknownAbbreviation("arm7-mixed.elf", 628));
    CELFFile reader(m_database, 1, m_host);
    ASSERT_TRUE(Load(reader, damaged.Name()));
    EXPECT_EQ(reader.ReadModules(3, 0), 0);
    EXPECT_EQ(ModuleSymbolRows(m_database), globals);
    for (const std::string &type : TypeRows(m_database))
        EXPECT_NE(type.substr(type.find('\t'), 3), "\t3\t") << type;
    EXPECT_EQ(ModulRows(m_database).back(), "3\tthumb.c\t628\t0") << "left to be read again";
    EXPECT_EQ(reader.ReadModules(2, 0), 1);
}

TEST_F(ElfFileTest, AnEntryBrokenOffBehindItsReferenceCostsItsUnitAndTheWalkEnds)
{
    // The definition of global_decl names its declaration, then has a location of a form
    // that no DWARF knows: the walk must neither go on nor start again at the declaration.
    DwarfTesting::Sample elf("dwarf2-edges.elf");
    size_t size = 0;
    const BYTE *abbrev = elf.Section(".debug_abbrev", &size);
    const BYTE definition[] = {0x47, 0x13, 0x02, 0x0A};
    const BYTE *found = std::search(abbrev, abbrev + size, std::begin(definition), std::end(definition));
    ASSERT_NE(found, abbrev + size);
    std::vector<BYTE> bytes = elf.bytes;
    bytes[found - elf.bytes.data() + 3] = 0x7F;
    DamagedElf damaged(bytes);

    CELFFile reader(m_database, 1, m_host);
    ASSERT_TRUE(Load(reader, damaged.Name()));
    EXPECT_EQ(ModulRows(m_database), (std::vector<std::string>{"1\tsecond.c\t370\t0", "2\t_unnamed_modul2\t417\t0"}));
    EXPECT_EQ(FunctionRows(m_database).size(), 1u);
}

} // namespace
