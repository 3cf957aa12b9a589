#include "afxolepage.h"

#include "afxmodule.h"
#include "combobox.h"
#include "controls.h"
#include "taskmem.h"
#include "textconv.h"

#include <new>

namespace {

// A change notice that a user's edit in the control makes: a push button's click
// changes no value.
bool IsUserChange(HWND control, UINT code)
{
    if (code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE)
        return true;
    if (code != BN_CLICKED)
        return false;
    switch (static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}

LPOLESTR TaskMemText(const char *text)
{
    int count = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (count <= 0)
        return nullptr;
    auto *wide = static_cast<LPOLESTR>(::CoTaskMemAlloc(static_cast<SIZE_T>(count) * sizeof(OLECHAR)));
    if (wide != nullptr)
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, count);
    return wide;
}

} // namespace

COlePropertyPage::COlePropertyPage(UINT idDlg, UINT idCaption)
    : CDialog(idDlg), m_xInnerUnknown(this), m_xPropertyPage(this), m_dwRef(1), m_pOuterUnknown(nullptr),
      m_pPageSite(nullptr), m_ppObjects(nullptr), m_nObjects(0), m_nIDTemplate(idDlg), m_idCaption(idCaption),
      m_bModified(FALSE), m_bActivating(FALSE)
{
}

COlePropertyPage::~COlePropertyPage()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
    ReleaseObjects();
    if (m_pPageSite != nullptr)
        m_pPageSite->Release();
}

void COlePropertyPage::EnableAggregation(IUnknown *pOuterUnknown)
{
    m_pOuterUnknown = pOuterUnknown;
}

IUnknown *COlePropertyPage::ControllingUnknown()
{
    return m_pOuterUnknown != nullptr ? m_pOuterUnknown : &m_xInnerUnknown;
}

void COlePropertyPage::SetModifiedFlag(BOOL bModified)
{
    BOOL becameDirty = bModified && !m_bModified;
    m_bModified = bModified;
    if (becameDirty && m_pPageSite != nullptr)
        m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

IUnknown **COlePropertyPage::GetObjectArray(ULONG *pnObjects)
{
    if (pnObjects != nullptr)
        *pnObjects = m_nObjects;
    return m_ppObjects;
}

void COlePropertyPage::OnObjectsChanged() {}

void COlePropertyPage::OnOK() {}

void COlePropertyPage::OnCancel() {}

BOOL COlePropertyPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control != nullptr && !m_bActivating && IsUserChange(control, HIWORD(wParam)))
        SetModifiedFlag(TRUE);
    return CDialog::OnCommand(wParam, lParam);
}

void COlePropertyPage::ReleaseObjects()
{
    for (ULONG i = 0; i < m_nObjects; i++)
        m_ppObjects[i]->Release();
    delete[] m_ppObjects;
    m_ppObjects = nullptr;
    m_nObjects = 0;
}

