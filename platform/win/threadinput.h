// What the focus and activation functions (windowfocus.h) learn from the rest of the
// layer (inside this layer only; not part of windows.h).
#pragma once

#include "windowtable.h"

namespace qelwin {

// A top-level window became its thread's active window (shown, or named foreground).
void ActivateWindow(const WindowRecord &window);

// The window was hidden or is being destroyed: when it, or a window inside it, had its
// thread's focus, no window has it now; when it was the active window, its owner is.
void WindowGone(const WindowRecord &window);

// The top-level window that holds `window` (itself when it is one); NULL for no window.
HWND TopLevelAncestor(HWND window);

} // namespace qelwin
