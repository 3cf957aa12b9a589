#include "daoerror.h"

CdbLastOLEError::CdbLastOLEError() : m_pErrorInfo(nullptr)
{
    if (GetErrorInfo(0, &m_pErrorInfo) != S_OK)
        m_pErrorInfo = nullptr;
}

CdbLastOLEError::~CdbLastOLEError()
{
    if (m_pErrorInfo)
        m_pErrorInfo->Release();
}

namespace {

CString TakeText(IErrorInfo *info, HRESULT (STDMETHODCALLTYPE IErrorInfo::*get)(BSTR *))
{
    if (!info)
        return CString();
    BSTR text = nullptr;
    if ((info->*get)(&text) != S_OK)
        return CString();
    CString result(static_cast<LPCWSTR>(text));
    SysFreeString(text);
    return result;
}

} // namespace

CString CdbLastOLEError::GetSource()
{
    return TakeText(m_pErrorInfo, &IErrorInfo::GetSource);
}

CString CdbLastOLEError::GetDescription()
{
    return TakeText(m_pErrorInfo, &IErrorInfo::GetDescription);
}
