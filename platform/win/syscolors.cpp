#include "syscolors.h"

#include "gdistate.h"
#include "processthreads.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"

#include <atomic>
#include <mutex>

namespace {

const int kColorCount = COLOR_INFOBK + 1;

// Words, so that any thread may read a colour while another sets one.
std::atomic<DWORD> colors[kColorCount] = {
    0xC0C0C0, // scroll bar
    0x808000, // desktop
    0x800000, // active caption
    0x808080, // inactive caption
    0xC0C0C0, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC0C0C0, // active border
    0xC0C0C0, // inactive border
    0x808080, // application workspace
    0x800000, // highlight
    0xFFFFFF, // highlight text
    0xC0C0C0, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC0C0C0, // inactive caption text
    0xFFFFFF, // button highlight
    0x404040, // 3-D dark shadow
    0xDFDFDF, // 3-D light
    0x000000, // tip text
    0xE1FFFF, // tip background
};

void TellColorsChanged(HWND window)
{
    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    for (HWND child : qelwin::ChildWindows(window))
        TellColorsChanged(child);
}

} // namespace

DWORD GetSysColor(int index)
{
    return index >= 0 && index < kColorCount ? colors[index].load() : 0;
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= kColorCount)
        return nullptr;
    // Made once per index and kept, as the system's own brushes are.
    static HGDIOBJ brushes[kColorCount] = {};
    static std::once_flag made;
    std::call_once(made, [] {
        for (int i = 0; i < kColorCount; ++i) {
            auto brush = std::make_shared<qelwin::GdiObject>();
            brush->kind = qelwin::GdiKind::Brush;
            brush->stock = true;
            brush->systemColor = i;
            brushes[i] = qelwin::InsertGdiObject(std::move(brush));
        }
    });
    return reinterpret_cast<HBRUSH>(brushes[index]);
}

BOOL SetSysColors(int count, const INT *indexes, const COLORREF *values)
{
    if (count < 0 || (count > 0 && (indexes == nullptr || values == nullptr)))
        return FALSE;
    for (int i = 0; i < count; ++i) {
        if (indexes[i] < 0 || indexes[i] >= kColorCount)
            return FALSE;
    }
    for (int i = 0; i < count; ++i)
        colors[indexes[i]] = values[i] & 0xFFFFFF;
    // Oldest first, so that an owner hears before the windows it owns; a child is reached
    // through its parent.
    std::vector<HWND> windows = qelwin::WindowsOfThread(GetCurrentThreadId());
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if ((GetWindowLongA(*window, GWL_STYLE) & WS_CHILD) == 0)
            TellColorsChanged(*window);
    }
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return 1024;
    case SM_CYSCREEN:
        return 768;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    default:
        return 0;
    }
}
