// The locals window's tree as its user sees it across stops of the target: which locals it
// shows, what stays from one stop to the next, its menu and its stored options.
#include "localscontrol.h"
#include "watchtreetest.h"

#include <popupmenu.h>
#include <tagtransfer.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using LocalsTest = WatchTreeTest<CLocalsControl>;

VariableTag Local(LPCSTR name, LONG index)
{
    VariableTag tag;
    tag.Name = name;
    tag.SymbolIndex = index;
    tag.SymbolID = 2;
    return tag;
}

// The answer of the symbol server for the locals in scope, in its transfer arrays.
struct LocalsAnswer {
    explicit LocalsAnswer(std::vector<VariableTag> locals)
    {
        CVariableTagArray records;
        for (VariableTag &tag : locals)
            records.Add(tag);
        EXPECT_EQ(PackTagRecords(records, &names, &values), S_OK);
    }
    ~LocalsAnswer()
    {
        FreeTransferVariant(&names);
        FreeTransferVariant(&values);
    }
    VARIANT names{}, values{};
};

std::vector<std::string> g_menu;

UINT_PTR CALLBACK SeeMenu(const QELMENUITEM *items, int count, int, int, LPVOID context)
{
    g_menu.clear();
    for (int i = 0; i < count; ++i)
        g_menu.push_back((items[i].flags & MF_SEPARATOR) != 0
                             ? "-"
                             : std::string(items[i].text) + ((items[i].flags & MF_CHECKED) ? "+" : "") +
                                   ((items[i].flags & MF_GRAYED) ? " grey" : ""));
    return reinterpret_cast<UINT_PTR>(context);
}

TEST_F(LocalsTest, AFunctionWithoutLocalsShowsOneEmptyRowAndOneWithLocalsShowsThem)
{
    EXPECT_EQ(Shown(), (std::vector<std::string>{"|"}));
    ASSERT_NE(tree_.GetEmptyRow(), nullptr);
    {
        LocalsAnswer answer({Local("count", 11), Local("index", 12)});
        tree_.OnLocalsAnswer(answer.names, answer.values);
    }
    EXPECT_EQ(Shown(), (std::vector<std::string>{"count|65", "index|65"}));
    EXPECT_EQ(tree_.GetEmptyRow(), nullptr);
    {
        LocalsAnswer none({});
        tree_.OnLocalsAnswer(none.names, none.values);
        tree_.OnLocalsAnswer(none.names, none.values);
    }
    EXPECT_EQ(Shown(), (std::vector<std::string>{"|"})) << "exactly one empty row";
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"update 0 0 0", "update 1 0 0", "withdraw 0", "withdraw 1"}))
        << "each new local is read, each gone one withdrawn";
}

TEST_F(LocalsTest, ALocalStillInScopeKeepsItsItemExpansionAndFormatAndOnlyItsValueIsRead)
{
    ScriptedVariableScript record;
    record.formats = {"natural", "octal"};
    record.children = 1;
    record.type = 5;
    record.baseType = 9;
    record.members = {"x=1", "y=2"};
    server_->scripts.push_back(record);
    {
        LocalsAnswer answer({Local("point", 21), Local("step", 22)});
        tree_.OnLocalsAnswer(answer.names, answer.values);
    }
    symbols_->WaitUntilIdle();
    Pump();
    auto *point = server_->made[0].p;
    EXPECT_NE(std::find(point->log.begin(), point->log.end(), "lifetimes"), point->log.end())
        << "each new local gets its lifetime";
    HTREEITEM kept = tree_.ItemOfId(point->item);
    tree_.Expand(kept, TVE_EXPAND);
    symbols_->WaitUntilIdle();
    Pump();
    // Octal is the variable's own format: the window's options leave it alone.
    tree_.SetContextItem(kept);
    tree_.SendMessage(WM_COMMAND, IDM_WATCH_FIRST_FORMAT + 1, 0);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"point|0101", "x|1", "y|2", "step|65"}));

    // The next stop: "point" stays, "step" went, "total" is new.
    server_->calls.clear();
    {
        LocalsAnswer answer({Local("total", 23), Local("point", 21)});
        tree_.OnLocalsAnswer(answer.names, answer.values);
    }
    EXPECT_EQ(tree_.ItemOfId(point->item), kept);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"point|0101", "x|1", "y|2", "total|65"}));
    EXPECT_EQ(tree_.ShownLocals(), (std::vector<LONG>{21, 23}));
    QelShot(tree_.m_hWnd, "locals-view");
    EXPECT_EQ(server_->calls, (std::vector<std::string>{"update 0 0 0", "withdraw 1", "update 2 0 0"}));
    std::vector<std::string> calls = symbols_->Calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string &c) { return c.rfind("Lifetime(", 0) == 0; }),
              3);
}

