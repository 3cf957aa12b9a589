#include "drawntreetesting.h"

#include "afxdatax.h"
#include "imagelist.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowstate.h"

namespace {

using TreeDrag = DrawnTreeTest;

// The drag image is the icon, 6 pixels, then the text's extent (6 a character, 13 high),
// the text's background and the icon's mask transparent.
TEST_F(TreeDrag, TheDragImageHoldsTheIconAndTheTextSixPixelsApart)
{
    DrawnTreeCtrl &tree = Make();
    const COLORREF kIcon = RGB(200, 0, 0);
    tree.SetImageList(Images(16, {kIcon}), TVSIL_NORMAL);
    HTREEITEM item = tree.InsertItem("drag", 0, 0);
    HTREEITEM bare = tree.InsertItem("bare");
    std::unique_ptr<CImageList> image(tree.CreateDragImage(item));
    ASSERT_NE(image, nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(image->m_hImageList, &cx, &cy));
    EXPECT_EQ(cx, 16 + 6 + 24);
    EXPECT_EQ(cy, 16);
    CClientDC screen(&parent_);
    CDC dc;
    dc.CreateCompatibleDC(&screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&screen, cx, cy);
    CBitmap *before = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, cx, cy, kQelPaper);
    image->Draw(&dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    int icon = 0, text = 0, paper = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            COLORREF pixel = dc.GetPixel(x, y);
            icon += x < 16 && pixel == kIcon ? 1 : 0;
            text += x >= 22 && pixel == Sys(COLOR_WINDOWTEXT) ? 1 : 0;
            paper += x >= 16 && pixel == kQelPaper ? 1 : 0;
        }
    RECT letters = {22, 0, cx, cy};
    char read[16];
    QelReadText(dc, &letters, Sys(COLOR_WINDOWTEXT), read, sizeof read);
    dc.SelectObject(before);
    EXPECT_EQ(icon, 256);
    EXPECT_GT(text, 0);
    EXPECT_EQ(paper + text, 30 * 16);
    EXPECT_STREQ(read, "drag");
    // No icon, or no such item: no image.
    EXPECT_EQ(tree.CreateDragImage(bare), nullptr);
    tree.DeleteItem(bare);
    EXPECT_EQ(tree.CreateDragImage(bare), nullptr);
}

// A form whose exchange puts a tree in place of its item 101.
class Form : public CWnd {
public:
    DrawnTreeBaseC *tree = nullptr;

protected:
    void DoDataExchange(CDataExchange *exchange) override { DDX_SECControl(exchange, 101, *tree); }
};

class RefusingTree : public DrawnTreeCtrl {
public:
    using DrawnTreeCtrl::Create;
    BOOL Create(DWORD, DWORD, const RECT &, CWnd *, UINT, LPVOID) override { return FALSE; }
};

TEST_F(TreeDrag, TheDialogExchangeReplacesTheItemInItsPlaceOrFails)
{
    // An extended style the item has (a sunken edge) goes on to the tree.
    const DWORD kItemExStyle = 0x200;
    Form form;
    ASSERT_TRUE(form.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    auto item = [&](int id, DWORD style, int x) {
        return CreateWindowExA(kItemExStyle, "STATIC", "", WS_CHILD | WS_VISIBLE | style, x, 10, 80, 60,
                               form.m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    };
    HWND before = item(100, 0, 0);
    item(101, WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS, 90);
    HWND after = item(102, 0, 180);
    DrawnTreeCtrl tree;
    form.tree = &tree;
    ASSERT_TRUE(form.UpdateData(FALSE));
    ASSERT_NE(tree.m_hWnd, nullptr);
    EXPECT_EQ(tree.GetDlgCtrlID(), 101);
    EXPECT_EQ(::GetDlgItem(form.m_hWnd, 101), tree.m_hWnd);
    CRect rect;
    tree.GetWindowRect(&rect);
    EXPECT_EQ(rect, CRect(90, 10, 170, 70));
    EXPECT_EQ(tree.GetTreeStyle(), static_cast<DWORD>(TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS));
    EXPECT_NE(tree.GetStyle() & WS_TABSTOP, 0u);
    EXPECT_NE(static_cast<DWORD>(::GetWindowLongA(tree.m_hWnd, GWL_EXSTYLE)) & kItemExStyle, 0u);
    // 0x800000 turns the label tips on.
    EXPECT_TRUE(tree.AreLabelTipsEnabled());
    EXPECT_EQ(::GetWindow(before, GW_HWNDNEXT), tree.m_hWnd);
    EXPECT_EQ(::GetWindow(tree.m_hWnd, GW_HWNDNEXT), after);
    EXPECT_EQ(::GetWindow(after, GW_HWNDPREV), tree.m_hWnd);
    // With a window already, the exchange leaves it be.
    ASSERT_TRUE(form.UpdateData(FALSE));
    EXPECT_EQ(::GetDlgItem(form.m_hWnd, 101), tree.m_hWnd);
    tree.DestroyWindow();
    // A creation that fails fails the exchange.
    item(101, 0, 90);
    RefusingTree refusing;
    form.tree = &refusing;
    EXPECT_FALSE(form.UpdateData(FALSE));
    EXPECT_EQ(refusing.m_hWnd, nullptr);
    form.DestroyWindow();
}

TEST(WindowZOrder, SetWindowPosMovesAChildAmongItsSiblings)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HWND a = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    HWND c = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    EXPECT_TRUE(SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
    EXPECT_TRUE(SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
    EXPECT_EQ(GetWindow(a, GW_HWNDPREV), nullptr);
    // SWP_NOZORDER keeps the order; a window of another parent is no place to go.
    EXPECT_TRUE(SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    EXPECT_FALSE(SetWindowPos(a, parent, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    DestroyWindow(parent);
}

} // namespace
