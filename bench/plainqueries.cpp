#include "plainqueries.h"

namespace qelbench {

namespace {

// The lower bound of a start column A of table T whose rows of length L hold ?2, in the
// form that the DAO layer writes: K the 17th longest row, M the least start of the
// longer rows that hold ?2.
#define QEL_INTERVAL_K(T, L) "COALESCE((SELECT " L " FROM " T " WHERE " L " IS NOT NULL ORDER BY " L " DESC LIMIT 1 OFFSET 16), 0)"
#define QEL_INTERVAL_BOUND(T, A, L)                                                                        \
    "MIN(?2 - " QEL_INTERVAL_K(T, L) ", COALESCE((SELECT MIN(" A ") FROM " T " WHERE " L " > " QEL_INTERVAL_K(T, L) \
    " AND ?2 < " A " + " L ") - 1, ?2 - " QEL_INTERVAL_K(T, L) "))"

// FunctionByAddress, in the form that the best index of the schema serves: the start
// bounded below by the 17th longest function (or by the longer one that holds the
// address), so that the lookup is a seek on the start that reads a row or two.
const char kFunctionByAddress[] = "SELECT * FROM Functions WHERE Functions.AddressMode = ?1 AND "
                                  "Functions.AddressValue <= ?2 AND ?2 < Functions.AddressValue + Functions.Length "
                                  "AND Functions.AddressValue > " QEL_INTERVAL_BOUND("Functions AS f", "f.AddressValue", "f.Length");

// SourceFileByAddress, with the stored queries it names ($SourceLineOfAddress, and
// SectionByAddress inside that) in front, as the DAO layer puts them, the section's
// start bounded as the function's is.
const char kSourceFileByAddress[] =
    "WITH SectionByAddress AS (SELECT * FROM Sections WHERE Sections.AddressMode = ?1 AND "
    "Sections.AddressValue <= ?2 AND ?2 < Sections.AddressValue + Sections.Length AND "
    "Sections.AddressValue > " QEL_INTERVAL_BOUND("Sections AS s", "s.AddressValue", "s.Length") "), "
    "\"$SourceLineOfAddress\" AS (SELECT SourceLines.SourceLineIndex, SourceLines.SourceLine, "
    "SourceLines.AddressMode, SourceLines.AddressValue, SourceLines.Length, SourceLines.SectionIndex, "
    "SourceLines.SourceFileIndex FROM SourceLines, SectionByAddress WHERE "
    "SourceLines.SectionIndex = SectionByAddress.SectionIndex AND SourceLines.AddressMode = ?1 AND "
    "SourceLines.AddressValue = (SELECT MAX(SourceLines.AddressValue) FROM SourceLines, SectionByAddress "
    "WHERE SourceLines.SectionIndex = SectionByAddress.SectionIndex AND SourceLines.AddressMode = ?1 AND "
    "SourceLines.AddressValue <= ?2)) "
    "SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, "
    "\"$SourceLineOfAddress\".SourceLine, \"$SourceLineOfAddress\".AddressMode, "
    "\"$SourceLineOfAddress\".AddressValue, \"$SourceLineOfAddress\".Length, "
    "\"$SourceLineOfAddress\".SourceFileIndex FROM SourceFiles, \"$SourceLineOfAddress\" WHERE "
    "\"$SourceLineOfAddress\".SourceFileIndex = SourceFiles.SourceFileIndex";
#undef QEL_INTERVAL_BOUND
#undef QEL_INTERVAL_K
// Its columns that the handler reads.
const int kSourceLineColumn = 4, kLengthColumn = 7, kSourceFileIndexColumn = 8;

// $SourceLineRangesByIndex.
const char kSourceLineRangesByIndex[] = "SELECT * FROM SourceLines WHERE SourceFileIndex = ?1 AND SourceLine = ?2";
const int kRangeLengthColumn = 4;

// $TypeByIndex and $MembersOfStruct.
const char kTypeByIndex[] = "SELECT * FROM Types WHERE TypeIndex = ?1";
const int kTypeIdColumn = 2;
const char kMembersOfStruct[] = "SELECT * FROM Types WHERE TypeID = 11 AND Data_4 = ?1 ORDER BY TypeIndex";
const int kStructure = 5, kUnion = 6;

} // namespace

PlainQueries::~PlainQueries()
{
    for (sqlite3_stmt *statement : {m_functionByAddress, m_sourceFileByAddress, m_sourceLineRangesByIndex,
                                    m_typeByIndex, m_membersOfStruct})
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

bool PlainQueries::Open(const std::string &database, std::string &failure)
{
    if (sqlite3_open_v2(database.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        failure = "sqlite3 cannot open " + database + ": " + sqlite3_errmsg(m_db);
        return false;
    }
    // The engine's connection reads so (platform/dao): the same cache, memory map and
    // temporary store, and the file locked once rather than around every statement.
    const char tuning[] = "PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=-16384; PRAGMA temp_store=MEMORY; "
                          "PRAGMA mmap_size=268435456";
    if (sqlite3_exec(m_db, tuning, nullptr, nullptr, nullptr) != SQLITE_OK) {
        failure = "sqlite3 cannot tune its connection to " + database + ": " + sqlite3_errmsg(m_db);
        return false;
    }
    const std::pair<const char *, sqlite3_stmt **> statements[] = {
        {kFunctionByAddress, &m_functionByAddress},
        {kSourceFileByAddress, &m_sourceFileByAddress},
        {kSourceLineRangesByIndex, &m_sourceLineRangesByIndex},
        {kTypeByIndex, &m_typeByIndex},
        {kMembersOfStruct, &m_membersOfStruct},
    };
    for (const auto &[sql, statement] : statements) {
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr) != SQLITE_OK) {
            failure = std::string("sqlite3 cannot prepare ") + sql + ": " + sqlite3_errmsg(m_db);
            return false;
        }
    }
    return true;
}

// Steps `statement` through its rows, reading every column as the DAO layer does into
// its fields; `keep(statement)` decides whether a row makes a record. The records, or -1
// on an error. The statement is reset, its bindings stay.
template <class Keep>
static int StepRows(sqlite3_stmt *statement, long long &sink, Keep keep)
{
    int records = 0, result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                sink += sqlite3_column_bytes(statement, c) + *sqlite3_column_text(statement, c);
            else
                sink += sqlite3_column_int64(statement, c);
        }
        records += keep(statement) ? 1 : 0;
    }
    sqlite3_reset(statement);
    return result == SQLITE_DONE ? records : -1;
}

