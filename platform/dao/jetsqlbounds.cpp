#include "jetsqlbounds.h"

#include "jetnames.h"

namespace qeldao {

namespace {

// Tokens first to last, inclusive.
struct Span {
    size_t first, last;
    bool Empty() const { return first > last; }
    size_t Size() const { return Empty() ? 0 : last - first + 1; }
};

struct Column {
    std::string qualifier, name;
};

struct Source {
    std::string table, alias;
};

class BoundFinder {
public:
    BoundFinder(const std::vector<SqlToken> &tokens, const QueryCatalog &catalog) : m_tokens(tokens), m_catalog(catalog)
    {
        int depth = 0;
        m_depth.resize(tokens.size());
        for (size_t k = 0; k < tokens.size(); ++k) {
            if (tokens[k].IsSymbol(")"))
                --depth;
            m_depth[k] = depth;
            if (tokens[k].IsSymbol("("))
                ++depth;
        }
    }

    std::map<size_t, RangeBound> Run(size_t first)
    {
        std::map<size_t, RangeBound> bounds;
        for (size_t k = first; k < m_tokens.size(); ++k)
            if (m_tokens[k].IsWord("SELECT"))
                Select(k, bounds);
        return bounds;
    }

private:
    bool IsClauseEnd(const SqlToken &token) const
    {
        return token.IsWord("ORDER") || token.IsWord("GROUP") || token.IsWord("HAVING") || token.IsWord("UNION") ||
               token.IsWord("INTERSECT") || token.IsWord("EXCEPT") || token.IsSymbol(";");
    }

    // The index of the parenthesis that closes the one at `open`, or SIZE_MAX.
    size_t Closing(size_t open, size_t limit) const
    {
        for (size_t k = open + 1; k <= limit; ++k)
            if (m_tokens[k].IsSymbol(")") && m_depth[k] == m_depth[open])
                return k;
        return SIZE_MAX;
    }

    Span Unwrap(Span span) const
    {
        while (span.Size() >= 2 && m_tokens[span.first].IsSymbol("(") && Closing(span.first, span.last) == span.last)
            span = Span{span.first + 1, span.last - 1};
        return span;
    }

    // The parts of `span` between its top-level tokens that `isSeparator` takes.
    template <class IsSeparator>
    std::vector<Span> Split(Span span, IsSeparator isSeparator) const
    {
        std::vector<Span> parts;
        if (span.Empty())
            return parts;
        size_t partStart = span.first;
        const int top = m_depth[span.first];
        for (size_t k = span.first; k <= span.last; ++k) {
            if (m_depth[k] == top && isSeparator(m_tokens[k])) {
                parts.push_back(Span{partStart, k - 1});
                partStart = k + 1;
            }
        }
        parts.push_back(Span{partStart, span.last});
        return parts;
    }

    bool HasTop(Span span, const char *word) const
    {
        return Split(span, [&](const SqlToken &t) { return t.IsWord(word); }).size() > 1;
    }

    // The conjuncts of a condition: its parts between top-level ANDs, and theirs in
    // turn when a part is an AND chain in parentheses. A condition with a top-level OR
    // (which binds less tightly than AND) or BETWEEN (whose AND is its own) is one.
    void Conjuncts(Span span, std::vector<Span> &out) const
    {
        span = Unwrap(span);
        if (span.Empty())
            return;
        if (HasTop(span, "OR") || HasTop(span, "BETWEEN")) {
            out.push_back(span);
            return;
        }
        std::vector<Span> parts = Split(span, [](const SqlToken &t) { return t.IsWord("AND"); });
        if (parts.size() == 1) {
            out.push_back(span);
            return;
        }
        for (const Span &part : parts)
            Conjuncts(part, out);
    }

    bool IsColumnName(const SqlToken &token) const
    {
        return token.IsName() && !token.text.empty() && token.text[0] != '_' && !token.IsWord("NULL") &&
               !token.IsWord("True") && !token.IsWord("False");
    }

    bool ColumnOf(Span span, Column &column) const
    {
        span = Unwrap(span);
        if (span.Size() == 1 && IsColumnName(m_tokens[span.first])) {
            column = Column{"", m_tokens[span.first].text};
            return true;
        }
        if (span.Size() == 3 && m_tokens[span.first].IsName() && m_tokens[span.first + 1].IsSymbol(".") &&
            IsColumnName(m_tokens[span.last])) {
            column = Column{m_tokens[span.first].text, m_tokens[span.last].text};
            return true;
        }
        return false;
    }

    // A parameter, a number or a column.
    bool IsValue(Span span) const
    {
        Column ignored;
        span = Unwrap(span);
        if (span.Size() == 1 && (m_tokens[span.first].IsName() || m_tokens[span.first].kind == SqlToken::Number))
            return true;
        return ColumnOf(span, ignored);
    }

