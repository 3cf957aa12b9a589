#include "daotestfolder.h"

#include <vector>

using namespace qeldaotest;

namespace {

class QueryDefTest : public DaoTest {
protected:
    void SetUp() override
    {
        DaoTest::SetUp();
        m_db = NewDatabase();
        // Stored before the tables exist, as the schema does.
        m_db.CreateQueryDef("SectionByAddress",
                            "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Sections WHERE "
                            "Sections.AddressMode = [_AddressMode] AND Sections.AddressValue <= [_AddressValue] AND "
                            "[_AddressValue] < (Sections.AddressValue + Sections.Length);");
        m_db.CreateQueryDef("$ModulByAddress",
                            "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT Moduls.ModulIndex, "
                            "Moduls.Name FROM Moduls, ModulSectionRelation, SectionByAddress WHERE "
                            "Moduls.ModulIndex=ModulSectionRelation.ModulIndex AND "
                            "ModulSectionRelation.SectionIndex=[SectionByAddress].SectionIndex;");
        m_db.CreateQueryDef("ModulAndSection",
                            "SELECT [$ModulByAddress].[Name], [SectionByAddress].[Name], [SectionByAddress].[Length] "
                            "FROM [$ModulByAddress], SectionByAddress;");
        m_db.CreateQueryDef("SectionByName", "PARAMETERS [_Name] Text; SELECT * FROM Sections WHERE "
                                             "(((Sections.Name) LIKE [_Name]));");
        m_db.CreateQueryDef("ModulByName", "PARAMETERS [_Name] Text ( 255 ); SELECT * FROM Moduls WHERE Name=[_NAME];");
        m_db.CreateQueryDef("DeleteModulRelations", "PARAMETERS [_ModulIndex] Long; DELETE * FROM "
                                                    "ModulSectionRelation WHERE ModulIndex=[_ModulIndex];");
        m_db.CreateQueryDef("NamesLike", "PARAMETERS [_Name] Text; SELECT Sections.Name FROM Sections WHERE "
                                         "Sections.Name LIKE [_Name] UNION ALL SELECT Moduls.Name FROM Moduls WHERE "
                                         "Moduls.Name LIKE [_Name] ORDER BY Name;");
        m_db.CreateQueryDef("LocationByAddress",
                            "SELECT [$ModulByAddress].Name, SectionByAddress.Name FROM [$ModulByAddress] RIGHT JOIN "
                            "SectionByAddress ON [$ModulByAddress].ModulIndex=[SectionByAddress].[Length];");

        CdbTableDef sections = m_db.CreateTableDef("Sections");
        AddField(sections, "SectionIndex", dbLong, 0, TRUE);
        AddField(sections, "Name", dbText);
        AddField(sections, "AddressMode", dbLong);
        AddField(sections, "AddressValue", dbLong);
        AddField(sections, "Length", dbLong);
        m_db.TableDefs.Append(sections);
        CdbTableDef moduls = m_db.CreateTableDef("Moduls");
        AddField(moduls, "ModulIndex", dbLong, 0, TRUE);
        AddField(moduls, "Name", dbText);
        m_db.TableDefs.Append(moduls);
        CdbTableDef relation = m_db.CreateTableDef("ModulSectionRelation");
        AddField(relation, "ModulIndex", dbLong, 0, TRUE);
        AddField(relation, "SectionIndex", dbLong, 0, TRUE);
        m_db.TableDefs.Append(relation);

        AddSection(1, "code_a", 1, 0x1000, 0x100);
        AddSection(2, "data_b", 1, 0x2000, 0x100);
        AddSection(3, "high", 1, static_cast<LONG>(0x80000000u), 0x100);
        AddSection(4, "axb", 1, 0x3000, 0x10);
        AddModul(1, "main.c", 1);
        AddModul(2, "Timer.c", 2);
    }
    void TearDown() override
    {
        m_db.Close();
        DaoTest::TearDown();
    }

    void AddSection(LONG index, const char *name, LONG mode, LONG value, LONG length)
    {
        CdbRecordset rs = m_db.OpenRecordset("Sections");
        rs.AddNew();
        Set(rs, "SectionIndex", index);
        Set(rs, "Name", name);
        Set(rs, "AddressMode", mode);
        Set(rs, "AddressValue", value);
        Set(rs, "Length", length);
        rs.Update();
    }

    void AddModul(LONG index, const char *name, LONG section)
    {
        CdbRecordset rs = m_db.OpenRecordset("Moduls");
        rs.AddNew();
        Set(rs, "ModulIndex", index);
        Set(rs, "Name", name);
        rs.Update();
        rs = m_db.OpenRecordset("ModulSectionRelation");
        rs.AddNew();
        Set(rs, "ModulIndex", index);
        Set(rs, "SectionIndex", section);
        rs.Update();
    }

