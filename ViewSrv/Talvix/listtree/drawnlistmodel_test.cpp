#include "drawnlisttesting.h"

#include <cstring>

BEGIN_MESSAGE_MAP(ListParent, CWnd)
ON_MESSAGE(WM_NEXTDLGCTL, OnNextControl)
END_MESSAGE_MAP()

namespace {

// The test program's resources, which every test of the list finds: the list's own and a
// dialog whose "Static" item stands where a list goes.
const QEL_DLGITEMTEMPLATE kPlaceholderItems[] = {
    {"Button", IDOK, "OK", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 5, 5, 40, 14},
    {"Static", 100, "", WS_TABSTOP | WS_GROUP | WS_VISIBLE, 0, 5, 25, 80, 40},
    {"Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 50, 5, 40, 14},
};
const QEL_DLGTEMPLATE kPlaceholderDialog = {"Watch", WS_POPUP | WS_VISIBLE, 0, 0, 0, 120, 80, kPlaceholderItems, 3};
const QEL_RESOURCE_ENTRY kEntries[] = {
    DRAWNLIST_RESOURCE_ENTRIES,
    {RT_DIALOG, MAKEINTRESOURCEA(200), &kPlaceholderDialog, sizeof kPlaceholderDialog},
};
const QEL_MODULE_RESOURCES kResources = {nullptr, 0, kEntries, 2};
QEL_DEFINE_MODULE_RESOURCES(kResources)

using Model = DrawnListTest;

TEST_F(Model, InsertedAndDeletedRowsCarryTheFocusDropHighlightAndSelectionWithThem)
{
    DrawnListCtrl &list = MakeFilled({{"a", "1"}});
    // The first item becomes the selected focus row.
    EXPECT_EQ(list.GetFocusItem(), 0);
    EXPECT_EQ(Selection(list), std::vector<int>{0});
    for (const char *name : {"b", "c", "d", "e"})
        list.InsertItem(list.GetItemCount(), name);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.SetDropHighlight(2);
    list.InsertItem(0, "z");
    EXPECT_EQ(list.GetFocusItem(), 1);
    EXPECT_EQ(list.GetDropHighlight(), 3);
    EXPECT_EQ(Selection(list), (std::vector<int>{1, 4}));
    EXPECT_EQ(list.GetItemState(1, LVIS_FOCUSED | LVIS_SELECTED), UINT(LVIS_FOCUSED | LVIS_SELECTED));
    // z a b c d e: deleting a b c moves the focus and drop highlight inside to z, d up.
    parent_.log.clear();
    EXPECT_TRUE(list.DeleteItems(1, 3));
    std::vector<std::string> deletions;
    for (const std::string &line : parent_.log)
        if (line.rfind("-103 ", 0) == 0)
            deletions.push_back(line);
    EXPECT_EQ(deletions, (std::vector<std::string>{"-103 1", "-103 2", "-103 3"}));
    EXPECT_EQ(list.GetFocusItem(), 0);
    EXPECT_EQ(list.GetDropHighlight(), 0);
    EXPECT_EQ(list.GetItemState(0, LVIS_FOCUSED | LVIS_DROPHILITED), UINT(LVIS_FOCUSED | LVIS_DROPHILITED));
    EXPECT_EQ(Selection(list), std::vector<int>{1});
    // The last selected row goes: the focus row is selected again.
    list.DeleteItems(1, 1);
    EXPECT_EQ(Selection(list), std::vector<int>{0});
    EXPECT_EQ(list.GetItemText(0, 0), CString("z"));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_FALSE(list.DeleteItems(5, 1));
    EXPECT_FALSE(list.SetItemText(9, 0, "x"));
}

TEST_F(Model, RowsTheOwnerDeletesWhileHearingOfADeletionAreFoundAgain)
{
    DrawnListCtrl &list = MakeFilled({{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}, {"e", ""}});
    bool once = false;
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == LVN_DELETEITEM && !once) {
            once = true;
            list.DeleteItems(0, 1); // a goes while b is told of
            list.InsertItem(0, "new");
        }
        return 0;
    };
    list.DeleteItems(1, 2); // b and c
    std::vector<std::string> left;
    for (int row = 0; row < list.GetItemCount(); ++row)
        left.push_back(std::string(list.GetItemText(row, 0)));
    EXPECT_EQ(left, (std::vector<std::string>{"new", "d", "e"}));
}

