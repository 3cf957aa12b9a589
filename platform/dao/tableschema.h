// The definition of a table as the engine keeps it, and the SQL that makes it.
// Internal to the library.
//
// A table of Jet becomes an SQLite table whose columns stand in the fields' ordinal
// order. Long is INTEGER, Text "TEXT(size)" compared blind to case (COLLATE NOCASE,
// which folds ASCII letters only), Date DATETIME (an OLE date as REAL), Boolean BOOLEAN
// (-1 or 0, never Null). The auto-increment field is SQLite's row id, whose numbers
// the engine hands out itself (DatabaseImpl::TakeAutoNumber), so that a number once
// given is never given again, even after deletes and rollbacks; SQLite's AUTOINCREMENT,
// which files made before kept, would cost every insert a write of its sequence.
// Required is NOT NULL; a Text field that must not be empty has a CHECK named after it.
//
// Jet names indexes per table, SQLite per database: index I of table T is "T.I" in
// SQLite ('.' cannot stand in a Jet name). An index whose one field is the auto field
// is the row id's own order and needs no SQLite index. An index field that may be Null
// is ordered by two keys, (field IS NOT NULL) and the field with Null as 0 or '', so
// that Null sorts first and every row has a place in the index order; a unique index
// keeps its uniqueness in a plain index beside it, where Nulls are no duplicates, and
// any other such index has a plain index beside it too ("T.I.seek"), for the
// comparisons of SQL, which the planner cannot match to keys with the flag. A file
// made before that index was made lacks it and is read as well, only slower. An index
// that ignores Nulls leaves rows with a Null field out of its order.
#pragma once

#include "jetvalue.h"

#include <string>
#include <string_view>
#include <vector>

namespace qeldao {

struct FieldSchema {
    std::string name;
    short type = 0;
    LONG size = 0;
    LONG attributes = 0;
    bool required = false;
    bool allowZeroLength = false;
    std::string defaultValue; // Jet's text of it; empty: none

    // Derived by TableSchema::Derive.
    bool notNull = false;
    JetValue newValue; // what a new record holds before it is set

    bool IsAuto() const;
};

struct IndexSchema {
    std::string name;
    std::vector<int> fields;
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;

    // Derived by TableSchema::Derive.
    bool onRowId = false;
    std::vector<std::string> keys;  // the SQL expressions of the index order
    std::vector<size_t> firstKey;   // per field, its first key; one more entry: keys.size()
    std::vector<short> keyTypes;    // per key: the field type, or dbBoolean for a Null flag
    std::string filter;             // the rows in the order, when it ignores Nulls
};

struct TableSchema {
    std::string name;
    std::vector<FieldSchema> fields;
    std::vector<IndexSchema> indexes;
    int autoField = -1;

    int FindField(std::string_view fieldName) const;
    int FindIndex(std::string_view indexName) const;

    // Checks what Jet checks when a table definition is appended, raising its errors
    // from `source`, and fills in the derived parts.
    void Derive(const char *source);

    std::string CreateTableSql() const;
    std::vector<std::string> CreateIndexSql() const;
    // The statements that make the index of that position alone.
    std::vector<std::string> CreateIndexSql(size_t position) const;
    // The SQLite names of the indexes that a file of the table must hold: those that
    // CreateIndexSql makes but the ".seek" ones, which older files lack.
    std::vector<std::string> SqliteIndexNames() const;
    // The quoted column names in order, separated by commas.
    std::string ColumnList() const;
};

} // namespace qeldao
