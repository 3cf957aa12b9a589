#include "drawnlisttesting.h"

#include "testing/messagepump.h"

#include <set>

namespace {

using Input = DrawnListTest;

// Rows of 13 pixels from y 18: the middle of row r's label is at (10, 24 + 13 r).
void Click(CWnd &list, int row, WPARAM keys = 0, bool right = false)
{
    int y = 24 + 13 * row;
    QelSendMouse(list.m_hWnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, 10, y, keys | (right ? MK_RBUTTON : MK_LBUTTON));
    QelSendMouse(list.m_hWnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 10, y, keys);
}

std::vector<std::pair<const char *, const char *>> Rows(int count)
{
    static std::vector<std::string> names;
    names.clear();
    for (int row = 0; row < count; ++row)
        names.push_back("r" + std::to_string(row));
    std::vector<std::pair<const char *, const char *>> rows;
    for (const std::string &name : names)
        rows.push_back({name.c_str(), "v"});
    return rows;
}

// A list whose selection hook says no while `veto` is set.
class VetoList : public DrawnListCtrl {
public:
    bool veto = false;
    LRESULT OnSelChanging(int, int, BOOL) override { return veto ? 1 : 0; }
};

TEST_F(Input, ClicksAndKeysSelectWithShiftAndCtrlAsUsersExpect)
{
    DrawnListCtrl &list = MakeFilled(Rows(6));
    Click(list, 2);
    EXPECT_EQ(Selection(list), std::vector<int>{2});
    Click(list, 4, MK_CONTROL);
    EXPECT_EQ(Selection(list), (std::vector<int>{2, 4}));
    Click(list, 4, MK_CONTROL); // a selected row is deselected and becomes the caret
    EXPECT_EQ(Selection(list), std::vector<int>{2});
    EXPECT_EQ(list.GetFocusItem(), 4);
    Click(list, 5, MK_SHIFT); // from the anchor, 4
    EXPECT_EQ(Selection(list), (std::vector<int>{4, 5}));
    Click(list, 5, MK_SHIFT); // on the focus row: nothing
    EXPECT_EQ(Selection(list), (std::vector<int>{4, 5}));
    Click(list, 4, 0, true); // a right click in the selection keeps it
    EXPECT_EQ(Selection(list), (std::vector<int>{4, 5}));
    EXPECT_EQ(list.GetFocusItem(), 4);
    QelSendKey(nullptr, VK_DOWN, MK_CONTROL); // only the caret moves
    EXPECT_EQ(list.GetFocusItem(), 5);
    EXPECT_EQ(Selection(list), (std::vector<int>{4, 5}));
    QelSendKey(nullptr, VK_UP, 0);
    EXPECT_EQ(Selection(list), std::vector<int>{4});
    QelSendKey(nullptr, VK_SPACE, 0);
    EXPECT_EQ(Selection(list), std::vector<int>{});
    QelSendKey(nullptr, VK_HOME, 0);
    EXPECT_EQ(Selection(list), std::vector<int>{0});
    QelSendKey(nullptr, VK_UP, 0); // from row 0: nothing
    EXPECT_EQ(list.GetFocusItem(), 0);
    QelSendKey(nullptr, VK_NEXT, 0); // no vertical bar: as End
    EXPECT_EQ(Selection(list), std::vector<int>{5});
    // From no focus row Down goes to row 0.
    list.SetItemState(5, 0, LVIS_FOCUSED);
    QelSendKey(nullptr, VK_DOWN, 0);
    EXPECT_EQ(list.GetFocusItem(), 0);
    EXPECT_EQ(Selection(list), std::vector<int>{0});

    // With single selection Shift and Ctrl are ignored.
    list.SetMultipleSelection(FALSE);
    Click(list, 3, MK_CONTROL);
    Click(list, 1, MK_SHIFT);
    EXPECT_EQ(Selection(list), std::vector<int>{1});
}

TEST_F(Input, AVetoedCtrlOrShiftClickBlocksThemUntilAPlainClickIsLetThrough)
{
    auto list = std::make_unique<VetoList>();
    ASSERT_TRUE(list->Create(LVS_REPORT | WS_CHILD | WS_VISIBLE | WS_BORDER, 0, CRect(0, 0, 200, 100), &parent_, 5,
                             nullptr));
    list->SetRedraw(TRUE);
    list->AddColumn("Name", LVCFMT_LEFT, 80, 0);
    for (int row = 0; row < 5; ++row)
        list->InsertItem(row, "row");
    list->veto = true;
    Click(*list, 2, MK_CONTROL);
    list->veto = false;
    Click(*list, 3, MK_SHIFT);
    Click(*list, 3, MK_CONTROL);
    EXPECT_EQ(Selection(*list), std::vector<int>{0});
    Click(*list, 1);
    Click(*list, 3, MK_CONTROL);
    EXPECT_EQ(Selection(*list), (std::vector<int>{1, 3}));
}

TEST_F(Input, KeysAndButtonsTellTheParent)
{
    DrawnListCtrl &list = MakeFilled(Rows(3));
    list.SetFocus();
    parent_.log.clear();
    QelSendKey(nullptr, VK_RETURN, 0);
    QelSendKey(nullptr, VK_TAB, MK_SHIFT);
    QelSendKey(nullptr, VK_ESCAPE, 0);
    EXPECT_EQ(parent_.log, (std::vector<std::string>{"-155 13", "-4 -1", "-155 9", "-155 27"}));
    Pump(); // Tab and Esc were posted
    QelSendMouse(list.m_hWnd, WM_LBUTTONDBLCLK, 10, 24, MK_LBUTTON);
    QelSendMouse(list.m_hWnd, WM_RBUTTONUP, 10, 24, 0);
    parent_.SetFocus();
    EXPECT_EQ(parent_.log, (std::vector<std::string>{"-155 13", "-4 -1", "-155 9", "-155 27", "nextdlgctl 1",
                                                     "command 2", "-3 -1", "-5 -1", "-8 -1"}));
    EXPECT_EQ(list.SendMessage(WM_GETDLGCODE), 0x87);
}

TEST_F(Input, EveryScrollCodeMovesTheTopRowWithinTheRows)
{
    DrawnListCtrl &list = MakeFilled(Rows(40));
    ASSERT_NE(list.GetScrollBarCtrl(SB_VERT), nullptr);
    EXPECT_EQ(list.GetCountPerPage(), 6); // 80 pixels of rows
    auto scroll = [&](int code) {
        list.SendMessage(WM_VSCROLL, MAKEWPARAM(code, 0), 0);
        QelPaintPending();
        return list.GetTopIndex();
    };
    EXPECT_EQ(scroll(SB_LINEUP), 0);
    EXPECT_EQ(scroll(SB_LINEDOWN), 1);
    EXPECT_EQ(scroll(SB_PAGEDOWN), 7);
    EXPECT_EQ(scroll(SB_PAGEUP), 1);
    EXPECT_EQ(scroll(SB_BOTTOM), 34);
    EXPECT_EQ(scroll(SB_LINEDOWN), 34); // the last page is shown
    EXPECT_EQ(scroll(SB_PAGEDOWN), 34);
    EXPECT_EQ(scroll(SB_TOP), 0);
    EXPECT_EQ(scroll(SB_ENDSCROLL), 0);
    // The bar's own presses and thumb reach the list as the same codes.
    HWND bar = list.GetScrollBarCtrl(SB_VERT)->m_hWnd;
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 90));
    EXPECT_EQ(list.GetTopIndex(), 1);
    EXPECT_TRUE(QelScrollBarThumb(bar, 20, FALSE));
    EXPECT_EQ(list.GetTopIndex(), 20);
    EXPECT_TRUE(QelScrollBarThumb(bar, 50, TRUE));
    EXPECT_EQ(list.GetTopIndex(), 34);
    QelPaintPending();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &info);
    EXPECT_EQ(info.nPos, 34);
    EXPECT_EQ(info.nPage, 6u);
    EXPECT_EQ(info.nMax, 39);

    // The wheel: a notch is 120, summed; forward scrolls up.
    list.SendMessage(WM_VSCROLL, SB_TOP, 0);
    list.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 119), 0);
    EXPECT_EQ(list.GetTopIndex(), 1);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 1), 0);
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0); // at row 0: nothing
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(list.GetTopIndex(), 2);

    // Fewer rows than fit: back to row 0, the bar hidden.
    list.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    list.DeleteItems(3, 37);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_FALSE(IsWindowVisible(bar));
    CRect rows;
    list.GetListClientRect(&rows);
    EXPECT_EQ(rows.right, 198);
}

