#include "commandvalues.h"

#include "brennetids.h"

#include <atlbase.h>

namespace {

void RefuseType()
{
    AtlSetErrorInfo(CLSID_Brennet, u"The value has the wrong type", 0, nullptr, GUID_NULL, E_INVALIDARG);
}

} // namespace

CString CCommandValues::Text(int index) const
{
    const VARIANT &value = Value(index);
    if (value.vt == VT_BSTR)
        return CString(value.bstrVal);
    RefuseType();
    return CString();
}

LONG CCommandValues::Number(int index, VARTYPE vt) const
{
    const VARIANT &value = Value(index);
    if (value.vt == vt)
        return value.lVal;
    RefuseType();
    return 0;
}

void SetCommandNumber(CVariantArgs &argument, VARTYPE vt, LONG value)
{
    VARIANT number;
    VariantInit(&number);
    number.vt = vt;
    // The add-on writes a true VT_BOOL as 1, as its peers read it.
    if (vt == VT_BOOL)
        number.boolVal = value ? 1 : 0;
    else
        number.lVal = value;
    argument.SetValue(number);
}
