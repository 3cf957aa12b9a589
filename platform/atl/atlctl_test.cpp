// Windows of the template library and windowed controls: message maps with alternate
// maps and reflection, subclassing, and a control activated, moved, drawn and
// deactivated by its site.
#include "atlctl.h"
#include "testing/controlsite.h"

#include <drawingchecks.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kPing = WM_USER + 1;

// A window with an alternate map for a subclassed "Edit" child, and reflection.
class CPlainWindow : public CWindowImpl<CPlainWindow> {
public:
    CPlainWindow() : m_edit("Edit", this, 1) {}

    BEGIN_MSG_MAP(CPlainWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(kPing, OnPing)
        REFLECT_NOTIFICATIONS()
    ALT_MSG_MAP(1)
        MESSAGE_HANDLER(WM_SETTEXT, OnEditText)
        MESSAGE_HANDLER(OCM_COMMAND, OnReflected)
    END_MSG_MAP()

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &)
    {
        HWND edit = ::CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 50, 20, m_hWnd, nullptr, nullptr, nullptr);
        return m_edit.SubclassWindow(edit) ? 0 : -1;
    }
    LRESULT OnPing(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
    {
        bHandled = wParam != 0; // 0: left to the default procedure, which answers 0
        return 7;
    }
    LRESULT OnEditText(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
    {
        texts.push_back(reinterpret_cast<LPCSTR>(lParam));
        bHandled = FALSE; // the edit keeps the text as ever
        return 0;
    }
    LRESULT OnReflected(UINT, WPARAM wParam, LPARAM, BOOL &)
    {
        reflected.push_back(HIWORD(wParam));
        return 0;
    }
    void OnFinalMessage(HWND) override { finalMessages++; }

    CContainedWindow m_edit;
    std::vector<std::string> texts;
    std::vector<WORD> reflected;
    int finalMessages = 0;
};

TEST(AtlWindow, MapsAlternateMapsReflectionAndTheLastMessage)
{
    CPlainWindow window;
    RECT rect{0, 0, 200, 100};
    ASSERT_NE(window.Create(nullptr, rect, "plain", WS_POPUP), nullptr);
    EXPECT_EQ(window.SendMessage(kPing, 1), 7);
    EXPECT_EQ(window.SendMessage(kPing, 0), 0);

    ASSERT_NE(window.m_edit.m_hWnd, nullptr);
    ASSERT_TRUE(::SetWindowTextA(window.m_edit, "typed"));
    char text[16] = "";
    ::GetWindowTextA(window.m_edit, text, sizeof text);
    EXPECT_STREQ(text, "typed");
    EXPECT_EQ(window.texts, std::vector<std::string>{"typed"});

    // The edit's change went to its parent, and back to the edit as OCM_COMMAND.
    EXPECT_EQ(window.reflected, std::vector<WORD>{EN_CHANGE});
    // A command from no window is not reflected.
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(5, 0), 0);
    EXPECT_EQ(window.reflected.size(), 1u);

    // The edit given back keeps its text procedure and tells the map no more.
    HWND edit = window.m_edit.UnsubclassWindow();
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextA(edit, "again");
    EXPECT_EQ(window.texts.size(), 1u);
    EXPECT_EQ(window.reflected.size(), 1u);
    EXPECT_TRUE(window.m_edit.SubclassWindow(edit));
    EXPECT_FALSE(window.m_edit.SubclassWindow(edit)) << "one window per contained object";

    HWND hWnd = window.m_hWnd;
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(window.finalMessages, 1);
    EXPECT_EQ(window.m_edit.m_hWnd, nullptr) << "the child's last message let it go";
}

TEST(AtlWindow, ARefusedCreationLeavesNoWindowAndNoBinding)
{
    class CRefusing : public CWindowImpl<CRefusing> {
    public:
        BEGIN_MSG_MAP(CRefusing)
            MESSAGE_HANDLER(WM_CREATE, OnCreate)
        END_MSG_MAP()
        LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &) { return -1; }
    };
    CRefusing window;
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(window.Create(nullptr, rect), nullptr);
    EXPECT_EQ(window.m_hWnd, nullptr);
    // Not parented to a window that does not exist: no first message, nothing bound.
    EXPECT_EQ(window.Create(reinterpret_cast<HWND>(0x7777), rect, nullptr, WS_CHILD), nullptr);
    CPlainWindow other;
    EXPECT_NE(other.Create(nullptr, rect, nullptr, WS_POPUP), nullptr) << "the next creation binds its own";
    other.DestroyWindow();
}

