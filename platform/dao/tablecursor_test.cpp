#include "daotestfolder.h"

#include <vector>

using namespace qeldaotest;

namespace {

class TableCursorTest : public DaoTest {
protected:
    void SetUp() override
    {
        DaoTest::SetUp();
        m_db = NewDatabase();
        CdbTableDef table = m_db.CreateTableDef("Grid");
        AddField(table, "Id", dbLong, dbAutoIncrField, TRUE);
        AddField(table, "K1", dbLong, 0, TRUE);
        AddField(table, "K2", dbLong, 0, TRUE);
        AddField(table, "K3", dbLong, 0, TRUE);
        AddField(table, "Name", dbText);
        AddIndex(table, "IdKey", {"Id"}, TRUE, TRUE);
        AddIndex(table, "Keys", {"K1", "K2", "K3"});
        AddIndex(table, "NameKey", {"Name"});
        m_db.TableDefs.Append(table);
        m_rs = m_db.OpenRecordset("Grid");
    }
    void TearDown() override
    {
        m_db.Close();
        DaoTest::TearDown();
    }

    // Rows (k1, k2, k3) for k1 in 1..3, k2 and k3 in 1..2, added out of order.
    void FillGrid()
    {
        for (LONG k1 : {3, 1, 2})
            for (LONG k2 : {2, 1})
                for (LONG k3 : {1, 2})
                    Add(k1, k2, k3);
    }

    void Add(LONG k1, LONG k2, LONG k3, const char *name = "")
    {
        m_rs.AddNew();
        Set(m_rs, "K1", k1);
        Set(m_rs, "K2", k2);
        Set(m_rs, "K3", k3);
        Set(m_rs, "Name", name);
        m_rs.Update();
    }

    std::vector<LONG> Current()
    {
        return {LongOf(m_rs.GetField("K1")), LongOf(m_rs.GetField("K2")), LongOf(m_rs.GetField("K3"))};
    }

    // Seeks with the first `count` of the keys; the found record, or nothing.
    std::vector<LONG> Seek(const char *comparison, std::vector<LONG> keys)
    {
        CdbVariant k[3] = {CdbVariant(keys[0]), CdbVariant(keys.size() > 1 ? keys[1] : 0L),
                           CdbVariant(keys.size() > 2 ? keys[2] : 0L)};
        m_rs.Seek(comparison, static_cast<LONG>(keys.size()), &k[0], keys.size() > 1 ? &k[1] : nullptr,
                  keys.size() > 2 ? &k[2] : nullptr);
        if (m_rs.GetNoMatch())
            return {};
        return Current();
    }

