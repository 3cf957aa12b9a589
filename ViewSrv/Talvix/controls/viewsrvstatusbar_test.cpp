// The status panes as the host reads them with command 40, and the refresh request that
// reaches the host frame through the control's site.
#include "viewsrvstatusbar.h"

#include <atlbase.h>
#include <variantarray.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class CTwoPanes : public CQelViewSrvStatusBar {
public:
    CTwoPanes()
    {
        m_paneTexts.Add("first");
        m_paneTexts.Add("second");
        m_paneValues.Add(7);
        m_paneValues.Add(90);
    }
};

VARIANT I4(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// An output list of `count` VT_EMPTY values, as the host passes it.
VARIANT Output(int count)
{
    VARIANT v;
    VariantInit(&v);
    SAFEARRAYBOUND bound = {static_cast<ULONG>(count), 0};
    V_VT(&v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v) = SafeArrayCreate(VT_VARIANT, 1, &bound);
    return v;
}

TEST(StatusBarCommand, ReportsTheCountThenThePaneTextsAndValues)
{
    CTwoPanes panes;
    VARIANT zero = I4(0), count;
    VariantInit(&count);
    ASSERT_EQ(panes.Exec(nullptr, 40, 0, &zero, &count), S_OK);
    EXPECT_EQ(V_VT(&count), VT_I4);
    EXPECT_EQ(V_I4(&count), 2);

    VARIANT out = Output(4);
    ASSERT_EQ(panes.Exec(nullptr, 40, 0, nullptr, &out), S_OK);
    {
        CVariantArray values(&out, FALSE);
        ASSERT_EQ(values.GetSize(), 4);
        EXPECT_STREQ(values[0].GetString(), "first");
        EXPECT_STREQ(values[1].GetString(), "second");
        EXPECT_EQ(values.GetI4(2), 7);
        EXPECT_EQ(values.GetI4(3), 90);
    }
    VariantClear(&out);
}

TEST(StatusBarCommand, RefusesOtherCommandsGroupsAndSizes)
{
    CTwoPanes panes;
    static const GUID group = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    VARIANT out = Output(3);
    EXPECT_EQ(panes.Exec(nullptr, 40, 0, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(panes.Exec(nullptr, 41, 0, nullptr, &out), E_NOTIMPL);
    EXPECT_EQ(panes.Exec(&group, 40, 0, nullptr, &out), E_NOTIMPL);
    VARIANT five = I4(5);
    EXPECT_EQ(panes.Exec(nullptr, 40, 0, &five, &out), E_INVALIDARG);
    VariantClear(&out);

    OLECMD commands[] = {{40, 0}, {41, 0}};
    EXPECT_EQ(panes.QueryStatus(&group, 2, commands, nullptr), OLECMDERR_E_UNKNOWNGROUP);
    ASSERT_EQ(panes.QueryStatus(nullptr, 2, commands, nullptr), S_OK);
    EXPECT_EQ(commands[0].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(commands[1].cmdf, 0u);
    CQelViewSrvStatusBar none;
    ASSERT_EQ(none.QueryStatus(nullptr, 1, commands, nullptr), S_OK);
    EXPECT_EQ(commands[0].cmdf, static_cast<DWORD>(OLECMDF_SUPPORTED));
}

// A host frame that records the commands it is sent, and answers them with `answer`.
class CRecordingFrame : public CComObjectRootEx<CComSingleThreadModel>,
                        public IOleInPlaceFrame,
                        public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CRecordingFrame)
        COM_INTERFACE_ENTRY(IOleInPlaceFrame)
        COM_INTERFACE_ENTRY_FUNC(IID_IOleCommandTarget, Target)
    END_COM_MAP()

    static HRESULT Target(void *pv, REFIID, void **ppv)
    {
        auto *self = static_cast<CRecordingFrame *>(pv);
        *ppv = nullptr;
        if (!self->offersTarget)
            return E_NOINTERFACE;
        *ppv = static_cast<IOleCommandTarget *>(self);
        self->AddRef();
        return S_OK;
    }

    STDMETHODIMP GetWindow(HWND *) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject *, LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override
    {
        calls.push_back({group == nullptr, id, options, in == nullptr && out == nullptr});
        return answer;
    }

    struct Call {
        bool nullGroup;
        DWORD id;
        DWORD options;
        bool noArguments;
    };
    std::vector<Call> calls;
    bool offersTarget = true;
    HRESULT answer = S_FALSE;
};

// A control site that stands in place or not, with the frame it gives.
class CSite : public CComObjectRootEx<CComSingleThreadModel>, public IOleClientSite, public IOleInPlaceSite {
public:
    BEGIN_COM_MAP(CSite)
        COM_INTERFACE_ENTRY(IOleClientSite)
        COM_INTERFACE_ENTRY_FUNC(IID_IOleInPlaceSite, InPlace)
    END_COM_MAP()

    static HRESULT InPlace(void *pv, REFIID, void **ppv)
    {
        auto *self = static_cast<CSite *>(pv);
        *ppv = nullptr;
        if (!self->inPlace)
            return E_NOINTERFACE;
        *ppv = static_cast<IOleInPlaceSite *>(self);
        self->AddRef();
        return S_OK;
    }

    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **) override { return E_NOTIMPL; }
    STDMETHODIMP ShowObject() override { return E_NOTIMPL; }
    STDMETHODIMP OnShowWindow(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND *) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc, LPRECT, LPRECT,
                                  LPOLEINPLACEFRAMEINFO info) override
    {
        frameInfoSize = info->cb;
        *ppDoc = nullptr;
        *ppFrame = frame;
        if (frame != nullptr)
            frame->AddRef();
        return frame != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    bool inPlace = true;
    IOleInPlaceFrame *frame = nullptr;
    UINT frameInfoSize = 0;
};

TEST(StatusBarRefresh, ReachesTheFrameAsExecOfCommand40OrIsNotImplemented)
{
    EXPECT_EQ(RequestFrameStatusRefresh(nullptr), E_NOTIMPL);
    CComObject<CSite> *site = nullptr;
    ASSERT_EQ(CComObject<CSite>::CreateInstance(&site), S_OK);
    CComPtr<IOleClientSite> hold(site);
    EXPECT_EQ(RequestFrameStatusRefresh(site), E_NOTIMPL); // no frame

    CComObject<CRecordingFrame> *frame = nullptr;
    ASSERT_EQ(CComObject<CRecordingFrame>::CreateInstance(&frame), S_OK);
    CComPtr<IOleInPlaceFrame> holdFrame(frame);
    site->frame = frame;
    EXPECT_EQ(RequestFrameStatusRefresh(site), S_FALSE);
    ASSERT_EQ(frame->calls.size(), 1u);
    EXPECT_TRUE(frame->calls[0].nullGroup);
    EXPECT_EQ(frame->calls[0].id, 40u);
    EXPECT_EQ(frame->calls[0].options, 0u);
    EXPECT_TRUE(frame->calls[0].noArguments);
    EXPECT_EQ(site->frameInfoSize, sizeof(OLEINPLACEFRAMEINFO));

    frame->offersTarget = false;
    EXPECT_EQ(RequestFrameStatusRefresh(site), E_NOTIMPL);
    site->inPlace = false;
    frame->offersTarget = true;
    EXPECT_EQ(RequestFrameStatusRefresh(site), E_NOTIMPL);
    EXPECT_EQ(frame->calls.size(), 1u);
    site->frame = nullptr;
    // Every interface the request obtained was released again.
    EXPECT_EQ(holdFrame.p->AddRef(), 2u);
    holdFrame.p->Release();
}

} // namespace
