#include "safearrayvariant.h"

#include "variantarray.h"

CSafeArrayVariant::CSafeArrayVariant(VARTYPE elementType, int count) : m_elementType(elementType), m_borrowed(FALSE)
{
    VariantInit(&m_variant);
    m_variant.vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
    m_variant.parray = nullptr;
    if (count > 0)
        Resize(count);
}

CSafeArrayVariant::CSafeArrayVariant(VARIANT *v, BOOL borrow) : m_elementType(VT_VARIANT), m_borrowed(borrow)
{
    VariantInit(&m_variant);
    if (!v || !(v->vt & VT_ARRAY) || (v->vt & VT_BYREF))
        return;
    m_variant = *v;
    if (!borrow) {
        v->vt = 0;
        v->parray = nullptr;
    }
}

CSafeArrayVariant::~CSafeArrayVariant()
{
    while (m_accesses > 0)
        UnaccessData();
    if (!m_borrowed && GetArray()) {
        if (IsValid() && m_elementType == VT_VARIANT) {
            if (auto *entries = static_cast<VARIANT *>(AccessData())) {
                for (int i = 0, count = GetCount(); i < count; ++i)
                    VariantInit(&entries[i]);
                UnaccessData();
            }
        }
        SafeArrayDestroy(GetArray());
    }
}

BOOL CSafeArrayVariant::IsValid() const
{
    SAFEARRAY *array = GetArray();
    return m_variant.vt == (VT_ARRAY | m_elementType) && array && SafeArrayGetDim(array) == 1;
}

int CSafeArrayVariant::GetCount() const
{
    if (!IsValid())
        return 0;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(GetArray(), 1, &lower);
    SafeArrayGetUBound(GetArray(), 1, &upper);
    return static_cast<int>(static_cast<LONGLONG>(upper) - lower + 1);
}

BOOL CSafeArrayVariant::Resize(int count)
{
    if (count < 0)
        return FALSE;
    SAFEARRAYBOUND bound = {static_cast<ULONG>(count), 0};
    SAFEARRAY *array = GetArray();
    if (array) {
        if (!IsValid())
            return FALSE;
        LONG lower = 0;
        SafeArrayGetLBound(array, 1, &lower);
        if (count == GetCount() && lower == 0)
            return TRUE;
        return SUCCEEDED(SafeArrayRedim(array, &bound));
    }
    array = SafeArrayCreate(m_elementType, 1, &bound);
    if (!array)
        return FALSE;
    m_variant.vt = static_cast<VARTYPE>(VT_ARRAY | m_elementType);
    m_variant.parray = array;
    return TRUE;
}

void *CSafeArrayVariant::AccessData()
{
    void *data = nullptr;
    if (!IsValid() || FAILED(SafeArrayAccessData(GetArray(), &data)))
        return nullptr;
    ++m_accesses;
    return data;
}

void CSafeArrayVariant::UnaccessData()
{
    if (m_accesses == 0)
        return;
    SafeArrayUnaccessData(GetArray());
    --m_accesses;
}

BOOL CSafeArrayVariant::FromArray(const CVariantArray &args)
{
    if (m_elementType != VT_VARIANT || !Resize(args.GetSize()))
        return FALSE;
    if (args.GetSize() == 0)
        return TRUE;
    auto *entries = static_cast<VARIANT *>(AccessData());
    if (!entries)
        return FALSE;
    for (int i = 0; i < args.GetSize(); ++i)
        entries[i] = args.GetAt(i).GetValue();
    UnaccessData();
    return TRUE;
}

int CSafeArrayVariant::ToArray(CVariantArray &args)
{
    int count = m_elementType == VT_VARIANT ? GetCount() : 0;
    args.SetSize(count);
    if (count == 0)
        return 0;
    auto *entries = static_cast<VARIANT *>(AccessData());
    if (!entries) {
        args.SetSize(0);
        return 0;
    }
    try {
        for (int i = 0; i < count; ++i)
            args[i].SetValue(entries[i]);
    } catch (...) {
        UnaccessData();
        throw;
    }
    UnaccessData();
    return count;
}

void CSafeArrayVariant::Forget()
{
    while (m_accesses > 0)
        UnaccessData();
    VariantInit(&m_variant);
}