    CdbDatabase m_db;
    CdbRecordset m_rs;
};

using Keys = std::vector<LONG>;

TEST_F(TableCursorTest, SeekWithOneKeyOnEveryComparison)
{
    FillGrid();
    m_rs.SetIndex("Keys");
    EXPECT_EQ(Seek("=", {2}), Keys({2, 1, 1}));
    EXPECT_EQ(Seek(">=", {2}), Keys({2, 1, 1}));
    EXPECT_EQ(Seek(">", {2}), Keys({3, 1, 1}));
    EXPECT_EQ(Seek("<=", {2}), Keys({2, 2, 2}));
    EXPECT_EQ(Seek("<", {2}), Keys({1, 2, 2}));
    EXPECT_EQ(Seek("=", {4}), Keys());
    EXPECT_EQ(Seek("<", {1}), Keys());
}

TEST_F(TableCursorTest, SeekWithTwoKeysOnEveryComparison)
{
    FillGrid();
    m_rs.SetIndex("Keys");
    EXPECT_EQ(Seek("=", {2, 1}), Keys({2, 1, 1}));
    EXPECT_EQ(Seek(">=", {2, 1}), Keys({2, 1, 1}));
    EXPECT_EQ(Seek(">", {2, 1}), Keys({2, 2, 1}));
    EXPECT_EQ(Seek("<=", {2, 1}), Keys({2, 1, 2}));
    EXPECT_EQ(Seek("<", {2, 1}), Keys({1, 2, 2}));
    EXPECT_EQ(Seek(">", {3, 2}), Keys());
}

TEST_F(TableCursorTest, SeekWithThreeKeysOnEveryComparison)
{
    FillGrid();
    m_rs.SetIndex("Keys");
    EXPECT_EQ(Seek("=", {2, 1, 2}), Keys({2, 1, 2}));
    EXPECT_EQ(Seek(">=", {2, 1, 2}), Keys({2, 1, 2}));
    EXPECT_EQ(Seek(">", {2, 1, 2}), Keys({2, 2, 1}));
    EXPECT_EQ(Seek("<=", {2, 1, 2}), Keys({2, 1, 2}));
    EXPECT_EQ(Seek("<", {2, 1, 2}), Keys({2, 1, 1}));
    EXPECT_EQ(Seek("=", {2, 3, 1}), Keys());
}

TEST_F(TableCursorTest, SeekNeedsACurrentIndexAndAKnownComparison)
{
    FillGrid();
    CdbVariant key(1L);
    EXPECT_EQ(JetErrorOf([&] { m_rs.Seek("=", 1, &key); }), 3019);
    m_rs.SetIndex("Keys");
    EXPECT_EQ(JetErrorOf([&] { m_rs.Seek("<>", 1, &key); }), 3001);
    EXPECT_EQ(JetErrorOf([&] { m_rs.Seek("=", 2, &key); }), 3001);
    EXPECT_EQ(JetErrorOf([&] { m_rs.SetIndex("NoSuchKey"); }), 3015);
}

TEST_F(TableCursorTest, ATextKeyIsFoundBlindToCase)
{
    Add(1, 1, 1, "Timer_Init");
    Add(1, 1, 2, "main");
    m_rs.SetIndex("NameKey");
    CdbVariant key("TIMER_INIT");
    m_rs.Seek("=", 1, &key);
    ASSERT_FALSE(m_rs.GetNoMatch());
    EXPECT_EQ(TextOf(m_rs.GetField("[Name]")), "Timer_Init");
}

TEST_F(TableCursorTest, MovesWalkTheIndexOrderAndContinueAfterASeek)
{
    FillGrid();
    m_rs.SetIndex("Keys");
    std::vector<Keys> seen;
    for (m_rs.MoveFirst(); !m_rs.IsEOF(); m_rs.MoveNext())
        seen.push_back(Current());
    ASSERT_EQ(seen.size(), 12u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_LT(seen[i - 1], seen[i]);
    EXPECT_EQ(Seek("=", {2, 2}), Keys({2, 2, 1}));
    m_rs.MoveNext();
    EXPECT_EQ(Current(), Keys({2, 2, 2}));
    m_rs.MovePrevious();
    m_rs.MovePrevious();
    EXPECT_EQ(Current(), Keys({2, 1, 2}));
}

TEST_F(TableCursorTest, WithoutAnIndexRecordsComeInTheOrderTheyWereAdded)
{
    Add(3, 1, 1);
    Add(1, 1, 1);
    Add(2, 1, 1);
    std::vector<LONG> order;
    for (m_rs.MoveFirst(); !m_rs.IsEOF(); m_rs.MoveNext())
        order.push_back(LongOf(m_rs.GetField("K1")));
    EXPECT_EQ(order, Keys({3, 1, 2}));
}

TEST_F(TableCursorTest, MovingPastTheEndsFollowsDao)
{
    EXPECT_TRUE(m_rs.IsEOF());
    EXPECT_TRUE(m_rs.IsBOF());
    EXPECT_EQ(JetErrorOf([&] { m_rs.MoveFirst(); }), 3021);
    Add(1, 1, 1);
    Add(2, 1, 1);
    m_rs.MoveLast();
    m_rs.MoveNext(); // past the last record: EOF, and no error yet
    EXPECT_TRUE(m_rs.IsEOF());
    EXPECT_FALSE(m_rs.IsBOF());
    EXPECT_EQ(JetErrorOf([&] { m_rs.GetField("K1"); }), 3021);
    EXPECT_EQ(JetErrorOf([&] { m_rs.MoveNext(); }), 3021);
    m_rs.MovePrevious(); // back to the last record
    EXPECT_EQ(LongOf(m_rs.GetField("K1")), 2);
    m_rs.MovePrevious();
    m_rs.MovePrevious();
    EXPECT_TRUE(m_rs.IsBOF());
    EXPECT_EQ(JetErrorOf([&] { m_rs.MovePrevious(); }), 3021);
    m_rs.MoveNext();
    EXPECT_EQ(LongOf(m_rs.GetField("K1")), 1);
}

TEST_F(TableCursorTest, AddNewShowsTheAutoNumberAtOnceAndNumbersAreNeverReused)
{
    m_rs.AddNew();
    LONG first = LongOf(m_rs.GetField("Id"));
    EXPECT_EQ(first, 1);
    Set(m_rs, "K1", 1L);
    Set(m_rs, "K2", 1L);
    Set(m_rs, "K3", 1L);
    CdbVariant id(99L);
    EXPECT_EQ(JetErrorOf([&] { m_rs.SetField("Id", &id); }), 3164);
    m_rs.Update();
    Add(2, 1, 1);
    Add(3, 1, 1);
    CdbQueryDef purge = m_db.CreateQueryDef(nullptr, "DELETE * FROM Grid");
    purge.Execute(dbFailOnError);
    EXPECT_EQ(m_rs.GetRecordCount(), 0);
    m_db.Close();

    m_db = Workspace().OpenDatabase(PathOf("test.mdb").c_str(), TRUE, FALSE, "MS Access");
    m_rs = m_db.OpenRecordset("Grid");
    m_rs.AddNew();
    EXPECT_EQ(LongOf(m_rs.GetField("Id")), 4);
    m_rs.CancelUpdate();
    m_rs.AddNew(); // a number shown once is not shown again
    EXPECT_EQ(LongOf(m_rs.GetField("Id")), 5);
}

// A client may still hold the number of a record that a rolled-back transaction wrote:
// no later record takes it, in this session or after the file was closed, whether the
// rollback was asked for or came with the close.
TEST_F(TableCursorTest, TheNumbersOfRolledBackRecordsAreNotHandedOutAgain)
{
    CdbWorkspace ws = Workspace();
    m_rs.Close();
    m_db.Close();
    auto reopen = [&] {
        m_db = ws.OpenDatabase(PathOf("test.mdb").c_str(), TRUE, FALSE, "MS Access");
        m_rs = m_db.OpenRecordset("Grid");
    };
    auto next = [&] {
        m_rs.AddNew();
        LONG id = LongOf(m_rs.GetField("Id"));
        m_rs.CancelUpdate();
        return id;
    };
    reopen();
    ws.BeginTrans();
    Add(1, 1, 1);
    ws.BeginTrans();
    Add(2, 1, 1); // 2
    ws.Rollback();
    Add(3, 1, 1); // 3
    ws.CommitTrans();
    ws.BeginTrans();
    Add(4, 1, 1);
    Add(5, 1, 1); // 4, 5
    ws.Rollback();
    EXPECT_EQ(next(), 6);
    m_rs.Close();
    m_db.Close();

    reopen();
    EXPECT_EQ(next(), 7);
    ws.BeginTrans();
    Add(8, 1, 1); // 8, rolled back by the close
    m_rs.Close();
    m_db.Close();
    reopen();
    EXPECT_EQ(next(), 9);
    m_rs.SetIndex("IdKey");
    std::vector<LONG> ids;
    for (m_rs.MoveFirst(); !m_rs.IsEOF(); m_rs.MoveNext())
        ids.push_back(LongOf(m_rs.GetField("Id")));
    EXPECT_EQ(ids, std::vector<LONG>({1, 3}));
}

TEST_F(TableCursorTest, BookmarksAndTheLastModifiedRecord)
{
    FillGrid();
    m_rs.MoveFirst();
    m_rs.MoveNext();
    CdbBookmark second = m_rs.GetBookmark();
    Keys secondKeys = Current();
    Add(9, 9, 9);
    m_rs.SetBookmark(m_rs.GetLastModified());
    EXPECT_EQ(Current(), Keys({9, 9, 9}));
    m_rs.SetBookmark(second);
    EXPECT_EQ(Current(), secondKeys);

    m_rs.Edit();
    Set(m_rs, "Name", "changed");
    m_rs.Update();
    m_rs.MoveLast();
    m_rs.SetBookmark(m_rs.GetLastModified());
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), "changed");

