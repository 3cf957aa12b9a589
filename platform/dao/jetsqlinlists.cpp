#include "jetsqlinlists.h"

#include "jetnames.h"

namespace qeldao {

namespace {

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

bool IsColumnName(const SqlToken &token)
{
    return token.IsName() && !token.text.empty() && token.text[0] != '_' && !token.IsWord("NULL") &&
           !token.IsWord("True") && !token.IsWord("False") && !token.IsWord("NOT") && !token.IsWord("OR") &&
           !token.IsWord("AND");
}

// The column at `k` ("C" or "T.C"), its last token in `last`; false when there is none.
bool ColumnAt(const std::vector<SqlToken> &tokens, size_t k, size_t end, size_t &last)
{
    if (k + 2 < end && tokens[k].IsName() && tokens[k + 1].IsSymbol(".") && IsColumnName(tokens[k + 2])) {
        last = k + 2;
        return true;
    }
    if (k < end && IsColumnName(tokens[k]) && !(k + 1 < end && tokens[k + 1].IsSymbol("."))) {
        last = k;
        return true;
    }
    return false;
}

bool SameColumn(const std::vector<SqlToken> &tokens, size_t a, size_t aLast, size_t b, size_t bLast)
{
    if (aLast - a != bLast - b)
        return false;
    for (size_t i = 0; a + i <= aLast; ++i) {
        const SqlToken &x = tokens[a + i], &y = tokens[b + i];
        if (x.IsName() != y.IsName() || (x.IsName() ? !SameName(x.text, y.text) : x.text != y.text))
            return false;
    }
    return true;
}

// Whether the group at `open` stands where a condition stands: not the arguments of a
// function nor a list of values.
bool StandsAsCondition(const std::vector<SqlToken> &tokens, size_t open, size_t first)
{
    if (open == first)
        return true;
    const SqlToken &before = tokens[open - 1];
    return before.IsSymbol("(") || before.IsWord("AND") || before.IsWord("OR") || before.IsWord("NOT") ||
           before.IsWord("WHERE") || before.IsWord("ON") || before.IsWord("HAVING");
}

// Whether the innermost SELECT around `open` is a subquery that "In" compares with: its
// rows are a set, so that a plan that reads them in another order answers the same.
bool InsideInSubquery(const std::vector<SqlToken> &tokens, size_t open, size_t first)
{
    int depth = 0;
    for (size_t k = open; k-- > first;) {
        if (tokens[k].IsSymbol(")")) {
            ++depth;
        } else if (tokens[k].IsSymbol("(") && depth-- == 0) {
            depth = 0;
            if (k + 1 < tokens.size() && tokens[k + 1].IsWord("SELECT"))
                return k > first && tokens[k - 1].IsWord("IN");
        }
    }
    return false;
}

bool Match(const std::vector<SqlToken> &tokens, size_t open, size_t first, InList &found)
{
    const size_t close = Closing(tokens, open);
    if (close == SIZE_MAX || !StandsAsCondition(tokens, open, first) || !InsideInSubquery(tokens, open, first))
        return false;
    found.close = close;
    found.numbers.clear();
    for (size_t k = open + 1;;) {
        size_t last = 0;
        if (!ColumnAt(tokens, k, close, last) || last + 2 >= close || !tokens[last + 1].IsSymbol("=") ||
            tokens[last + 2].kind != SqlToken::Number)
            return false;
        if (found.numbers.empty()) {
            found.columnFirst = k;
            found.columnLast = last;
        } else if (!SameColumn(tokens, found.columnFirst, found.columnLast, k, last)) {
            return false;
        }
        found.numbers.push_back(last + 2);
        k = last + 3;
        if (k == close)
            return found.numbers.size() >= 2;
        if (!tokens[k].IsWord("OR"))
            return false;
        ++k;
    }
}

} // namespace

std::map<size_t, InList> FindInLists(const std::vector<SqlToken> &tokens, size_t first)
{
    std::map<size_t, InList> lists;
    for (size_t k = first; k < tokens.size(); ++k) {
        InList found;
        if (tokens[k].IsSymbol("(") && Match(tokens, k, first, found))
            lists.emplace(k, found);
    }
    return lists;
}

} // namespace qeldao
