#include "qeldatabase.h"

#include "dbfilename.h"
#include "dbschema.h"
#include "qeldbexception.h"
#include "symboltables.h"
#include "symdbstrings.h"

#include <stringtext.h>

#include <cstdio>

namespace {

const char kSource[] = "Korvex.SymbolDatabase";

// The Jet errors by which OpenForProgram tells what lies at the database's path.
enum : UINT {
    kBadPassword = 3031,  // a database of this engine with another password
    kFileInUse = 3045,    // another connection holds it
    kDamaged = 3049,
    kNoPermission = 3051,
    kForeignFile = 3343,  // no database of this engine
};

CString ForeignFileText(const CString &path)
{
    return path + " is not a symbol database of this debugger, or it is one that is damaged. It is left as it is; "
                  "move or delete it to load the program file.";
}

} // namespace

CQelDatabase::CQelDatabase()
    : m_pDatabase(nullptr), m_pWorkspace(nullptr), m_pEngine(nullptr), m_bOpen(FALSE), m_bBuilt(FALSE),
      m_bIndexesAfterLoad(FALSE), m_bLoadIndexesMissing(FALSE)
{
}

CQelDatabase::~CQelDatabase()
{
    Close(FALSE);
}

void CQelDatabase::CreateObjects()
{
    QeldbCall([&] {
        if (!m_pEngine)
            m_pEngine = new CdbDBEngine(FALSE, TRUE, nullptr, nullptr, nullptr, dbUseJet);
        if (!m_pWorkspace)
            m_pWorkspace = new CdbWorkspace(
                m_pEngine->CreateWorkspace(LoadStringText(IDS_DB_WORKSPACE), LoadStringText(IDS_DB_USER), "", dbUseJet));
        if (!m_pDatabase)
            m_pDatabase = new CdbDatabase;
    });
}

void CQelDatabase::Close(BOOL keepObjects)
{
    // Closing is what the error paths do: it must not throw. A DAO database that fails
    // to close has nothing left to lose, since it holds no unwritten data of ours (an
    // open transaction is rolled back).
    if (m_pDatabase && m_bOpen) {
        try {
            m_pDatabase->Close();
        } catch (const CdbException &) {
        }
        m_bOpen = FALSE;
    }
    if (keepObjects)
        return;
    if (m_pWorkspace) {
        try {
            m_pWorkspace->Close();
        } catch (const CdbException &) {
        }
    }
    delete m_pDatabase;
    m_pDatabase = nullptr;
    delete m_pWorkspace;
    m_pWorkspace = nullptr;
    delete m_pEngine;
    m_pEngine = nullptr;
}

BOOL CQelDatabase::Open(CString path, BOOL rethrow, BOOL readOnly)
{
    if (m_bOpen)
        Close(TRUE);
    CFileStatus status;
    if (!CFile::GetStatus(path, status)) {
        Close(FALSE);
        return FALSE;
    }
    CreateObjects();
    try {
        // A file opened only to be read is shared: two engines that read one controller
        // database at once must both see it, not one of them nothing.
        *m_pDatabase = m_pWorkspace->OpenDatabase(path, !readOnly, readOnly, "MS Access" + PasswordClause(path));
        m_bOpen = TRUE;
    } catch (const CdbException &e) {
        CdbLastOLEError info;
        CQeldbException *error =
            new CQeldbException(static_cast<UINT>(e.m_hr) & 0xFFFF, info.GetSource(), info.GetDescription());
        Close(FALSE);
        if (rethrow)
            throw error;
        error->Delete();
        return FALSE;
    }
    return m_bOpen;
}

BOOL CQelDatabase::Create(CString path)
{
    if (m_bOpen)
        Close(TRUE);
    CreateObjects();
    CString locale = CString(dbLangGeneral) + PasswordClause(path);
    QeldbCall([&] { *m_pDatabase = m_pWorkspace->CreateDatabase(path, locale, dbEncrypt); });
    m_bOpen = TRUE;
    try {
        CFileStatus status;
        if (!CFile::GetStatus(path, status))
            ThrowQeldbException(3024, kSource, "The new symbol database " + path + " is gone.");
        // One transaction, so that a process that dies now leaves a file without
        // tables, which the next open rebuilds, never half a schema.
        BeginTrans();
        CreateSymbolDatabaseSchema(m_pDatabase, COleDateTime(status.m_ctime), m_bIndexesAfterLoad);
        CommitTrans();
        Close(TRUE);
        Open(path, TRUE, FALSE);
    } catch (CQeldbException *) {
        Close(FALSE);
        remove(path);
        throw;
    }
    m_strPath = path;
    m_bLoadIndexesMissing = m_bIndexesAfterLoad;
    return TRUE;
}