    CdbVariant notABookmark(5L);
    EXPECT_EQ(JetErrorOf([&] { m_rs.SetBookmark(notABookmark); }), 3159);
}

TEST_F(TableCursorTest, EditUpdateAndCancelUpdate)
{
    Add(1, 1, 1, "old");
    m_rs.MoveFirst();
    EXPECT_EQ(JetErrorOf([&] { m_rs.Update(); }), 3020);
    m_rs.Edit();
    Set(m_rs, "Name", "dropped");
    m_rs.CancelUpdate();
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), "old");
    m_rs.Edit();
    Set(m_rs, "Name", "new");
    m_rs.Update();
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), "new");
    CdbRecordset other = m_db.OpenRecordset("Grid");
    EXPECT_EQ(TextOf(other.GetField("Name")), "new");
}

// Rows and edits reuse their text buffers: a shorter text after a longer one must not
// keep any of the longer one, in the edit buffer nor in the record read.
TEST_F(TableCursorTest, EachRecordShowsOnlyItsOwnText)
{
    const std::string longName(40, 'L');
    Add(1, 1, 1, longName.c_str());
    m_rs.AddNew();
    Set(m_rs, "K1", 2L);
    Set(m_rs, "K2", 1L);
    Set(m_rs, "K3", 1L);
    Set(m_rs, "Name", longName.c_str());
    Set(m_rs, "Name", "ab");
    m_rs.Update();
    Add(3, 1, 1, "");
    m_rs.SetIndex("Keys");
    std::vector<std::string> names;
    for (m_rs.MoveFirst(); !m_rs.IsEOF(); m_rs.MoveNext())
        names.push_back(TextOf(m_rs.GetField("Name")));
    EXPECT_EQ(names, (std::vector<std::string>{longName, "ab", ""}));
}

