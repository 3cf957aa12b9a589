#include "qeldatabase.h"

#include "dbfilename.h"
#include "qeldbexception.h"
#include "symdbtesting.h"

namespace {

class DatabaseOpenTest : public symdbtest::FolderTest {
protected:
    // A database of the DAO layer, with the password that its name gives.
    CString MakeDatabase(const char *name, const CString &password = CString())
    {
        CString path = PathOf(name);
        CdbDBEngine engine;
        CdbWorkspace ws = engine.CreateWorkspace("ws", "admin", "");
        CString locale = dbLangGeneral + (password.IsEmpty() ? PasswordClause(path) : ";pwd=" + password);
        ws.CreateDatabase(path, locale, dbEncrypt).Close();
        return path;
    }
};

TEST_F(DatabaseOpenTest, AFileWithThePasswordOfItsNameOpens)
{
    CString path = MakeDatabase("prog.mdb");
    CQelDatabase db;
    EXPECT_TRUE(db.Open(path, FALSE, FALSE));
    EXPECT_TRUE(db.IsOpen());
    db.Close(TRUE);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_NE(db.GetDatabase(), nullptr); // kept for the next open
    EXPECT_TRUE(db.Open(path, FALSE, TRUE));
    db.Close(FALSE);
    EXPECT_EQ(db.GetDatabase(), nullptr);
}

TEST_F(DatabaseOpenTest, ReadOnlyConnectionsShareAFileThatWritersHoldAlone)
{
    CString path = MakeDatabase("c167.mdb");
    CQelDatabase first, second, writer;
    ASSERT_TRUE(first.Open(path, FALSE, TRUE));
    EXPECT_TRUE(second.Open(path, FALSE, TRUE));
    EXPECT_FALSE(writer.Open(path, FALSE, FALSE));
    first.Close(FALSE);
    second.Close(FALSE);
    EXPECT_TRUE(writer.Open(path, FALSE, FALSE));
    EXPECT_FALSE(first.Open(path, FALSE, TRUE));
}

TEST_F(DatabaseOpenTest, AMissingFileGivesFalseAndClosesWhatWasOpen)
{
    CString path = MakeDatabase("prog.mdb");
    CQelDatabase db;
    ASSERT_TRUE(db.Open(path, FALSE, FALSE));
    EXPECT_FALSE(db.Open(PathOf("missing.mdb"), TRUE, FALSE));
    EXPECT_FALSE(db.IsOpen());
    // The file it had open is free again.
    CQelDatabase other;
    EXPECT_TRUE(other.Open(path, FALSE, FALSE));
}

TEST_F(DatabaseOpenTest, AnotherPasswordIsRefused)
{
    CString path = MakeDatabase("prog.mdb", "wrong");
    CQelDatabase db;
    EXPECT_FALSE(db.Open(path, FALSE, FALSE));
    EXPECT_EQ(db.GetDatabase(), nullptr);
    try {
        db.Open(path, TRUE, FALSE);
        FAIL() << "no exception";
    } catch (CQeldbException *e) {
        EXPECT_EQ(e->m_nErrorCode, 3031u);
        e->Delete();
    }
}

TEST_F(DatabaseOpenTest, AFileOpenInOneConnectionIsRefusedToAnother)
{
    CString path = MakeDatabase("prog.mdb");
    CQelDatabase first, second;
    ASSERT_TRUE(first.Open(path, FALSE, FALSE));
    try {
        second.Open(path, TRUE, TRUE);
        FAIL() << "no exception";
    } catch (CQeldbException *e) {
        EXPECT_EQ(e->m_nErrorCode, 3045u);
        e->Delete();
    }
}

TEST_F(DatabaseOpenTest, TransactionsNeedAnOpenDatabase)
{
    CQelDatabase db;
    try {
        db.BeginTrans();
        FAIL() << "no exception";
    } catch (CQeldbException *e) {
        EXPECT_EQ(e->m_nErrorCode, 3420u);
        e->Delete();
    }
}

} // namespace
