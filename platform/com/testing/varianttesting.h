// VARIANTs for tests, each freshly initialised; the caller clears them (a text is the
// caller's to free, an object is not referenced).
#pragma once

#include "ole2.h"

inline VARIANT NumberVariant(LONG value, VARTYPE vt = VT_I4)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.lVal = value;
    return v;
}

inline VARIANT TextVariant(const char16_t *text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

inline VARIANT ObjectVariant(IUnknown *object)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = object;
    return v;
}