TEST_F(Input, HorizontalCodesMoveTheOffsetWithinTheWidth)
{
    DrawnListCtrl &list = Make();
    list.AddColumn("Name", LVCFMT_LEFT, 150, 0);
    list.AddColumn("Value", LVCFMT_LEFT, 150, -1);
    list.InsertItem(0, "row");
    CRect rows;
    list.GetListClientRect(&rows);
    int most = 300 - rows.Width();
    auto scroll = [&](int code) {
        list.SendMessage(WM_HSCROLL, MAKEWPARAM(code, 0), 0);
        return list.GetScrollOrigin().x;
    };
    EXPECT_EQ(scroll(SB_LINERIGHT), 15);
    EXPECT_EQ(scroll(SB_LINELEFT), 0);
    EXPECT_EQ(scroll(SB_LINELEFT), 0);
    EXPECT_EQ(scroll(SB_PAGERIGHT), most);
    EXPECT_EQ(scroll(SB_LEFT), 0);
    EXPECT_EQ(scroll(SB_RIGHT), most);
    EXPECT_EQ(scroll(SB_PAGELEFT), 0);
    EXPECT_EQ(list.GetColumnLeft(1), 150);
    EXPECT_TRUE(QelScrollBarThumb(list.GetScrollBarCtrl(SB_HORZ)->m_hWnd, 40, TRUE));
    EXPECT_EQ(list.GetScrollOrigin().x, 40);
    EXPECT_EQ(list.GetColumnLeft(1), 110);
    // Only a horizontal bar: the wheel moves it 15 pixels a notch.
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(list.GetScrollOrigin().x, 25);
}

