// IQelWatch: the interface of the watch window (the view of "StdQelWatchWin") through
// which the symbol server's watch commands add, change, delete and reorder its entries.
//
// Talvix's watch control implements it; the symbol server's watch handler calls it on the
// open watch views. A dual interface: its methods stand from slot 7 on, behind IDispatch,
// each with the DISPID in the comment.
#pragma once

#include <ole2.h>

interface IQelWatch : public IDispatch {
    // DISPID 1: the names and ids of the entries; the window leaves both as they are.
    STDMETHOD(Watches)(VARIANT *pNames, VARIANT *pIds) PURE;             // 7
    // DISPID 2: adds the watch text; *pId is the new entry, 0 when the text is refused.
    STDMETHOD(AddWatch)(BSTR bstrText, LONG *pId) PURE;                  // 8
    // DISPID 3: sorts the entries by their place in the array of ids.
    STDMETHOD(NewOrder)(VARIANT ids) PURE;                               // 9
    // DISPID 4: deletes the entry that shows symbol `nId`.
    STDMETHOD(DeleteWatch)(LONG nId) PURE;                               // 10
    // DISPID 5: the entry `nId` shows the text from now on.
    STDMETHOD(ChangeWatch)(BSTR bstrText, LONG nId) PURE;                // 11
    // DISPID 6: adds the symbol `nId` (0 forgets the symbols asked for); *pId is 0.
    STDMETHOD(AddWatchSymbol)(LONG nId, LONG *pId) PURE;                 // 12
    // DISPID 7: the VarEd flags have changed.
    STDMETHOD(VarEdChanged)() PURE;                                      // 13
};
QEL_DEFINE_IID(IQelWatch, 0xABBB9B81, 0xD8A8, 0x11D3, 0xBF, 0xFA, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
