#include "cmdhandover.h"

#include "variantarray.h"

namespace {

constexpr DWORD kHandOverOptions = 0xC0000000;

// The values a VARIANT carries: the entries of a list, or the value itself.
std::vector<VARIANT> ValuesOf(const VARIANT *v)
{
    std::vector<VARIANT> values;
    if (!v)
        return values;
    if (v->vt == (VT_ARRAY | VT_VARIANT) && v->parray && SafeArrayGetDim(v->parray) == 1) {
        LONG lower = 0;
        LONG upper = -1;
        void *data = nullptr;
        if (FAILED(SafeArrayGetLBound(v->parray, 1, &lower)) || FAILED(SafeArrayGetUBound(v->parray, 1, &upper)) ||
            FAILED(SafeArrayAccessData(v->parray, &data)))
            return values;
        const VARIANT *entries = static_cast<const VARIANT *>(data);
        values.assign(entries, entries + (upper - lower + 1));
        SafeArrayUnaccessData(v->parray);
        return values;
    }
    values.push_back(*v);
    return values;
}

bool HoldsSomethingToFree(const VARIANT &v)
{
    if (v.vt & VT_BYREF)
        return false;
    return (v.vt & VT_ARRAY) || v.vt == VT_BSTR || v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH;
}

} // namespace

BOOL CCommandHandOver::IsHandOver(DWORD options)
{
    return (options & kHandOverOptions) != 0;
}

CCommandHandOver::CCommandHandOver(DWORD options, const VARIANT *out) : m_bHandOver(IsHandOver(options))
{
    if (m_bHandOver)
        m_firstContents = ValuesOf(out);
}

void CCommandHandOver::Settle(HRESULT hr, VARIANT *in, const VARIANT *out)
{
    if (!m_bHandOver || FAILED(hr))
        return;
    if (in)
        VariantClear(in);
    std::vector<VARIANT> results = ValuesOf(out);
    for (VARIANT &first : m_firstContents) {
        if (!HoldsSomethingToFree(first))
            continue;
        bool givenBack = false;
        for (const VARIANT &result : results)
            givenBack = givenBack || IsSameVariantValue(first, result);
        if (!givenBack)
            VariantClear(&first);
    }
    m_firstContents.clear();
}
