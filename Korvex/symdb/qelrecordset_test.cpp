#include "qelrecordset.h"

#include "qeldbexception.h"
#include "qeltabledef.h"
#include "symdbtesting.h"

#include <sqlite3.h>

#include <cstring>

namespace {

// A recordset of a table made for these tests: an auto number, a Long, a text that
// may not be empty, a flag and a date, with a three-field index.
class CItems : public CQelRecordset {
public:
    explicit CItems(CdbDatabase *db) : CQelRecordset(db)
    {
        m_nFields = 5;
        m_nDefaultType = dbOpenTable;
    }
    CString GetDefaultSQL() override { return "[Items]"; }
    void DoFieldExchange(CQelFieldExchange *pFX) override
    {
        DFX_Long(pFX, "[ItemIndex]", m_ItemIndex);
        DFX_Long(pFX, "[Code]", m_Code);
        DFX_Text(pFX, "[Label]", m_Label);
        DFX_Bool(pFX, "[Flag]", m_Flag);
        DFX_DateTime(pFX, "[Stamp]", m_Stamp);
    }

    LONG m_ItemIndex = 0;
    LONG m_Code = 0;
    CString m_Label;
    BOOL m_Flag = FALSE;
    COleDateTime m_Stamp;
};

// A recordset class that names nothing.
class CNothing : public CQelRecordset {
public:
    explicit CNothing(CdbDatabase *db) : CQelRecordset(db) {}
};

class RecordsetTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_db = m_engine.CreateWorkspace("ws", "admin", "").CreateDatabase(PathOf("test.mdb"), dbLangGeneral, 0);
        CQelTableDef table(&m_db);
        table.Create("Items");
        const struct {
            const char *name;
            SHORT type;
            LONG attributes;
            BOOL required, allowZeroLength;
        } fields[] = {{"ItemIndex", dbLong, dbAutoIncrField, TRUE, FALSE},
                      {"Code", dbLong, 0, TRUE, FALSE},
                      {"Label", dbText, 0, TRUE, FALSE},
                      {"Flag", dbBoolean, 0, TRUE, FALSE},
                      {"Stamp", dbDate, 0, FALSE, FALSE}};
        SHORT position = 1;
        for (const auto &f : fields) {
            CQelFieldInfo info;
            info.m_strName = f.name;
            info.m_nType = f.type;
            info.m_lSize = f.type == dbText ? 255 : 4;
            info.m_lAttributes = f.attributes;
            info.m_nOrdinalPosition = position++;
            info.m_bRequired = f.required;
            info.m_bAllowZeroLength = f.allowZeroLength;
            table.AddField(info);
        }
        const CString keyFields[] = {"Code", "Label", "Flag"};
        CQelIndexInfo key;
        key.m_strName = "CodeLabelKey";
        key.m_pFieldNames = keyFields;
        key.m_nFields = 3;
        key.m_bPrimary = TRUE;
        key.m_bUnique = TRUE;
        table.AddIndex(key);
        table.Append();
    }
    void TearDown() override
    {
        m_db.Close();
        FolderTest::TearDown();
    }

    void AddItem(LONG code, const char *label, BOOL flag = FALSE)
    {
        CItems rs(&m_db);
        rs.AddNew();
        rs.m_Code = code;
        rs.m_Label = label;
        rs.m_Flag = flag;
        rs.Update();
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
};

TEST_F(RecordsetTest, ADefaultOpenReadsTheTableOfTheClassAsATable)
{
    AddItem(7, "seven");
    CItems rs(&m_db);
    rs.Open(-1, nullptr, 0);
    EXPECT_TRUE(rs.IsOpen());
    EXPECT_EQ(rs.m_Code, 7);
    EXPECT_STREQ(rs.m_Label, "seven");
    // Only a table-type recordset has an index to seek through.
    rs.SetCurrentIndex("CodeLabelKey");
    CdbVariant code(7L);
    EXPECT_TRUE(rs.Seek("=", &code));
}

TEST_F(RecordsetTest, ASnapshotIsReadOnlyWhateverTheOptions)
{
    AddItem(1, "one");
    CItems rs(&m_db);
    rs.Open(dbOpenSnapshot, "SELECT * FROM Items", 0);
    EXPECT_NE(ErrorOf([&] { rs.Edit(); }), 0u);
}

