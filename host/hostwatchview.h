// The watch view double: a view of the host frame (CHostView) that offers the watch
// window's IQelWatch, records every call of it and answers as an empty watch window does.
// A test can make its IQelWatch query fail, with E_NOINTERFACE as a view without the
// interface or with another failure.
#pragma once

#include "hostframe.h"

#include <qelwatch.h>

namespace QelHost {

// One call of IQelWatch: the method's name and its id argument (0 for those without);
// named apart from the watch tree's call record, since both live in this namespace.
struct WatchViewCall {
    std::string method;
    LONG id;
};

class CHostWatchView : public CHostView, public IQelWatch {
public:
    BEGIN_COM_MAP(CHostWatchView)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY_FUNC(IID_IQelWatch, QueryWatch)
    END_COM_MAP()

    // From now on a query for IQelWatch answers `hr` (S_OK: the interface).
    void SetQueryResult(HRESULT hr) { m_queryResult = hr; }
    const std::vector<WatchViewCall> &Calls() const { return m_calls; }

    STDMETHODIMP GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Watches(VARIANT *pNames, VARIANT *pIds) override;
    STDMETHODIMP AddWatch(BSTR bstrText, LONG *pId) override;
    STDMETHODIMP NewOrder(VARIANT ids) override;
    STDMETHODIMP DeleteWatch(LONG nId) override;
    STDMETHODIMP ChangeWatch(BSTR bstrText, LONG nId) override;
    STDMETHODIMP AddWatchSymbol(LONG nId, LONG *pId) override;
    STDMETHODIMP VarEdChanged() override;

private:
    static HRESULT QueryWatch(void *self, REFIID iid, void **ppv);

    HRESULT m_queryResult = S_OK;
    std::vector<WatchViewCall> m_calls;
};

// A factory of the frame (CHostFrame::SetViewFactory) that makes watch view doubles.
HostViewFactory WatchViewFactory();

} // namespace QelHost