// The divider of column 0 (80 wide) is at x 80 of the 18-pixel header.
TEST_F(Input, DraggingADividerByPostedInput)
{
    DrawnListCtrl &list = MakeFilled(Rows(3));
    auto drag = [&](const std::function<void()> &post) {
        int edge = list.GetColumnRight(0);
        post();
        QelSendMouse(list.m_hWnd, WM_LBUTTONDOWN, edge, 9, MK_LBUTTON);
        return list.m_hWnd != nullptr ? list.GetColumnWidth(0) : -1;
    };
    auto move = [&](int x) { QelPostMouse(list.m_hWnd, WM_MOUSEMOVE, x, 9, MK_LBUTTON); };
    auto release = [&](int x) { QelPostMouse(list.m_hWnd, WM_LBUTTONUP, x, 9, 0); };
    EXPECT_EQ(drag([&] { move(90); move(100); release(100); }), 100);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(drag([&] { move(3); release(3); }), 10); // never below 10
    EXPECT_EQ(drag([&] { move(60); QelPostKey(list.m_hWnd, VK_ESCAPE, 0); }), 10);
    EXPECT_EQ(drag([&] { move(60); QelPostMouse(list.m_hWnd, WM_RBUTTONDOWN, 60, 9, MK_RBUTTON); }), 10);
    EXPECT_EQ(drag([&] { move(60); list.PostMessage(WM_CANCELMODE); }), 10); // the capture is lost
    Pump();
    // WM_QUIT ends the drag and is there again for the loop outside.
    EXPECT_EQ(drag([&] { move(60); PostQuitMessage(3); }), 10);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    Pump();
    // The list destroyed by a message the loop dispatches: the drag ends, touching nothing.
    EXPECT_EQ(drag([&] { move(60); list.PostMessage(WM_CLOSE); }), -1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, ADividerDragInAFilledListTakesFromTheNextColumn)
{
    DrawnListCtrl &list = MakeFilled(Rows(2), LVS_REPORT, DLS_EX_FILLITEMCOLUMN);
    EXPECT_EQ(list.GetColumnWidth(0), 98);
    QelPostMouse(list.m_hWnd, WM_MOUSEMOVE, 120, 9, MK_LBUTTON);
    QelPostMouse(list.m_hWnd, WM_LBUTTONUP, 120, 9, 0);
    QelSendMouse(list.m_hWnd, WM_LBUTTONDOWN, 98, 9, MK_LBUTTON);
    EXPECT_EQ(list.GetColumnWidth(0), 120);
    EXPECT_EQ(list.GetColumnWidth(1), 78);
    // The next column is raised to 5; column 0 gives the excess.
    QelPostMouse(list.m_hWnd, WM_LBUTTONUP, 196, 9, 0);
    QelSendMouse(list.m_hWnd, WM_LBUTTONDOWN, 120, 9, MK_LBUTTON);
    EXPECT_EQ(list.GetColumnWidth(1), 5);
    EXPECT_EQ(list.GetColumnWidth(0), 193);
    // Over a divider the list shows its own cursor.
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 193, 9, 0);
    EXPECT_EQ(GetCursor(), LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_DRAWNLIST_DIVIDER)));
    EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(Input, EditingALabelInPlaceAsksTheOwnerAtBothEnds)
{
    DrawnListCtrl &list = MakeFilled(Rows(4), LVS_REPORT | LVS_EDITLABELS | LVS_NOLABELWRAP);
    list.SetFocus();
    LRESULT begin = 0, end = 0;
    std::function<void()> duringEnd;
    parent_.answer = [&](NMHDR *header) -> LRESULT {
        if (header->code == LVN_BEGINLABELEDITA)
            return begin;
        if (header->code == LVN_ENDLABELEDITA) {
            NMLVDISPINFOA *info = reinterpret_cast<NMLVDISPINFOA *>(header);
            if (info->item.pszText != nullptr)
                info->item.pszText[0] = 'X'; // the owner changes what is taken
            if (duringEnd)
                duringEnd();
            return end;
        }
        return 0;
    };
    // Refused at the beginning: no edit.
    begin = 1;
    QelSendKey(nullptr, VK_F2, 0);
    EXPECT_EQ(list.GetEditControl()->m_hWnd, nullptr);
    EXPECT_EQ(list.GetEditRow(), -1);
    // Typed, then refused at the end: the old text comes back, though the cell showed
    // the typed one.
    begin = 0;
    QelSendKey(nullptr, VK_F2, 0);
    ASSERT_NE(list.GetEditControl()->m_hWnd, nullptr);
    EXPECT_EQ(GetFocus(), list.GetEditControl()->m_hWnd);
    CRect place;
    list.GetEditControl()->GetWindowRect(&place);
    EXPECT_EQ(place, CRect(1 + 1, 1 + 18 + 2 - 1, 1 + 5 + 12 + 10, 1 + 18 + 2 + 13 + 1));
    QelSendText(nullptr, "abc");
    EXPECT_EQ(list.GetItemText(0, 0), CString("abc"));
    {
        // The cell under edit shows no text of its own.
        QelCapturedWindow surface(list.m_hWnd);
        EXPECT_EQ(surface.Read({1, 19, 81, 32}, Sys(COLOR_HIGHLIGHTTEXT)), "");
    }
    QelSendKey(nullptr, VK_RETURN, 0);
    EXPECT_EQ(list.GetEditControl()->m_hWnd, nullptr);
    EXPECT_EQ(list.GetItemText(0, 0), CString("r0"));
    EXPECT_EQ(GetFocus(), list.m_hWnd);
    // Accepted: the owner's text. Esc never commits.
    end = 1;
    QelSendKey(nullptr, VK_F2, 0);
    QelSendText(nullptr, "new");
    QelSendKey(nullptr, VK_RETURN, 0);
    EXPECT_EQ(list.GetItemText(0, 0), CString("Xew"));
    QelSendKey(nullptr, VK_F2, 0);
    QelSendText(nullptr, "gone");
    QelSendKey(nullptr, VK_ESCAPE, 0);
    EXPECT_EQ(list.GetItemText(0, 0), CString("Xew"));
    // The owner deletes a row above while it is told: the text goes to the record's row.
    list.SetCaret(2, TRUE);
    QelSendKey(nullptr, VK_F2, 0);
    QelSendText(nullptr, "moved");
    duringEnd = [&] { list.DeleteItems(0, 1); };
    QelSendKey(nullptr, VK_RETURN, 0);
    EXPECT_EQ(list.GetItemText(1, 0), CString("Xoved"));
    EXPECT_EQ(list.GetItemText(0, 0), CString("r1"));
    // Losing the focus ends an edit as confirmed.
    duringEnd = nullptr;
    QelSendKey(nullptr, VK_F2, 0);
    QelSendText(nullptr, "kept");
    parent_.SetFocus();
    EXPECT_EQ(list.GetEditControl()->m_hWnd, nullptr);
    EXPECT_EQ(list.GetItemText(1, 0), CString("Xept"));
}

