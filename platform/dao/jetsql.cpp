#include "jetsql.h"

#include "daoconst.h"
#include "jeterror.h"
#include "jetnames.h"
#include "jetsqlbounds.h"
#include "jetsqlinlists.h"
#include "jetsqlsinglerow.h"
#include "jetsqltokens.h"

#include <map>
#include <set>
#include <unordered_map>

namespace qeldao {

namespace {

const char *const kAggregates[] = {"MIN", "MAX", "COUNT", "SUM", "AVG", "FIRST", "LAST", "STDEV", "STDEVP", "VAR", "VARP"};

// How deep stored queries may stand inside one another; the texts come from the file,
// and each level is a level of recursion here.
const int kMaxNesting = 50;

const char *const kLongTypes[] = {"LONG", "INTEGER", "INT", "INTEGER4"};
const char *const kTextTypes[] = {"TEXT", "CHAR", "VARCHAR", "CHARACTER", "STRING", "ALPHANUMERIC"};

bool IsOneOf(const SqlToken &token, const char *const *words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (token.IsWord(words[i]))
            return true;
    return false;
}

template <size_t N>
bool IsOneOf(const SqlToken &token, const char *const (&words)[N])
{
    return IsOneOf(token, words, N);
}

// What the first SELECT of a statement looks like, as far as the translation cares.
struct SelectShape {
    size_t selectToken = SIZE_MAX;
    std::map<size_t, std::string> aliasAfter; // token index -> " AS ..." to write after it
    bool updatable = false;
    std::string baseTable;
    std::string baseQualifier;
};

class Translator {
public:
    Translator(const QueryCatalog &catalog, const char *source) : m_catalog(catalog), m_source(source) {}

    TranslatedQuery Run(std::string_view sql, std::string_view queryName)
    {
        if (!queryName.empty())
            m_visiting.insert(FoldName(queryName));
        size_t keyAt = SIZE_MAX;
        SelectShape shape;
        std::string body = Translate(sql, true, &keyAt, &shape);

        std::string with;
        for (const auto &[name, cteBody] : m_ctes)
            with += (with.empty() ? "WITH " : ", ") + QuoteName(name) + " AS (" + cteBody + ")";
        if (!with.empty())
            with += ' ';

        TranslatedQuery result;
        result.sql = with + body;
        if (shape.updatable && keyAt != SIZE_MAX) {
            std::string keyed = body;
            std::string rowId = " ";
            rowId += QuoteName(shape.baseQualifier);
            rowId += ".rowid,";
            keyed.insert(keyAt, rowId);
            result.keyedSql = with + keyed;
            result.baseTable = shape.baseTable;
        }
        result.parameters = m_parameters;
        return result;
    }

private:
    [[noreturn]] void Syntax(std::string_view sql) { ThrowJet(m_source, JET_SYNTAX, std::string(sql)); }

    void Declare(const std::string &name, short type)
    {
        std::string folded = FoldName(name);
        auto found = m_index.find(folded);
        if (found == m_index.end()) {
            m_index.emplace(folded, m_parameters.size());
            m_parameters.push_back(JetParameter{name, type});
        } else if (m_parameters[found->second].type == 0) {
            m_parameters[found->second].type = type;
        }
    }

    bool IsParameter(const std::string &name) const
    {
        return (!name.empty() && name[0] == '_') || m_index.count(FoldName(name)) != 0;
    }

    size_t Use(const std::string &name)
    {
        std::string folded = FoldName(name);
        auto found = m_index.find(folded);
        if (found != m_index.end())
            return found->second + 1;
        Declare(name, 0);
        return m_parameters.size();
    }

    // The PARAMETERS clause at the front, if any; returns the first token after it.
    size_t ParseParameters(const std::vector<SqlToken> &tokens)
    {
        if (tokens.empty() || !tokens[0].IsWord("PARAMETERS"))
            return 0;
        size_t k = 1;
        for (;;) {
            if (k + 1 >= tokens.size() || !tokens[k].IsName() || tokens[k + 1].kind != SqlToken::Word)
                ThrowDao(m_source, JET_SYNTAX, "Syntax error in PARAMETER clause.");
            const SqlToken &name = tokens[k];
            const SqlToken &type = tokens[k + 1];
            k += 2;
            if (k + 2 < tokens.size() && tokens[k].IsSymbol("(") && tokens[k + 1].kind == SqlToken::Number &&
                tokens[k + 2].IsSymbol(")"))
                k += 3;
            if (IsOneOf(type, kLongTypes))
                Declare(name.text, dbLong);
            else if (IsOneOf(type, kTextTypes))
                Declare(name.text, dbText);
            else
                ThrowDao(m_source, JET_SYNTAX,
                         "The type '" + type.text + "' of parameter '" + name.text + "' is not supported.");
            if (k < tokens.size() && tokens[k].IsSymbol(",")) {
                ++k;
                continue;
            }
            if (k < tokens.size() && tokens[k].IsSymbol(";"))
                return k + 1;
            ThrowDao(m_source, JET_SYNTAX, "Syntax error in PARAMETER clause.");
        }
    }

