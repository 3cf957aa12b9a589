// What lies beside a database file and makes SQLite write to the file as it opens it.
// Internal to the library.
//
// A connection that may write checkpoints a write-ahead log ("-wal") into its file, and
// rolls a hot rollback journal ("-journal") back into it, before it reads a row. Either
// changes a file that may not be ours, so the engine looks first.
#pragma once

#include <string>

namespace qeldao {

enum class Companions {
    None,
    WriteAheadLog, // a "-wal" beside it, or a header that asks for one
    HotJournal,    // a "-journal" that SQLite would roll back into a file with pages
};

Companions FindCompanions(const std::string &path);

// The URI that opens `path` as it lies: no journal or log read, no lock taken, nothing
// written (SQLite's immutable files).
std::string ImmutableUri(const std::string &path);

} // namespace qeldao
