#include "qelwatchwindow.h"

#include "talvixscripts.h"
#include "viewserverregistration.h"

#include <qelsymbol.h>

namespace {

const ViewServerDescriptor kWatchDescriptor = {
    IDR_VIEWSERVER, &CLSID_QelWatch, &CLSID_QelSymbol, &LIBID_TALVIXLib, 1, IDS_WATCH_TEXTS,
    206, 252, -1, 5, 7, 5, 0, 0, 0, 200, 200, 0};

// Every failure inside a call is absorbed: the tree shows its effect, or nothing.
template <class Work>
HRESULT Guarded(Work work)
{
    try {
        work();
    } catch (_com_error &) {
    } catch (CException *exception) {
        exception->Delete();
    }
    return S_OK;
}

} // namespace

HRESULT CQelWatch::UpdateRegistry(BOOL bRegister)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return RegisterViewServer(&kWatchDescriptor, bRegister);
}

STDMETHODIMP CQelWatch::Watches(VARIANT *, VARIANT *)
{
    // The window lists nothing: both outputs stay as the caller gave them.
    return S_FALSE;
}

STDMETHODIMP CQelWatch::AddWatch(BSTR bstrText, LONG *pId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return Guarded([&] { *pId = m_tree.AddWatch(CString(bstrText)); });
}

STDMETHODIMP CQelWatch::NewOrder(VARIANT ids)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    BOOL sorted = FALSE;
    Guarded([&] { sorted = m_tree.NewOrder(ids); });
    return sorted ? S_OK : S_FALSE;
}

STDMETHODIMP CQelWatch::DeleteWatch(LONG nId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.DeleteWatch(nId); });
}

STDMETHODIMP CQelWatch::ChangeWatch(BSTR bstrText, LONG nId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.ChangeWatch(CString(bstrText), nId); });
}

STDMETHODIMP CQelWatch::AddWatchSymbol(LONG nId, LONG *pId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pId == nullptr)
        return E_INVALIDARG;
    *pId = 0;
    return Guarded([&] { m_tree.AddWatchSymbol(nId); });
}

STDMETHODIMP CQelWatch::VarEdChanged()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return Guarded([&] { m_tree.VarEdChanged(); });
}
