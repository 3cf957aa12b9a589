#include "daotestfolder.h"

#include <fstream>
#include <sqlite3.h>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

using namespace qeldaotest;

namespace {

class DaoEngineTest : public DaoTest {
protected:
    // A database with one table of one row, closed again.
    void MakeDatabase(const char *name, const char *connect)
    {
        CdbDatabase db = NewDatabase(name, connect);
        CdbTableDef table = db.CreateTableDef("T");
        AddField(table, "Id", dbLong);
        db.TableDefs.Append(table);
        CdbRecordset rs = db.OpenRecordset("T");
        rs.AddNew();
        Set(rs, "Id", 7L);
        rs.Update();
        rs.Close();
        db.Close();
    }
};

TEST_F(DaoEngineTest, CreateRefusesAnExistingFile)
{
    std::ofstream(PathOf("there.mdb")) << "x";
    EXPECT_EQ(JetErrorOf([&] { NewDatabase("there.mdb"); }), 3204);
    std::ifstream in(PathOf("there.mdb"));
    std::string content;
    in >> content;
    EXPECT_EQ(content, "x"); // the file is left as it was
}

TEST_F(DaoEngineTest, OpeningAMissingFileFails)
{
    EXPECT_EQ(JetErrorOf([&] { Workspace().OpenDatabase(PathOf("none.mdb").c_str(), TRUE, FALSE, "MS Access"); }),
              3024);
}

TEST_F(DaoEngineTest, ASecondConnectionToAnExclusiveFileFailsAtOnceWithFileInUse)
{
    MakeDatabase("a.mdb", dbLangGeneral);
    CdbWorkspace ws = Workspace();
    CdbDatabase first = ws.OpenDatabase(PathOf("a.mdb").c_str(), TRUE, FALSE, "MS Access");
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("a.mdb").c_str(), TRUE, FALSE, "MS Access"); }), 3045);
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("a.mdb").c_str(), FALSE, TRUE, "MS Access"); }), 3045);
    // The first connection still works after the refused ones.
    CdbRecordset rs = first.OpenRecordset("T");
    EXPECT_EQ(LongOf(rs.GetField("Id")), 7);
    rs.Close();
    first.Close();
    CdbDatabase again = ws.OpenDatabase(PathOf("a.mdb").c_str(), TRUE, FALSE, "MS Access");
    again.Close();
}

TEST_F(DaoEngineTest, AnotherProcessCannotOpenAnExclusiveFile)
{
    MakeDatabase("a.mdb", dbLangGeneral);
    CdbDatabase first = Workspace().OpenDatabase(PathOf("a.mdb").c_str(), TRUE, FALSE, "MS Access");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LONG error = JetErrorOf([&] {
            CdbDBEngine engine;
            engine.CreateWorkspace("ws", "admin", "").OpenDatabase(PathOf("a.mdb").c_str(), TRUE, TRUE, "MS Access");
        });
        _exit(error == 3045 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    first.Close();
}

TEST_F(DaoEngineTest, TheRightPasswordOpensAndAWrongOneFailsAsJetDoes)
{
    MakeDatabase("p.mdb", ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Secret1");
    CdbWorkspace ws = Workspace();
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("p.mdb").c_str(), TRUE, FALSE, "MS Access;pwd=secret1"); }),
              3031);
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("p.mdb").c_str(), TRUE, FALSE, "MS Access"); }), 3031);
    CdbLastOLEError error;
    EXPECT_STREQ(error.GetDescription(), "Not a valid password.");
    EXPECT_STREQ(error.GetSource(), "DAO.Workspace");
    CdbDatabase db = ws.OpenDatabase(PathOf("p.mdb").c_str(), TRUE, FALSE, "MS Access;pwd=Secret1");
    db.Close();
}

TEST_F(DaoEngineTest, ThePasswordIsNotKeptInTheFile)
{
    MakeDatabase("p.mdb", ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Xyzzy4711");
    std::ifstream in(PathOf("p.mdb"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find("Xyzzy4711"), std::string::npos);
}

TEST_F(DaoEngineTest, AFileThatIsNoDatabaseOfThisEngineHasANumberOfItsOwn)
{
    {
        std::ofstream out(PathOf("jet.mdb"), std::ios::binary);
        out << "Standard Jet DB" << std::string(4000, '\x01');
    }
    std::ofstream(PathOf("empty.mdb")).close();
    CdbWorkspace ws = Workspace();
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("jet.mdb").c_str(), TRUE, TRUE, "MS Access"); }), 3343);
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("empty.mdb").c_str(), TRUE, FALSE, "MS Access"); }), 3343);
    // A refused file may be opened by the next attempt: nothing stays held.
    EXPECT_EQ(JetErrorOf([&] { ws.OpenDatabase(PathOf("jet.mdb").c_str(), TRUE, TRUE, "MS Access"); }), 3343);
}

