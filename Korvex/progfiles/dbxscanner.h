// The scanner of the stabs type parser: the type part of a stabs string as tokens.
//
// The token set is fixed by the parser's grammar; each token is the longest text that one
// of the patterns matches, and characters that no pattern takes (a newline, brackets,
// parentheses, a lone '=') are skipped. No state is kept between two tokens, so a
// scanner is only its text and a position.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Token numbers; the characters ';', ':' and ',' are their own tokens, 0 is the end.
enum : int {
    D_NAME = 258,
    D_NUMBER = 259,
    D_VOIDNUMBER = 260,
    D_RANGETYPEINFO = 261,
    D_UNIONINFO = 262,
    D_STRUCTINFO = 263,
    D_ARRAYINFO = 264,
    D_ENUMINFO = 265,
    D_POINTERINFO = 266,
    D_NEARPOINTERINFO = 267,
    D_FARPOINTERINFO = 268,
    D_HUGEPOINTERINFO = 269,
    D_FUNCTIONINFO = 270,
    D_NEARFUNCTIONINFO = 271,
    D_FARFUNCTIONINFO = 272,
    D_SNEARFUNCTIONINFO = 273,
    D_SFARFUNCTIONINFO = 274,
};

// The name of a token or grammar symbol as the trace prints it.
LPCSTR GetDBXSymbolName(int symbol);

// Converts signed digits as stabs writers mean them: in base 10 while the text (sign
// included) is shorter than 11 characters, else in base 8, where the large 32-bit bounds
// stand. Digits are taken while the base allows them; the value saturates at the 32-bit
// limits.
LONG ConvertDBXNumber(const char *text, size_t length);

class CDBXScanner {
public:
    CDBXScanner(const char *text, size_t length) : m_pText(text), m_nLength(length) {}

    // The next token; its text (D_NAME) or number (D_NUMBER, D_VOIDNUMBER) are then kept.
    int Next();
    const std::string &GetName() const { return m_name; }
    LONG GetNumber() const { return m_nNumber; }

private:
    // The length of the longest operator token ("=r", "=*[n]*", ...) at the position,
    // 0 when none starts there; `token` receives it.
    size_t MatchOperator(size_t position, int *token) const;

    const char *m_pText;
    size_t m_nLength;
    size_t m_nPosition = 0;
    std::string m_name;
    LONG m_nNumber = 0;
};
