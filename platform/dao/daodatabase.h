// An open database, with its table definitions and stored queries.
#pragma once

#include "daoquerydef.h"
#include "daotabledef.h"

namespace qeldao {
class DatabaseImpl;
}

class CdbTableDefs {
public:
    // Creates the table with its fields and indexes.
    VOID Append(CdbTableDef &tableDef);
    // The definition of a table of the database (blind to case), to which indexes may be
    // appended; its Fields and Indexes collections do not list what the table has.
    CdbTableDef operator[](LPCTSTR pstrName);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::DatabaseImpl> m_pDatabase;
};

class CdbQueryDefs {
public:
    // Opens the stored query of that name (blind to case): its SQL is translated and
    // checked against the tables now.
    CdbQueryDef operator[](LPCTSTR pstrName);

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::DatabaseImpl> m_pDatabase;
};

class CdbDatabase {
public:
    CdbDatabase() = default;

    CString GetName();
    // Closes the database with its recordsets and query definitions; an open
    // transaction of it is rolled back.
    VOID Close();

    // A table name (default type dbOpenTable), a stored query's name or SQL (default
    // dbOpenDynaset). Options: 0 or dbReadOnly; snapshots are read-only anyway.
    CdbRecordset OpenRecordset(LPCTSTR pstrSource, LONG lType = -1, LONG lOptions = -1, LONG lLockEdit = -1);
    // With a name the query is stored at once, without checking it against the
    // tables; without one it is a temporary query, checked now.
    CdbQueryDef CreateQueryDef(LPCTSTR pstrName = NULL, LPCTSTR pstrSQL = NULL);
    // Linked tables are not offered: no source table, no connect text.
    CdbTableDef CreateTableDef(LPCTSTR pstrName = NULL, LONG lAttributes = -1, LPCTSTR pstrSource = NULL,
                               LPCTSTR pstrConnect = NULL);

    CdbTableDefs TableDefs;
    CdbQueryDefs QueryDefs;

private:
    friend struct qeldao::DaoAccess;
    std::shared_ptr<qeldao::DatabaseImpl> m_pDatabase;
};