TEST_F(RecordsetTest, TheAutoNumberIsTheEnginesAndAddNewReadsIt)
{
    CItems rs(&m_db);
    rs.AddNew();
    LONG assigned = rs.m_ItemIndex;
    EXPECT_GT(assigned, 0);
    rs.m_ItemIndex = 4711; // never written
    rs.m_Code = 1;
    rs.m_Label = "one";
    rs.Update();
    rs.AddNew();
    EXPECT_EQ(rs.m_ItemIndex, assigned + 1);
    rs.CancelUpdate();
    rs.MoveFirst();
    EXPECT_EQ(rs.m_ItemIndex, assigned);
}

TEST_F(RecordsetTest, MovingPastTheLastRecordKeepsItsValues)
{
    AddItem(1, "one");
    AddItem(2, "two");
    CItems rs(&m_db);
    rs.Open();
    rs.MoveNext();
    EXPECT_EQ(rs.m_Code, 2);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.m_Code, 2);
    EXPECT_STREQ(rs.m_Label, "two");
}

TEST_F(RecordsetTest, SeekTakesOneTwoOrThreeKeysAndTextKeysAsText)
{
    AddItem(1, "one");
    AddItem(1, "one", TRUE);
    AddItem(1, "\xE2\xE3"); // the encoded "ab"
    AddItem(2, "two");
    CItems rs(&m_db);
    rs.SetCurrentIndex("CodeLabelKey");
    CdbVariant two(2L), one(1L);
    ASSERT_TRUE(rs.Seek("=", &two));
    EXPECT_STREQ(rs.m_Label, "two");
    // A BSTR made from the encoded text finds it, and does not find "AB".
    CString encoded("\xE2\xE3");
    VARIANT label;
    label.vt = VT_BSTR;
    label.bstrVal = encoded.AllocSysString();
    EXPECT_TRUE(rs.Seek("=", &one, &label));
    EXPECT_STREQ(rs.m_Label, "\xE2\xE3");
    VariantClear(&label);
    CdbVariant upper("AB");
    EXPECT_FALSE(rs.Seek("=", &one, &upper));
    EXPECT_TRUE(rs.IsEOF());
    CdbVariant three(3L);
    EXPECT_FALSE(rs.Seek(">=", &three));
    CdbVariant text("one");
    VARIANT flag;
    flag.vt = VT_BOOL;
    flag.boolVal = VARIANT_TRUE;
    ASSERT_TRUE(rs.Seek("=", &one, &text, &flag));
    EXPECT_TRUE(rs.m_Flag);
    EXPECT_STREQ(rs.m_Label, "one");
}

TEST_F(RecordsetTest, ATextMemberEndsAtAZeroInsideTheTextAndKeepsEveryOtherByte)
{
    AddItem(1, "one");
    AddItem(2, "two");
    AddItem(3, "three");
    m_db.Close();
    // What a damaged or foreign file may hold: the program's own writes hold neither.
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(PathOf("test.mdb"), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "UPDATE Items SET Label = x'61620063' WHERE Code = 1;"
                           "UPDATE Items SET Label = x'E9E8' WHERE Code = 3",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    m_db = m_engine.CreateWorkspace("ws", "admin", "").OpenDatabase(PathOf("test.mdb"), TRUE);
    CItems rs(&m_db);
    rs.Open(dbOpenSnapshot, "SELECT * FROM Items ORDER BY Code", 0);
    const char *const labels[] = {"ab", "two", "\xE9\xE8"};
    for (const char *label : labels) {
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_STREQ(rs.m_Label, label);
        EXPECT_EQ(rs.m_Label.GetLength(), static_cast<int>(std::strlen(label)));
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.IsEOF());
}

TEST_F(RecordsetTest, FlagsAndFullResolutionDatesRoundTrip)
{
    CItems rs(&m_db);
    rs.AddNew();
    EXPECT_EQ(rs.m_Stamp.GetStatus(), COleDateTime::null);
    rs.m_Code = 5;
    rs.m_Label = "five";
    rs.m_Flag = TRUE;
    rs.m_Stamp = COleDateTime(CTime(1700000000, 123456000));
    rs.Update();
    CItems again(&m_db);
    again.Open();
    EXPECT_TRUE(again.m_Flag);
    EXPECT_EQ(again.m_Stamp, COleDateTime(CTime(1700000000, 123456000)));
    EXPECT_NE(again.m_Stamp, COleDateTime(CTime(1700000000, 0)));
}

TEST_F(RecordsetTest, AFailedUpdateKeepsTheRecordsetOpen)
{
    AddItem(1, "one");
    CItems rs(&m_db);
    rs.AddNew();
    rs.m_Code = 1;
    rs.m_Label = "one";
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 3022u); // duplicate key
    EXPECT_TRUE(rs.IsOpen());
    rs.CancelUpdate();
    rs.AddNew();
    rs.m_Code = 1;
    rs.m_Label = ""; // may not be empty
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), 3315u);
    rs.CancelUpdate();
    EXPECT_EQ(rs.GetRecordCount(), 1);
}

