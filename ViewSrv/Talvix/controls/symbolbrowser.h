// CQelSymbolBrowser: the plain COM object through which other servers let the user pick a
// symbol in the modal "Select Symbol" dialog, the choice coming back as an address, a
// parameter and a label, or posted to the parent window while the dialog stays open.
#pragma once

#include <afx.h>
#include <atlbase.h>
#include <atlcoclass.h>
#include <qelsymbolbrowser.h>

class CQelSymbolSelectDialog;

enum : UINT { IDR_SYMBOL_BROWSER = 290 };

class CQelSymbolBrowser : public CComObjectRootEx<CComSingleThreadModel>,
                          public CComCoClass<CQelSymbolBrowser, &CLSID_QelSymbolBrowser>,
                          public IQelSymbolBrowser {
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_SYMBOL_BROWSER)
    BEGIN_COM_MAP(CQelSymbolBrowser)
        COM_INTERFACE_ENTRY(IQelSymbolBrowser)
    END_COM_MAP()

    CQelSymbolBrowser();
    ~CQelSymbolBrowser();

    STDMETHODIMP Mode(SYMBOLBROWSERMODE mode) override;
    STDMETHODIMP InitialValues(VARIANT names, VARIANT values) override;
    STDMETHODIMP put_DebugServer(IUnknown *server) override;
    STDMETHODIMP put_ParentWindow(LONG window) override;
    STDMETHODIMP put_MessageID(LONG message) override;
    STDMETHODIMP get_DialogWindow(LONG *window) override;
    STDMETHODIMP get_Address(LONG *address) override;
    STDMETHODIMP get_Parameter(LONG *parameter) override;
    STDMETHODIMP get_Label(BSTR *label) override;
    STDMETHODIMP DoModal() override;

private:
    bool DialogAlive() const;

    CQelSymbolSelectDialog *m_dialog = nullptr;
    DWORD m_address = 0;
    DWORD m_parameter = 0;
    SYMBOLBROWSERMODE m_mode = CODE_LABEL;
    IUnknown *m_debugServer = nullptr; // not counted: the caller keeps it while it browses
    UINT m_messageId = 0;
    HWND m_parent = nullptr;
    CString m_label;
    bool m_noChoice = true;
    // Copies: an [in] argument stays its caller's, and a kept browser outlives the call.
    VARIANT m_names;
    VARIANT m_values;
};
