#include "variantarray.h"

#include "safearrayvariant.h"

#include <cstring>

namespace {

// A VARIANT that carries a list: a one-dimensional SAFEARRAY of VARIANT.
bool HoldsList(const VARIANT &v)
{
    return v.vt == (VT_ARRAY | VT_VARIANT) && v.parray && SafeArrayGetDim(v.parray) == 1;
}

} // namespace

BOOL IsSameVariantValue(const VARIANT &a, const VARIANT &b)
{
    return a.vt == b.vt && memcmp(&a.llVal, &b.llVal, sizeof a.llVal) == 0;
}

CVariantArray::CVariantArray(int count)
{
    if (count > 0)
        SetSize(count);
}

CVariantArray::CVariantArray(VARIANT *source, BOOL writeBack)
    : m_attached(TRUE), m_writeBack(writeBack && source), m_arrayMode(source && HoldsList(*source)), m_source(source)
{
    FromVariant(source, FALSE);
}

CVariantArray::~CVariantArray()
{
    if (m_attached && m_writeBack) {
        if (m_arrayMode)
            WriteBackIntoArray();
        else
            WriteBackAsValue();
    }
}

// The source's entries that the list does not fill are the caller's and are forgotten,
// never freed; an entry that still holds its element's value keeps it, and the element,
// which holds a copy of its own, frees that copy (see the convention in the header).
void CVariantArray::WriteBackIntoArray()
{
    CSafeArrayVariant array(m_source, TRUE);
    if (!array.IsValid())
        return;
    int count = GetSize();
    int had = array.GetCount();
    if (had > count) {
        auto *entries = static_cast<VARIANT *>(array.AccessData());
        if (!entries)
            return;
        for (int i = count; i < had; ++i)
            VariantInit(&entries[i]);
        array.UnaccessData();
    }
    // When the array cannot be resized (someone holds it locked), what fits is written.
    array.Resize(count);
    int fits = array.GetCount() < count ? array.GetCount() : count;
    if (fits == 0)
        return;
    auto *entries = static_cast<VARIANT *>(array.AccessData());
    if (!entries)
        return;
    for (int i = 0; i < fits; ++i) {
        CVariantArgs &element = ElementAt(i);
        if (i < had && IsSameVariantValue(entries[i], element.GetValue()))
            continue;
        entries[i] = element.GetValue();
        element.Disown();
    }
    array.UnaccessData();
}

void CVariantArray::WriteBackAsValue()
{
    if (GetSize() == 0)
        return;
    CVariantArgs &element = ElementAt(0);
    if (IsSameVariantValue(*m_source, element.GetValue()))
        return;
    *m_source = element.GetValue();
    element.Disown();
}

int CVariantArray::FromVariant(VARIANT *v, BOOL takeOver)
{
    RemoveAll();
    if (!v)
        return 0;
    if (!HoldsList(*v)) {
        SetSize(1);
        if (takeOver)
            ElementAt(0).TakeOver(*v);
        else
            ElementAt(0).SetValue(*v);
        return 1;
    }
    if (!takeOver) {
        CSafeArrayVariant array(v, TRUE);
        return array.ToArray(*this);
    }
    // Sized before the array leaves `v`, so that running out of memory loses nothing.
    CSafeArrayVariant borrowed(v, TRUE);
    SetSize(borrowed.GetCount());
    CSafeArrayVariant array(v, FALSE);
    auto *entries = static_cast<VARIANT *>(array.AccessData());
    if (!entries) {
        RemoveAll();
        return 0;
    }
    for (int i = 0; i < GetSize(); ++i)
        ElementAt(i).TakeOver(entries[i]);
    array.UnaccessData();
    return GetSize();
}

void CVariantArray::DetachAll()
{
    for (int i = 0; i < GetSize(); ++i)
        ElementAt(i).Disown();
    RemoveAll();
}

const VARIANT &CVariantArray::Typed(int index, VARTYPE vt) const
{
    if (index < 0 || index >= GetSize() || GetAt(index).GetValue().vt != vt)
        _com_issue_error(E_INVALIDARG);
    return GetAt(index).GetValue();
}

DWORD CVariantArray::GetUI4(int index) const
{
    return Typed(index, VT_UI4).ulVal;
}

LONG CVariantArray::GetI4(int index) const
{
    return Typed(index, VT_I4).lVal;
}

VARIANT_BOOL CVariantArray::GetBool(int index) const
{
    return Typed(index, VT_BOOL).boolVal;
}

BSTR CVariantArray::GetBSTR(int index) const
{
    return Typed(index, VT_BSTR).bstrVal;
}

IUnknown *CVariantArray::GetUnknown(int index) const
{
    return Typed(index, VT_UNKNOWN).punkVal;
}