TEST_F(Input, ASecondClickOnTheSelectedLabelEditsItAfterTheDelay)
{
    DrawnListCtrl &list = MakeFilled(Rows(3), LVS_REPORT | LVS_EDITLABELS);
    Click(list, 1);
    Click(list, 1);
    EXPECT_EQ(list.GetEditControl()->m_hWnd, nullptr);
    EXPECT_TRUE(QelPumpMessagesUntil([&] { return list.GetEditControl()->m_hWnd != nullptr; }, 3000));
    EXPECT_EQ(list.GetEditRow(), 1);
    list.EndLabelEdit(FALSE);
    // A double click disarms it.
    Click(list, 2);
    Click(list, 2);
    QelSendMouse(list.m_hWnd, WM_LBUTTONDBLCLK, 10, 24 + 26, MK_LBUTTON);
    EXPECT_FALSE(QelPumpMessagesUntil([&] { return list.GetEditControl()->m_hWnd != nullptr; }, 800));
}

TEST_F(Input, TheTipShowsACutLabelWholeOverItsCellAndStaysOnTheScreen)
{
    DrawnListCtrl &list = Make(LVS_REPORT | LVS_NOLABELWRAP, DLS_EX_LABELTIPS);
    list.AddColumn("Name", LVCFMT_LEFT, 40, 0);
    list.AddColumn("Value", LVCFMT_LEFT, 100, -1);
    list.InsertItem(0, "a label too long");
    list.SetItemText(0, 1, "1");
    list.InsertItem(1, "fits");
    list.SetItemText(1, 1, "a value that is far too long for it");
    DrawnListTip *tip = list.GetTip();
    // A tip shows only while one of the program's windows is active.
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 10, 24, 0);
    EXPECT_FALSE(tip->m_hWnd != nullptr && tip->IsWindowVisible());
    SetActiveWindow(parent_.m_hWnd);
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 10, 24 + 13, 0);
    EXPECT_FALSE(tip->m_hWnd != nullptr && tip->IsWindowVisible());
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 10, 24, 0);
    ASSERT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(std::string(tip->GetText()), "a label too long");
    CRect rect;
    tip->GetWindowRect(&rect);
    // Over the label (screen x 1 + 5), one pixel left of it, 3 wider, the cell's height.
    EXPECT_EQ(rect, CRect(1 + 5 - 1, 1 + 18, 1 + 5 - 1 + 96 + 3, 1 + 31));
    EXPECT_EQ(GetCapture(), list.m_hWnd);
    {
        QelPaintPending();
        QelCapturedWindow shot(tip->m_hWnd);
        EXPECT_EQ(shot.Read({1, 1, 100, 13}, Sys(COLOR_HIGHLIGHTTEXT)), "a label too long"); // row 0 is selected
    }
    // Another cell of the row: a sub-item that fits hides it; one that does not replaces it.
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 60, 24, 0);
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(GetCapture(), nullptr);
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 60, 24 + 13, 0);
    ASSERT_TRUE(tip->IsWindowVisible());
    {
        QelPaintPending();
        QelCapturedWindow shot(tip->m_hWnd);
        EXPECT_EQ(shot.Read({1, 1, 300, 13}, Sys(COLOR_INFOTEXT)), "a value that is far too long for it");
        EXPECT_EQ(shot.At(2, 2), Sys(COLOR_INFOBK));
    }
    // Near the screen's right edge the tip moves left onto it.
    int screen = GetSystemMetrics(SM_CXSCREEN);
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 10, 80, 0);
    parent_.MoveWindow(screen - 100, 0, 400, 300);
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 60, 24 + 13, 0);
    tip->GetWindowRect(&rect);
    EXPECT_EQ(rect.right, screen);
    QelSendMouse(list.m_hWnd, WM_MOUSEMOVE, 10, 80, 0);
    EXPECT_FALSE(tip->IsWindowVisible());
}

