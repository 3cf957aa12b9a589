#include "watchscanner.h"

#include "watchtokens.h"

#include <algorithm>
#include <cstdlib>
#include <locale.h>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || IsDigit(c);
}

bool IsIntegerSuffix(char c)
{
    return c == 'u' || c == 'U' || c == 'l' || c == 'L';
}

bool IsFloatSuffix(char c)
{
    return c == 'f' || c == 'F' || c == 'l' || c == 'L';
}

int Keyword(std::string_view name)
{
    static constexpr struct {
        std::string_view text;
        int code;
    } keywords[] = {{"char", T_CHAR},   {"double", T_DOUBLE}, {"enum", T_ENUM},         {"float", T_FLOAT},
                    {"int", T_INT},     {"long", T_LONG},     {"short", T_SHORT},       {"signed", T_SIGNED},
                    {"struct", T_STRUCT}, {"union", T_UNION}, {"unsigned", T_UNSIGNED}, {"void", T_VOID},
                    {"bit", T_BIT},     {"bitword", T_BITWORD}};
    for (const auto &keyword : keywords)
        if (name == keyword.text)
            return keyword.code;
    return 0;
}

bool IsSingleCharacterToken(char c)
{
    switch (c) {
    case '!': case '%': case '&': case '(': case ')': case '*': case '+': case ',': case '-': case '.': case '/':
    case ':': case ';': case '<': case '=': case '>': case '?': case '[': case ']': case '^': case '{': case '|':
    case '}': case '~':
        return true;
    default:
        return false;
    }
}

int TwoCharacterOperator(char first, char second)
{
    static const struct {
        char text[3];
        int code;
    } operators[] = {{">>", RIGHT_OP}, {"<<", LEFT_OP}, {"->", PTR_OP}, {"&&", AND_OP}, {"||", OR_OP},
                     {"<=", LE_OP},    {">=", GE_OP},   {"==", EQ_OP},  {"!=", NE_OP}};
    for (const auto &op : operators)
        if (op.text[0] == first && op.text[1] == second)
            return op.code;
    return 0;
}

// Digits read into 32 bits as a 32-bit strtoul reads them: a value that does not fit
// saturates at 0xFFFFFFFF instead of wrapping.
UINT ReadUnsigned(std::string_view digits, int radix)
{
    unsigned long long value = 0;
    for (char c : digits) {
        int digit = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * radix + digit;
        if (value > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return static_cast<UINT>(value);
}

// A floating constant as strtod reads it in the C locale, whatever the process's is.
double ReadDouble(std::string_view text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    std::string copy(text);
    return strtod_l(copy.c_str(), nullptr, c);
}

} // namespace

void CWatchScanner::Count(std::string_view text)
{
    for (char c : text) {
        if (c == '\n')
            m_column = 0;
        else if (c == '\t')
            m_column += 8 - m_column % 8;
        else
            ++m_column;
    }
}

bool CWatchScanner::Refused(size_t end, size_t textLength) const
{
    return (m_truncated && end >= m_input.size()) || textLength >= m_tokenLimit;
}

// The length of the longest number at `at` (0 when none), and whether it is floating; on
// a tie the earlier rule (integers before floating forms) wins.
size_t CWatchScanner::MatchNumber(size_t at, bool *floating) const
{
    std::string_view s = m_input.substr(at);
    auto digits = [&](size_t from) {
        size_t i = from;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        return i;
    };
    auto exponent = [&](size_t from) -> size_t { // the end of an exponent at `from`, else `from`
        size_t i = from;
        if (i >= s.size() || (s[i] != 'e' && s[i] != 'E'))
            return from;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t end = digits(i);
        return end > i ? end : from;
    };
    auto floatSuffix = [&](size_t end) { return end < s.size() && IsFloatSuffix(s[end]) ? end + 1 : end; };

    size_t integer = 0;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && IsHexDigit(s[2])) {
        integer = 2;
        while (integer < s.size() && IsHexDigit(s[integer]))
            ++integer;
    } else {
        integer = digits(0);
    }
    if (integer > 0)
        while (integer < s.size() && IsIntegerSuffix(s[integer]))
            ++integer;

    size_t real = 0;
    size_t whole = digits(0);
    if (whole > 0) { // digits with an exponent
        size_t end = exponent(whole);
        if (end > whole)
            real = floatSuffix(end);
    }
    if (whole < s.size() && s[whole] == '.') {
        size_t fraction = digits(whole + 1);
        // digits "." digits, or digits "."; either with an optional exponent
        if (fraction > whole + 1 || whole > 0)
            real = std::max(real, floatSuffix(exponent(fraction)));
    }
    *floating = real > integer;
    return std::max(integer, real);
}

