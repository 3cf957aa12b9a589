#include "jetsqltokens.h"

#include "jeterror.h"
#include "jetnames.h"

namespace qeldao {

namespace {

bool IsNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool IsNamePart(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '$';
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool SqlToken::IsWord(std::string_view keyword) const
{
    return kind == Word && SameName(text, keyword);
}

std::vector<SqlToken> TokenizeJetSql(std::string_view sql, const char *source)
{
    std::vector<SqlToken> tokens;
    size_t i = 0;
    const size_t n = sql.size();
    auto at = [&](size_t k) { return k < n ? static_cast<unsigned char>(sql[k]) : 0; };
    while (i < n) {
        unsigned char c = at(i);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        SqlToken token{SqlToken::Symbol, std::string(), i, i};
        if (IsNameStart(c)) {
            size_t k = i + 1;
            while (k < n && IsNamePart(at(k)))
                ++k;
            token.kind = SqlToken::Word;
            token.text = std::string(sql.substr(i, k - i));
            i = k;
        } else if (c == '[') {
            size_t close = sql.find(']', i + 1);
            if (close == std::string_view::npos)
                ThrowJet(source, JET_SYNTAX, std::string(sql.substr(i)));
            token.kind = SqlToken::Bracketed;
            token.text = std::string(sql.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '\'' || c == '"') {
            size_t k = i + 1;
            for (;;) {
                if (k >= n)
                    ThrowJet(source, JET_SYNTAX, std::string(sql.substr(i)));
                if (at(k) == c) {
                    if (at(k + 1) != c)
                        break;
                    ++k; // a doubled quote stands for one
                }
                token.text += static_cast<char>(at(k));
                ++k;
            }
            token.kind = SqlToken::String;
            i = k + 1;
        } else if (IsDigit(c) || (c == '.' && IsDigit(at(i + 1)))) {
            size_t k = i;
            while (IsDigit(at(k)))
                ++k;
            if (at(k) == '.') {
                ++k;
                while (IsDigit(at(k)))
                    ++k;
            }
            if ((at(k) == 'e' || at(k) == 'E') &&
                (IsDigit(at(k + 1)) || ((at(k + 1) == '+' || at(k + 1) == '-') && IsDigit(at(k + 2))))) {
                k += 2;
                while (IsDigit(at(k)))
                    ++k;
            }
            token.kind = SqlToken::Number;
            token.text = std::string(sql.substr(i, k - i));
            i = k;
        } else {
            static const char *const kPairs[] = {"<>", "<=", ">=", "!=", "==", "||"};
            size_t length = 1;
            for (const char *pair : kPairs)
                if (c == static_cast<unsigned char>(pair[0]) && at(i + 1) == static_cast<unsigned char>(pair[1]))
                    length = 2;
            token.text = std::string(sql.substr(i, length));
            i += length;
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

} // namespace qeldao
