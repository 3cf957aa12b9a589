// CoQelVersionInfoImpl: the add-on's answer to the host's IQelVersionInfo, filled from
// its module's version resource when it is made.
#pragma once

#include "moduleversion.h"

#include <atlbase.h>
#include <qelversioninfo.h>

class CoQelVersionInfoImpl : public CComObjectRootEx<CComMultiThreadModel>, public IQelVersionInfo {
public:
    BEGIN_COM_MAP(CoQelVersionInfoImpl)
        COM_INTERFACE_ENTRY(IQelVersionInfo)
    END_COM_MAP()

    // Takes the strings and numbers of `version`, the module path and the two numbers.
    void Fill(Win32Ext::CModuleVersion &version, const CString &modulePath, LONG firstNumber, LONG secondNumber);

    // Every method: E_POINTER for a null pointer; E_OUTOFMEMORY, with the pointer left as
    // it was, when a text cannot be made.
    STDMETHODIMP GetInternalName(BSTR *pbstrName) override;
    STDMETHODIMP GetDescription(BSTR *pbstrDescription) override;
    STDMETHODIMP GetMajorVersion(LONG *pValue) override;
    STDMETHODIMP GetMinorVersion(LONG *pValue) override;
    STDMETHODIMP GetReleaseNumber(LONG *pValue) override;
    STDMETHODIMP GetBuildNumber(LONG *pValue) override;
    STDMETHODIMP GetFirstNumber(LONG *pValue) override;
    STDMETHODIMP GetModulePath(BSTR *pbstrPath) override;
    STDMETHODIMP GetSecondNumber(LONG *pValue) override;

private:
    HRESULT TextOut(const CString &text, BSTR *out);
    HRESULT NumberOut(const LONG &number, LONG *out);

    CString m_internalName;
    CString m_description;
    CString m_modulePath;
    LONG m_versionParts[4] = {};
    LONG m_firstNumber = 0;
    LONG m_secondNumber = 0;
};

// A new version-information object for `version` (read already) and the add-on's own
// module into *ppInfo; the failure of making or asking the object is the answer.
HRESULT CreateModuleVersionInfo(Win32Ext::CModuleVersion &version, IQelVersionInfo **ppInfo, LONG firstNumber,
                                LONG secondNumber);
