// The tree view: its hierarchy and order, texts asked of the parent, deletion as the
// parent hears of it, the layout that clicks and rectangles use, the tip; and popup menus
// answered by the menu handler.
#include "windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// The parent: texts of callback items by lParam, and what it was told.
struct Parent {
    std::map<LPARAM, std::string> texts;
    std::vector<LPARAM> deleted;
    std::vector<UINT> codes;
    int textRequests = 0;
    HWND tree = nullptr;
    HTREEITEM deleteDuringNotice = nullptr;
    BOOL reentrantDelete = TRUE;
};
Parent *g_parent = nullptr;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_NOTIFY || g_parent == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    auto *header = reinterpret_cast<NMHDR *>(lParam);
    g_parent->codes.push_back(header->code);
    if (header->code == TVN_GETDISPINFOA) {
        auto *info = reinterpret_cast<NMTVDISPINFOA *>(lParam);
        g_parent->textRequests++;
        lstrcpynA(info->item.pszText, g_parent->texts[info->item.lParam].c_str(), info->item.cchTextMax);
    } else if (header->code == TVN_DELETEITEMA) {
        auto *info = reinterpret_cast<NMTREEVIEWA *>(lParam);
        g_parent->deleted.push_back(info->itemOld.lParam);
        TVITEMA item{};
        item.mask = TVIF_PARAM;
        item.hItem = info->itemOld.hItem;
        EXPECT_TRUE(SendMessageA(header->hwndFrom, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            << "an item is readable while its deletion is told";
        if (g_parent->deleteDuringNotice != nullptr)
            g_parent->reentrantDelete = static_cast<BOOL>(SendMessageA(
                header->hwndFrom, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g_parent->deleteDuringNotice)));
    } else if (header->code == TVN_GETINFOTIPA) {
        auto *tip = reinterpret_cast<NMTVGETINFOTIPA *>(lParam);
        lstrcpynA(tip->pszText, ("tip " + g_parent->texts[tip->lParam]).c_str(), tip->cchTextMax);
    }
    return 0;
}

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.lpszClassName = "TreeViewTestParent";
        RegisterClassA(&windowClass);
        g_parent = &parent_;
        parentWindow_ = CreateWindowExA(0, "TreeViewTestParent", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                        nullptr, nullptr);
        tree_ = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT |
                                TVS_INFOTIP, 0, 0, 300, 300, parentWindow_, reinterpret_cast<HMENU>(4711), nullptr,
                                nullptr);
        ASSERT_NE(tree_, nullptr);
        parent_.tree = tree_;
    }
    void TearDown() override
    {
        DestroyWindow(parentWindow_);
        g_parent = nullptr;
    }

    HTREEITEM Insert(HTREEITEM under, HTREEITEM after, LPARAM param, LPCSTR text = LPSTR_TEXTCALLBACKA)
    {
        TVINSERTSTRUCTA insert{};
        insert.hParent = under;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<LPSTR>(text);
        insert.item.lParam = param;
        if (text == LPSTR_TEXTCALLBACKA)
            parent_.texts[param] = "item" + std::to_string(param);
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM Next(UINT relation, HTREEITEM item = nullptr)
    {
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
    std::string Text(HTREEITEM item, int size = 64)
    {
        std::vector<char> buffer(size, '\0');
        TVITEMA read{};
        read.mask = TVIF_TEXT;
        read.hItem = item;
        read.pszText = buffer.data();
        read.cchTextMax = size;
        if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read)))
            return "<none>";
        return buffer.data();
    }
    // The texts of the children of `under`, in order.
    std::string Children(HTREEITEM under = TVI_ROOT)
    {
        std::string texts;
        for (HTREEITEM item = Next(TVGN_CHILD, under); item != nullptr; item = Next(TVGN_NEXT, item))
            texts += (texts.empty() ? "" : ",") + Text(item);
        return texts;
    }
    bool LabelRect(HTREEITEM item, RECT &rect)
    {
        std::memcpy(&rect, &item, sizeof item); // the item in, as TVM_GETITEMRECT takes it
        return SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    LRESULT Mouse(UINT message, int x, int y)
    {
        return SendMessageA(tree_, message, 0, MAKELPARAM(x, y));
    }

    Parent parent_;
    HWND parentWindow_ = nullptr;
    HWND tree_ = nullptr;
};

