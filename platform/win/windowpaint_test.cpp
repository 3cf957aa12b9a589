#include "testing/drawingfixture.h"

#include <string>
#include <vector>

namespace {

// What the test windows were told, by window, in order; and the colour each paints with.
std::vector<std::pair<HWND, UINT>> heard;
std::vector<std::pair<HWND, RECT>> painted;
COLORREF paintColor = RGB(1, 200, 3);

LRESULT CALLBACK PaintingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        heard.emplace_back(window, message);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        painted.emplace_back(window, paint.rcPaint);
        HBRUSH brush = CreateSolidBrush(paintColor);
        RECT everything{-100, -100, 1000, 1000};
        FillRect(dc, &everything, brush); // the DC's clip keeps it to rcPaint
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND || message == WM_SYSCOLORCHANGE)
        heard.emplace_back(window, message);
    return DefWindowProcA(window, message, wParam, lParam);
}

class Painting : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = PaintingProcedure;
            windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
            windowClass.lpszClassName = "QelPaintTest";
            bool plain = RegisterClassA(&windowClass) != 0;
            windowClass.style = CS_HREDRAW | CS_VREDRAW;
            windowClass.lpszClassName = "QelPaintRedrawTest";
            return plain && RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        liveAtStart_ = QelGdiLiveObjects();
        heard.clear();
        painted.clear();
    }

    void TearDown() override
    {
        for (HWND window : windows_)
            DestroyWindow(window);
        EXPECT_EQ(QelGdiLiveObjects(), liveAtStart_);
    }

    HWND Make(HWND parent, DWORD style, RECT at, LPCSTR className = "QelPaintTest")
    {
        HWND window = CreateWindowExA(0, className, "", style, at.left, at.top, at.right - at.left,
                                      at.bottom - at.top, parent, nullptr, nullptr, nullptr);
        if (parent == nullptr)
            windows_.push_back(window);
        return window;
    }

    // The colour of a pixel of the window's capture, children and all.
    static COLORREF Captured(HWND window, int x, int y)
    {
        HBITMAP capture = QelCaptureWindow(window, TRUE);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ before = SelectObject(dc, capture);
        COLORREF color = GetPixel(dc, x, y);
        SelectObject(dc, before);
        DeleteDC(dc);
        DeleteObject(capture);
        return color;
    }

    QelDistinctPalette palette_;
    std::vector<HWND> windows_;
    size_t liveAtStart_ = 0;
};

TEST_F(Painting, ShownWindowsPaintParentsFirstAndHiddenOnesWait)
{
    HWND parent = Make(nullptr, WS_POPUP, RECT{0, 0, 100, 80});
    HWND child = Make(parent, WS_CHILD | WS_VISIBLE, RECT{10, 10, 50, 40});
    HWND hidden = Make(parent, WS_CHILD, RECT{60, 10, 90, 40});
    QelPaintPending();
    EXPECT_TRUE(painted.empty()) << "the parent is hidden, so is its child";
    ShowWindow(parent, SW_SHOWNA);
    QelPaintPending();
    ASSERT_EQ(painted.size(), 2u);
    EXPECT_EQ(painted[0].first, parent);
    EXPECT_EQ(painted[1].first, child);
    EXPECT_EQ(painted[0].second, (RECT{0, 0, 100, 80}));
    EXPECT_EQ(painted[1].second, (RECT{0, 0, 40, 30}));
    RECT update;
    EXPECT_FALSE(GetUpdateRect(hidden, &update, FALSE)) << "made hidden, it waits until it is shown";
    ShowWindow(hidden, SW_SHOWNA);
    EXPECT_TRUE(GetUpdateRect(hidden, &update, FALSE));
}

TEST_F(Painting, UpdateRectangleGrowsToTheBoundingBoxAndBeginPaintClipsToIt)
{
    paintColor = RGB(1, 200, 3);
    HWND window = Make(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 80});
    QelPaintPending();
    paintColor = RGB(4, 5, 250);
    RECT a{10, 10, 20, 20}, b{30, 15, 40, 30}, outside{90, 70, 200, 200};
    InvalidateRect(window, &a, FALSE);
    InvalidateRect(window, &b, FALSE);
    InvalidateRect(window, &outside, FALSE);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update, (RECT{10, 10, 100, 80})) << "cut to the client area";
    ValidateRect(window, &outside);
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update, (RECT{10, 10, 100, 80})) << "a corner cannot be taken from one rectangle";
    RECT lowerPart{0, 40, 100, 80};
    ValidateRect(window, &lowerPart);
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update, (RECT{10, 10, 100, 40}));
    heard.clear();
    QelPaintPending();
    EXPECT_EQ(heard, (std::vector<std::pair<HWND, UINT>>{{window, WM_PAINT}})) << "no erase was asked for";
    EXPECT_EQ(Captured(window, 9, 10), RGB(1, 200, 3));
    EXPECT_EQ(Captured(window, 10, 10), RGB(4, 5, 250));
    EXPECT_EQ(Captured(window, 99, 39), RGB(4, 5, 250));
    EXPECT_EQ(Captured(window, 99, 40), RGB(1, 200, 3));
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
}

