#include "qelversioninfoimpl.h"

void CoQelVersionInfoImpl::Fill(Win32Ext::CModuleVersion &version, const CString &modulePath, LONG firstNumber,
                                LONG secondNumber)
{
    ObjectLock hold(this);
    m_internalName.Empty();
    m_description.Empty();
    version.GetValue("InternalName", m_internalName);
    version.GetValue("FileDescription", m_description);
    m_modulePath = modulePath;
    m_versionParts[0] = HIWORD(version.m_fixedInfo.dwFileVersionMS);
    m_versionParts[1] = LOWORD(version.m_fixedInfo.dwFileVersionMS);
    m_versionParts[2] = HIWORD(version.m_fixedInfo.dwFileVersionLS);
    m_versionParts[3] = LOWORD(version.m_fixedInfo.dwFileVersionLS);
    m_firstNumber = firstNumber;
    m_secondNumber = secondNumber;
}

HRESULT CoQelVersionInfoImpl::TextOut(const CString &text, BSTR *out)
{
    if (out == nullptr)
        return E_POINTER;
    ObjectLock hold(this);
    BSTR made = text.AllocSysString();
    if (made == nullptr)
        return E_OUTOFMEMORY;
    *out = made;
    return S_OK;
}

HRESULT CoQelVersionInfoImpl::NumberOut(const LONG &number, LONG *out)
{
    if (out == nullptr)
        return E_POINTER;
    ObjectLock hold(this);
    *out = number;
    return S_OK;
}

STDMETHODIMP CoQelVersionInfoImpl::GetInternalName(BSTR *pbstrName)
{
    return TextOut(m_internalName, pbstrName);
}

STDMETHODIMP CoQelVersionInfoImpl::GetDescription(BSTR *pbstrDescription)
{
    return TextOut(m_description, pbstrDescription);
}

STDMETHODIMP CoQelVersionInfoImpl::GetMajorVersion(LONG *pValue)
{
    return NumberOut(m_versionParts[0], pValue);
}

STDMETHODIMP CoQelVersionInfoImpl::GetMinorVersion(LONG *pValue)
{
    return NumberOut(m_versionParts[1], pValue);
}

STDMETHODIMP CoQelVersionInfoImpl::GetReleaseNumber(LONG *pValue)
{
    return NumberOut(m_versionParts[2], pValue);
}

STDMETHODIMP CoQelVersionInfoImpl::GetBuildNumber(LONG *pValue)
{
    return NumberOut(m_versionParts[3], pValue);
}

STDMETHODIMP CoQelVersionInfoImpl::GetFirstNumber(LONG *pValue)
{
    return NumberOut(m_firstNumber, pValue);
}

STDMETHODIMP CoQelVersionInfoImpl::GetModulePath(BSTR *pbstrPath)
{
    return TextOut(m_modulePath, pbstrPath);
}

STDMETHODIMP CoQelVersionInfoImpl::GetSecondNumber(LONG *pValue)
{
    return NumberOut(m_secondNumber, pValue);
}

HRESULT CreateModuleVersionInfo(Win32Ext::CModuleVersion &version, IQelVersionInfo **ppInfo, LONG firstNumber,
                                LONG secondNumber)
{
    if (ppInfo == nullptr)
        return E_POINTER;
    *ppInfo = nullptr;
    CComObject<CoQelVersionInfoImpl> *object = nullptr;
    HRESULT hr = CComObject<CoQelVersionInfoImpl>::CreateInstance(&object);
    if (FAILED(hr))
        return hr;
    object->AddRef();
    hr = object->QueryInterface(IID_IQelVersionInfo, reinterpret_cast<void **>(ppInfo));
    if (SUCCEEDED(hr)) {
        CString path;
        Win32Ext::GetModulePath(AfxGetInstanceHandle(), path);
        object->Fill(version, path, firstNumber, secondNumber);
    }
    object->Release();
    return hr;
}
