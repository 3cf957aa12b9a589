#include "scrollbar.h"

#include "controlstate.h"
#include "crtstring.h"
#include "userinput.h"
#include "windowtable.h"
#include "devicecontext.h"
#include "drawing.h"
#include "lasterror.h"
#include "syscolors.h"
#include "systemclasses.h"
#include "windowclass.h"
#include "windowgeometry.h"
#include "windowmessages.h"
#include "windowpaint.h"
#include "windowstate.h"
#include "winerror.h"

#include <algorithm>
#include <cstdint>

namespace {

struct ScrollBarState {
    int minimum = 0;
    int maximum = 100;
    UINT page = 0;
    int position = 0;
    // While the thumb is dragged: where it stands, which SIF_TRACKPOS reads.
    bool tracking = false;
    int trackPosition = 0;
};

// The highest position: the page's last item may reach the maximum, no further.
int64_t TopPosition(const ScrollBarState &bar)
{
    return std::max<int64_t>(bar.minimum, int64_t(bar.maximum) - std::max<int64_t>(int64_t(bar.page) - 1, 0));
}

int Apply(HWND window, ScrollBarState *bar, const SCROLLINFO &info, BOOL redraw)
{
    if ((info.fMask & SIF_RANGE) != 0) {
        bar->minimum = info.nMin;
        bar->maximum = std::max(info.nMin, info.nMax);
    }
    if ((info.fMask & SIF_PAGE) != 0)
        bar->page = info.nPage;
    int64_t count = int64_t(bar->maximum) - bar->minimum + 1;
    bar->page = static_cast<UINT>(std::min<int64_t>(bar->page, count));
    int64_t position = (info.fMask & SIF_POS) != 0 ? info.nPos : bar->position;
    bar->position = static_cast<int>(std::clamp<int64_t>(position, bar->minimum, TopPosition(*bar)));
    if (redraw)
        InvalidateRect(window, nullptr, TRUE);
    return bar->position;
}

void Fill(HDC dc, RECT rect, int colorIndex)
{
    FillRect(dc, &rect, GetSysColorBrush(colorIndex));
}

// A push-button box with a triangle of 1, 3, 5 and 7 pixels pointing at the bar's end.
void DrawArrowBox(HDC dc, RECT box, bool vertical, bool towardsStart)
{
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH);
    int centreX = (box.left + box.right) / 2, centreY = (box.top + box.bottom) / 2;
    for (int step = 0; step < 4; ++step) {
        int across = towardsStart ? step : 3 - step; // the tip, one pixel, is nearest the end
        int along = step - 2;
        RECT row = vertical ? RECT{centreX - across, centreY + along, centreX + across + 1, centreY + along + 1}
                            : RECT{centreX + along, centreY - across, centreX + along + 1, centreY + across + 1};
        Fill(dc, row, COLOR_BTNTEXT);
    }
}

// The thumb's span along the bar; false when the bar shows none.
bool ThumbSpan(const ScrollBarState &bar, int length, int breadth, int64_t *start, int64_t *end)
{
    const int kSmallestThumb = 8;
    int box = std::min(breadth, length / 2);
    int64_t shaft = length - 2 * box, travel = TopPosition(bar) - bar.minimum;
    int64_t count = int64_t(bar.maximum) - bar.minimum + 1;
    int64_t thumb = bar.page == 0 ? breadth : std::max<int64_t>(shaft * bar.page / count, kSmallestThumb);
    if (travel <= 0 || thumb > shaft)
        return false;
    *start = box + (shaft - thumb) * (int64_t(bar.position) - bar.minimum) / travel;
    *end = *start + thumb;
    return true;
}

void TellParent(HWND window, int code, int position)
{
    bool vertical = (GetWindowLongA(window, GWL_STYLE) & SBS_VERT) != 0;
    HWND parent = GetParent(window);
    if (parent != nullptr)
        SendMessageA(parent, vertical ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(position)), reinterpret_cast<LPARAM>(window));
}

// The bar's lengths: across it, along it, and of each arrow box.
struct BarShape {
    bool vertical;
    int breadth, length, box;
};

BarShape ShapeOf(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    bool vertical = (GetWindowLongA(window, GWL_STYLE) & SBS_VERT) != 0;
    int breadth = vertical ? client.right : client.bottom;
    int length = vertical ? client.bottom : client.right;
    return BarShape{vertical, breadth, length, std::min(breadth, length / 2)};
}

