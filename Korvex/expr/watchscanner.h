// CWatchScanner: the tokens of one watch-expression parse.
//
// It reads the parser's input buffer from the start, one token per call, and keeps the
// column that an error report points at: every token but a comment advances it by its
// length, a tab to the next multiple of 8, a newline back to 0; blanks count, characters
// that no rule takes are skipped without counting. A name is looked up when it is
// scanned, so the lookups follow the text and stop at the token that fails the parse.
//
// The buffer may hold only the beginning of a text too long for it (`truncated`): a token
// that reaches its end may go on beyond it, so the scanner refuses it, as it refuses a
// token longer than the token buffer.
#pragma once

#include "watchtypenames.h"

#include <string>
#include <string_view>

struct WatchScannedToken {
    int code = 0;            // the token code; 0 at the end of the input
    std::string_view text;   // the token as it stands in the input
    std::string name;        // a name, a string's or a comment's text (the token buffer)
    UINT number = 0;         // a CONSTANT
    double real = 0;         // an FCONSTANT
};

class CWatchScanner {
public:
    // `types` may be NULL: every name is then an identifier.
    CWatchScanner(std::string_view input, bool truncated, size_t tokenBufferSize, CWatchTypeNames *types)
        : m_input(input), m_truncated(truncated), m_tokenLimit(tokenBufferSize), m_pTypes(types)
    {
    }

    // The next token; FALSE when the scanner refuses what follows (the token runs past
    // the end of a truncated text or does not fit the token buffer).
    bool Next(WatchScannedToken &token);
    int Column() const { return m_column; }

private:
    size_t MatchNumber(size_t at, bool *floating) const;
    size_t MatchQuoted(size_t at, char quote) const;
    void Count(std::string_view text);
    bool Refused(size_t end, size_t textLength) const;

    std::string_view m_input;
    bool m_truncated;
    size_t m_tokenLimit;
    CWatchTypeNames *m_pTypes;
    size_t m_at = 0;
    int m_column = 0;
};
