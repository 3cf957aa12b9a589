// The symbol explorer as the user sees it in its site: the tree's texts and images after
// the symbol server's replies, and the host commands that its clicks and menus send.
#include "symbolexplorer.h"

#include <atlbase.h>
#include <debugserver.h>
#include <hostcmdgroups.h>
#include <symbolservertesting.h>
#include <testing/controlsite.h>
#include <variantarray.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <string>
#include <thread>
#include <vector>

namespace {

// The host's debug-server object as the explorer sees it: the symbol server double behind
// it, and a command target that records what it is sent as "GROUP ID ARG...", where GROUP
// is "sym" or "bp" and each argument is a text, "uN", "iN" or "bN".
class CRecordingDebugServer : public CComObjectRootEx<CComSingleThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CRecordingDebugServer)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY_AGGREGATE_BLIND(symbols)
    END_COM_MAP()

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *out) override
    {
        std::string text = group != nullptr && *group == CGID_QelHostBreakpoints ? "bp " : "sym ";
        text += std::to_string(id);
        CVariantArray args(in, FALSE);
        for (int i = 0; i < args.GetSize(); ++i) {
            const VARIANT &v = args[i].GetValue();
            switch (V_VT(&v)) {
            case VT_BSTR: text += " '" + std::string(CString(V_BSTR(&v))) + "'"; break;
            case VT_UI4: text += " u" + std::to_string(V_UI4(&v)); break;
            case VT_I4: text += " i" + std::to_string(V_I4(&v)); break;
            case VT_BOOL: text += " b" + std::to_string(V_BOOL(&v)); break;
            default: text += " ?"; break;
            }
        }
        commands.push_back(text);
        if (id == 20 && out != nullptr) {
            CVariantArray answer(out, TRUE);
            answer.SetSize(1);
            answer[0].SetValue(modeAnswer);
        }
        return S_OK;
    }

    CComPtr<IUnknown> symbols;
    std::vector<std::string> commands;
    CComVariant modeAnswer = CComVariant(0u);
};

// What the menu handler was shown, and its answer.
struct MenuSeen {
    std::vector<std::string> items;
    UINT_PTR answer = 0;
};

UINT_PTR CALLBACK AnswerMenu(const QELMENUITEM *items, int count, int, int, LPVOID context)
{
    auto *seen = static_cast<MenuSeen *>(context);
    for (int i = 0; i < count; ++i)
        seen->items.push_back((items[i].flags & MF_SEPARATOR) != 0 ? "-" : items[i].text);
    return seen->answer;
}

// The label of a visible item, in the tree's client coordinates.
RECT LabelRect(HWND tree, HTREEITEM item)
{
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item); // the item goes in where the rectangle comes out
    EXPECT_TRUE(::SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    return rect;
}

class CContainer : public CWindowImpl<CContainer> {
public:
    BEGIN_MSG_MAP(CContainer)
    END_MSG_MAP()
};

// The breakpoint list as Korvex sends it: the names, and the numbers as a 2-by-N array.
struct BreakpointList {
    BreakpointList(std::vector<std::pair<std::string, std::pair<DWORD, DWORD>>> entries, ULONG numbers = ~0u)
    {
        ULONG count = static_cast<ULONG>(entries.size());
        SAFEARRAYBOUND nameBound = {count, 0};
        V_VT(&names) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&names) = SafeArrayCreate(VT_BSTR, 1, &nameBound);
        SAFEARRAYBOUND numberBounds[2] = {{2, 0}, {numbers == ~0u ? count : numbers, 0}};
        V_VT(&values) = VT_ARRAY | VT_I4;
        V_ARRAY(&values) = SafeArrayCreate(VT_I4, 2, numberBounds);
        BSTR *text = nullptr;
        LONG *number = nullptr;
        SafeArrayAccessData(V_ARRAY(&names), reinterpret_cast<void **>(&text));
        SafeArrayAccessData(V_ARRAY(&values), reinterpret_cast<void **>(&number));
        for (ULONG i = 0; i < count; ++i) {
            text[i] = CString(entries[i].first.c_str()).AllocSysString();
            if (2 * i + 1 < 2 * numberBounds[1].cElements) {
                number[2 * i] = static_cast<LONG>(entries[i].second.first);
                number[2 * i + 1] = static_cast<LONG>(entries[i].second.second);
            }
        }
        SafeArrayUnaccessData(V_ARRAY(&values));
        SafeArrayUnaccessData(V_ARRAY(&names));
    }
    CComVariant names, values;
};

class SymbolExplorerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline = QelGetComAllocCounts();
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host), S_OK);
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols), S_OK);
        symbols->AddRef();
        symbols->SetHost(host);
        ASSERT_EQ(CComObject<CRecordingDebugServer>::CreateInstance(&debugServer), S_OK);
        debugServer->AddRef();
        debugServer->symbols = static_cast<IQelSymbol *>(symbols);
        FillAnswers();

        site = QelMakeTestSite(holdSite);
        ASSERT_NE(site, nullptr);
        RECT rect{0, 0, 300, 400};
        ASSERT_NE(container.Create(nullptr, rect, "container", WS_POPUP | WS_VISIBLE), nullptr);
        site->window = container;
        site->position = rect;
        ASSERT_EQ(CComObject<CQelSymbolExplorer>::CreateInstance(&explorer), S_OK);
        control = static_cast<IOleObject *>(explorer);
        ASSERT_EQ(control->SetClientSite(site), S_OK);
        ASSERT_EQ(explorer->Init(DebugServer(), nullptr), S_OK);
        ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, nullptr), S_OK);
        tree = explorer->GetTreeWindow();
        ASSERT_TRUE(::IsWindow(tree));
    }
    void TearDown() override
    {
        QelSetMenuHandler(nullptr, nullptr);
        explorer->Cleanup();
        control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
        control.Release();
        EXPECT_FALSE(::IsWindow(tree)) << "the tree went with the control window";
        container.DestroyWindow();
        debugServer->Release();
        symbols->Release();
        host.Release();
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline.bstrs);
        EXPECT_EQ(now.safeArrays, baseline.safeArrays);
        EXPECT_EQ(now.invalidFrees, baseline.invalidFrees);
    }

    void FillAnswers()
    {
        TestSymbolAnswers &answers = symbols->Answers();
        SourceFileTag file;
        file.Name = "main.c";
        file.EntryInFile = "src/app\\main.c";
        answers.sourceFiles.Add(file);
        file.EntryInFile = "util.c";
        answers.sourceFiles.Add(file);
        FunctionTag function;
        function.Name = "main";
        function.AddressValue = 0x8000;
        function.CallType = 2;
        function.Scope = 5; // the owning module: no reason to hide it
        answers.functions.Add(function);
        function.Name = "helper";
        function.AddressValue = 0x8100;
        answers.functions.Add(function);
        function.Name = "inlined";
        function.AddressValue = 0x8200;
        function.CallType = 5;
        answers.functions.Add(function);
        SectionTag section;
        section.Name = ".text";
        section.Type = 1;
        section.AddressValue = 0x8000;
        section.Length = 0x400;
        answers.sections.Add(section);
        section.Name = ".data";
        section.Type = 3;
        answers.sections.Add(section);
        section.Name = ".empty";
        section.Type = 1;
        section.Length = 0;
        answers.sections.Add(section);
        section.Name = ".pcp";
        section.Type = 5;
        section.Length = 0x10;
        answers.sections.Add(section);
        answers.location.EntryInFile = "src/app\\main.c";
        answers.location.SourceLine = 12;
        answers.location.AddressValue = 0x8000;
        LabelTag label;
        label.Name = "main";
        label.AddressValue = 0x8000;
        answers.labels.Add(label);
    }

    IUnknown *DebugServer() { return static_cast<IOleCommandTarget *>(debugServer); }

    // Runs the replies and posted commands until nothing is left to do.
    void Pump()
    {
        for (int round = 0; round < 20; ++round) {
            ASSERT_TRUE(symbols->WaitUntilIdle());
            MSG msg;
            bool any = false;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::DispatchMessageA(&msg);
                any = true;
            }
            if (!any && symbols->Outstanding() == 0)
                return;
        }
    }

    struct Shown {
        HTREEITEM item;
        int level;
        std::string text;
        TVITEMA fields;
    };
    // Every item of the tree, depth first, with what the tree shows of it.
    std::vector<Shown> Items()
    {
        std::vector<Shown> items;
        Walk(reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
        return items;
    }
    void Walk(HTREEITEM item, int level, std::vector<Shown> &items)
    {
        for (; item != nullptr; item = Next(TVGN_NEXT, item)) {
            char text[64] = "";
            TVITEMA fields = {};
            fields.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN | TVIF_PARAM;
            fields.hItem = item;
            fields.pszText = text;
            fields.cchTextMax = sizeof text;
            ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
            items.push_back({item, level, text, fields});
            Walk(Next(TVGN_CHILD, item), level + 1, items);
        }
    }
    HTREEITEM Next(UINT relation, HTREEITEM item)
    {
        return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    // "LEVEL TEXT IMAGE" per item, and a group's child count after it as "/N".
    std::vector<std::string> Tree()
    {
        std::vector<std::string> lines;
        for (const Shown &shown : Items()) {
            std::string line = std::to_string(shown.level) + " " + shown.text + " " + std::to_string(shown.fields.iImage);
            if (shown.fields.lParam == 0)
                line += " /" + std::to_string(shown.fields.cChildren);
            lines.push_back(line);
        }
        return lines;
    }
    std::vector<std::string> Tail(size_t count)
    {
        std::vector<std::string> lines = Tree();
        return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
    }
    // The first item that shows `wanted`.
    HTREEITEM Find(const std::string &wanted)
    {
        for (const Shown &shown : Items()) {
            if (shown.text == wanted)
                return shown.item;
        }
        return nullptr;
    }
    // The middle of the item's label, in the tree's client coordinates; every group
    // expanded on the way so that the item can be seen.
    POINT PointOf(HTREEITEM item)
    {
        for (HTREEITEM parent = item; (parent = Next(TVGN_PARENT, parent)) != nullptr;)
            ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        RECT rect = LabelRect(tree, item);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void Click(UINT message, const std::string &text)
    {
        HTREEITEM item = Find(text);
        ASSERT_NE(item, nullptr) << text;
        Click(message, item);
    }
    HTREEITEM FirstBreakpoint()
    {
        return Next(TVGN_CHILD, Find("Breakpoints"));
    }
    void Click(UINT message, HTREEITEM item)
    {
        POINT point = PointOf(item);
        POINT screen = point;
        ::ClientToScreen(tree, &screen);
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageA(tree, message, 0, MAKELPARAM(point.x, point.y));
        Pump();
    }
    void Load(LONG programId = 1)
    {
        ASSERT_EQ(explorer->SignalLoadingPrgFile(1, programId), S_OK);
        Pump();
    }

    QelComAllocCounts baseline{};
    CComPtr<IUnknown> host;
    CComObject<CTestSymbolServer> *symbols = nullptr;
    CComObject<CRecordingDebugServer> *debugServer = nullptr;
    CContainer container;
    CComPtr<IOleClientSite> holdSite;
    CQelTestSite *site = nullptr;
    CComObject<CQelSymbolExplorer> *explorer = nullptr;
    CComPtr<IOleObject> control;
    HWND tree = nullptr;
};

const std::vector<std::string> kLoadedTree = {
    "0 Source files 0 /2", "1 main.c [src/app\\main.c] 0", "1 util.c 0",
    "0 Functions 1 /1",    "1 helper 1",                   "1 main 1",
    "0 Sections 2 /4",     "1 .pcp 2",                     "1 .text 2",
};

TEST_F(SymbolExplorerTest, ALoadShowsFilesFunctionsAndCodeSectionsOnceHowOftenItComes)
{
    EXPECT_EQ(Tree(), std::vector<std::string>{}) << "empty until a program is loaded";
    Load();
    EXPECT_EQ(Tree(), kLoadedTree) << "inlined functions, data and empty sections get no item";
    Load();
    EXPECT_EQ(Tree(), kLoadedTree) << "a second load replaces each group";

    // New sections alone replace that group only.
    symbols->Answers().sections.RemoveAt(0);
    Load(0);
    std::vector<std::string> sectionsOnly(kLoadedTree.begin(), kLoadedTree.end() - 2);
    sectionsOnly.back() = "0 Sections 2 /3";
    sectionsOnly.push_back("1 .pcp 2");
    EXPECT_EQ(Tree(), sectionsOnly);

    // The program goes: so does the tree, and a load later fills it as at first.
    EXPECT_EQ(explorer->SignalLoadingPrgFile(0, 1), S_OK);
    EXPECT_EQ(Tree(), std::vector<std::string>{});
    Load();
    EXPECT_EQ(Tree(), sectionsOnly);

    // The tip is the text the item shows.
    POINT point = PointOf(Find("helper"));
    ::SendMessageA(tree, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    char tip[32] = "";
    QelTreeTipText(tree, tip, sizeof tip);
    EXPECT_STREQ(tip, "helper");
}

TEST_F(SymbolExplorerTest, ADoubleClickShowsTheItemsPlaceInTheProgramWindow)
{
    Load();
    Click(WM_LBUTTONDBLCLK, "main");
    EXPECT_EQ(debugServer->commands, (std::vector<std::string>{"sym 11 'src/app\\main.c' 'src/app\\main.c' b1",
                                                               "sym 15 'src/app\\main.c' u12 u32768 'src/app\\main.c'"}));
    debugServer->commands.clear();
    Click(WM_LBUTTONDBLCLK, ".text");
    EXPECT_EQ(debugServer->commands, std::vector<std::string>{"sym 12 '.text' '' u32768 u1024"});
    debugServer->commands.clear();
    Click(WM_LBUTTONDBLCLK, "util.c");
    EXPECT_EQ(debugServer->commands, std::vector<std::string>{"sym 11 'util.c' 'util.c' b1"});

    // The PCP's section goes to the server the symbol server names; here it names none.
    debugServer->commands.clear();
    Click(WM_LBUTTONDBLCLK, ".pcp");
    EXPECT_EQ(debugServer->commands, std::vector<std::string>{});

    // A group opens and closes.
    HTREEITEM functions = Find("Functions");
    ::SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(functions));
    RECT rect = LabelRect(tree, functions);
    ::SendMessageA(tree, WM_LBUTTONDBLCLK, 0, MAKELPARAM(rect.left + 2, rect.top + 2));
    TVITEMA state = {};
    state.mask = TVIF_STATE;
    state.hItem = functions;
    state.stateMask = TVIS_EXPANDED;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(state.state & TVIS_EXPANDED, static_cast<UINT>(TVIS_EXPANDED));
}

TEST_F(SymbolExplorerTest, TheBreakpointGroupFollowsTheHostsListAndLeavesItsArraysToTheCaller)
{
    Load();
    {
        BreakpointList list({{"'main {main.c} .12';m;1;3;;", {0x8000, 1}}, {"x", {0x8100, 0}}});
        ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    }
    EXPECT_EQ(Tail(3), (std::vector<std::string>{"0 Breakpoints 3 /2", "1 'main {main.c} .12' 4", "1 x 5"}))
        << "a location text that does not parse is shown as it is";
    {
        BreakpointList list({{"x", {0x8100, 1}}});
        ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    }
    EXPECT_EQ(Tail(2), (std::vector<std::string>{"0 Breakpoints 3 /1", "1 x 4"}));

    // Too few numbers, or names that are no texts: refused, and nothing changes.
    const std::vector<std::string> before = Tree();
    {
        BreakpointList shortList({{"a", {1, 1}}, {"b", {2, 1}}}, 1);
        EXPECT_EQ(explorer->SignalBreakpoints(shortList.names, shortList.values), E_INVALIDARG);
        BreakpointList list({{"a", {1, 1}}});
        CComVariant numbers = list.values;
        EXPECT_EQ(explorer->SignalBreakpoints(numbers, list.values), E_INVALIDARG);
        // One name whose index starts at 3: its upper bound promises four.
        SAFEARRAYBOUND from3 = {1, 3};
        CComVariant late;
        V_VT(&late) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&late) = SafeArrayCreate(VT_BSTR, 1, &from3);
        BreakpointList four({{"a", {1, 1}}, {"b", {2, 1}}, {"c", {3, 1}}, {"d", {4, 1}}});
        EXPECT_EQ(explorer->SignalBreakpoints(late, four.values), E_INVALIDARG);
    }
    EXPECT_EQ(Tree(), before);

    {
        BreakpointList none({});
        ASSERT_EQ(explorer->SignalBreakpoints(none.names, none.values), S_OK);
    }
    EXPECT_EQ(Tree().back(), "0 Breakpoints 3 /0");
}

TEST_F(SymbolExplorerTest, TheBreakpointMenuChangesTheBreakpointThroughTheHost)
{
    Load();
    BreakpointList list({{"main", {0x8000, 1}}});
    ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    MenuSeen menu;
    QelSetMenuHandler(AnswerMenu, &menu);

    Click(WM_RBUTTONDOWN, "Functions");
    EXPECT_TRUE(menu.items.empty()) << "a group has no menu";
    Click(WM_RBUTTONDOWN, "helper");
    EXPECT_EQ(menu.items, std::vector<std::string>{"Open"});

    menu = {{}, CQelSymbolExplorer::kMenuDisable};
    debugServer->commands.clear();
    Click(WM_RBUTTONDOWN, FirstBreakpoint());
    Click(WM_RBUTTONDOWN, FirstBreakpoint());
    EXPECT_EQ(menu.items, (std::vector<std::string>{"Open", "-", "Disable breakpoint", "Remove breakpoint", "Open",
                                                    "-", "Disable breakpoint", "Remove breakpoint"}));
    // Both changes ask for the address mode, and the labels of the absolute address.
    EXPECT_EQ(debugServer->commands, (std::vector<std::string>{"sym 20", "bp 5 u2 b0 'main' i1 u32768 u0", "sym 20",
                                                               "bp 5 u2 b0 'main' i1 u32768 u0"}));
    const std::vector<std::string> calls = symbols->Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "BreakpointDescription(1:32768) requester " +
                                                        std::to_string(reinterpret_cast<INT_PTR>(explorer->m_hWnd))),
              calls.end());

    // A mode of the host other than 0 gives the labels of mode 9; removal is command 2.
    debugServer->modeAnswer = CComVariant(3u);
    menu.answer = CQelSymbolExplorer::kMenuRemove;
    debugServer->commands.clear();
    Click(WM_RBUTTONDOWN, FirstBreakpoint());
    EXPECT_EQ(debugServer->commands, (std::vector<std::string>{"sym 20", "bp 2 u2 b1 'main' i1 u32768 u0"}));
    EXPECT_EQ(symbols->Calls().back().rfind("BreakpointDescription(9:32768)", 0), 0u);

    // An answer of the wrong type ends the change: no labels are asked for, nothing sent.
    debugServer->modeAnswer = CComVariant("text");
    debugServer->commands.clear();
    symbols->ClearCalls();
    ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    Click(WM_RBUTTONDOWN, FirstBreakpoint());
    EXPECT_EQ(debugServer->commands, std::vector<std::string>{"sym 20"});
    EXPECT_TRUE(symbols->Calls().empty());
}