TEST_F(TreeViewTest, InsertsAtTheFirstLastSortedPlaceOrAfterASibling)
{
    HTREEITEM b = Insert(TVI_ROOT, TVI_LAST, 0, "b");
    Insert(TVI_ROOT, TVI_FIRST, 0, "a");
    Insert(TVI_ROOT, TVI_LAST, 0, "d");
    Insert(TVI_ROOT, b, 0, "c");
    Insert(TVI_ROOT, TVI_SORT, 0, "C2");
    EXPECT_EQ(Children(), "a,b,c,C2,d");
    EXPECT_EQ(Insert(TVI_ROOT, reinterpret_cast<HTREEITEM>(0x999), 0, "x"), nullptr) << "no such sibling";
    HTREEITEM child = Insert(b, TVI_LAST, 0, "under b");
    EXPECT_EQ(Insert(TVI_ROOT, child, 0, "x"), nullptr) << "a sibling of another parent";
    EXPECT_EQ(Next(TVGN_PARENT, child), b);
    EXPECT_EQ(Next(TVGN_PARENT, b), nullptr);
    EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(Text(child, 4), "und") << "cut to the buffer";
}

TEST_F(TreeViewTest, CallbackTextsAreAskedForAndSortedAskingEachOnce)
{
    HTREEITEM group = Insert(TVI_ROOT, TVI_LAST, 0, "group");
    for (LPARAM i = 1; i <= 40; ++i)
        Insert(group, TVI_LAST, 41 - i);
    parent_.textRequests = 0;
    EXPECT_TRUE(SendMessageA(tree_, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(group)));
    EXPECT_EQ(parent_.textRequests, 40);
    HTREEITEM first = Next(TVGN_CHILD, group);
    EXPECT_EQ(Text(first), "item1");
    EXPECT_EQ(Text(Next(TVGN_NEXT, first)), "item10");
    parent_.texts[1] = "zzz";
    EXPECT_EQ(Text(first), "zzz") << "asked again each time";
}

TEST_F(TreeViewTest, DeletionTellsTheParentChildrenFirstAndForgetsTheHandles)
{
    HTREEITEM top = Insert(TVI_ROOT, TVI_LAST, 1);
    HTREEITEM middle = Insert(top, TVI_LAST, 2);
    Insert(middle, TVI_LAST, 3);
    Insert(top, TVI_LAST, 4);
    HTREEITEM other = Insert(TVI_ROOT, TVI_LAST, 5);
    parent_.deleteDuringNotice = other;
    EXPECT_TRUE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(top)));
    EXPECT_EQ(parent_.deleted, (std::vector<LPARAM>{3, 2, 4, 1}));
    EXPECT_FALSE(parent_.reentrantDelete) << "no deletion inside a deletion";
    EXPECT_EQ(Text(middle), "<none>");
    EXPECT_FALSE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(top)));
    EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 1);
    parent_.deleteDuringNotice = nullptr;
    HTREEITEM again = Insert(TVI_ROOT, TVI_LAST, 6);
    EXPECT_NE(again, top) << "handles are not used again";
    parent_.deleted.clear();
    DestroyWindow(tree_);
    EXPECT_EQ(parent_.deleted, (std::vector<LPARAM>{5, 6})) << "the window's items go with it";
}

