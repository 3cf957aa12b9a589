// CQelDatabase: the connection to one symbol database (or to a controller database).
//
// It makes the DAO engine and workspace when first needed, opens a file (exclusively
// unless only to read it) with the password derived from the file's name, and for a
// program file decides whether the database left by an earlier load still describes the
// file on disk, or rebuilds it.
//
// The DAO objects are owned here; recordsets and query definitions made on
// GetDatabase() must not be used after Close(FALSE), which deletes them.
#pragma once

#include <afx.h>

#include "dbdao.h"

class CQelDatabase {
public:
    CQelDatabase();
    ~CQelDatabase();
    CQelDatabase(const CQelDatabase &) = delete;
    CQelDatabase &operator=(const CQelDatabase &) = delete;

    // Makes what is missing of the engine, the workspace and the database object.
    void CreateObjects();

    // Closes the database when it is open. With keepObjects FALSE the workspace is
    // closed too and all DAO objects are deleted.
    void Close(BOOL keepObjects);

    // Opens the file, exclusively unless it is opened read-only. FALSE when the file is missing (a connection that was
    // open is closed) or, without rethrow, when DAO refuses it; with rethrow the refusal
    // is thrown as CQeldbException. A refusal leaves no DAO objects.
    BOOL Open(CString path, BOOL rethrow, BOOL readOnly);

    // Opens the symbol database of the program file `programPath`, named after
    // `basePath` with ".mdb" for its extension, when it still describes the program
    // file, or builds it anew (always when `rebuild` is 1). A damaged database (its
    // pages, its catalog or the text of a stored query), or one with another password,
    // is rebuilt too: it is a cache. A file that another
    // connection holds, or that is not proven to be a symbol database of this system
    // (damage that hides the engine's format mark leaves nothing to prove it), is left
    // as it is and the load fails with CQeldbException. TRUE with the database open.
    BOOL OpenForProgram(CString basePath, CString programPath, BOOL rebuild);

    // Creates a new, empty symbol database with its tables and stored queries, and
    // leaves it open. TRUE; a failure throws CQeldbException and leaves no file.
    BOOL Create(CString path);

    // Transactions over the open database, for the request engine: what a request
    // writes is kept whole or not at all.
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    // Whether a database that OpenForProgram builds from now on leaves the indexes that
    // only the stored queries use for MakeLoadIndexes, which the load calls once it has
    // written its rows. Such a database is not current until they are made.
    void SetIndexesAfterLoad(BOOL afterLoad) { m_bIndexesAfterLoad = afterLoad; }
    // Makes the indexes that the database built for this load still lacks; nothing for a
    // database that has them. A failure throws CQeldbException.
    void MakeLoadIndexes();

    BOOL IsOpen() const { return m_bOpen; }
    // Whether the last OpenForProgram built the database anew, rather than keeping the
    // one it found.
    BOOL WasBuilt() const { return m_bBuilt; }
    // The DAO database that recordsets and query definitions work on; NULL before
    // CreateObjects.
    CdbDatabase *GetDatabase() const { return m_pDatabase; }

    CString m_strPath; // set when a database has been accepted or created

private:
    // The checks of an existing symbol database against its program file.
    BOOL IsCurrent(const CString &programPath);
    // TRUE when the file refuses to open without a password. Leaves no DAO objects.
    BOOL HasPassword(const CString &path);

    CdbDatabase *m_pDatabase;
    CdbWorkspace *m_pWorkspace;
    CdbDBEngine *m_pEngine;
    BOOL m_bOpen;
    BOOL m_bBuilt;
    BOOL m_bIndexesAfterLoad;
    BOOL m_bLoadIndexesMissing;
};
