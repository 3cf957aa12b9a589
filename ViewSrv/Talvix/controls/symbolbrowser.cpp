#include "symbolbrowser.h"

#include "symbolselectdialog.h"

#include <afxmodule.h>
#include <hostmainwnd.h>

CQelSymbolBrowser::CQelSymbolBrowser()
{
    VariantInit(&m_names);
    VariantInit(&m_values);
}

CQelSymbolBrowser::~CQelSymbolBrowser()
{
    VariantClear(&m_names);
    VariantClear(&m_values);
}

bool CQelSymbolBrowser::DialogAlive() const
{
    return m_dialog != nullptr && m_dialog->m_hWnd != nullptr && ::IsWindow(m_dialog->m_hWnd);
}

STDMETHODIMP CQelSymbolBrowser::Mode(SYMBOLBROWSERMODE mode)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_mode = mode;
    if (mode == ABORT && DialogAlive())
        m_dialog->EndDialog(-1);
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::InitialValues(VARIANT names, VARIANT values)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    VariantClear(&m_names);
    VariantClear(&m_values);
    HRESULT hr = VariantCopy(&m_names, &names);
    if (hr == S_OK)
        hr = VariantCopy(&m_values, &values);
    return hr;
}

STDMETHODIMP CQelSymbolBrowser::put_DebugServer(IUnknown *server)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_debugServer = server;
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::put_ParentWindow(LONG window)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::put_MessageID(LONG message)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_messageId = static_cast<UINT>(message);
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::get_DialogWindow(LONG *window)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (window == nullptr)
        return E_POINTER;
    if (!DialogAlive())
        return E_FAIL;
    *window = static_cast<LONG>(reinterpret_cast<INT_PTR>(m_dialog->m_hWnd));
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::get_Address(LONG *address)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (address == nullptr)
        return E_POINTER;
    *address = static_cast<LONG>(m_address);
    return m_noChoice ? S_FALSE : S_OK;
}

STDMETHODIMP CQelSymbolBrowser::get_Parameter(LONG *parameter)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (parameter == nullptr)
        return E_POINTER;
    *parameter = static_cast<LONG>(m_parameter);
    return m_noChoice ? S_FALSE : S_OK;
}

STDMETHODIMP CQelSymbolBrowser::get_Label(BSTR *label)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (label == nullptr)
        return E_POINTER;
    *label = m_label.AllocSysString();
    return S_OK;
}

STDMETHODIMP CQelSymbolBrowser::DoModal()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    HRESULT result = E_FAIL;
    m_address = m_parameter = 0;
    m_label.Empty();
    m_noChoice = true;
    // A handle that names no window counts as none.
    CWnd *parent = m_parent != nullptr && ::IsWindow(m_parent) ? CWnd::FromHandle(m_parent) : GetHostMainWnd(0, nullptr);
    if (parent != nullptr && parent->m_hWnd != nullptr) {
        m_dialog = new CQelSymbolSelectDialog(parent);
        m_dialog->SetMode(m_mode);
        m_dialog->SetInitialValues(m_names, m_values);
        m_dialog->SetPostTarget(parent->m_hWnd, m_messageId);
        if (m_debugServer != nullptr && m_dialog->CreateRequestClient(m_debugServer)) {
            INT_PTR end = m_dialog->DoModal();
            if (end == IDOK) {
                result = S_OK;
                m_noChoice = false;
                m_address = m_dialog->GetAddress();
                m_parameter = m_dialog->GetParameter();
                m_label = m_dialog->GetLabel();
            } else if (end == IDCANCEL) {
                result = S_FALSE;
            }
        }
        delete m_dialog;
        m_dialog = nullptr;
    }
    GetHostMainWnd(1, nullptr);
    return result;
}