TEST_F(SymbolExplorerTest, AMenuCommandForAnItemThatWentMeanwhileDoesNothing)
{
    Load();
    BreakpointList list({{"main", {0x8000, 1}}});
    ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    MenuSeen menu{{}, CQelSymbolExplorer::kMenuDisable};
    QelSetMenuHandler(AnswerMenu, &menu);
    POINT point = PointOf(FirstBreakpoint());
    POINT screen = point;
    ::ClientToScreen(tree, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::SendMessageA(tree, WM_RBUTTONDOWN, 0, MAKELPARAM(point.x, point.y));
    // The list empties before the menu's command arrives.
    BreakpointList none({});
    ASSERT_EQ(explorer->SignalBreakpoints(none.names, none.values), S_OK);
    debugServer->commands.clear();
    Pump();
    EXPECT_EQ(menu.items.size(), 4u);
    EXPECT_EQ(debugServer->commands, std::vector<std::string>{});
}

TEST_F(SymbolExplorerTest, ACallFromAnotherThreadRunsOnTheControlsThreadInTheOrderOfTheCalls)
{
    Load();
    // The worker tells of an unload while this thread is busy: the call returns at once.
    std::thread worker([this] { EXPECT_EQ(explorer->SignalLoadingPrgFile(0, 1), S_OK); });
    worker.join();
    EXPECT_EQ(Tree(), kLoadedTree) << "nothing changes until the control's thread runs it";
    // A call made here afterwards runs after it, not before.
    BreakpointList list({{"x", {0x8000, 1}}});
    ASSERT_EQ(explorer->SignalBreakpoints(list.names, list.values), S_OK);
    Pump();
    EXPECT_EQ(Tree(), (std::vector<std::string>{"0 Breakpoints 3 /1", "1 x 4"}));
}

TEST_F(SymbolExplorerTest, TheViewServerAnswersItsNamesErrorsServerAndStatusRefresh)
{
    CComQIPtr<IQelViewSrv> view(control);
    ASSERT_NE(view, nullptr);
    CComBSTR text;
    ASSERT_EQ(view->GetVersion(&text), S_OK);
    EXPECT_EQ(std::string(CString(text)), "StdQelSymbolExplWin");
    text.Empty();
    ASSERT_EQ(view->GetTitle(&text), S_OK);
    EXPECT_EQ(std::string(CString(text)), "Standard QEL Symbol Explorer");
    EXPECT_EQ(view->GetVersion(nullptr), E_INVALIDARG);
    EXPECT_EQ(view->StoreSettings(), S_OK);

    // The server it was given, with a reference of the caller's own.
    IUnknown *server = nullptr;
    ASSERT_EQ(view->GetDbgServer(&server), S_OK);
    EXPECT_EQ(server, DebugServer());
    EXPECT_EQ(debugServer->AddRef(), 4u) << "the fixture's, the client's and the caller's";
    debugServer->Release();
    server->Release();

    // A request that the server does not take is the next error told, once.
    BSTR error = nullptr;
    EXPECT_EQ(view->GetErrorInfo(&error), S_FALSE);
    symbols->FailNextQuery(E_FAIL);
    EXPECT_EQ(explorer->SignalLoadingPrgFile(1, 1), S_OK);
    ASSERT_EQ(view->GetErrorInfo(&error), S_OK);
    EXPECT_EQ(std::string(CString(error)).rfind("Standard QEL Symbol Explorer:\nThe symbol server did not take the "
                                                "request of the source files",
                                                0),
              0u);
    SysFreeString(error);
    EXPECT_EQ(view->GetErrorInfo(&error), S_FALSE);

    // Without a server there is no client, and a load cannot be followed.
    EXPECT_EQ(view->Init(nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(explorer->SignalLoadingPrgFile(1, 1), E_INVALIDARG);
    EXPECT_EQ(view->Init(DebugServer(), nullptr), S_OK);

    // The status-bar refresh reaches the frame; the control's commands are the status bar's.
    EXPECT_EQ(explorer->RequestStatusBarRefresh(), S_OK);
    EXPECT_EQ(site->frame->execs, std::vector<DWORD>{40});
    CComQIPtr<IOleCommandTarget> target(control);
    VARIANT zero, count;
    VariantInit(&count);
    V_VT(&zero) = VT_I4;
    V_I4(&zero) = 0;
    EXPECT_EQ(target->Exec(nullptr, 40, 0, &zero, &count), S_OK);
    EXPECT_EQ(V_I4(&count), 0);
    CComQIPtr<IPersistFile> file(control);
    CLSID id{};
    ASSERT_EQ(file->GetClassID(&id), S_OK);
    EXPECT_EQ(id, LIBID_TALVIXLib);

    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(tree, GWL_STYLE)), 0x50000817u);
    EXPECT_EQ(::GetDlgCtrlID(tree), 4711);
    // A click UI-activates the control; a moved control takes its tree along.
    ::SendMessageA(explorer->m_hWnd, WM_MOUSEACTIVATE, 0, 0);
    EXPECT_TRUE(site->uiActive);
    CComQIPtr<IOleInPlaceObject> inPlace(control);
    RECT moved{10, 10, 210, 110};
    ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    RECT client{};
    ::GetClientRect(tree, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
}

TEST(SymbolExplorerSite, WithoutASiteThereIsNoFrameToRefresh)
{
    CComObject<CQelSymbolExplorer> *explorer = nullptr;
    ASSERT_EQ(CComObject<CQelSymbolExplorer>::CreateInstance(&explorer), S_OK);
    CComPtr<IQelSymbolExplorer> hold(explorer);
    EXPECT_EQ(explorer->RequestStatusBarRefresh(), E_NOTIMPL);
}

} // namespace