TEST_F(TreeViewTest, RowsRectanglesHitTestsAndClicksFollowTheLayout)
{
    HTREEITEM group = Insert(TVI_ROOT, TVI_LAST, 0, "Group");
    HTREEITEM leaf = Insert(group, TVI_LAST, 7);
    HTREEITEM second = Insert(TVI_ROOT, TVI_LAST, 0, "Second");
    RECT rect{};
    EXPECT_FALSE(LabelRect(leaf, rect)) << "collapsed";

    // A click on the group's button opens it; the leaf shows in the second row.
    EXPECT_EQ(Mouse(WM_LBUTTONDOWN, 5, 5), 0);
    ASSERT_TRUE(LabelRect(leaf, rect));
    EXPECT_EQ(rect.top, 16);
    EXPECT_EQ(rect.left, 38);
    EXPECT_EQ(rect.right, 38 + 6 * 5 + 4);
    TVHITTESTINFO hit{};
    hit.pt = POINT{40, 40};
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))),
              second);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMLABEL));
    hit.pt = POINT{40, 100};
    EXPECT_EQ(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_BELOW));

    // A click on a label selects; a right click tells NM_RCLICK; a double click toggles.
    Mouse(WM_LBUTTONDOWN, 45, 20);
    EXPECT_EQ(Next(TVGN_CARET), leaf);
    parent_.codes.clear();
    Mouse(WM_RBUTTONDOWN, 45, 20);
    EXPECT_EQ(std::count(parent_.codes.begin(), parent_.codes.end(), NM_RCLICK), 1);
    Mouse(WM_LBUTTONDBLCLK, 25, 5);
    TVITEMA state{};
    state.mask = TVIF_STATE;
    state.hItem = group;
    state.stateMask = TVIS_EXPANDED;
    SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(state.state, 0u);
    EXPECT_EQ(Next(TVGN_NEXTVISIBLE, group), second);
}

TEST_F(TreeViewTest, TheTipIsAskedForOnceWhenTheMouseComesOverAnItem)
{
    Insert(TVI_ROOT, TVI_LAST, 9);
    char tip[32] = "";
    Mouse(WM_MOUSEMOVE, 25, 5);
    parent_.codes.clear();
    Mouse(WM_MOUSEMOVE, 30, 6);
    EXPECT_EQ(std::count(parent_.codes.begin(), parent_.codes.end(), TVN_GETINFOTIPA), 0) << "the same item";
    EXPECT_EQ(QelTreeTipText(tree_, tip, sizeof tip), 9);
    EXPECT_STREQ(tip, "tip item9");
    Mouse(WM_MOUSEMOVE, 30, 100);
    EXPECT_EQ(QelTreeTipText(tree_, tip, sizeof tip), 0);
    EXPECT_EQ(QelTreeTipText(parentWindow_, tip, sizeof tip), -1);
}

struct MenuAnswer {
    std::vector<std::string> seen;
    UINT_PTR answer = 0;
};

UINT_PTR CALLBACK AnswerMenu(const QELMENUITEM *items, int count, int, int, LPVOID context)
{
    auto *answer = static_cast<MenuAnswer *>(context);
    for (int i = 0; i < count; ++i)
        answer->seen.push_back(std::to_string(items[i].id) + ((items[i].flags & MF_GRAYED) != 0 ? "g " : " ") +
                               items[i].text);
    return answer->answer;
}

TEST(PopupMenu, TheHandlerChoosesAndTheOwnerIsToldUnlessTheIdIsReturned)
{
    HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(AppendMenuA(menu, MF_STRING, 2000, "Open"));
    EXPECT_TRUE(AppendMenuA(menu, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(AppendMenuA(menu, MF_STRING | MF_GRAYED, 2001, "Enable"));
    EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, 0, "sub"));

    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0) << "no handler: cancelled";
    MenuAnswer answer;
    answer.answer = 2000;
    QelSetMenuHandler(AnswerMenu, &answer);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 3, 4, 0, owner, nullptr), 2000);
    EXPECT_EQ(answer.seen, (std::vector<std::string>{"2000 Open", "0 ", "2001g Enable"}));
    answer.answer = 2001;
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 3, 4, 0, owner, nullptr), 0) << "grayed";

    answer.answer = 2000;
    EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN, 0, 0, 0, owner, nullptr));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, owner, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(msg.wParam), 2000);
    QelSetMenuHandler(nullptr, nullptr);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr));
    EXPECT_FALSE(DestroyMenu(menu));
    DestroyWindow(owner);
}

} // namespace