INT_PTR CALLBACK PlaceholderDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        SetWindowTextA(dialog, "cancelled");
        return TRUE;
    }
    return FALSE;
}

TEST_F(Input, InADialogTheListTakesThePlaceholdersPlaceTabMovesOnAndEscCancels)
{
    HWND dialog = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(200), nullptr, PlaceholderDialog, 0);
    ASSERT_NE(dialog, nullptr);
    HWND placeholder = GetDlgItem(dialog, 100);
    CRect before;
    GetWindowRect(placeholder, &before);
    DWORD style = GetWindowLongA(placeholder, GWL_STYLE);
    DrawnListCtrl list;
    ASSERT_TRUE(list.CreateFromPlaceholder(100, CWnd::FromHandle(dialog)));
    EXPECT_EQ(GetDlgItem(dialog, 100), list.m_hWnd);
    CRect after;
    list.GetWindowRect(&after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(list.GetStyle(), (style | WS_BORDER) & ~0xF3FFu);
    list.SetFocus();
    // The list's window is the dialog's newest, so the next stop wraps round to OK.
    QelSendKey(nullptr, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    list.SetFocus();
    QelSendKey(nullptr, VK_ESCAPE, 0);
    Pump();
    char title[32];
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "cancelled");
    list.DestroyWindow();
    DestroyWindow(dialog);
}

} // namespace