TEST_F(RecordsetTest, AClassThatNamesNothingIsRefused)
{
    CNothing rs(&m_db);
    EXPECT_EQ(ErrorOf([&] { rs.Open(); }), 3001u);
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), 3001u);
}

TEST_F(RecordsetTest, AnUnknownTableIsAnError)
{
    CItems rs(&m_db);
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenDynaset, "NoSuchTable"); }), 3078u); // no such table or query
    EXPECT_EQ(ErrorOf([&] { rs.Open(dbOpenTable, "NoSuchTable"); }), 3219u);   // only tables open as tables
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(RecordsetTest, ABookmarkOfTheLastChangeLeadsBackToIt)
{
    AddItem(1, "one");
    CItems rs(&m_db);
    rs.AddNew();
    rs.m_Code = 2;
    rs.m_Label = "two";
    rs.Update();
    CdbBookmark last = rs.GetLastModifiedBookmark();
    rs.MoveFirst();
    EXPECT_EQ(rs.m_Code, 1);
    rs.SetBookmark(last);
    EXPECT_EQ(rs.m_Code, 2);
}

TEST_F(RecordsetTest, AStoredQueryTakesItsParametersAndRequeries)
{
    AddItem(1, "one");
    AddItem(2, "two");
    CQelQueryDef stored(&m_db);
    stored.Create("ItemsFrom", "PARAMETERS [_Code] Long, [_Label] Text; SELECT * FROM Items WHERE Code >= [_Code] "
                               "AND Label LIKE [_Label] ORDER BY Code;");
    CQelQueryDef q(&m_db);
    q.Open("itemsfrom");
    q.SetParameter("_Code", CdbVariant(2L));
    q.SetParameter("_Label", CdbVariant("t*"));
    CItems rs(&m_db);
    rs.OpenQueryDef(q);
    EXPECT_EQ(rs.m_Code, 2);
    // The snapshot is read-only.
    EXPECT_NE(ErrorOf([&] { rs.Edit(); }), 0u);
    q.SetParameter("_Code", CdbVariant(3L));
    EXPECT_FALSE(rs.Requery());
    q.SetParameter("_Code", CdbVariant(1L));
    q.SetParameter("_Label", CdbVariant("*"));
    EXPECT_TRUE(rs.Requery());
    EXPECT_EQ(rs.m_Code, 1);
}

TEST_F(RecordsetTest, TextParametersTravelAsCodePage1252Text)
{
    // A character that code page 1252 lacks cannot be in a column; it arrives as the
    // same '?' that its text would hold.
    AddItem(1, "a?b");
    CQelQueryDef q(&m_db);
    q.Create(nullptr, "PARAMETERS [_Label] Text; SELECT * FROM Items WHERE Label = [_Label];");
    VARIANT label;
    label.vt = VT_BSTR;
    label.bstrVal = SysAllocString(u"a\u0101b");
    q.SetParameter("_Label", label);
    VariantClear(&label);
    CItems rs(&m_db);
    rs.OpenQueryDef(q);
    EXPECT_EQ(rs.GetRecordCount(), 1);
}

TEST_F(RecordsetTest, ActionQueriesRunAndMissingQueriesAreErrors)
{
    AddItem(1, "one");
    AddItem(2, "two");
    CQelQueryDef q(&m_db);
    q.Create(nullptr, "PARAMETERS [_Code] Long; DELETE * FROM Items WHERE Code = [_Code];");
    q.SetParameter("_Code", CdbVariant(1L));
    q.Execute();
    CItems rs(&m_db);
    EXPECT_EQ(rs.GetRecordCount(), 1);
    CQelQueryDef missing(&m_db);
    EXPECT_EQ(ErrorOf([&] { missing.Open("NoSuchQuery"); }), 3265u);
}

} // namespace
