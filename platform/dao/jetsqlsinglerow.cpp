#include "jetsqlsinglerow.h"

namespace qeldao {

namespace {

const char *const kAggregates[] = {"MIN", "MAX", "COUNT", "SUM", "AVG"};

bool IsAggregate(const SqlToken &token)
{
    for (const char *word : kAggregates)
        if (token.IsWord(word))
            return true;
    return false;
}

// The parenthesis that closes the one at `open`, or SIZE_MAX.
size_t Closing(const std::vector<SqlToken> &tokens, size_t open)
{
    int depth = 0;
    for (size_t k = open; k < tokens.size(); ++k) {
        if (tokens[k].IsSymbol("("))
            ++depth;
        else if (tokens[k].IsSymbol(")") && --depth == 0)
            return k;
    }
    return SIZE_MAX;
}

// Whether tokens open+1 .. close-1 are "SELECT AGG ( ... ) FROM ..." with nothing at
// their top level that could give more rows than one.
bool IsSingleRowSelect(const std::vector<SqlToken> &tokens, size_t open, size_t close)
{
    size_t k = open + 1;
    if (k + 2 >= close || !tokens[k].IsWord("SELECT") || !IsAggregate(tokens[k + 1]) ||
        !tokens[k + 2].IsSymbol("("))
        return false;
    const size_t call = Closing(tokens, k + 2);
    if (call == SIZE_MAX || call + 1 >= close || !tokens[call + 1].IsWord("FROM"))
        return false;
    int depth = 0;
    for (size_t j = call + 1; j < close; ++j) {
        if (tokens[j].IsSymbol("("))
            ++depth;
        else if (tokens[j].IsSymbol(")"))
            --depth;
        else if (depth == 0 && (tokens[j].IsWord("GROUP") || tokens[j].IsWord("HAVING") || tokens[j].IsWord("UNION") ||
                                tokens[j].IsWord("INTERSECT") || tokens[j].IsWord("EXCEPT") ||
                                tokens[j].IsWord("LIMIT") || tokens[j].IsWord("TOP")))
            return false;
    }
    return true;
}

} // namespace

std::set<size_t> FindSingleRowIns(const std::vector<SqlToken> &tokens, size_t first)
{
    std::set<size_t> ins;
    for (size_t k = first; k + 1 < tokens.size(); ++k) {
        if (!tokens[k].IsWord("IN") || !tokens[k + 1].IsSymbol("(") || (k > first && tokens[k - 1].IsWord("NOT")))
            continue;
        const size_t close = Closing(tokens, k + 1);
        if (close != SIZE_MAX && IsSingleRowSelect(tokens, k + 1, close))
            ins.insert(k);
    }
    return ins;
}

} // namespace qeldao
