// Dialogs: windows made from templates (dialogtemplate.h), their items and the modal loop.
//
// A dialog is a window of the system's dialog class, whose procedure is DefDlgProcA: each
// message goes first to the dialog procedure that made it, and what that leaves (FALSE)
// gets the dialog's default handling. There is no display and no user, so a modal
// dialog's loop, whenever its queue is empty, asks a handler that the host installs in
// the user's place (QelSetDialogHandler); the handler works the dialog through messages
// only, as a user's keys and clicks would.
#pragma once

#include "basetypes.h"
#include "dialogresults.h"
#include "dialogtemplate.h"

typedef INT_PTR(CALLBACK *DLGPROC)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
// The framework's message of a modal loop that has run out of messages (wParam
// MSGF_DIALOGBOX, lParam a count of the idle rounds since the dialog opened).
#define WM_KICKIDLE 0x036A
#define MSGF_DIALOGBOX 0

// Makes a modeless dialog from the RT_DIALOG resource `templateName` of `instance`, owned
// by `parent` (the parent of a WS_CHILD template). The dialog's window comes first, then
// its items in template order (an item of a class that does not exist fails the dialog),
// then WM_INITDIALOG (wParam: the first item with WS_TABSTOP, lParam: `initParam`); when
// the procedure answers TRUE the focus goes to that item. A template with WS_VISIBLE is
// shown. NULL when the template is missing or not a QEL_DLGTEMPLATE, an item fails, or
// the dialog was destroyed while it initialised.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam);

// Makes the dialog as CreateDialogParamA does and runs it modally: its owner (the
// top-level window that holds `owner`) is disabled until the dialog ends; posted messages
// and timers of the thread are dispatched; when none is left the dialog gets WM_KICKIDLE
// and then the dialog handler is asked. A dialog left open after the handler answers
// QEL_DIALOG_DONE, or when there is no handler, gets WM_COMMAND IDCANCEL as from its
// Cancel button and, should it still not end, is ended with IDCANCEL. A WM_QUIT ends the
// dialog with IDCANCEL and is posted again for the loop outside. Answers EndDialog's
// result; -1 when the dialog could not be made; IDCANCEL when it was destroyed without
// EndDialog.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam);

// Ends a modal dialog with `result` once its current message is handled; a modeless one
// is hidden. FALSE with ERROR_INVALID_WINDOW_HANDLE for no window.
BOOL EndDialog(HWND dialog, INT_PTR result);

// TRUE with `*result` once EndDialog has ended the modal dialog, which its loop then
// destroys; FALSE before, and for a modeless dialog or no dialog.
BOOL QelGetDialogResult(HWND dialog, INT_PTR *result);

// The dialog class's procedure: the dialog procedure first; when it answers TRUE, the
// answer is DWLP_MSGRESULT (WM_INITDIALOG's own answer for WM_INITDIALOG). Otherwise
// WM_CLOSE posts WM_COMMAND IDCANCEL (BN_CLICKED) unless the dialog's IDCANCEL item is
// disabled, and everything else goes to DefWindowProcA.
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog's item with identifier `id`, or NULL (ERROR_CONTROL_ID_NOT_FOUND).
HWND GetDlgItem(HWND dialog, int id);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
// The item's text, at most `maxCount` - 1 characters and a NUL; answers the count.
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount);
// BM_SETCHECK and BM_GETCHECK to the item.
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks item `check` and clears every other item from `first` to `last`.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);

// The handler's answers.
#define QEL_DIALOG_DONE 0  // the dialog is answered: what is still open ends with IDCANCEL
#define QEL_DIALOG_AGAIN 1 // ask again once the messages that the handler caused are handled

// Plays the user of a dialog: `templateName` is the dialog's template as it was given
// (an id by MAKEINTRESOURCE, or a text). The handler runs on the dialog's thread, with
// no lock of this layer held, so it may send messages and open dialogs (which it is then
// asked about, inside); it must not answer QEL_DIALOG_AGAIN without doing something.
typedef int (*QEL_DIALOG_HANDLER)(void *context, HWND dialog, LPCSTR templateName);

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetDialogHandler(QEL_DIALOG_HANDLER handler, void *context);

// Asks the handler about a modeless dialog of the calling thread, as the modal loop does,
// dispatching the thread's posted messages between its answers, until it answers
// QEL_DIALOG_DONE or the dialog is gone; the dialog then stays as it is. FALSE without a
// handler, for a window that is not a dialog of the calling thread.
BOOL QelAnswerDialog(HWND dialog);

// The names of an ANSI build, which the system's code uses.
inline HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                              LPARAM initParam)
{
    return CreateDialogParamA(instance, templateName, parent, dialogProc, initParam);
}

inline INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                              LPARAM initParam)
{
    return DialogBoxParamA(instance, templateName, owner, dialogProc, initParam);
}

inline LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcA(dialog, message, wParam, lParam);
}

inline LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

inline BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text)
{
    return SetDlgItemTextA(dialog, id, text);
}

inline UINT GetDlgItemText(HWND dialog, int id, LPSTR text, int maxCount)
{
    return GetDlgItemTextA(dialog, id, text, maxCount);
}