TEST(AtlWindow, AWindowOutlivingItsObjectGetsDefaultAnswers)
{
    auto *window = new CPlainWindow();
    RECT rect{0, 0, 10, 10};
    HWND hWnd = window->Create(nullptr, rect, nullptr, WS_POPUP);
    ASSERT_NE(hWnd, nullptr);
    HWND edit = window->m_edit.m_hWnd;
    delete window;
    EXPECT_EQ(::SendMessageA(hWnd, kPing, 1, 0), 0);
    EXPECT_TRUE(::SetWindowTextA(edit, "kept")) << "the edit has its own procedure back";
    EXPECT_TRUE(::DestroyWindow(hWnd));
}

const CLSID CLSID_TestControl = {0x1234, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 8}};
const COLORREF kFace = RGB(30, 160, 90);

class CTestControl : public CComObjectRootEx<CComSingleThreadModel>,
                                   public CComCoClass<CTestControl, &CLSID_TestControl>,
                                   public CComControl<CTestControl>,
                                   public IOleObjectImpl<CTestControl>,
                                   public IOleInPlaceObjectWindowlessImpl<CTestControl>,
                                   public IOleInPlaceActiveObjectImpl<CTestControl> {
public:
    BEGIN_COM_MAP(CTestControl)
        COM_INTERFACE_ENTRY(IOleObject)
        COM_INTERFACE_ENTRY(IOleInPlaceObject)
        COM_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObject)
        COM_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    END_COM_MAP()

    BEGIN_MSG_MAP(CTestControl)
        CHAIN_MSG_MAP(CComControl<CTestControl>)
    END_MSG_MAP()

    HRESULT OnDraw(ATL_DRAWINFO &di) override
    {
        const RECT &rc = *reinterpret_cast<const RECT *>(di.prcBounds);
        HBRUSH brush = ::CreateSolidBrush(kFace);
        RECT face{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
        ::FillRect(di.hdcDraw, &face, brush);
        ::DeleteObject(brush);
        return S_OK;
    }
    // The control keeps the arrow keys.
    BOOL PreTranslateAccelerator(LPMSG pMsg, HRESULT &hRet)
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_LEFT) {
            hRet = S_FALSE;
            return TRUE;
        }
        return FALSE;
    }
};

struct ControlFixture : ::testing::Test {
    void SetUp() override
    {
        site = QelMakeTestSite(holdSite);
        ASSERT_NE(site, nullptr);
        RECT rect{0, 0, 300, 200};
        ASSERT_NE(container.Create(nullptr, rect, "container", WS_POPUP | WS_VISIBLE), nullptr);
        site->window = container;
        CComObject<CTestControl> *made = nullptr;
        ASSERT_EQ(CComObject<CTestControl>::CreateInstance(&made), S_OK);
        control = made;
        holdControl = static_cast<IOleObject *>(made);
        ASSERT_EQ(holdControl->SetClientSite(site), S_OK);
    }
    void TearDown() override
    {
        holdControl->Close(OLECLOSE_NOSAVE);
        holdControl->SetClientSite(nullptr);
        holdControl.Release();
        container.DestroyWindow();
        EXPECT_EQ(holdSite.p->AddRef(), 2u) << "the control let its site go";
        holdSite.p->Release();
    }

    CPlainWindow container;
    CComPtr<IOleClientSite> holdSite;
    CQelTestSite *site = nullptr;
    CComPtr<IOleObject> holdControl;
    CTestControl *control = nullptr;
};

TEST_F(ControlFixture, TheSiteActivatesMovesAndDeactivatesTheControlWindow)
{
    site->position = RECT{10, 20, 110, 80};
    ASSERT_EQ(holdControl->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, nullptr), S_OK);
    HWND hWnd = control->m_hWnd;
    ASSERT_TRUE(::IsWindow(hWnd));
    EXPECT_EQ(::GetParent(hWnd), container.m_hWnd);
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE)), 0x56000000u);
    EXPECT_EQ(::GetDlgCtrlID(hWnd), 0);
    RECT placed{};
    ::GetWindowRect(hWnd, &placed);
    ::ScreenToClient(container, reinterpret_cast<LPPOINT>(&placed));
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_TRUE(site->inPlaceActive);
    EXPECT_FALSE(site->uiActive);
    EXPECT_EQ(site->frame->activeObject, nullptr);

    CComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(holdControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&inPlace)), S_OK);
    RECT moved{5, 6, 65, 46};
    ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    RECT client{};
    ::GetClientRect(hWnd, &client);
    EXPECT_EQ(client.right, 60);
    EXPECT_EQ(client.bottom, 40);
    HWND got = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&got), S_OK);
    EXPECT_EQ(got, hWnd);

    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(control->m_hWnd, nullptr);
    EXPECT_FALSE(site->inPlaceActive);
}