    // The tables of a FROM list of plain names, each with its alias; empty when the
    // list holds anything else (a join, a subquery).
    std::vector<Source> Sources(Span span) const
    {
        std::vector<Source> sources;
        for (const Span &item : Split(span, [](const SqlToken &t) { return t.IsSymbol(","); })) {
            Source source;
            const size_t size = item.Size();
            if (size == 0 || !m_tokens[item.first].IsName())
                return {};
            source.table = m_tokens[item.first].text;
            if (size == 1)
                source.alias = source.table;
            else if (size == 2 && m_tokens[item.last].IsName())
                source.alias = m_tokens[item.last].text;
            else if (size == 3 && m_tokens[item.first + 1].IsWord("AS") && m_tokens[item.last].IsName())
                source.alias = m_tokens[item.last].text;
            else
                return {};
            sources.push_back(source);
        }
        return sources;
    }

    // The source that a column names: by its qualifier, or the one source when it has
    // none.
    const Source *SourceOf(const Column &column, const std::vector<Source> &sources) const
    {
        if (column.qualifier.empty())
            return sources.size() == 1 ? &sources[0] : nullptr;
        for (const Source &source : sources)
            if (SameName(source.alias, column.qualifier))
                return &source;
        return nullptr;
    }

    // "C = number" or "number = C" of a column C of `source`.
    bool EqualityOf(Span span, const Source &source, const std::vector<Source> &sources,
                    std::pair<std::string, std::string> &equality) const
    {
        span = Unwrap(span);
        std::vector<Span> sides = Split(span, [](const SqlToken &t) { return t.IsSymbol("="); });
        if (sides.size() != 2)
            return false;
        for (int number = 0; number < 2; ++number) {
            Span value = Unwrap(sides[number]);
            Column column;
            if (value.Size() != 1 || m_tokens[value.first].kind != SqlToken::Number ||
                !ColumnOf(sides[1 - number], column) || SourceOf(column, sources) != &source)
                continue;
            equality = {column.name, m_tokens[value.first].text};
            return true;
        }
        return false;
    }

    void Containment(Span span, const std::vector<Source> &sources, const std::vector<Span> &conjuncts,
                     std::map<size_t, RangeBound> &bounds) const
    {
        std::vector<Span> sides = Split(span, [](const SqlToken &t) { return t.IsSymbol("<"); });
        if (sides.size() != 2 || !IsValue(sides[0]))
            return;
        std::vector<Span> terms = Split(Unwrap(sides[1]), [](const SqlToken &t) { return t.IsSymbol("+"); });
        Column start, length;
        if (terms.size() != 2 || !ColumnOf(terms[0], start) || !ColumnOf(terms[1], length) ||
            !SameName(start.qualifier, length.qualifier))
            return;
        const Source *source = SourceOf(start, sources);
        std::string storedName, sql;
        if (!source || !m_catalog.isTable(source->table) || m_catalog.findQuery(source->table, &storedName, &sql))
            return;
        RangeBound bound;
        Span startSpan = Unwrap(terms[0]), valueSpan = Unwrap(sides[0]);
        bound.startFirst = startSpan.first;
        bound.startLast = startSpan.last;
        bound.valueFirst = valueSpan.first;
        bound.valueLast = valueSpan.last;
        bound.table = source->table;
        bound.startColumn = start.name;
        bound.lengthColumn = length.name;
        for (const Span &other : conjuncts) {
            std::pair<std::string, std::string> equality;
            if (EqualityOf(other, *source, sources, equality))
                bound.equalities.push_back(equality);
        }
        bounds.emplace(span.last, bound);
    }

    void Select(size_t select, std::map<size_t, RangeBound> &bounds) const
    {
        const int depth = m_depth[select];
        size_t from = SIZE_MAX, where = SIZE_MAX, end = m_tokens.size();
        for (size_t k = select + 1; k < m_tokens.size(); ++k) {
            if (m_depth[k] < depth) {
                end = k;
                break;
            }
            if (m_depth[k] != depth)
                continue;
            if (m_tokens[k].IsWord("FROM") && from == SIZE_MAX)
                from = k;
            else if (m_tokens[k].IsWord("WHERE") && from != SIZE_MAX && where == SIZE_MAX)
                where = k;
            else if (IsClauseEnd(m_tokens[k]) || m_tokens[k].IsWord("SELECT")) {
                end = k;
                break;
            }
        }
        if (where == SIZE_MAX || where + 1 >= end)
            return;
        std::vector<Source> sources = Sources(Span{from + 1, where - 1});
        if (sources.empty())
            return;
        std::vector<Span> conjuncts;
        Conjuncts(Span{where + 1, end - 1}, conjuncts);
        for (const Span &conjunct : conjuncts)
            Containment(conjunct, sources, conjuncts, bounds);
    }

    const std::vector<SqlToken> &m_tokens;
    const QueryCatalog &m_catalog;
    std::vector<int> m_depth; // parentheses open before each token
};

} // namespace

std::map<size_t, RangeBound> FindRangeBounds(const std::vector<SqlToken> &tokens, size_t first,
                                             const QueryCatalog &catalog)
{
    return BoundFinder(tokens, catalog).Run(first);
}

} // namespace qeldao
