#include "hostpropertyframe.h"

#include "hostreports.h"

#include <windows.h>

#include <cstring>
#include <set>

namespace QelHost {

namespace {

// The frame's side of the page: it hears the page's status and offers nothing more.
class CHostPageSite : public CComObjectRootEx<CComSingleThreadModel>, public IPropertyPageSite {
public:
    BEGIN_COM_MAP(CHostPageSite)
        COM_INTERFACE_ENTRY(IPropertyPageSite)
    END_COM_MAP()

    STDMETHODIMP OnStatusChange(DWORD) override { return S_OK; }
    STDMETHODIMP GetLocaleID(LCID *pLocaleID) override
    {
        if (pLocaleID == nullptr)
            return E_POINTER;
        *pLocaleID = 0x0409;
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown **ppUnk) override
    {
        if (ppUnk != nullptr)
            *ppUnk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateAccelerator(MSG *) override { return S_FALSE; }
};

std::set<HWND> ChildDialogs(HWND parent)
{
    std::set<HWND> dialogs;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16];
        if (GetClassNameA(child, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0)
            dialogs.insert(child);
    }
    return dialogs;
}

std::string TitleOf(IPropertyPage *page)
{
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    if (FAILED(page->GetPageInfo(&info)))
        return "";
    std::string title = info.pszTitle != nullptr ? AnsiText(info.pszTitle) : "";
    for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
        CoTaskMemFree(text);
    return title;
}

} // namespace

HRESULT ShowPropertyPage(REFCLSID clsid, IUnknown *object, HWND parent, const std::function<bool(HWND page)> &work,
                         PropertyPageOutcome *outcome)
{
    CComPtr<IPropertyPage> page;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                  reinterpret_cast<void **>(&page));
    if (FAILED(hr))
        return hr;
    CComObject<CHostPageSite> *site = nullptr;
    if (FAILED(hr = CComObject<CHostPageSite>::CreateInstance(&site)))
        return hr;
    CComPtr<IPropertyPageSite> siteHeld = site;
    outcome->title = TitleOf(page);
    if (FAILED(hr = page->SetPageSite(siteHeld)))
        return hr;
    hr = page->SetObjects(1, &object);
    std::set<HWND> before = ChildDialogs(parent);
    RECT where{0, 0, 400, 300};
    if (SUCCEEDED(hr))
        hr = page->Activate(parent, &where, FALSE);
    if (SUCCEEDED(hr)) {
        page->Show(SW_SHOW);
        HWND window = nullptr;
        for (HWND dialog : ChildDialogs(parent)) {
            if (before.count(dialog) == 0)
                window = dialog;
        }
        if (window != nullptr && work(window) && page->IsPageDirty() == S_OK) {
            outcome->applied = true;
            outcome->applyResult = page->Apply();
        }
        outcome->dirtyAfter = page->IsPageDirty() == S_OK;
        page->Deactivate();
    }
    page->SetObjects(0, nullptr);
    page->SetPageSite(nullptr);
    return hr;
}

} // namespace QelHost
