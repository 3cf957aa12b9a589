// AtlSetErrorInfo: COM error information for the calling thread, as a failing method
// leaves it for its caller.
#pragma once

#include <ole2.h>

// Sets the calling thread's error information: `lpszDesc` as its description, `iid` as
// the interface that failed, and the help context `dwHelpID` with `lpszHelpFile` when
// both are given. The source is the class's ProgID, as the registry gives it
// (HKEY_CLASSES_ROOT\CLSID\{...}\ProgID), and empty for a class that is not registered.
// The description is a text: the template library's form that passes a string
// resource's id in its place, read from `hInst`, is not offered and answers E_INVALIDARG.
// Answers `hRes`, or DISP_E_EXCEPTION for 0, as the template library does.
// The ProgID that the registry gives the class, as a new BSTR; NULL when it gives none.
BSTR QelAtlProgIdOfClass(const CLSID &clsid);

inline HRESULT AtlSetErrorInfo(const CLSID &clsid, LPCOLESTR lpszDesc, DWORD dwHelpID, LPCOLESTR lpszHelpFile,
                               const IID &iid, HRESULT hRes, HINSTANCE = nullptr)
{
    if (lpszDesc != nullptr && reinterpret_cast<uintptr_t>(lpszDesc) < 0x10000)
        return E_INVALIDARG;
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(iid);
        BSTR source = QelAtlProgIdOfClass(clsid);
        if (source != nullptr) {
            create->SetSource(source);
            SysFreeString(source);
        }
        create->SetDescription(const_cast<LPOLESTR>(lpszDesc));
        if (dwHelpID != 0 && lpszHelpFile != nullptr) {
            create->SetHelpContext(dwHelpID);
            create->SetHelpFile(const_cast<LPOLESTR>(lpszHelpFile));
        }
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return hRes != 0 ? hRes : DISP_E_EXCEPTION;
}

// ISupportErrorInfo of a class with one interface that leaves error information: S_OK
// for it, S_FALSE for every other.
template <const IID *piid>
class ISupportErrorInfoImpl : public ISupportErrorInfo {
public:
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override { return riid == *piid ? S_OK : S_FALSE; }
};
