#include "hostwatchview.h"

namespace QelHost {

HRESULT CHostWatchView::QueryWatch(void *self, REFIID, void **ppv)
{
    auto *view = static_cast<CHostWatchView *>(self);
    if (FAILED(view->m_queryResult))
        return view->m_queryResult;
    IQelWatch *watch = view;
    watch->AddRef();
    *ppv = watch;
    return S_OK;
}

STDMETHODIMP CHostWatchView::Watches(VARIANT *, VARIANT *)
{
    m_calls.push_back({"Watches", 0});
    return S_FALSE;
}

STDMETHODIMP CHostWatchView::AddWatch(BSTR, LONG *pId)
{
    m_calls.push_back({"AddWatch", 0});
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return S_OK;
}

STDMETHODIMP CHostWatchView::NewOrder(VARIANT)
{
    m_calls.push_back({"NewOrder", 0});
    return S_OK;
}

STDMETHODIMP CHostWatchView::DeleteWatch(LONG nId)
{
    m_calls.push_back({"DeleteWatch", nId});
    return S_OK;
}

STDMETHODIMP CHostWatchView::ChangeWatch(BSTR, LONG nId)
{
    m_calls.push_back({"ChangeWatch", nId});
    return S_OK;
}

STDMETHODIMP CHostWatchView::AddWatchSymbol(LONG nId, LONG *pId)
{
    m_calls.push_back({"AddWatchSymbol", nId});
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return S_OK;
}

STDMETHODIMP CHostWatchView::VarEdChanged()
{
    m_calls.push_back({"VarEdChanged", 0});
    return S_OK;
}

HostViewFactory WatchViewFactory()
{
    return [](IUnknown **view, CHostView **object) {
        *view = nullptr;
        *object = nullptr;
        CComObject<CHostWatchView> *watch = nullptr;
        HRESULT hr = CComObject<CHostWatchView>::CreateInstance(&watch);
        if (FAILED(hr))
            return hr;
        hr = watch->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(view));
        if (SUCCEEDED(hr))
            *object = watch;
        return hr;
    };
}

} // namespace QelHost
