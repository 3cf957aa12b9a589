#include "editcontrol.h"

#include "controls.h"
#include "controlstate.h"
#include "devicecontext.h"
#include "drawing.h"
#include "gdiobjects.h"
#include "syscolors.h"
#include "systemclasses.h"
#include "textdraw.h"
#include "windowclass.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowpaint.h"
#include "windowstate.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const DWORD kDefaultEditLimit = 32767;
const DWORD kLargestEditLimit = 0x7FFFFFFE;

struct EditState {
    DWORD limit = kDefaultEditLimit;
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    std::vector<INT> tabStops; // in pixels; none: the font's every 48
    HFONT font = nullptr;
};

std::string TextOf(HWND edit)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool IsMultiLine(HWND edit)
{
    return (GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE) != 0;
}

// A dialog unit across is a quarter of the font's average character width.
void SetTabStops(EditState *state, WPARAM count, const INT *stops)
{
    TEXTMETRICA metrics{};
    HDC dc = CreateCompatibleDC(nullptr);
    GetTextMetricsA(dc, &metrics);
    DeleteDC(dc);
    state->tabStops.clear();
    if (stops == nullptr)
        return;
    for (WPARAM i = 0; i < count; ++i)
        state->tabStops.push_back(static_cast<INT>(int64_t(stops[i]) * metrics.tmAveCharWidth / 4));
}

void SetSelection(EditState *state, size_t length, LONG_PTR start, LONG_PTR end)
{
    auto within = [length](LONG_PTR at) { return at < 0 || size_t(at) > length ? DWORD(length) : DWORD(at); };
    if (start == -1) {
        state->selectionStart = state->selectionEnd = within(-1);
        return;
    }
    DWORD from = within(start), to = within(end);
    state->selectionStart = std::min(from, to);
    state->selectionEnd = std::max(from, to);
}

// One line at (1, top), then its part inside the selection again over the highlight, with
// the tabs measured from the line's start so that both drawings put each glyph alike.
void PaintLine(HDC dc, const EditState &state, const std::string &text, size_t begin, size_t end, int top, int height)
{
    int stopCount = static_cast<int>(state.tabStops.size());
    const INT *stops = state.tabStops.empty() ? nullptr : state.tabStops.data();
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    TabbedTextOutA(dc, 1, top, text.data() + begin, static_cast<int>(end - begin), stopCount, stops, 1);
    size_t from = std::max<size_t>(begin, state.selectionStart), to = std::min<size_t>(end, state.selectionEnd);
    if (from >= to)
        return;
    auto x = [&](size_t at) {
        return 1 + LOWORD(GetTabbedTextExtentA(dc, text.data() + begin, static_cast<int>(at - begin), stopCount, stops));
    };
    RECT highlight{x(from), top, x(to), top + height};
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    TabbedTextOutA(dc, highlight.left, top, text.data() + from, static_cast<int>(to - from), stopCount, stops, 1);
}

void Paint(HWND edit, const EditState &state)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(edit, &paint);
    HGDIOBJ before = SelectObject(dc, state.font != nullptr ? state.font : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    std::string text = TextOf(edit);
    bool multiLine = IsMultiLine(edit);
    int top = 1;
    for (size_t begin = 0;;) {
        size_t end = multiLine ? text.find("\r\n", begin) : std::string::npos;
        PaintLine(dc, state, text, begin, end == std::string::npos ? text.size() : end, top, metrics.tmHeight);
        if (end == std::string::npos)
            break;
        begin = end + 2;
        top += metrics.tmHeight;
    }
    SelectObject(dc, before);
    EndPaint(edit, &paint);
}

} // namespace

namespace qelwin {

LRESULT CALLBACK EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ControlLifetime<EditState>(edit, message, wParam, lParam, &result))
        return result;
    EditState *state = ControlState<EditState>(edit);
    switch (message) {
    case WM_SETTEXT:
        result = DefWindowProcA(edit, message, wParam, lParam);
        state->selectionStart = state->selectionEnd = 0;
        InvalidateRect(edit, nullptr, TRUE);
        if (!IsMultiLine(edit))
            NotifyParent(edit, EN_CHANGE);
        return result;
    case EM_LIMITTEXT:
        state->limit = wParam == 0 || wParam > kLargestEditLimit ? kLargestEditLimit : static_cast<DWORD>(wParam);
        return 0;
    case EM_GETLIMITTEXT:
        return state->limit;
    case EM_SETSEL:
        SetSelection(state, TextOf(edit).size(), static_cast<int>(wParam), static_cast<int>(lParam));
        InvalidateRect(edit, nullptr, TRUE);
        return 0;
    case EM_GETSEL:
        if (wParam != 0)
            *reinterpret_cast<DWORD *>(wParam) = state->selectionStart;
        if (lParam != 0)
            *reinterpret_cast<DWORD *>(lParam) = state->selectionEnd;
        return MAKELONG(std::min<DWORD>(state->selectionStart, 0xFFFF), std::min<DWORD>(state->selectionEnd, 0xFFFF));
    case EM_SETTABSTOPS:
        SetTabStops(state, wParam, reinterpret_cast<const INT *>(lParam));
        InvalidateRect(edit, nullptr, TRUE);
        return TRUE;
    case EM_SCROLLCARET:
        return TRUE;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0)
            InvalidateRect(edit, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_PAINT:
        Paint(edit, *state);
        return 0;
    default:
        return DefWindowProcA(edit, message, wParam, lParam);
    }
}

} // namespace qelwin
