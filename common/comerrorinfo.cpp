#include "comerrorinfo.h"

#include <atlbase.h>

BOOL CreateComErrorInfo(IErrorInfo **out, LPCSTR description, LPCSTR source, const GUID *guid, LPCSTR helpFile,
                        DWORD helpContext)
{
    if (out == nullptr)
        return FALSE;
    *out = nullptr;
    CComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create)) || create == nullptr)
        return FALSE;
    CComBSTR descriptionText(description);
    CComBSTR sourceText(source != nullptr ? source : "");
    CComBSTR helpFileText(helpFile != nullptr ? helpFile : "");
    create->SetDescription(descriptionText);
    create->SetSource(sourceText);
    create->SetGUID(guid != nullptr ? *guid : GUID_NULL);
    create->SetHelpFile(helpFileText);
    create->SetHelpContext(helpContext);
    return SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(out))) && *out != nullptr;
}

BOOL SetComErrorInfo(LPCSTR description, LPCSTR source, const GUID *guid, LPCSTR helpFile, DWORD helpContext)
{
    CComPtr<IErrorInfo> info;
    if (!CreateComErrorInfo(&info, description, source, guid, helpFile, helpContext))
        return FALSE;
    return SUCCEEDED(SetErrorInfo(0, info));
}

BOOL ReadComErrorInfo(IErrorInfo *info, CString *description, CString *source, GUID *guid, CString *helpFile,
                      DWORD *helpContext)
{
    if (info == nullptr)
        return FALSE;
    if (description != nullptr) {
        CComBSTR text;
        info->GetDescription(&text);
        *description = static_cast<LPCOLESTR>(text.m_str);
    }
    if (source != nullptr) {
        CComBSTR text;
        info->GetSource(&text);
        *source = static_cast<LPCOLESTR>(text.m_str);
    }
    if (guid != nullptr)
        info->GetGUID(guid);
    if (helpFile != nullptr) {
        CComBSTR text;
        info->GetHelpFile(&text);
        *helpFile = static_cast<LPCOLESTR>(text.m_str);
    }
    if (helpContext != nullptr)
        info->GetHelpContext(helpContext);
    return TRUE;
}

BOOL GetComErrorInfo(CString *description, CString *source, GUID *guid, CString *helpFile, DWORD *helpContext,
                     IUnknown *object, const IID *iid)
{
    bool checked = false;
    if (object != nullptr && iid != nullptr) {
        CComPtr<ISupportErrorInfo> support;
        if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&support))) ||
            support == nullptr)
            return FALSE;
        // S_FALSE is a success code that means "does not support": only S_OK passes.
        if (support->InterfaceSupportsErrorInfo(*iid) != S_OK)
            return FALSE;
        checked = true;
    }
    CComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr)
        return checked ? TRUE : FALSE;
    return ReadComErrorInfo(info, description, source, guid, helpFile, helpContext);
}
