// Cutting texts into tokens at delimiter characters.
#pragma once

#include <afx.h>

// Whether `c` is one of the characters of `set`; the terminating zero is in no set, and
// NULL is the empty set.
BOOL IsCharInSet(char c, LPCSTR set);

// The token number `index` (from 0) of `text`, tokens being the runs of characters that
// are not delimiters, so that empty tokens do not count ("a,,b" has the tokens a and b).
// The result lies in a buffer of 255 bytes that the next call on the same thread
// overwrites (each thread has its own); NULL when there is no such token or the token
// has 255 characters or more.
char *GetToken(LPCSTR text, LPCSTR delimiters, int index);

// The text before the first comma into `out` (at most 1023 characters), and the decimal
// number after it into *number (when given) as atol reads it, held to 32 bits; without
// a comma the whole text (cut likewise) and 0.
void SplitTextNumber(LPCSTR text, CString &out, LONG *number);

// Walks through a text token by token. The text and the delimiter set are not copied:
// they must outlive the tokenizer.
class CCharSetTokenizer {
public:
    // NULL texts are taken as empty.
    CCharSetTokenizer(LPCSTR text, LPCSTR delimiters);

    // The next token into `out`: FALSE at the end of the text. First the delimiters at
    // the position are passed over, all of them with `skipAllDelimiters` (FALSE when
    // nothing follows them), else at most one, so that two delimiters in a row enclose an
    // empty token. The token runs up to the next delimiter; at most `maxLength`
    // characters of it are copied, and a zero after them, so `out` must have room for
    // `maxLength` + 1. The position moves behind the whole token. FALSE for a NULL `out`.
    BOOL NextToken(char *out, int maxLength, BOOL skipAllDelimiters);

    BOOL IsDelimiter(char c) const { return IsCharInSet(c, m_delimiters); }

private:
    LPCSTR m_delimiters;
    LPCSTR m_position;
};
