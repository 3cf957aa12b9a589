// Popup menus: a list of commands that TrackPopupMenu offers the user.
//
// There is no user to pick: the handler that QelSetMenuHandler installs stands in for
// one. It is shown the menu's items and answers the id chosen, or 0 to cancel; without a
// handler every menu is cancelled. An id that names no item that can be chosen (a
// separator or a grayed or disabled item) cancels too.
#pragma once

#include "basetypes.h"

#define MF_STRING 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_UNCHECKED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_CHECKED 0x00000008L
#define MF_POPUP 0x00000010L
#define MF_SEPARATOR 0x00000800L

#ifndef ERROR_INVALID_MENU_HANDLE
#define ERROR_INVALID_MENU_HANDLE 1401L
#endif

#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L

// NULL with ERROR_NOT_ENOUGH_MEMORY when no handle is left.
HMENU CreatePopupMenu();
// Appends a command (MF_STRING with its MF_GRAYED, MF_DISABLED and MF_CHECKED marks) or
// a separator (MF_SEPARATOR: no id, no text). FALSE with ERROR_INVALID_MENU_HANDLE for a
// handle of no menu, ERROR_INVALID_PARAMETER for a command without a text or a submenu
// (MF_POPUP), which no caller has.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
BOOL DestroyMenu(HMENU menu);
// Offers the menu at (x, y) on the screen for `owner` (a window of the calling thread):
// with TPM_RETURNCMD answers the id chosen (0 for none); otherwise posts WM_COMMAND with
// the id to the owner when one was chosen and answers TRUE. FALSE (0) with
// ERROR_INVALID_MENU_HANDLE or ERROR_INVALID_WINDOW_HANDLE.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT *ignored);

inline BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text)
{
    return AppendMenuA(menu, flags, id, text);
}

// One item as the handler sees it.
typedef struct tagQELMENUITEM {
    UINT flags; // MF_ marks
    UINT_PTR id;
    LPCSTR text; // "" for a separator
} QELMENUITEM;

// Answers the id chosen from `count` items offered at (x, y), or 0.
typedef UINT_PTR(CALLBACK *QELMENUHANDLER)(const QELMENUITEM *items, int count, int x, int y, LPVOID context);

// Installs the handler (NULL: none) with its context for every thread; answers the one
// it replaces.
QELMENUHANDLER QelSetMenuHandler(QELMENUHANDLER handler, LPVOID context);
