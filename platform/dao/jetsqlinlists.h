// Where a Jet SQL "(C = 1 OR C = 2)" may be written "(C IN (1, 2))". Internal to the
// library.
//
// Equalities of one column with numbers, joined by OR, are one IN list: both are true
// exactly when C equals one of the numbers, Null when C is Null, and compare with the
// column's affinity and collation. The planner takes an IN list as a few seeks on an
// index of C together with the conjuncts beside it (the parameters and locals of one
// function), where for an OR inside a conjunction it may seek each equality alone and
// read every row of those kinds in the program. The other plan may read the rows in
// another order, so a group is written so only inside a subquery that "In" compares
// with (the names that hide a global), whose rows are a set.
#pragma once

#include "jetsqltokens.h"

#include <map>

namespace qeldao {

struct InList {
    size_t close;                 // the ')' that closes the group
    size_t columnFirst, columnLast; // the column's tokens in the first equality
    std::vector<size_t> numbers;  // the number tokens, in their order
};

// The groups of `tokens` from `first` on that may be written so, by their '('.
std::map<size_t, InList> FindInLists(const std::vector<SqlToken> &tokens, size_t first);

} // namespace qeldao
