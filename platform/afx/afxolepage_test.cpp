#include "afxolepage.h"

#include "afxdatax.h"
#include "afxmodule.h"
#include "controls.h"
#include "taskmem.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <gtest/gtest.h>

enum : int { kLabel = 10, kLoud = 11, kBrowse = 12 };

namespace {

const QEL_DLGITEMTEMPLATE kPageItems[] = {
    {"Edit", kLabel, nullptr, WS_TABSTOP, 0, 5, 5, 80, 12},
    {"Button", kLoud, "Loud", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 5, 20, 80, 10},
    {"Button", kBrowse, "...", BS_PUSHBUTTON | WS_TABSTOP, 0, 90, 5, 16, 12},
};

} // namespace

// Bound into the program's resource table (afxmodule_test.cpp) as dialog 301, with the
// caption string 3003 "Tuning".
extern const QEL_DLGTEMPLATE kAfxPageTemplate = {"Tuning page", WS_CHILD, 0, 0, 0, 120, 40, kPageItems, 3};

namespace {

class CTuningPage : public COlePropertyPage {
public:
    explicit CTuningPage(bool *deleted) : COlePropertyPage(301, 3003), m_deleted(deleted) {}
    ~CTuningPage() override { *m_deleted = true; }

    CString m_label = "quiet";
    int m_loud = 0;
    bool refuse = false;
    int objectChanges = 0;

protected:
    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Text(pDX, kLabel, m_label);
        DDX_Check(pDX, kLoud, m_loud);
        if (pDX->m_bSaveAndValidate && refuse)
            pDX->Fail();
    }
    void OnObjectsChanged() override { ++objectChanges; }

private:
    bool *m_deleted;
};

// An object counting its references, as the outer object and as the frame's site.
class CCounted : public IPropertyPageSite {
public:
    ULONG refs = 1;
    DWORD lastStatus = 0;
    int statusChanges = 0;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppvObject) override
    {
        *ppvObject = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyPageSite))
            return E_NOINTERFACE;
        *ppvObject = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP OnStatusChange(DWORD dwFlags) override
    {
        lastStatus = dwFlags;
        ++statusChanges;
        return S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID *) override { return E_NOTIMPL; }
    STDMETHODIMP GetPageContainer(IUnknown **) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG *) override { return S_FALSE; }
};

class OlePropertyPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        page_ = new CTuningPage(&deleted_);
        ASSERT_EQ(page_->GetInnerUnknown()->QueryInterface(IID_IPropertyPage, reinterpret_cast<void **>(&ipage_)),
                  S_OK);
        parent_ = CreateWindowExA(0, "Static", "frame", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override
    {
        if (ipage_ != nullptr)
            ipage_->Release();
        if (!deleted_)
            page_->GetInnerUnknown()->Release();
        DestroyWindow(parent_);
    }
    HWND PageWindow() const { return GetWindow(parent_, GW_CHILD); }

    bool deleted_ = false;
    CTuningPage *page_ = nullptr;
    IPropertyPage *ipage_ = nullptr;
    HWND parent_ = nullptr;
};

TEST_F(OlePropertyPage, LivesAsLongAsItsInnerReferencesAndHandsIUnknownToItsOuterObject)
{
    ipage_->Release();
    ipage_ = nullptr;
    EXPECT_FALSE(deleted_);

    CCounted outer;
    page_->EnableAggregation(&outer);
    IPropertyPage *aggregated = nullptr;
    ASSERT_EQ(page_->GetInnerUnknown()->QueryInterface(IID_IPropertyPage, reinterpret_cast<void **>(&aggregated)),
              S_OK);
    EXPECT_EQ(outer.refs, 2u); // the interface's reference is the outer object's
    IUnknown *asked = nullptr;
    ASSERT_EQ(aggregated->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&asked)), S_OK);
    EXPECT_EQ(asked, static_cast<IUnknown *>(&outer));
    asked->Release();
    aggregated->Release();
    EXPECT_EQ(outer.refs, 1u);

    page_->GetInnerUnknown()->Release();
    EXPECT_TRUE(deleted_);
}

TEST_F(OlePropertyPage, TheUsersChangesMakeItDirtyAndApplyTakesThemIntoTheMembers)
{
    CCounted site;
    ASSERT_EQ(ipage_->SetPageSite(&site), S_OK);
    RECT where{10, 10, 130, 50};
    ASSERT_EQ(ipage_->Activate(parent_, &where, FALSE), S_OK);
    HWND window = PageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), parent_);
    char text[32] = "";
    GetWindowTextA(GetDlgItem(window, kLabel), text, sizeof text);
    EXPECT_STREQ(text, "quiet");
    EXPECT_EQ(ipage_->IsPageDirty(), S_FALSE); // filling the controls is no change

    SendMessageA(GetDlgItem(window, kBrowse), BM_CLICK, 0, 0);
    EXPECT_EQ(ipage_->IsPageDirty(), S_FALSE); // a push button changes no value
    SendMessageA(GetDlgItem(window, kLoud), BM_CLICK, 0, 0);
    SetWindowTextA(GetDlgItem(window, kLabel), "shouting");
    EXPECT_EQ(ipage_->IsPageDirty(), S_OK);
    EXPECT_EQ(site.statusChanges, 1);
    EXPECT_EQ(site.lastStatus, static_cast<DWORD>(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE));

    // The frame's OK reaches the page as a command, which ends nothing of the page's.
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(page_->m_label, "quiet");

    page_->refuse = true;
    EXPECT_EQ(ipage_->Apply(), E_FAIL);
    EXPECT_EQ(ipage_->IsPageDirty(), S_OK);
    page_->refuse = false;
    EXPECT_EQ(ipage_->Apply(), S_OK);
    EXPECT_EQ(page_->m_label, "shouting");
    EXPECT_EQ(page_->m_loud, 1);
    EXPECT_EQ(ipage_->IsPageDirty(), S_FALSE);

    ASSERT_EQ(ipage_->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(PageWindow(), nullptr);
    ASSERT_EQ(ipage_->SetPageSite(nullptr), S_OK);
    EXPECT_EQ(site.refs, 1u);
}

TEST_F(OlePropertyPage, KeepsTheFramesObjectsUntilOthersComeAndTellsItsTitle)
{
    CCounted first, second;
    IUnknown *objects[] = {&first, &second};
    EXPECT_EQ(ipage_->SetObjects(2, nullptr), E_POINTER);
    ASSERT_EQ(ipage_->SetObjects(2, objects), S_OK);
    EXPECT_EQ(page_->objectChanges, 1);
    ULONG count = 0;
    IUnknown **held = page_->GetObjectArray(&count);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(held[0], static_cast<IUnknown *>(&first));
    EXPECT_EQ(first.refs, 2u);
    ASSERT_EQ(ipage_->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(page_->objectChanges, 2);
    EXPECT_EQ(first.refs, 1u);
    EXPECT_EQ(second.refs, 1u);

    PROPPAGEINFO info{};
    ASSERT_EQ(ipage_->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::u16string(info.pszTitle), u"Tuning");
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(ipage_->Show(SW_SHOW), E_UNEXPECTED); // no window before Activate
    EXPECT_EQ(ipage_->Activate(nullptr, nullptr, FALSE), E_INVALIDARG);
}

} // namespace
