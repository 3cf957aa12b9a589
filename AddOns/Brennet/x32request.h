// X32Request: an execute string that X32 sends on the add-on's own service, read as its
// tokens: "XDebug", "-" and a letter, and up to three arguments. Tokens are split at
// blanks and tabs only, so a line end that the tool leaves on the text stays in its token.
#pragma once

#include <afx.h>

struct X32Request {
    char letter = 0; // 0: the text asks for nothing
    CString arguments[3];

    // Reads `text`; a text that does not begin with "XDebug" (exactly so) and a two-character
    // option gives no letter.
    static X32Request Parse(const char *text);
    // The source line that an s, r or t request names, as the symbol server is asked for
    // it: the bare file name, a blank and the line as the tool wrote it; empty when the
    // file or the line is missing.
    CString LineText() const;
    // The file part of a path from the tool: after its last "\", "/" or ":".
    static CString BareFileName(const CString &path);
};
