// The common dialog that asks the user for a file to open, answered by the host.
//
// There is no display to show the dialog on, so the answer comes from a handler that the
// host installs in the user's place, as for the folder-browse dialog (shellbrowse.h): it
// sees the whole request (owner, title, filter, initial directory, flags and the initial
// file in lpstrFile) and names the file chosen, as a user types it, or cancels. Without a
// handler every dialog is cancelled, as by a user who closes it.
//
// The dialog treats the answer as the real one treats what a user types: a relative name
// is taken in the initial directory (else the current one), a name without an extension
// gets lpstrDefExt, and under OFN_FILEMUSTEXIST (the file) or OFN_PATHMUSTEXIST (its
// folder) a name that does not exist is refused and the user asked again; a user who
// gives the refused name once more is taken to have cancelled, since the dialog would
// wait for ever. OFN_OVERWRITEPROMPT is the handler's to honour. The file title is not
// written, as no caller asks for it; a hook or a template is never called, since no
// dialog window exists.
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
    DWORD nFilterIndex; // from 1; 0 (the first) on the way in, the chosen one on the way out
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
// The dialog never changes the current directory, so this flag changes nothing.
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

// The extended errors of CommDlgExtendedError.
#define CDERR_INITIALIZATION 0x0002
#define FNERR_BUFFERTOOSMALL 0x3003

// The handler's answer: the chosen file's name, or NULL (or "", which the dialog does not
// let a user confirm) to cancel. The text is copied before the handler's caller returns.
// The handler may be called from any thread; it runs under the layer's lock, so calls
// never overlap, and must call none of the functions below but QelSelectFileFilter.
typedef LPCSTR (*QEL_FILE_DIALOG_HANDLER)(void *context, const OPENFILENAMEA *dialog);

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetFileDialogHandler(QEL_FILE_DIALOG_HANDLER handler, void *context);

// Called by a handler while it answers: the user picked filter `index` (from 1) of the
// dialog's list. An index that the list does not have, or a call outside a handler,
// changes nothing.
void QelSelectFileFilter(DWORD index);

// TRUE with the chosen path in lpstrFile, nFileOffset and nFileExtension set, and the
// chosen filter in nFilterIndex (the one the dialog opened with when the user picked
// none; 1 for 0). FALSE, with lpstrFile as it was, when the dialog was cancelled, or with
// FNERR_BUFFERTOOSMALL when the path does not fit nMaxFile characters with its NUL.
// FALSE without asking, with CDERR_INITIALIZATION, for a NULL `ofn` or a NULL or empty
// lpstrFile.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);

// Why the calling thread's last dialog failed; 0 after one that succeeded or was
// cancelled.
DWORD CommDlgExtendedError();

// The names of an ANSI build, which the system's code uses.
typedef OPENFILENAMEA OPENFILENAME;
typedef LPOPENFILENAMEA LPOPENFILENAME;

inline BOOL GetOpenFileName(LPOPENFILENAMEA ofn)
{
    return GetOpenFileNameA(ofn);
}
