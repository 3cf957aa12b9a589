#include "c16xinfo.h"

namespace {

constexpr ULONG kNone = 0xFFFFFFFF;

HRESULT GetValue(ULONG value, ULONG *pnValue)
{
    if (pnValue == nullptr)
        return E_POINTER;
    if (value == kNone)
        return E_FAIL;
    *pnValue = value;
    return S_OK;
}

HRESULT GetRange(ULONG start, ULONG length, BOOL given, ULONG *pnStart, ULONG *pnLength)
{
    if (pnStart == nullptr || pnLength == nullptr)
        return E_POINTER;
    if (!given)
        return E_FAIL;
    *pnStart = start;
    *pnLength = length;
    return S_OK;
}

} // namespace

STDMETHODIMP CC16xInfo::GetPxrosValue1(ULONG *pnValue)
{
    return GetValue(m_nPxrosValue1, pnValue);
}

STDMETHODIMP CC16xInfo::GetPxrosValue2(ULONG *pnValue)
{
    return GetValue(m_nPxrosValue2, pnValue);
}

STDMETHODIMP CC16xInfo::GetPxrosValue3(ULONG *pnValue)
{
    return GetValue(m_nPxrosValue3, pnValue);
}

STDMETHODIMP CTaskingC16xInfo::GetInfoTypeGuid(GUID *pType)
{
    if (pType == nullptr)
        return E_POINTER;
    *pType = IID_ITaskingC16xInfo;
    return S_OK;
}

STDMETHODIMP CTaskingC16xInfo::GetICallSection(ULONG *pnStart, ULONG *pnLength)
{
    return GetRange(m_nICallStart, m_nICallLength, m_nICallStart != kNone && m_nICallLength != 0, pnStart,
                    pnLength);
}

STDMETHODIMP CTaskingC16xInfo::GetIRetSection(ULONG *pnStart, ULONG *pnLength)
{
    return GetRange(m_nIRetStart, m_nIRetLength, m_nIRetStart != kNone && m_nIRetLength != 0, pnStart,
                    pnLength);
}

STDMETHODIMP CGNUC16xInfo::GetInfoTypeGuid(GUID *pType)
{
    if (pType == nullptr)
        return E_POINTER;
    *pType = IID_IGNUC16xInfo;
    return S_OK;
}

STDMETHODIMP CGNUC16xInfo::GetICallSection(ULONG *pnStart, ULONG *pnLength)
{
    return GetRange(m_nICallStart, m_nICallLength, m_nICallStart != kNone, pnStart, pnLength);
}

STDMETHODIMP CGNUC16xInfo::GetIRetSection(ULONG *pnStart, ULONG *pnLength)
{
    return GetRange(m_nIRetStart, m_nIRetLength, m_nIRetStart != kNone, pnStart, pnLength);
}

STDMETHODIMP CGNUC16xInfo::GetGnuValues(ULONG *pnValue1, ULONG *pnValue2)
{
    if (pnValue1 == nullptr || pnValue2 == nullptr)
        return E_POINTER;
    *pnValue1 = m_nGnuValue1;
    *pnValue2 = m_nGnuValue2;
    return S_OK;
}
