// The system's "ComboBox": a list of texts, each with a value of its owner's, and an edit
// text. A user opens the list, moves through it (each change of the selection tells the
// parent CBN_SELCHANGE) and closes it (CBN_CLOSEUP), or types (CBN_EDITCHANGE), through
// WM_COMMAND as the other controls tell theirs. It paints its selection field: the edit
// text in its font, and the button that opens the list; the open list is not drawn.
#pragma once

#include "basetypes.h"

#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_AUTOHSCROLL 0x0040L
#define CBS_SORT 0x0100L

#define CB_ERR (-1)

#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_FINDSTRINGEXACT 0x0158

#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define CBN_CLOSEUP 8

// CB_ADDSTRING (lParam the text) appends an item and answers its index. CB_RESETCONTENT
// empties the list, the selection and the edit text. CB_GETLBTEXT copies item wParam's
// text with its NUL to lParam (a buffer of at least CB_GETLBTEXTLEN + 1 bytes) and
// answers its length. CB_SETCURSEL selects item wParam and makes its text the edit text
// (-1 selects none and empties it); an index out of the list answers CB_ERR. WM_SETTEXT
// is a user's typing: the parent is told CBN_EDITCHANGE.
//
// With CBS_SORT, CB_ADDSTRING puts the text before the first item that lstrcmpiA orders
// after it (so equal texts keep the order they came in). CB_DELETESTRING removes item
// wParam and answers the count left; the selection follows its item, and goes with it.
// CB_SETITEMDATA gives item wParam the value lParam (TRUE), CB_GETITEMDATA answers it;
// both CB_ERR out of the list. CB_FINDSTRINGEXACT answers the first item after wParam
// (-1: from the first), wrapping round, whose text equals lParam's blind to case, as the
// platform compares; CB_ERR for none. CB_SHOWDROPDOWN opens (wParam TRUE) or closes the
// list; closing an open one tells CBN_CLOSEUP. WM_SETFONT sets the font it paints with.

// Plays the user on the list of `combo`: opens it when it is closed, moves the selection
// to `index` (CBN_SELCHANGE when it changes) and, with `close`, closes it again
// (CBN_CLOSEUP). FALSE, doing nothing, for a window that is not a combo box or an index
// out of its list. Not part of Windows.
BOOL QelComboPick(HWND combo, int index, BOOL close);
