// The watch window's tree as its user sees it: what typing a text adds, the entries that
// are not found, the duplicate messages, the menus, the "Address" column, dragging, the
// watch files and the stored settings that come back after a full refresh, and IQelWatch.
#include "watchcontrol.h"
#include "watchtreetest.h"

#include <drawnlistedit.h>
#include <messagebox.h>
#include <popupmenu.h>
#include <storagewrapper.h>
#include <tagtransfer.h>
#include <userinput.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> g_boxes;
std::vector<std::string> g_menu;
UINT_PTR g_menuChoice = 0;

int SeeBox(void *, HWND, LPCSTR text, LPCSTR caption, UINT)
{
    g_boxes.push_back(std::string(caption) + ": " + text);
    return IDOK;
}

UINT_PTR CALLBACK SeeMenu(const QELMENUITEM *items, int count, int, int, LPVOID)
{
    g_menu.clear();
    for (int i = 0; i < count; ++i)
        g_menu.push_back((items[i].flags & MF_SEPARATOR) != 0
                             ? "-"
                             : std::string(items[i].text) + ((items[i].flags & MF_CHECKED) ? "+" : "") +
                                   ((items[i].flags & MF_GRAYED) ? " grey" : ""));
    return g_menuChoice;
}

VariableTag Global(LPCSTR name, LONG index)
{
    VariableTag tag;
    tag.Name = name;
    tag.SymbolIndex = index;
    tag.SymbolID = 1;
    return tag;
}

class WatchTest : public WatchTreeTest<CWatchControl> {
protected:
    void SetUp() override
    {
        WatchTreeTest<CWatchControl>::SetUp();
        QelSetMessageBoxHandler(SeeBox, nullptr);
        QelSetMenuHandler(SeeMenu, nullptr);
        g_boxes.clear();
        g_menu.clear();
        g_menuChoice = 0;
        // The symbol server knows "counter" (index 7) and "limit" (8) by name and by index.
        symbols_->SetAnswerer([](int code, const std::vector<std::string> &arguments, TestSymbolAnswers &answers) {
            std::string name = arguments.empty() ? "" : arguments[0];
            VariableTag found;
            if ((code == 406 && name.rfind("counter", 0) == 0) || (code == 408 && name == "7"))
                answers.variables.Add(found = Global("counter", 7));
            if ((code == 406 && name.rfind("limit", 0) == 0) || (code == 408 && name == "8"))
                answers.variables.Add(found = Global("limit", 8));
            if (code == 900) {
                VarEdTag marked;
                marked.Kind = 16;
                marked.Data = 8;
                answers.varEd.Add(marked);
            }
        });
        ASSERT_EQ(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &storage_), S_OK);
        ASSERT_TRUE(tree_.InitServer(DebugServer(), storage_, Forwarder()));
    }
    void TearDown() override
    {
        QelSetMessageBoxHandler(nullptr, nullptr);
        QelSetMenuHandler(nullptr, nullptr);
        tree_.ReleaseServer();
        storage_.Release();
        WatchTreeTest<CWatchControl>::TearDown();
    }

    // Every answer of the symbol server delivered and shown.
    void Settle()
    {
        for (int round = 0; round < 3; ++round) {
            symbols_->WaitUntilIdle();
            Pump();
        }
    }
    LONG Add(const char *text)
    {
        LONG id = tree_.AddWatch(text);
        Settle();
        return id;
    }
    std::vector<std::string> Requests()
    {
        std::vector<std::string> asked;
        for (const std::string &call : symbols_->Calls())
            if (call.rfind("VariableWithScope", 0) == 0 || call.rfind("VariableByIndex", 0) == 0)
                asked.push_back(call.substr(0, call.find(" requester")));
        return asked;
    }
    // The values of "Watches" as text: "NAME=VALUE", numbers in decimal.
    std::vector<std::string> Stored()
    {
        std::vector<std::string> values;
        CComPtr<IStorage> watches;
        if (FAILED(storage_->OpenStorage(CComBSTR("Watches"), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr,
                                         0, &watches)))
            return values;
        CStorage stored(watches);
        values.push_back("Number=" + std::to_string(stored.ReadLong("Number", -1)));
        for (int n = 1; n <= 8; ++n) {
            CString text;
            std::string key = "Watch" + std::to_string(n);
            if (stored.ReadString(key.c_str(), "", text, 1024) == 0)
                values.push_back(key + "=" + static_cast<LPCSTR>(text));
        }
        return values;
    }
    std::string TempPath(const char *name)
    {
        return std::string("/tmp/watchcontrol_test_") + std::to_string(getpid()) + "_" + name;
    }
    // The picture for the note, in a folder of its own that a fresh machine lacks.
    void Shoot(const char *path)
    {
        mkdir("/tmp/shots-issue-55", 0755);
        QelPaintPending();
        HBITMAP shot = QelCaptureWindow(tree_.m_hWnd, TRUE);
        ASSERT_NE(shot, nullptr);
        EXPECT_TRUE(QelWritePng(shot, path));
        DeleteObject(shot);
    }
    HTREEITEM Row(int row) { return tree_.GetItemAtIndex(row); }
    LPARAM PointOf(int row, int column)
    {
        CRect rect;
        tree_.DrawnListBaseC::GetItemRect(row, &rect, 0);
        int x = (tree_.GetColumnLeft(column) + tree_.GetColumnRight(column)) / 2;
        return MAKELPARAM(x, (rect.top + rect.bottom) / 2);
    }
    LPARAM PointOnLabel(int row)
    {
        CRect rect;
        tree_.GetItemRect(Row(row), &rect, TRUE);
        return MAKELPARAM(rect.left + 3, (rect.top + rect.bottom) / 2);
    }
    void Click(int row)
    {
        tree_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, PointOnLabel(row));
        tree_.SendMessage(WM_LBUTTONUP, 0, PointOnLabel(row));
        Pump();
    }
    void ContextMenu(int row, int column) { ContextMenuAt(PointOf(row, column)); }
    void ContextMenuAt(LPARAM client)
    {
        CPoint screen(LOWORD(client), HIWORD(client));
        tree_.ClientToScreen(&screen);
        tree_.SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(screen.x, screen.y));
        Pump();
    }

    CComPtr<IStorage> storage_;
};

