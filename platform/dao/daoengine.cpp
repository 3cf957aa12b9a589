#include "connecttext.h"
#include "daoaccess.h"
#include "jeterror.h"
#include "jetnames.h"

#include <exception>

namespace qeldao {

// The databases that a workspace opened, and its transaction depth. A database
// opened inside a transaction joins the transactions begun after it.
class WorkspaceImpl {
public:
    bool open = true;
    int depth = 0;
    std::vector<std::weak_ptr<DatabaseImpl>> databases;

    void Check() const
    {
        if (!open)
            ThrowJet(SRC_WORKSPACE, JET_OBJECT_CLOSED);
    }

    std::vector<std::shared_ptr<DatabaseImpl>> Live(int atDepth)
    {
        std::vector<std::shared_ptr<DatabaseImpl>> live;
        std::vector<std::weak_ptr<DatabaseImpl>> kept;
        for (const std::weak_ptr<DatabaseImpl> &weak : databases) {
            std::shared_ptr<DatabaseImpl> db = weak.lock();
            if (!db || !db->IsOpen())
                continue;
            kept.push_back(db);
            if (db->TransactionDepth() == atDepth)
                live.push_back(db);
        }
        databases.swap(kept);
        return live;
    }
};

} // namespace qeldao

using namespace qeldao;

namespace {

WorkspaceImpl &Open(const std::shared_ptr<WorkspaceImpl> &workspace)
{
    if (!workspace)
        ThrowJet(SRC_WORKSPACE, JET_OBJECT_CLOSED);
    workspace->Check();
    return *workspace;
}

} // namespace

CdbDBEngine::CdbDBEngine(BOOL, BOOL, LPCTSTR, LPCTSTR, LPCTSTR, LONG)
{
}

CdbWorkspace CdbDBEngine::CreateWorkspace(LPCTSTR, LPCTSTR pstrUser, LPCTSTR pstrPassword, LONG lType)
{
    if (lType != -1 && lType != dbUseJet)
        ThrowJet(SRC_ENGINE, JET_INVALID_ARGUMENT);
    if (!pstrUser || !SameName(pstrUser, "admin") || (pstrPassword && *pstrPassword))
        ThrowJet(SRC_ENGINE, JET_BAD_ACCOUNT);
    return DaoAccess::Workspace(std::make_shared<WorkspaceImpl>());
}

CdbDatabase CdbWorkspace::OpenDatabase(LPCTSTR pstrName, BOOL bExclusive, BOOL bReadOnly, LPCTSTR pstrConnect)
{
    WorkspaceImpl &workspace = Open(m_pWorkspace);
    std::shared_ptr<DatabaseImpl> db = DatabaseImpl::Open(pstrName ? pstrName : "", bExclusive != FALSE,
                                                          bReadOnly != FALSE, ParseConnectText(pstrConnect).password);
    workspace.databases.push_back(db);
    return DaoAccess::Database(db);
}

CdbDatabase CdbWorkspace::CreateDatabase(LPCTSTR pstrName, LPCTSTR pstrConnect, LONG lOption)
{
    WorkspaceImpl &workspace = Open(m_pWorkspace);
    if (lOption != -1 && lOption != 0 && lOption != dbEncrypt)
        ThrowJet(SRC_WORKSPACE, JET_INVALID_ARGUMENT);
    std::shared_ptr<DatabaseImpl> db =
        DatabaseImpl::Create(pstrName ? pstrName : "", ParseConnectText(pstrConnect).password);
    workspace.databases.push_back(db);
    return DaoAccess::Database(db);
}

VOID CdbWorkspace::BeginTrans()
{
    WorkspaceImpl &workspace = Open(m_pWorkspace);
    std::vector<std::shared_ptr<DatabaseImpl>> databases = workspace.Live(workspace.depth);
    size_t begun = 0;
    try {
        for (; begun < databases.size(); ++begun)
            databases[begun]->BeginTrans(SRC_WORKSPACE);
    } catch (...) {
        while (begun > 0)
            try {
                databases[--begun]->Rollback(SRC_WORKSPACE);
            } catch (...) {
            }
        throw;
    }
    ++workspace.depth;
}

VOID CdbWorkspace::CommitTrans(LONG)
{
    WorkspaceImpl &workspace = Open(m_pWorkspace);
    if (workspace.depth == 0)
        ThrowJet(SRC_WORKSPACE, JET_NO_TRANSACTION);
    std::vector<std::shared_ptr<DatabaseImpl>> databases = workspace.Live(workspace.depth);
    --workspace.depth;
    std::exception_ptr failure;
    bool stillOpen = false;
    for (const std::shared_ptr<DatabaseImpl> &db : databases) {
        try {
            db->CommitTrans(SRC_WORKSPACE);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
            stillOpen = stillOpen || db->TransactionDepth() > workspace.depth;
        }
    }
    // A commit that failed with its transaction still open (another program reading the
    // file, say) leaves it to the caller's Rollback; forgotten here, it would stay open
    // and every later transaction would run, and be lost, inside it.
    if (stillOpen)
        ++workspace.depth;
    if (failure)
        std::rethrow_exception(failure);
}

VOID CdbWorkspace::Rollback()
{
    WorkspaceImpl &workspace = Open(m_pWorkspace);
    if (workspace.depth == 0)
        ThrowJet(SRC_WORKSPACE, JET_NO_TRANSACTION);
    std::vector<std::shared_ptr<DatabaseImpl>> databases = workspace.Live(workspace.depth);
    --workspace.depth;
    std::exception_ptr failure;
    for (const std::shared_ptr<DatabaseImpl> &db : databases) {
        try {
            db->Rollback(SRC_WORKSPACE);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

VOID CdbWorkspace::Close()
{
    if (!m_pWorkspace || !m_pWorkspace->open)
        return;
    for (const std::weak_ptr<DatabaseImpl> &weak : m_pWorkspace->databases)
        if (std::shared_ptr<DatabaseImpl> db = weak.lock())
            db->Close();
    m_pWorkspace->databases.clear();
    m_pWorkspace->depth = 0;
    m_pWorkspace->open = false;
}
