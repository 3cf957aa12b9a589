// Watch files (*.wat): two comment lines, an empty line, then one watch text a line.
//
// Reading takes either line end and skips empty lines and lines that begin with ";"; what
// a line holds is the caller's to check. Writing ends every line with "\n".
#pragma once

#include <afx.h>

#include <vector>

// The texts of the file's lines, trimmed; FALSE when the file cannot be opened or read.
BOOL ReadWatchFile(LPCSTR path, std::vector<CString> *texts);
// The header and one line per entry; FALSE when the file cannot be made or written whole.
BOOL WriteWatchFile(LPCSTR path, const std::vector<CString> &lines);
