// The system's "ComboBox": a list of texts and an edit text. A user picks an item (its
// text becomes the edit text; the parent is told CBN_SELCHANGE) or types (the parent is
// told CBN_EDITCHANGE), through WM_COMMAND as the other controls tell theirs.
#pragma once

#include "basetypes.h"

#define CBS_DROPDOWN 0x0002L
#define CBS_AUTOHSCROLL 0x0040L

#define CB_ERR (-1)

#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_RESETCONTENT 0x014B
#define CB_SETCURSEL 0x014E

#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5

// CB_ADDSTRING (lParam the text) appends an item and answers its index. CB_RESETCONTENT
// empties the list, the selection and the edit text. CB_GETLBTEXT copies item wParam's
// text with its NUL to lParam (a buffer of at least CB_GETLBTEXTLEN + 1 bytes) and
// answers its length. CB_SETCURSEL selects item wParam and makes its text the edit text
// (-1 selects none and empties it); an index out of the list answers CB_ERR. WM_SETTEXT
// is a user's typing: the parent is told CBN_EDITCHANGE.
