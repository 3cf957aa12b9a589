// The view servers in the registry, below HKEY_LOCAL_MACHINE QEL_VIEWSERVER_KEY, as the
// view servers' own registration writes them:
// - one key per view-server name: its default value is the view server's CLSID in brace
//   form; the DWORD values "ViewCat" (the view category) and "MultiInst" (several views at
//   once) are required, "MultipleUse" (REG_DWORD; any other type reads as 0) lets more
//   than one command handler serve it, and "BaseViewServer" names the view server whose
//   CLSID a script variant takes; its subkey "DefaultScript" holds the default source
//   file and the script items (viewsrvscriptregentry.h);
// - one key per owning server, named by that server's CLSID, with one subkey per view
//   server named by the view server's CLSID and holding its name as default value.
#pragma once

#include "findstringarray.h"

#define QEL_VIEWSERVER_KEY "Software\\Tosk\\Qelvane\\Version3\\View Server"

// Fills `names` with the view servers registered for `server` whose entries are sound
// (CheckViewServerEntry), each with its MultipleUse value as flag, and raises
// `highestViewCat` (first set to 0) to the largest ViewCat among them. FALSE when the
// server has no key.
BOOL LoadViewServerNames(const CLSID *server, CFindStringArray &names, DWORD &highestViewCat);

// Adds `name` to `names` when `clsidText` is a CLSID in brace form, the view server's own
// key names the same CLSID and holds "ViewCat" and "MultiInst"; FALSE, adding nothing,
// otherwise. A ViewCat of -1 (no category) never becomes the highest.
BOOL CheckViewServerEntry(LPCSTR name, LPCSTR clsidText, CFindStringArray &names, DWORD &highestViewCat);

// The name whose key gives the CLSID of view server `name`: its "BaseViewServer" value
// (at most 31 characters), or `name` itself when that is missing, empty or too long.
CString ResolveBaseViewServer(LPCSTR name);
