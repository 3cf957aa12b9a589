// SQLite's failures as DAO errors. Internal to the library.
#pragma once

#include <sqlite3.h>

namespace qeldao {

// Raises the failure `rc` of a call on `db` (NULL before a connection exists) as a
// CdbException from `source`, with a Jet error number for its kind and SQLite's own
// description.
[[noreturn]] void ThrowSqlite(sqlite3 *db, int rc, const char *source);

} // namespace qeldao