TEST_F(WatchTest, TypedTextsBecomeSymbolsOrExpressionsAndRefusedOnesLeaveThePlaceholder)
{
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|"}));
    struct Case {
        const char *typed;
        bool taken;
        const char *asked; // the symbol request, "" for an expression made at once
        const char *shown; // the row the entry shows
    };
    const Case cases[] = {
        {"  counter  ", true, "VariableWithScope(counter *)", "counter|65"},
        {"limit #", true, "VariableWithScope(limit (global))", "limit|65"},
        {"a+b", true, "", "?(a+b)|65"},
        {"?(c+d)", true, "", "?(c+d)|65"},
        {"x (file)", false, "", ""},
        {"   ", false, "", ""},
        {"a+", false, "", ""},
    };
    std::vector<std::string> rows;
    for (const Case &test : cases) {
        SCOPED_TRACE(test.typed);
        symbols_->ClearCalls();
        LONG id = Add(test.typed);
        EXPECT_EQ(id != 0, test.taken);
        std::vector<std::string> asked = Requests();
        if (*test.asked != '\0')
            EXPECT_EQ(asked, (std::vector<std::string>{test.asked}));
        else
            EXPECT_TRUE(asked.empty());
        if (test.taken)
            rows.push_back(test.shown);
        std::vector<std::string> expected = rows;
        expected.push_back("<new variable>|");
        EXPECT_EQ(Shown(), expected);
    }
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(tree_.AddWatch("counter"), 0);
    EXPECT_EQ(tree_.AddWatch("?(a+b)"), 0);
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"Input check: \"counter\" already in Watch window",
                                                 "Input check: \"?(a+b)\" already in Watch window"}));
    Shoot("/tmp/shots-issue-55/watch-entries.png");
}

TEST_F(WatchTest, TextTypedIntoThePlaceholderBecomesAnEntryAndBlanksTypedOverAnEntryDeleteIt)
{
    auto type = [&](int row, const char *text) {
        tree_.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, PointOnLabel(row));
        DrawnListEdit *edit = tree_.GetEditControl();
        ASSERT_NE(edit->m_hWnd, nullptr) << "the name is edited in place";
        edit->SetWindowText(text);
        edit->SendMessage(WM_KEYDOWN, VK_RETURN, 1);
        Settle();
    };
    type(0, "counter");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|65", "<new variable>|"}));
    type(1, "a+");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|65", "<new variable>|"})) << "a refused text changes nothing";
    type(0, "   ");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|"}));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=0"}));
}

TEST_F(WatchTest, AnEntryNotFoundKeepsItsTextInTheRowTheFileAndTheSettings)
{
    Add("counter");
    Add("nosuch");
    Add("?(1+2)");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|65", "nosuch *|not found", "?(1+2)|65", "<new variable>|"}));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=3", "Watch1=counter", "Watch2=nosuch *", "Watch3=?(1+2)"}))
        << "every entry is stored, in order, the one not found with its own text";
    std::string path = TempPath("notfound.wat");
    ASSERT_TRUE(tree_.SaveWatchFile(path.c_str()));
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), ";qelvane - watch file\n;Tosk Development Tools\n\ncounter\nnosuch *\n?(1+2)\n");
    std::remove(path.c_str());
}

