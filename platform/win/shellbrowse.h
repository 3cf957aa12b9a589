// The shell's folder-browse dialog, answered by the host.
//
// There is no display to show the dialog on, so the answer comes from a handler that the
// host installs in the user's place: it sees what the dialog would show (owner, title,
// flags) and names the folder chosen, or cancels. Without a handler every browse is
// cancelled, as by a user who closes the dialog.
//
// An item list stands for the chosen item; here it holds the item's path. It is freed
// with ILFree (Windows' callers may free it with the task allocator instead; here they
// must use ILFree, since this layer stands below COM's).
#pragma once

#include "basetypes.h"

typedef struct _ITEMIDLIST ITEMIDLIST;
typedef ITEMIDLIST *LPITEMIDLIST;
typedef const ITEMIDLIST *LPCITEMIDLIST;
typedef ITEMIDLIST *PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST *PCIDLIST_ABSOLUTE;

typedef int(CALLBACK *BFFCALLBACK)(HWND hwnd, UINT message, LPARAM lParam, LPARAM lpData);

typedef struct _browseinfoA {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot; // must be NULL: the browse starts at the top
    LPSTR pszDisplayName;       // MAX_PATH bytes for the chosen item's name, or NULL
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;           // must be NULL: no dialog window exists to call it back
    LPARAM lParam;
    int iImage;                 // set to 0: there are no icons
} BROWSEINFOA, *PBROWSEINFOA, *LPBROWSEINFOA;

// The handler's answer: the chosen folder's path, "" for an item that has no path in the
// file system, or NULL to cancel. The text is copied before the handler's caller returns.
// The handler runs under the layer's lock and must not call the functions below.
typedef LPCSTR (*QEL_FOLDER_BROWSE_HANDLER)(void *context, const BROWSEINFOA *info);

// Installs `handler` with its `context` (NULL: none) in place of the previous one.
void QelSetFolderBrowseHandler(QEL_FOLDER_BROWSE_HANDLER handler, void *context);

// The item chosen (the caller frees it with ILFree) and, in pszDisplayName, its name
// (the last name of its path, cut to MAX_PATH - 1 characters); NULL when the browse was
// cancelled. NULL with ERROR_INVALID_PARAMETER for a NULL `info`, with ERROR_NOT_SUPPORTED
// for a root or a callback.
PIDLIST_ABSOLUTE SHBrowseForFolderA(LPBROWSEINFOA info);

// The item's path into `path` (MAX_PATH bytes); FALSE, and "" in `path`, for an item
// without a path, a path that does not fit, or an item list that is not live.
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path);

// Frees an item list of SHBrowseForFolderA; NULL and lists that are not live are ignored.
void ILFree(LPITEMIDLIST pidl);

// The names of an ANSI build, which the system's code uses.
typedef BROWSEINFOA BROWSEINFO;
typedef LPBROWSEINFOA LPBROWSEINFO;

inline PIDLIST_ABSOLUTE SHBrowseForFolder(LPBROWSEINFOA info)
{
    return SHBrowseForFolderA(info);
}

inline BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, LPSTR path)
{
    return SHGetPathFromIDListA(pidl, path);
}