TEST_F(DaoEngineTest, AFileIsDamagedOnlyWhenItsMarkCanBeRead)
{
    MakeDatabase("a.mdb", dbLangGeneral);
    std::string bytes;
    {
        std::ifstream in(PathOf("a.mdb"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 4 * 4096u);
    const size_t last = bytes.size() - 4096; // the page of table T, which no open reads
    std::string tableDamaged = bytes;
    tableDamaged.replace(last, 12, 12, '\x5A');
    std::string headerDamaged = bytes;
    headerDamaged.replace(100, 12, 12, '\x5A');
    const std::pair<std::string, LONG> cases[] = {
        {tableDamaged, 3049},
        {bytes.substr(0, last), 3049}, // cut short: SQLite refuses it at its first page
        {headerDamaged, 3343},         // nothing leads to the mark any more
    };
    for (const auto &[contents, error] : cases) {
        std::ofstream(PathOf("a.mdb"), std::ios::binary | std::ios::trunc) << contents;
        EXPECT_EQ(JetErrorOf([&] { Workspace().OpenDatabase(PathOf("a.mdb").c_str(), TRUE, TRUE, "MS Access"); }),
                  error);
    }
}

TEST_F(DaoEngineTest, OnlyAFileAsTheEngineLeftItOpensUnchecked)
{
    // The file's digest lies in its header; damage to it leaves a file whose pages are
    // checked, and found sound. A connection that only reads it leaves it as it was.
    MakeDatabase("d.mdb", dbLangGeneral);
    std::string bytes;
    {
        std::ifstream in(PathOf("d.mdb"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(bytes.size(), 4 * 4096u);
    std::string digestDamaged = bytes;
    digestDamaged.replace(60, 4, 4, '\x5A');
    digestDamaged.replace(68, 4, 4, '\x5A');
    std::ofstream(PathOf("d.mdb"), std::ios::binary | std::ios::trunc) << digestDamaged;
    {
        CdbDatabase db = Workspace().OpenDatabase(PathOf("d.mdb").c_str(), TRUE, FALSE, "MS Access");
        EXPECT_EQ(LongOf(db.OpenRecordset("T").GetField("Id")), 7);
        db.Close();
    }
    {
        std::ifstream in(PathOf("d.mdb"), std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == digestDamaged);
    }

    // Damage that comes while the file is open, and that a read finds, is not taken
    // for the file's state at the close, though the connection changed the file.
    CdbDatabase db = Workspace().OpenDatabase(PathOf("d.mdb").c_str(), TRUE, FALSE, "MS Access");
    CdbTableDef added = db.CreateTableDef("U");
    AddField(added, "X", dbLong);
    db.TableDefs.Append(added);
    {
        std::fstream out(PathOf("d.mdb"), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(static_cast<std::streamoff>(bytes.size() - 4096)); // the page of table T
        out << std::string(12, '\x5A');
    }
    EXPECT_EQ(JetErrorOf([&] { db.OpenRecordset("T"); }), 3049);
    db.Close();
    EXPECT_EQ(JetErrorOf([&] { Workspace().OpenDatabase(PathOf("d.mdb").c_str(), TRUE, TRUE, "MS Access"); }), 3049);
}

TEST_F(DaoEngineTest, ADatabaseOpenedReadOnlyRefusesChanges)
{
    MakeDatabase("r.mdb", dbLangGeneral);
    CdbDatabase db = Workspace().OpenDatabase(PathOf("r.mdb").c_str(), TRUE, TRUE, "MS Access");
    CdbRecordset rs = db.OpenRecordset("T");
    EXPECT_EQ(LongOf(rs.GetField("Id")), 7);
    EXPECT_EQ(JetErrorOf([&] { rs.AddNew(); }), 3027);
    EXPECT_EQ(JetErrorOf([&] { rs.Edit(); }), 3027);
    EXPECT_EQ(JetErrorOf([&] { db.CreateQueryDef("Q", "SELECT * FROM T"); }), 3027);
    db.Close();
}

TEST_F(DaoEngineTest, OnlyJetsDefaultAccountOpensAWorkspace)
{
    EXPECT_EQ(JetErrorOf([&] { m_engine.CreateWorkspace("ws", "guest", ""); }), 3029);
    EXPECT_EQ(JetErrorOf([&] { m_engine.CreateWorkspace("ws", "Admin", "x"); }), 3029);
    m_engine.CreateWorkspace("wsJet", "admin", "", dbUseJet);
}

TEST_F(DaoEngineTest, RollbackUndoesAndCommitKeepsWhatATransactionWrote)
{
    CdbWorkspace ws = Workspace();
    CdbDatabase db = ws.CreateDatabase(PathOf("t.mdb").c_str(), dbLangGeneral, dbEncrypt);
    CdbTableDef table = db.CreateTableDef("T");
    AddField(table, "Id", dbLong);
    db.TableDefs.Append(table);
    CdbRecordset rs = db.OpenRecordset("T");

    ws.BeginTrans();
    rs.AddNew();
    Set(rs, "Id", 1L);
    rs.Update();
    ws.BeginTrans(); // nested
    rs.AddNew();
    Set(rs, "Id", 2L);
    rs.Update();
    ws.Rollback();
    EXPECT_EQ(rs.GetRecordCount(), 1);
    ws.CommitTrans();
    EXPECT_EQ(JetErrorOf([&] { ws.CommitTrans(); }), 3034);

    ws.BeginTrans();
    rs.AddNew();
    Set(rs, "Id", 3L);
    rs.Update();
    ws.Rollback();
    rs.Close();
    db.Close();

    db = ws.OpenDatabase(PathOf("t.mdb").c_str(), TRUE, FALSE, "MS Access");
    rs = db.OpenRecordset("T");
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(LongOf(rs.GetField("Id")), 1);
    db.Close();
}

TEST_F(DaoEngineTest, ACommitThatFailsLeavesTheTransactionToRollBack)
{
    MakeDatabase("c.mdb", dbLangGeneral);
    CdbWorkspace ws = Workspace();
    CdbDatabase db = ws.OpenDatabase(PathOf("c.mdb").c_str(), FALSE, FALSE, "MS Access");
    CdbRecordset rs = db.OpenRecordset("T");
    ws.BeginTrans();
    rs.AddNew();
    Set(rs, "Id", 8L);
    rs.Update();
    {
        // Another program reading the file keeps the commit from writing it.
        sqlite3 *reader = nullptr;
        ASSERT_EQ(sqlite3_open_v2(PathOf("c.mdb").c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt *read = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM sqlite_master", -1, &read, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
        EXPECT_NE(JetErrorOf([&] { ws.CommitTrans(); }), 0);
        sqlite3_finalize(read);
        sqlite3_close(reader);
    }
    // Still open, it is rolled back, and the next transaction is not nested inside it.
    EXPECT_EQ(JetErrorOf([&] { ws.Rollback(); }), 0);
    ws.BeginTrans();
    rs.AddNew();
    Set(rs, "Id", 9L);
    rs.Update();
    ws.CommitTrans();
    EXPECT_EQ(JetErrorOf([&] { ws.Rollback(); }), 3034);
    rs.Close();
    db.Close();

    db = ws.OpenDatabase(PathOf("c.mdb").c_str(), TRUE, TRUE, "MS Access");
    rs = db.OpenRecordset("SELECT Id FROM T ORDER BY Id", dbOpenSnapshot);
    std::vector<LONG> ids;
    for (; !rs.IsEOF(); rs.MoveNext())
        ids.push_back(LongOf(rs.GetField("Id")));
    EXPECT_EQ(ids, (std::vector<LONG>{7, 9}));
    db.Close();
}

TEST_F(DaoEngineTest, AProcessKilledInsideATransactionLeavesTheLastCommittedState)
{
    {
        CdbDatabase db = NewDatabase("k.mdb");
        CdbTableDef table = db.CreateTableDef("T");
        AddField(table, "Id", dbLong);
        AddField(table, "Name", dbText);
        db.TableDefs.Append(table);
        db.Close();
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CdbDBEngine engine;
        CdbWorkspace ws = engine.CreateWorkspace("ws", "admin", "");
        CdbDatabase db = ws.OpenDatabase(PathOf("k.mdb").c_str(), TRUE, FALSE, "MS Access");
        CdbRecordset rs = db.OpenRecordset("T");
        rs.AddNew();
        Set(rs, "Id", 1L);
        rs.Update();
        ws.BeginTrans();
        // More than the page cache holds, so that pages reach the file.
        for (LONG i = 2; i < 80000; ++i) {
            rs.AddNew();
            Set(rs, "Id", i);
            Set(rs, "Name", std::string(250, 'n').c_str());
            rs.Update();
        }
        _exit(0); // dies with the transaction open, leaving a hot journal
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(std::filesystem::exists(PathOf("k.mdb-journal")));
    CdbDatabase db = Workspace().OpenDatabase(PathOf("k.mdb").c_str(), TRUE, FALSE, "MS Access");
    CdbRecordset rs = db.OpenRecordset("T");
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(LongOf(rs.GetField("Id")), 1);
    db.Close();
    EXPECT_FALSE(std::filesystem::exists(PathOf("k.mdb-journal")));
}

TEST_F(DaoEngineTest, ClosingADatabaseClosesItsRecordsets)
{
    CdbDatabase db = NewDatabase();
    CdbTableDef table = db.CreateTableDef("T");
    AddField(table, "Id", dbLong);
    db.TableDefs.Append(table);
    CdbRecordset rs = db.OpenRecordset("T");
    db.Close();
    EXPECT_EQ(JetErrorOf([&] { rs.AddNew(); }), 3420);
    EXPECT_EQ(JetErrorOf([&] { db.OpenRecordset("T"); }), 3420);
}

} // namespace
