// The partner objects that a symbol server answers through IQelSymbSrv::Synchronize.
//
// A debug-server object carries a symbol server, and its IQelSymbSrv is that server's
// (CHostDebugServer::SetSymbolServer). Until the host carries Korvex's own symbol
// server, this object plays the part the readers need of it: it names the foreign debug
// server (SYF_GET_FOREIGN_DEBUG_SERVER, the main debugger's when this one is a PCP
// debugger's, and the other way round) and the stand-alone PCP debug server
// (SYF_GET_PCP_STANDALONE_DEBUG_SERVER), and gives the VarEd setting of the debugger
// (SYF_GET_GLOBAL_VARED). Its other methods answer E_NOTIMPL.
#pragma once

#include <atlbase.h>
#include <qelsymbsrv.h>

#include <mutex>

namespace QelHost {

class CHostSymbolPartners : public CComObjectRootEx<CComMultiThreadModel>, public IQelSymbSrv {
public:
    BEGIN_COM_MAP(CHostSymbolPartners)
        COM_INTERFACE_ENTRY(IQelSymbSrv)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    // NULL: none.
    void SetForeignDebugServer(IUnknown *server);
    void SetPcpStandaloneDebugServer(IUnknown *server);
    // Off unless set.
    void SetGlobalVarEd(BOOL on);

    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetVersion(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP GetErrorInfo(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP Init(IUnknown *, IUnknown *) override { return E_NOTIMPL; }
    STDMETHODIMP RestoreSettings() override { return E_NOTIMPL; }
    STDMETHODIMP Cleanup() override { return E_NOTIMPL; }
    STDMETHODIMP StoreSettings() override { return E_NOTIMPL; }
    // The partner with a reference added, or null when none is set; for the VarEd
    // setting, as Korvex's server gives it, the number 1 or 0 in place of a pointer.
    // E_POINTER for a null ppUnknown, E_NOTIMPL for the codes other than the three GET
    // codes above.
    STDMETHODIMP Synchronize(tagSynchronizeFunction eFunction, IUnknown **ppUnknown) override;

private:
    std::mutex m_lock;
    CComPtr<IUnknown> m_foreign;
    CComPtr<IUnknown> m_pcpStandalone;
    BOOL m_globalVarEd = FALSE;
};

} // namespace QelHost
