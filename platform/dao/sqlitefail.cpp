#include "sqlitefail.h"

#include "jeterror.h"

#include <cstring>
#include <new>
#include <string>

namespace qeldao {

namespace {

// The text after SQLite's prefix, such as the "Table.Field" of
// "NOT NULL constraint failed: Table.Field".
std::string After(const std::string &message, const char *prefix)
{
    size_t at = message.find(prefix);
    return at == std::string::npos ? message : message.substr(at + std::strlen(prefix));
}

bool StartsWith(const std::string &message, const char *prefix)
{
    return message.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

void ThrowSqlite(sqlite3 *db, int rc, const char *source)
{
    int extended = db ? sqlite3_extended_errcode(db) : rc;
    if ((extended & 0xFF) != (rc & 0xFF))
        extended = rc;
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (extended) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        ThrowJet(source, JET_DUPLICATE_KEY);
    case SQLITE_CONSTRAINT_NOTNULL:
        ThrowJet(source, JET_NULL_IN_REQUIRED, After(message, ": "));
    case SQLITE_CONSTRAINT_CHECK:
        ThrowJet(source, JET_ZERO_LENGTH, After(message, ": "));
    default:
        break;
    }
    LONG error;
    switch (rc & 0xFF) {
    case SQLITE_NOMEM:
        throw std::bad_alloc();
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        error = JET_LOCKED;
        break;
    case SQLITE_READONLY:
        error = JET_READ_ONLY;
        break;
    case SQLITE_FULL:
        error = JET_DISK_FULL;
        break;
    case SQLITE_IOERR:
        error = JET_DISK_ERROR;
        break;
    case SQLITE_CORRUPT:
        error = JET_DAMAGED;
        break;
    case SQLITE_NOTADB:
        error = JET_UNRECOGNIZED_FORMAT;
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        error = JET_NO_PERMISSION;
        break;
    case SQLITE_AUTH:
        error = JET_INVALID_OPERATION;
        break;
    case SQLITE_TOOBIG:
        error = JET_RESOURCES_EXCEEDED;
        break;
    case SQLITE_RANGE:
    case SQLITE_MISMATCH:
        error = JET_CONVERSION;
        break;
    case SQLITE_ERROR:
        if (StartsWith(message, "no such table"))
            error = JET_NO_SUCH_INPUT;
        else if (StartsWith(message, "no such column"))
            error = JET_TOO_FEW_PARAMETERS; // Jet takes an unknown name for a parameter
        else
            error = JET_SYNTAX;
        break;
    default:
        error = JET_INVALID_OPERATION;
        break;
    }
    ThrowDao(source, error, message);
}

} // namespace qeldao
