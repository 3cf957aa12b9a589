#include "symbolselectdialog.h"

#include "drawnlisttesting.h"
#include "selectdialogresources.h"

#include <allocstats.h>
#include <dialogcontrols.h>
#include <symbolservertesting.h>
#include <testing/messagepump.h>
#include <windowsizing.h>

namespace {

VariableTag Variable(const char *name, const char *scope, LONG index, DWORD address)
{
    VariableTag entry;
    entry.Name = name;
    entry.ScopeText = scope;
    entry.SymbolIndex = index;
    entry.AddressValue = address;
    return entry;
}

void AddVariable(CArray<VariableTag, VariableTag &> &records, VariableTag entry)
{
    records.Add(entry);
}

// The window that receives posted choices, as the caller of a kept-open dialog.
class ChoiceWindow : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> posted;
    static const UINT kMessage = WM_USER + 77;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kMessage) {
            posted.emplace_back(wParam, lParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class SymbolSelectDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = QelGetComAllocCounts();
        windowsAtStart_ = qelwin::WindowCount();
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&symbols_), S_OK);
        symbols_->AddRef();
        symbols_->SetAnswerer([this](int code, const std::vector<std::string> &, TestSymbolAnswers &answers) {
            auto found = byCode_.find(code);
            if (found == byCode_.end())
                return;
            const TestSymbolAnswers &given = found->second;
            answers.sections.Copy(given.sections);
            answers.functions.Copy(given.functions);
            answers.variables.Copy(given.variables);
            answers.labels.Copy(given.labels);
            answers.varEd.Copy(given.varEd);
        });
        ASSERT_TRUE(owner_.CreateEx(0, AfxRegisterWndClass(0), "owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    }
    void TearDown() override
    {
        if (dialog_ != nullptr && dialog_->m_hWnd != nullptr)
            dialog_->DestroyWindow();
        dialog_.reset();
        owner_.DestroyWindow();
        symbols_->Release();
        DrawnTreeBaseC::DeleteSharedResources();
        EXPECT_EQ(qelwin::WindowCount(), windowsAtStart_);
        QelComAllocCounts now = QelGetComAllocCounts();
        EXPECT_EQ(now.bstrs, baseline_.bstrs);
        EXPECT_EQ(now.safeArrays, baseline_.safeArrays);
        EXPECT_EQ(now.invalidFrees, baseline_.invalidFrees);
    }

    // Opens the dialog modeless, lets its loop become idle once and waits for the replies.
    void Open(tagSYMBOLBROWSERMODE mode, bool post = false)
    {
        dialog_ = std::make_unique<CQelSymbolSelectDialog>(&owner_);
        dialog_->SetMode(mode);
        if (post)
            dialog_->SetPostTarget(owner_.m_hWnd, ChoiceWindow::kMessage);
        ASSERT_TRUE(dialog_->CreateRequestClient(static_cast<IQelSymbol *>(symbols_)));
        ASSERT_TRUE(dialog_->Create(IDD_SYMBOL_SELECT, &owner_));
        tree_ = static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog_->m_hWnd, IDC_SELECT_TREE)));
        ASSERT_EQ(Rows(), std::vector<std::string>{"Sorting ..."});
        dialog_->SendMessage(WM_KICKIDLE, 0, 0);
        dialog_->SendMessage(WM_KICKIDLE, 0, 1);
        ASSERT_TRUE(QelPumpMessagesUntil([&] { return symbols_->WaitUntilIdle() && symbols_->Outstanding() == 0; }));
        PumpQueue();
    }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int row = 0; row < tree_->GetItemCount(); ++row) {
            HTREEITEM item = tree_->GetItemAtIndex(row);
            rows.push_back(std::string(2 * static_cast<size_t>(tree_->GetLevel(item) - 1), ' ') +
                           std::string(tree_->GetItemText(item)));
        }
        return rows;
    }
    HTREEITEM Find(const char *text, HTREEITEM parent = TVI_ROOT)
    {
        for (HTREEITEM item = tree_->GetChildItem(parent); item != nullptr; item = tree_->GetNextSiblingItem(item))
            if (tree_->GetItemText(item) == text)
                return item;
        return nullptr;
    }
    std::vector<std::string> Children(HTREEITEM parent)
    {
        std::vector<std::string> texts;
        for (HTREEITEM item = tree_->GetChildItem(parent); item != nullptr; item = tree_->GetNextSiblingItem(item))
            texts.push_back(std::string(tree_->GetItemText(item)));
        return texts;
    }
    void Choose(HTREEITEM item)
    {
        tree_->DeselectAllExcept(-1);
        tree_->Select(item, TVGN_CARET);
        dialog_->SendMessage(WM_COMMAND, IDOK, 0);
    }
    void DataAnswers()
    {
        TestSymbolAnswers &statics = byCode_[403];
        AddVariable(statics.variables, Variable("counter", "'src\\main.c'", 1, 0x100));
        AddVariable(statics.variables, Variable("calls", "'src/main.c' {init}", 2, 0x104));
        AddVariable(statics.variables, Variable("calls", "'src/main.c' {run}", 3, 0x108));
        AddVariable(statics.variables, Variable("limit", "'src\\main.c'", 4, 0x10C));
        TestSymbolAnswers &globals = byCode_[401];
        for (const char *name : {"b", "B", "a", "b"})
            AddVariable(globals.variables, Variable(name, "", 10 + static_cast<LONG>(globals.variables.GetSize()), 0x200));
        LabelTag label;
        label.Name = "_data_start";
        byCode_[701].labels.Add(label);
    }

    CComObject<CTestSymbolServer> *symbols_ = nullptr;
    std::map<int, TestSymbolAnswers> byCode_;
    ChoiceWindow owner_;
    std::unique_ptr<CQelSymbolSelectDialog> dialog_;
    DrawnTreeBaseC *tree_ = nullptr;
    QelComAllocCounts baseline_{};
    size_t windowsAtStart_ = 0;
};