    SelectShape Shape(const std::vector<SqlToken> &tokens, size_t first, bool outer)
    {
        SelectShape shape;
        const size_t n = tokens.size();
        int depth = 0;
        size_t k = first;
        for (; k < n; ++k) {
            if (tokens[k].IsSymbol("("))
                ++depth;
            else if (tokens[k].IsSymbol(")"))
                --depth;
            else if (depth == 0 && tokens[k].IsWord("SELECT"))
                break;
        }
        if (k >= n)
            return shape;
        shape.selectToken = k++;
        bool plain = true;
        if (k < n && (tokens[k].IsWord("DISTINCT") || tokens[k].IsWord("DISTINCTROW"))) {
            plain = false;
            ++k;
        } else if (k < n && tokens[k].IsWord("ALL")) {
            ++k;
        }

        // The items of the select list, up to FROM.
        struct Item {
            size_t first, last;
        };
        std::vector<Item> items;
        size_t itemStart = k;
        depth = 0;
        for (; k < n; ++k) {
            const SqlToken &token = tokens[k];
            if (token.IsSymbol("("))
                ++depth;
            else if (token.IsSymbol(")"))
                --depth;
            else if (depth == 0 && (token.IsWord("FROM") || token.IsSymbol(";")))
                break;
            else if (depth == 0 && token.IsSymbol(",")) {
                if (k > itemStart)
                    items.push_back({itemStart, k - 1});
                itemStart = k + 1;
                continue;
            }
            if (depth == 0 && k + 1 < n && IsOneOf(token, kAggregates) && tokens[k + 1].IsSymbol("("))
                plain = false;
        }
        if (k > itemStart)
            items.push_back({itemStart, k - 1});
        size_t from = k;

        std::vector<std::string> names(items.size());
        std::vector<std::string> qualifiers(items.size());
        std::map<std::string, int> counts;
        for (size_t i = 0; i < items.size(); ++i) {
            const Item &item = items[i];
            const SqlToken &last = tokens[item.last];
            if (item.last == item.first + 2 && tokens[item.first].IsName() && tokens[item.first + 1].IsSymbol(".") &&
                last.IsName()) {
                qualifiers[i] = tokens[item.first].text;
                names[i] = last.text;
            } else if (item.last == item.first && last.IsName()) {
                names[i] = last.text;
            } else if (item.last > item.first && last.IsName() && tokens[item.last - 1].IsWord("AS")) {
                names[i] = last.text;
            }
            if (!names[i].empty())
                ++counts[FoldName(names[i])];
        }
        // A compound statement orders its rows by output names, which SQLite matches
        // against explicit names only: a qualified column gets its output name spelled out.
        bool compound = false;
        depth = 0;
        for (size_t j = from; j < n; ++j) {
            if (tokens[j].IsSymbol("("))
                ++depth;
            else if (tokens[j].IsSymbol(")"))
                --depth;
            else if (depth == 0 &&
                     (tokens[j].IsWord("UNION") || tokens[j].IsWord("INTERSECT") || tokens[j].IsWord("EXCEPT")))
                compound = true;
        }
        for (size_t i = 0; i < items.size(); ++i) {
            if (qualifiers[i].empty())
                continue;
            if (counts[FoldName(names[i])] > 1)
                shape.aliasAfter[items[i].last] = " AS " + QuoteName(qualifiers[i] + "." + names[i]);
            else if (compound)
                shape.aliasAfter[items[i].last] = " AS " + QuoteName(names[i]);
        }

        if (!outer || !plain || from >= n)
            return shape;
        // One table, nothing that groups or combines rows: such a query can be edited.
        size_t sourceEnd = from + 1;
        depth = 0;
        for (size_t j = from + 1; j < n; ++j) {
            const SqlToken &token = tokens[j];
            if (token.IsSymbol("("))
                ++depth;
            else if (token.IsSymbol(")"))
                --depth;
            else if (depth == 0 && (token.IsWord("GROUP") || token.IsWord("HAVING") || token.IsWord("UNION") ||
                                    token.IsWord("INTERSECT") || token.IsWord("EXCEPT")))
                return shape;
            if (sourceEnd == from + 1 && depth == 0 &&
                (token.IsWord("WHERE") || token.IsWord("ORDER") || token.IsSymbol(";")))
                sourceEnd = j;
        }
        if (sourceEnd == from + 1)
            sourceEnd = n;
        size_t count = sourceEnd - from - 1;
        const SqlToken &table = tokens[from + 1];
        std::string qualifier;
        if (count == 1 && table.IsName())
            qualifier = table.text;
        else if (count == 2 && table.IsName() && tokens[from + 2].IsName())
            qualifier = tokens[from + 2].text;
        else if (count == 3 && table.IsName() && tokens[from + 2].IsWord("AS") && tokens[from + 3].IsName())
            qualifier = tokens[from + 3].text;
        else
            return shape;
        std::string storedName, sql;
        if (m_catalog.findQuery(table.text, &storedName, &sql) || !m_catalog.isTable(table.text))
            return shape;
        shape.updatable = true;
        shape.baseTable = table.text;
        shape.baseQualifier = qualifier;
        return shape;
    }

