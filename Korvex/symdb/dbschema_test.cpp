#include "dbschema.h"

#include "qeldbexception.h"
#include "qelquerydef.h"
#include "symboltables.h"
#include "symdbstrings.h"
#include "symdbtesting.h"

#include <map>
#include <string>
#include <vector>

namespace {

class SchemaTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_db = m_engine.CreateWorkspace("ws", "admin", "").CreateDatabase(PathOf("prog.mdb"), dbLangGeneral, 0);
        m_created = COleDateTime(CTime(1700000000, 5000000));
        CreateSymbolDatabaseSchema(&m_db, m_created);
    }
    void TearDown() override
    {
        m_db.Close();
        FolderTest::TearDown();
    }

    template <class Call>
    UINT ErrorOf(Call call)
    {
        try {
            call();
        } catch (CQeldbException *e) {
            UINT code = e->m_nErrorCode;
            e->Delete();
            return code;
        }
        return 0;
    }

    CdbDBEngine m_engine;
    CdbDatabase m_db;
    COleDateTime m_created;
};

// Per table its fields in order: name, type letter (L, T, D, B), 'a' for auto number.
const std::map<std::string, std::vector<std::string>> kTables = {
    {"Version", {"Version L", "CreationTime D"}},
    {"Program",
     {"ProgramIndex L", "Name T", "Type L", "ModifiedTime D", "Source T", "EntryPoint T", "MainFunction T",
      "AlternateEntryPoint T", "AlternateMainFunction T", "Analyzed B"}},
    {"Sections", {"SectionIndex L", "Name T", "Type L", "AddressMode L", "AddressValue L", "Length L"}},
    {"Moduls", {"ModulIndex L", "Name T", "Offset L", "Analyzed B"}},
    {"SourceFiles", {"SourceFileIndex L", "Type L", "Name T", "EntryInFile T", "Analyzed B"}},
    {"SourceLines",
     {"SourceLineIndex La", "SourceLine L", "AddressMode L", "AddressValue L", "Length L", "SectionIndex L",
      "SourceFileIndex L"}},
    {"Functions",
     {"FunctionIndex L", "Name T", "NameString T", "AddressMode L", "AddressValue L", "Length L", "SectionIndex L",
      "ReturnType L", "Scope L", "CallType L"}},
    {"Types", {"TypeIndex L", "ModulIndex L", "TypeID L", "Name T", "Data_1 L", "Data_2 L", "Data_3 L", "Data_4 L"}},
    {"Symbols",
     {"SymbolIndex La", "ModulIndex L", "SymbolID L", "ScopeIndex L", "Name T", "NameString T", "Data_1 L",
      "Data_2 L", "Data_3 L", "Data_4 L", "Data_5 L", "Data_6 L"}},
    {"ModulSectionRelation", {"ModulIndex L", "SectionIndex L"}},
    {"ModulSourceFileRelation", {"ModulIndex L", "SourceFileIndex L"}},
    {"SectionSourceFileRelation", {"SectionIndex L", "SourceFileIndex L"}},
    {"RegisterMap", {"Name T", "Number L"}},
};

TEST_F(SchemaTest, TheThirteenTablesHaveTheirFieldsInOrder)
{
    ASSERT_EQ(kTables.size(), 13u);
    for (const auto &[table, fields] : kTables) {
        SCOPED_TRACE(table);
        CdbRecordset rs = m_db.OpenRecordset(table.c_str(), dbOpenTable);
        ASSERT_EQ(rs.Fields.GetCount(), static_cast<LONG>(fields.size()));
        for (size_t i = 0; i < fields.size(); ++i) {
            CdbField field = rs.Fields[static_cast<LONG>(i)];
            std::string got = std::string(field.GetName()) + " ";
            switch (field.GetType()) {
            case dbLong: got += "L"; break;
            case dbText: got += "T"; break;
            case dbDate: got += "D"; break;
            case dbBoolean: got += "B"; break;
            default: got += "?"; break;
            }
            if (field.GetAttributes() & dbAutoIncrField)
                got += "a";
            EXPECT_EQ(got, fields[i]);
            if (field.GetType() == dbText) {
                EXPECT_EQ(field.GetSize(), 255);
            }
        }
    }
}

