// IQelSymbolSelectList: the interface of Talvix's symbol select list, the drop-down list
// of program functions that the host shows in a tool bar. View servers add their
// functions with the addresses to which a choice brings them back; a choice sends the
// address to the view server that added it. A dual interface: the stock font property
// stands in slots 7 to 9, its methods from slot 10 on, behind IDispatch, each with the
// DISPID in the comment.
#pragma once

#include <ole2.h>

interface IQelSymbolSelectList : public IDispatch {
    // DISPID_FONT: the font that the list shows its entries in.
    STDMETHOD(putref_Font)(IFontDisp *pFont) PURE;                                          // 7
    STDMETHOD(put_Font)(IFontDisp *pFont) PURE;                                             // 8
    STDMETHOD(get_Font)(IFontDisp **ppFont) PURE;                                           // 9
    // DISPID 1: the host's debug-server object, to which the list announces itself and
    // from whose GUI server it takes the debugger's name for its tool tip.
    STDMETHOD(Init)(IUnknown *pDbgSrvUnknown) PURE;                                         // 10
    // DISPID 2: the entry `pszName` at `uiAddrVal`, which brings a choice back to
    // `pUnkViewServer` (held by the list until its entries go).
    STDMETHOD(AddSymbolListEntry)(BSTR pszName, UINT uiAddrVal, IUnknown *pUnkViewServer) PURE; // 11
    // DISPID 3: the entries that `pUnkViewServer` added go.
    STDMETHOD(RemoveAllViewServerEntries)(IUnknown *pUnkViewServer) PURE;                   // 12
};
QEL_DEFINE_IID(IQelSymbolSelectList, 0x9563DFB7, 0xB8D4, 0x11D2, 0x94, 0xC2, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// The list's events: no method, so none is ever fired.
interface _IQelSymbolSelectListEvents : public IDispatch {
};
QEL_DEFINE_IID(_IQelSymbolSelectListEvents, 0x9563DFBB, 0xB8D4, 0x11D2, 0x94, 0xC2, 0x00, 0xA0, 0x24, 0x57, 0xBF,
               0x0F);

