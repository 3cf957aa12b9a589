#include "scrollbar.h"
#include "testing/controlcapture.h"
#include "testing/drawingfixture.h"

#include <cstdlib>

namespace {

class ScrollBars : public ::testing::Test {
protected:
    void SetUp() override { liveAtStart_ = QelGdiLiveObjects(); }
    void TearDown() override
    {
        if (bar_ != nullptr)
            DestroyWindow(bar_);
        EXPECT_EQ(QelGdiLiveObjects(), liveAtStart_);
    }

    HWND Make(DWORD direction, int width, int height)
    {
        bar_ = CreateWindowExA(0, "ScrollBar", "", WS_POPUP | WS_VISIBLE | direction, 0, 0, width, height, nullptr,
                               nullptr, nullptr, nullptr);
        return bar_;
    }

    // The run of non-shaft pixels along the shaft's middle line: the thumb, as [first, end).
    static std::pair<int, int> Thumb(const QelCapturedWindow &shot, bool vertical, int from, int to)
    {
        int first = -1, end = -1;
        for (int at = from; at < to; ++at) {
            COLORREF color = vertical ? shot.At(8, at) : shot.At(at, 8);
            if (color != GetSysColor(COLOR_SCROLLBAR)) {
                if (first < 0)
                    first = at;
                end = at + 1;
            }
        }
        return {first, end};
    }

    QelDistinctPalette palette_;
    HWND bar_ = nullptr;
    size_t liveAtStart_ = 0;
};

// A 16x100 bar: arrow boxes 0-16 and 84-100, a shaft of 68 between them; a thumb of
// page * 68 / count (at least 8; the breadth, 16, without a page) travels the shaft's
// 68 - thumb pixels as the position goes from the minimum to max - (page - 1).
TEST_F(ScrollBars, RangePageAndPositionAreClampedAndTheThumbShowsThem)
{
    struct Case {
        int minimum, maximum;
        UINT page;
        int position;
        int wantMaximum;
        UINT wantPage;
        int wantPosition;
        std::pair<int, int> thumb; // {-1, -1}: none
    } cases[] = {
        {0, 99, 10, 45, 99, 10, 45, {46, 54}},  // 68 * 10 / 100 = 6 grows to 8; 16 + 60 * 45 / 90
        {0, 99, 0, 500, 99, 0, 99, {68, 84}},   // no page: a 16-pixel thumb at the end
        {0, 19, 5, 20, 19, 5, 15, {67, 84}},    // the last page starts at 15; thumb 68 * 5 / 20 = 17
        {0, 19, 5, -3, 19, 5, 0, {16, 33}},     // below the minimum
        {0, 9, 50, 3, 9, 10, 0, {-1, -1}},      // the page shrinks to the count; nothing to scroll
        {10, 3, 0, -5, 10, 0, 10, {-1, -1}},    // a maximum below the minimum becomes it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        HWND bar = Make(SBS_VERT, 16, 100);
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, c.minimum, c.maximum, c.page, c.position, 0};
        EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &info, TRUE), c.wantPosition);
        SCROLLINFO read{sizeof read, SIF_ALL, -1, -1, 99, -1, -1};
        ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &read));
        EXPECT_EQ(read.nMin, c.minimum);
        EXPECT_EQ(read.nMax, c.wantMaximum);
        EXPECT_EQ(read.nPage, c.wantPage);
        EXPECT_EQ(read.nPos, c.wantPosition);
        EXPECT_EQ(read.nTrackPos, c.wantPosition);
        QelPaintPending();
        QelCapturedWindow shot(bar);
        std::pair<int, int> thumb = Thumb(shot, true, 16, 84);
        EXPECT_EQ(thumb, c.thumb);
        if (thumb.first >= 0) {
            EXPECT_EQ(shot.At(8, thumb.first), GetSysColor(COLOR_BTNHIGHLIGHT));
            EXPECT_EQ(shot.At(8, thumb.second - 1), GetSysColor(COLOR_3DDKSHADOW));
        }
        DestroyWindow(bar);
        bar_ = nullptr;
    }
}

TEST_F(ScrollBars, ArrowBoxesPointAtTheirEndsAndAHorizontalBarRunsAcross)
{
    HWND vertical = Make(SBS_VERT, 16, 100);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 45, 0};
    SetScrollInfo(vertical, SB_CTL, &info, TRUE);
    QelPaintPending();
    {
        QelCapturedWindow shot(vertical);
        COLORREF arrow = GetSysColor(COLOR_BTNTEXT);
        int top = 0, bottom = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                top += shot.At(x, y) == arrow ? 1 : 0;
                bottom += shot.At(x, 84 + y) == arrow ? 1 : 0;
            }
        EXPECT_EQ(top, 1 + 3 + 5 + 7);
        EXPECT_EQ(bottom, 1 + 3 + 5 + 7);
        // The tips: one pixel at the box's centre column, 2 above its middle (top box) or 1 below it.
        EXPECT_EQ(shot.At(8, 6), arrow);
        EXPECT_NE(shot.At(7, 6), arrow);
        EXPECT_EQ(shot.At(5, 9), arrow);
        EXPECT_EQ(shot.At(8, 93), arrow);
        EXPECT_NE(shot.At(7, 93), arrow);
        EXPECT_EQ(shot.At(5, 90), arrow);
        EXPECT_EQ(shot.At(8, 40), GetSysColor(COLOR_SCROLLBAR));
    }
    QelShot(vertical, "scrollbar_vertical");
    DestroyWindow(vertical);

    HWND horizontal = Make(SBS_HORZ, 100, 16);
    SetScrollInfo(horizontal, SB_CTL, &info, TRUE);
    QelPaintPending();
    QelCapturedWindow shot(horizontal);
    EXPECT_EQ(Thumb(shot, false, 16, 84), std::make_pair(46, 54));
}

TEST_F(ScrollBars, OnlyAScrollBarControlWithAKnownSizeAnswers)
{
    HWND bar = Make(SBS_VERT, 16, 100);
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 7, 0};
    EXPECT_EQ(SetScrollInfo(bar, SB_VERT, &info, TRUE), 0);
    EXPECT_FALSE(GetScrollInfo(bar, SB_HORZ, &info));
    EXPECT_EQ(SendMessageA(bar, SBM_SETSCROLLINFO, TRUE, 0), 0) << "no structure: nothing to read";
    EXPECT_EQ(SendMessageA(bar, SBM_GETSCROLLINFO, 0, 0), FALSE);
    SCROLLINFO wrongSize = info;
    wrongSize.cbSize = sizeof info - 4;
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &wrongSize, TRUE), 0);
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &info, TRUE), 7) << "a new bar's range is 0-100";
    SCROLLINFO read{sizeof read, SIF_POS, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &read));
    EXPECT_EQ(read.nPos, 7);
    HWND edit = CreateWindowExA(0, "Edit", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(GetScrollInfo(edit, SB_CTL, &read)) << "an edit is no scroll bar";
    DestroyWindow(edit);
}

} // namespace