TEST_F(SymbolSelectDialogTest, CodeModeOpensTheFunctionsAndGivesTheChosenAddressLengthAndName)
{
    SectionTag section;
    section.Name = ".text";
    section.Length = 0x400;
    byCode_[0].sections.Add(section);
    FunctionTag function;
    for (const char *name : {"main", "f2", "f10"}) {
        function.Name = name;
        function.AddressValue = 0x1000 + static_cast<DWORD>(byCode_[200].functions.GetSize()) * 0x10;
        function.Length = 8;
        byCode_[200].functions.Add(function);
    }
    Open(CODE_LABEL);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Sections (with length)", "Functions (with length)", "  f10", "  f2",
                                                "  main", "Other Code Labels"}));
    EXPECT_EQ(std::string(tree_->GetItemText(tree_->GetSelectedItem())), "f10") << "the first function is the caret";
    EXPECT_FALSE(tree_->Expand(Find("Other Code Labels"), TVE_EXPAND)) << "no code labels came";

    Choose(Find("main", Find("Functions (with length)")));
    EXPECT_EQ(dialog_->GetAddress(), 0x1000u);
    EXPECT_EQ(dialog_->GetParameter(), 8u) << "the length";
    EXPECT_EQ(std::string(dialog_->GetLabel()), "main");
}

TEST_F(SymbolSelectDialogTest, SectionsWithoutFunctionsStillOfferAFunctionsGroupThatExpandsToNothing)
{
    SectionTag section;
    section.Name = ".data";
    byCode_[0].sections.Add(section);
    Open(CODE_LABEL);
    HTREEITEM functions = Find("Functions (with length)");
    ASSERT_NE(functions, nullptr);
    EXPECT_FALSE(tree_->Expand(functions, TVE_EXPAND)) << "nothing to insert";
    EXPECT_TRUE(Children(functions).empty());
    EXPECT_TRUE(tree_->Expand(Find("Sections (with length)"), TVE_EXPAND));
    EXPECT_EQ(Children(Find("Sections (with length)")), std::vector<std::string>{".data"});
}

