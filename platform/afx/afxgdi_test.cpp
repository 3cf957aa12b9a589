#include "afx.h"

#include "testing/drawingfixture.h"

#include <string>
#include <vector>

namespace {

TEST(CRectTest, EdgesRightAndBottomLieOutside)
{
    CRect rect(2, 3, 12, 8);
    EXPECT_EQ(rect.Width(), 10);
    EXPECT_EQ(rect.Height(), 5);
    EXPECT_EQ(rect.CenterPoint(), CPoint(7, 5));
    EXPECT_EQ(rect.Size(), CSize(10, 5));
    struct Case {
        POINT point;
        BOOL inside;
    } points[] = {{{2, 3}, TRUE}, {{11, 7}, TRUE}, {{12, 7}, FALSE}, {{11, 8}, FALSE}, {{1, 3}, FALSE}};
    for (const Case &c : points)
        EXPECT_EQ(rect.PtInRect(c.point), c.inside) << c.point.x << "," << c.point.y;
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_FALSE(CRect(5, 5, 5, 9).IsRectNull());
    EXPECT_TRUE(CRect().IsRectNull());
}

TEST(CRectTest, IntersectionUnionAndMoves)
{
    struct Case {
        CRect a, b, both, either;
    } cases[] = {
        {CRect(0, 0, 10, 10), CRect(5, 5, 20, 20), CRect(5, 5, 10, 10), CRect(0, 0, 20, 20)},
        {CRect(0, 0, 10, 10), CRect(10, 0, 20, 10), CRect(), CRect(0, 0, 20, 10)}, // touching: nothing common
        {CRect(0, 0, 0, 10), CRect(3, 4, 5, 6), CRect(), CRect(3, 4, 5, 6)},        // an empty one adds nothing
    };
    for (const Case &c : cases) {
        CRect both, either;
        EXPECT_EQ(both.IntersectRect(&c.a, &c.b), !c.both.IsRectNull());
        EXPECT_EQ(both, c.both);
        EXPECT_TRUE(either.UnionRect(&c.a, &c.b));
        EXPECT_EQ(either, c.either);
        EXPECT_EQ(c.a & c.b, c.both);
        EXPECT_EQ(c.a | c.b, c.either);
    }
    CRect moved(1, 2, 3, 4);
    moved.OffsetRect(10, 20);
    EXPECT_EQ(moved, CRect(11, 22, 13, 24));
    moved.InflateRect(1, 2);
    EXPECT_EQ(moved, CRect(10, 20, 14, 26));
    moved.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(moved, CRect(11, 22, 11, 22));
    CRect backwards(9, 8, 1, 2);
    backwards.NormalizeRect();
    EXPECT_EQ(backwards, CRect(1, 2, 9, 8));
}

class CDCTest : public QelDrawingTest {
protected:
    // The memory DC of the fixture, borrowed: the fixture deletes it.
    CDC *Dc() { return CDC::FromHandle(dc_); }
    COLORREF Flipped() const { return kQelPaper ^ 0xFFFFFF; }
};

TEST_F(CDCTest, ObjectsOwnTheirHandlesAndSelectionAnswersTemporaries)
{
    size_t live = QelGdiLiveObjects();
    {
        CPen pen(PS_SOLID, 1, kQelInk);
        CBrush brush(RGB(1, 2, 3));
        CFont font;
        LOGFONT bold{};
        bold.lfWeight = FW_BOLD;
        ASSERT_TRUE(font.CreateFontIndirect(&bold));
        EXPECT_EQ(QelGdiLiveObjects(), live + 3);

        CPen *oldPen = Dc()->SelectObject(&pen);
        CFont *oldFont = Dc()->SelectObject(&font);
        ASSERT_NE(oldPen, nullptr);
        EXPECT_EQ(oldPen->GetObjectType(), static_cast<UINT>(OBJ_PEN));
        EXPECT_EQ(Dc()->GetCurrentFont()->m_hObject, font.m_hObject);
        EXPECT_EQ(CFont::FromHandle(font), CFont::FromHandle(font)) << "one temporary a handle";
        LOGFONT kept{};
        EXPECT_EQ(Dc()->GetCurrentFont()->GetLogFont(&kept), static_cast<int>(sizeof kept));
        EXPECT_EQ(kept.lfWeight, FW_BOLD);

        Dc()->MoveTo(0, 1);
        Dc()->LineTo(4, 1);
        EXPECT_EQ(Count(RECT{0, 1, 5, 2}, kQelInk), 4) << "the pen's line, its end left out";
        Dc()->FillRect(CRect(0, 3, 2, 4), &brush);
        EXPECT_EQ(Count(RECT{0, 3, 3, 4}, RGB(1, 2, 3)), 2);
        EXPECT_EQ(Dc()->SelectObject(oldPen), CPen::FromHandle(pen));
        Dc()->SelectObject(oldFont);
        EXPECT_EQ(QelGdiLiveObjects(), live + 3) << "the temporaries deleted nothing";
    }
    EXPECT_EQ(QelGdiLiveObjects(), live) << "the objects deleted their handles";
}

TEST_F(CDCTest, FillSolidRectKeepsTheBackgroundColour)
{
    Dc()->SetBkColor(RGB(9, 9, 9));
    Dc()->FillSolidRect(2, 3, 4, 5, kQelInk);
    EXPECT_EQ(Box(kQelInk), (RECT{2, 3, 6, 8}));
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kQelInk), 20);
    EXPECT_EQ(Dc()->GetBkColor(), RGB(9, 9, 9));
}

