// The select list as the user sees it in its site: the entries of the combo box, the
// choices that reach the view servers, the tool tip's text, what it paints, and the
// references it holds of the view servers that added entries.
#include "symbolselectlist.h"

#include <debugserver.h>
#include <hostcmdgroups.h>
#include <hostframe.h>
#include <qelsymbol.h>
#include <testing/controlcapture.h>
#include <testing/controlsite.h>
#include <variantarray.h>

#include <userinput.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// A view server that records the choices it is sent, and says when it goes.
class CChoiceView : public CComObjectRootEx<CComSingleThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CChoiceView)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    void FinalRelease()
    {
        if (gone != nullptr)
            *gone = true;
    }
    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *) override
    {
        CVariantArray args(in, FALSE);
        if (group != nullptr && *group == CGID_QelProgWinView && id == 22 && args.GetSize() == 2 &&
            V_VT(&args[0].GetValue()) == VT_UI4 && V_VT(&args[1].GetValue()) == VT_BOOL)
            choices.emplace_back(V_UI4(&args[0].GetValue()), V_BOOL(&args[1].GetValue()) != VARIANT_FALSE);
        else
            choices.emplace_back(~0u, false);
        return S_OK;
    }

    std::vector<std::pair<UINT, bool>> choices;
    bool *gone = nullptr;
};

// A view server that has no command target any more.
class CMuteView : public CComObjectRootEx<CComSingleThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CMuteView)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()
};

// A debug-server object whose every query but IUnknown's fails, as a broken host's would;
// it lives on the test's stack.
class CFailingHost final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void **ppv) override
    {
        *ppv = iid == IID_IUnknown ? this : nullptr;
        return iid == IID_IUnknown ? S_OK : E_FAIL;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

ULONG References(IUnknown *object)
{
    object->AddRef();
    return object->Release();
}

class CContainer : public CWindowImpl<CContainer> {
public:
    BEGIN_MSG_MAP(CContainer)
    END_MSG_MAP()
};

class SymbolSelectListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = QelMakeTestSite(holdSite);
        ASSERT_NE(site, nullptr);
        RECT rect{0, 0, CQelSymbolSelectList::kWidth, CQelSymbolSelectList::kHeight};
        ASSERT_NE(container.Create(nullptr, rect, "tool bar", WS_POPUP | WS_VISIBLE), nullptr);
        site->window = container;
        site->position = rect;
        ASSERT_EQ(CComObject<CQelSymbolSelectList>::CreateInstance(&list), S_OK);
        control = static_cast<IOleObject *>(list);
        ASSERT_EQ(control->SetClientSite(site), S_OK);
        ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, nullptr), S_OK);
        combo = list->GetComboWindow();
        ASSERT_TRUE(::IsWindow(combo));
        for (auto &view : views) {
            ASSERT_EQ(CComObject<CChoiceView>::CreateInstance(&view), S_OK);
            view->AddRef();
        }
    }
    void TearDown() override
    {
        if (control != nullptr) {
            control->Close(OLECLOSE_NOSAVE);
            control->SetClientSite(nullptr);
            control.Release();
        }
        for (auto &view : views)
            view->Release();
        container.DestroyWindow();
    }

    IQelSymbolSelectList *List() { return list; }
    HRESULT Add(const char *name, UINT address, IUnknown *view)
    {
        return List()->AddSymbolListEntry(CComBSTR(name), address, view);
    }
    // "TEXT=0xADDRESS" per entry, and "*" before the selected one.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> entries;
        const int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); ++i) {
            char text[64] = "", address[16] = "";
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            snprintf(address, sizeof address, "0x%X",
                     static_cast<unsigned>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
            entries.push_back((i == selected ? "*" : "") + std::string(text) + "=" + address);
        }
        return entries;
    }
    std::string Tip() const
    {
        char text[128] = "";
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = combo;
        tool.uId = CQelSymbolSelectList::kToolId;
        tool.lpszText = text;
        SendMessageA(list->GetToolTipWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    IUnknown *View(int i) { return views[i]->GetUnknown(); }

    CComPtr<IOleClientSite> holdSite;
    CQelTestSite *site = nullptr;
    CContainer container;
    CComObject<CQelSymbolSelectList> *list = nullptr;
    CComPtr<IOleObject> control;
    HWND combo = nullptr;
    CComObject<CChoiceView> *views[2] = {};
};

using Choices = std::vector<std::pair<UINT, bool>>;

TEST_F(SymbolSelectListTest, ListsEachTextOnceInThePlatformsOrderAndSelectsTheFirstAdded)
{
    EXPECT_EQ(Add("thumb_scale", 0x13C, View(0)), S_OK);
    EXPECT_EQ(Add("Main", 0x68, View(0)), S_OK);
    EXPECT_EQ(Add("main", 0x70, View(0)), S_OK) << "the exact text is looked up with its case";
    EXPECT_EQ(Add("alpha", 0x10, View(1)), S_OK);
    EXPECT_EQ(Add("thumb_scale", 0x200, View(1)), S_OK);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"alpha=0x10", "Main=0x68", "main=0x70", "*thumb_scale=0x200"}));
    // The second address took the text over, but the first stays in the map, holding its
    // view server until that server's entries go.
    EXPECT_EQ(List()->RemoveAllViewServerEntries(View(0)), S_OK);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"alpha=0x10", "*thumb_scale=0x200"}))
        << "no entry had 0x13C any more, and the selected one stays";
    EXPECT_EQ(References(View(0)), 1u) << "the test's reference alone";

    CComObject<CQelSymbolSelectList> *bare = nullptr;
    ASSERT_EQ(CComObject<CQelSymbolSelectList>::CreateInstance(&bare), S_OK);
    CComPtr<IQelSymbolSelectList> holdBare(bare);
    EXPECT_EQ(holdBare->AddSymbolListEntry(CComBSTR("main"), 0x68, View(0)), E_FAIL) << "no combo box yet";
}