STDMETHODIMP COlePropertyPage::XInnerUnknown::QueryInterface(REFIID riid, void **ppvObject)
{
    if (ppvObject == nullptr)
        return E_POINTER;
    *ppvObject = nullptr;
    if (IsEqualIID(riid, IID_IUnknown))
        *ppvObject = static_cast<IUnknown *>(this);
    else if (IsEqualIID(riid, IID_IPropertyPage))
        *ppvObject = static_cast<IPropertyPage *>(&m_pThis->m_xPropertyPage);
    else
        return E_NOINTERFACE;
    static_cast<IUnknown *>(*ppvObject)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COlePropertyPage::XInnerUnknown::AddRef()
{
    return ++m_pThis->m_dwRef;
}

STDMETHODIMP_(ULONG) COlePropertyPage::XInnerUnknown::Release()
{
    ULONG count = --m_pThis->m_dwRef;
    if (count == 0) {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        delete m_pThis;
    }
    return count;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::QueryInterface(REFIID riid, void **ppvObject)
{
    return m_pThis->ControllingUnknown()->QueryInterface(riid, ppvObject);
}

STDMETHODIMP_(ULONG) COlePropertyPage::XPropertyPage::AddRef()
{
    return m_pThis->ControllingUnknown()->AddRef();
}

STDMETHODIMP_(ULONG) COlePropertyPage::XPropertyPage::Release()
{
    return m_pThis->ControllingUnknown()->Release();
}

STDMETHODIMP COlePropertyPage::XPropertyPage::SetPageSite(IPropertyPageSite *pPageSite)
{
    if (pPageSite != nullptr)
        pPageSite->AddRef();
    if (m_pThis->m_pPageSite != nullptr)
        m_pThis->m_pPageSite->Release();
    m_pThis->m_pPageSite = pPageSite;
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (m_pThis->m_hWnd != nullptr)
        return E_UNEXPECTED;
    if (!::IsWindow(hWndParent))
        return E_INVALIDARG;
    m_pThis->m_bActivating = TRUE;
    BOOL made = m_pThis->Create(m_pThis->m_nIDTemplate, CWnd::FromHandle(hWndParent));
    m_pThis->m_bActivating = FALSE;
    // The parent given lives only for this call.
    m_pThis->m_pParentWnd = nullptr;
    if (!made)
        return E_OUTOFMEMORY;
    if (pRect != nullptr)
        m_pThis->MoveWindow(pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Deactivate()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (m_pThis->m_hWnd != nullptr)
        m_pThis->DestroyWindow();
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::GetPageInfo(PROPPAGEINFO *pPageInfo)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (pPageInfo == nullptr)
        return E_POINTER;
    char caption[256] = "";
    AfxLoadString(m_pThis->m_idCaption, caption, sizeof caption);
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    info.pszTitle = TaskMemText(caption);
    if (info.pszTitle == nullptr)
        return E_OUTOFMEMORY;
    // The page takes the rectangle that the frame gives when it activates the page.
    info.size = {0, 0};
    *pPageInfo = info;
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::SetObjects(ULONG cObjects, IUnknown **ppUnk)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (cObjects != 0 && ppUnk == nullptr)
        return E_POINTER;
    for (ULONG i = 0; i < cObjects; i++) {
        if (ppUnk[i] == nullptr)
            return E_POINTER;
    }
    IUnknown **objects = nullptr;
    if (cObjects != 0) {
        objects = new (std::nothrow) IUnknown *[cObjects];
        if (objects == nullptr)
            return E_OUTOFMEMORY;
        for (ULONG i = 0; i < cObjects; i++) {
            objects[i] = ppUnk[i];
            objects[i]->AddRef();
        }
    }
    m_pThis->ReleaseObjects();
    m_pThis->m_ppObjects = objects;
    m_pThis->m_nObjects = cObjects;
    m_pThis->OnObjectsChanged();
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Show(UINT nCmdShow)
{
    if (m_pThis->m_hWnd == nullptr)
        return E_UNEXPECTED;
    m_pThis->ShowWindow(static_cast<int>(nCmdShow));
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Move(LPCRECT pRect)
{
    if (pRect == nullptr)
        return E_POINTER;
    if (m_pThis->m_hWnd == nullptr)
        return E_UNEXPECTED;
    m_pThis->MoveWindow(pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::IsPageDirty()
{
    return m_pThis->m_bModified ? S_OK : S_FALSE;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Apply()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!m_pThis->m_bModified)
        return S_OK;
    // The changes are in the controls: without them there is nothing to write.
    if (m_pThis->m_hWnd == nullptr)
        return E_UNEXPECTED;
    if (!m_pThis->UpdateData(TRUE))
        return E_FAIL;
    m_pThis->SetModifiedFlag(FALSE);
    return S_OK;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::Help(LPCOLESTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP COlePropertyPage::XPropertyPage::TranslateAccelerator(MSG *)
{
    return S_FALSE;
}
