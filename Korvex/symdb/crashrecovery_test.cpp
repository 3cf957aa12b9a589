// A process killed while it writes a symbol database leaves the last committed state:
// the next open either accepts the database as it was before the pass began, or
// rebuilds it, and its queries answer no half-written module.
#include "qeldbexception.h"
#include "qelquerydef.h"
#include "symbolwriters.h"
#include "symdbtesting.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const LONG kModuls = 2;

class CrashRecoveryTest : public symdbtest::FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        m_program = PathOf("prog.elf");
        WriteFile(m_program, "ELF image");
        m_database = PathOf("prog.mdb");
    }

    // The globals pass of a load: the program row, a section, the modules unread.
    void WriteGlobals(CQelDatabase &db)
    {
        CFileStatus status;
        ASSERT_TRUE(CFile::GetStatus(m_program, status));
        CDBProgram program(db.GetDatabase());
        program.AddNew();
        program.m_ProgramIndex = 1;
        program.m_Name = status.m_szFullName;
        program.m_Source = m_program;
        program.m_ModifiedTime = COleDateTime(status.m_mtime);
        program.m_Analyzed = TRUE;
        program.Update();
        CDBSectionsBinary section(db.GetDatabase());
        section.AddNew();
        section.m_SectionIndex = 1;
        section.m_Name = ".text";
        section.m_Type = 1;
        section.m_AddressMode = 1;
        section.m_AddressValue = 0x1000;
        section.m_Length = 0x10000;
        section.Update();
        CDBModuls moduls(db.GetDatabase());
        for (LONG m = 1; m <= kModuls; ++m) {
            moduls.AddNew();
            moduls.m_ModulIndex = m;
            moduls.m_Name.Format("m%d.c", static_cast<int>(m));
            moduls.Update();
        }
    }

    // One module's pass: its symbols, then its row marked read. `tick` is called every
    // 10,000 rows; a pass with no limit runs until the process is killed.
    static void ReadModul(CQelDatabase &db, LONG modul, LONG rows, void (*tick)())
    {
        CDBSymbolInfo symbols(db.GetDatabase());
        for (LONG i = 0; rows < 0 || i < rows; ++i) {
            CString name;
            name.Format("symbol_%d_%08d", static_cast<int>(modul), static_cast<int>(i));
            WriteGlobalSymbol({modul, name, modul, {i & 0xFFFF, 1, 0x20000 + i, 0}}, symbols, FALSE);
            if (tick && i % 10000 == 9999)
                tick();
        }
        CDBModuls moduls(db.GetDatabase());
        moduls.SetCurrentIndex("ModulIndexKey");
        CdbVariant key(modul);
        if (moduls.Seek("=", &key)) {
            moduls.Edit();
            moduls.m_Analyzed = TRUE;
            moduls.Update();
        }
    }

    static LONG CountOf(CQelDatabase &db, LONG modul)
    {
        CQelQueryDef q(db.GetDatabase());
        q.Open("$GlobalsAndStaticsOfModul");
        q.SetParameter("_ModulIndex", CdbVariant(modul));
        CDBSymbolInfo rs(db.GetDatabase());
        rs.OpenQueryDef(q);
        LONG count = 0;
        for (; !rs.IsEOF(); rs.MoveNext())
            ++count;
        return count;
    }

    static BOOL IsRead(CQelDatabase &db, LONG modul)
    {
        CDBModuls moduls(db.GetDatabase());
        moduls.SetCurrentIndex("ModulIndexKey");
        CdbVariant key(modul);
        return moduls.Seek("=", &key) && moduls.m_Analyzed;
    }

    off_t FileSize() const
    {
        struct stat st;
        return stat(m_database, &st) == 0 ? st.st_size : -1;
    }

    // Runs `pass` in a child process and kills it once it has written enough that
    // uncommitted pages reach the file (or after a generous number of rows anyway).
    template <class Pass>
    void KillDuring(Pass pass)
    {
        int ticks[2];
        ASSERT_EQ(pipe(ticks), 0);
        off_t before = FileSize();
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ticks[0]);
            s_tickFd = ticks[1];
            try {
                pass();
            } catch (CQeldbException *e) {
                e->Delete();
            }
            _exit(1); // the pass must not end by itself
        }
        close(ticks[1]);
        char tick;
        int count = 0;
        bool grown = false;
        while (read(ticks[0], &tick, 1) == 1 && ++count < 200) {
            if (FileSize() > before + 4 * 1024 * 1024) {
                grown = true;
                break;
            }
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(ticks[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_TRUE(grown) << "the pass never wrote uncommitted pages into the file";
    }

    static void Tick()
    {
        char tick = 't';
        if (write(s_tickFd, &tick, 1) != 1)
            _exit(2);
    }

    static int s_tickFd;
    CString m_program;
    CString m_database;
};

int CrashRecoveryTest::s_tickFd = -1;

TEST_F(CrashRecoveryTest, AModuleReadThatDiesLeavesTheDatabaseAsItWasBefore)
{
    {
        CQelDatabase db;
        ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
        db.BeginTrans();
        WriteGlobals(db);
        db.CommitTrans();
        db.BeginTrans();
        ReadModul(db, 1, 1000, nullptr);
        db.CommitTrans();
    }
    KillDuring([this] {
        CQelDatabase db;
        if (!db.OpenForProgram(m_program, m_program, FALSE))
            _exit(3);
        db.BeginTrans();
        ReadModul(db, 2, -1, Tick);
    });
    CQelDatabase db;
    ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
    EXPECT_EQ(CountOf(db, 1), 1000); // kept: the database was accepted
    EXPECT_TRUE(IsRead(db, 1));
    EXPECT_EQ(CountOf(db, 2), 0);
    EXPECT_FALSE(IsRead(db, 2));
    // The module can be read now, whole.
    db.BeginTrans();
    ReadModul(db, 2, 10, nullptr);
    db.CommitTrans();
    EXPECT_EQ(CountOf(db, 2), 10);
}

TEST_F(CrashRecoveryTest, AFirstLoadThatDiesIsBuiltAnewNextTime)
{
    KillDuring([this] {
        CQelDatabase db;
        if (!db.OpenForProgram(m_program, m_program, FALSE))
            _exit(3);
        db.BeginTrans();
        WriteGlobals(db);
        ReadModul(db, 1, -1, Tick);
    });
    CQelDatabase db;
    ASSERT_TRUE(db.OpenForProgram(m_program, m_program, FALSE));
    CDBProgram program(db.GetDatabase());
    EXPECT_EQ(program.GetRecordCount(), 0);
    EXPECT_EQ(CountOf(db, 1), 0);
}

} // namespace