void Paint(HWND window, const ScrollBarState &bar)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const BarShape shape = ShapeOf(window);
    const bool vertical = shape.vertical;
    const int breadth = shape.breadth, length = shape.length, box = shape.box;
    // Spans along the bar become rectangles across its whole breadth.
    auto span = [&](int from, int to) {
        return vertical ? RECT{0, from, breadth, to} : RECT{from, 0, to, breadth};
    };
    Fill(dc, span(box, length - box), COLOR_SCROLLBAR);
    if (box > 0) {
        DrawArrowBox(dc, span(0, box), vertical, true);
        DrawArrowBox(dc, span(length - box, length), vertical, false);
    }
    int64_t start = 0, end = 0;
    if (ThumbSpan(bar, length, breadth, &start, &end)) {
        RECT rect = span(static_cast<int>(start), static_cast<int>(end));
        DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH);
    }
    EndPaint(window, &paint);
}

// Where a press at `along` pixels from the bar's start lands: an arrow scrolls a line,
// the shaft before or after the thumb a page, the thumb itself nothing (it is dragged).
void Press(HWND window, const ScrollBarState &bar, int along)
{
    const BarShape shape = ShapeOf(window);
    const int breadth = shape.breadth, length = shape.length, box = shape.box;
    int64_t start = box, end = box;
    bool hasThumb = ThumbSpan(bar, length, breadth, &start, &end);
    int code;
    if (along < box)
        code = SB_LINEUP;
    else if (along >= length - box)
        code = SB_LINEDOWN;
    else if (!hasThumb)
        return;
    else if (along < start)
        code = SB_PAGEUP;
    else if (along >= end)
        code = SB_PAGEDOWN;
    else
        return;
    TellParent(window, code, 0);
    TellParent(window, SB_ENDSCROLL, 0);
}

// Windows that are no scroll bar answer the SBM_ messages 0 through DefWindowProcA.
bool CanAsk(int bar, const SCROLLINFO *info)
{
    if (bar == SB_CTL && info != nullptr && info->cbSize == sizeof(SCROLLINFO))
        return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

} // namespace

namespace qelwin {

LRESULT CALLBACK ScrollBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<ScrollBarState>(window, message, wParam, lParam, &result))
        return result;
    ScrollBarState *bar = ControlState<ScrollBarState>(window);
    switch (message) {
    case SBM_SETSCROLLINFO:
        if (lParam == 0)
            return 0;
        return Apply(window, bar, *reinterpret_cast<const SCROLLINFO *>(lParam), static_cast<BOOL>(wParam));
    case SBM_GETSCROLLINFO: {
        SCROLLINFO *info = reinterpret_cast<SCROLLINFO *>(lParam);
        if (info == nullptr)
            return FALSE;
        if ((info->fMask & SIF_RANGE) != 0) {
            info->nMin = bar->minimum;
            info->nMax = bar->maximum;
        }
        if ((info->fMask & SIF_PAGE) != 0)
            info->nPage = bar->page;
        if ((info->fMask & SIF_POS) != 0)
            info->nPos = bar->position;
        if ((info->fMask & SIF_TRACKPOS) != 0)
            info->nTrackPos = bar->tracking ? bar->trackPosition : bar->position;
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        Press(window, *bar, ShapeOf(window).vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam));
        return 0;
    case WM_PAINT:
        Paint(window, *bar);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace qelwin

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (!CanAsk(bar, info))
        return 0;
    return static_cast<int>(SendMessageA(window, SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw), reinterpret_cast<LPARAM>(info)));
}

BOOL QelScrollBarThumb(HWND bar, int position, BOOL final)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(bar);
    if (record == nullptr || _stricmp(record->className.c_str(), "ScrollBar") != 0)
        return FALSE;
    ScrollBarState *state = qelwin::ControlState<ScrollBarState>(bar);
    if (state == nullptr)
        return FALSE;
    int track = static_cast<int>(std::clamp<int64_t>(position, state->minimum, TopPosition(*state)));
    state->tracking = true;
    state->trackPosition = track;
    TellParent(bar, SB_THUMBTRACK, track);
    if (final) {
        // The parent may have destroyed the bar meanwhile.
        if (qelwin::LookUpWindow(bar) == nullptr)
            return TRUE;
        TellParent(bar, SB_THUMBPOSITION, track);
        if (qelwin::LookUpWindow(bar) == nullptr)
            return TRUE;
        state->tracking = false;
        TellParent(bar, SB_ENDSCROLL, 0);
        return TRUE;
    }
    return TRUE;
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info)
{
    if (!CanAsk(bar, info))
        return FALSE;
    return static_cast<BOOL>(SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}
