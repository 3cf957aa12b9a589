// Every stored query of a new symbol database, opened with its parameters on a small
// program written through the record layer, answers what its description says. The
// program is made so that the queries whose first texts were wrong show it: a
// parameter of another function beside a module static of its name, nested blocks, a
// line of another address mode, a label of the whole program above the module's own,
// two source files of one short name, a static function with a negative Scope.
#include "nameencoding.h"
#include "packedindex.h"
#include "qeldbexception.h"
#include "qelquerydef.h"
#include "queryrecordsets.h"
#include "sectionwriter.h"
#include "symbolwriters.h"
#include "symdbtesting.h"
#include "tagreaders.h"
#include "typewriters.h"

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

struct Param {
    const char *name;
    CdbVariant value;
    Param(const char *n, LONG v) : name(n), value(v) {}
    Param(const char *n, const char *v) : name(n), value(v) {}
};

CString Encoded(const char *name)
{
    CString out;
    EncodeNameString(name, out);
    return out;
}

LONG T(LONG number)
{
    return PackTypeIndex(1, number);
}

// Writes the program, through the record layer where it has a writer.
struct ProgramWriter {
    explicit ProgramWriter(CdbDatabase *db)
        : m_sections(db), m_moduls(db), m_modulSections(db), m_files(db), m_modulFiles(db), m_sectionFiles(db),
          m_lines(db), m_functions(db), m_symbols(db), m_types(db)
    {
    }

    void Section(LONG index, const char *name, LONG type, DWORD mode, DWORD value, DWORD length)
    {
        SectionTag section;
        section.Type = type;
        section.AddressMode = mode;
        section.AddressValue = value;
        section.Length = length;
        section.Name = name;
        WriteSectionRecord(index, section, m_sections);
    }

    void Relation(CQelRecordset &rs, LONG &first, LONG &second, LONG a, LONG b)
    {
        rs.AddNew();
        first = a;
        second = b;
        rs.Update();
    }

    void Line(LONG file, LONG line, LONG mode, LONG value, LONG length, LONG section)
    {
        m_lines.AddNew();
        m_lines.m_SourceFileIndex = file;
        m_lines.m_SourceLine = line;
        m_lines.m_AddressMode = mode;
        m_lines.m_AddressValue = value;
        m_lines.m_Length = length;
        m_lines.m_SectionIndex = section;
        m_lines.Update();
    }

    void Function(LONG index, const char *name, LONG value, LONG length, LONG section, LONG scope)
    {
        m_functions.AddNew();
        m_functions.m_FunctionIndex = index;
        m_functions.m_Name = name;
        m_functions.m_NameString = Encoded(name);
        m_functions.m_AddressMode = 1;
        m_functions.m_AddressValue = value;
        m_functions.m_Length = length;
        m_functions.m_SectionIndex = section;
        m_functions.m_ReturnType = T(0x10);
        m_functions.m_Scope = scope;
        m_functions.Update();
    }

    void VarEd(LONG symbolID, LONG data1)
    {
        m_symbols.AddNew();
        m_symbols.m_SymbolID = symbolID;
        m_symbols.m_ModulIndex = 1;
        m_symbols.m_ScopeIndex = -1;
        m_symbols.m_Data_1 = data1;
        m_symbols.m_Data_3 = 0x2000;
        m_symbols.m_Data_5 = 0x1000;
        m_symbols.m_Data_6 = 0x1010;
        m_symbols.Update();
    }