    void Expand(const std::string &storedName, const std::string &sql)
    {
        std::string folded = FoldName(storedName);
        if (m_done.count(folded))
            return;
        if (m_visiting.count(folded))
            ThrowJet(m_source, JET_CIRCULAR_REFERENCE, storedName);
        if (m_visiting.size() > kMaxNesting)
            ThrowJet(m_source, JET_TOO_COMPLEX);
        m_visiting.insert(folded);
        std::string body = Translate(sql, false, nullptr, nullptr);
        m_visiting.erase(folded);
        m_done.insert(folded);
        m_ctes.emplace_back(storedName, body);
    }

    // The SQLite text of token k; "DELETE *" is one token, and k moves past the '*'.
    std::string TokenText(const std::vector<SqlToken> &tokens, size_t first, size_t &k)
    {
        const size_t n = tokens.size();
        const SqlToken &token = tokens[k];
        bool afterDot = k > first && tokens[k - 1].IsSymbol(".");
        bool beforeDot = k + 1 < n && tokens[k + 1].IsSymbol(".");
        std::string storedName, storedSql;
        std::string out;
        switch (token.kind) {
        case SqlToken::Word:
        case SqlToken::Bracketed:
            if (!afterDot && !beforeDot && IsParameter(token.text)) {
                out += '?';
                out += std::to_string(Use(token.text));
            } else if (!afterDot && m_catalog.findQuery(token.text, &storedName, &storedSql)) {
                Expand(storedName, storedSql);
                out += QuoteName(storedName);
            } else if (token.kind == SqlToken::Bracketed) {
                out += QuoteName(token.text);
            } else if (!afterDot && !beforeDot && token.IsWord("True")) {
                out += "-1";
            } else if (!afterDot && !beforeDot && token.IsWord("False")) {
                out += "0";
            } else {
                out += token.text;
                if (token.IsWord("DELETE") && k + 1 < n && tokens[k + 1].IsSymbol("*"))
                    ++k;
            }
            break;
        case SqlToken::String:
            out += '\'';
            for (char c : token.text) {
                if (c == '\'')
                    out += '\'';
                out += c;
            }
            out += '\'';
            break;
        case SqlToken::Symbol:
            if (token.IsSymbol(";")) {
                if (k + 1 != n)
                    ThrowJet(m_source, JET_TEXT_AFTER_END);
            } else if (token.IsSymbol("&")) {
                out += "||";
            } else {
                out += token.text;
            }
            break;
        case SqlToken::Number:
            out += token.text;
            break;
        }
        return out;
    }

    std::string SpanText(const std::vector<SqlToken> &tokens, size_t first, size_t from, size_t to)
    {
        std::string out;
        for (size_t k = from; k <= to; ++k)
            out += TokenText(tokens, first, k);
        return out;
    }

