// COlePropertyPage: a dialog that a host's property frame shows as one of its pages,
// through the IPropertyPage that the object offers.
//
// The page is a COM object of its own: it starts with one reference, its creator's, on
// its inner IUnknown, and deletes itself when the last reference to that goes. Made part
// of another object (EnableAggregation), its IPropertyPage hands IUnknown to that outer
// object, which answers for the page's other interfaces by asking the inner IUnknown.
//
// Activate makes the dialog, from the page's template, as a child of the frame's window;
// Deactivate destroys it. The frame's OK and Cancel are the frame's own: the page's
// dialog ends nothing itself. A change that the user makes in a control (an edit's text,
// a check box or radio button, a combo box's choice) marks the page dirty and tells the
// site; Apply exchanges the controls towards the members and, when that worked, the page
// is clean again.
#pragma once

#include "afxdialog.h"
#include "proppage.h"

class COlePropertyPage : public CDialog {
public:
    COlePropertyPage(UINT idDlg, UINT idCaption);
    ~COlePropertyPage() override;
    COlePropertyPage(const COlePropertyPage &) = delete;
    COlePropertyPage &operator=(const COlePropertyPage &) = delete;

    // The object whose part the page is; not referenced, as that object holds the page.
    void EnableAggregation(IUnknown *pOuterUnknown);
    // The page's own IUnknown, with the creator's reference: Release it to end the page.
    IUnknown *GetInnerUnknown() { return &m_xInnerUnknown; }

    void SetModifiedFlag(BOOL bModified = TRUE);
    BOOL IsModified() const { return m_bModified; }
    // The objects that the frame gave, without references of the caller's own.
    IUnknown **GetObjectArray(ULONG *pnObjects);

protected:
    // After the frame gave other objects (or none).
    virtual void OnObjectsChanged();

    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    class XInnerUnknown : public IUnknown {
    public:
        explicit XInnerUnknown(COlePropertyPage *pThis) : m_pThis(pThis) {}
        STDMETHODIMP QueryInterface(REFIID riid, void **ppvObject) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        COlePropertyPage *m_pThis;
    };
    class XPropertyPage : public IPropertyPage {
    public:
        explicit XPropertyPage(COlePropertyPage *pThis) : m_pThis(pThis) {}
        STDMETHODIMP QueryInterface(REFIID riid, void **ppvObject) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP SetPageSite(IPropertyPageSite *pPageSite) override;
        STDMETHODIMP Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
        STDMETHODIMP Deactivate() override;
        STDMETHODIMP GetPageInfo(PROPPAGEINFO *pPageInfo) override;
        STDMETHODIMP SetObjects(ULONG cObjects, IUnknown **ppUnk) override;
        STDMETHODIMP Show(UINT nCmdShow) override;
        STDMETHODIMP Move(LPCRECT pRect) override;
        STDMETHODIMP IsPageDirty() override;
        STDMETHODIMP Apply() override;
        STDMETHODIMP Help(LPCOLESTR pszHelpDir) override;
        STDMETHODIMP TranslateAccelerator(MSG *pMsg) override;

    private:
        COlePropertyPage *m_pThis;
    };

    IUnknown *ControllingUnknown();
    void ReleaseObjects();

    XInnerUnknown m_xInnerUnknown;
    XPropertyPage m_xPropertyPage;
    ULONG m_dwRef;
    IUnknown *m_pOuterUnknown;
    IPropertyPageSite *m_pPageSite;
    IUnknown **m_ppObjects;
    ULONG m_nObjects;
    UINT m_nIDTemplate;
    UINT m_idCaption;
    BOOL m_bModified;
    // While the dialog fills its controls, their change notices are not the user's.
    BOOL m_bActivating;
};
