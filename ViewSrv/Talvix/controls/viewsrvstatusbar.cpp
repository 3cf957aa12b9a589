#include "viewsrvstatusbar.h"

#include <atlbase.h>
#include <variantarray.h>

HRESULT CQelViewSrvStatusBar::QueryStatus(const GUID *pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT *)
{
    if (pguidCmdGroup != nullptr)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (cCmds > 0 && prgCmds == nullptr)
        return E_INVALIDARG;
    for (ULONG i = 0; i < cCmds; i++) {
        prgCmds[i].cmdf = 0;
        if (prgCmds[i].cmdID == CMD_STATUS_PANES)
            prgCmds[i].cmdf = OLECMDF_SUPPORTED | (m_paneTexts.GetSize() > 0 ? OLECMDF_ENABLED : 0);
    }
    return S_OK;
}

HRESULT CQelViewSrvStatusBar::Exec(const GUID *pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT *pvaIn, VARIANT *pvaOut)
{
    if (pguidCmdGroup != nullptr || nCmdID != CMD_STATUS_PANES)
        return E_NOTIMPL;
    try {
        CVariantArray in(pvaIn, FALSE);
        if (in.GetSize() == 1) {
            if (in.GetI4(0) != 0 || pvaOut == nullptr)
                return E_INVALIDARG;
            CVariantArray out(pvaOut, TRUE);
            if (out.GetSize() != 1)
                return E_INVALIDARG;
            VARIANT count;
            VariantInit(&count);
            V_VT(&count) = VT_I4;
            V_I4(&count) = static_cast<LONG>(m_paneTexts.GetSize());
            out[0].SetValue(count);
            return S_OK;
        }
        if (in.GetSize() != 0)
            return E_INVALIDARG;
        INT_PTR panes = m_paneTexts.GetSize();
        CVariantArray out(pvaOut, TRUE);
        if (out.GetSize() != 2 * panes || m_paneValues.GetSize() != panes)
            return E_INVALIDARG;
        for (INT_PTR i = 0; i < panes; i++) {
            out[static_cast<int>(i)].SetString(m_paneTexts[i]);
            VARIANT value;
            VariantInit(&value);
            V_VT(&value) = VT_I4;
            V_I4(&value) = static_cast<LONG>(m_paneValues[i]);
            out[static_cast<int>(panes + i)].SetValue(value);
        }
        return S_OK;
    } catch (_com_error &error) {
        return error.Error();
    } catch (CException *exception) {
        exception->Delete();
        return E_OUTOFMEMORY;
    }
}

HRESULT RequestFrameStatusRefresh(IOleClientSite *site)
{
    if (site == nullptr)
        return E_NOTIMPL;
    CComPtr<IOleInPlaceSite> inPlaceSite;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&inPlaceSite))) ||
        inPlaceSite == nullptr)
        return E_NOTIMPL;
    CComPtr<IOleInPlaceFrame> frame;
    CComPtr<IOleInPlaceUIWindow> document;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    inPlaceSite->GetWindowContext(&frame, &document, &position, &clip, &info);
    if (frame == nullptr)
        return E_NOTIMPL;
    CComPtr<IOleCommandTarget> target;
    if (FAILED(frame->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void **>(&target))) || target == nullptr)
        return E_NOTIMPL;
    return target->Exec(nullptr, CQelViewSrvStatusBar::CMD_STATUS_PANES, 0, nullptr, nullptr);
}