    // The conjunct that bounds a containment test from below (jetsqlbounds.h). The
    // table's alias holds a '.', which no Jet name can, so that it hides no name of
    // the statement. MAX passes over Nulls anyway; saying so lets an index that leaves
    // them out serve it.
    std::string BoundText(const std::vector<SqlToken> &tokens, size_t first, const RangeBound &bound)
    {
        const std::string alias = QuoteName("qel.bound");
        const std::string start = alias + "." + QuoteName(bound.startColumn);
        const std::string length = alias + "." + QuoteName(bound.lengthColumn);
        std::string kinds;
        for (const auto &[column, number] : bound.equalities)
            kinds += " AND " + alias + "." + QuoteName(column) + " = " + number;
        const std::string from = " FROM " + QuoteName(bound.table) + " AS " + alias + " WHERE ";
        const std::string value = "(" + SpanText(tokens, first, bound.valueFirst, bound.valueLast) + ")";
        std::string text = " AND (" + SpanText(tokens, first, bound.startFirst, bound.startLast) + ") > ";
        if (!IsConstant(tokens, bound.valueFirst, bound.valueLast))
            return text + value + " - (SELECT MAX(" + length + ")" + from + length + " IS NOT NULL" + kinds + ")";
        // K: the 17th longest, or 0 when there are fewer lengths (any K answers alike).
        const std::string k = "COALESCE((SELECT " + length + from + length + " IS NOT NULL" + kinds + " ORDER BY " +
                              length + " DESC LIMIT 1 OFFSET 16), 0)";
        const std::string m = "(SELECT MIN(" + start + ")" + from + length + " > " + k + " AND " + value + " < " +
                              start + " + " + length + kinds + ")";
        return text + "MIN(" + value + " - " + k + ", COALESCE(" + m + " - 1, " + value + " - " + k + "))";
    }

    // "(C IN (n1, n2, ...))" for equalities of C joined by OR (jetsqlinlists.h).
    std::string InListText(const std::vector<SqlToken> &tokens, size_t first, const InList &list)
    {
        std::string text = "(" + SpanText(tokens, first, list.columnFirst, list.columnLast) + " IN (";
        for (size_t i = 0; i < list.numbers.size(); ++i)
            text += (i ? ", " : "") + tokens[list.numbers[i]].text;
        return text + "))";
    }

    // Whether tokens first to last are one parameter or number, the same for every row.
    bool IsConstant(const std::vector<SqlToken> &tokens, size_t first, size_t last) const
    {
        if (first != last)
            return false;
        const SqlToken &token = tokens[first];
        return token.kind == SqlToken::Number ||
               ((token.kind == SqlToken::Word || token.kind == SqlToken::Bracketed) && IsParameter(token.text) &&
                !(first > 0 && tokens[first - 1].IsSymbol(".")) &&
                !(first + 1 < tokens.size() && tokens[first + 1].IsSymbol(".")));
    }

    std::string Translate(std::string_view sql, bool outer, size_t *keyAt, SelectShape *outerShape)
    {
        std::vector<SqlToken> tokens = TokenizeJetSql(sql, m_source);
        size_t first = ParseParameters(tokens);
        SelectShape shape = Shape(tokens, first, outer);
        const size_t n = tokens.size();
        std::string out;
        size_t previousEnd = first < n ? tokens[first].begin : sql.size();
        const std::map<size_t, RangeBound> bounds = FindRangeBounds(tokens, first, m_catalog);
        const std::set<size_t> singleRowIns = FindSingleRowIns(tokens, first);
        const std::map<size_t, InList> inLists = FindInLists(tokens, first);
        for (size_t k = first; k < n; ++k) {
            const SqlToken &token = tokens[k];
            out += sql.substr(previousEnd, token.begin - previousEnd);
            auto inList = inLists.find(k);
            if (inList != inLists.end()) {
                out += InListText(tokens, first, inList->second);
                k = inList->second.close;
                previousEnd = tokens[k].end;
                continue;
            }
            const size_t at = k;
            out += singleRowIns.count(at) ? "=" : TokenText(tokens, first, k);
            previousEnd = tokens[k].end;
            auto alias = shape.aliasAfter.find(at);
            if (alias != shape.aliasAfter.end())
                out += alias->second;
            auto bound = bounds.find(at);
            if (bound != bounds.end())
                out += BoundText(tokens, first, bound->second);
            if (keyAt && at == shape.selectToken)
                *keyAt = out.size();
        }
        if (first >= n)
            Syntax(sql);
        if (outerShape)
            *outerShape = shape;
        return out;
    }

    const QueryCatalog &m_catalog;
    const char *m_source;
    std::vector<JetParameter> m_parameters;
    std::unordered_map<std::string, size_t> m_index;
    std::vector<std::pair<std::string, std::string>> m_ctes;
    std::set<std::string> m_done;
    std::set<std::string> m_visiting;
};

} // namespace

TranslatedQuery TranslateJetSql(std::string_view jetSql, std::string_view queryName, const QueryCatalog &catalog,
                                const char *source)
{
    return Translator(catalog, source).Run(jetSql, queryName);
}

} // namespace qeldao
