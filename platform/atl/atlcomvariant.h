// CComVariant: a VARIANT that frees what it holds.
#pragma once

#include <ole2.h>

#include "atlcombstr.h"

class CComVariant : public tagVARIANT {
public:
    CComVariant() { VariantInit(this); }
    CComVariant(const VARIANT &other)
    {
        VariantInit(this);
        InternalCopy(&other);
    }
    CComVariant(const CComVariant &other) : CComVariant(static_cast<const VARIANT &>(other)) {}
    CComVariant(LPCOLESTR text)
    {
        vt = VT_BSTR;
        bstrVal = SysAllocString(text);
    }
    CComVariant(LPCSTR text)
    {
        vt = VT_BSTR;
        bstrVal = CComBSTR(text).Detach();
    }
    CComVariant(const CComBSTR &text)
    {
        vt = VT_BSTR;
        bstrVal = text.Copy();
    }
    CComVariant(bool value)
    {
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    CComVariant(int value)
    {
        vt = VT_I4;
        lVal = value;
    }
    CComVariant(BYTE value)
    {
        vt = VT_UI1;
        bVal = value;
    }
    CComVariant(short value)
    {
        vt = VT_I2;
        iVal = value;
    }
    // LONG is int here, so a LONG takes the int form above (VT_I4); a DWORD is VT_UI4.
    CComVariant(unsigned int value)
    {
        vt = VT_UI4;
        ulVal = value;
    }
    CComVariant(float value)
    {
        vt = VT_R4;
        fltVal = value;
    }
    CComVariant(double value)
    {
        vt = VT_R8;
        dblVal = value;
    }
    CComVariant(IUnknown *value)
    {
        vt = VT_UNKNOWN;
        punkVal = value;
        if (value != nullptr)
            value->AddRef();
    }
    CComVariant(IDispatch *value)
    {
        vt = VT_DISPATCH;
        pdispVal = value;
        if (value != nullptr)
            reinterpret_cast<IUnknown *>(value)->AddRef();
    }
    ~CComVariant() { Clear(); }

    CComVariant &operator=(const CComVariant &other)
    {
        if (this != &other)
            InternalCopy(&other);
        return *this;
    }
    CComVariant &operator=(const VARIANT &other)
    {
        if (&other != this)
            InternalCopy(&other);
        return *this;
    }
    template <class T>
    CComVariant &operator=(T value)
    {
        CComVariant made(value);
        Clear();
        *static_cast<VARIANT *>(this) = made;
        made.vt = VT_EMPTY;
        return *this;
    }

    // Same type and same value, as the platform's VarCmp would say for these types.
    bool operator==(const VARIANT &other) const;
    bool operator!=(const VARIANT &other) const { return !(*this == other); }
    bool operator==(const CComVariant &other) const { return *this == static_cast<const VARIANT &>(other); }
    bool operator!=(const CComVariant &other) const { return !(*this == other); }

    HRESULT Clear() { return VariantClear(this); }
    HRESULT Copy(const VARIANT *source) { return VariantCopy(this, source); }
    // Takes over what *source holds and leaves it VT_EMPTY.
    HRESULT Attach(VARIANT *source);
    // Hands over what this holds to *dest (which is cleared first) and becomes VT_EMPTY.
    HRESULT Detach(VARIANT *dest);
    HRESULT ChangeType(VARTYPE type, const VARIANT *source = nullptr)
    {
        return VariantChangeType(this, source == nullptr ? this : source, 0, type);
    }

private:
    void InternalCopy(const VARIANT *source)
    {
        if (FAILED(VariantCopy(this, source))) {
            vt = VT_ERROR;
            scode = E_OUTOFMEMORY;
        }
    }
};
