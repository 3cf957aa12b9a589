// NormalizeWatchExpression: the text normaliser that the variable nodes and the variable
// object run over a watch text before they parse it.
//
// It squeezes `expression` in place (a tab becomes a blank; outside double-quoted strings
// a run of blanks becomes one) and, for the expression form "?(TEXT)" or
// "?("FORMAT",TEXT)", answers TEXT trimmed of blanks, with FORMAT in `format` (a format
// of fewer than 3 characters, or one not followed by a comma, is no format, and then
// nothing is answered). Any other text answers "" and no format. With mode 1 a call
// "fconvert("FACTOR,OFFSET",RAW)" or "fconvert("FACTOR",RAW)" as the whole TEXT becomes
// "(RAW)*FACTOR-OFFSET" or "(RAW)*FACTOR", and `expression` is written anew around it.
#pragma once

#include <afx.h>

CString NormalizeWatchExpression(CString &expression, CString &format, int mode);
