#include "drawntreetesting.h"

#include "userinput.h"

namespace {

using Log = std::vector<std::string>;
using Texts = std::vector<std::string>;

class DrawnTreeNotifyTest : public DrawnTreeTest {
protected:
    // The tree's own notifications and NM_RETURN, without the display-text questions.
    Log TreeLog()
    {
        Log tree;
        for (const std::string &entry : parent_.log)
            if (entry.rfind("-4", 0) == 0 && entry.rfind("-403 ", 0) != 0)
                tree.push_back(entry);
        parent_.log.clear();
        return tree;
    }
};

TEST_F(DrawnTreeNotifyTest, ExpandingACallbackCountAsksTheOwnerWhoMayInsertOrNot)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM lazy = tree.InsertItem(TVIF_TEXT | TVIF_CHILDREN, "lazy", 0, 0, 0, 0, 0, TVI_ROOT, TVI_LAST);
    TV_ITEM count{};
    count.mask = TVIF_HANDLE | TVIF_CHILDREN;
    count.hItem = lazy;
    count.cChildren = I_CHILDRENCALLBACK;
    tree.SetItem(&count);
    HTREEITEM plain = tree.InsertItem("plain");
    bool insert = true;
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_GETDISPINFOA)
            reinterpret_cast<NMTVDISPINFOA *>(header)->item.cChildren = 1;
        if (header->code == TVN_ITEMEXPANDINGA && insert) {
            tree.InsertItem("one", lazy);
            tree.InsertItem("two", lazy);
        }
        return 0;
    };
    EXPECT_TRUE(tree.ItemHasChildren(lazy));
    parent_.log.clear();
    EXPECT_TRUE(tree.Expand(lazy, TVE_EXPAND));
    EXPECT_EQ(TreeLog(), (Log{"-405 lazy", "-406 lazy"}));
    EXPECT_EQ(Rows(), (Texts{"lazy", "  one", "  two", "plain"}));
    // The owner inserts nothing: FALSE and no expanded notification.
    tree.Expand(lazy, TVE_COLLAPSERESET | TVE_COLLAPSE);
    insert = false;
    parent_.log.clear();
    EXPECT_FALSE(tree.Expand(lazy, TVE_EXPAND));
    EXPECT_EQ(TreeLog(), (Log{"-405 lazy"}));
    // Neither children nor a count: FALSE, and nothing is told.
    EXPECT_FALSE(tree.Expand(plain, TVE_EXPAND));
    EXPECT_EQ(TreeLog(), Log{});
}

TEST_F(DrawnTreeNotifyTest, CollapsingAndResettingMoveTheFocusUpAndDeleteChildrenFirst)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top");
    HTREEITEM one = tree.InsertItem("one", top);
    tree.InsertItem("deep", one);
    tree.InsertItem("two", top);
    tree.ExpandAll(top, TRUE);
    ASSERT_TRUE(tree.Select(one, TVGN_CARET));
    parent_.log.clear();
    // The focused item's parent collapses: the focus goes to the parent, with the
    // selection notifications.
    EXPECT_TRUE(tree.Expand(top, TVE_COLLAPSE));
    EXPECT_EQ(TreeLog(), (Log{"-405 top", "-401 top", "-402 top", "-406 top"}));
    EXPECT_EQ(tree.GetSelectedItem(), top);
    EXPECT_EQ(Rows(), (Texts{"top"}));
    EXPECT_TRUE(tree.Expand(top, TVE_COLLAPSERESET | TVE_COLLAPSE));
    EXPECT_EQ(TreeLog(), (Log{"-405 top", "-409 deep", "-409 one", "-409 two", "-406 top"}));
    EXPECT_EQ(tree.GetChildItem(top), nullptr);
    EXPECT_EQ(tree.GetItemState(top, TVIS_EXPANDED), 0u);
    tree.InsertItem("again", top);
    tree.InsertItem("below", tree.GetChildItem(top));
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_EQ(TreeLog(), (Log{"-409 below", "-409 again", "-409 top"}));
    EXPECT_EQ(tree.GetItemCount(), 0);
    // Destroying the window deletes the tree, children first.
    HTREEITEM last = tree.InsertItem("last");
    tree.InsertItem("inner", last);
    tree.DestroyWindow();
    EXPECT_EQ(TreeLog(), (Log{"-409 inner", "-409 last"}));
}