TEST_F(SymbolSelectDialogTest, DataModeGroupsGlobalsStaticsAndLabelsInTheirOrder)
{
    DataAnswers();
    Open(DATA_LABEL);
    std::vector<std::string> roots = Children(TVI_ROOT);
    EXPECT_EQ(roots, (std::vector<std::string>{"Global Variables", "Static Variables (at file level)",
                                               "Static Variables (at function level)", "Static Variables (all)",
                                               "All Globals/Statics", "Other Data Labels"}));
    HTREEITEM all = Find("All Globals/Statics");
    EXPECT_EQ(Children(all), (std::vector<std::string>{"a", "b", "b", "B", "calls", "calls", "counter", "limit"}))
        << "every static and global in lstrcmpA order, no data label";
    // Equal names keep the order of the list: the first "b" is the global with index 10.
    HTREEITEM firstB = tree_->GetNextSiblingItem(tree_->GetChildItem(all));
    Choose(firstB);
    EXPECT_EQ(std::string(dialog_->GetLabel()), "b ");

    dialog_ = nullptr;
    Open(DATA_LABEL);
    HTREEITEM globals = Find("Global Variables");
    tree_->Expand(globals, TVE_EXPAND);
    EXPECT_EQ(Children(globals), (std::vector<std::string>{"a", "b", "b", "B"}));
    tree_->Expand(globals, TVE_COLLAPSE);
    tree_->Expand(globals, TVE_EXPAND);
    EXPECT_EQ(Children(globals).size(), 4u) << "a group is filled once";

    HTREEITEM functionLevel = Find("Static Variables (at function level)");
    tree_->Expand(functionLevel, TVE_EXPAND);
    EXPECT_EQ(Children(functionLevel),
              (std::vector<std::string>{"init 'src/main.c' ", "run 'src/main.c' "}));
    HTREEITEM fileLevel = Find("Static Variables (at file level)");
    tree_->Expand(fileLevel, TVE_EXPAND);
    ASSERT_EQ(Children(fileLevel), std::vector<std::string>{"main.c 'src\\main.c'"}) << "one file, one sub-group";
    EXPECT_EQ(Children(tree_->GetChildItem(fileLevel)), (std::vector<std::string>{"counter", "limit"}));

    HTREEITEM labels = Find("Other Data Labels");
    tree_->Expand(labels, TVE_EXPAND);
    Choose(tree_->GetChildItem(labels));
    EXPECT_EQ(std::string(dialog_->GetLabel()), "_data_start") << "a data label's name alone";
}

// The variable editor shows its own variables (kind 16, by symbol index): the global
// groups leave them out while it is on; the statics' groups keep every static.
TEST_F(SymbolSelectDialogTest, VariablesThatTheVarEdShowsAreLeftOutOfTheGlobalGroupsWhileItIsOn)
{
    DataAnswers();
    VarEdTag shown;
    shown.Kind = 16;
    shown.Data = 11; // the global "B"
    byCode_[900].varEd.Add(shown);
    shown.Data = 2; // the static "calls" of init
    byCode_[900].varEd.Add(shown);
    VarEdTag other;
    other.Kind = 15;
    other.Data = 12; // the global "a", of another kind
    byCode_[900].varEd.Add(other);
    symbols_->SetVarEdState(true);
    Open(WATCH_BROWSER);
    HCURSOR before = GetCursor();
    HTREEITEM globals = Find("Global Variables");
    tree_->Expand(globals, TVE_EXPAND);
    EXPECT_EQ(GetCursor(), before) << "the wait cursor goes with the filling";
    EXPECT_EQ(Children(globals), (std::vector<std::string>{"a", "b", "b"}));
    EXPECT_EQ(Children(Find("All Globals/Statics")), (std::vector<std::string>{"a", "b", "b", "calls", "counter", "limit"}));
    HTREEITEM statics = Find("Static Variables (all)");
    tree_->Expand(statics, TVE_EXPAND);
    EXPECT_EQ(Children(statics), (std::vector<std::string>{"calls", "calls", "counter", "limit"}));
    auto asked = [&] {
        std::vector<std::string> calls = symbols_->Calls();
        return std::count_if(calls.begin(), calls.end(),
                             [](const std::string &call) { return call.rfind("VarEdVariables()", 0) == 0; });
    };
    EXPECT_EQ(asked(), 1);

    dialog_ = nullptr;
    symbols_->SetVarEdState(false);
    Open(WATCH_BROWSER);
    EXPECT_EQ(asked(), 1) << "not asked while the variable editor is off";
    EXPECT_EQ(Children(Find("All Globals/Statics")).size(), 8u);
}

