// The edit control's styles and messages beyond those of controls.h.
//
// An edit paints its text from (1, 1) of its client area in its font, a line under the
// other for a multi-line edit (lines end at CR LF), and its selection in the highlight
// colours; it draws no caret. WM_SETTEXT puts the selection at the start; a multi-line
// edit tells no EN_CHANGE for it, a single-line edit does.
//
// Its header stands apart from windows.h so that only the code that drives edits reads it.
#pragma once

#include "basetypes.h"

#define ES_LEFT 0x0000L
#define ES_MULTILINE 0x0004L
#define ES_AUTOVSCROLL 0x0040L
#define ES_AUTOHSCROLL 0x0080L
#define ES_WANTRETURN 0x1000L

// EM_GETSEL fills the DWORDs wParam and lParam point at (either may be NULL) with the
// selection's start and end and answers MAKELONG(start, end). EM_SETSEL takes start and
// end in any order; an end of -1 means the end of the text, a start of -1 removes the
// selection. EM_SETTABSTOPS takes a count in wParam and the stops in dialog units
// (a quarter of the average character width) at lParam: none for every 32, one for
// every n, more for those; it answers TRUE. EM_SCROLLCARET is accepted: nothing scrolls.
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_SCROLLCARET 0x00B7
#define EM_SETTABSTOPS 0x00CB

#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_UPDATE 0x0400
