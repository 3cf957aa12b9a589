#include "drawnlisttesting.h"

#include "afxdc.h"
#include "imagelist.h"

namespace {

using Painting = DrawnListTest;

COLORREF Inverted(COLORREF color)
{
    return color ^ 0xFFFFFF;
}

// Report layout, 198x98 inside the border: an 18-pixel header, rows of 13 pixels from y 18
// (one line of the 6x13 font); a label at x 5 of its cell; the item cell's highlight from
// the cell's left to the label's right edge (5 + 6 per character).
TEST_F(Painting, SelectionFocusAndDropHighlightColourTheItemCell)
{
    DrawnListCtrl &list = MakeFilled({{"alpha", "1"}, {"beta", "2"}, {"gamma", "3"}});
    list.SetFocus();
    list.SetDropHighlight(1);
    {
        ListShot shot(list);
        EXPECT_EQ(shot.At(0, 18), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(shot.At(34, 30), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(shot.At(35, 18), Sys(COLOR_WINDOW));
        EXPECT_EQ(shot.Read({0, 18, 80, 31}, Sys(COLOR_HIGHLIGHTTEXT)), "alpha");
        EXPECT_EQ(shot.Read({80, 18, 180, 31}, Sys(COLOR_WINDOWTEXT)), "1"); // a sub-item is not selected
        // The drop-highlighted row swaps its item cell's colours.
        EXPECT_EQ(shot.Count({0, 31, 29, 44}, Sys(COLOR_WINDOWTEXT)) + shot.Count({0, 31, 29, 44}, Sys(COLOR_WINDOW)),
                  29 * 13);
        EXPECT_EQ(shot.Read({0, 31, 80, 44}, Sys(COLOR_WINDOW)), "beta");
        EXPECT_EQ(shot.Read({0, 44, 180, 57}, Sys(COLOR_WINDOWTEXT)), "gamma        3");
        EXPECT_EQ(shot.Count({0, 57, 198, 98}, Sys(COLOR_WINDOW)), 198 * 41);
        // The header: push buttons on the button face, texts in the button-text colour.
        EXPECT_EQ(shot.At(40, 9), Sys(COLOR_BTNFACE));
        EXPECT_EQ(shot.Read({0, 0, 198, 18}, Sys(COLOR_BTNTEXT)), "Name         Value");
        EXPECT_EQ(shot.At(190, 9), Sys(COLOR_BTNFACE));
    }
    // Without the focus the selection does not show, unless 0x8 asks for it: then in the
    // inactive selection's menu colours.
    parent_.SetFocus();
    {
        ListShot shot(list);
        EXPECT_EQ(shot.At(0, 18), Sys(COLOR_WINDOW));
        EXPECT_EQ(shot.Read({0, 18, 80, 31}, Sys(COLOR_WINDOWTEXT)), "alpha");
    }
    list.ModifyListStyle(0, DLS_SHOWSELALWAYS);
    {
        ListShot shot(list);
        EXPECT_EQ(shot.At(0, 18), Sys(COLOR_MENU));
        EXPECT_EQ(shot.Read({0, 18, 80, 31}, Sys(COLOR_MENUTEXT)), "alpha");
    }
    // A disabled list is grey on the menu colour throughout.
    list.EnableWindow(FALSE);
    {
        ListShot shot(list);
        EXPECT_EQ(shot.At(100, 80), Sys(COLOR_MENU));
        EXPECT_EQ(shot.At(0, 18), Sys(COLOR_MENU));
        EXPECT_EQ(shot.Read({0, 18, 180, 57}, Sys(COLOR_GRAYTEXT)), "alpha        1\nbeta         2\ngamma        3");
    }
}

TEST_F(Painting, FullRowSelectionGridLinesAndFocusRectangle)
{
    DrawnListCtrl &list = MakeFilled({{"alpha", "1"}, {"beta", "2"}}, LVS_REPORT,
                                     DLS_EX_FULLROWSELECT | DLS_EX_ROWLINES | DLS_EX_COLUMNLINES);
    list.SetFocus();
    ListShot shot(list);
    EXPECT_EQ(shot.Read({80, 18, 180, 31}, Sys(COLOR_HIGHLIGHTTEXT)), "1");
    EXPECT_EQ(shot.At(150, 20), Sys(COLOR_HIGHLIGHT));
    // The focus rectangle from 3 pixels left of the label to the row's end, dotted.
    EXPECT_EQ(shot.At(2, 18), Inverted(Sys(COLOR_HIGHLIGHT)));
    EXPECT_EQ(shot.At(1, 18), Sys(COLOR_HIGHLIGHT));
    // Grid: the columns' last pixels and each row's bottom pixel in the shadow colour.
    EXPECT_EQ(shot.At(79, 35), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(179, 35), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(100, 43), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(100, 42), Sys(COLOR_WINDOW));
    EXPECT_EQ(shot.At(190, 43), Sys(COLOR_WINDOW)); // past the last column
    EXPECT_EQ(shot.At(100, 50), Sys(COLOR_WINDOW));
}

TEST_F(Painting, HeaderEllipsisSingleLineLabelsAndIcons)
{
    DrawnListCtrl &list = Make(LVS_REPORT | LVS_NOLABELWRAP);
    list.AddColumn("Name", LVCFMT_LEFT, 30, 0);
    list.AddColumn("Value", LVCFMT_RIGHT, 100, -1);
    list.InsertItem(0, "abcdefgh\nsecond");
    list.SetItemText(0, 1, "7");
    {
        ListShot shot(list);
        std::string header = shot.Read({0, 0, 30, 18}, Sys(COLOR_BTNTEXT));
        EXPECT_EQ(header.substr(header.size() - 3), "...");
        // Only the first line, cut with an ellipsis inside 30 - 10 pixels; the value on the right.
        std::string label = shot.Read({0, 18, 30, 31}, Sys(COLOR_WINDOWTEXT));
        EXPECT_EQ(label.substr(label.size() - 3), "...");
        EXPECT_EQ(shot.Read({30, 18, 130, 31}, Sys(COLOR_WINDOWTEXT)), "7");
        // Right-aligned at 130 - 5: the glyph's cell is 119 to 125.
        EXPECT_NE(shot.Count({119, 18, 125, 31}, Sys(COLOR_WINDOWTEXT)), 0);
        EXPECT_EQ(shot.Count({30, 18, 119, 31}, Sys(COLOR_WINDOWTEXT)), 0);
    }
    // An icon of 16 pixels makes the row 16 high, the icon at (2, 2) of the cell, the
    // label 5 pixels right of it.
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR, 1, 0));
    {
        CClientDC screen(&parent_);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&screen, 16, 16);
        CBitmap *before = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, 16, 16, RGB(0x10, 0xA0, 0xB0));
        dc.SelectObject(before);
        images.Add(&bitmap, static_cast<CBitmap *>(nullptr));
    }
    list.SetImageList(&images, LVSIL_SMALL);
    images.DeleteImageList();
    CRect label;
    ASSERT_TRUE(list.GetCellRect(0, 0, &label, 2));
    EXPECT_EQ(label, CRect(23, 19, 23 + 48, 19 + 13));
    ListShot shot(list);
    EXPECT_EQ(shot.At(2, 20), RGB(0x10, 0xA0, 0xB0));
    EXPECT_EQ(shot.At(17, 33), RGB(0x10, 0xA0, 0xB0));
    EXPECT_EQ(shot.At(1, 20), Sys(COLOR_WINDOW));
}

TEST_F(Painting, BothScrollBarsLeaveTheCornerBoxInTheButtonFace)
{
    DrawnListCtrl &list = Make();
    list.AddColumn("Name", LVCFMT_LEFT, 150, 0);
    list.AddColumn("Value", LVCFMT_LEFT, 150, -1);
    for (int row = 0; row < 40; ++row)
        list.InsertItem(row, "row");
    ASSERT_NE(list.GetScrollBarCtrl(SB_HORZ), nullptr);
    ASSERT_NE(list.GetScrollBarCtrl(SB_VERT), nullptr);
    CRect rows;
    list.GetListClientRect(&rows);
    int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_EQ(rows, CRect(0, 18, 198 - (cx - 1), 98 - (cy - 1)));
    ListShot shot(list);
    EXPECT_EQ(shot.At(197, 97), Sys(COLOR_BTNFACE));
    EXPECT_EQ(list.GetCountPerPage(), (rows.Height()) / 13);
}

} // namespace
