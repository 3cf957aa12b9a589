// The static command table of a command handler (oletarcmdhndl.h): one record per
// command of the handler's command group, ended by a record without member function. A record says which member function runs the command, which menu and tool-bar
// items the host frame shows for it, which view server it opens, and whether it is a
// script item that the host runs as a moniker (viewsrvscriptregentry.h).
#pragma once

#include "variantarray.h"

class CBasicOleTarCmdHndl;
struct OLECMDTARHNDLENTRY;

// The member function of a command: its arguments and its results.
typedef HRESULT (CBasicOleTarCmdHndl::*OLECMDTARHNDLFNC)(CVariantArray *in, CVariantArray *out);
// The indexed form, which receives its own record too.
typedef HRESULT (CBasicOleTarCmdHndl::*OLECMDTARHNDLINDFNC)(const OLECMDTARHNDLENTRY *entry, CVariantArray *in,
                                                            CVariantArray *out);

// The text of pszScriptValue that marks the member function as indexed.
#define OLECMDTARHNDL_INDEXED "OLECMDTARHNDLINDFNC"

// A member function of a handler class, as a table holds it.
#define OLECMDTARHNDL_FNC(fn) static_cast<OLECMDTARHNDLFNC>(fn)
#define OLECMDTARHNDL_INDFNC(fn) static_cast<OLECMDTARHNDLINDFNC>(fn)

struct OLECMDTARHNDLENTRY {
    BOOL HasHandler() const { return pfnHandler || pfnIndexedHandler; }
    BOOL IsIndexed() const;

    DWORD nCmdId;
    // The member function; an indexed one (with pszScriptValue OLECMDTARHNDL_INDEXED)
    // stands in the second field.
    OLECMDTARHNDLFNC pfnHandler;
    OLECMDTARHNDLINDFNC pfnIndexedHandler;
    // String of the menu item's texts, -1 when the command has no item.
    int nMenuTextId;
    // Where the frame places the menu and the tool-bar item, -1 for none; equal numbers
    // place both at once.
    int nMenuPos;
    int nToolBarPos;
    // The view server whose views the command opens (NULL: none), and the run-time class
    // of its item object, derived from CViewSrvItemObj.
    LPCSTR pszViewServer;
    CRuntimeClass *pItemClass;
    // Non-zero: each frame item is registered a second time, without cookie.
    BOOL bRegisterUncookied;
    // The view server under whose DefaultScript key the command stands as a script item
    // (NULL: not a script item); pszScriptValue is the item's value name. Without a
    // script view server, pszScriptValue OLECMDTARHNDL_INDEXED marks an indexed member
    // function.
    LPCSTR pszScriptViewServer;
    LPCSTR pszScriptValue;
    // The second part of the script item's text: a number when below 0x10000, else a
    // pointer to a text.
    UINT_PTR nScriptText;
    // Non-zero: the command is enabled exactly when the owner reports the server usable.
    BOOL bServerDependent;
    // Entries of level 0 are registered on Connect, others by AddCommandsOfLevel.
    int nLevel;
};
