// The COM class SymSrvPropertyPage: the object that carries the symbol server's property
// page (CSymSrvPropertyPage) for the host's options.
//
// The object makes the page when it is made and aggregates it: it answers IUnknown
// itself and every other interface (IPropertyPage) by asking the page's inner IUnknown,
// whose interfaces hand their IUnknown calls back to the object. Letting go of the inner
// IUnknown when the object goes ends the page.
#pragma once

#include <afx.h>
#include <atlbase.h>

#include "symserverids.h"
#include "symserverscripts.h"
#include "symsrvpropertypage.h"

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
        COM_INTERFACE_ENTRY_AGGREGATE_BLIND(m_pInner)
    END_COM_MAP()

    DECLARE_GET_CONTROLLING_UNKNOWN()

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
        TPage *page = new (std::nothrow) TPage;
        if (page == nullptr)
            return E_OUTOFMEMORY;
        page->EnableAggregation(GetControllingUnknown());
        m_pInner = page->GetInnerUnknown();
        return S_OK;
    }
    void FinalRelease()
    {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        IUnknown *inner = m_pInner;
        m_pInner = nullptr;
        if (inner != nullptr)
            inner->Release();
    }

private:
    // The page's own IUnknown, holding the reference that it was made with.
    IUnknown *m_pInner = nullptr;
};

} // namespace MfcExt

typedef MfcExt::CMfcAtlPropertyPage<CSymSrvPropertyPage, &CLSID_SymSrvPropertyPage, IDR_SYMSRVPROPERTYPAGE> CSymSrvPropertyPageObject;