TEST_F(SymbolSelectDialogTest, WithAMessageIdAChoiceIsPostedAndTheDialogStaysOpen)
{
    DataAnswers();
    Open(WATCH_BROWSER, true);
    EXPECT_EQ(Children(TVI_ROOT).size(), 5u) << "no data labels in watch mode";
    HTREEITEM all = Find("All Globals/Statics");
    Choose(Find("limit", all));
    PumpQueue();
    EXPECT_TRUE(::IsWindow(dialog_->m_hWnd));
    ASSERT_EQ(owner_.posted.size(), 1u);
    EXPECT_EQ(owner_.posted[0], (std::pair<WPARAM, LPARAM>(0, 4))) << "the symbol index";
    EXPECT_EQ(std::string(dialog_->GetLabel()), "limit 'src\\main.c'");
    Choose(all);
    PumpQueue();
    EXPECT_TRUE(::IsWindow(dialog_->m_hWnd)) << "a group is no choice: nothing happens";
    EXPECT_EQ(owner_.posted.size(), 1u);
}

// The host's dialog script plays the user on the tree by what its rows show: it expands,
// selects, adds to the selection, chooses with a double click and presses keys, and the
// dialog's record lists the rows as they stand.
TEST_F(SymbolSelectDialogTest, TheHostsScriptDrivesTheTreeByTheRowsItShows)
{
    DataAnswers();
    Open(WATCH_BROWSER, true);
    HWND dialog = dialog_->m_hWnd;
    dialog_->ShowWindow(SW_SHOW);
    auto act = [&](const std::string &action) {
        std::string error;
        EXPECT_TRUE(QelHost::IsControlAction(action)) << action;
        EXPECT_TRUE(QelHost::DoControlAction(dialog, action, &error)) << error;
    };
    auto selected = [&] {
        std::vector<std::string> texts;
        for (int row = 0; row < tree_->GetItemCount(); ++row)
            if (tree_->IsSelected(row))
                texts.push_back(std::string(tree_->GetItemText(tree_->GetItemAtIndex(row))));
        return texts;
    };
    act("expand:1040=All Globals/Statics");
    EXPECT_EQ(Children(Find("All Globals/Statics")).size(), 8u);
    act("select:1040=All Globals/Statics>limit");
    EXPECT_EQ(selected(), std::vector<std::string>{"limit"});
    // Ctrl held: in a tree that takes several, the row joins the selection.
    tree_->SetMultipleSelection(TRUE);
    act("select:1040=+All Globals/Statics>a");
    EXPECT_EQ(selected(), (std::vector<std::string>{"a", "limit"}));
    act("dblclick:1040=All Globals/Statics>counter");
    PumpQueue();
    ASSERT_EQ(owner_.posted.size(), 1u);
    EXPECT_EQ(owner_.posted[0], (std::pair<WPARAM, LPARAM>(0, 1))) << "the symbol index of counter";
    act("key:1040=HOME");
    EXPECT_EQ(selected(), std::vector<std::string>{"Global Variables"});
    tree_->SetMultipleSelection(FALSE);
    EXPECT_EQ(QelHost::DrawnTreeLines(dialog),
              (std::vector<std::string>{"\ttree\t1040",
                                        "\t\trow\t1\t+\tGlobal Variables\t\t-",
                                        "\t\trow\t1\t+\tStatic Variables (at file level)\t\t-",
                                        "\t\trow\t1\t+\tStatic Variables (at function level)\t\t-",
                                        "\t\trow\t1\t+\tStatic Variables (all)\t\t-",
                                        "\t\trow\t1\t-\tAll Globals/Statics\t\t-",
                                        "\t\trow\t2\t.\ta\t\t-",
                                        "\t\trow\t2\t.\tb\t\t-",
                                        "\t\trow\t2\t.\tb\t\t-",
                                        "\t\trow\t2\t.\tB\t\t-",
                                        "\t\trow\t2\t.\tcalls\t\t-",
                                        "\t\trow\t2\t.\tcalls\t\t-",
                                        "\t\trow\t2\t.\tcounter\t\t-",
                                        "\t\trow\t2\t.\tlimit\t\t-"}));
    std::string error;
    EXPECT_FALSE(QelHost::IsControlAction("select:1040=+"));
    EXPECT_FALSE(QelHost::IsControlAction("key:1040=NOKEY"));
    EXPECT_FALSE(QelHost::DoControlAction(dialog, "expand:1040=All Globals/Statics>a", &error));
    EXPECT_EQ(error, "expand:1040=All Globals/Statics>a: the row All Globals/Statics>a has no button");
}

