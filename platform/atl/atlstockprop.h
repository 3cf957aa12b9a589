// The stock font property of a control (atlctl.h): the dual interface `I` declares
// putref_Font, put_Font and get_Font, and CStockPropImpl implements them on the control's
// m_pFont, asking the container first (FireOnRequestEdit: S_FALSE leaves the font as it
// was), then calling the control's OnFontChanged, telling the container (FireOnChanged)
// and drawing the control again. put_Font keeps a copy of the font it is given, putref_Font
// the font itself.
#pragma once

#include "atlcomptr.h"
#include "atldispatch.h"

template <class T, class I, const IID *piid, const GUID *plibid = &GUID_NULL>
class CStockPropImpl : public IDispatchImpl<I, piid, plibid> {
public:
    STDMETHOD(putref_Font)(IFontDisp *pFont) override { return Change([&](T *pT) { pT->m_pFont = pFont; }); }
    STDMETHOD(put_Font)(IFontDisp *pFont) override
    {
        return Change([&](T *pT) {
            pT->m_pFont.Release();
            CComQIPtr<IFont> font(pFont);
            CComPtr<IFont> copy;
            if (font != nullptr && SUCCEEDED(font->Clone(&copy)) && copy != nullptr)
                copy->QueryInterface(IID_IFontDisp, reinterpret_cast<void **>(&pT->m_pFont));
        });
    }
    STDMETHOD(get_Font)(IFontDisp **ppFont) override
    {
        if (ppFont == nullptr)
            return E_POINTER;
        T *pT = static_cast<T *>(this);
        *ppFont = pT->m_pFont;
        if (*ppFont != nullptr)
            (*ppFont)->AddRef();
        return S_OK;
    }

    // What the control does when its font has changed; nothing unless it says.
    void OnFontChanged() {}

private:
    template <class Set>
    HRESULT Change(Set set)
    {
        T *pT = static_cast<T *>(this);
        if (pT->FireOnRequestEdit(DISPID_FONT) == S_FALSE)
            return S_FALSE;
        set(pT);
        pT->OnFontChanged();
        pT->FireOnChanged(DISPID_FONT);
        pT->FireViewChange();
        return S_OK;
    }
};
