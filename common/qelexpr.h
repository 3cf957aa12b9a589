// The expression interface through which the debugger host evaluates one watch expression
// against a target. Both identifiers lead to the same interface: the host asks for either.
#pragma once

#include <ole2.h>

interface IQelExpr : public IUnknown {
    // Slot 3: the host's target object (NULL lets the one held go).
    STDMETHOD(SetTarget)(IUnknown *target) PURE;
    // Slot 4: S_OK when the text parses, S_FALSE otherwise.
    STDMETHOD(SetExpression)(BSTR text) PURE;
    // Slot 5: the text last set, as a new BSTR.
    STDMETHOD(GetExpression)(BSTR *text) PURE;
    // Slot 6: the value as VT_I4 or VT_R8; a value that is not VT_EMPTY coming in asks
    // for the value to be read again. S_OK with a value, E_FAIL without.
    STDMETHOD(Evaluate)(VARIANT *value) PURE;
    // Slot 7: not offered (E_NOTIMPL).
    STDMETHOD(Slot07)(LONG, LONG, LONG, LONG) PURE;
    // Slot 8: the object whose complex-memory interface serves the memory from now on.
    STDMETHOD(SetMemoryObject)(IUnknown *object) PURE;
};
QEL_DEFINE_IID(IQelExpr, 0x85908AC6, 0x3643, 0x47D6, 0xA4, 0xD9, 0xF8, 0x5A, 0xEB, 0x42, 0xAF, 0x51);

interface IQelExpr2 : public IQelExpr {
    // Slots 9 and 10: a text that the object keeps for its user.
    STDMETHOD(get_Text)(BSTR *text) PURE;
    STDMETHOD(put_Text)(BSTR text) PURE;
    // Slots 11 and 12: the function or file name whose statics count as local, or
    // "(global)", for lookup by scope name.
    STDMETHOD(get_Scope)(BSTR *scope) PURE;
    STDMETHOD(put_Scope)(BSTR scope) PURE;
    // Slots 13 and 14: 0 looks names up by the current instruction pointer and renews
    // the values when the target stops; any other by the scope name, renewing symbols
    // and values when a pattern ends.
    STDMETHOD(get_LookupMode)(LONG *mode) PURE;
    STDMETHOD(put_LookupMode)(LONG mode) PURE;
};
QEL_DEFINE_IID(IQelExpr2, 0x0D5F60EA, 0x718B, 0x4972, 0xBF, 0xDC, 0xDC, 0x60, 0x9D, 0xDF, 0xEA, 0x2A);