    void Write()
    {
        Section(1, ".text", 1, 1, 0x1000, 0x1000);
        Section(2, ".text2", 1, 1, 0x3000, 0x100);
        Section(3, ".data", 3, 1, 0x8000, 0x100);
        Section(4, ".pcpdata", 7, 2, 0x1000, 0x100);
        Section(5, ".text3", 1, 1, 0x4000, 0x100);

        const char *moduls[] = {"main.c", "util.c", "util.c"}; // two units of one name
        for (LONG i = 0; i < 3; ++i) {
            m_moduls.AddNew();
            m_moduls.m_ModulIndex = i + 1;
            m_moduls.m_Name = moduls[i];
            m_moduls.m_Offset = 100 * i;
            m_moduls.Update();
        }
        for (auto [m, s] : {std::pair{1, 1}, {1, 3}, {1, 4}, {2, 2}, {3, 5}})
            Relation(m_modulSections, m_modulSections.m_ModulIndex, m_modulSections.m_SectionIndex, m, s);

        const struct {
            const char *name, *entry;
            LONG type;
        } files[] = {{"main.c", "/src/main.c", 1000},
                     {"util.c", "/src/util.c", 1000},
                     {"util.c", "/lib/util.c", 1000},
                     {"defs.h", "/src/defs.h", 0}};
        for (LONG i = 0; i < 4; ++i) {
            m_files.AddNew();
            m_files.m_SourceFileIndex = i + 1;
            m_files.m_Name = files[i].name;
            m_files.m_EntryInFile = files[i].entry;
            m_files.m_Type = files[i].type;
            m_files.Update();
        }
        for (auto [m, f] : {std::pair{1, 1}, {2, 2}, {3, 3}, {1, 4}, {2, 4}}) // defs.h in two modules
            Relation(m_modulFiles, m_modulFiles.m_ModulIndex, m_modulFiles.m_SourceFileIndex, m, f);
        for (auto [s, f] : {std::pair{1, 1}, {3, 1}, {2, 2}, {5, 3}})
            Relation(m_sectionFiles, m_sectionFiles.m_SectionIndex, m_sectionFiles.m_SourceFileIndex, s, f);

        Line(1, 10, 1, 0x1000, 0x10, 1); // #1
        Line(1, 11, 1, 0x1010, 0x10, 1); // #2
        Line(1, 12, 1, 0x1020, -1, 1);   // #3, no code
        Line(1, 20, 1, 0x1100, 0x20, 1); // #4, helper
        Line(2, 5, 1, 0x3000, 8, 2);     // #5
        Line(2, 6, 1, 0x3008, 8, 2);     // #6
        Line(3, 7, 1, 0x4000, 0x10, 5);  // #7
        Line(1, 30, 2, 0x1050, 4, 4);    // #8, another address mode

        Function(1, "main", 0x1000, 0x100, 1, 1);
        Function(2, "helper", 0x1100, 0x40, 1, -1); // a negative Scope
        Function(3, "util", 0x3000, 0x100, 2, 2);
        Function(4, "util", 0x4000, 0x100, 5, -3);
        Function(5, "Main", 0x1200, 0x10, 1, 1);

        CDBSymbolInfo &s = m_symbols;
        WriteParameterSymbol({1, "argc", 1, {0x10, 2, 4, 0}}, s, FALSE);        // 1, of main
        WriteParameterSymbol({1, "x", 2, {0x10, 2, 4, 0}}, s, FALSE);           // 2, of helper
        WriteBlockSymbol({1, 5, {0, 1, 0x1000, 0, 0x100}}, s);                  // 3, main's block
        WriteBlockSymbol({1, 6, {1, 1, 0x1010, 0, 0x20}}, s);                   // 4, nested
        WriteLocalSymbol({1, "i", 5, {0x10, 2, -2, 0}}, s, FALSE);              // 5
        WriteLocalSymbol({1, "j", 6, {0x10, 2, -4, 0}}, s, FALSE);              // 6
        WriteLocalStaticSymbol({1, "ls", 5, {0x10, 1, 0x8000, 0, 1, 0}}, s, FALSE); // 7
        WriteModulStaticSymbol({1, "x", 1, {0x10, 1, 0x8004, 0, 0}}, s, FALSE); // 8
        WriteModulStaticSymbol({1, "s", 1, {0x10, 1, 0x8008, 0, 0}}, s, FALSE); // 9
        WriteGlobalSymbol({1, "counter", 1, {0x10, 1, 0x8010, 0}}, s, FALSE);   // 10
        WriteGlobalSymbol({1, "i", 1, {0x10, 1, 0x8014, 0}}, s, FALSE);         // 11
        WriteGlobalSymbol({1, "j", 1, {0x10, 1, 0x8018, 0}}, s, FALSE);         // 12
        WriteGlobalAsmSymbol({-1, "asmvar", -1, {15, 1, 0x8020, -1}}, s);       // 13
        WriteStaticAsmSymbol({1, "sasm", 1, {15, 1, 0x8024, -1}}, s);           // 14
        WriteGlobalLabelSymbol({1, "start", 1, {0, 1, 0x1000, 0}}, s);          // 15
        WriteStaticLabelSymbol({1, "loop", 1, {0, 1, 0x1010, 0}}, s);           // 16
        WriteLabelSymbol9({1, "L9", 1, {1, 0x1020}}, s);                        // 17
        WriteGlobalLabelSymbol({-1, "far", -1, {0, 1, 0x1030, -1}}, s);         // 18, of the whole program
        WriteLifetimeSymbol({1, "", 1, {0x1008, 2, 8, 1}}, s);                  // 19
        WriteLifetimeSymbol({1, "", 1, {0x1000, 3, 5, 0}}, s);                  // 20
        WriteStackAdjustSymbol({1, 1, {0, 1, 0x1004, 4}}, s);                   // 21
        WriteStackAdjustSymbol({1, 1, {0, 1, 0x1002, 2}}, s);                   // 22
        WriteModulStaticSymbol({3, "st", 3, {0x10, 1, 0x9000, 0, 0}}, s, FALSE); // 23
        WriteModulStaticSymbol({2, "st", 2, {0x10, 1, 0x9100, 0, 0}}, s, FALSE); // 24
        VarEd(15, 10);                                                          // 25
        VarEd(16, 11);                                                          // 26
        VarEd(17, 10);                                                          // 27

        CDBTypeInfo &t = m_types;
        WriteBaseTypeRecord({1, "int", 0x10, 16}, t, FALSE);
        WriteStructTypeRecord({1, "point", 0x20, 32, 2}, t, FALSE);
        WriteStructMemberRecord({1, "x", 0x21, 0x10, 0, 0x20}, t, FALSE);
        WriteStructMemberRecord({1, "y", 0x22, 0x10, 16, 0x20}, t, FALSE);
        WriteEnumTypeRecord({1, "color", 0x30, 16, 2}, t, FALSE);
        WriteEnumMemberRecord({1, "RED", 0x31, 1, 0x30}, t, FALSE);
        WriteEnumMemberRecord({1, "GREEN", 0x32, 0, 0x30}, t, FALSE);
        WriteTypedefRecord({1, "myint", 0x40, 0x10}, t, FALSE);
        WriteBaseTypeRecord({1, "unsigned char", 0x50, 8}, t, TRUE);
        for (auto [number, order] : {std::pair{0x23, 2}, {0x24, 1}}) { // class members
            t.AddNew();
            t.m_TypeIndex = T(number);
            t.m_ModulIndex = 1;
            t.m_TypeID = 13;
            t.m_Name.Format("member%d", order);
            t.m_Data_2 = order;
            t.m_Data_4 = T(0x20);
            t.Update();
        }
    }