TEST_F(Model, ColumnsTakeSubItemNumbersWidthsAndRecordsAsInserted)
{
    DrawnListCtrl &list = MakeFilled({{"a", "1"}, {"b", "2"}});
    // Width -1 is 10; sub-item -1 at the end takes count + 1, giving every item a record.
    EXPECT_EQ(list.AddColumn("Type", LVCFMT_RIGHT, -1, -1), 2);
    EXPECT_EQ(list.GetColumnWidth(2), 10);
    EXPECT_EQ(list.GetColumnAt(2)->subItem, 2);
    EXPECT_EQ(list.GetSubItemCount(), 2);
    EXPECT_TRUE(list.SetItemText(1, 2, "int"));
    // In the middle: the next later column's number, which moves up with its texts.
    EXPECT_EQ(list.InsertColumn(1, "Addr", LVCFMT_LEFT, 30, -1), 1);
    EXPECT_EQ(list.GetColumnAt(1)->subItem, 1);
    EXPECT_EQ(list.GetColumnAt(2)->subItem, 2);
    EXPECT_EQ(list.GetColumnAt(3)->subItem, 3);
    EXPECT_EQ(list.GetItemText(1, 2), CString("2"));
    EXPECT_EQ(list.GetItemText(1, 3), CString("int"));
    EXPECT_EQ(list.GetItemText(1, 1), CString(""));
    // A number within the range renumbers nothing; position 0 is the item column's.
    EXPECT_EQ(list.InsertColumn(4, "Again", LVCFMT_LEFT, 5, 2), 4);
    EXPECT_EQ(list.GetColumnAt(2)->subItem, 2);
    EXPECT_TRUE(list.DeleteColumn(4));

    // Deleting gives the width to the item column, renumbers later sub-items; the item
    // column itself is not deleted.
    int subItem = -1;
    EXPECT_EQ(list.FindColumn("Value", &subItem), 2);
    EXPECT_EQ(subItem, 2);
    EXPECT_TRUE(list.DeleteColumnByName("Addr"));
    EXPECT_EQ(list.GetColumnWidth(0), 80 + 5 + 30);
    EXPECT_EQ(list.GetColumnAt(1)->subItem, 1);
    EXPECT_EQ(list.GetItemText(1, 2), CString("int"));
    EXPECT_FALSE(list.DeleteColumn(0));
    list.SetListExtendedStyle(DLS_EX_KEEPWIDTHONDELETE);
    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetColumnWidth(0), 115);

    // A caller's buffer gets its capacity less one and a NUL.
    char buffer[4] = "xxx";
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = buffer;
    info.cchTextMax = 3;
    EXPECT_TRUE(list.GetColumn(0, &info));
    EXPECT_STREQ(buffer, "Na");
    list.SetItemText(0, 0, "abcdef");
    EXPECT_EQ(list.GetItemText(0, 0, buffer, 4), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_FALSE(list.GetColumn(9, &info));
}

TEST_F(Model, NextItemFollowsStatesAndDirections)
{
    DrawnListCtrl &list = MakeFilled({{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}});
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_CUT, LVIS_CUT);
    struct {
        int start;
        UINT flags;
        int want;
    } cases[] = {
        {-1, LVNI_SELECTED, 0},  {0, LVNI_SELECTED, 2},    {2, LVNI_SELECTED, -1},
        {0, LVNI_SELECTED | LVNI_ABOVE, -1}, {3, LVNI_SELECTED | LVNI_ABOVE, 2}, {-1, LVNI_FOCUSED, 0},
        {0, LVNI_CUT, 3},        {1, LVNI_ALL, 2},         {3, LVNI_ALL, -1},
        {2, LVNI_TOLEFT, 1},     {0, LVNI_BELOW, 1},       {0, 0x10, -1},
    };
    for (const auto &each : cases)
        EXPECT_EQ(list.GetNextItem(each.start, each.flags), each.want) << each.start << " " << each.flags;
}

TEST_F(Model, CallbackTextsAreAskedOfTheOwnerEachTimeUnlessItAsksToKeepThem)
{
    DrawnListCtrl &list = MakeFilled({{"a", ""}});
    list.SetItemText(0, 0, LPSTR_TEXTCALLBACKA);
    static char answer[] = "owner's long text";
    int asked = 0;
    bool keep = false;
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == LVN_GETDISPINFOA) {
            ++asked;
            NMLVDISPINFOA *info = reinterpret_cast<NMLVDISPINFOA *>(header);
            info->item.pszText = answer; // its own pointer
            if (keep)
                info->item.mask |= LVIF_DI_SETITEM;
        }
        return 0;
    };
    char buffer[8];
    EXPECT_EQ(list.GetItemText(0, 0, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "owner's");
    EXPECT_EQ(list.GetItemText(0, 0), CString("owner's long text"));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(list.NeedsDispInfo(0));
    // Asked while painting with LVIF_DI_SETITEM: stored, never asked again.
    keep = true;
    list.UpdateWindow();
    list.Invalidate(FALSE);
    QelPaintPending();
    int after = asked;
    EXPECT_FALSE(list.NeedsDispInfo(0));
    EXPECT_EQ(list.GetItemText(0, 0), CString("owner's long text"));
    EXPECT_EQ(asked, after);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    keep = false;
    EXPECT_TRUE(list.SetItemText(0, 0, LPSTR_TEXTCALLBACKA));
    EXPECT_TRUE(list.NeedsDispInfo(0));
    EXPECT_TRUE(list.GetItem(&item, TRUE, FALSE));
    EXPECT_EQ(item.pszText, LPSTR_TEXTCALLBACKA);
}

TEST_F(Model, CreationMovesTheListStylesAndFlowLayoutGetsItsOneColumn)
{
    DrawnListCtrl &flow = Make(LVS_SINGLESEL | LVS_NOLABELWRAP, DLS_EX_ROWLINES | 0x200);
    EXPECT_EQ(flow.GetListStyle(), DWORD(LVS_SINGLESEL | LVS_NOLABELWRAP | LVS_NOCOLUMNHEADER));
    EXPECT_EQ(flow.GetListExtendedStyle(), DWORD(DLS_EX_ROWLINES));
    EXPECT_EQ(flow.GetStyle() & 0xF3FF, 0u);
    EXPECT_EQ(GetWindowLongA(flow.m_hWnd, GWL_EXSTYLE) & 0x0FF00000, 0);
    EXPECT_EQ(flow.GetColumnCount(), 1);
    EXPECT_EQ(flow.InsertColumn(0, "Item", LVCFMT_RIGHT, 7, 3), 0);
    EXPECT_EQ(flow.GetColumnFormat(0), LVCFMT_LEFT);
    EXPECT_EQ(flow.GetColumnAt(0)->subItem, 0);
    EXPECT_FALSE(flow.IsHeaderShown());
    EXPECT_EQ(flow.GetImageList(3), nullptr);
    EXPECT_EQ(flow.SetImageList(nullptr, 7), nullptr);
}

} // namespace
