#include "drawntreetesting.h"

#include "drawntreepaint.h"
#include "imagelist.h"

namespace {

using TreePainting = DrawnTreeTest;

COLORREF Inverted(COLORREF color)
{
    return color ^ 0xFFFFFF;
}

const COLORREF kWhite = RGB(255, 255, 255);

// A tree of 198x98 inside its border, indent 20, with root lines: rows of 16 pixels (a
// 13-pixel line, 1 above and below, rounded up to even). A top-level item starts at
// x0 = 20, its label at x0 + 6 = 26; a child's at 46. Without images the button is
// s = 8, one larger: 9x9 around cx = (level - 1) * 20 + 8 + 20 and the label's middle
// made even, so (4, 4)-(12, 12) in row 0 with its centre at (8, 8).
TEST_F(TreePainting, IndentButtonsAndDottedLinesLieWhereWorkedOut)
{
    DrawnTreeCtrl &tree = Make();
    HTREEITEM top = tree.InsertItem("top");
    tree.InsertItem("one", top);
    tree.InsertItem("two", top);
    HTREEITEM next = tree.InsertItem("next");
    tree.InsertItem("kid", next);
    tree.Expand(top, TVE_EXPAND);
    COLORREF shadow = Sys(COLOR_BTNSHADOW), window = Sys(COLOR_WINDOW), text = Sys(COLOR_WINDOWTEXT);
    {
        ListShot shot(tree);
        // Row 0: a minus in a white box outlined in the shadow colour.
        EXPECT_EQ(shot.At(4, 4), shadow);
        EXPECT_EQ(shot.At(12, 12), shadow);
        EXPECT_EQ(shot.At(12, 4), shadow);
        EXPECT_EQ(shot.At(5, 5), kWhite);
        EXPECT_EQ(shot.Count({6, 8, 11, 9}, text), 5);
        EXPECT_EQ(shot.At(5, 8), kWhite);
        EXPECT_EQ(shot.At(11, 8), kWhite);
        EXPECT_EQ(shot.At(8, 6), kWhite);
        EXPECT_EQ(shot.At(3, 8), window);
        // From the button to one pixel before the label, dots on even x.
        EXPECT_EQ(shot.At(14, 8), shadow);
        EXPECT_EQ(shot.At(15, 8), window);
        EXPECT_EQ(shot.At(24, 8), shadow);
        EXPECT_EQ(shot.At(25, 8), window);
        // Below the button, towards "next": the next sibling's line.
        EXPECT_EQ(shot.At(8, 14), shadow);
        EXPECT_EQ(shot.At(8, 15), window);
        // Row 1, "one": its line from the row's top to its middle at (28, 24), the line
        // on to "two", and the parent's line through the row at x 8.
        EXPECT_EQ(shot.At(28, 16), shadow);
        EXPECT_EQ(shot.At(28, 17), window);
        EXPECT_EQ(shot.At(28, 30), shadow);
        EXPECT_EQ(shot.At(30, 24), shadow);
        EXPECT_EQ(shot.At(44, 24), shadow);
        EXPECT_EQ(shot.At(45, 24), window);
        EXPECT_EQ(shot.At(8, 16), shadow);
        EXPECT_EQ(shot.At(8, 30), shadow);
        // Row 2, "two" is the last child: nothing below its middle.
        EXPECT_EQ(shot.At(28, 40), shadow);
        EXPECT_EQ(shot.At(28, 42), window);
        // Row 3, "next": a plus, collapsed; the last top-level item, so no line below.
        EXPECT_EQ(shot.Count({6, 56, 11, 57}, text), 5);
        EXPECT_EQ(shot.Count({8, 54, 9, 59}, text), 5);
        EXPECT_EQ(shot.At(8, 62), window);
        EXPECT_EQ(shot.Read({26, 0, 198, 64}, text), "top\none\ntwo\nnext");
        EXPECT_EQ(shot.Read({26, 16, 46, 48}, text), "");
    }
    // Scrolled one pixel to the right, everything moves one pixel left and the dots with
    // it: their parity is the content's, not the window's.
    tree.SetItemText(next, "a label long enough to be scrolled beyond the window's width");
    tree.ScrollHorizontal(-1);
    {
        ListShot shot(tree);
        EXPECT_EQ(shot.At(3, 4), shadow);
        EXPECT_EQ(shot.At(13, 8), shadow);
        EXPECT_EQ(shot.At(14, 8), window);
        EXPECT_EQ(shot.At(27, 16), shadow);
    }
}

// With a 16-pixel icon the button is s = 16 * 20 / 33 = 9 (odd, so not larger), centred
// at half the icon's width in the indent slot: (4, 4)-(12, 12) again. The state image
// stands at x0 = 20, the icon after it at 36, the label 6 further at 58.
TEST_F(TreePainting, StateImageIconAndOverlayStandBeforeTheLabel)
{
    DrawnTreeCtrl &tree = Make(TVS_HASBUTTONS | TVS_LINESATROOT);
    const COLORREF kState = RGB(0, 160, 0), kIcon = RGB(200, 0, 0), kOther = RGB(0, 0, 200), kMark = RGB(250, 200, 0);
    CImageList *states = Images(16, {RGB(1, 1, 1), kState, kOther});
    // The icon, and as overlay 1 a 4x4 mark in the top-left corner, transparent elsewhere.
    CImageList *icons = Images(16, {kIcon}, RGB(255, 0, 255));
    {
        CClientDC screen(&parent_);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&screen, 16, 16);
        CBitmap *before = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, 16, 16, RGB(255, 0, 255));
        dc.FillSolidRect(0, 0, 4, 4, kMark);
        dc.SelectObject(before);
        icons->Add(&bitmap, RGB(255, 0, 255));
        ASSERT_TRUE(ImageList_SetOverlayImage(icons->m_hImageList, 1, 1));
    }
    tree.SetImageList(states, TVSIL_STATE);
    tree.SetImageList(icons, TVSIL_NORMAL);
    HTREEITEM item = tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_STATE, "item", 0, 0,
                                     INDEXTOSTATEIMAGEMASK(1) | INDEXTOOVERLAYMASK(1), 0xFFFF, 0, TVI_ROOT, TVI_LAST);
    tree.InsertItem("child", item);
    HTREEITEM bare = tree.InsertItem("bare", 0, 0);
    ListShot shot(tree);
    EXPECT_EQ(shot.Count({20, 0, 36, 16}, kState), 256);
    EXPECT_EQ(shot.Count({36, 0, 52, 16}, kMark), 16);
    EXPECT_EQ(shot.At(36, 0), kMark);
    EXPECT_EQ(shot.At(40, 4), kIcon);
    EXPECT_EQ(shot.Count({36, 0, 52, 16}, kIcon), 256 - 16);
    EXPECT_EQ(shot.At(4, 4), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(12, 12), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.At(5, 5), kWhite);
    EXPECT_EQ(shot.Read({58, 0, 198, 16}, Sys(COLOR_WINDOWTEXT)), "item");
    // No state index: no slot; the icon at x0.
    EXPECT_EQ(shot.Count({20, 16, 36, 32}, kIcon), 256);
    EXPECT_EQ(shot.Read({42, 16, 198, 32}, Sys(COLOR_WINDOWTEXT)), "bare");
    UINT flags = 0;
    EXPECT_EQ(tree.HitTest(25, 8, &flags), item);
    EXPECT_EQ(flags, 0x4000u | TVHT_ONITEMSTATEICON);
    EXPECT_EQ(tree.HitTest(40, 8, &flags), item);
    EXPECT_EQ(flags, 0x4000u | TVHT_ONITEMICON);
    EXPECT_EQ(tree.HitTest(15, 24, &flags), bare);
    EXPECT_EQ(flags, 0x4000u | TVHT_ONITEMINDENT);
}

