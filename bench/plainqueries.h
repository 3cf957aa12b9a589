// The stored queries behind symbol requests 202, 302 and 501, translated by hand from
// their Jet texts (Korvex/symdb/symdbstrings.cpp) into SQLite's SQL and run with sqlite3
// directly on a read-only copy of the symbol database that the engine built, through a
// connection tuned as the engine's is: each statement prepared once, then bound, stepped
// through every column of every row, and reset per query. This is what the requests cost without the engine, the DAO layer and
// the transfer between server and client around them.
#pragma once

#include <sqlite3.h>

#include <string>

namespace qelbench {

class PlainQueries {
public:
    PlainQueries() = default;
    ~PlainQueries();
    PlainQueries(const PlainQueries &) = delete;
    PlainQueries &operator=(const PlainQueries &) = delete;

    // Opens `database` read-only and prepares the statements; false, with the reason in
    // `failure`, when it cannot.
    bool Open(const std::string &database, std::string &failure);

    // Each answers the records that the request's handler makes of the rows, -1 on a
    // database error. 202: FunctionByAddress, a record per row.
    int FunctionByAddress(int mode, int value);
    // 302: SourceFileByAddress; the first of its rows with a positive length names the
    // file and line whose rows $SourceLineRangesByIndex gives, a record for each whose
    // length is not -1.
    int SourceLineRangesByAddress(int mode, int value);
    // 501 on a structure or union: $TypeByIndex, then $MembersOfStruct, a record per
    // member. Other kinds of type give none here.
    int MembersOfType(int typeIndex);

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_functionByAddress = nullptr;
    sqlite3_stmt *m_sourceFileByAddress = nullptr;
    sqlite3_stmt *m_sourceLineRangesByIndex = nullptr;
    sqlite3_stmt *m_typeByIndex = nullptr;
    sqlite3_stmt *m_membersOfStruct = nullptr;
    // Folds every column value read, so that no read can be left out.
    long long m_sink = 0;
};

} // namespace qelbench
