// The common dialog that asks the user for a file to open, answered by the host.
//
// There is no display to show the dialog on, so the answer comes from a handler that the
// host installs in the user's place, as for the folder-browse dialog (shellbrowse.h): it
// sees the whole request (owner, title, filter, initial directory, flags and the initial
// file in lpstrFile) and names the file chosen, or cancels. Without a handler every
// dialog is cancelled, as by a user who closes it.
//
// The dialog checks nothing of the answer: the flags that would keep the user from
// confirming a name (OFN_FILEMUSTEXIST, OFN_PATHMUSTEXIST, OFN_OVERWRITEPROMPT) are the
// handler's to honour, since it plays the user whom the dialog would ask again. Neither a
// default extension nor the file title is written, as no caller asks for them; a hook or
// a template is never called, since no dialog window exists.
#pragma once

#include "basetypes.h"

typedef UINT_PTR(CALLBACK *LPOFNHOOKPROC)(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam);

typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter; // pairs of description and pattern, each ending in NUL, then a NUL
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // from 1
    LPSTR lpstrFile;    // the initial file on the way in, the chosen path on the way out
    DWORD nMaxFile;     // the size of lpstrFile in characters, its NUL included
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;    // where the chosen file's name starts in lpstrFile
    WORD nFileExtension; // past the name's last '.'; at the NUL without one; 0 after a
                         // name that ends in '.'
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
} OPENFILENAMEA, *LPOPENFILENAMEA;

#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

// The handler's answer: the chosen file's path, or NULL (or "", which the dialog does not
// let a user confirm) to cancel. The text is copied before the handler's caller returns.
// The handler may be called from any thread; it runs under the layer's lock, so calls
// never overlap, and must not call the functions below.
typedef LPCSTR (*QEL_FILE_DIALOG_HANDLER)(void *context, const OPENFILENAMEA *dialog);

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetFileDialogHandler(QEL_FILE_DIALOG_HANDLER handler, void *context);

// TRUE with the chosen path in lpstrFile and nFileOffset and nFileExtension set; FALSE,
// with lpstrFile as it was, when the dialog was cancelled or the path does not fit
// nMaxFile characters with its NUL. FALSE without asking for a NULL `ofn` or a NULL or
// empty lpstrFile.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);

// The names of an ANSI build, which the system's code uses.
typedef OPENFILENAMEA OPENFILENAME;
typedef LPOPENFILENAMEA LPOPENFILENAME;

inline BOOL GetOpenFileName(LPOPENFILENAMEA ofn)
{
    return GetOpenFileNameA(ofn);
}