TEST_F(LocalsTest, AnAnswerWhoseArraysDisagreeChangesNothing)
{
    {
        LocalsAnswer answer({Local("count", 11)});
        tree_.OnLocalsAnswer(answer.names, answer.values);
    }
    LocalsAnswer two({Local("a", 1), Local("b", 2)});
    LocalsAnswer one({Local("c", 3)});
    tree_.OnLocalsAnswer(two.names, one.values);
    VARIANT empty{};
    tree_.OnLocalsAnswer(empty, one.values);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"count|65"}));
    EXPECT_EQ(server_->made.size(), 1u);
}

TEST_F(LocalsTest, AStopAsksForTheLocalsAtTheProgramCounter)
{
    VariableTag argc = Local("argc", 5);
    symbols_->Answers().variables.Add(argc);
    symbols_->ClearCalls();
    server_->access->pc = 0x8124;
    tree_.OnTargetStateChange(3, 2);
    Pump();
    symbols_->WaitUntilIdle();
    Pump();
    std::vector<std::string> calls = symbols_->Calls();
    auto asked = std::find_if(calls.begin(), calls.end(),
                              [](const std::string &c) { return c.rfind("LocalsInScope(", 0) == 0; });
    ASSERT_NE(asked, calls.end());
    EXPECT_NE(asked->find("1:" + std::to_string(0x8124)), std::string::npos) << *asked;
    EXPECT_EQ(Shown().front(), "argc|65");

    // A new position while stopped refreshes once; a pattern's end empties the window.
    size_t before = symbols_->Calls().size();
    tree_.OnTargetStateNotify(0x8130, 0xFFFFFFFF);
    tree_.OnTargetStateNotify(0x8130, 0xFFFFFFFF);
    Pump();
    symbols_->WaitUntilIdle();
    Pump();
    EXPECT_EQ(symbols_->Calls().size(), before + 1);
}

TEST_F(LocalsTest, TheMenuStandsOverTheValueColumnOnlyAndEndsWithFormat)
{
    {
        LocalsAnswer answer({Local("count", 11)});
        tree_.OnLocalsAnswer(answer.names, answer.values);
    }
    QelSetMenuHandler(SeeMenu, nullptr);
    CRect row;
    ASSERT_TRUE(tree_.DrawnListBaseC::GetItemRect(0, &row, 0));
    int y = row.CenterPoint().y;
    g_menu.clear();
    tree_.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tree_.GetColumnLeft(0) + 30, y));
    tree_.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(tree_.GetColumnLeft(0) + 30, y));
    EXPECT_TRUE(g_menu.empty()) << "nothing over the name column";
    tree_.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tree_.GetColumnLeft(1) + 10, y));
    tree_.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(tree_.GetColumnLeft(1) + 10, y));
    EXPECT_EQ(g_menu, (std::vector<std::string>{"decimal+", "hexadecimal", "ASCII", "-", "&Format"}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"count|65"}));
    // Choosing an entry sets the format through the command it posts.
    QelSetMenuHandler(SeeMenu, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(IDM_WATCH_FIRST_FORMAT + 1)));
    tree_.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(tree_.GetColumnLeft(1) + 10, y));
    tree_.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(tree_.GetColumnLeft(1) + 10, y));
    QelSetMenuHandler(nullptr, nullptr);
    Pump();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"count|0x41"}));
}

TEST_F(LocalsTest, TheOptionsAreStoredUnderLocalsAndANewViewStartsWithThem)
{
    CComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &storage), S_OK);
    tree_.SetOptions(TRUE, FALSE, TRUE);
    tree_.SaveSettings(storage, nullptr);
    CComPtr<IStorage> locals;
    ASSERT_EQ(storage->OpenStorage(CComBSTR("Locals"), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &locals),
              S_OK);
    locals.Release();
    tree_.SetOptions(FALSE, TRUE, FALSE);
    ASSERT_TRUE(tree_.InitServer(DebugServer(), storage, Forwarder()));
    EXPECT_TRUE(tree_.GetHexadecimal());
    EXPECT_FALSE(tree_.GetAscii());
    EXPECT_TRUE(tree_.GetExponential());
    symbols_->WaitUntilIdle();
    Pump();
}

} // namespace
