#include "dbxscanner.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool StartsName(char c) { return IsLetter(c) || c == '_' || IsBlank(c); }
bool ContinuesName(char c) { return StartsName(c) || IsDigit(c); }

struct OperatorToken {
    const char *Text;
    int Token;
};

// Every operator begins with '='; the longest that matches wins, so "=*[n]*" is one
// token and "=*" only when the bracketed form does not follow whole.
const OperatorToken kOperators[] = {
    {"=r", D_RANGETYPEINFO},         {"=u", D_UNIONINFO},
    {"=s", D_STRUCTINFO},            {"=ar", D_ARRAYINFO},
    {"=e", D_ENUMINFO},              {"=*", D_POINTERINFO},
    {"=&", D_POINTERINFO},           {"=*[n]*", D_NEARPOINTERINFO},
    {"=&[n]&", D_NEARPOINTERINFO},   {"=*[f]*", D_FARPOINTERINFO},
    {"=&[f]&", D_FARPOINTERINFO},    {"=*[h]*", D_HUGEPOINTERINFO},
    {"=&[h]&", D_HUGEPOINTERINFO},   {"=f", D_FUNCTIONINFO},
    {"=F", D_FUNCTIONINFO},          {"=f[n]f", D_NEARFUNCTIONINFO},
    {"=F[n]F", D_NEARFUNCTIONINFO},  {"=f[f]f", D_FARFUNCTIONINFO},
    {"=F[f]F", D_FARFUNCTIONINFO},   {"=f[sn]f", D_SNEARFUNCTIONINFO},
    {"=F[sn]F", D_SNEARFUNCTIONINFO}, {"=f[sf]f", D_SFARFUNCTIONINFO},
    {"=F[sf]F", D_SFARFUNCTIONINFO},
};

} // namespace

LPCSTR GetDBXSymbolName(int symbol)
{
    static const char *const names[] = {
        "D_NAME",           "D_NUMBER",          "D_VOIDNUMBER",       "D_RANGETYPEINFO",
        "D_UNIONINFO",      "D_STRUCTINFO",      "D_ARRAYINFO",        "D_ENUMINFO",
        "D_POINTERINFO",    "D_NEARPOINTERINFO", "D_FARPOINTERINFO",   "D_HUGEPOINTERINFO",
        "D_FUNCTIONINFO",   "D_NEARFUNCTIONINFO", "D_FARFUNCTIONINFO", "D_SNEARFUNCTIONINFO",
        "D_SFARFUNCTIONINFO",
    };
    if (symbol >= D_NAME && symbol <= D_SFARFUNCTIONINFO)
        return names[symbol - D_NAME];
    switch (symbol) {
    case 0:
        return "$";
    case ';':
        return "';'";
    case ':':
        return "':'";
    case ',':
        return "','";
    default:
        return "$undefined.";
    }
}

LONG ConvertDBXNumber(const char *text, size_t length)
{
    // strtol would do this in 64 bits here; the writers' tools did it in 32, which is
    // what the bounds in the strings mean.
    const int base = length < 11 ? 10 : 8;
    size_t i = 0;
    bool negative = false;
    if (i < length && text[i] == '-') {
        negative = true;
        ++i;
    }
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    for (; i < length && IsDigit(text[i]) && text[i] - '0' < base; ++i) {
        value = value * base + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<LONG>(negative ? -value : value);
}

size_t CDBXScanner::MatchOperator(size_t position, int *token) const
{
    size_t best = 0;
    const size_t remaining = m_nLength - position;
    for (const OperatorToken &candidate : kOperators) {
        const size_t length = strlen(candidate.Text);
        if (length > best && length <= remaining && memcmp(m_pText + position, candidate.Text, length) == 0) {
            best = length;
            *token = candidate.Token;
        }
    }
    return best;
}

int CDBXScanner::Next()
{
    while (m_nPosition < m_nLength) {
        const size_t start = m_nPosition;
        const char c = m_pText[start];
        if (StartsName(c)) {
            size_t end = start + 1;
            while (end < m_nLength && ContinuesName(m_pText[end]))
                ++end;
            m_name.assign(m_pText + start, end - start);
            m_nPosition = end;
            return D_NAME;
        }
        const size_t digits = c == '-' || c == '=' ? start + 1 : start;
        if (digits < m_nLength && IsDigit(m_pText[digits])) {
            size_t end = digits;
            while (end < m_nLength && IsDigit(m_pText[end]))
                ++end;
            m_nPosition = end;
            if (c == '=') {
                m_nNumber = ConvertDBXNumber(m_pText + digits, end - digits);
                return D_VOIDNUMBER;
            }
            m_nNumber = ConvertDBXNumber(m_pText + start, end - start);
            return D_NUMBER;
        }
        if (c == ';' || c == ':' || c == ',') {
            ++m_nPosition;
            return c;
        }
        int token = 0;
        if (c == '=') {
            const size_t length = MatchOperator(start, &token);
            if (length > 0) {
                m_nPosition += length;
                return token;
            }
        }
        // No pattern takes the character: it is skipped.
        ++m_nPosition;
    }
    return 0;
}
