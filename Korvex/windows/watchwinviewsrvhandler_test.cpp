// The commands of the SFR, locals and watch windows on the real symbol server inside a
// host debug-server object, with the host frame's view doubles.
#include "windowstesting.h"

#include <viewsrvregistry.h>

namespace {

using windowstest::I4;
using windowstest::U4;

class WatchCommands : public windowstest::SymbolServerWindows {
protected:
    // Command 71 with `id`: its result, and its answer in *answer (-1 when none came).
    HRESULT AddWatchSymbol(LONG id, LONG *answer)
    {
        std::vector<CComVariant> out;
        HRESULT hr = Exec(71, {I4(id)}, 1, &out);
        *answer = out.size() == 1 && out[0].vt == VT_I4 ? out[0].lVal : -1;
        return hr;
    }

    // The watch window opened by command 70.
    QelHost::CHostWatchView *OpenWatchWindow()
    {
        EXPECT_EQ(Exec(70, {}), S_OK);
        std::vector<QelHost::CHostWatchView *> views = WatchViews();
        EXPECT_EQ(views.size(), 1u);
        return views.empty() ? nullptr : views[0];
    }
};

TEST_F(WatchCommands, TheOpenCommandsShowTheirViewsAndFollowTheServerStateTheOthersAreAlwaysEnabled)
{
    const std::pair<DWORD, const char *> opens[] = {{45, "StdQelSFRView"}, {60, "StdQelLocalsWin"}, {70, "StdQelWatchWin"}};
    for (LONG state : {1, 0, 1}) {
        Host()->SetServerState(state);
        for (const auto &open : opens)
            EXPECT_EQ(Enabled(open.first), state != 0) << open.first;
        for (DWORD always : {71u, 72u, 97u})
            EXPECT_TRUE(Enabled(always)) << always;
    }
    for (const auto &open : opens) {
        EXPECT_EQ(Exec(open.first, {}), S_OK);
        EXPECT_EQ(Frame()->Views(open.second).size(), 1u) << open.second;
        // A second command shows the one view again: one view at a time.
        EXPECT_EQ(Exec(open.first, {}), S_OK);
        EXPECT_EQ(Frame()->Views(open.second).size(), 1u) << open.second;
    }
    EXPECT_EQ(Exec(45, {U4(3)}), E_INVALIDARG);
}

TEST_F(WatchCommands, AddWatchSymbolWithoutAWindowOpensOneForASymbolOnly)
{
    LONG answer = -1;
    EXPECT_EQ(AddWatchSymbol(0, &answer), S_OK);
    EXPECT_EQ(answer, 0);
    EXPECT_TRUE(WatchViews().empty());

    EXPECT_EQ(AddWatchSymbol(17, &answer), S_OK);
    EXPECT_EQ(answer, 1);
    ASSERT_EQ(WatchViews().size(), 1u);
    EXPECT_TRUE(WatchViews()[0]->Calls().empty()) << "the symbol is not added to the window just opened";
}

TEST_F(WatchCommands, AddWatchSymbolAddsToTheOpenWindowUnlessItHasNoWatchInterface)
{
    QelHost::CHostWatchView *window = OpenWatchWindow();
    ASSERT_NE(window, nullptr);
    LONG answer = -1;
    EXPECT_EQ(AddWatchSymbol(17, &answer), S_OK);
    EXPECT_EQ(answer, 0);
    ASSERT_EQ(window->Calls().size(), 1u);
    EXPECT_EQ(window->Calls()[0].method, "AddWatchSymbol");
    EXPECT_EQ(window->Calls()[0].id, 17);

    window->SetQueryResult(E_NOINTERFACE);
    EXPECT_EQ(AddWatchSymbol(18, &answer), S_OK);
    EXPECT_EQ(answer, 1);
    window->SetQueryResult(E_ACCESSDENIED);
    EXPECT_EQ(AddWatchSymbol(18, &answer), E_ACCESSDENIED);
    EXPECT_EQ(window->Calls().size(), 1u);
}

// The answer needs an output value and the symbol a VT_I4: without either nothing opens.
TEST_F(WatchCommands, AddWatchSymbolRefusesAMissingOutputOrAWrongInputBeforeOpeningAnything)
{
    EXPECT_EQ(Exec(71, {I4(17)}), E_INVALIDARG);
    std::vector<CComVariant> out;
    EXPECT_EQ(Exec(71, {U4(17)}, 1, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(71, {}, 1, &out), E_INVALIDARG);
    EXPECT_TRUE(WatchViews().empty());
}

TEST_F(WatchCommands, DeleteWatchAndVarEdNoticeReachTheOpenWindowAndDoNothingWithoutOne)
{
    EXPECT_EQ(Exec(72, {I4(5)}), S_OK);
    EXPECT_EQ(Exec(97, {}), S_OK);
    EXPECT_EQ(Exec(72, {U4(5)}), E_INVALIDARG);
    EXPECT_TRUE(WatchViews().empty());

    QelHost::CHostWatchView *window = OpenWatchWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Exec(72, {I4(5)}), S_OK);
    EXPECT_EQ(Exec(97, {}), S_OK);
    window->SetQueryResult(E_NOINTERFACE);
    EXPECT_EQ(Exec(72, {I4(6)}), S_OK);
    EXPECT_EQ(Exec(97, {}), S_OK);
    window->SetQueryResult(E_ACCESSDENIED);
    EXPECT_EQ(Exec(72, {I4(6)}), E_ACCESSDENIED);
    EXPECT_EQ(Exec(97, {}), E_ACCESSDENIED);
    ASSERT_EQ(window->Calls().size(), 2u);
    EXPECT_EQ(window->Calls()[0].method, "DeleteWatch");
    EXPECT_EQ(window->Calls()[0].id, 5);
    EXPECT_EQ(window->Calls()[1].method, "VarEdChanged");
}

// A VarEd flag changed through Synchronize: 97 and 96 go to the debug-server object,
// which passes them on to the symbol server, whose watch handler tells the window.
TEST_F(WatchCommands, SynchronizesVarEdNoticeReachesTheOpenWatchWindow)
{
    QelHost::CHostWatchView *window = OpenWatchWindow();
    ASSERT_NE(window, nullptr);
    IUnknown *none = nullptr;
    EXPECT_EQ(server_->Synchronize(SYF_TOGGLE_LOCAL_VARED, &none), S_OK);
    ASSERT_EQ(window->Calls().size(), 1u);
    EXPECT_EQ(window->Calls()[0].method, "VarEdChanged");
    auto commands = Host()->Commands()->Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2].id, 97u);
    EXPECT_EQ(commands[commands.size() - 2].result, S_OK);
    EXPECT_EQ(commands.back().id, 96u);
}

