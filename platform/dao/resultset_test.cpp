#include "daotestfolder.h"

#include <functional>
#include <string>
#include <vector>

using namespace qeldaotest;

namespace {

class ResultSetTest : public DaoTest {
protected:
    void SetUp() override
    {
        DaoTest::SetUp();
        m_ws = Workspace();
        m_db = m_ws.CreateDatabase(PathOf("test.mdb").c_str(), dbLangGeneral, dbEncrypt);
        CdbTableDef lines = m_db.CreateTableDef("SourceLines");
        AddField(lines, "SourceLineIndex", dbLong, dbAutoIncrField, TRUE);
        AddField(lines, "SourceLine", dbLong, 0, TRUE);
        AddField(lines, "AddressValue", dbLong, 0, TRUE);
        AddField(lines, "Length", dbLong, 0, TRUE);
        AddField(lines, "SourceFileIndex", dbLong, 0, TRUE);
        AddIndex(lines, "SourceLineIndexKey", {"SourceLineIndex"}, TRUE, TRUE);
        m_db.TableDefs.Append(lines);
        CdbTableDef files = m_db.CreateTableDef("SourceFiles");
        AddField(files, "SourceFileIndex", dbLong, 0, TRUE);
        AddField(files, "Name", dbText);
        m_db.TableDefs.Append(files);
        m_db.CreateQueryDef("$SourceLinesOfSourceFile2",
                            "PARAMETERS [_SourceFileIndex] Long; SELECT * FROM SourceLines WHERE "
                            "(((SourceLines.SourceFileIndex)=[_SourceFileIndex])) ORDER BY SourceLines.AddressValue, "
                            "SourceLines.SourceLineIndex;\n");

        CdbRecordset rs = m_db.OpenRecordset("SourceLines");
        const LONG rows[][3] = {{10, 0x130, 1}, {11, 0x100, 1}, {12, 0x110, 1}, {5, 0x500, 2}};
        for (const auto &row : rows) {
            rs.AddNew();
            Set(rs, "SourceLine", row[0]);
            Set(rs, "AddressValue", row[1]);
            Set(rs, "Length", -1L);
            Set(rs, "SourceFileIndex", row[2]);
            rs.Update();
        }
        rs = m_db.OpenRecordset("SourceFiles");
        rs.AddNew();
        Set(rs, "SourceFileIndex", 1L);
        Set(rs, "Name", "main.c");
        rs.Update();
    }
    void TearDown() override
    {
        m_db.Close();
        DaoTest::TearDown();
    }

    CdbRecordset LinesOf(LONG file, LONG type)
    {
        CdbQueryDef q = m_db.QueryDefs["$SourceLinesOfSourceFile2"];
        q.SetParamValue("_SourceFileIndex", CdbVariant(file));
        return q.OpenRecordset(type);
    }

    // The rows from the first on, as "line:length".
    static std::vector<std::string> Rows(CdbRecordset &rs)
    {
        std::vector<std::string> rows;
        if (rs.IsBOF() && rs.IsEOF())
            return rows;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            rows.push_back(std::to_string(LongOf(rs.GetField("SourceLine"))) + ":" +
                           std::to_string(LongOf(rs.GetField("Length"))));
        return rows;
    }

    CdbRecordset Joined()
    {
        return m_db.OpenRecordset("SELECT SourceLines.SourceLine, SourceLines.Length, SourceFiles.Name FROM "
                                  "SourceLines, SourceFiles WHERE SourceLines.SourceFileIndex=SourceFiles.SourceFileIndex "
                                  "ORDER BY SourceLines.AddressValue",
                                  dbOpenSnapshot);
    }

    void AddLine(LONG line, LONG address)
    {
        CdbRecordset table = m_db.OpenRecordset("SourceLines");
        table.AddNew();
        Set(table, "SourceLine", line);
        Set(table, "AddressValue", address);
        Set(table, "Length", 4L);
        Set(table, "SourceFileIndex", 1L);
        table.Update();
    }