    CDBSectionsBinary m_sections;
    CDBModuls m_moduls;
    CDBModulSectionRel m_modulSections;
    CDBSourceFiles m_files;
    CDBModulSourceFileRel m_modulFiles;
    CDBSectionSourceFileRel m_sectionFiles;
    CDBSourceLines m_lines;
    CDBFunctions m_functions;
    CDBSymbolInfo m_symbols;
    CDBTypeInfo m_types;
};

class StoredQueriesTest : public symdbtest::SymbolDatabaseTest {
protected:
    void SetUp() override
    {
        SymbolDatabaseTest::SetUp();
        ProgramWriter(m_db).Write();
    }

    // Runs a stored query; each row is its columns joined by '|', a column written
    // "Name:x" in hexadecimal, Null as "-".
    Rows Run(const char *query, std::initializer_list<Param> params, std::initializer_list<const char *> columns)
    {
        CQelQueryDef q(m_db);
        q.Open(query);
        for (const Param &p : params)
            q.SetParameter(p.name, p.value);
        CdbRecordset rs = q.m_QueryDef.OpenRecordset(dbOpenSnapshot);
        Rows rows;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string row;
            for (const char *column : columns) {
                std::string name = column;
                bool hex = name.size() > 2 && name.compare(name.size() - 2, 2, ":x") == 0;
                if (hex)
                    name.resize(name.size() - 2);
                CdbVariant value = rs.GetField(("[" + name + "]").c_str());
                if (!row.empty() || column != *columns.begin())
                    row += "|";
                char text[32];
                if (value.vt == VT_I4) {
                    std::snprintf(text, sizeof text, hex ? "%X" : "%d", static_cast<int>(value.lVal));
                    row += text;
                } else if (value.vt == VT_BSTR) {
                    row += static_cast<LPCTSTR>(CString(static_cast<LPCWSTR>(value.bstrVal)));
                } else if (value.vt == VT_BOOL) {
                    row += value.boolVal ? "T" : "F";
                } else {
                    row += "-";
                }
            }
            rows.push_back(row);
        }
        return rows;
    }

};

// The sixty-three queries, each on the data that its description speaks of.

