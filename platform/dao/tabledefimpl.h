// Table and index definitions while they are built. Internal to the library.
#pragma once

#include "databaseimpl.h"

#include <memory>
#include <string>
#include <vector>

namespace qeldao {

struct FieldDef {
    FieldSchema schema;
    SHORT ordinal = 0;
    bool appended = false; // in the fields of a table or index definition
    bool frozen = false;   // its table exists: the definition stays as made
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;
    bool appended = false;
};

struct TableDefImpl {
    std::shared_ptr<DatabaseImpl> db;
    std::string name;
    std::vector<std::shared_ptr<FieldDef>> fields;
    std::vector<std::shared_ptr<IndexDef>> indexes;
    bool appended = false;
};

} // namespace qeldao