TEST_F(DrawnTreeNotifyTest, AVetoedSelectionChangesNothingAndKeysFollowTheTable)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top");
    HTREEITEM one = tree.InsertItem("one", top);
    tree.InsertItem("deep", one);
    HTREEITEM other = tree.InsertItem("other");
    ASSERT_TRUE(tree.Select(top, TVGN_CARET));
    parent_.answer = [](NMHDR *header) -> LRESULT { return header->code == TVN_SELCHANGINGA ? 1 : 0; };
    parent_.log.clear();
    EXPECT_FALSE(tree.Select(other, TVGN_CARET));
    EXPECT_EQ(TreeLog(), (Log{"-401 other"}));
    EXPECT_EQ(tree.GetSelectedItem(), top);
    parent_.answer = nullptr;
    tree.SetFocus();
    struct Step {
        int key;
        Log log;
        Texts rows;
        const char *focus;
    };
    const Step steps[] = {
        {VK_RIGHT, {"-412 39", "-405 top", "-406 top"}, {"top", "  one", "other"}, "top"},
        {VK_RIGHT, {"-412 39", "-401 one", "-402 one"}, {"top", "  one", "other"}, "one"},
        {VK_MULTIPLY, {"-412 106", "-405 one", "-406 one"}, {"top", "  one", "    deep", "other"}, "one"},
        {VK_SUBTRACT, {"-412 109", "-405 one", "-406 one"}, {"top", "  one", "other"}, "one"},
        {VK_BACK, {"-412 8", "-401 top", "-402 top"}, {"top", "  one", "other"}, "top"},
        {VK_LEFT, {"-412 37", "-405 top", "-406 top"}, {"top", "other"}, "top"},
        {VK_LEFT, {"-412 37"}, {"top", "other"}, "top"},
        {VK_ADD, {"-412 107", "-405 top", "-406 top"}, {"top", "  one", "other"}, "top"},
        {VK_RETURN, {"-412 13", "-4 -"}, {"top", "  one", "other"}, "top"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE("key " + std::to_string(step.key));
        QelSendKey(nullptr, step.key, 0);
        Pump();
        EXPECT_EQ(TreeLog(), step.log);
        EXPECT_EQ(Rows(), step.rows);
        EXPECT_EQ(tree.GetItemText(tree.GetSelectedItem()), CString(step.focus));
    }
}

TEST_F(DrawnTreeNotifyTest, ADoubleClickTogglesUnlessTheOwnerAnswersIt)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top");
    tree.InsertItem("one", top);
    CRect label;
    ASSERT_TRUE(tree.GetItemRect(top, &label, TRUE));
    CPoint at = label.CenterPoint();
    parent_.answer = [](NMHDR *header) -> LRESULT { return header->code == NM_DBLCLK ? 1 : 0; };
    QelSendMouse(tree.m_hWnd, WM_LBUTTONDBLCLK, at.x, at.y, MK_LBUTTON);
    EXPECT_EQ(Rows(), (Texts{"top"}));
    parent_.answer = nullptr;
    QelSendMouse(tree.m_hWnd, WM_LBUTTONDBLCLK, at.x, at.y, MK_LBUTTON);
    EXPECT_EQ(Rows(), (Texts{"top", "  one"}));
    // A press on the button toggles the item at once.
    CRect button;
    ASSERT_GT(tree.GetButtonRect(&button, 0), 0);
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(button.CenterPoint().x, button.CenterPoint().y, &flags), top);
    EXPECT_EQ(flags, 0x4000u | TVHT_ONITEMBUTTON);
    QelSendMouse(tree.m_hWnd, WM_LBUTTONDOWN, button.CenterPoint().x, button.CenterPoint().y, MK_LBUTTON);
    QelSendMouse(tree.m_hWnd, WM_LBUTTONUP, button.CenterPoint().x, button.CenterPoint().y, 0);
    EXPECT_EQ(Rows(), (Texts{"top"}));
    EXPECT_EQ(tree.HitTest(at.x, at.y, &flags), top);
    EXPECT_EQ(flags, 0x4000u | TVHT_ONITEMLABEL);
    EXPECT_EQ(tree.HitTest(at.x, 90, &flags), nullptr);
    EXPECT_EQ(flags, static_cast<UINT>(TVHT_NOWHERE));
    EXPECT_EQ(tree.HitTest(at.x, -3, &flags), nullptr);
    EXPECT_EQ(flags, static_cast<UINT>(TVHT_ABOVE));
}

