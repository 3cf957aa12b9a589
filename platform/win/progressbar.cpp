#include "progressbar.h"

#include "systemclasses.h"
#include "windowmessages.h"
#include "windowstate.h"

namespace {

// The window words: the range's ends and the position.
const int kLow = 0;
const int kHigh = static_cast<int>(sizeof(LONG_PTR));
const int kPosition = 2 * static_cast<int>(sizeof(LONG_PTR));

LONG_PTR Inside(HWND bar, LONG_PTR position)
{
    LONG_PTR low = GetWindowLongPtrA(bar, kLow), high = GetWindowLongPtrA(bar, kHigh);
    return position < low ? low : position > high ? high : position;
}

LRESULT SetRange(HWND bar, LONG_PTR low, LONG_PTR high)
{
    LRESULT old = MAKELONG(static_cast<WORD>(GetWindowLongPtrA(bar, kLow)), static_cast<WORD>(GetWindowLongPtrA(bar, kHigh)));
    SetWindowLongPtrA(bar, kLow, low);
    SetWindowLongPtrA(bar, kHigh, high < low ? low : high);
    SetWindowLongPtrA(bar, kPosition, Inside(bar, GetWindowLongPtrA(bar, kPosition)));
    return old;
}

} // namespace

namespace qelwin {

const int kProgressBarExtraBytes = 3 * static_cast<int>(sizeof(LONG_PTR));

LRESULT CALLBACK ProgressBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(bar, kHigh, 100);
        return DefWindowProcA(bar, message, wParam, lParam);
    case PBM_SETRANGE:
        return SetRange(bar, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
        return SetRange(bar, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_SETPOS: {
        LRESULT old = GetWindowLongPtrA(bar, kPosition);
        SetWindowLongPtrA(bar, kPosition, Inside(bar, static_cast<int>(wParam)));
        return old;
    }
    case PBM_GETPOS:
        return GetWindowLongPtrA(bar, kPosition);
    default:
        return DefWindowProcA(bar, message, wParam, lParam);
    }
}

} // namespace qelwin
