#include "variant.h"

#include "internal/vartypes.h"
#include "safearray.h"
#include "unknwn.h"

#include <cstring>

namespace qelcom {

ULONG ElementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return sizeof(void *);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

bool IsVariantType(VARTYPE vt)
{
    if (vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK))
        return false;
    VARTYPE base = vt & VT_TYPEMASK;
    if (base == VT_EMPTY || base == VT_NULL)
        return base == vt;
    // A VARIANT never holds a VARIANT by value, only a pointer to one or an array of them.
    if (base == VT_VARIANT)
        return (vt & (VT_ARRAY | VT_BYREF)) != 0;
    return ElementSize(base) != 0;
}

} // namespace qelcom

namespace {

void AddRef(IUnknown *object)
{
    if (object)
        object->AddRef();
}

} // namespace

STDAPI_(void) VariantInit(VARIANTARG *pvarg)
{
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
}

STDAPI VariantClear(VARIANTARG *pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    VARTYPE vt = pvarg->vt;
    if (!qelcom::IsVariantType(vt))
        return DISP_E_BADVARTYPE;
    if (vt & VT_BYREF) {
        pvarg->vt = VT_EMPTY;
        return S_OK;
    }
    if (vt & VT_ARRAY) {
        HRESULT hr = SafeArrayDestroy(pvarg->parray);
        if (FAILED(hr))
            return hr;
        pvarg->vt = VT_EMPTY;
        return S_OK;
    }
    // The VARIANT is empty before an interface learns that it is released, so that a
    // Release that reaches this VARIANT again finds nothing to free.
    VARIANT old = *pvarg;
    pvarg->vt = VT_EMPTY;
    if (vt == VT_BSTR)
        SysFreeString(old.bstrVal);
    else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && old.punkVal)
        old.punkVal->Release();
    return S_OK;
}

STDAPI VariantCopy(VARIANTARG *pvargDest, const VARIANTARG *pvargSrc)
{
    if (!pvargDest || !pvargSrc)
        return E_INVALIDARG;
    if (!qelcom::IsVariantType(pvargSrc->vt))
        return DISP_E_BADVARTYPE;
    if (pvargDest == pvargSrc)
        return S_OK;
    VARIANT copy = *pvargSrc;
    VARTYPE vt = copy.vt;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
            if (FAILED(hr))
                return hr;
        } else if (vt == VT_BSTR && copy.bstrVal) {
            BSTR text = pvargSrc->bstrVal;
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
            if (!copy.bstrVal)
                return E_OUTOFMEMORY;
        }
    }
    HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    if (!(vt & (VT_BYREF | VT_ARRAY)) && (vt == VT_UNKNOWN || vt == VT_DISPATCH))
        AddRef(copy.punkVal);
    *pvargDest = copy;
    return S_OK;
}

STDAPI VariantCopyInd(VARIANT *pvarDest, const VARIANTARG *pvargSrc)
{
    if (!pvarDest || !pvargSrc)
        return E_INVALIDARG;
    VARTYPE vt = pvargSrc->vt;
    if (!(vt & VT_BYREF))
        return VariantCopy(pvarDest, pvargSrc);
    if (!qelcom::IsVariantType(vt))
        return DISP_E_BADVARTYPE;
    if (!pvargSrc->byref)
        return E_INVALIDARG;

    VARIANT value;
    VariantInit(&value);
    VARTYPE base = vt & VT_TYPEMASK;
    HRESULT hr = S_OK;
    if (vt & VT_ARRAY) {
        hr = SafeArrayCopy(*pvargSrc->pparray, &value.parray);
        value.vt = vt & ~VT_BYREF;
    } else if (base == VT_VARIANT) {
        // One level only: a VARIANT that points to another reference is malformed.
        const VARIANT *inner = pvargSrc->pvarVal;
        hr = (inner->vt & VT_BYREF) ? E_INVALIDARG : VariantCopy(&value, inner);
    } else if (base == VT_BSTR) {
        // The VARIANT is set up as a VT_BSTR source so that VariantCopy makes the copy.
        VARIANT text;
        VariantInit(&text);
        text.vt = VT_BSTR;
        text.bstrVal = *pvargSrc->pbstrVal;
        hr = VariantCopy(&value, &text);
    } else if (base == VT_UNKNOWN || base == VT_DISPATCH) {
        value.vt = base;
        value.punkVal = *pvargSrc->ppunkVal;
        AddRef(value.punkVal);
    } else {
        value.vt = base;
        std::memcpy(&value.llVal, pvargSrc->byref, qelcom::ElementSize(base));
    }
    if (FAILED(hr))
        return hr;
    // The value is taken before the destination is cleared: they may be one VARIANT.
    hr = VariantClear(pvarDest);
    if (FAILED(hr)) {
        VariantClear(&value);
        return hr;
    }
    *pvarDest = value;
    return S_OK;
}
