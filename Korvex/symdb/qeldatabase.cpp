#include "qeldatabase.h"

#include "dbfilename.h"
#include "qeldbexception.h"
#include "symdbstrings.h"

namespace {

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

CQelDatabase::CQelDatabase() : m_pDatabase(nullptr), m_pWorkspace(nullptr), m_pEngine(nullptr), m_bOpen(FALSE)
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
                m_pEngine->CreateWorkspace(LoadText(IDS_DB_WORKSPACE), LoadText(IDS_DB_USER), "", dbUseJet));
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
        *m_pDatabase = m_pWorkspace->OpenDatabase(path, TRUE, readOnly, "MS Access" + PasswordClause(path));
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

void CQelDatabase::BeginTrans()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, "Korvex.SymbolDatabase", "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->BeginTrans(); });
}

void CQelDatabase::CommitTrans()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, "Korvex.SymbolDatabase", "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->CommitTrans(); });
}

void CQelDatabase::Rollback()
{
    if (!m_bOpen)
        ThrowQeldbException(3420, "Korvex.SymbolDatabase", "The symbol database is not open.");
    QeldbCall([&] { m_pWorkspace->Rollback(); });
}