// The length of the quoted token at `at` ('...' or "..." with backslash escapes; a
// character constant holds at least one character), 0 when it does not close.
size_t CWatchScanner::MatchQuoted(size_t at, char quote) const
{
    size_t i = at + 1;
    size_t characters = 0;
    while (i < m_input.size()) {
        char c = m_input[i];
        if (c == '\\') {
            if (i + 1 >= m_input.size() || m_input[i + 1] == '\n')
                return 0;
            i += 2;
        } else if (c == quote) {
            if (quote == '\'' && characters == 0)
                return 0;
            return i + 1 - at;
        } else {
            ++i;
        }
        ++characters;
    }
    return 0;
}

bool CWatchScanner::Next(WatchScannedToken &token)
{
    token.code = 0;
    token.text = {};
    token.name.clear();
    token.number = 0;
    token.real = 0;
    while (m_at < m_input.size()) {
        const size_t at = m_at;
        const char c = m_input[at];
        const char next = at + 1 < m_input.size() ? m_input[at + 1] : '\0';
        if (c == ' ' || c == '\t' || c == '\n') {
            Count(m_input.substr(at, 1));
            ++m_at;
            continue;
        }
        size_t length = 0;
        if (c == '/' && (next == '*' || next == '/')) {
            size_t end;
            if (next == '*') {
                size_t close = m_input.find("*/", at + 2);
                end = close == std::string_view::npos ? m_input.size() : close + 2;
            } else {
                size_t line = m_input.find('\n', at + 2);
                end = line == std::string_view::npos ? m_input.size() : line;
            }
            if (Refused(end, end - at))
                return false;
            token.code = COMMENT;
            token.text = m_input.substr(at, end - at);
            token.name.assign(token.text);
            m_at = end; // a comment does not move the column
            return true;
        }
        if (IsNameStart(c)) {
            size_t end = at + 1;
            while (end < m_input.size() && IsNameChar(m_input[end]))
                ++end;
            if (Refused(end, end - at))
                return false;
            token.text = m_input.substr(at, end - at);
            token.code = Keyword(token.text);
            if (token.code != 0) {
                token.number = static_cast<UINT>(token.code);
            } else {
                token.name.assign(token.text);
                token.code = m_pTypes != nullptr && m_pTypes->IsTypeName(token.name.c_str()) ? TYPE_NAME : IDENTIFIER;
            }
            length = end - at;
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            bool floating = false;
            length = MatchNumber(at, &floating);
            if (Refused(at + length, length))
                return false;
            token.text = m_input.substr(at, length);
            if (floating) {
                token.code = FCONSTANT;
                token.real = ReadDouble(token.text);
            } else {
                token.code = CONSTANT;
                std::string_view digits = token.text;
                while (IsIntegerSuffix(digits.back()))
                    digits.remove_suffix(1);
                bool hex = digits.size() > 1 && (digits[1] == 'x' || digits[1] == 'X');
                token.number = hex ? ReadUnsigned(digits.substr(2), 16) : ReadUnsigned(digits, 10);
            }
        } else if ((c == '\'' || c == '"') && (length = MatchQuoted(at, c)) != 0) {
            if (Refused(at + length, length))
                return false;
            token.text = m_input.substr(at, length);
            if (c == '\'') {
                // The character after the opening quote; an escape is not read, so '\n'
                // is the backslash.
                token.code = CONSTANT;
                token.number = static_cast<unsigned char>(m_input[at + 1]);
            } else {
                token.code = STRING_LITERAL;
                token.name.assign(token.text.substr(1, length - 2));
            }
        } else if (int op = TwoCharacterOperator(c, next); op != 0) {
            length = 2;
            token.code = op;
        } else if (IsSingleCharacterToken(c)) {
            length = 1;
            token.code = static_cast<unsigned char>(c);
        } else {
            // No rule takes the character: it is skipped and not counted.
            ++m_at;
            continue;
        }
        if (Refused(at + length, length))
            return false;
        if (token.text.empty())
            token.text = m_input.substr(at, length);
        Count(token.text);
        m_at = at + length;
        return true;
    }
    // A truncated text goes on beyond what the buffer holds.
    return !m_truncated;
}