int PlainQueries::FunctionByAddress(int mode, int value)
{
    sqlite3_bind_int(m_functionByAddress, 1, mode);
    sqlite3_bind_int(m_functionByAddress, 2, value);
    return StepRows(m_functionByAddress, m_sink, [](sqlite3_stmt *) { return true; });
}

int PlainQueries::SourceLineRangesByAddress(int mode, int value)
{
    sqlite3_bind_int(m_sourceFileByAddress, 1, mode);
    sqlite3_bind_int(m_sourceFileByAddress, 2, value);
    int file = -1, line = 0;
    const int rows = StepRows(m_sourceFileByAddress, m_sink, [&](sqlite3_stmt *row) {
        if (file < 0 && sqlite3_column_int(row, kLengthColumn) > 0) {
            file = sqlite3_column_int(row, kSourceFileIndexColumn);
            line = sqlite3_column_int(row, kSourceLineColumn);
        }
        return true;
    });
    if (rows <= 0 || file < 0)
        return rows < 0 ? -1 : 0;
    sqlite3_bind_int(m_sourceLineRangesByIndex, 1, file);
    sqlite3_bind_int(m_sourceLineRangesByIndex, 2, line);
    return StepRows(m_sourceLineRangesByIndex, m_sink,
                    [](sqlite3_stmt *row) { return sqlite3_column_int(row, kRangeLengthColumn) != -1; });
}

int PlainQueries::MembersOfType(int typeIndex)
{
    sqlite3_bind_int(m_typeByIndex, 1, typeIndex);
    int typeId = -1;
    const int rows = StepRows(m_typeByIndex, m_sink, [&](sqlite3_stmt *row) {
        typeId = sqlite3_column_int(row, kTypeIdColumn);
        return true;
    });
    if (rows <= 0 || (typeId != kStructure && typeId != kUnion))
        return rows < 0 ? -1 : 0;
    sqlite3_bind_int(m_membersOfStruct, 1, typeIndex);
    return StepRows(m_membersOfStruct, m_sink, [](sqlite3_stmt *) { return true; });
}

} // namespace qelbench