TEST_F(SymbolSelectListTest, RemovingTheSelectedServersEntriesSelectsTheFirstLeft)
{
    Add("main", 0x68, View(0));
    Add("beta", 0x20, View(1));
    Add("zeta", 0x30, View(1));
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    List()->RemoveAllViewServerEntries(View(0));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"beta=0x20", "*zeta=0x30"})) << "the selection stays where it was";
    Add("main", 0x68, View(0));
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    List()->RemoveAllViewServerEntries(View(0));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"*beta=0x20", "zeta=0x30"}));
    List()->RemoveAllViewServerEntries(View(1));
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(SymbolSelectListTest, MovingThroughTheOpenListSendsFinalZeroPerChangeAndOneOnClosing)
{
    Add("alpha", 0x10, View(0));
    Add("beta", 0x20, View(1));
    Add("gamma", 0x30, View(0));
    ASSERT_TRUE(QelComboPick(combo, 1, FALSE));
    ASSERT_TRUE(QelComboPick(combo, 2, FALSE));
    ASSERT_TRUE(QelComboPick(combo, 2, TRUE));
    EXPECT_EQ(views[0]->choices, (Choices{{0x30, false}, {0x30, true}}));
    EXPECT_EQ(views[1]->choices, (Choices{{0x20, false}}));
    EXPECT_FALSE(QelComboPick(combo, 3, TRUE)) << "no entry 3";
}

TEST_F(SymbolSelectListTest, TheTipNamesTheDebuggerThatTheHostGives)
{
    EXPECT_EQ(Tip(), "Select program function") << "before Init";
    CComPtr<IUnknown> host;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig{}, &host), S_OK);
    auto *debugServer = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p));
    EXPECT_EQ(List()->Init(host), S_OK);
    EXPECT_EQ(Tip(), "Select program function") << "the host gives no GUI server";
    std::vector<QelHost::HostCommand> commands = debugServer->Commands()->Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().group, CLSID_QelSymbol);
    EXPECT_EQ(commands.back().id, 22u);
    ASSERT_EQ(commands.back().input.vt, VT_UNKNOWN) << "the list itself, its one input";
    EXPECT_TRUE(CComPtr<IUnknown>(commands.back().input.punkVal).IsEqualObject(List()));

    CComObject<QelHost::CHostFrame> *frame = nullptr;
    ASSERT_EQ(CComObject<QelHost::CHostFrame>::CreateInstance(&frame), S_OK);
    CComPtr<IQelHostFrame> holdFrame(frame);
    debugServer->SetGuiServer(holdFrame);
    EXPECT_EQ(List()->Init(host), S_OK);
    EXPECT_EQ(Tip(), "Select ARM7 program function");
    frame->SetDebuggerName("TriCore Debugger");
    EXPECT_EQ(List()->Init(host), S_OK);
    EXPECT_EQ(Tip(), "Select TriCore program function");
    debugServer->SetGuiServer(nullptr);
    frame->SetDebuggerName("");

    CFailingHost failing;
    EXPECT_EQ(List()->Init(&failing), E_FAIL) << "a failed query ends Init with its code";
    EXPECT_EQ(List()->Init(nullptr), S_OK) << "and the list lets the host go again";

    QELTOOLTIPSTATE tip{};
    QelSendMouse(combo, WM_MOUSEMOVE, 40, 7, 0);
    ASSERT_TRUE(QelGetToolTipState(list->GetToolTipWindow(), &tip));
    EXPECT_TRUE(tip.active);
    EXPECT_EQ(tip.maxTipWidth, 300);
    ASSERT_TRUE(tip.relayed);
    EXPECT_EQ(tip.lastRelayed.hwnd, combo);
    EXPECT_EQ(tip.lastRelayed.message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(tip.lastRelayed.pt.x, 40);
    EXPECT_EQ(tip.lastRelayed.pt.y, 7);
}

