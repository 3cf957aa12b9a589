#include "afxdialog.h"

#include "afxmodule.h"
#include "afxocc.h"
#include "dialogs.h"
#include "dialogtemplate.h"
#include "guidtext.h"
#include "windowgeometry.h"
#include "resources.h"
#include "windowfocus.h"

#include <cstring>

namespace {

// The dialog procedure of every CDialog: it binds the object (lParam of WM_INITDIALOG)
// to its window and hands WM_INITDIALOG to the object's map; every later message reaches
// the map through AfxWndProc, so it answers FALSE to all of them.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    auto *dialog = reinterpret_cast<CDialog *>(lParam);
    if (dialog == nullptr || !dialog->SubclassWindow(hWnd))
        return FALSE;
    return AfxWndProc(hWnd, message, wParam, lParam);
}

} // namespace

CDialog::CDialog() : m_pParentWnd(nullptr), m_nIDTemplate(0), m_bNamedTemplate(false) {}

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate), m_bNamedTemplate(false)
{
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd *pParentWnd)
    : m_pParentWnd(pParentWnd), m_nIDTemplate(0), m_bNamedTemplate(!IS_INTRESOURCE(lpszTemplateName))
{
    if (m_bNamedTemplate)
        m_strTemplateName = lpszTemplateName;
    else
        m_nIDTemplate = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpszTemplateName));
}

LPCTSTR CDialog::TemplateName() const
{
    return m_bNamedTemplate ? m_strTemplateName.c_str() : MAKEINTRESOURCE(m_nIDTemplate);
}

HWND CDialog::OwnerWindow(CWnd *pParentWnd) const
{
    if (pParentWnd != nullptr)
        return pParentWnd->GetSafeHwnd();
    return ::GetActiveWindow();
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != nullptr)
        return -1;
    LPCTSTR name = TemplateName();
    return ::DialogBoxParamA(AfxFindResourceHandle(name, RT_DIALOG), name, OwnerWindow(m_pParentWnd), AfxDlgProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    return Create(MAKEINTRESOURCE(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd *pParentWnd)
{
    if (m_hWnd != nullptr)
        return FALSE;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    HWND dialog = ::CreateDialogParamA(AfxFindResourceHandle(lpszTemplateName, RT_DIALOG), lpszTemplateName,
                                       m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr, AfxDlgProc,
                                       reinterpret_cast<LPARAM>(this));
    if (dialog != nullptr && m_bControlsFailed) {
        ::DestroyWindow(dialog);
        return FALSE;
    }
    return dialog != nullptr && m_hWnd == dialog;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::CreateControlItems()
{
    LPCTSTR name = TemplateName();
    HINSTANCE module = AfxFindResourceHandle(name, RT_DIALOG);
    HRSRC resource = ::FindResourceA(module, name, RT_DIALOG);
    const auto *layout = resource != nullptr
                             ? static_cast<const QEL_DLGTEMPLATE *>(::LockResource(::LoadResource(module, resource)))
                             : nullptr;
    if (layout == nullptr || layout->items == nullptr)
        return true;
    for (UINT i = 0; i < layout->itemCount; ++i) {
        const QEL_DLGITEMTEMPLATE &item = layout->items[i];
        if (item.className == nullptr || item.className[0] != '{')
            continue;
        std::u16string text(item.className, item.className + std::strlen(item.className));
        CLSID clsid;
        RECT rect{item.x, item.y, item.x + item.cx, item.y + item.cy};
        if (FAILED(CLSIDFromString(text.c_str(), &clsid)) || !::MapDialogRect(m_hWnd, &rect))
            return false;
        auto control = std::make_unique<CWnd>();
        if (!control->CreateControl(clsid, item.text, item.style | WS_CHILD, rect, this,
                                    static_cast<UINT>(item.id)))
            return false;
        COleControlSite *site = control->m_pCtrlSite;
        site->AddRef();
        m_controlItems.emplace_back(std::move(control), site);
    }
    return true;
}

void CDialog::DestroyControlItems()
{
    std::vector<std::pair<std::unique_ptr<CWnd>, COleControlSite *>> items;
    items.swap(m_controlItems);
    for (auto &[holder, site] : items) {
        if (CWnd *owner = site->Owner())
            owner->CloseControlSite();
        site->Close();
        site->Release();
    }
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    m_bControlsFailed = !CreateControlItems();
    if (m_bControlsFailed) {
        DestroyControlItems();
        ::EndDialog(m_hWnd, -1); // a modeless dialog is destroyed by Create
        return FALSE;
    }
    return OnInitDialog();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The controls go while their parent still stands, as the container lets them go.
    if (message == WM_DESTROY)
        DestroyControlItems();
    return CWnd::WindowProc(message, wParam, lParam);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()
