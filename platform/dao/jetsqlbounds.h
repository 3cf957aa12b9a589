// Where a containment test of Jet SQL can be given a lower bound that an index serves.
// Internal to the library.
//
// "E < A + L" (a start A and a length L of one table T) cannot use an index on A: the
// planner reads every row whose start is not above E. Such a row holds only when
// A > E - L, so A > E - (SELECT MAX(L) FROM T) holds too, and adding it changes no
// answer while it turns the test into a range of A that an index on A seeks. MAX(L) is
// itself a seek when T has an index on L.
//
// One long row makes that range long for every E (a program's 24 KB start-up function
// among functions of 40 bytes puts some 600 functions between E - MAX(L) and E). Where E
// is a parameter or a number, the bound takes K, any length of T instead (the 17th
// longest): a row that holds E with L <= K has A > E - K; one with L > K is among the
// at most 16 longer rows that hold E, whose least start M a seek on L finds. So
// A > MIN(E - K, M - 1) holds for every row that holds E, whatever K is, and bounds A to
// the few rows after E - K, or from M on when a long row holds E. Where E is a column
// of another table M would be worked out again for each of its rows, and the plain
// maximum stays. The bound is added only where the test is a
// conjunct of a WHERE clause (not under OR or NOT), where a test that is false and one
// that is Null both drop the row. The maximum is taken over the rows that the clause's
// other conjuncts "T.C = number" keep, so that a column whose meaning depends on a
// kind (Symbols' Data_4) is bounded by the rows of that kind alone.
#pragma once

#include "jetsql.h"
#include "jetsqltokens.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qeldao {

struct RangeBound {
    // Token ranges [first, last] of the start A and of the compared value E.
    size_t startFirst, startLast;
    size_t valueFirst, valueLast;
    std::string table;        // T, as the catalog names it
    std::string startColumn;  // A
    std::string lengthColumn; // L
    std::vector<std::pair<std::string, std::string>> equalities; // column, number
};

// The bounds of the statement `tokens` from `first` on, by the token after which each
// goes.
std::map<size_t, RangeBound> FindRangeBounds(const std::vector<SqlToken> &tokens, size_t first,
                                             const QueryCatalog &catalog);

} // namespace qeldao
