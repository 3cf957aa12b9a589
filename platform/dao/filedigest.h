// The digest by which a database file shows that it is as this engine left it.
// Internal to the library.
//
// Checking every page of a file of many megabytes at each open costs more than the
// rest of opening it. So a connection that closes a file it could write leaves a
// digest of the whole file in the file's header (SQLite's user version and application
// id, which nothing else of the engine uses). A file whose digest still matches is
// byte for byte what a connection of this engine left, which had either checked its
// pages or made them through SQLite; any other file has its pages checked. The digest
// leaves out the header fields that writing it changes: the change counter, the digest
// itself and the version-valid-for number.
#pragma once

#include <cstdint>

namespace qeldao {

struct FileDigest {
    uint64_t computed = 0; // of the file as it lies; never 0
    uint64_t stored = 0;   // the one its header holds; 0: none
};

// Reads the whole file through `fd`; false when it cannot be read (or is shorter than
// a header).
bool ReadFileDigest(int fd, FileDigest *digest);

// The two header values that hold `digest`: the user version (high half) and the
// application id (low half), as the PRAGMAs take them.
int32_t DigestHigh(uint64_t digest);
int32_t DigestLow(uint64_t digest);

} // namespace qeldao