TEST_F(SchemaTest, EveryIndexSeeksAndKeysAreUnique)
{
    const std::pair<const char *, const char *> indexes[] = {
        {"Program", "ProgramIndexKey"},           {"Sections", "SectionIndexKey"},
        {"Moduls", "ModulIndexKey"},              {"SourceFiles", "SourceFileIndexKey"},
        {"SourceFiles", "EntryInFileKey"},        {"SourceLines", "SourceLineIndexKey"},
        {"SourceLines", "SectionIndexKey"},       {"Functions", "FunctionIndexKey"},
        {"Types", "TypeIndexKey"},                {"Types", "Data_4Key"},
        {"Symbols", "SymbolIndexkey"},            {"ModulSectionRelation", "ModulSectionKey"},
        {"ModulSourceFileRelation", "ModulSourceFileKey"}, {"SectionSourceFileRelation", "SectionSourceFileKey"}};
    for (const auto &[table, index] : indexes) {
        SCOPED_TRACE(index);
        CdbRecordset rs = m_db.OpenRecordset(table, dbOpenTable);
        EXPECT_NO_THROW(rs.SetIndex(index));
    }
    CDBSections sections(&m_db);
    for (int i = 0; i < 2; ++i) {
        sections.AddNew();
        sections.m_SectionIndex = 1;
        if (i == 0)
            sections.Update();
    }
    EXPECT_EQ(ErrorOf([&] { sections.Update(); }), 3022u);
    sections.CancelUpdate();
    // SectionIndex is no key of SourceLines: two lines share a section.
    CDBSourceLines lines(&m_db);
    for (LONG line : {1, 2}) {
        lines.AddNew();
        lines.m_SourceLine = line;
        lines.m_SectionIndex = 1;
        lines.Update();
    }
    EXPECT_EQ(lines.GetRecordCount(), 2);
}

TEST_F(SchemaTest, RequiredTextsMayOrMayNotBeEmptyAsTheSchemaSays)
{
    CDBSourceFiles files(&m_db);
    files.AddNew();
    files.m_SourceFileIndex = 1;
    files.m_Name = ""; // may be empty
    files.m_EntryInFile = "a.c";
    EXPECT_EQ(ErrorOf([&] { files.Update(); }), 0u);
    files.AddNew();
    files.m_SourceFileIndex = 2;
    files.m_EntryInFile = ""; // may not
    EXPECT_EQ(ErrorOf([&] { files.Update(); }), 3315u);
    files.CancelUpdate();
    CDBFunctions functions(&m_db);
    functions.AddNew();
    functions.m_FunctionIndex = 1;
    EXPECT_EQ(ErrorOf([&] { functions.Update(); }), 3315u); // a function has a name
    functions.CancelUpdate();
}

TEST_F(SchemaTest, TheVersionTableHoldsOneRowOfTheSchemaVersion)
{
    CDBVersion version(&m_db);
    version.Open();
    EXPECT_EQ(version.GetRecordCount(), 1);
    EXPECT_EQ(version.m_Version, 214);
    EXPECT_EQ(version.m_CreationTime, m_created);
}

TEST_F(SchemaTest, EveryStoredQueryOfTheStringTableIsStoredAsItStands)
{
    int count = 0;
    for (size_t i = 0; i < g_SymdbStringCount; ++i) {
        UINT id = g_SymdbStrings[i].id;
        if (id < 1020 || id >= IDS_DB_QUERY_END || id % 2 != 0)
            continue;
        SCOPED_TRACE(g_SymdbStrings[i].text);
        CdbQueryDef query = m_db.QueryDefs[g_SymdbStrings[i].text];
        EXPECT_STREQ(query.GetName(), g_SymdbStrings[i].text);
        CString sql;
        sql.LoadString(id + 1);
        EXPECT_STREQ(query.GetSQL(), sql);
        ++count;
    }
    EXPECT_EQ(count, 63);
}