TEST_F(WatchTest, DeletingEntriesRewritesTheSettingsWithNumberAsTheCountAndNoStaleValues)
{
    for (const char *text : {"?(1)", "?(2)", "?(3)", "?(4)", "?(5)"})
        Add(text);
    ASSERT_EQ(Stored().size(), 6u);
    ASSERT_TRUE(tree_.DeleteEntry(Row(2)));
    EXPECT_FALSE(tree_.DeleteEntry(tree_.GetPlaceholder())) << "the placeholder stays";
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(1)|65", "?(2)|65", "?(4)|65", "?(5)|65", "<new variable>|"}));
    // The user deletes with the key; the storage follows at once.
    Click(3);
    tree_.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    Click(0);
    tree_.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=2", "Watch1=?(2)", "Watch2=?(4)"}));
    Click(0);
    tree_.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    Click(0);
    tree_.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    tree_.SendMessage(WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=0"})) << "no entries: no values left of the old ones";
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|"}));
}

TEST_F(WatchTest, AWatchFileLoadedTwiceAddsItsEntriesOnceAndOneDuplicateMessageALine)
{
    std::string path = TempPath("load.wat");
    {
        std::ofstream file(path, std::ios::binary);
        file << ";qelvane - watch file\r\n;a comment\r\n\r\n   counter   \r\n a+b\n?(c+d)\n\n";
    }
    ASSERT_TRUE(tree_.LoadWatchFile(path.c_str()));
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|65", "?(a+b)|65", "?(c+d)|65", "<new variable>|"}));
    EXPECT_TRUE(g_boxes.empty());
    ASSERT_TRUE(tree_.LoadWatchFile(path.c_str()));
    Settle();
    EXPECT_EQ(Shown().size(), 4u);
    EXPECT_EQ(g_boxes.size(), 3u) << "one box per line: " << (g_boxes.empty() ? "" : g_boxes[0]);
    EXPECT_FALSE(tree_.LoadWatchFile(TempPath("missing.wat").c_str()));
    std::remove(path.c_str());
}

TEST_F(WatchTest, TheStoredEntriesAndOptionsComeBackWithTheFirstFullRefresh)
{
    Add("counter");
    Add("nosuch");
    Add("?(1+2)");
    tree_.SetOptions(TRUE, FALSE, FALSE);
    tree_.SaveSettings(storage_, nullptr);
    ASSERT_TRUE(tree_.InitServer(DebugServer(), storage_, Forwarder()));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|"})) << "nothing before the full refresh";
    tree_.QueueFullRefresh();
    tree_.QueueFullRefresh();
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|0x41", "nosuch *|not found", "?(1+2)|0x41", "<new variable>|"}));
    EXPECT_TRUE(tree_.GetHexadecimal());
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=3", "Watch1=counter", "Watch2=nosuch *", "Watch3=?(1+2)"}));
}

TEST_F(WatchTest, ADamagedStoreRestoresWhatItHoldsAndNoMore)
{
    {
        CComPtr<IStorage> watches;
        ASSERT_EQ(storage_->CreateStorage(CComBSTR("Watches"), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                          &watches),
                  S_OK);
        CStorage stored(watches);
        stored.WriteLong("Number", 0x7FFFFFFF);
        stored.WriteString("Watch1", "?(9)");
        stored.WriteString("Watch2", "a+");
        stored.WriteString("Watch3", "?(8)");
        watches->Commit(STGC_DEFAULT);
    }
    tree_.QueueFullRefresh();
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(9)|65", "?(8)|65", "<new variable>|"}));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=2", "Watch1=?(9)", "Watch2=?(8)"}));
}

TEST_F(WatchTest, TheMenuOffersWhatTheColumnAndTheItemAllow)
{
    Add("counter");
    struct Case {
        int row, column;
        std::vector<std::string> menu;
    };
    const std::vector<Case> cases = {
        {0, 0, {"&Browse\tIns", "&Expression", "&Delete\tDel", "-", "&Load", "&Save"}},
        {0, 1, {"decimal+", "hexadecimal", "ASCII", "-", "&Format", "-", "&Refresh", "Refresh &Period"}},
        {1, 0, {"&Browse\tIns", "&Expression", "&Delete\tDel", "-", "&Load", "&Save"}},
        {1, 1, {"&Format"}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(std::to_string(test.row) + "," + std::to_string(test.column));
        g_menu.clear();
        ContextMenu(test.row, test.column);
        EXPECT_EQ(g_menu, test.menu);
    }
    ContextMenuAt(MAKELPARAM(20, 190));
    EXPECT_EQ(g_menu, (std::vector<std::string>{"&Load", "&Save"})) << "below the items";
    // Choosing "&Delete" deletes the entry the menu was opened on.
    g_menuChoice = IDM_WATCH_DELETE;
    ContextMenu(0, 0);
    Pump();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"<new variable>|"}));
}