TEST_F(TableCursorTest, RecordCountIsExact)
{
    EXPECT_EQ(m_rs.GetRecordCount(), 0);
    FillGrid();
    EXPECT_EQ(m_rs.GetRecordCount(), 12);
    CdbRecordset other = m_db.OpenRecordset("Grid");
    EXPECT_EQ(other.GetRecordCount(), 12);
}

TEST_F(TableCursorTest, NullsComeFirstInAnIndexOfAFieldThatMayBeNull)
{
    CdbTableDef table = m_db.CreateTableDef("Types");
    AddField(table, "TypeIndex", dbLong, 0, TRUE);
    AddField(table, "Data_4", dbLong);
    AddIndex(table, "Data_4Key", {"Data_4"});
    m_db.TableDefs.Append(table);
    CdbRecordset rs = m_db.OpenRecordset("Types");
    for (LONG i = 1; i <= 4; ++i) {
        rs.AddNew();
        Set(rs, "TypeIndex", i);
        if (i != 3)
            Set(rs, "Data_4", i == 1 ? 0 : 10 * i);
        rs.Update();
    }
    rs.SetIndex("Data_4Key");
    std::vector<LONG> order;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        order.push_back(LongOf(rs.GetField("TypeIndex")));
    EXPECT_EQ(order, Keys({3, 1, 2, 4}));
    CdbVariant zero(LONG(0));
    rs.Seek("=", 1, &zero);
    ASSERT_FALSE(rs.GetNoMatch());
    EXPECT_EQ(LongOf(rs.GetField("TypeIndex")), 1);
}

TEST_F(TableCursorTest, AnIndexThatIgnoresNullsLeavesTheirRecordsOutOfItsOrder)
{
    CdbTableDef table = m_db.CreateTableDef("Labels");
    AddField(table, "Id", dbLong, 0, TRUE);
    AddField(table, "Address", dbLong);
    CdbIndex index = table.CreateIndex("AddressKey");
    CdbField field = index.CreateField("Address");
    index.Fields.Append(field);
    index.SetIgnoreNulls(TRUE);
    index.SetUnique(TRUE);
    table.Indexes.Append(index);
    m_db.TableDefs.Append(table);
    CdbRecordset rs = m_db.OpenRecordset("Labels");
    for (LONG i = 1; i <= 4; ++i) {
        rs.AddNew();
        Set(rs, "Id", i);
        if (i % 2 == 0)
            Set(rs, "Address", 100 - i);
        rs.Update(); // two Nulls are no duplicates
    }
    rs.SetIndex("AddressKey");
    std::vector<LONG> order;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
        order.push_back(LongOf(rs.GetField("Id")));
    EXPECT_EQ(order, Keys({4, 2}));
    EXPECT_EQ(rs.GetRecordCount(), 4);
}

// A text given to a field as narrow text is stored as the same text given as a BSTR:
// every byte of code page 1252 (the unassigned ones too) comes back, the empty text is
// not Null, a number column converts it, and the auto number still refuses it.
TEST_F(TableCursorTest, ATextSetAsNarrowTextIsStoredAsItsBstrIs)
{
    const std::string bytes = "\x80\x81\x8D\x8F\x90\x9D\xFF a";
    m_rs.AddNew();
    m_rs.Fields["Name"].SetValue(bytes.c_str());
    m_rs.Fields["K1"].SetValue("12");
    Set(m_rs, "K2", 2);
    Set(m_rs, "K3", 3);
    EXPECT_EQ(JetErrorOf([&] { m_rs.Fields["Id"].SetValue("7"); }), 3164);
    m_rs.Update();
    m_rs.AddNew();
    m_rs.Fields["Name"].SetValue("");
    Set(m_rs, "K1", 1);
    Set(m_rs, "K2", 1);
    Set(m_rs, "K3", 1);
    EXPECT_EQ(JetErrorOf([&] { m_rs.Fields["K2"].SetValue("two"); }), 3421);
    m_rs.Update();

    m_rs.SetIndex("IdKey");
    m_rs.MoveFirst();
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), bytes);
    EXPECT_EQ(LongOf(m_rs.GetField("K1")), 12);
    m_rs.MoveNext();
    EXPECT_EQ(TextOf(m_rs.GetField("Name")), "");
    EXPECT_EQ(m_rs.GetRecordCount(), 2);
}

} // namespace