TEST_F(ControlFixture, AClickUIActivatesInUserModeOnly)
{
    ASSERT_EQ(holdControl->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, nullptr), S_OK);
    site->userMode = false;
    EXPECT_EQ(::SendMessageA(control->m_hWnd, WM_MOUSEACTIVATE, 0, 0), 0) << "left to the default procedure";
    EXPECT_FALSE(site->uiActive);

    site->userMode = true;
    ::SendMessageA(control->m_hWnd, WM_MOUSEACTIVATE, 0, 0);
    EXPECT_TRUE(site->uiActive);
    EXPECT_EQ(::GetFocus(), control->m_hWnd);
    EXPECT_EQ(site->focusCalls, std::vector<bool>{true});
    CComPtr<IOleInPlaceActiveObject> active;
    holdControl->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void **>(&active));
    EXPECT_EQ(site->frame->activeObject, active);

    // The control's own keys stay its; others go to the control site.
    MSG key{control->m_hWnd, WM_KEYDOWN, VK_LEFT, 0, 0, {0, 0}};
    site->acceleratorAnswer = S_OK;
    EXPECT_EQ(active->TranslateAccelerator(&key), S_FALSE);
    key.wParam = VK_RETURN;
    EXPECT_EQ(active->TranslateAccelerator(&key), S_OK);
    site->acceleratorAnswer = E_FAIL;
    EXPECT_EQ(active->TranslateAccelerator(&key), S_FALSE);

    CComPtr<IOleInPlaceObject> inPlace;
    holdControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&inPlace));
    ASSERT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_FALSE(site->uiActive);
    EXPECT_EQ(site->frame->activeObject, nullptr);
}

TEST_F(ControlFixture, PaintsWhatOnDrawDraws)
{
    site->position = RECT{0, 0, 40, 30};
    ASSERT_EQ(holdControl->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site, 0, container, nullptr), S_OK);
    QelPaintPending();
    HBITMAP shot = QelCaptureWindow(control->m_hWnd, FALSE);
    ASSERT_NE(shot, nullptr);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ before = ::SelectObject(dc, shot);
    int face = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            face += ::GetPixel(dc, x, y) == kFace ? 1 : 0;
    EXPECT_EQ(face, 36 * 26);
    EXPECT_NE(::GetPixel(dc, 0, 0), kFace);
    ::SelectObject(dc, before);
    ::DeleteDC(dc);
    ::DeleteObject(shot);
}

TEST_F(ControlFixture, VerbsAndExtentAsTheSiteAsks)
{
    EXPECT_EQ(holdControl->DoVerb(42, nullptr, site, 0, container, nullptr), OLEOBJ_E_INVALIDVERB);
    SIZEL extent{1000, 500};
    EXPECT_EQ(holdControl->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SIZEL read{};
    EXPECT_EQ(holdControl->GetExtent(DVASPECT_CONTENT, &read), S_OK);
    EXPECT_EQ(read.cx, 1000);
    CLSID clsid{};
    EXPECT_EQ(holdControl->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_TestControl));
}

} // namespace

// A dual interface with the stock font property, as a control's wizard declares it.
interface IFontedControl : public IDispatch {
    STDMETHOD(putref_Font)(IFontDisp *pFont) PURE;
    STDMETHOD(put_Font)(IFontDisp *pFont) PURE;
    STDMETHOD(get_Font)(IFontDisp **ppFont) PURE;
};
QEL_DEFINE_IID(IFontedControl, 0x1234, 0x5678, 0x9ABC, 9, 9, 9, 9, 9, 9, 9, 9);

BEGIN_DISPATCH_TABLE(IFontedControl)
END_DISPATCH_TABLE()

namespace {

const CLSID CLSID_FontedControl = {0x1235, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 8}};

class CFontedControl : public CComObjectRootEx<CComSingleThreadModel>,
                       public CComCoClass<CFontedControl, &CLSID_FontedControl>,
                       public CComControl<CFontedControl>,
                       public CStockPropImpl<CFontedControl, IFontedControl, &IID_IFontedControl>,
                       public IConnectionPointContainerImpl<CFontedControl>,
                       public IConnectionPointImpl<CFontedControl, &IID_IPropertyNotifySink> {
public:
    BEGIN_COM_MAP(CFontedControl)
        COM_INTERFACE_ENTRY(IFontedControl)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CFontedControl)
        CONNECTION_POINT_ENTRY(IID_IPropertyNotifySink)
    END_CONNECTION_POINT_MAP()
    BEGIN_MSG_MAP(CFontedControl)
        CHAIN_MSG_MAP(CComControl<CFontedControl>)
    END_MSG_MAP()

    void OnFontChanged() { ++fontChanges; }
    int fontChanges = 0;
};

