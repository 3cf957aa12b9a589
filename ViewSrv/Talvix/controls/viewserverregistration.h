// The self-registration of a view-server control: its class, its ProgIDs and the keys by
// which the host finds it as a view server of the symbol server, written by the registry
// script template IDR_VIEWSERVER with the texts of one descriptor.
#pragma once

#include <afx.h>

// What one view-server control registers. The words are those of the control's record;
// the identifiers are pointers, as pointers cannot travel in 32 bits here.
struct ViewServerDescriptor {
    UINT scriptId;          // the registry-script template ("REGISTRY")
    const CLSID *clsid;     // the control's class          %CLSID%
    const CLSID *dbgSrvId;  // the owning symbol server     %DBGSRV_CLSID%
    const GUID *typeLibId;  // the type library             %TYPELIB_CLSID%
    LONG progIdVersion;     // %NO%
    UINT textSetId;         // string: %DESCRIPTION%, %VIEWSERV_NAME%, %DOC_TITLE%, %MENU_ITEM%, %TOOLTIP_ITEM%
    LONG iconId;            // %ICON_ID%
    LONG bitmapId;          // %BITMAP_ID%
    LONG accelerator;       // %ACCELERATOR%
    DWORD toolBarCategory;  // %TOOLBAR%
    DWORD viewCategory;     // %VIEWCAT%
    DWORD menuCategory;     // %MENUCAT%
    LONG frameType;         // %FRAMETYPE%
    LONG multiInstance;     // %MULTIINSTANCE%
    LONG showDirect;        // %SHOWDIRECT%
    LONG cx;                // %CX%
    LONG cy;                // %CY%
    DWORD unused;
};

extern const ViewServerDescriptor g_SymbolExplorerDescriptor;

// Registers (TRUE) or unregisters (FALSE) one control through the registrar object, with
// the calling module's path and resources (the module state must be the module's). The
// registrar's HRESULT: of its creation, or of running the script; E_FAIL when an
// exception ends the work.
HRESULT RegisterViewServer(const ViewServerDescriptor *descriptor, BOOL bRegister);

// Part `index` of a text of parts separated by "\n"; "" past the last.
CString ViewServerTextPart(const CString &texts, int index);
// Part `index` of the text set `textSetId` as a new BSTR: E_INVALIDARG for a null `out`
// or a text set that does not load, E_OUTOFMEMORY when no BSTR can be made.
HRESULT ViewServerTextSetPart(UINT textSetId, int index, BSTR *out);
// TRUE for the arrow keys, which a view's tree keeps rather than the host's accelerators.
BOOL IsViewArrowKey(const MSG *message);

// %SERVER%: the file name of the module's full path before its first dot, without the
// "lib" that Linux puts before a library's name, so that the ProgIDs read as the Windows
// module's ("QEL.Talvix.1"); "" when the path has no file name.
CString ViewServerModuleName(const char *modulePath);