TEST_F(DrawnTreeNotifyTest, AnOwnerThatDeletesWhileItHearsLeavesNoNodeInUse)
{
    DrawnTreeCtrl &tree = Make(TVS_HASBUTTONS | TVS_EDITLABELS);
    HTREEITEM top = tree.InsertItem("top");
    HTREEITEM one = tree.InsertItem("one", top);
    HTREEITEM other = tree.InsertItem("other");
    // Deleting the item that expands.
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_ITEMEXPANDINGA)
            tree.DeleteItem(reinterpret_cast<NM_TREEVIEW *>(header)->itemNew.hItem);
        return 0;
    };
    EXPECT_FALSE(tree.Expand(top, TVE_EXPAND));
    EXPECT_EQ(tree.GetItemData(one), 0);
    EXPECT_EQ(Rows(), (Texts{"other"}));
    // Deleting the item about to be selected.
    HTREEITEM next = tree.InsertItem("next");
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_SELCHANGINGA)
            tree.DeleteItem(reinterpret_cast<NM_TREEVIEW *>(header)->itemNew.hItem);
        return 0;
    };
    EXPECT_FALSE(tree.Select(next, TVGN_CARET));
    EXPECT_EQ(Rows(), (Texts{"other"}));
    // Deleting the item again, and a neighbour, while hearing of its deletion.
    HTREEITEM a = tree.InsertItem("a"), b = tree.InsertItem("b");
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_DELETEITEMA) {
            EXPECT_FALSE(tree.DeleteItem(a));
            tree.DeleteItem(b);
        }
        return 0;
    };
    EXPECT_TRUE(tree.DeleteItem(a));
    EXPECT_EQ(Rows(), (Texts{"other"}));
    // Deleting the item whose label is being edited, when the edit ends.
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_ENDLABELEDITA) {
            tree.DeleteItem(reinterpret_cast<NMTVDISPINFOA *>(header)->item.hItem);
            return 1;
        }
        return 0;
    };
    ASSERT_TRUE(tree.EditLabel(other));
    ASSERT_NE(tree.GetEditControl()->m_hWnd, nullptr);
    tree.GetEditControl()->SetWindowText("renamed");
    QelSendKey(tree.GetEditControl()->m_hWnd, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(tree.GetItemCount(), 0);
    EXPECT_EQ(tree.GetRootItem(), nullptr);
}

TEST_F(DrawnTreeNotifyTest, ALabelEditThatTheOwnerTakesRenamesTheItem)
{
    DrawnTreeCtrl &tree = Make(TVS_HASBUTTONS | TVS_EDITLABELS);
    HTREEITEM item = tree.InsertItem(TVIF_TEXT | TVIF_PARAM, "old", 0, 0, 0, 0, 42, TVI_ROOT, TVI_LAST);
    EXPECT_EQ(tree.GetTreeStyle() & TVS_EDITLABELS, static_cast<DWORD>(TVS_EDITLABELS));
    LRESULT take = 1;
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == TVN_ENDLABELEDITA) {
            NMTVDISPINFOA *info = reinterpret_cast<NMTVDISPINFOA *>(header);
            EXPECT_EQ(info->item.lParam, 42);
            if (info->item.pszText != nullptr)
                std::strcat(info->item.pszText, "!");
            return take;
        }
        return 0;
    };
    ASSERT_TRUE(tree.EditLabel(item));
    tree.GetEditControl()->SetWindowText("new");
    QelSendKey(tree.GetEditControl()->m_hWnd, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(tree.GetItemText(item), CString("new!"));
    take = 0;
    ASSERT_TRUE(tree.EditLabel(item));
    tree.GetEditControl()->SetWindowText("refused");
    QelSendKey(tree.GetEditControl()->m_hWnd, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(tree.GetItemText(item), CString("new!"));
    // Each as the item stood when the owner heard.
    EXPECT_EQ(TreeLog(), (Log{"-410 old", "-411 old", "-410 new!", "-411 new!"}));
    tree.ModifyTreeStyle(TVS_EDITLABELS, 0);
    EXPECT_FALSE(tree.EditLabel(item));
}

} // namespace