TEST_F(SymbolSelectDialogTest, TheEnumerationListSelectsTheLastSetValueAndLeavesTheCallersArrays)
{
    SAFEARRAY *names = SafeArrayCreateVector(VT_BSTR, 0, 4);
    const char16_t *texts[4] = {u"RED", u"GREEN", u"BLUE", u"WHITE"};
    for (LONG at = 0; at < 4; ++at) {
        BSTR text = SysAllocString(texts[at]);
        SafeArrayPutElement(names, &at, text);
        SysFreeString(text);
    }
    // One value short: the missing one counts as 0.
    SAFEARRAY *values = SafeArrayCreateVector(VT_I4, 0, 3);
    for (LONG at = 0; at < 3; ++at) {
        LONG value = at % 2;
        SafeArrayPutElement(values, &at, &value);
    }
    VARIANT vNames, vValues;
    vNames.vt = VT_ARRAY | VT_BSTR;
    vNames.parray = names;
    vValues.vt = VT_ARRAY | VT_I4;
    vValues.parray = values;
    dialog_ = std::make_unique<CQelSymbolSelectDialog>(&owner_);
    dialog_->SetMode(ENUMERATION_LISTER);
    dialog_->SetInitialValues(vNames, vValues);
    ASSERT_TRUE(dialog_->CreateRequestClient(static_cast<IQelSymbol *>(symbols_)));
    ASSERT_TRUE(dialog_->Create(IDD_SYMBOL_SELECT, &owner_));
    tree_ = static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog_->m_hWnd, IDC_SELECT_TREE)));
    dialog_->SendMessage(WM_KICKIDLE, 0, 0);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"RED", "GREEN", "BLUE", "WHITE"}));
    EXPECT_EQ(std::string(tree_->GetItemText(tree_->GetSelectedItem())), "GREEN");
    dialog_->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_EQ(dialog_->GetParameter(), 1u);
    EXPECT_EQ(std::string(dialog_->GetLabel()), "GREEN");
    dialog_.reset();
    LONG at = 3;
    BSTR kept = nullptr;
    EXPECT_EQ(SafeArrayGetElement(names, &at, &kept), S_OK) << "the caller's array is intact";
    EXPECT_EQ(std::u16string(kept), u"WHITE");
    SysFreeString(kept);
    SafeArrayDestroy(names);
    SafeArrayDestroy(values);
}

// Arrays of two dimensions cannot be read by one index: no list, nothing read past them.
TEST_F(SymbolSelectDialogTest, AnEnumerationOfTwoDimensionalArraysListsNothing)
{
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    VARIANT names, values;
    names.vt = VT_ARRAY | VT_BSTR;
    names.parray = SafeArrayCreate(VT_BSTR, 2, bounds);
    values.vt = VT_ARRAY | VT_I4;
    values.parray = SafeArrayCreate(VT_I4, 2, bounds);
    dialog_ = std::make_unique<CQelSymbolSelectDialog>(&owner_);
    dialog_->SetMode(ENUMERATION_LISTER);
    dialog_->SetInitialValues(names, values);
    ASSERT_TRUE(dialog_->Create(IDD_SYMBOL_SELECT, &owner_));
    tree_ = static_cast<DrawnTreeBaseC *>(CWnd::FromHandle(::GetDlgItem(dialog_->m_hWnd, IDC_SELECT_TREE)));
    dialog_->SendMessage(WM_KICKIDLE, 0, 0);
    EXPECT_EQ(Rows(), std::vector<std::string>{"Sorting ..."});
    dialog_.reset();
    VariantClear(&names);
    VariantClear(&values);
}