TEST_F(WatchTest, TheAddressColumnShowsTheLocationBesideTheValueAndGoesAgain)
{
    Add("counter");
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_ADDRESS, 0);
    EXPECT_TRUE(tree_.IsAddressShown());
    ASSERT_EQ(tree_.GetColumnCount(), 3);
    EXPECT_EQ(std::string(tree_.GetColumnText(1)), "Address");
    QelPaintPending();
    QelCapturedWindow shot(tree_.m_hWnd);
    CRect rect;
    ASSERT_TRUE(tree_.DrawnListBaseC::GetItemRect(0, &rect, 0));
    auto cell = [&](int column) {
        RECT area = {tree_.GetColumnLeft(column), rect.top, tree_.GetColumnRight(column), rect.bottom};
        std::string text = shot.Read(area, tree_.GetTextColor());
        return text.empty() ? shot.Read(area, tree_.GetSelTextColor()) : text;
    };
    EXPECT_EQ(cell(0), "counter");
    EXPECT_EQ(cell(1), "0x20000000");
    EXPECT_EQ(cell(2), "65");
    Shoot("/tmp/shots-issue-55/watch-address.png");
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_ADDRESS, 0);
    EXPECT_EQ(tree_.GetColumnCount(), 2);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"counter|65", "<new variable>|"}));
}

TEST_F(WatchTest, DraggingAnEntryOntoAnotherMovesItBeforeAndALostCaptureMovesNothing)
{
    for (const char *text : {"?(1)", "?(2)", "?(3)"})
        Add(text);
    auto drag = [&](int from, int to, bool cancel) {
        LPARAM start = PointOnLabel(from);
        tree_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, start);
        tree_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(start) + 10, HIWORD(start) + 10));
        EXPECT_TRUE(tree_.IsDragging());
        tree_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, PointOf(to, 0));
        if (cancel)
            tree_.SendMessage(WM_CANCELMODE, 0, 0);
        tree_.SendMessage(WM_LBUTTONUP, 0, PointOf(to, 0));
        EXPECT_FALSE(tree_.IsDragging());
        Pump();
    };
    drag(2, 0, false);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(1)|65", "?(2)|65", "<new variable>|"}));
    EXPECT_EQ(Stored(), (std::vector<std::string>{"Number=3", "Watch1=?(3)", "Watch2=?(1)", "Watch3=?(2)"}));
    drag(0, 2, true);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(1)|65", "?(2)|65", "<new variable>|"}));
    drag(0, 3, false);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(1)|65", "?(2)|65", "<new variable>|"}))
        << "nothing goes after the placeholder";
}

TEST_F(WatchTest, IQelWatchTakesOnlyTheTreesOwnIdsAndNeverTouchesThePlaceholder)
{
    LONG one = Add("?(1)"), two = Add("?(2)"), three = Add("?(3)");
    LONG placeholder = tree_.IdOfItem(tree_.GetPlaceholder());
    auto order = [](std::vector<LONG> ids) {
        SAFEARRAYBOUND bound = {static_cast<ULONG>(ids.size()), 0};
        CComVariant value;
        V_VT(&value) = VT_ARRAY | VT_I4;
        V_ARRAY(&value) = SafeArrayCreate(VT_I4, 1, &bound);
        for (LONG i = 0; i < static_cast<LONG>(ids.size()); ++i)
            SafeArrayPutElement(V_ARRAY(&value), &i, &ids[static_cast<size_t>(i)]);
        return value;
    };
    EXPECT_TRUE(tree_.NewOrder(order({three, 12345, placeholder, one})));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(2)|65", "?(1)|65", "<new variable>|"}));
    EXPECT_TRUE(tree_.NewOrder(order({})));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(2)|65", "?(1)|65", "<new variable>|"}));
    tree_.ChangeWatch("?(5)", placeholder);
    tree_.ChangeWatch("?(5)", 12345);
    tree_.ChangeWatch("?(22)", two);
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(22)|65", "?(1)|65", "<new variable>|"}));
    CComBSTR name;
    EXPECT_EQ(tree_.ChangeItem(name, 0, 0, nullptr, placeholder, nullptr), E_INVALIDARG);
    Add("counter");
    Add("limit");
    tree_.DeleteWatch(7);
    Settle();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(22)|65", "?(1)|65", "limit|65", "<new variable>|"}));
    symbols_->ClearCalls();
    tree_.AddWatchSymbol(8);
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"Input check: Variable already in Watch window"}));
    tree_.AddWatchSymbol(7);
    Settle();
    EXPECT_EQ(Requests(), (std::vector<std::string>{"VariableByIndex(7)"}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"?(3)|65", "?(22)|65", "?(1)|65", "limit|65", "counter|65",
                                                 "<new variable>|"}));
    tree_.AddWatchSymbol(0);
    EXPECT_EQ(tree_.PendingRequestCount(), 0u);
}

} // namespace
