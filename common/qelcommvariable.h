// The communication variable object's interfaces: IQelCommVariableObj, through which the
// watch and locals trees, the communication queue and the CASE-tool add-on build and
// edit one watched item, and IQelUniCommStub, through which the host refreshes it and
// hands it its owner.
//
// "Item" is a handle of the tree that shows the object (IQelCommonWatch), 0 meaning the
// root. Arrays come as SAFEARRAYs in VARIANTs: plain (VT_ARRAY | type) or in the
// transfer form of the symbol server's answers (tagtransfer.h), with 0-based bounds.
#pragma once

#include <ole2.h>

interface IQelCommVariableObj : public IUnknown {
    // Slot 3: a new root for the watch text `expression` (a "?(...)" form or a name),
    // shown in `tree` at `item` (0: a new item).
    STDMETHOD(CreateExpressionVariable)(BSTR expression, IUnknown *tree, LONG item) PURE;
    // Slot 4: a new root for entry `index` of a variable answer (three texts, nine
    // numbers per entry); nothing is built when either array is VT_EMPTY.
    STDMETHOD(CreateVariable)(LONG index, VARIANT names, VARIANT values, IUnknown *tree, LONG item) PURE;
    // Slot 5: the register map, two numbers per register (the server's number, the
    // host's register id) and, optionally, one name per register.
    STDMETHOD(SetRegisterMap)(VARIANT numbers, VARIANT names) PURE;
    // Slot 6: the lifetime list, as a lifetime or VarEd-mapping answer gives it.
    STDMETHOD(SetLifetimes)(VARIANT numbers) PURE;
    // Slot 7: the members of the item's type, as a member answer gives them.
    STDMETHOD(AddMembers)(LONG parent, VARIANT names, VARIANT values) PURE;
    STDMETHOD(GetBaseType)(LONG item, LONG *pBaseType) PURE;         // 8
    STDMETHOD(IsEnum)(LONG item, LONG *pIsEnum) PURE;                // 9
    STDMETHOD(UpdateItemText)(LONG item) PURE;                       // 10
    STDMETHOD(SetExpanded)(LONG item, LONG expanded) PURE;           // 11
    STDMETHOD(GetItemHandle)(LONG *pItem) PURE;                      // 12
    STDMETHOD(GetValue)(VARIANT *pValue) PURE;                       // 13
    STDMETHOD(SetValue)(VARIANT value) PURE;                         // 14
    // Slot 15: per format two BSTRs (its name twice) and two longs (its index, 1 when
    // current).
    STDMETHOD(GetDisplayFormats)(LONG item, VARIANT *pNames, VARIANT *pValues) PURE;
    STDMETHOD(SetDisplayFormat)(LONG item, LONG format) PURE;        // 16
    STDMETHOD(GetEnumerators)(LONG item, VARIANT *pNames, VARIANT *pSelected) PURE; // 17
    STDMETHOD(SelectEnumerator)(LONG item, LONG index) PURE;         // 18
    STDMETHOD(GetDisplayState)(LONG item, LONG *pState) PURE;        // 19
    // Slot 20: 0 name, 1 value text, 10 display text, 100 location, 101 type name, 102
    // scope text.
    STDMETHOD(GetItemString)(LONG item, LONG code, BSTR *pText) PURE;
    STDMETHOD(SetItemString)(LONG item, LONG valueText, BSTR text) PURE; // 21
    STDMETHOD(GetSymbolId)(LONG *pId) PURE;                          // 22
    STDMETHOD(GetNames)(BSTR *pName, BSTR *pScope) PURE;             // 23
    STDMETHOD(GetSymbolIndex)(LONG *pIndex) PURE;                    // 24
};
QEL_DEFINE_IID(IQelCommVariableObj, 0x891D6BE6, 0x6C0B, 0x11D2, 0xB2, 0xE4, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

interface IQelUniCommStub : public IUnknown {
    // Slot 3: reads (0) or writes the pending values of (1) the whole item; answers 1
    // when that was done, 0 when not.
    STDMETHOD(Refresh)(LONG write) PURE;
    // Slot 4: the next reads are skipped until the next Refresh.
    STDMETHOD(Detach)() PURE;
    // Slot 5: the host object that the item belongs to.
    STDMETHOD(SetOwner)(IUnknown *owner) PURE;
};
QEL_DEFINE_IID(IQelUniCommStub, 0xC992E6D0, 0xF9F4, 0x11D1, 0xB2, 0x92, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// The inner communication object that a variable object gets from its owner (command 200
// with 7) answers this one besides the complex-memory and value-notice interfaces
// (hostinterfaces.h); the system never calls it, so it is known by identifier only.
DEFINE_GUID(IID_QelCommObject28CDD976, 0x28CDD976, 0xBBD4, 0x11D1, 0xB2, 0x61, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
