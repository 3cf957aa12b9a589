#include "programinfo.h"

#include "c16xinfo.h"

namespace {

// A new BSTR of the text; the framework reports a failed allocation by exception, which
// must not leave a COM method.
HRESULT NewText(const CString &text, BSTR *pbsText)
{
    try {
        *pbsText = text.AllocSysString();
    } catch (CMemoryException *e) {
        e->Delete();
        *pbsText = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT GetAddressRecord(const CString &text, ULONG address, ULONG value, BSTR *pbsText, ULONG *pnAddress,
                         ULONG *pnValue)
{
    if (pbsText == nullptr || pnAddress == nullptr || pnValue == nullptr)
        return E_POINTER;
    HRESULT hr = NewText(text, pbsText);
    if (FAILED(hr))
        return hr;
    *pnAddress = address;
    *pnValue = value;
    return S_OK;
}

template <class T>
HRESULT Create(CProgramInfo **ppInfo)
{
    CComObject<T> *object = nullptr;
    HRESULT hr = CComObject<T>::CreateInstance(&object);
    if (FAILED(hr))
        return hr;
    object->AddRef();
    *ppInfo = object;
    return S_OK;
}

} // namespace

STDMETHODIMP CProgramInfo::GetName(BSTR *pbsName)
{
    if (pbsName == nullptr)
        return E_POINTER;
    return NewText(m_strName, pbsName);
}

STDMETHODIMP CProgramInfo::GetDownloadSize(ULONG *pnBlocks, ULONG *pnBytes)
{
    if (pnBlocks == nullptr || pnBytes == nullptr)
        return E_POINTER;
    *pnBlocks = m_nDownloadBlocks;
    *pnBytes = m_nDownloadBytes;
    return S_OK;
}

STDMETHODIMP CProgramInfo::GetStartInfo(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue)
{
    return GetAddressRecord(m_strStartText, m_nStartAddress, m_nStartValue, pbsText, pnAddress, pnValue);
}

STDMETHODIMP CProgramInfo::GetSecondInfo(BSTR *pbsText, ULONG *pnAddress, ULONG *pnValue)
{
    return GetAddressRecord(m_strSecondText, m_nSecondAddress, m_nSecondValue, pbsText, pnAddress, pnValue);
}

STDMETHODIMP CProgramInfo::GetInfoTypeGuid(GUID *pType)
{
    if (pType == nullptr)
        return E_POINTER;
    *pType = IID_IProgramInfo;
    return S_OK;
}

HRESULT CreateProgramInfo(LONG type, CProgramInfo **ppInfo)
{
    if (ppInfo == nullptr)
        return E_POINTER;
    *ppInfo = nullptr;
    HRESULT hr;
    switch (type) {
    case QEL_PROGRAM_TASKING_OUT:
        hr = Create<CTaskingC16xInfo>(ppInfo);
        break;
    case QEL_PROGRAM_GNU166:
        hr = Create<CGNUC16xInfo>(ppInfo);
        break;
    case QEL_PROGRAM_ELF:
    case QEL_PROGRAM_EOMF:
    case QEL_PROGRAM_INTEL_HEX:
        hr = Create<CProgramInfo>(ppInfo);
        break;
    default:
        return E_INVALIDARG;
    }
    if (SUCCEEDED(hr))
        (*ppInfo)->m_nType = type;
    return hr;
}
