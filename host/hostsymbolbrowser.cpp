#include "hostsymbolbrowser.h"

#include <atlbase.h>

#include <memory>

namespace QelHost {

namespace {

class CHostSymbolBrowser : public CComObjectRootEx<CComMultiThreadModel>, public IQelSymbolBrowser {
public:
    BEGIN_COM_MAP(CHostSymbolBrowser)
        COM_INTERFACE_ENTRY(IQelSymbolBrowser)
    END_COM_MAP()

    void SetAnswerer(std::shared_ptr<HostBrowserAnswerer> answerer) { m_answerer = std::move(answerer); }

    STDMETHODIMP Mode(SYMBOLBROWSERMODE mode) override
    {
        m_call.mode = mode;
        return S_OK;
    }
    STDMETHODIMP InitialValues(VARIANT, VARIANT) override { return S_OK; }
    STDMETHODIMP put_DebugServer(IUnknown *server) override
    {
        m_call.hasDebugServer = server != nullptr;
        return S_OK;
    }
    STDMETHODIMP put_ParentWindow(LONG window) override
    {
        m_call.parentWindow = window;
        return S_OK;
    }
    STDMETHODIMP put_MessageID(LONG) override { return S_OK; }
    STDMETHODIMP get_DialogWindow(LONG *) override { return E_FAIL; }
    STDMETHODIMP get_Address(LONG *address) override
    {
        if (address == nullptr)
            return E_POINTER;
        *address = m_address;
        return m_chose ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_Parameter(LONG *parameter) override
    {
        if (parameter == nullptr)
            return E_POINTER;
        *parameter = 0;
        return m_chose ? S_OK : S_FALSE;
    }
    STDMETHODIMP get_Label(BSTR *label) override
    {
        if (label == nullptr)
            return E_POINTER;
        *label = CComBSTR(m_label.c_str()).Detach();
        return S_OK;
    }
    STDMETHODIMP DoModal() override
    {
        if (!m_call.hasDebugServer || m_call.parentWindow == 0)
            return E_FAIL;
        m_label.clear();
        m_address = 0;
        m_chose = m_answerer != nullptr && *m_answerer && (*m_answerer)(m_call, &m_label, &m_address);
        return m_chose ? S_OK : S_FALSE;
    }

private:
    std::shared_ptr<HostBrowserAnswerer> m_answerer;
    HostBrowserCall m_call;
    std::string m_label;
    LONG m_address = 0;
    bool m_chose = false;
};

class CHostSymbolBrowserFactory : public CComObjectRootEx<CComMultiThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CHostSymbolBrowserFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    void SetAnswerer(std::shared_ptr<HostBrowserAnswerer> answerer) { m_answerer = std::move(answerer); }

    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        CComObject<CHostSymbolBrowser> *browser = nullptr;
        HRESULT hr = CComObject<CHostSymbolBrowser>::CreateInstance(&browser);
        if (FAILED(hr))
            return hr;
        browser->SetAnswerer(m_answerer);
        browser->AddRef();
        hr = browser->QueryInterface(riid, ppvObject);
        browser->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<HostBrowserAnswerer> m_answerer;
};

} // namespace

HRESULT RegisterSymbolBrowserDouble(HostBrowserAnswerer answerer, DWORD *pCookie)
{
    if (pCookie == nullptr)
        return E_POINTER;
    *pCookie = 0;
    CComObject<CHostSymbolBrowserFactory> *factory = nullptr;
    HRESULT hr = CComObject<CHostSymbolBrowserFactory>::CreateInstance(&factory);
    if (FAILED(hr))
        return hr;
    factory->SetAnswerer(std::make_shared<HostBrowserAnswerer>(std::move(answerer)));
    factory->AddRef();
    hr = CoRegisterClassObject(CLSID_QelSymbolBrowser, static_cast<IClassFactory *>(factory), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, pCookie);
    factory->Release(); // the class table holds it now
    return hr;
}

} // namespace QelHost
