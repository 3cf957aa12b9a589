#include "editcontrol.h"

#include "controls.h"
#include "controlstate.h"
#include "devicecontext.h"
#include "drawing.h"
#include "gdiobjects.h"
#include "syscolors.h"
#include "systemclasses.h"
#include "textdraw.h"
#include "userinput.h"
#include "windowfocus.h"
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

// The user's change: the text between the selection's ends becomes `typed` (within the
// limit), the caret stands after it, and the parent hears EN_UPDATE, then EN_CHANGE.
void Replace(HWND edit, EditState *state, size_t from, size_t to, const std::string &typed)
{
    std::string text = TextOf(edit);
    from = std::min(from, text.size());
    to = std::min(std::max(from, to), text.size());
    if (!typed.empty() && text.size() - (to - from) + typed.size() > state->limit)
        return;
    text.replace(from, to - from, typed);
    DefWindowProcA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    state->selectionStart = state->selectionEnd = static_cast<DWORD>(from + typed.size());
    InvalidateRect(edit, nullptr, TRUE);
    qelwin::NotifyParent(edit, EN_UPDATE);
    // The parent may have destroyed the edit on EN_UPDATE.
    if (qelwin::ControlState<EditState>(edit) == state)
        qelwin::NotifyParent(edit, EN_CHANGE);
}

// A line break, CR LF, is one step of the caret and goes as a whole.
bool IsLineBreakBefore(const std::string &text, size_t at)
{
    return at >= 2 && at <= text.size() && text.compare(at - 2, 2, "\r\n") == 0;
}

void Type(HWND edit, EditState *state, char character)
{
    size_t from = state->selectionStart, to = state->selectionEnd;
    if (character == '\b') {
        if (from == to && from == 0)
            return;
        if (from == to)
            from -= IsLineBreakBefore(TextOf(edit), from) ? 2 : 1;
        Replace(edit, state, from, to, std::string());
    } else if (character == '\r') {
        if (IsMultiLine(edit))
            Replace(edit, state, from, to, "\r\n");
    } else if (static_cast<unsigned char>(character) >= 0x20 || character == '\t') {
        Replace(edit, state, from, to, std::string(1, character));
    }
}

void MoveCaret(HWND edit, EditState *state, WPARAM key)
{
    std::string text = TextOf(edit);
    size_t length = text.size(), caret = state->selectionEnd;
    switch (key) {
    case VK_LEFT:
        caret = state->selectionStart != state->selectionEnd ? state->selectionStart
                : caret == 0                                ? 0
                                                            : caret - (IsLineBreakBefore(text, caret) ? 2 : 1);
        break;
    case VK_RIGHT:
        caret = state->selectionStart != state->selectionEnd ? state->selectionEnd
                                                             : std::min(caret + (IsLineBreakBefore(text, caret + 2) ? 2 : 1), length);
        break;
    case VK_HOME:
        caret = 0;
        break;
    case VK_END:
        caret = length;
        break;
    case VK_DELETE:
        if (state->selectionStart != state->selectionEnd)
            Replace(edit, state, state->selectionStart, state->selectionEnd, std::string());
        else if (caret < length)
            Replace(edit, state, caret, caret + (IsLineBreakBefore(text, caret + 2) ? 2 : 1), std::string());
        return;
    default:
        return;
    }
    state->selectionStart = state->selectionEnd = static_cast<DWORD>(caret);
    InvalidateRect(edit, nullptr, TRUE);
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
    case WM_CHAR:
        if ((GetWindowLongA(edit, GWL_STYLE) & WS_DISABLED) == 0)
            Type(edit, state, static_cast<char>(wParam));
        return 0;
    case WM_KEYDOWN:
        if ((GetWindowLongA(edit, GWL_STYLE) & WS_DISABLED) == 0)
            MoveCaret(edit, state, wParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_KILLFOCUS:
        NotifyParent(edit, EN_KILLFOCUS);
        return 0;
    default:
        return DefWindowProcA(edit, message, wParam, lParam);
    }
}

} // namespace qelwin