    CdbWorkspace m_ws;
    CdbDatabase m_db;
};

TEST_F(ResultSetTest, ASnapshotIsReadOnlyAndCountsExactlyAtOnce)
{
    CdbRecordset rs = LinesOf(1, dbOpenSnapshot);
    EXPECT_EQ(rs.GetRecordCount(), 3);
    EXPECT_EQ(LongOf(rs.GetField("SourceLine")), 11); // in the query's order
    EXPECT_EQ(JetErrorOf([&] { rs.Edit(); }), 3027);
    EXPECT_EQ(JetErrorOf([&] { rs.AddNew(); }), 3027);
    EXPECT_EQ(JetErrorOf([&] { rs.Seek("=", 1, nullptr); }), 3251);
}

TEST_F(ResultSetTest, ADynasetOfOneTableWritesItsEditsToTheTable)
{
    CdbRecordset rs = LinesOf(1, dbOpenDynaset);
    EXPECT_EQ(rs.Fields["SourceLineIndex"].GetAttributes() & dbAutoIncrField, dbAutoIncrField);
    LONG expected[] = {0x10, 0x20, -1};
    int i = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++i) {
        rs.Edit();
        Set(rs, "[Length]", expected[i]);
        rs.Update();
    }
    CdbRecordset table = m_db.OpenRecordset("SourceLines");
    std::vector<LONG> lengths;
    for (; !table.IsEOF(); table.MoveNext())
        lengths.push_back(LongOf(table.GetField("Length")));
    EXPECT_EQ(lengths, std::vector<LONG>({-1, 0x10, 0x20, -1}));
}

TEST_F(ResultSetTest, ADynasetShowsARowAsItStandsNow)
{
    CdbRecordset rs = LinesOf(1, dbOpenDynaset);
    CdbRecordset table = m_db.OpenRecordset("SourceLines");
    table.MoveNext(); // line 11, the dynaset's first row
    table.Edit();
    Set(table, "Length", 99L);
    table.Update();
    rs.MoveLast();
    rs.MoveFirst();
    EXPECT_EQ(LongOf(rs.GetField("Length")), 99);
}

TEST_F(ResultSetTest, ASnapshotReadPartlyShowsItsRowsAsAtOpenWhateverChangesThen)
{
    struct Case {
        std::function<void()> beforeOpen, change;
    };
    auto nothing = [] {};
    const Case cases[] = {
        {nothing,
         [&] {
             CdbRecordset table = m_db.OpenRecordset("SourceLines");
             for (; !table.IsEOF(); table.MoveNext()) {
                 table.Edit();
                 Set(table, "Length", 7L);
                 table.Update();
             }
         }},
        {nothing, [&] { AddLine(20, 0x105); }},
        {nothing, [&] { m_db.CreateQueryDef(nullptr, "DELETE * FROM SourceLines WHERE SourceLine=12").Execute(); }},
        {[&] {
             m_ws.BeginTrans();
             AddLine(21, 0x106);
         },
         [&] { m_ws.Rollback(); }},
        {[&] {
             m_ws.BeginTrans();
             AddLine(22, 0x107);
         },
         [&] { m_ws.CommitTrans(); }},
    };
    for (const Case &c : cases) {
        CdbRecordset whole = LinesOf(1, dbOpenSnapshot), wholeJoined = Joined();
        c.beforeOpen();
        CdbRecordset fresh = LinesOf(1, dbOpenSnapshot), freshJoined = Joined();
        const std::vector<std::string> expected = Rows(fresh), expectedJoined = Rows(freshJoined);
        // Read as far as their second row: one keeps row ids, the join its rows.
        CdbRecordset byId = LinesOf(1, dbOpenSnapshot), joined = Joined();
        byId.MoveNext();
        joined.MoveNext();
        c.change();
        EXPECT_EQ(Rows(byId), expected);
        EXPECT_EQ(byId.GetRecordCount(), static_cast<LONG>(expected.size()));
        EXPECT_EQ(Rows(joined), expectedJoined);
    }
}

TEST_F(ResultSetTest, ADynasetReadPartlyKeepsItsMembersAndShowsTheirRowsAsTheyStand)
{
    CdbRecordset rs = LinesOf(1, dbOpenDynaset);
    EXPECT_EQ(LongOf(rs.GetField("SourceLine")), 11);
    CdbRecordset table = m_db.OpenRecordset("SourceLines");
    table.MoveNext();
    table.MoveNext(); // line 12
    table.Edit();
    Set(table, "Length", 99L);
    table.Update();
    AddLine(20, 0x105);
    EXPECT_EQ(Rows(rs), std::vector<std::string>({"11:-1", "12:99", "10:-1"}));
}

