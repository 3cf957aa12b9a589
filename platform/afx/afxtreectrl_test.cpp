// CTreeCtrl over a tree window, and CMenu, which takes its menu with it.
#include "afx.h"

#include <gtest/gtest.h>

namespace {

TEST(TreeCtrl, ReadsAndChangesTheItemsOfItsWindow)
{
    HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    HWND window = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | TVS_LINESATROOT, 0, 0, 200, 200, parent,
                                  nullptr, nullptr, nullptr);
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Attach(window));
    HTREEITEM group = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, "Group", 3, 3, 0, 0,
                                      0, TVI_ROOT, TVI_LAST);
    HTREEITEM leaf = tree.InsertItem("leaf", group);
    EXPECT_EQ(tree.GetRootItem(), group);
    EXPECT_EQ(tree.GetChildItem(group), leaf);
    EXPECT_EQ(tree.GetParentItem(leaf), group);
    EXPECT_TRUE(tree.ItemHasChildren(group));
    EXPECT_STREQ(tree.GetItemText(leaf), "leaf");
    EXPECT_TRUE(tree.SetItemImage(leaf, 4, 5));
    EXPECT_TRUE(tree.SetItemData(leaf, 77));
    int image = 0, selected = 0;
    EXPECT_TRUE(tree.GetItemImage(leaf, image, selected));
    EXPECT_EQ(image * 10 + selected, 45);
    EXPECT_EQ(tree.GetItemData(leaf), 77u);
    EXPECT_TRUE(tree.Expand(group, TVE_EXPAND));
    EXPECT_EQ(tree.HitTest(POINT{40, 20}), leaf);
    EXPECT_TRUE(tree.SelectItem(leaf));
    EXPECT_EQ(tree.GetSelectedItem(), leaf);
    EXPECT_EQ(tree.GetCount(), 2u);
    EXPECT_TRUE(tree.DeleteAllItems());
    EXPECT_STREQ(tree.GetItemText(leaf), "");
    tree.Detach();
    DestroyWindow(parent);
}

TEST(Menu, IsDestroyedWithItsObject)
{
    HMENU handle = nullptr;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        EXPECT_FALSE(menu.CreatePopupMenu());
        EXPECT_TRUE(menu.AppendMenu(MF_STRING, 1, "One"));
        handle = menu;
    }
    EXPECT_FALSE(AppendMenuA(handle, MF_STRING, 2, "Two"));
}

} // namespace