TEST_F(SchemaTest, AutoNumbersAreTheEnginesAndAddNewShowsThem)
{
    CDBSymbolInfo symbols(&m_db);
    symbols.Open(-1, nullptr, 0);
    symbols.SetCurrentIndex("SymbolIndexkey"); // a table-type recordset
    symbols.AddNew();
    LONG first = symbols.m_SymbolIndex;
    symbols.m_SymbolIndex = 999;
    symbols.Update();
    symbols.AddNew();
    EXPECT_EQ(symbols.m_SymbolIndex, first + 1);
    symbols.Update();
    symbols.MoveFirst();
    EXPECT_EQ(symbols.m_SymbolIndex, first);
}

// The stored-query loader on a string table of its own, in a database without them.
class QueryLoaderTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_db = m_engine.CreateWorkspace("ws", "admin", "").CreateDatabase(PathOf("q.mdb"), dbLangGeneral, 0);
    }
    void TearDown() override
    {
        m_db.Close();
        FolderTest::TearDown();
    }

    BOOL Load(const std::map<UINT, std::string> &table)
    {
        return CreateStoredQueries(&m_db, [&](UINT id, CString &text) {
            auto found = table.find(id);
            if (found == table.end())
                return FALSE;
            text = found->second.c_str();
            return TRUE;
        });
    }

    bool Stored(const char *name)
    {
        try {
            m_db.QueryDefs[name];
            return true;
        } catch (const CdbException &) {
            return false;
        }
    }

    CdbDBEngine m_engine;
    CdbDatabase m_db;
};

const char kSql[] = "SELECT 1;";

TEST_F(QueryLoaderTest, TheShippedTableMakesItsQueriesInIdOrder)
{
    std::vector<std::string> made, listed;
    BOOL result = CreateStoredQueries(&m_db, [&](UINT id, CString &text) {
        BOOL found = text.LoadString(id);
        if (found && id > 1020 && id < IDS_DB_QUERY_END && id % 2 == 1) {
            CString name;
            name.LoadString(id - 1);
            made.push_back(static_cast<LPCTSTR>(name));
        }
        return found;
    });
    EXPECT_TRUE(result);
    for (size_t i = 0; i < g_SymdbStringCount; ++i) {
        UINT id = g_SymdbStrings[i].id;
        if (id >= 1020 && id < IDS_DB_QUERY_END && id % 2 == 0)
            listed.push_back(g_SymdbStrings[i].text);
    }
    ASSERT_EQ(listed.size(), 63u);
    EXPECT_EQ(made, listed);
}

TEST_F(QueryLoaderTest, AMissingNameEndsItsGroupAndAnEmptyGroupEndsTheList)
{
    EXPECT_TRUE(Load({{1001, "20"},
                      {1020, "First"}, {1021, kSql},
                      {1022, "Second"}, {1023, kSql},
                      // 1024 is empty: on to the group of 1040
                      {1030, "Skipped"}, {1031, kSql},
                      {1040, "Third"}, {1041, kSql},
                      // the group of 1060 is empty: the list ends
                      {1080, "Later"}, {1081, kSql}}));
    EXPECT_TRUE(Stored("First"));
    EXPECT_TRUE(Stored("Second"));
    EXPECT_TRUE(Stored("Third"));
    EXPECT_FALSE(Stored("Skipped"));
    EXPECT_FALSE(Stored("Later"));
}

TEST_F(QueryLoaderTest, ANameWithoutSqlStopsTheLoader)
{
    EXPECT_FALSE(Load({{1001, "20"}, {1020, "First"}, {1021, kSql}, {1022, "NoSql"}, {1024, "After"}, {1025, kSql}}));
    EXPECT_TRUE(Stored("First"));
    EXPECT_FALSE(Stored("NoSql"));
    EXPECT_FALSE(Stored("After"));
}

TEST_F(QueryLoaderTest, WithoutAGroupSizeNoQueryIsMade)
{
    EXPECT_FALSE(Load({{1020, "First"}, {1021, kSql}}));
    EXPECT_FALSE(Stored("First"));
}

} // namespace