TEST_F(ResultSetTest, RecordsetsOfOneQueryAtOnceReadApart)
{
    CdbQueryDef q = m_db.QueryDefs["$SourceLinesOfSourceFile2"];
    q.SetParamValue("_SourceFileIndex", CdbVariant(1L));
    CdbRecordset first = q.OpenRecordset(dbOpenSnapshot);
    CdbRecordset second = q.OpenRecordset(dbOpenDynaset);
    first.MoveNext();
    q.SetParamValue("_SourceFileIndex", CdbVariant(2L));
    CdbRecordset third = q.OpenRecordset(dbOpenSnapshot);
    EXPECT_EQ(Rows(third), std::vector<std::string>({"5:-1"}));
    EXPECT_EQ(Rows(second), std::vector<std::string>({"11:-1", "12:-1", "10:-1"}));
    EXPECT_EQ(Rows(first), Rows(second));
}

TEST_F(ResultSetTest, ADynasetOfAJoinIsReadOnly)
{
    CdbRecordset rs = m_db.OpenRecordset("SELECT SourceLines.SourceLine, SourceFiles.Name FROM SourceLines, "
                                         "SourceFiles WHERE SourceLines.SourceFileIndex=SourceFiles.SourceFileIndex",
                                         dbOpenDynaset);
    EXPECT_EQ(rs.GetRecordCount(), 3);
    EXPECT_EQ(TextOf(rs.GetField("Name")), "main.c");
    EXPECT_EQ(JetErrorOf([&] { rs.Edit(); }), 3027);
}

TEST_F(ResultSetTest, RequeryRunsTheQueryAgainWithTheParametersAsTheyAre)
{
    CdbQueryDef q = m_db.QueryDefs["$SourceLinesOfSourceFile2"];
    q.SetParamValue("_SourceFileIndex", CdbVariant(2L));
    CdbRecordset rs = q.OpenRecordset(dbOpenSnapshot);
    EXPECT_EQ(rs.GetRecordCount(), 1);
    CdbRecordset table = m_db.OpenRecordset("SourceLines");
    table.AddNew();
    Set(table, "SourceLine", 6L);
    Set(table, "AddressValue", 0x510L);
    Set(table, "Length", 4L);
    Set(table, "SourceFileIndex", 2L);
    table.Update();
    EXPECT_EQ(rs.GetRecordCount(), 1);
    rs.Requery();
    EXPECT_EQ(rs.GetRecordCount(), 2);
    q.SetParamValue("_SourceFileIndex", CdbVariant(3L));
    rs.Requery();
    EXPECT_TRUE(rs.IsEOF() && rs.IsBOF());
}

TEST_F(ResultSetTest, BookmarksAndMovesInTheKeptRows)
{
    CdbRecordset rs = LinesOf(1, dbOpenSnapshot);
    rs.MoveNext();
    CdbBookmark second = rs.GetBookmark();
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(JetErrorOf([&] { rs.GetField("SourceLine"); }), 3021);
    rs.SetBookmark(second);
    EXPECT_EQ(LongOf(rs.GetField("SourceLine")), 12);
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_TRUE(rs.IsBOF());
}

TEST_F(ResultSetTest, PlainSqlOpensWithoutAStoredQuery)
{
    CdbRecordset rs = m_db.OpenRecordset("SELECT * FROM SourceLines ORDER BY SourceLine", dbOpenSnapshot);
    EXPECT_EQ(LongOf(rs.GetField("SourceLine")), 5);
    EXPECT_EQ(JetErrorOf([&] { m_db.OpenRecordset("SELECT * FROM SourceLines", dbOpenTable); }), 3219);
}

TEST_F(ResultSetTest, TheReadOnlyOptionHoldsAndLockOptionsAreTaken)
{
    CdbRecordset table = m_db.OpenRecordset("SourceLines", dbOpenTable, dbReadOnly);
    EXPECT_EQ(JetErrorOf([&] { table.AddNew(); }), 3027);
    CdbRecordset dynaset = m_db.OpenRecordset("SourceLines", dbOpenDynaset, 1 | 2); // deny write and read
    dynaset.Edit();
    dynaset.CancelUpdate();
    EXPECT_EQ(JetErrorOf([&] { m_db.OpenRecordset("SourceLines", dbOpenTable, 64); }), 3001);
}

} // namespace
