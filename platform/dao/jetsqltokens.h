// The tokens of Jet SQL. Internal to the library.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qeldao {

struct SqlToken {
    enum Kind {
        Word,      // a bare name or keyword, as written
        Bracketed, // "[name]"; `text` holds the name without the brackets
        String,    // '...' or "..."; `text` holds the value, quotes undoubled
        Number,
        Symbol, // an operator or punctuation mark, one or two characters
    };
    Kind kind;
    std::string text;
    size_t begin; // the token's place in the statement
    size_t end;

    bool IsName() const { return kind == Word || kind == Bracketed; }
    bool IsWord(std::string_view keyword) const;
    bool IsSymbol(std::string_view symbol) const { return kind == Symbol && text == symbol; }
};

// The tokens of `sql`. An unterminated string or bracketed name raises a syntax error
// from `source`.
std::vector<SqlToken> TokenizeJetSql(std::string_view sql, const char *source);

} // namespace qeldao
