// The syntax of a request to qelhost query: the code and the arguments of its method,
// split by blanks. A number is written in C notation (decimal, "0x" hexadecimal, a leading
// 0 octal, a sign before any of them) and taken modulo 2^32; a text is written bare or
// between double quotes, inside which \" and \\ stand for " and \.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace QelHost {

struct RequestToken {
    std::string text; // without its quotes and escapes
    bool quoted = false;
};

// The tokens of one line; false, with the reason, when a quoted text is not closed, holds
// a backslash that escapes neither " nor \, or runs into the next token, or when the line
// holds a NUL byte (which no text of the server can carry).
bool SplitRequestLine(const std::string &line, std::vector<RequestToken> &tokens, std::string *reason);

// One argument of the command line, which the shell has split already: taken as it is,
// unless it starts with a double quote, when it must be one quoted text as on a line.
bool CommandLineToken(const std::string &argument, RequestToken &token, std::string *reason);

// The number that `text` writes; false when it is none.
bool ParseRequestNumber(const std::string &text, DWORD *value);

} // namespace QelHost