// A watch view server that allows several views at once.
class SeveralWatchWindows : public WatchCommands {
protected:
    void BeforeServer() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, QEL_VIEWSERVER_KEY "\\StdQelWatchWin", 0, KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        DWORD several = 1;
        EXPECT_EQ(RegSetValueExA(key, "MultiInst", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&several), 4),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

// Every open watch window hears of a VarEd change, but for those without the interface;
// a window whose query fails otherwise ends the notice there.
TEST_F(SeveralWatchWindows, TheVarEdNoticeReachesEveryOpenWatchWindowInTurn)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(Exec(70, {}), S_OK);
    std::vector<QelHost::CHostWatchView *> windows = WatchViews();
    ASSERT_EQ(windows.size(), 3u);
    IUnknown *none = nullptr;
    EXPECT_EQ(server_->Synchronize(SYF_TOGGLE_LOCAL_VARED, &none), S_OK);
    windows[0]->SetQueryResult(E_NOINTERFACE);
    EXPECT_EQ(Exec(97, {}), S_OK);
    windows[1]->SetQueryResult(E_ACCESSDENIED);
    EXPECT_EQ(Exec(97, {}), E_ACCESSDENIED);
    const size_t heard[] = {1, 2, 2};
    for (size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(windows[i]->Calls().size(), heard[i]) << i;
}

} // namespace
