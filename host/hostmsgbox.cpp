#include "hostmsgbox.h"

namespace QelHost {

namespace {

class CHostMsgBoxFactory : public CComObjectRootEx<CComMultiThreadModel>, public IClassFactory {
public:
    BEGIN_COM_MAP(CHostMsgBoxFactory)
        COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    void SetReports(std::shared_ptr<HostReports> reports) { m_reports = std::move(reports); }

    STDMETHODIMP CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        *ppvObject = nullptr;
        if (pUnkOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        CComObject<CHostMsgBox> *box = nullptr;
        HRESULT hr = CComObject<CHostMsgBox>::CreateInstance(&box);
        if (FAILED(hr))
            return hr;
        box->SetReports(m_reports);
        box->AddRef();
        hr = box->QueryInterface(riid, ppvObject);
        box->Release();
        return hr;
    }
    // Nothing to keep loaded: the class lives in the host itself.
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<HostReports> m_reports;
};

} // namespace

STDMETHODIMP CHostMsgBox::ShowMessage(BSTR text)
{
    m_reports->AddMessage(text);
    return S_OK;
}

STDMETHODIMP CHostMsgBox::SetTitle(BSTR title)
{
    m_title = AnsiText(title);
    return S_OK;
}

STDMETHODIMP CHostMsgBox::ShowMessageBox(LONG owner, BSTR text, BSTR caption, LONG style, LONG *pAnswer)
{
    if (pAnswer == nullptr)
        return E_POINTER;
    HostMessageBox box{owner, m_title, AnsiText(text), caption != nullptr, AnsiText(caption), style};
    *pAnswer = m_reports->AddMessageBox(std::move(box));
    return S_OK;
}

HRESULT RegisterMessageBoxClass(std::shared_ptr<HostReports> reports, DWORD *pCookie)
{
    if (pCookie == nullptr)
        return E_POINTER;
    *pCookie = 0;
    CComObject<CHostMsgBoxFactory> *factory = nullptr;
    HRESULT hr = CComObject<CHostMsgBoxFactory>::CreateInstance(&factory);
    if (FAILED(hr))
        return hr;
    factory->SetReports(std::move(reports));
    factory->AddRef();
    DWORD cookie = 0;
    hr = CoRegisterClassObject(CLSID_QelHostMsgBox, static_cast<IClassFactory *>(factory), CLSCTX_INPROC_SERVER,
                               REGCLS_MULTIPLEUSE, &cookie);
    factory->Release(); // the class table holds it now
    if (FAILED(hr))
        return hr;
    hr = QelSetClassObjectProgID(cookie, u"QEL.QelMsgBox");
    if (FAILED(hr)) {
        CoRevokeClassObject(cookie);
        return hr;
    }
    *pCookie = cookie;
    return S_OK;
}

} // namespace QelHost