TEST_F(SymbolSelectListTest, HoldsEachViewServerItListsUntilItsEntriesOrTheListGo)
{
    const ULONG before = References(View(0));
    Add("main", 0x68, View(0));
    Add("util", 0x80, View(0));
    Add("main", 0x90, View(0));
    EXPECT_EQ(References(View(0)), before + 3);
    List()->RemoveAllViewServerEntries(View(0));
    EXPECT_EQ(References(View(0)), before) << "back to its count before its first entry";

    // A view server that its owner lets go without taking its entries out is still
    // there when the user chooses its entry, and goes with the list.
    bool gone = false;
    CComObject<CChoiceView> *released = nullptr;
    ASSERT_EQ(CComObject<CChoiceView>::CreateInstance(&released), S_OK);
    released->gone = &gone;
    released->AddRef();
    Add("late", 0x100, released->GetUnknown());
    released->Release();
    ASSERT_FALSE(gone);
    ASSERT_TRUE(QelComboPick(combo, 0, TRUE));
    EXPECT_EQ(released->choices, (Choices{{0x100, true}}));

    // A view server without a command target hears nothing, and nothing breaks.
    CComObject<CMuteView> *mute = nullptr;
    ASSERT_EQ(CComObject<CMuteView>::CreateInstance(&mute), S_OK);
    CComPtr<IUnknown> holdMute(mute->GetUnknown());
    Add("aaa", 0x200, holdMute);
    EXPECT_TRUE(QelComboPick(combo, 0, TRUE));
    EXPECT_EQ(released->choices.size(), 1u);

    Add("main", 0x68, View(1));
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    control.Release();
    EXPECT_TRUE(gone);
    EXPECT_EQ(References(View(1)), 1u) << "the list released everything as it went";
}

TEST_F(SymbolSelectListTest, ShowsTheChosenFunctionInItsFontAtItsSize)
{
    SIZEL extent{};
    ASSERT_EQ(control->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 3969);
    EXPECT_EQ(extent.cy, 529);
    CComPtr<IFontDisp> fontDisp;
    ASSERT_EQ(List()->get_Font(&fontDisp), S_OK);
    CComQIPtr<IFont> font(fontDisp);
    ASSERT_NE(font, nullptr);
    CComBSTR name;
    CY size{};
    HFONT handle = nullptr;
    font->get_Name(&name);
    font->get_Size(&size);
    font->get_hFont(&handle);
    EXPECT_EQ(std::string(CString(name.m_str)), "arial");
    EXPECT_EQ(size.int64, 80000);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0)), handle) << "the combo box shows it";

    Add("thumb_scale", 0x13C, View(0));
    Add("main", 0x68, View(0));
    QelPaintPending();
    QelShot(container, "symbolselectlist");
    QelCapturedWindow shown(combo);
    EXPECT_EQ(shown.Read(RECT{0, 0, 120, 20}, GetSysColor(COLOR_WINDOWTEXT)), "thumb_scale")
        << "the first entry added is the one selected";
    EXPECT_EQ(shown.At(2, 10), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(shown.At(CQelSymbolSelectList::kWidth - 4, 3), GetSysColor(COLOR_BTNFACE)) << "the button of the list";
    EXPECT_EQ(shown.At(CQelSymbolSelectList::kWidth - 10, 9), GetSysColor(COLOR_BTNTEXT)) << "its arrow";
}

} // namespace
