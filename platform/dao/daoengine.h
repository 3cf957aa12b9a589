// The engine and its workspaces.
#pragma once

#include "daoconst.h"
#include "daodatabase.h"

namespace qeldao {
class WorkspaceImpl;
}

class CdbWorkspace {
public:
    CdbWorkspace() = default;

    // Opens a database of this engine. Exclusive: no other connection, in this process
    // or another, may hold the file; a second open fails at once with 3045. The
    // connect text gives the password ("MS Access;pwd=...").
    CdbDatabase OpenDatabase(LPCTSTR pstrName, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE,
                             LPCTSTR pstrConnect = NULL);
    // Creates a new database and opens it exclusively; an existing file is refused
    // (3204). The locale text may end in ";pwd=...". Options: 0 or dbEncrypt, which
    // is taken but does not encrypt the file.
    CdbDatabase CreateDatabase(LPCTSTR pstrName, LPCTSTR pstrConnect, LONG lOption = -1);

    // Transactions over the databases open in the workspace, nested up to 5 deep.
    VOID BeginTrans();
    VOID CommitTrans(LONG lOption = -1);
    VOID Rollback();

    // Closes the workspace's databases.
    VOID Close();

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::WorkspaceImpl> m_pWorkspace;
};

class CdbDBEngine {
public:
    // One engine serves the whole process; the arguments are those of DAO and mean
    // nothing more here: there is no registry setting to read and no workgroup file.
    CdbDBEngine(BOOL bPrivate = FALSE, BOOL bStart = TRUE, LPCTSTR pstrIniPath = NULL, LPCTSTR pstrDefUser = NULL,
                LPCTSTR pstrDefPW = NULL, LONG lType = dbUseJet);

    // Jet's default workgroup knows one user, "admin", with no password.
    CdbWorkspace CreateWorkspace(LPCTSTR pstrName, LPCTSTR pstrUser, LPCTSTR pstrPassword, LONG lType = -1);
};
