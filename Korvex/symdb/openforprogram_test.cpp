// Opening the symbol database of a program file: kept while it still describes the
// file, rebuilt when it is stale or damaged, left alone when it is not ours to delete.
#include "qeldatabase.h"

#include "dbfilename.h"
#include "qeldbexception.h"
#include "symboltables.h"
#include "symdbtesting.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

class OpenForProgramTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_program = PathOf("prog.elf");
        WriteFile(m_program, "ELF image");
        m_database = PathOf("prog.mdb");
    }

    // What a finished load leaves: the Program row of the file, one section and a
    // module that tells this database from a rebuilt one.
    static void MarkLoaded(CQelDatabase &db, const CString &program, BOOL analyzed = TRUE, BOOL withSection = TRUE)
    {
        CFileStatus status;
        ASSERT_TRUE(CFile::GetStatus(program, status));
        CDBProgram row(db.GetDatabase());
        row.AddNew();
        row.m_ProgramIndex = 1;
        row.m_Name = status.m_szFullName;
        row.m_Source = program;
        row.m_ModifiedTime = COleDateTime(status.m_mtime);
        row.m_Analyzed = analyzed;
        row.Update();
        if (withSection) {
            CDBSectionsBinary section(db.GetDatabase());
            section.AddNew();
            section.m_SectionIndex = 1;
            section.m_Name = ".text";
            section.Update();
        }
        CDBModuls modul(db.GetDatabase());
        modul.AddNew();
        modul.m_ModulIndex = 1;
        modul.m_Name = "kept.c";
        modul.Update();
    }

    static BOOL HasMarker(CQelDatabase &db)
    {
        CDBModuls modul(db.GetDatabase());
        modul.Open();
        return !modul.IsEOF();
    }

    // A database that a finished load of the program left.
    void MakeLoadedDatabase(BOOL analyzed = TRUE, BOOL withSection = TRUE)
    {
        CQelDatabase db;
        ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
        MarkLoaded(db, m_program, analyzed, withSection);
    }

    // TRUE when the next load keeps the database, FALSE when it builds it anew.
    BOOL NextLoadKeeps(BOOL rebuild = FALSE)
    {
        CQelDatabase db;
        EXPECT_TRUE(db.OpenForProgram(m_program, m_program, rebuild));
        EXPECT_TRUE(db.IsOpen());
        EXPECT_STREQ(db.m_strPath, m_database);
        CDBVersion version(db.GetDatabase());
        version.Open();
        EXPECT_EQ(version.m_Version, 214);
        return HasMarker(db);
    }

    // Runs SQL on the file as plain SQLite, as another tool would.
    static void RunSql(const CString &path, const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path, &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    static std::string Contents(const CString &path)
    {
        std::ifstream in(static_cast<LPCTSTR>(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The error of a load that must fail, with its description.
    UINT LoadError(CString *description, BOOL rebuild = FALSE)
    {
        CQelDatabase db;
        try {
            db.OpenForProgram(m_program, m_program, rebuild);
        } catch (CQeldbException *e) {
            UINT code = e->m_nErrorCode;
            *description = e->m_strDescription;
            e->Delete();
            EXPECT_FALSE(db.IsOpen());
            return code;
        }
        return 0;
    }

    CString m_program;
    CString m_database;
};

TEST_F(OpenForProgramTest, ANewDatabaseLiesBesideTheProgramUnderItsName)
{
    CQelDatabase db;
    ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
    EXPECT_STREQ(db.m_strPath, m_database);
    EXPECT_TRUE(Exists(m_database));
    CDBProgram program(db.GetDatabase());
    EXPECT_EQ(program.GetRecordCount(), 0);
}

TEST_F(OpenForProgramTest, TheExtensionIsCutInTheFileNameOnly)
{
    std::filesystem::create_directory(m_folder / "build.d");
    CString program = PathOf("build.d/prog");
    WriteFile(program, "image");
    CQelDatabase db;
    ASSERT_TRUE(db.OpenForProgram(program, program, FALSE));
    EXPECT_STREQ(db.m_strPath, PathOf("build.d/prog.mdb"));
}

TEST_F(OpenForProgramTest, AProgramInADeepFolderGetsADatabaseThatIsKept)
{
    std::filesystem::path deep = m_folder;
    for (int level = 0; level < 6; ++level)
        deep /= std::string(60, static_cast<char>('a' + level));
    std::filesystem::create_directories(deep);
    m_program = CString((deep / "prog.elf").string().c_str());
    m_database = CString((deep / "prog.mdb").string().c_str());
    ASSERT_GT(m_program.GetLength(), 360);
    WriteFile(m_program, "ELF image");
    MakeLoadedDatabase();
    EXPECT_TRUE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, ADatabaseThatDescribesTheProgramIsKept)
{
    MakeLoadedDatabase();
    EXPECT_TRUE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, RebuildAlwaysBuildsAnew)
{
    MakeLoadedDatabase();
    EXPECT_FALSE(NextLoadKeeps(TRUE));
}

TEST_F(OpenForProgramTest, AnotherSchemaVersionIsRebuilt)
{
    for (LONG version : {213, 215}) {
        SCOPED_TRACE(version);
        MakeLoadedDatabase();
        {
            CQelDatabase db;
            ASSERT_TRUE(db.Open(m_database, TRUE, FALSE));
            CDBVersion row(db.GetDatabase());
            row.Edit();
            row.m_Version = version;
            row.Update();
        }
        EXPECT_FALSE(NextLoadKeeps());
        ASSERT_EQ(remove(m_database), 0);
    }
}

TEST_F(OpenForProgramTest, ADatabaseThatAnOlderBuildWroteIsRebuilt)
{
    // A build before the Writers row had no such table; later ones mark the schema
    // and the readers they wrote with.
    const std::string noWriters = std::string("DELETE FROM MSysDaoFields WHERE TableName = 'Writers';") +
                                  "DELETE FROM MSysDaoIndexes WHERE TableName = 'Writers'; DROP TABLE Writers";
    const char *const olderBuilds[] = {noWriters.c_str(), "UPDATE Writers SET Schema = Schema - 1",
                                       "UPDATE Writers SET Readers = Readers - 1", "DELETE FROM Writers"};
    for (const char *olderBuild : olderBuilds) {
        SCOPED_TRACE(olderBuild);
        MakeLoadedDatabase();
        RunSql(m_database, olderBuild);
        EXPECT_FALSE(NextLoadKeeps());
        ASSERT_EQ(remove(m_database), 0);
    }
}

// The indexes of a file, as SQLite makes them and as the engine's catalog keeps them.
std::string IndexesOf(const CString &path)
{
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string text;
    auto collect = [](void *out, int columns, char **values, char **) {
        for (int c = 0; c < columns; ++c)
            *static_cast<std::string *>(out) += std::string(values[c] ? values[c] : "NULL") + "|";
        *static_cast<std::string *>(out) += "\n";
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db,
                           "SELECT name, sql FROM sqlite_master WHERE type = 'index' ORDER BY name;"
                           "SELECT * FROM MSysDaoIndexes ORDER BY TableName, IndexName, Position",
                           collect, &text, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return text;
}

TEST_F(OpenForProgramTest, ADatabaseBuiltForALoadIsKeptOnceTheLoadHasMadeItsIndexes)
{
    // A load that never made them (a process that died after committing its rows, say)
    // left a database whose stored queries would read whole tables.
    {
        CQelDatabase db;
        db.SetIndexesAfterLoad(TRUE);
        ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
        MarkLoaded(db, m_program);
    }
    EXPECT_FALSE(NextLoadKeeps());
    const std::string builtWhole = IndexesOf(m_database);
    ASSERT_EQ(remove(m_database), 0);

    {
        CQelDatabase db;
        db.SetIndexesAfterLoad(TRUE);
        ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
        MarkLoaded(db, m_program);
        db.MakeLoadIndexes();
        db.MakeLoadIndexes(); // made once
    }
    EXPECT_EQ(IndexesOf(m_database), builtWhole);
    EXPECT_TRUE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, AProgramFileWrittenAgainWithinTheSameSecondIsRebuilt)
{
    MakeLoadedDatabase();
    struct stat st;
    ASSERT_EQ(stat(m_program, &st), 0);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1000) % 1000000000;
    ASSERT_EQ(utimensat(AT_FDCWD, m_program, times, 0), 0);
    EXPECT_FALSE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, AnotherProgramFileOfTheSameNameIsRebuilt)
{
    MakeLoadedDatabase();
    std::filesystem::create_directory(m_folder / "other");
    CString other = PathOf("other/prog.elf");
    WriteFile(other, "ELF image");
    CQelDatabase db;
    ASSERT_TRUE(db.OpenForProgram(m_program, other, FALSE)); // base path unchanged
    EXPECT_FALSE(HasMarker(db));
}

TEST_F(OpenForProgramTest, AnUnfinishedLoadIsRebuilt)
{
    MakeLoadedDatabase(FALSE, TRUE);
    EXPECT_FALSE(NextLoadKeeps());
    ASSERT_EQ(remove(m_database), 0);
    MakeLoadedDatabase(TRUE, FALSE);
    EXPECT_FALSE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, ADatabaseWithAnotherPasswordIsRebuilt)
{
    CdbDBEngine engine;
    engine.CreateWorkspace("ws", "admin", "").CreateDatabase(m_database, dbLangGeneral ";pwd=other", 0).Close();
    EXPECT_FALSE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, ADatabaseWithoutTheTablesIsRebuilt)
{
    // The password of its name, but none of the tables.
    CdbDBEngine engine;
    engine.CreateWorkspace("ws", "admin", "")
        .CreateDatabase(m_database, CString(dbLangGeneral) + PasswordClause(m_database), 0)
        .Close();
    EXPECT_FALSE(NextLoadKeeps());
}

// A query changed by one byte, or lost, would fail or mislead every request that runs
// it; a catalog table lost leaves the file unreadable. Either is damage to a file of
// ours, which the password tells.
TEST_F(OpenForProgramTest, ADatabaseOfOursWithAStoredQueryOrItsCatalogDamagedIsRebuilt)
{
    const char *damages[] = {
        "UPDATE MSysDaoQueries SET SQL = substr(SQL, 1, 40) || 'X' || substr(SQL, 42) WHERE Name = 'FunctionByName'",
        "UPDATE MSysDaoQueries SET Name = 'FunctionByNamf' WHERE Name = 'FunctionByName'",
        "DELETE FROM MSysDaoQueries WHERE Name = 'FunctionByName'",
        "DROP TABLE MSysDaoIndexes",
    };
    for (const char *damage : damages) {
        SCOPED_TRACE(damage);
        MakeLoadedDatabase();
        RunSql(m_database, damage);
        EXPECT_FALSE(NextLoadKeeps());
        ASSERT_EQ(remove(m_database), 0);
    }
}

TEST_F(OpenForProgramTest, ADatabaseOfOursDamagedPastItsMarkIsRebuilt)
{
    // Cut short, or with pages that the check of the Version, Program and Sections rows
    // never reads (the last ones, of the Symbols and Types tables) overwritten.
    for (bool truncated : {true, false}) {
        MakeLoadedDatabase();
        std::string bytes = Contents(m_database);
        ASSERT_GT(bytes.size(), 40u * 4096);
        const size_t from = bytes.size() - 4 * 4096;
        if (truncated)
            bytes.resize(from);
        for (size_t i = from; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(0xA5 ^ i);
        WriteFile(m_database, bytes);
        try { EXPECT_FALSE(NextLoadKeeps()); } catch (CQeldbException *e) { ADD_FAILURE() << e->m_nErrorCode << e->m_strSource << e->m_strDescription; }
        ASSERT_EQ(remove(m_database), 0);
    }
}

TEST_F(OpenForProgramTest, AFileWhoseDamageHidesTheMarkIsLeftAloneAndSaidPerhapsDamaged)
{
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(PathOf("other.db"), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "CREATE TABLE t(x); CREATE TABLE u(y); CREATE INDEX ux ON u(y);"
                           "INSERT INTO t VALUES(randomblob(9000)); INSERT INTO u VALUES('notes');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    const std::string foreign = Contents(PathOf("other.db"));
    MakeLoadedDatabase();
    const std::string ours = Contents(m_database);
    auto overwritten = [](std::string bytes, size_t at) { return bytes.replace(at, 12, 12, '\x5A'); };
    const std::string files[] = {
        overwritten(foreign, 100),        // the header of the first page's tree
        overwritten(foreign, 4096 - 12),  // the first page's cells
        foreign.substr(0, 2 * 4096),      // cut short
        overwritten(ours, 0),             // the file's header
        overwritten(ours, 100),
    };
    for (const std::string &bytes : files) {
        WriteFile(m_database, bytes);
        CString description;
        EXPECT_EQ(LoadError(&description), 3343u);
        EXPECT_GE(description.Find(m_database), 0);
        EXPECT_GE(description.Find("damaged"), 0);
        EXPECT_TRUE(Contents(m_database) == bytes) << "the file was changed";
    }
}

TEST_F(OpenForProgramTest, AnEmptyFileLeftByACreationIsRebuilt)
{
    WriteFile(m_database, "");
    EXPECT_FALSE(NextLoadKeeps());
}

TEST_F(OpenForProgramTest, ADatabaseInUseIsLeftAloneAndReported)
{
    MakeLoadedDatabase();
    CQelDatabase holder;
    ASSERT_TRUE(holder.Open(m_database, TRUE, FALSE));
    CString description;
    EXPECT_EQ(LoadError(&description), 3045u);
    EXPECT_GE(description.Find("in use"), 0);
    EXPECT_GE(description.Find(m_database), 0);
    EXPECT_TRUE(HasMarker(holder));
}

TEST_F(OpenForProgramTest, AFileThatIsNoSymbolDatabaseIsLeftAloneAndNamed)
{
    const std::string users[] = {
        "my notes, not a database",
        std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(2048, '\x11'), // a Jet file
    };
    for (const std::string &contents : users) {
        WriteFile(m_database, contents);
        CString description;
        EXPECT_EQ(LoadError(&description), 3343u);
        EXPECT_GE(description.Find(m_database), 0);
        EXPECT_EQ(Contents(m_database), contents);
    }
}

TEST_F(OpenForProgramTest, AnSqliteFileOfAnotherToolIsLeftAlone)
{
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(m_database, &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    std::string before = Contents(m_database);
    CString description;
    EXPECT_EQ(LoadError(&description), 3343u);
    EXPECT_EQ(Contents(m_database), before);
}

// SQLite writes to a file as it opens it when a log or a hot journal lies beside it;
// the file is found to be foreign before, and stays as it was with its companions.
TEST_F(OpenForProgramTest, AForeignSqliteFileWithALogOrAHotJournalIsLeftByteForByte)
{
    const CString log = m_database + "-wal";
    const CString journal = m_database + "-journal";
    auto withLog = [&] {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(m_database, &db), SQLITE_OK);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        ASSERT_FALSE(Contents(log).empty());
    };
    auto withHotJournal = [&] {
        RunSql(m_database, "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // More than the cache holds, so that changed pages reach the file; the
            // process dies inside the transaction.
            sqlite3 *db = nullptr;
            sqlite3_open(m_database, &db);
            sqlite3_exec(db,
                         "PRAGMA cache_size=2; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 400) INSERT INTO t SELECT randomblob(3000) FROM n;",
                         nullptr, nullptr, nullptr);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const std::string hot = Contents(journal);
        ASSERT_TRUE(!hot.empty() && hot[0] != '\0');
    };
    auto withMarkAlone = [&] {
        RunSql(m_database, "CREATE TABLE MSysDaoInfo(Name TEXT PRIMARY KEY, Value TEXT NOT NULL);"
                           "INSERT INTO MSysDaoInfo VALUES('Format', 'Qelvane DAO 1');");
    };
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"a log not checkpointed", withLog},
        {"a hot journal", withHotJournal},
        {"the mark of the engine without its catalog", withMarkAlone},
    };
    for (const auto &[what, make] : cases) {
        SCOPED_TRACE(what);
        for (const CString &path : {m_database, log, journal})
            remove(path);
        make();
        const std::string before[] = {Contents(m_database), Contents(log), Contents(journal)};
        CString description;
        EXPECT_EQ(LoadError(&description), 3343u);
        EXPECT_GE(description.Find("is not a symbol database"), 0) << static_cast<LPCTSTR>(description);
        EXPECT_TRUE(Contents(m_database) == before[0]) << "the file was changed";
        EXPECT_TRUE(Contents(log) == before[1]) << "the log was changed";
        EXPECT_TRUE(Contents(journal) == before[2]) << "the journal was changed";
        EXPECT_EQ(std::filesystem::exists(static_cast<LPCTSTR>(log)), !before[1].empty());
        EXPECT_EQ(std::filesystem::exists(static_cast<LPCTSTR>(journal)), !before[2].empty());
    }
}

TEST_F(OpenForProgramTest, ADatabaseOfAnotherToolIsLeftAlone)
{
    // A database of the same engine, with no password, as other tools make them.
    {
        CdbDBEngine engine;
        CdbDatabase other = engine.CreateWorkspace("ws", "admin", "").CreateDatabase(m_database, dbLangGeneral, 0);
        CdbTableDef table = other.CreateTableDef("Notes");
        CdbField field = table.CreateField("Text", dbText, 255);
        table.Fields.Append(field);
        other.TableDefs.Append(table);
        other.Close();
    }
    std::string before = Contents(m_database);
    for (BOOL rebuild : {FALSE, TRUE}) {
        CString description;
        EXPECT_EQ(LoadError(&description, rebuild), 3343u);
        EXPECT_GE(description.Find(m_database), 0);
        EXPECT_EQ(Contents(m_database), before);
    }
    // Damaged past its mark, it is still another tool's.
    std::string damaged = before;
    damaged.replace(damaged.size() - 4096, 12, 12, '\x5A'); // the page of its table
    WriteFile(m_database, damaged);
    CString description;
    EXPECT_EQ(LoadError(&description), 3343u);
    EXPECT_TRUE(Contents(m_database) == damaged);
}

} // namespace
