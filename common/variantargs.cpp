#include "variantargs.h"

#include "oletarcmdcaller.h"

namespace {

// Whether a value of type `vt` holds something that VariantClear frees.
bool HoldsResource(VARTYPE vt)
{
    if (vt & VT_BYREF)
        return false;
    return (vt & VT_ARRAY) || vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

VARIANT Empty()
{
    VARIANT value;
    VariantInit(&value);
    return value;
}

} // namespace

CVariantArgs::CVariantArgs() noexcept : m_value(Empty()), m_owned(FALSE) {}

CVariantArgs::CVariantArgs(const CVariantArgs &other) : CVariantArgs()
{
    SetValue(other.m_value);
}

CVariantArgs &CVariantArgs::operator=(const CVariantArgs &other)
{
    SetValue(other.m_value);
    return *this;
}

CVariantArgs::CVariantArgs(CVariantArgs &&other) noexcept
    : m_value(other.m_value), m_owned(other.m_owned), m_text(std::move(other.m_text))
{
    other.m_value = Empty();
    other.m_owned = FALSE;
}

CVariantArgs &CVariantArgs::operator=(CVariantArgs &&other) noexcept
{
    if (this != &other) {
        Free();
        m_value = other.m_value;
        m_owned = other.m_owned;
        m_text = std::move(other.m_text);
        other.m_value = Empty();
        other.m_owned = FALSE;
    }
    return *this;
}

CVariantArgs::~CVariantArgs()
{
    Free();
}

void CVariantArgs::Free()
{
    if (m_owned)
        VariantClear(&m_value);
    m_value = Empty();
    m_owned = FALSE;
}

void CVariantArgs::SetValue(const VARIANT &value)
{
    // The copy is made before the old value goes, since `value` may be that value.
    VARIANT copy = Empty();
    BOOL owned = FALSE;
    if (HoldsResource(value.vt)) {
        HRESULT hr = VariantCopy(&copy, &value);
        if (hr == E_OUTOFMEMORY) {
            Free();
            AfxThrowMemoryException();
        }
        // A type word that no VARIANT may hold is kept as it stands and never freed: it
        // came from outside, and nothing of it can be trusted.
        if (FAILED(hr))
            copy = value;
        else
            owned = TRUE;
    } else {
        copy = value;
    }
    Free();
    m_value = copy;
    m_owned = owned;
}

void CVariantArgs::SetString(LPCSTR text)
{
    BSTR string = COleTarCmdCaller::AnsiToBstr(text ? text : "", -1);
    if (!string)
        return;
    Free();
    m_value.vt = VT_BSTR;
    m_value.bstrVal = string;
    m_owned = TRUE;
}

LPCSTR CVariantArgs::GetString()
{
    if (m_value.vt != VT_BSTR)
        _com_issue_error(E_INVALIDARG);
    BSTR string = m_value.bstrVal;
    int length = static_cast<int>(SysStringLen(string));
    int bytes = length > 0 ? WideCharToMultiByte(CP_ACP, 0, string, length, nullptr, 0, nullptr, nullptr) : 0;
    LPSTR buffer = m_text.GetBuffer(bytes);
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, string, length, buffer, bytes, nullptr, nullptr);
    m_text.ReleaseBuffer(bytes);
    return m_text;
}

HRESULT CVariantArgs::ChangeType(VARTYPE vt, VARIANT *out)
{
    if (!out)
        return E_POINTER;
    if (vt == VT_VARIANT)
        return VariantCopy(out, &m_value);
    return VariantChangeType(out, &m_value, 0, vt);
}

VARIANT CVariantArgs::Detach()
{
    VARIANT value = Empty();
    if (m_owned || !HoldsResource(m_value.vt)) {
        value = m_value;
        m_owned = FALSE;
    } else if (FAILED(VariantCopy(&value, &m_value))) {
        value = Empty();
    }
    Free();
    return value;
}

void CVariantArgs::TakeOver(VARIANT &value)
{
    Free();
    m_value = value;
    m_owned = HoldsResource(value.vt);
    value = Empty();
}
