// The state of a control that keeps more than a window word holds (the layer's own
// inside): an object that its first window word points at, made by WM_NCCREATE and
// deleted by WM_NCDESTROY. Messages reach a control on its own thread only, so the
// object needs no lock.
#pragma once

#include "basetypes.h"
#include "windowmessages.h"
#include "windowstate.h"

#include <new>

namespace qelwin {

// The control's state, or NULL before WM_NCCREATE made it.
template <class State>
State *ControlState(HWND control)
{
    return reinterpret_cast<State *>(GetWindowLongPtrA(control, 0));
}

// Makes the state on WM_NCCREATE (FALSE, failing the window, when memory is short) and
// deletes it on WM_NCDESTROY; TRUE with *result for those two, FALSE for any other.
template <class State>
bool ControlLifetime(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result)
{
    if (message == WM_NCCREATE) {
        State *state = new (std::nothrow) State();
        if (state == nullptr) {
            *result = FALSE;
            return true;
        }
        SetWindowLongPtrA(control, 0, reinterpret_cast<LONG_PTR>(state));
        *result = DefWindowProcA(control, message, wParam, lParam);
        return true;
    }
    if (message == WM_NCDESTROY) {
        delete ControlState<State>(control);
        SetWindowLongPtrA(control, 0, 0);
        *result = DefWindowProcA(control, message, wParam, lParam);
        return true;
    }
    return false;
}

} // namespace qelwin