void CQelDatabase::MakeLoadIndexes()
{
    if (!m_bLoadIndexesMissing)
        return;
    if (!m_bOpen)
        ThrowQeldbException(3420, kSource, "The symbol database is not open.");
    CreateSymbolDatabaseLoadIndexes(m_pDatabase);
    m_bLoadIndexesMissing = FALSE;
}

BOOL CQelDatabase::OpenForProgram(CString basePath, CString programPath, BOOL rebuild)
{
    CString path = CutFileExtension(basePath) + LoadStringText(IDS_DB_EXTENSION);
    m_bBuilt = FALSE;
    m_bLoadIndexesMissing = FALSE;
    BOOL opened = FALSE;
    BOOL stale = FALSE; // a file of ours is there to be deleted
    try {
        opened = Open(path, TRUE, FALSE);
    } catch (CQeldbException *e) {
        CFileStatus status;
        switch (e->m_nErrorCode) {
        case kBadPassword:
            e->Delete();
            stale = TRUE;
            break;
        case kDamaged:
            // Damaged past its mark: ours only when it carries a password, since
            // another tool's database of this engine has none.
            if (HasPassword(path)) {
                e->Delete();
                stale = TRUE;
                break;
            }
            e->m_nErrorCode = kForeignFile;
            e->m_strDescription = ForeignFileText(path);
            throw;
        case kFileInUse:
            e->m_strDescription = "The symbol database " + path +
                                  " is in use by another program or debugger session. It is left as it is; "
                                  "close it there to load this program file.";
            throw;
        case kForeignFile:
            // An empty file is what a process leaves that died while creating the
            // database: there is nothing in it to keep. One that carries a password is
            // ours, whatever else of its catalog is lost.
            if ((CFile::GetStatus(path, status) && status.m_size == 0) || HasPassword(path)) {
                e->Delete();
                stale = TRUE;
                break;
            }
            e->m_strDescription = ForeignFileText(path);
            throw;
        default:
            throw;
        }
    }
    if (opened) {
        if (!rebuild && IsCurrent(programPath)) {
            m_strPath = path;
            return TRUE;
        }
        Close(FALSE);
        // Every symbol database has the password of its name; a file that has none
        // (which opens whatever password is given) is some other tool's database.
        if (!HasPassword(path))
            ThrowQeldbException(kForeignFile, kSource, ForeignFileText(path));
        stale = TRUE;
    }
    if (stale && remove(path) != 0)
        ThrowQeldbException(kNoPermission, kSource,
                            "The symbol database " + path + " cannot be deleted to build it anew.");
    m_bBuilt = Create(path);
    return m_bBuilt;
}

BOOL CQelDatabase::HasPassword(const CString &path)
{
    // The engine checks the password before it reads further than the format mark, so
    // even a file damaged past its mark tells whether it has one.
    BOOL refused = FALSE;
    CreateObjects();
    try {
        CdbDatabase probe = m_pWorkspace->OpenDatabase(path, TRUE, TRUE, "MS Access");
        probe.Close();
    } catch (const CdbException &e) {
        refused = (static_cast<UINT>(e.m_hr) & 0xFFFF) == kBadPassword;
    }
    Close(FALSE);
    return refused;
}

BOOL CQelDatabase::IsCurrent(const CString &programPath)
{
    // Whatever fails here (a table missing, a damaged page) makes the file stale.
    try {
        CDBVersion version(m_pDatabase);
        version.Open();
        if (version.IsEOF() || version.m_Version != kSymbolDatabaseVersion)
            return FALSE;
        // A file of an older build has no Writers table: the open fails, and it is stale.
        CDBWriters writers(m_pDatabase);
        writers.Open();
        if (writers.IsEOF() || writers.m_Schema != kSymbolDatabaseSchema || writers.m_Readers != kSymbolDatabaseReaders)
            return FALSE;
        CFileStatus status;
        if (!CFile::GetStatus(programPath, status))
            return FALSE;
        CDBProgram program(m_pDatabase);
        program.Open();
        if (program.IsEOF() || program.m_Name != status.m_szFullName)
            return FALSE;
        // At full resolution: a file written again within the same second differs.
        if (program.m_ModifiedTime != COleDateTime(status.m_mtime) || !program.m_Analyzed)
            return FALSE;
        CDBSections sections(m_pDatabase);
        sections.Open();
        if (sections.IsEOF())
            return FALSE;
        // A stored query damaged in the file fails or misleads every request that runs
        // it: the database is damaged as one that fails the page check is.
        return HasStoredQueries(m_pDatabase);
    } catch (CQeldbException *e) {
        e->Delete();
        return FALSE;
    }
}

void CQelDatabase::BeginTrans()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, kSource, "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->BeginTrans(); });
}

void CQelDatabase::CommitTrans()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, kSource, "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->CommitTrans(); });
}

void CQelDatabase::Rollback()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, kSource, "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->Rollback(); });
}
