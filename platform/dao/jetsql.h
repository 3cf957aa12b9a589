// Translation of Jet SQL into SQLite's SQL. Internal to the library.
//
// What changes:
// - The PARAMETERS clause goes; its names and types (Long, Text with or without a
//   size) become the query's parameters. A name in brackets or bare that starts with
//   '_' is a parameter too, declared or not. Every use of a parameter, blind to case,
//   becomes the same numbered SQLite parameter "?N".
// - Stored queries named in the text are put in front as common table expressions
//   ("WITH name AS (...)"), each once, the queries they name in turn before them. Their
//   parameters belong to the query being translated: one value per name.
// - "[name]" becomes "name" in double quotes; Jet's "text" strings become 'text'.
// - "DELETE * FROM" becomes "DELETE FROM"; '&' (Jet's text concatenation) becomes "||";
//   True and False become -1 and 0, as Jet stores them.
// - In the first select list, columns that two sources share the name of get Jet's
//   output names: "[Source].[Column]" is named "Source.Column" when another column of
//   the list has the name Column too; a column that is alone with its name keeps it.
//   In a UNION the qualified columns of the first list are named explicitly, so that
//   its ORDER BY finds them by their output names, as Jet's does.
// - A containment test "E < A + L" of a WHERE clause gets the lower bound of A that
//   makes it a seek on an index of A (jetsqlbounds.h): for a parameter E one that the
//   few rows before E bound, whatever the longest row; the rows are the same.
// - "(C = 1 OR C = 2)" becomes "(C IN (1, 2))" (jetsqlinlists.h); the rows are the same.
// - A final ';' goes; text after it is an error, as in Jet.
// LIKE stays: the engine's LIKE function is Jet's (jetlike.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qeldao {

struct JetParameter {
    std::string name; // as first written
    short type;       // dbLong, dbText, or 0 for a parameter without declaration
};

struct TranslatedQuery {
    std::string sql;
    // The same query with the row id of its one table as a first column, when the
    // query is a plain SELECT from one table (a dynaset of it can be edited); else empty.
    std::string keyedSql;
    std::string baseTable;
    std::vector<JetParameter> parameters; // parameter i is "?(i+1)"
};

struct QueryCatalog {
    // The SQL of the stored query of that name (blind to case), setting its name as
    // stored; false when there is no such query.
    std::function<bool(std::string_view name, std::string *storedName, std::string *sql)> findQuery;
    std::function<bool(std::string_view name)> isTable;
};

// Errors are raised from `source`. `queryName` is the stored query being translated,
// or empty for a text that is no stored query.
TranslatedQuery TranslateJetSql(std::string_view jetSql, std::string_view queryName, const QueryCatalog &catalog,
                                const char *source);

} // namespace qeldao