TEST_F(Painting, EraseFlagSendsEraseBackgroundWithTheClassBrush)
{
    HWND window = Make(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 30, 20});
    QelPaintPending();
    heard.clear();
    RECT part{0, 0, 10, 10};
    InvalidateRect(window, &part, TRUE);
    ASSERT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_ERASENOW));
    EXPECT_EQ(heard, (std::vector<std::pair<HWND, UINT>>{{window, WM_ERASEBKGND}}));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE)) << "erased, not yet painted";
    EXPECT_EQ(Captured(window, 5, 5), GetSysColor(COLOR_INFOBK));
    EXPECT_EQ(Captured(window, 15, 5), paintColor) << "only the update rectangle is erased";
    ASSERT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
    // BeginPaint erases, inside the paint handler.
    EXPECT_EQ(heard[heard.size() - 2], (std::pair<HWND, UINT>{window, WM_PAINT}));
    EXPECT_EQ(heard.back(), (std::pair<HWND, UINT>{window, WM_ERASEBKGND}));
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
}

TEST_F(Painting, BorderedWindowsHaveAFrameAndAClientAreaInsideIt)
{
    HWND window = Make(nullptr, WS_POPUP | WS_BORDER | WS_VISIBLE, RECT{100, 50, 140, 80});
    HWND child = Make(window, WS_CHILD | WS_VISIBLE, RECT{5, 5, 15, 15});
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client, (RECT{0, 0, 38, 28}));
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, 101);
    EXPECT_EQ(origin.y, 51);
    RECT childOnScreen;
    GetWindowRect(child, &childOnScreen);
    EXPECT_EQ(childOnScreen, (RECT{106, 56, 116, 66}));
    WINDOWINFO info{};
    GetWindowInfo(window, &info);
    EXPECT_EQ(info.rcClient, (RECT{101, 51, 139, 79}));
    paintColor = RGB(1, 200, 3);
    QelPaintPending();
    EXPECT_EQ(Captured(window, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(Captured(window, 39, 29), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(Captured(window, 1, 1), paintColor);
    EXPECT_EQ(Captured(window, 6, 6), paintColor) << "the child, 1 pixel in";
    SetWindowPos(child, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    paintColor = RGB(9, 9, 9);
    RECT update{};
    InvalidateRect(child, nullptr, FALSE);
    QelPaintPending();
    EXPECT_EQ(Captured(window, 35, 25), RGB(9, 9, 9));
    EXPECT_EQ(Captured(window, 38, 28), RGB(9, 9, 9));
    EXPECT_EQ(Captured(window, 39, 28), GetSysColor(COLOR_WINDOWFRAME)) << "a child is clipped to its parent";
    EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
}

TEST_F(Painting, ResizingKeepsPixelsAndInvalidatesWhatIsNew)
{
    HWND plain = Make(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 20, 20});
    HWND redraw = Make(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 20, 20}, "QelPaintRedrawTest");
    QelPaintPending();
    RECT update{};
    SetWindowPos(plain, nullptr, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(redraw, nullptr, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(GetUpdateRect(plain, &update, FALSE));
    EXPECT_EQ(update, (RECT{20, 0, 30, 20}));
    EXPECT_TRUE(GetUpdateRect(redraw, &update, FALSE));
    EXPECT_EQ(update, (RECT{0, 0, 30, 20})) << "CS_HREDRAW";
    EXPECT_EQ(Captured(plain, 19, 19), paintColor) << "old pixels stay top-left";
}

TEST_F(Painting, SystemColourChangesReachEveryWindowParentsFirst)
{
    HWND parent = Make(nullptr, WS_POPUP, RECT{0, 0, 20, 20});
    HWND child = Make(parent, WS_CHILD, RECT{0, 0, 5, 5});
    HWND grandchild = Make(child, WS_CHILD, RECT{0, 0, 2, 2});
    heard.clear();
    INT index = COLOR_WINDOW;
    COLORREF color = RGB(7, 8, 9);
    ASSERT_TRUE(SetSysColors(1, &index, &color));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(7, 8, 9));
    EXPECT_EQ(heard, (std::vector<std::pair<HWND, UINT>>{
                         {parent, WM_SYSCOLORCHANGE}, {child, WM_SYSCOLORCHANGE}, {grandchild, WM_SYSCOLORCHANGE}}));
    INT bad = 99;
    EXPECT_FALSE(SetSysColors(1, &bad, &color));
}

TEST(SystemValues, ClassicColoursAndMetrics)
{
    struct Case {
        int index;
        COLORREF rrggbb;
    } cases[] = {
        {COLOR_WINDOW, 0xFFFFFF},      {COLOR_HIGHLIGHTTEXT, 0xFFFFFF}, {COLOR_BTNHIGHLIGHT, 0xFFFFFF},
        {COLOR_WINDOWTEXT, 0x000000},  {COLOR_INFOTEXT, 0x000000},      {COLOR_MENUTEXT, 0x000000},
        {COLOR_BTNTEXT, 0x000000},     {COLOR_WINDOWFRAME, 0x000000},   {COLOR_HIGHLIGHT, 0x000080},
        {COLOR_GRAYTEXT, 0x808080},    {COLOR_BTNSHADOW, 0x808080},     {COLOR_INFOBK, 0xFFFFE1},
        {COLOR_MENU, 0xC0C0C0},        {COLOR_BTNFACE, 0xC0C0C0},       {COLOR_SCROLLBAR, 0xC0C0C0},
        {COLOR_3DLIGHT, 0xDFDFDF},     {COLOR_3DDKSHADOW, 0x404040},
    };
    for (const Case &c : cases) {
        COLORREF expected = RGB(c.rrggbb >> 16, (c.rrggbb >> 8) & 0xFF, c.rrggbb & 0xFF);
        EXPECT_EQ(GetSysColor(c.index), expected) << c.index;
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetSystemMetrics(SM_CXCURSOR), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CYCURSOR), 32);
}

} // namespace