TEST_F(CDCTest, DragRectIsAHalftoneFrameThatErasesTheLastOne)
{
    const CRect first(2, 2, 10, 9), second(5, 4, 13, 11);
    const CSize size(2, 1);
    RECT all{0, 0, kWidth, kHeight};
    Dc()->DrawDragRect(first, size, nullptr, size);
    // The frame's 36 pixels, those of even x + y: 18.
    EXPECT_EQ(Count(all, Flipped()), 18);
    EXPECT_EQ(GetPixel(dc_, 2, 2), Flipped());
    EXPECT_EQ(GetPixel(dc_, 3, 2), kQelPaper);
    EXPECT_EQ(GetPixel(dc_, 4, 4), kQelPaper) << "inside the frame";
    EXPECT_EQ(GetPixel(dc_, 4, 2), Flipped()) << "the top is one pixel deep, the sides two wide";
    EXPECT_EQ(GetPixel(dc_, 3, 3), Flipped());

    Dc()->DrawDragRect(second, size, first, size);
    EXPECT_EQ(Count(all, Flipped()), 18) << "the first one gone";
    EXPECT_EQ(GetPixel(dc_, 2, 2), kQelPaper);
    EXPECT_EQ(GetPixel(dc_, 6, 4), Flipped());

    Dc()->DrawDragRect(second, size, nullptr, size);
    EXPECT_EQ(Count(all, kQelPaper), kWidth * kHeight) << "twice: the surface as it was";

    // The halftone stands on device pixels whatever the origins.
    Dc()->SetWindowOrg(1, 0);
    Dc()->DrawDragRect(CRect(3, 2, 5, 4), CSize(1, 1), nullptr, size);
    Dc()->SetWindowOrg(0, 0);
    EXPECT_EQ(GetPixel(dc_, 2, 2), Flipped());
    EXPECT_EQ(GetPixel(dc_, 3, 2), kQelPaper);
}

// A window of the framework that paints through CPaintDC and hears the painting messages.
class CPaintedWindow : public CWnd {
public:
    std::vector<std::string> heard;
    COLORREF fill = RGB(3, 150, 7);

    BOOL Make()
    {
        return CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1)), "painted",
                        WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr);
    }

protected:
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        heard.push_back("paint " + std::to_string(dc.m_ps.fErase));
        dc.FillSolidRect(CRect(5, 5, 15, 10), fill);
    }
    afx_msg BOOL OnEraseBkgnd(CDC *pDC)
    {
        heard.push_back("erase");
        return CWnd::OnEraseBkgnd(pDC);
    }
    afx_msg void OnSize(UINT, int cx, int cy) { heard.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    afx_msg void OnSysColorChange() { heard.push_back("colours"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedWindow, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

COLORREF CapturedPixel(HWND window, int x, int y)
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

TEST(CWndPainting, MapEntriesPaintEraseSizeAndColourChange)
{
    QelDistinctPalette palette;
    size_t live = QelGdiLiveObjects();
    {
        CPaintedWindow window;
        ASSERT_TRUE(window.Make());
        window.heard.clear();
        QelPaintPending();
        EXPECT_EQ(window.heard, (std::vector<std::string>{"erase", "paint 0"}));
        EXPECT_EQ(CapturedPixel(window, 5, 5), window.fill);
        EXPECT_EQ(CapturedPixel(window, 4, 5), GetSysColor(COLOR_INFOBK)) << "the class brush erased";

        window.heard.clear();
        window.fill = RGB(200, 1, 2);
        CRect part(0, 0, 10, 10);
        window.InvalidateRect(part, FALSE);
        window.UpdateWindow();
        EXPECT_EQ(window.heard, (std::vector<std::string>{"paint 0"})) << "no erase asked";
        EXPECT_EQ(CapturedPixel(window, 9, 9), window.fill);
        EXPECT_EQ(CapturedPixel(window, 10, 9), RGB(3, 150, 7)) << "outside the update rectangle";

        window.heard.clear();
        window.MoveWindow(0, 0, 50, 20);
        INT index = COLOR_WINDOW;
        COLORREF color = RGB(7, 8, 9);
        SetSysColors(1, &index, &color);
        EXPECT_EQ(window.heard, (std::vector<std::string>{"size 50x20", "colours"}));
        {
            CClientDC client(&window);
            client.SetPixel(1, 1, RGB(4, 5, 6));
        }
        EXPECT_EQ(CapturedPixel(window, 1, 1), RGB(4, 5, 6));
        window.DestroyWindow();
    }
    EXPECT_EQ(QelGdiLiveObjects(), live);
}

TEST(CWndPainting, APaintDCWithoutAWindowThrowsTheResourceException)
{
    CWnd none;
    bool thrown = false;
    try {
        CPaintDC dc(&none);
    } catch (CResourceException *e) {
        thrown = true;
        char text[64];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

} // namespace
