#include "jetlike.h"

#include <memory>
#include <new>

namespace qeldao {

namespace {

// SQLite's own limit on LIKE patterns; a compiled token takes 33 bytes per pattern byte.
const size_t kMaxPatternLength = 50000;

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AddBothCases(std::bitset<256> &set)
{
    for (unsigned c = 'A'; c <= 'Z'; ++c) {
        if (set[c] || set[c + 32]) {
            set[c] = true;
            set[c + 32] = true;
        }
    }
}

} // namespace

JetPattern::JetPattern(std::string_view pattern)
{
    size_t i = 0;
    while (i < pattern.size()) {
        unsigned char c = static_cast<unsigned char>(pattern[i]);
        Token token{false, {}};
        if (c == '*') {
            ++i;
            if (m_tokens.empty() || !m_tokens.back().star)
                m_tokens.push_back(Token{true, {}});
            continue;
        }
        if (c == '?') {
            token.chars.set();
            ++i;
        } else if (c == '#') {
            for (unsigned d = '0'; d <= '9'; ++d)
                token.chars[d] = true;
            ++i;
        } else if (c == '[' && pattern.find(']', i + 1) != std::string_view::npos) {
            size_t close = pattern.find(']', i + 1);
            std::string_view list = pattern.substr(i + 1, close - i - 1);
            i = close + 1;
            if (list.empty())
                continue;
            bool negate = list[0] == '!';
            if (negate)
                list.remove_prefix(1);
            for (size_t k = 0; k < list.size(); ++k) {
                unsigned char first = static_cast<unsigned char>(list[k]);
                // A '-' between two characters makes a range; at either end it is itself.
                if (k + 2 < list.size() && list[k + 1] == '-') {
                    unsigned char last = static_cast<unsigned char>(list[k + 2]);
                    for (unsigned b = first; b <= last; ++b)
                        token.chars[b] = true;
                    k += 2;
                } else {
                    token.chars[first] = true;
                }
            }
            AddBothCases(token.chars);
            if (negate)
                token.chars.flip();
        } else {
            token.chars[c] = true;
            if (IsAsciiLetter(c))
                token.chars[c ^ 0x20] = true;
            ++i;
        }
        m_tokens.push_back(token);
    }
}

// The classic wildcard walk: on a mismatch, go back to the last '*' and let it take
// one character more. Every token but '*' takes exactly one character, so the walk
// never needs more than that one point to return to, and takes at most
// pattern length times text length steps.
bool JetPattern::Matches(std::string_view text) const
{
    const size_t count = m_tokens.size();
    size_t p = 0;
    size_t t = 0;
    size_t starP = SIZE_MAX;
    size_t starT = 0;
    while (t < text.size()) {
        if (p < count && m_tokens[p].star) {
            starP = ++p;
            starT = t;
            continue;
        }
        if (p < count && m_tokens[p].chars[static_cast<unsigned char>(text[t])]) {
            ++p;
            ++t;
            continue;
        }
        if (starP == SIZE_MAX)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < count && m_tokens[p].star)
        ++p;
    return p == count;
}

namespace {

void DeletePattern(void *pattern)
{
    delete static_cast<JetPattern *>(pattern);
}

// The value as text (a number is written as SQLite writes it), or false when SQLite
// has no memory to make that text.
bool ValueText(sqlite3_value *value, std::string_view *text)
{
    const unsigned char *bytes = sqlite3_value_text(value);
    if (!bytes)
        return false;
    *text = std::string_view(reinterpret_cast<const char *>(bytes), static_cast<size_t>(sqlite3_value_bytes(value)));
    return true;
}

// like(pattern, text): SQLite's calling order for "text LIKE pattern".
void JetLike(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return; // Null, as every comparison with Null
    std::string_view pattern;
    std::string_view text;
    if (!ValueText(argv[0], &pattern) || !ValueText(argv[1], &text)) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (pattern.size() > kMaxPatternLength) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    // The pattern is compiled once per statement for as long as it stays the same.
    auto *cached = static_cast<JetPattern *>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<JetPattern> compiled;
    if (!cached) {
        try {
            compiled = std::make_unique<JetPattern>(pattern);
        } catch (const std::bad_alloc &) {
            sqlite3_result_error_nomem(context);
            return;
        }
        cached = compiled.get();
    }
    sqlite3_result_int(context, cached->Matches(text) ? 1 : 0);
    // SQLite may free the pattern at once; it is not used after this.
    if (compiled)
        sqlite3_set_auxdata(context, 0, compiled.release(), DeletePattern);
}

} // namespace

int RegisterJetLike(sqlite3 *db)
{
    return sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, JetLike, nullptr,
                                      nullptr, nullptr);
}

} // namespace qeldao