    // The values of one text field over all records.
    static std::vector<std::string> Column(CdbRecordset rs, const char *field)
    {
        std::vector<std::string> values;
        for (; !rs.IsEOF(); rs.MoveNext())
            values.push_back(TextOf(rs.GetField(field)));
        return values;
    }

    std::vector<std::string> SectionsLike(const char *pattern)
    {
        CdbQueryDef q = m_db.QueryDefs["SectionByName"];
        q.SetParamValue("_Name", CdbVariant(pattern));
        return Column(q.OpenRecordset(dbOpenSnapshot), "Name");
    }

    CdbDatabase m_db;
};

using Texts = std::vector<std::string>;

TEST_F(QueryDefTest, AStoredQueryIsFoundByNameBlindToCaseAndKeepsItsText)
{
    CdbQueryDef q = m_db.QueryDefs["sectionbyname"];
    EXPECT_STREQ(q.GetName(), "SectionByName");
    EXPECT_STREQ(q.GetSQL(), "PARAMETERS [_Name] Text; SELECT * FROM Sections WHERE (((Sections.Name) LIKE [_Name]));");
    EXPECT_EQ(JetErrorOf([&] { m_db.QueryDefs["NoSuchQuery"]; }), 3265);
    EXPECT_EQ(JetErrorOf([&] { m_db.CreateQueryDef("SECTIONBYNAME", "SELECT 1"); }), 3012);
    EXPECT_EQ(JetErrorOf([&] { m_db.CreateQueryDef("Sections", "SELECT 1"); }), 3012);
}

TEST_F(QueryDefTest, StoredQueriesOutliveTheConnection)
{
    m_db.Close();
    m_db = Workspace().OpenDatabase(PathOf("test.mdb").c_str(), TRUE, FALSE, "MS Access");
    EXPECT_EQ(SectionsLike("code*"), Texts({"code_a"}));
}

TEST_F(QueryDefTest, AQueryIsCheckedWhenItIsOpened)
{
    m_db.CreateQueryDef("Broken", "SELECT * FROM NoSuchTable");
    EXPECT_EQ(JetErrorOf([&] { m_db.QueryDefs["Broken"]; }), 3078);
    m_db.CreateQueryDef("BadColumn", "SELECT NoSuchColumn FROM Sections");
    EXPECT_EQ(JetErrorOf([&] { m_db.QueryDefs["BadColumn"]; }), 3061);
    m_db.CreateQueryDef("BadSyntax", "SELECT * FROM Sections WHERE");
    EXPECT_EQ(JetErrorOf([&] { m_db.QueryDefs["BadSyntax"]; }), 3075);
    CdbLastOLEError error;
    EXPECT_STRNE(error.GetDescription(), "");
}

TEST_F(QueryDefTest, LikeUsesJetsWildcards)
{
    EXPECT_EQ(SectionsLike("*"), Texts({"code_a", "data_b", "high", "axb"}));
    EXPECT_EQ(SectionsLike("a_b"), Texts()); // '_' is no wildcard: "axb" does not match
    EXPECT_EQ(SectionsLike("?ata*"), Texts({"data_b"}));
    EXPECT_EQ(SectionsLike("[a-c]*"), Texts({"code_a", "axb"}));
    EXPECT_EQ(SectionsLike("CODE_A"), Texts({"code_a"}));
}

TEST_F(QueryDefTest, EqualityOnTextIsBlindToCase)
{
    CdbQueryDef q = m_db.QueryDefs["ModulByName"];
    q.SetParamValue("[_name]", CdbVariant("TIMER.C"));
    EXPECT_EQ(Column(q.OpenRecordset(dbOpenSnapshot), "Name"), Texts({"Timer.c"}));
}

TEST_F(QueryDefTest, ParametersAreCoercedToTheirDeclaredTypes)
{
    CdbQueryDef q = m_db.QueryDefs["SectionByAddress"];
    q.SetParamValue("_AddressMode", CdbVariant("1")); // text to Long
    VARIANT address;
    address.vt = VT_UI4;
    address.ulVal = 0x80000010u; // stored negative, as in Jet
    q.SetParamValue("_AddressValue", address);
    EXPECT_EQ(Column(q.OpenRecordset(dbOpenSnapshot), "Name"), Texts({"high"}));

    CdbQueryDef byName = m_db.QueryDefs["ModulByName"];
    byName.SetParamValue("_Name", CdbVariant(5L)); // Long to Text
    EXPECT_TRUE(byName.OpenRecordset(dbOpenSnapshot).IsEOF());
    EXPECT_EQ(JetErrorOf([&] { q.SetParamValue("_AddressMode", CdbVariant("one")); }), 3421);
    EXPECT_EQ(JetErrorOf([&] { q.SetParamValue("_NoSuchParameter", CdbVariant(1L)); }), 3265);
}

TEST_F(QueryDefTest, AnUnsetParameterIsAnErrorNotNull)
{
    CdbQueryDef q = m_db.QueryDefs["SectionByAddress"];
    q.SetParamValue("_AddressMode", CdbVariant(1L));
    EXPECT_EQ(JetErrorOf([&] { q.OpenRecordset(dbOpenSnapshot); }), 3061);
    CdbLastOLEError error;
    EXPECT_STREQ(error.GetDescription(), "Too few parameters. Expected 1.");
    EXPECT_EQ(JetErrorOf([&] { m_db.OpenRecordset("SectionByAddress", dbOpenSnapshot); }), 3061);
}

TEST_F(QueryDefTest, AStoredQueryUsedInsideAnotherSharesItsParameters)
{
    CdbQueryDef q = m_db.QueryDefs["ModulAndSection"];
    q.SetParamValue("_AddressMode", CdbVariant(1L));
    q.SetParamValue("_ADDRESSVALUE", CdbVariant(0x2010L));
    CdbRecordset rs = q.OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    // Both sources have a Name: the columns are named after their sources; Length is
    // alone and keeps its name.
    EXPECT_EQ(TextOf(rs.GetField("[$ModulByAddress.Name]")), "Timer.c");
    EXPECT_EQ(TextOf(rs.GetField("SectionByAddress.Name")), "data_b");
    EXPECT_EQ(LongOf(rs.GetField("[Length]")), 0x100);
    EXPECT_EQ(JetErrorOf([&] { rs.GetField("Name"); }), 3265);
}

TEST_F(QueryDefTest, ARightJoinKeepsTheRowsOfItsRightSide)
{
    CdbQueryDef q = m_db.QueryDefs["LocationByAddress"];
    q.SetParamValue("_AddressMode", CdbVariant(1L));
    q.SetParamValue("_AddressValue", CdbVariant(0x3001L));
    CdbRecordset rs = q.OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(rs.GetField("$ModulByAddress.Name").vt, VT_NULL);
    EXPECT_EQ(TextOf(rs.GetField("SectionByAddress.Name")), "axb");
}

TEST_F(QueryDefTest, AUnionIsOrderedAsAWholeBlindToCase)
{
    CdbQueryDef q = m_db.QueryDefs["NamesLike"];
    q.SetParamValue("_Name", CdbVariant("*"));
    EXPECT_EQ(Column(q.OpenRecordset(dbOpenSnapshot), "Name"),
              Texts({"axb", "code_a", "data_b", "high", "main.c", "Timer.c"}));
    q.SetParamValue("_Name", CdbVariant("*_*"));
    EXPECT_EQ(Column(q.OpenRecordset(dbOpenSnapshot), "Name"), Texts({"code_a", "data_b"}));
}

TEST_F(QueryDefTest, ActionQueriesRunWithExecute)
{
    CdbQueryDef q = m_db.QueryDefs["DeleteModulRelations"];
    q.SetParamValue("_ModulIndex", CdbVariant(2L));
    q.Execute(dbFailOnError);
    CdbRecordset rs = m_db.OpenRecordset("ModulSectionRelation");
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(LongOf(rs.GetField("ModulIndex")), 1);
    EXPECT_EQ(JetErrorOf([&] { m_db.QueryDefs["SectionByName"].Execute(); }), 3061);
    CdbQueryDef select = m_db.CreateQueryDef(nullptr, "SELECT * FROM Sections");
    EXPECT_EQ(JetErrorOf([&] { select.Execute(); }), 3065);
    EXPECT_EQ(JetErrorOf([&] { q.OpenRecordset(); }), 3219);
}

TEST_F(QueryDefTest, TheSystemsSqlCannotReachTheEnginesOwnTables)
{
    EXPECT_EQ(JetErrorOf([&] { m_db.CreateQueryDef(nullptr, "SELECT * FROM MSysDaoQueries"); }), 3219);
    EXPECT_EQ(JetErrorOf([&] { m_db.CreateQueryDef(nullptr, "DELETE FROM MSysDaoFields"); }), 3219);
    EXPECT_EQ(JetErrorOf([&] { m_db.CreateQueryDef(nullptr, "DROP TABLE Sections"); }), 3219);
}

} // namespace
