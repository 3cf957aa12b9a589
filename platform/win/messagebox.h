// The message box, answered by the host.
//
// There is no display to show the box on, so the answer comes from a handler that the
// host installs in the user's place, as for the file dialog (filedialog.h): it sees the
// whole box (owner, text, caption, style) and names the button pressed. Without a handler
// the box answers as a user who only wants it gone: Cancel where the box has that button,
// else its first button.
#pragma once

#include "basetypes.h"
#include "dialogresults.h"

// The buttons of a box: the low four bits of its style.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_TYPEMASK 0x0000000FL
// An icon, which the handler sees in the style.
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONINFORMATION 0x00000040L

// The handler's answer is the id of the button pressed, given to the caller as it stands.
// A NULL text or caption reaches the handler as NULL. The handler may be called from any
// thread; it runs under the layer's lock, so calls never overlap, and must not call the
// functions below.
typedef int (*QEL_MESSAGE_BOX_HANDLER)(void *context, HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetMessageBoxHandler(QEL_MESSAGE_BOX_HANDLER handler, void *context);

// The id of the button pressed.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// The name of an ANSI build, which the system's code uses.
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    return MessageBoxA(owner, text, caption, style);
}
