// Names of tables, fields, indexes, queries and parameters. Internal to the library.
//
// Jet compares names blind to case; SQLite does too, for ASCII letters, which is
// what FoldName folds.
#pragma once

#include <string>
#include <string_view>

namespace qeldao {

std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// The name as an SQLite identifier in double quotes.
std::string QuoteName(std::string_view name);

// The name without one pair of surrounding brackets: "[Name]" is "Name".
std::string_view StripBrackets(std::string_view name);

// Jet's rule for object names: 1 to 64 characters, no leading blank, no control
// characters, none of . ! ` [ ]. Names this engine keeps for itself (its own tables,
// SQLite's) are refused too, and so are SQLite's names for the row id as field names.
bool IsValidObjectName(std::string_view name);
bool IsValidFieldName(std::string_view name);

} // namespace qeldao
