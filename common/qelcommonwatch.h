// IQelCommonWatch: the watch and locals trees of the symbol window controls, as the
// variable code of the symbol server drives them. The server holds each tree item's
// variable object in the item's param; the tree keeps a reference on it.
//
// Item handles are 32-bit numbers that the tree gives out, 0 standing for the root; they
// are never addresses, so every handle that comes in is looked up before use.
#pragma once

#include <ole2.h>

interface IQelCommonWatch : public IUnknown {
    // Slot 3: a new item below *pItem (0: the root), shown with `name`, of the variable
    // `type` and with `children` below it; *pItem becomes the new item's handle.
    STDMETHOD(InsertItem)(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem) PURE;
    // Slot 4: the item `item` takes the new name, type, children and param; *pNewItem
    // is its handle afterwards.
    STDMETHOD(ChangeItem)(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNewItem) PURE;
    // Slot 5: asks the tree to work out something about the item: `function` 0 redraws
    // it after its value was written, 1 fetches an enumeration's enumerators, 2 resolves
    // a function address.
    STDMETHOD(CalculateItem)(LONG item, LONG function, LONG mode, LONG value) PURE;
    // Slot 6: the item's value text changed (item 0: the texts of many items).
    STDMETHOD(SetItemText)(LONG item) PURE;
    // Slot 7: the item's text, for the caller to free.
    STDMETHOD(GetItemText)(LONG item, BSTR *pText) PURE;
    // Slot 8: removes the item and everything below it.
    STDMETHOD(DeleteItem)(LONG item) PURE;
    // Slot 9: many items in one go. `function` 0 starts a batch of `childrenOrParent`
    // items, 1 adds one item, 2 ends it, giving the new handles in *pOut as
    // VT_ARRAY|VT_I4.
    STDMETHOD(InsertItemBatch)(LONG function, BSTR name, LONG type, LONG childrenOrParent, IUnknown *param,
                               VARIANT *pOut) PURE;
};
QEL_DEFINE_IID(IQelCommonWatch, 0x0812F8D2, 0xD420, 0x11D3, 0xBF, 0xF0, 0x00, 0x60, 0x97, 0x12, 0x56, 0x29);
