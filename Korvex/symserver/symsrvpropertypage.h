// The symbol server's property page: the framework's page (dialog 107, caption string
// 600 "Symbol") and the COM class SymSrvPropertyPage that carries it.
//
// The page has no controls and no profile items yet; they come with the windows of the
// symbol server. The COM object makes the page when it is made and answers IUnknown
// only, until the page offers interfaces (IPropertyPage) of its own for the object to
// hand out as their outer object.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include "symserverids.h"
#include "symserverscripts.h"

class CSymSrvPropertyPage : public CCmdTarget {
public:
    enum { IDD = 107 };
    enum : UINT { IDS_CAPTION = 600 };

    CSymSrvPropertyPage() = default;
};

namespace MfcExt {

// A COM object over the framework page TPage, registered as *pclsid by the registry
// script `registryId` (with %CLSID% and %MODULE% replaced). Apartment-threaded.
template <class TPage, const CLSID *pclsid, UINT registryId>
class CMfcAtlPropertyPage : public CComObjectRootEx<CComSingleThreadModel>,
                            public CComCoClass<CMfcAtlPropertyPage<TPage, pclsid, registryId>, pclsid>,
                            public IUnknown {
public:
    BEGIN_COM_MAP(CMfcAtlPropertyPage)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()

    static HRESULT UpdateRegistry(BOOL bRegister)
    {
        OLECHAR wide[39];
        char clsid[39];
        StringFromGUID2(*pclsid, wide, 39);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, clsid, sizeof clsid, nullptr, nullptr);
        const char *const replacements[][2] = {{"CLSID", clsid}, {nullptr, nullptr}};
        if (_pAtlModule == nullptr)
            return E_UNEXPECTED;
        return _pAtlModule->UpdateRegistryFromResource(registryId, bRegister, replacements);
    }

    HRESULT FinalConstruct()
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        m_pPage = new (std::nothrow) TPage;
        return m_pPage != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    void FinalRelease()
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        delete m_pPage;
        m_pPage = nullptr;
    }

private:
    TPage *m_pPage = nullptr;
};

} // namespace MfcExt

typedef MfcExt::CMfcAtlPropertyPage<CSymSrvPropertyPage, &CLSID_SymSrvPropertyPage, IDR_SYMSRVPROPERTYPAGE> CSymSrvPropertyPageObject;
