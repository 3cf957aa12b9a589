// The common control "tooltips_class32": the tools of other windows, each with the text
// that its tip shows, and the mouse messages that their owners relay to it. It keeps its
// tools, their texts and the last message relayed; nothing is drawn and no tip pops up.
#pragma once

#include "basetypes.h"
#include "windowmessages.h"

#define TOOLTIPS_CLASSA "tooltips_class32"
#define TOOLTIPS_CLASS TOOLTIPS_CLASSA

#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_ADDTOOLA (WM_USER + 4)
#define TTM_NEWTOOLRECTA (WM_USER + 6)
#define TTM_RELAYEVENT (WM_USER + 7)
#define TTM_GETTEXTA (WM_USER + 11)
#define TTM_UPDATETIPTEXTA (WM_USER + 12)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)

typedef struct tagTOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
    void *lpReserved;
} TOOLINFOA, *LPTOOLINFOA;
typedef TOOLINFOA TOOLINFO;

// A tool is named by its window and id (lParam: a TOOLINFOA). TTM_ADDTOOLA adds one, or
// replaces the tool of that name, with a copy of its text (TRUE; FALSE for a structure
// smaller than the platform's first one). TTM_UPDATETIPTEXTA and TTM_NEWTOOLRECTA change a
// tool's text and rectangle. TTM_GETTEXTA copies a tool's text into lpszText, whose size
// wParam gives (0: 80 bytes, as the first version of the control had it), cut to fit with
// its NUL; "" for a tool it does not have. TTM_RELAYEVENT keeps a copy of the message that
// lParam points at. TTM_SETMAXTIPWIDTH sets the widest tip in pixels (lParam) and answers
// the width before (-1 at first); TTM_ACTIVATE turns the tips on (wParam TRUE) or off.

// What a test reads of a tool tip beside its tools. Not part of Windows.
typedef struct tagQELTOOLTIPSTATE {
    BOOL active;
    int maxTipWidth;
    BOOL relayed; // a message has been relayed, and `lastRelayed` holds it
    MSG lastRelayed;
} QELTOOLTIPSTATE;

// FALSE for a window that is not a tool tip.
BOOL QelGetToolTipState(HWND tip, QELTOOLTIPSTATE *state);