TEST_F(StoredQueriesTest, ModuleQueries)
{
    EXPECT_EQ(Run("$FirstFunctionOfModul", {{"_ModulIndex", 1}}, {"Name"}), Rows({"main"}));
    EXPECT_EQ(Run("$FirstFunctionOfModul", {{"_ModulIndex", 3}}, {"AddressValue:x"}), Rows({"4000"}));
    EXPECT_EQ(Run("$GlobalsAndStaticsOfModul", {{"_ModulIndex", 1}}, {"Name"}),
              Rows({"ls", "x", "s", "counter", "i", "j", "start"}));
    EXPECT_EQ(Run("$ModulByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x3004}}, {"ModulIndex", "Name"}),
              Rows({"2|util.c"}));
    EXPECT_EQ(Run("$ModulByPath", {{"_Path", "/src/main.c"}}, {"ModulIndex"}), Rows({"1"}));
    EXPECT_EQ(Run("$ModulByName", {{"_Name", "UTIL*"}}, {"ModulIndex"}), Rows({"2", "3"}));
    EXPECT_EQ(Run("$ModulsInRange", {{"_AddressMode", 1}, {"_AddressValue", 0x2F00}, {"_Length", 0x200}},
                  {"ModulIndex"}),
              Rows({"2"}));
}

TEST_F(StoredQueriesTest, TheModulesOfAPathAreThoseOfEveryFileItNames)
{
    EXPECT_EQ(Run("$ModulByPath", {{"_Path", "/src/defs.h"}}, {"ModulIndex"}), Rows({"1", "2"}));
    // Two files of one short name in different folders.
    EXPECT_EQ(Run("$ModulByPath", {{"_Path", "util.c"}}, {"ModulIndex"}), Rows({"2", "3"}));
}

TEST_F(StoredQueriesTest, ARangeInsideOneCodeSectionFindsItsModule)
{
    EXPECT_EQ(Run("$ModulsInRange", {{"_AddressMode", 1}, {"_AddressValue", 0x1010}, {"_Length", 0x10}},
                  {"ModulIndex"}),
              Rows({"1"}));
    // Sections of another type do not count.
    EXPECT_EQ(Run("$ModulsInRange", {{"_AddressMode", 1}, {"_AddressValue", 0x8010}, {"_Length", 4}}, {"Name"}),
              Rows());
}

TEST_F(StoredQueriesTest, SectionQueries)
{
    EXPECT_EQ(Run("SectionByName", {{"_Name", "*TEXT*"}}, {"Name"}), Rows({".text", ".text2", ".text3"}));
    EXPECT_EQ(Run("SectionByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x3010}}, {"Name"}), Rows({".text2"}));
    EXPECT_EQ(Run("SectionByAddress", {{"_AddressMode", 2}, {"_AddressValue", 0x1010}}, {"Name"}),
              Rows({".pcpdata"}));
    EXPECT_EQ(Run("SectionByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x3100}}, {"Name"}), Rows());
    EXPECT_EQ(Run("$SectionOverlap", {{"_AddressMode", 1}, {"_AddressValue1", 0xF00}, {"_AddressValue2", 0x1010}},
                  {"Name"}),
              Rows({".text"}));
    EXPECT_EQ(Run("$SectionAscending", {}, {"Name"}), Rows({".text", ".text2", ".text3", ".data", ".pcpdata"}));
}

TEST_F(StoredQueriesTest, SourceFileQueries)
{
    EXPECT_EQ(Run("SourceFilesWithSourceLines", {}, {"EntryInFile"}),
              Rows({"/src/main.c", "/src/util.c", "/lib/util.c"}));
    EXPECT_EQ(Run("SourceFileByPath", {{"_Path", "/src/main.c"}}, {"Name", "SourceLine", "AddressValue:x"}),
              Rows({"main.c|10|1000"}));
    EXPECT_EQ(Run("SourceFileByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}},
                  {"Name", "EntryInFile", "SourceLine", "AddressValue:x", "Length:x", "SourceFileIndex"}),
              Rows({"main.c|/src/main.c|11|1010|10|1"}));
    EXPECT_EQ(Run("$SourceFilesOfSection", {{"_SectionIndex", 5}}, {"EntryInFile"}), Rows({"/lib/util.c"}));
    EXPECT_EQ(Run("$SourceFileByDataAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x8010}}, {"EntryInFile"}),
              Rows({"/src/main.c"}));
    EXPECT_EQ(Run("$SourceFileForLocation", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}},
                  {"Name", "SourceLine", "SectionIndex"}),
              Rows({"main.c|11|1"}));
    EXPECT_EQ(Run("LocationByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}},
                  {"$SourceFileForLocation.Name", "SourceLine", "SectionByAddress.Name", "SectionByAddress.Length:x"}),
              Rows({"main.c|11|.text|1000"}));
    // An address without a line still has its section.
    EXPECT_EQ(Run("LocationByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x8010}},
                  {"$SourceFileForLocation.Name", "SourceLine", "SectionByAddress.Name"}),
              Rows({"-|-|.data"}));
}

TEST_F(StoredQueriesTest, TheLineRecordsetReadsTheSourceFileQueries)
{
    CQelQueryDef q(m_db);
    q.Open("SourceFileByAddress");
    q.SetParameter("_AddressMode", CdbVariant(1L));
    q.SetParameter("_AddressValue", CdbVariant(0x3009L));
    CDBSourceLineByAddress rs(m_db);
    rs.OpenQueryDef(q);
    ASSERT_FALSE(rs.IsEOF());
    SourceFileTag tag;
    FromLineRecord(tag, rs);
    EXPECT_STREQ(tag.Name, "util.c");
    EXPECT_EQ(tag.Type, 1000);
    EXPECT_STREQ(tag.EntryInFile, "/src/util.c");
    EXPECT_EQ(tag.SourceLine, 6);
    EXPECT_EQ(tag.AddressValue, 0x3008u);
    EXPECT_EQ(tag.Length, 8u);
    EXPECT_EQ(rs.m_SourceFileIndex, 2);
}

TEST_F(StoredQueriesTest, FunctionQueries)
{
    EXPECT_EQ(Run("FunctionByName", {{"_Name", Encoded("m*")}}, {"Name"}), Rows({"main"}));
    EXPECT_EQ(Run("FunctionByName", {{"_Name", Encoded("M*")}}, {"Name"}), Rows({"Main"}));
    EXPECT_EQ(Run("FunctionByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1110}}, {"Name"}),
              Rows({"helper"}));
    EXPECT_EQ(Run("FunctionsOfSourceFile", {{"_Path", "/src/main.c"}}, {"Name"}), Rows({"main", "helper", "Main"}));
    EXPECT_EQ(Run("$FunctionAddressFromNames", {{"_ModulName", "main.c"}, {"_FunctionName", "helper"}},
                  {"AddressMode", "AddressValue:x"}),
              Rows({"1|1100"}));
}

TEST_F(StoredQueriesTest, FunctionsByNameAndPathTakeTheModuleWithEitherSign)
{
    EXPECT_EQ(Run("FunctionByNameAndPath", {{"_Name", "*"}, {"_Path", "/src/main.c"}}, {"Name"}),
              Rows({"main", "helper", "Main"}));
    EXPECT_EQ(Run("FunctionByNameAndPath", {{"_Name", "h*"}, {"_Path", "main.c"}}, {"Name"}), Rows({"helper"}));
    // A header that two modules include gives the functions of both.
    EXPECT_EQ(Run("FunctionByNameAndPath", {{"_Name", "*"}, {"_Path", "/src/defs.h"}}, {"Name"}),
              Rows({"main", "helper", "util", "Main"}));
}

// A name or path of more characters than any reader keeps is refused by its length
// before SQLite sees it; one of the most characters taken still runs as a pattern, even
// when each character takes three bytes in SQLite's text.
TEST_F(StoredQueriesTest, ANameOrPathLongerThanAnyKeptIsRefusedBeforeTheQueryRuns)
{
    const std::string longest(16384, '\x80'); // the euro sign
    const std::string tooLong(16385, 'm');
    const std::pair<const char *, const char *> queries[] = {{"FunctionByName", "_Name"},
                                                             {"FunctionsOfSourceFile", "_Path"}};
    for (const auto &[query, parameter] : queries) {
        SCOPED_TRACE(query);
        EXPECT_EQ(Run(query, {{parameter, longest.c_str()}}, {"Name"}), Rows());
        try {
            Run(query, {{parameter, tooLong.c_str()}}, {"Name"});
            ADD_FAILURE() << "the name was taken";
        } catch (CQeldbException *e) {
            EXPECT_EQ(e->m_nErrorCode, 3001u);
            EXPECT_GE(e->m_strDescription.Find("has 16385 characters; at most 16384"), 0)
                << static_cast<LPCTSTR>(e->m_strDescription);
            e->Delete();
        }
    }
}

TEST_F(StoredQueriesTest, AFunctionInEveryModuleOfAName)
{
    EXPECT_EQ(Run("$FunctionAddressFromNames", {{"_ModulName", "util.c"}, {"_FunctionName", "util"}},
                  {"AddressValue:x"}),
              Rows({"3000", "4000"}));
}

TEST_F(StoredQueriesTest, SourceLineQueries)
{
    EXPECT_EQ(Run("$SourceLineOfAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}},
                  {"SourceLineIndex", "SourceLine", "SectionIndex", "SourceFileIndex"}),
              Rows({"2|11|1|1"}));
    EXPECT_EQ(Run("$SourceLinesOfSourceFile", {{"_Path", "/src/main.c"}}, {"SourceLine"}),
              Rows({"10", "11", "12", "30", "20"}));
    EXPECT_EQ(Run("$SourceLineRangesByIndex", {{"_SourceFileIndex", 1}, {"_SourceLine", 11}}, {"AddressValue:x"}),
              Rows({"1010"}));
    EXPECT_EQ(Run("$SourceLinesOfSourceFile2", {{"_SourceFileIndex", 2}}, {"SourceLine"}), Rows({"5", "6"}));
    EXPECT_EQ(Run("$SourceLineOfFunctionByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1010}},
                  {"Name", "SourceLine"}),
              Rows({"main|10"}));
    EXPECT_EQ(Run("$SourceLineOfFunctionByNames", {{"_ModulName", "main.c"}, {"_FunctionName", "helper"}},
                  {"SourceFileIndex", "SourceLine", "SectionIndex"}),
              Rows({"1|20|1"}));
    EXPECT_EQ(Run("$SourceLinesOfAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1025}}, {"SourceLine"}),
              Rows({"10", "11"}));
    EXPECT_EQ(Run("$SourceLinesInRange", {{"_AddressMode", 1}, {"_AddressValue", 0x3000}, {"_Length", 0x10}},
                  {"Name", "EntryInFile", "SourceLine", "AddressValue:x", "SectionIndex"}),
              Rows({"util.c|/src/util.c|5|3000|2", "util.c|/src/util.c|6|3008|2"}));
}

TEST_F(StoredQueriesTest, TheLineOfAnAddressIsSoughtInItsModeAndSection)
{
    // A line of the other address mode lies between the address and its own line.
    EXPECT_EQ(Run("$SourceLineOfAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1060}}, {"SourceLine"}),
              Rows({"12"}));
    EXPECT_EQ(Run("SourceFileByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1060}}, {"SourceLine"}),
              Rows({"12"}));
    EXPECT_EQ(Run("$SourceLineOfAddress", {{"_AddressMode", 2}, {"_AddressValue", 0x1060}}, {"SourceLine"}),
              Rows({"30"}));
}

TEST_F(StoredQueriesTest, TheLinesOfAShortNameAreThoseOfEveryFileOfIt)
{
    EXPECT_EQ(Run("$SourceLinesOfSourceFile", {{"_Path", "util.c"}}, {"SourceLine"}), Rows({"5", "6", "7"}));
}

TEST_F(StoredQueriesTest, LabelQueries)
{
    EXPECT_EQ(Run("GlobalLabelByName", {{"_Name", Encoded("s*")}}, {"Name"}), Rows({"start"}));
    EXPECT_EQ(Run("GlobalLabelByName", {{"_Name", Encoded("S*")}}, {"Name"}), Rows());
    EXPECT_EQ(Run("GlobalLabelByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1000}}, {"Name"}),
              Rows({"start"}));
    EXPECT_EQ(Run("StaticLabelByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1010}}, {"Name"}),
              Rows({"loop"}));
    EXPECT_EQ(Run("StaticLabelByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1020}}, {"Name"}),
              Rows({"L9"}));
    EXPECT_EQ(Run("LabelByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1010}}, {"Name"}), Rows({"loop"}));
    EXPECT_EQ(Run("CodeLabels", {{"_Name", "*"}}, {"Name"}), Rows({"start", "loop", "L9", "far"}));
    EXPECT_EQ(Run("LabelByNames", {{"_ModulName", "main.c"}, {"_LabelName", Encoded("loop")}}, {"Name"}),
              Rows({"loop"}));
    EXPECT_EQ(Run("LabelByName", {{"_LabelName", Encoded("far")}}, {"Name", "Data_3:x"}), Rows({"far|1030"}));
    EXPECT_EQ(Run("LabelByName", {{"_LabelName", "FAR"}}, {"Name"}), Rows());
}

TEST_F(StoredQueriesTest, TheNearestLabelIsTheModulesOwn)
{
    EXPECT_EQ(Run("NearestLabelByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1018}},
                  {"$ModulByAddress.Name", "Symbols.Name", "Data_3:x"}),
              Rows({"main.c|loop|1010"}));
    // The program's label "far" at 1030 belongs to no module; the module's nearest is L9.
    CQelQueryDef q(m_db);
    q.Open("NearestLabelByAddress");
    q.SetParameter("_AddressMode", CdbVariant(1L));
    q.SetParameter("_AddressValue", CdbVariant(0x1040L));
    CDBLabelDescription rs(m_db);
    rs.OpenQueryDef(q);
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_STREQ(rs.m_ModulName, "main.c");
    EXPECT_STREQ(rs.m_Name, "L9");
    EXPECT_EQ(rs.m_Data_2, 1);
    EXPECT_EQ(rs.m_Data_3, 0x1020);
}

TEST_F(StoredQueriesTest, BlockQueries)
{
    EXPECT_EQ(Run("$BlocksByAddress", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}}, {"ScopeIndex"}),
              Rows({"5", "6"}));
    CQelQueryDef q(m_db);
    q.Open("$BlockByIndex");
    q.SetParameter("_ModulIndex", CdbVariant(1L));
    q.SetParameter("_BlockIndex", CdbVariant(6L));
    CDBBlockByIndex rs(m_db);
    rs.OpenQueryDef(q);
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_STREQ(rs.m_Name, "main");
    EXPECT_EQ(rs.m_Data_1, 1);
    EXPECT_EQ(rs.m_Scope, 1);
}

TEST_F(StoredQueriesTest, VariableQueriesByName)
{
    EXPECT_EQ(Run("Global_C_DataByName", {{"_Name", "*"}, {"_Path", "*main*"}}, {"Name"}),
              Rows({"counter", "i", "j"}));
    EXPECT_EQ(Run("Global_C_DataByName", {{"_Name", "*"}, {"_Path", "*util*"}}, {"Name"}), Rows());
    EXPECT_EQ(Run("Global_ASS_DataByName", {{"_Name", "*"}}, {"Name"}), Rows({"asmvar"}));
    EXPECT_EQ(Run("Static_C_DataByName", {{"_Name", "*"}, {"_Path", "/lib/*"}}, {"Name", "ModulIndex"}),
              Rows({"st|3"}));
    EXPECT_EQ(Run("Static_C_DataByName", {{"_Name", Encoded("l?")}, {"_Path", "*main.c"}}, {"Name"}), Rows({"ls"}));
    EXPECT_EQ(Run("Static_ASS_DataByName", {{"_Name", "*"}}, {"Name"}), Rows({"sasm"}));
    EXPECT_EQ(Run("$VarEdVariables", {}, {"SymbolID", "Data_1"}), Rows({"15|10", "16|11"}));
    EXPECT_EQ(Run("$VarEdMapping", {{"_SymbolIndex", 10}}, {"SymbolID", "Data_5:x", "Data_6:x"}),
              Rows({"17|1000|1010"}));
}

TEST_F(StoredQueriesTest, VariablesInScope)
{
    // At 1014 both blocks of main hold the address: the locals hide the globals of
    // their names, a parameter of another function hides nothing.
    EXPECT_EQ(Run("Global_C_DataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}, {"_Name", "*"}}, {"Name"}),
              Rows({"counter"}));
    EXPECT_EQ(Run("Global_C_DataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1050}, {"_Name", "*"}}, {"Name"}),
              Rows({"counter", "j"}));
    EXPECT_EQ(Run("FunctionDataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}, {"_Name", "*"}},
                  {"Name", "SymbolID"}),
              Rows({"argc|1", "i|2", "j|2", "ls|3"}));
    EXPECT_EQ(Run("ParameterOfFunction", {{"_AddressMode", 1}, {"_AddressValue", 0x1110}}, {"Name"}), Rows({"x"}));
    EXPECT_EQ(Run("$FunctionDataLifeTime", {{"_ModulIndex", 1}, {"_LifetimeIndex", 1}}, {"Data_1:x", "Data_2"}),
              Rows({"1000|3", "1008|2"}));
}

TEST_F(StoredQueriesTest, AModuleStaticIsHiddenOnlyByTheFunctionAtTheAddress)
{
    EXPECT_EQ(Run("ModulDataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}, {"_Name", "*"}}, {"Name"}),
              Rows({"s", "x"}));
    // Inside helper its parameter x hides the module static x.
    EXPECT_EQ(Run("ModulDataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1110}, {"_Name", "*"}}, {"Name"}),
              Rows({"s"}));
}

TEST_F(StoredQueriesTest, TypeQueries)
{
    EXPECT_EQ(Run("$TypeByIndex", {{"_TypeIndex", T(0x20)}}, {"Name", "Data_1", "Data_2"}), Rows({"point|32|2"}));
    EXPECT_EQ(Run("$MembersOfStruct", {{"_TypeIndex", T(0x20)}}, {"Name", "Data_2"}), Rows({"x|0", "y|16"}));
    EXPECT_EQ(Run("$MembersOfEnum", {{"_TypeIndex", T(0x30)}}, {"Name"}), Rows({"GREEN", "RED"}));
    EXPECT_EQ(Run("$MembersOfClass", {{"_TypeIndex", T(0x20)}}, {"Name"}), Rows({"member1", "member2"}));
    EXPECT_EQ(Run("$TypeByName", {{"_Name", "POINT"}}, {"Name", "TypeID"}), Rows({"point|5"}));
    EXPECT_EQ(Run("$TypeByName", {{"_Name", "myint"}}, {"TypeID"}), Rows({"1"}));
    EXPECT_EQ(Run("$TypeByName", {{"_Name", "x"}}, {"Name"}), Rows());
    EXPECT_EQ(Run("$TypeByName", {{"_Name", "unsigned char"}}, {"TypeIndex:x", "ModulIndex"}), Rows({"50|1"}));
}

TEST_F(StoredQueriesTest, StackAdjustments)
{
    EXPECT_EQ(Run("$StackAdjustByBlock", {{"_ModulIndex", 1}, {"_ScopeIndex", 6}}, {"Data_3:x"}),
              Rows({"1002", "1004"}));
    EXPECT_EQ(Run("$StackAdjustByFunction", {{"_ModulIndex", 1}, {"_ScopeIndex", 1}}, {"Data_3:x", "Data_4"}),
              Rows({"1002|2", "1004|4"}));
}

TEST_F(StoredQueriesTest, Breakpoints)
{
    CQelQueryDef q(m_db);
    q.Open("BreakpointDescription");
    q.SetParameter("_AddressMode", CdbVariant(1L));
    q.SetParameter("_AddressValue", CdbVariant(0x1014L));
    CDBBreakpointDescription rs(m_db);
    rs.OpenQueryDef(q);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_STREQ(rs.m_Name, "main.c");
    EXPECT_STREQ(rs.m_EntryInFile, "/src/main.c");
    EXPECT_EQ(rs.m_SourceLine, 11);
    EXPECT_EQ(rs.m_AddressMode, 1);
    EXPECT_EQ(rs.m_AddressValue, 0x1010);
    EXPECT_EQ(rs.m_Length, 0x10);
    EXPECT_STREQ(rs.m_FunctionName, "main");
    EXPECT_EQ(rs.m_FunctionSourceLine, 10);
    EXPECT_FALSE(rs.m_Analyzed);
    EXPECT_STREQ(rs.m_ModulName, "main.c");

    EXPECT_EQ(Run("BreakpointAddresses", {{"_LineOffset", 1}, {"_ModulName", "main.c"}, {"_FunctionName", "main"}},
                  {"SourceLine", "AddressValue:x"}),
              Rows({"11|1010"}));
    EXPECT_EQ(Run("BreakpointAddressesHI", {{"_Path", "*MAIN.C"}, {"_Line", 11}}, {"AddressValue:x"}),
              Rows({"1010"}));
}

TEST_F(StoredQueriesTest, DeletingAModuleKeepsItsModuleLevelRowsAndOtherModules)
{
    CQelQueryDef symbols(m_db);
    symbols.Open("DeleteModulSymbols");
    symbols.SetParameter("_ModulIndex", CdbVariant(1L));
    symbols.Execute();
    EXPECT_EQ(Run("$GlobalsAndStaticsOfModul", {{"_ModulIndex", 1}}, {"Name"}),
              Rows({"ls", "x", "s", "counter", "i", "j", "start"}));
    EXPECT_EQ(Run("FunctionDataByScope", {{"_AddressMode", 1}, {"_AddressValue", 0x1014}, {"_Name", "*"}}, {"Name"}),
              Rows());
    EXPECT_EQ(Run("Global_ASS_DataByName", {{"_Name", "*"}}, {"Name"}), Rows({"asmvar"}));
    CQelQueryDef types(m_db);
    types.Open("DeleteModulTypes");
    types.SetParameter("_ModulIndex", CdbVariant(1L));
    types.Execute();
    EXPECT_EQ(Run("$TypeByName", {{"_Name", "*"}}, {"Name"}), Rows());
    CDBTypeInfo rs(m_db);
    EXPECT_EQ(rs.GetRecordCount(), 0);
}

}  // namespace