TEST_F(TreePainting, BoldDisabledFocusAndTheSingleLineEllipsis)
{
    DrawnTreeCtrl &tree = Make(0, 0, CRect(0, 0, 200, 100));
    HTREEITEM plain = tree.InsertItem("Name");
    HTREEITEM bold = tree.InsertItem("Name");
    HTREEITEM grey = tree.InsertItem("grey");
    tree.InsertItem("kid", grey, TVI_LAST);
    tree.InsertItem("first line\nsecond line that is not shown");
    tree.SetItemState(bold, TVIS_BOLD, TVIS_BOLD);
    DrawnTreeItemFlags disabled;
    disabled.valid = 1;
    disabled.value = disabled.mask = DTF_DISABLED;
    tree.SetItemFlags(grey, &disabled);
    tree.Expand(grey, TVE_EXPAND);
    COLORREF text = Sys(COLOR_WINDOWTEXT);
    // Without root lines a top-level label starts at 6.
    CRect plainRect, boldRect;
    tree.GetItemRect(plain, &plainRect, TRUE);
    tree.GetItemRect(bold, &boldRect, TRUE);
    EXPECT_EQ(plainRect.left, 6);
    EXPECT_EQ(boldRect.Width(), plainRect.Width());
    {
        ListShot shot(tree);
        int regular = shot.Count({0, 0, 198, 16}, text), heavy = shot.Count({0, 16, 198, 32}, text);
        EXPECT_GT(heavy, regular);
        EXPECT_EQ(shot.Read({0, 16, 198, 32}, text), "Name");
        // Disabled, and its child with it, in grey.
        EXPECT_EQ(shot.Read({0, 32, 198, 64}, Sys(COLOR_GRAYTEXT)), "grey\nkid");
        EXPECT_EQ(shot.Read({0, 48, 26, 64}, Sys(COLOR_GRAYTEXT)), "");
        EXPECT_EQ(shot.Read({0, 64, 198, 80}, text), "first line");
    }
    DrawnTreePaintContext context;
    context.treeItem.state = TVIS_BOLD;
    tree.SetPaintFont(&context);
    LOGFONT face{};
    ASSERT_NE(context.font, nullptr);
    context.font->GetLogFont(&face);
    EXPECT_EQ(face.lfWeight, 700);
    // The focus rectangle, dotted, around the selected label (6-32: the text one pixel
    // inside), which is in the highlight colours.
    tree.SetFocus();
    tree.Select(plain, TVGN_CARET);
    {
        ListShot shot(tree);
        EXPECT_EQ(shot.At(5, 0), Sys(COLOR_WINDOW));
        EXPECT_EQ(shot.At(6, 0), Inverted(Sys(COLOR_HIGHLIGHT)));
        EXPECT_EQ(shot.At(7, 0), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(shot.At(31, 13), Inverted(Sys(COLOR_HIGHLIGHT)));
        EXPECT_EQ(shot.At(31, 14), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(shot.At(32, 0), Sys(COLOR_WINDOW));
        EXPECT_EQ(shot.Read({0, 0, 198, 16}, Sys(COLOR_HIGHLIGHTTEXT)), "Name");
    }
    // A narrow first column cuts a long single-line label with an ellipsis: the label
    // from 6 to 60 - 5, its text one pixel inside, 7 cells of 6 pixels.
    tree.SetColumnWidth(0, 60);
    tree.AddColumn("Value", LVCFMT_LEFT, 100, 1);
    tree.SetItemText(plain, "abcdefghijklmnop");
    parent_.SetFocus();
    {
        ListShot shot(tree);
        EXPECT_EQ(shot.Read({0, 0, 60, 16}, text), "abcd...");
    }
}

// Multi-line labels: "name\{HI}value" shows the name, then the value wrapped in a block
// that starts right of the name; the marker is not drawn.
TEST_F(TreePainting, AHangingIndentLabelWrapsItsValueRightOfTheName)
{
    DrawnTreeCtrl &tree = Make(0, 0, CRect(0, 0, 110, 100));
    tree.SetMultiLineLabels(TRUE);
    EXPECT_EQ(tree.GetTreeExStyle() & DTS_EX_MULTILINELABELS, static_cast<DWORD>(DTS_EX_MULTILINELABELS));
    tree.InsertItem("n = \\{HI}one two three four");
    ListShot shot(tree);
    // The label from 6 to 108 - 5, its text one pixel inside: the name's 4 cells from 7 to
    // 31, the value from 31 to 102, 11 cells.
    EXPECT_EQ(shot.Read({0, 0, 108, 60}, Sys(COLOR_WINDOWTEXT)), "n = one two\nthree four");
    EXPECT_EQ(shot.Read({31, 14, 108, 28}, Sys(COLOR_WINDOWTEXT)), "three four");
    EXPECT_EQ(shot.Read({0, 14, 31, 28}, Sys(COLOR_WINDOWTEXT)), "");
}

} // namespace
