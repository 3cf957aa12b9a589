// Jet's LIKE, which takes the place of SQLite's own in every database of this engine.
//
// Jet's wildcards: '*' any run of characters, '?' any one character, '#' one digit,
// "[list]" one character of the list, "[!list]" one character not in it, with ranges
// such as "[a-z]". Every other character, '_' and '%' among them, stands for itself.
// Texts are bytes of code page 1252; letters compare blind to ASCII case only, so the
// bytes 0x80 to 0xFF match only themselves (the NameString encoding relies on that).
// A '[' without its ']' stands for itself; "[]" matches no character at all.
#pragma once

#include <sqlite3.h>

#include <bitset>
#include <string_view>
#include <vector>

namespace qeldao {

class JetPattern {
public:
    explicit JetPattern(std::string_view pattern);
    bool Matches(std::string_view text) const;

private:
    struct Token {
        bool star;
        std::bitset<256> chars; // what one character may be, unless `star`
    };
    std::vector<Token> m_tokens;
};

// Makes "X LIKE Y" in `db` mean Jet's LIKE. Returns SQLite's result code.
int RegisterJetLike(sqlite3 *db);

} // namespace qeldao