TEST_F(SymbolSelectDialogTest, ALongNameShowsItsEndAndTheDialogIsDrawnAsTheUserSeesIt)
{
    AddVariable(byCode_[401].variables, Variable("a_rather_long_global_name", "", 1, 0x10));
    Open(WATCH_BROWSER);
    NMTVDISPINFOA info{};
    info.hdr.hwndFrom = tree_->m_hWnd;
    info.hdr.idFrom = IDC_SELECT_TREE;
    info.hdr.code = TVN_GETDISPINFOA;
    char text[6];
    info.item.mask = TVIF_TEXT | TVIF_IMAGE;
    info.item.pszText = text;
    info.item.cchTextMax = sizeof text;
    info.item.lParam = 0;
    dialog_->SendMessage(WM_NOTIFY, IDC_SELECT_TREE, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "_name");
    EXPECT_EQ(info.item.iImage, 1) << "a variable's image";

    dialog_->ShowWindow(SW_SHOW);
    QelPaintPending();
    HBITMAP shot = QelCaptureWindow(dialog_->m_hWnd, TRUE);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(QelWritePng(shot, "symbolselectdialog.png"));
    DeleteObject(shot);
    ListShot rows(*tree_);
    CRect client;
    tree_->GetClientRect(&client);
    EXPECT_NE(rows.Read(client, GetSysColor(COLOR_WINDOWTEXT)).find("All Globals/Statics"), std::string::npos);
}

// The margins of the tree to the dialog's edges and the buttons' places on either side of
// the centre line stay as they were laid out, whatever size the user gives the dialog.
TEST_F(SymbolSelectDialogTest, TheTreeAndButtonsFollowTheDialogsSize)
{
    Open(CODE_LABEL);
    PumpQueue();
    auto rectOf = [&](int id) {
        CRect rect;
        ::GetWindowRect(::GetDlgItem(dialog_->m_hWnd, id), &rect);
        CPoint a = rect.TopLeft(), b = rect.BottomRight();
        dialog_->ScreenToClient(&a);
        dialog_->ScreenToClient(&b);
        return CRect(a, b);
    };
    CRect client;
    dialog_->GetClientRect(&client);
    CRect tree = rectOf(IDC_SELECT_TREE), close = rectOf(IDCANCEL);
    CRect window;
    dialog_->GetWindowRect(&window);
    dialog_->MoveWindow(window.left, window.top, window.Width() + 101, window.Height() + 60);
    PumpQueue();
    CRect grown;
    dialog_->GetClientRect(&grown);
    ASSERT_EQ(grown.Width(), client.Width() + 101);
    CRect tree2 = rectOf(IDC_SELECT_TREE), select2 = rectOf(IDOK), close2 = rectOf(IDCANCEL);
    EXPECT_EQ(tree2.TopLeft(), tree.TopLeft());
    EXPECT_EQ(grown.right - tree2.right, client.right - tree.right);
    EXPECT_EQ(grown.bottom - tree2.bottom, client.bottom - tree.bottom);
    EXPECT_EQ(close2.Size(), close.Size());
    EXPECT_EQ(select2.Size(), close.Size());
    EXPECT_EQ(grown.bottom - close2.top, client.bottom - close.top);
    EXPECT_EQ(select2.top, close2.top);
    int offset = (close.left - client.Width() / 2) / 2;
    EXPECT_EQ(close2.left, grown.Width() / 2 + offset);
    EXPECT_EQ(select2.right, grown.Width() / 2 - offset);

    RECT dragged{100, 100, 110, 105};
    dialog_->SendMessage(WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&dragged));
    EXPECT_EQ(dragged.left, 100) << "the dragged left edge stays; the right one gives way";
    EXPECT_EQ(dragged.top, 100);
    EXPECT_EQ(dragged.right, 100 + 3 * close.Width());
    EXPECT_EQ(dragged.bottom, 100 + 8 * close.Height());
    RECT roomy{0, 0, 500, 600};
    dialog_->SendMessage(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&roomy));
    EXPECT_EQ(roomy.right, 500);
    EXPECT_EQ(roomy.bottom, 600);
}

TEST(SymbolSelectSubGroups, TextsFromScopeTextsOfEveryShape)
{
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("'src/main.c' {init}", true)), "init 'src/main.c' ");
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("'src/main.c' {init}", false)), "main.c' 'src/main.c' ")
        << "the blank before the brace stays in the part before it";
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("'util.c'", false)), "util.c");
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("", false)), "");
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("x", false)), "") << "too short for two quotes";
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("{", true)), "");
    EXPECT_EQ(std::string(CQelSymbolSelectDialog::SubGroupText("{}", true)), "");
}

} // namespace