// The container's side: it may forbid changes, and hears of the ones made.
class CPropertySink : public CComObjectRootEx<CComSingleThreadModel>, public IPropertyNotifySink {
public:
    BEGIN_COM_MAP(CPropertySink)
        COM_INTERFACE_ENTRY(IPropertyNotifySink)
    END_COM_MAP()
    STDMETHODIMP OnChanged(DISPID dispID) override
    {
        changed.push_back(dispID);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return allow ? S_OK : S_FALSE; }
    std::vector<DISPID> changed;
    bool allow = true;
};

CComPtr<IFontDisp> Font(const char16_t *name, LONGLONG points)
{
    std::u16string face(name);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = face.data();
    desc.cySize.int64 = points * 10000;
    desc.sWeight = FW_BOLD;
    CComPtr<IFontDisp> font;
    EXPECT_EQ(OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void **>(&font)), S_OK);
    return font;
}

} // namespace

TEST(OleFont, IsAFontOfTheDrawingLayerAsDescribedAndMadeAnewAfterAChange)
{
    CComQIPtr<IFont> font(Font(u"arial", 8));
    ASSERT_NE(font, nullptr);
    HFONT first = nullptr, again = nullptr, changed = nullptr;
    ASSERT_EQ(font->get_hFont(&first), S_OK);
    ASSERT_EQ(font->get_hFont(&again), S_OK);
    EXPECT_EQ(first, again) << "the font's own, kept";
    LOGFONTA logical{};
    ASSERT_EQ(GetObjectA(first, sizeof logical, &logical), static_cast<int>(sizeof logical));
    EXPECT_EQ(logical.lfHeight, -11) << "8 points at 96 dots per inch";
    EXPECT_EQ(logical.lfWeight, FW_BOLD);
    EXPECT_STREQ(logical.lfFaceName, "arial");
    BOOL bold = FALSE;
    font->get_Bold(&bold);
    EXPECT_TRUE(bold);
    CY size{};
    size.int64 = 12 * 10000;
    font->put_Size(size);
    ASSERT_EQ(font->get_hFont(&changed), S_OK);
    EXPECT_NE(changed, first);
    GetObjectA(changed, sizeof logical, &logical);
    EXPECT_EQ(logical.lfHeight, -16);
    CComPtr<IFont> copy;
    ASSERT_EQ(font->Clone(&copy), S_OK);
    CComBSTR name;
    copy->get_Name(&name);
    EXPECT_EQ(std::u16string(name.m_str), u"arial");

    FONTDESC wrong{};
    void *none = reinterpret_cast<void *>(1);
    EXPECT_EQ(OleCreateFontIndirect(&wrong, IID_IFont, &none), E_INVALIDARG);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(OleCreateFontIndirect(nullptr, IID_IFont, &none), E_POINTER);

    const SIZEL pixels{150, 20};
    SIZEL himetric{};
    AtlPixelToHiMetric(&pixels, &himetric);
    EXPECT_EQ(himetric.cx, 3969);
    EXPECT_EQ(himetric.cy, 529);
}

TEST(StockFont, AsksTheContainerKeepsACopyAndTellsOfTheChange)
{
    CComObject<CFontedControl> *control = nullptr;
    ASSERT_EQ(CComObject<CFontedControl>::CreateInstance(&control), S_OK);
    CComPtr<IFontedControl> hold(control);
    CComObject<CPropertySink> *sink = nullptr;
    ASSERT_EQ(CComObject<CPropertySink>::CreateInstance(&sink), S_OK);
    CComPtr<IPropertyNotifySink> holdSink(sink);
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(hold, holdSink, IID_IPropertyNotifySink, &cookie), S_OK);

    CComPtr<IFontDisp> arial = Font(u"arial", 8), shown;
    sink->allow = false;
    EXPECT_EQ(hold->put_Font(arial), S_FALSE);
    hold->get_Font(&shown);
    EXPECT_EQ(shown, nullptr) << "the container forbade it";
    EXPECT_TRUE(sink->changed.empty());
    sink->allow = true;
    EXPECT_EQ(hold->put_Font(arial), S_OK);
    hold->get_Font(&shown);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(CComPtr<IUnknown>(shown).IsEqualObject(arial)) << "a copy";
    shown.Release();
    EXPECT_EQ(hold->putref_Font(arial), S_OK);
    hold->get_Font(&shown);
    EXPECT_TRUE(CComPtr<IUnknown>(shown).IsEqualObject(arial)) << "the font itself";
    EXPECT_EQ(sink->changed, (std::vector<DISPID>{DISPID_FONT, DISPID_FONT}));
    EXPECT_EQ(control->fontChanges, 2);
    EXPECT_EQ(AtlUnadvise(hold, IID_IPropertyNotifySink, cookie), S_OK);
}
