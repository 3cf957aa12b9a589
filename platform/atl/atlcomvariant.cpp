#include "atlcomvariant.h"

#include <cstring>

bool CComVariant::operator==(const VARIANT &other) const
{
    if (this == &other)
        return true;
    if (vt != other.vt)
        return false;
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BOOL:
        return boolVal == other.boolVal;
    case VT_I1:
    case VT_UI1:
        return bVal == other.bVal;
    case VT_I2:
    case VT_UI2:
        return iVal == other.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return lVal == other.lVal;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
        return llVal == other.llVal;
    case VT_R4:
        return fltVal == other.fltVal;
    case VT_R8:
    case VT_DATE:
        return dblVal == other.dblVal;
    case VT_BSTR: {
        UINT bytes = SysStringByteLen(bstrVal);
        return bytes == SysStringByteLen(other.bstrVal) &&
               (bytes == 0 || memcmp(bstrVal, other.bstrVal, bytes) == 0);
    }
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return punkVal == other.punkVal;
    default:
        // Arrays and references: the same one, not an equal one.
        return byref == other.byref;
    }
}

HRESULT CComVariant::Attach(VARIANT *source)
{
    if (source == nullptr)
        return E_INVALIDARG;
    HRESULT hr = Clear();
    if (FAILED(hr))
        return hr;
    *static_cast<VARIANT *>(this) = *source;
    source->vt = VT_EMPTY;
    return S_OK;
}

HRESULT CComVariant::Detach(VARIANT *dest)
{
    if (dest == nullptr)
        return E_POINTER;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    *dest = *static_cast<VARIANT *>(this);
    vt = VT_EMPTY;
    return S_OK;
}
