// The system's controls "Button", "Edit" and "Static".
//
// Buttons and statics draw nothing: a control keeps its text and state, answers its
// messages and tells its parent what a user did, as WM_COMMAND with its identifier and a
// notification code in wParam and its handle in lParam. Edits paint (editcontrol.h).
#pragma once

#include "basetypes.h"

// Button styles: the kind is the low four bits.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BN_CLICKED 0

#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_GETLIMITTEXT 0x00D5
#define EN_CHANGE 0x0300

// Buttons: BM_CLICK, unless the button is disabled, is a user's click: an automatic
// check box toggles, an automatic radio button is checked and clears the other automatic
// radio buttons of its group (the siblings from the one with WS_GROUP that begins it to
// the next one with WS_GROUP), and the parent is told BN_CLICKED. BM_SETCHECK and
// BM_GETCHECK set and read the check of check boxes and radio buttons; push buttons
// have none.
//
// Edits: WM_SETTEXT of a single-line edit tells the parent EN_CHANGE. EM_LIMITTEXT (0: the
// largest) limits what a user types, not what WM_SETTEXT sets, as on Windows;
// EM_GETLIMITTEXT reads it (32767 until it is set).
//
// Statics: a text.
