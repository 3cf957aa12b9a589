// The schema of a symbol database: thirteen tables, the Version row and the stored
// queries, all named by string-table id (symdbstrings.h).
#pragma once

#include <afx.h>

#include "dbdao.h"

#include <functional>
#include <vector>

// The schema version that a database must hold to be used.
const LONG kSymbolDatabaseVersion = 214;
// This system's own marks of what wrote a database (its Writers row): the schema as
// this build makes it (its indexes), and the rows that its readers write. A change of
// either raises its number, so that databases that an older build wrote are rebuilt.
const LONG kSymbolDatabaseSchema = 3;
const LONG kSymbolDatabaseReaders = 1;

// Makes the tables and stored queries of a new database in their order, and writes the
// Version row with `creationTime`. A failure throws CQeldbException.
void CreateSymbolDatabaseSchema(CdbDatabase *pDatabase, const COleDateTime &creationTime);

// The text of a string-table id; FALSE when there is none.
using StringSource = std::function<BOOL(UINT id, CString &text)>;

// Stores the queries of the string table (or of `strings`), in ascending id order, in
// groups of the size that string IDS_DB_QUERY_GROUP gives: a missing name ends its
// group, an empty group ends the list. FALSE when the group size is missing or a name
// has no SQL.
BOOL CreateStoredQueries(CdbDatabase *pDatabase);
BOOL CreateStoredQueries(CdbDatabase *pDatabase, const StringSource &strings);
// Whether every query of the string table is stored with its own text: one changed or
// lost answers wrongly or not at all. A query that cannot be read throws CQeldbException.
BOOL HasStoredQueries(CdbDatabase *pDatabase);

// A table of the schema: its name, and the name of its primary index ("" when it has
// none).
struct SymbolDatabaseTable {
    CString Name;
    CString PrimaryIndex;
};
// The tables in the order of the schema. A missing string throws CQeldbException.
std::vector<SymbolDatabaseTable> GetSymbolDatabaseTables();
