#include "testing/drawingfixture.h"

#include <climits>

namespace {

class Lines : public QelDrawingTest {
protected:
    void Line(int x0, int y0, int x1, int y1, int style = PS_SOLID, HDC dc = nullptr)
    {
        dc = dc != nullptr ? dc : dc_;
        HPEN pen = CreatePen(style, 1, kQelInk);
        HGDIOBJ before = SelectObject(dc, pen);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SelectObject(dc, before);
        DeleteObject(pen);
    }
};

// A line between points billions of pixels apart costs what its visible part costs, and
// its pixels are those the whole line would have put there.
TEST_F(Lines, FarApartEndsDrawOnlyTheirVisiblePixelsAndQuickly)
{
    struct Case {
        int x0, y0, x1, y1, style;
        std::vector<POINT> pixels; // all the ink there is
        const char *what;
    } cases[] = {
        // Slope 1/3 through (0, 0): y = x / 3 rounded.
        {-1500000000, -500000000, 6, 2, PS_SOLID, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}, "slope 1/3"},
        {-2000000000, 1999999990, 1999999990, -2000000000, PS_SOLID, {}, "passes by the corner"},
        // The dots keep their phase from the far start: step 1000001 falls on x = 0.
        {-1000001, 4, 10, 4, PS_DOT, {{1, 4}, {3, 4}, {5, 4}, {7, 4}, {9, 4}}, "dotted"},
        {5, 2000000000, 5, 110, PS_SOLID, {{5, 111}, {5, 112}, {5, 113}, {5, 114}, {5, 115}, {5, 116}, {5, 117},
                                           {5, 118}, {5, 119}}, "upwards"},
    };
    for (const Case &c : cases) {
        Clear();
        Line(c.x0, c.y0, c.x1, c.y1, c.style);
        EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), static_cast<int>(c.pixels.size())) << c.what;
        for (POINT p : c.pixels)
            EXPECT_EQ(GetPixel(dc_, p.x, p.y), kQelInk) << c.what << " " << p.x << "," << p.y;
    }
    Clear();
    Line(INT_MIN, 5, INT_MAX, 5);
    Line(INT_MAX, 7, INT_MIN, 7);
    EXPECT_EQ(Count(RECT{0, 5, kWidth, 6}, kQelInk), static_cast<int>(kWidth));
    EXPECT_EQ(Count(RECT{0, 7, kWidth, 8}, kQelInk), static_cast<int>(kWidth));
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), 2 * kWidth) << "both whole rows, nothing else";
}

TEST_F(Lines, ALineStartedOffTheSurfaceMatchesTheSameLineDrawnWhole)
{
    // The same lines on a surface large enough to hold them whole, moved by the viewport.
    const int margin = 700;
    HDC whole = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(whole, kWidth + 2 * margin, kHeight + 2 * margin);
    HGDIOBJ before = SelectObject(whole, bitmap);
    SetViewportOrgEx(whole, margin, margin, nullptr);
    struct Case {
        int x0, y0, x1, y1;
    } cases[] = {
        {-600, -37, 230, 100}, {-650, 500, 200, 0}, {600, -650, 3, 119}, {-13, 610, 201, -640},
        {700, 60, -690, 61},   {120, -690, 121, 690},  {-500, -500, 500, 500}, {639, 17, -601, 101},
    };
    for (const Case &c : cases) {
        Clear();
        RECT all{-margin, -margin, kWidth + margin, kHeight + margin};
        FillRect(whole, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        Line(c.x0, c.y0, c.x1, c.y1, PS_DASH);
        Line(c.x0, c.y0, c.x1, c.y1, PS_DASH, whole);
        int differing = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                differing += (GetPixel(dc_, x, y) == kQelInk) != (GetPixel(whole, x, y) == kQelInk) ? 1 : 0;
        EXPECT_EQ(differing, 0) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        EXPECT_GT(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), 0);
    }
    SelectObject(whole, before);
    DeleteObject(bitmap);
    DeleteDC(whole);
}

// Origins and coordinates each take any 32-bit value; their sum, which need not fit in 32
// bits, must never wrap around onto the surface.
TEST_F(Lines, FarCoordinatesNeverWrapOntoTheSurface)
{
    SetWindowOrgEx(dc_, INT_MIN + 1, 0, nullptr);
    SetViewportOrgEx(dc_, 5, 0, nullptr); // INT_MAX lands at 2^32 + 3 in device pixels
    HBRUSH brush = CreateSolidBrush(kQelInk);
    RECT far{INT_MAX - 10, 0, INT_MAX, 5};
    FillRect(dc_, &far, brush);
    DeleteObject(brush);
    EXPECT_EQ(SetPixel(dc_, INT_MAX, 1, kQelInk), CLR_INVALID);
    Line(INT_MAX, 2, INT_MAX - 5, 2);
    TextOutA(dc_, INT_MAX - 12, 0, "WW", 2);
    RECT text{INT_MAX - 12, 0, INT_MAX, 20};
    DrawTextA(dc_, "WW", 2, &text, DT_NOCLIP);
    RECT clip;
    EXPECT_EQ(GetClipBox(dc_, &clip), SIMPLEREGION);
    // Device 0 is logical -2^31 - 4, cut to what a LONG holds; device 240 is 236 - 2^31.
    EXPECT_EQ(clip.left, INT_MIN);
    EXPECT_EQ(clip.right, -2147483412);
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), 0);
}

} // namespace
