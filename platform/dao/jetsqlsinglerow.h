// Where a Jet SQL "X In (subquery)" may be written "X = (subquery)". Internal to the
// library.
//
// A subquery whose select list is one aggregate call and that has no GROUP BY, HAVING
// or compound operator gives exactly one row, so "X In (it)" and "X = (it)" are one
// test: both are Null when X or the value is Null, and otherwise true exactly when
// they are equal. The planner, though, takes an IN list to hold many values and may
// prefer another index for the row over the one that the equality seeks (the lines of
// a whole section, say, over the line at one address).
#pragma once

#include "jetsqltokens.h"

#include <set>
#include <vector>

namespace qeldao {

// The indexes of the "In" tokens of `tokens`, from `first` on, that may become "=".
std::set<size_t> FindSingleRowIns(const std::vector<SqlToken> &tokens, size_t first);

} // namespace qeldao
