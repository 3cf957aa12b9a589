// What other layers keep per window (OLE's drop targets) must go when the window goes;
// Windows does that inside the system, here a layer asks to be told.
#pragma once

#include "basetypes.h"

typedef void (*QEL_WINDOW_GONE_HOOK)(HWND window);

// `hook` is called, on the window's thread and with no lock of this layer held, once a
// window has been destroyed and its handle is no longer valid. Adding a hook twice
// calls it once.
void QelAddWindowGoneHook(QEL_WINDOW_GONE_HOOK hook);

namespace qelwin {

// Calls the hooks for `window`.
void TellWindowGone(HWND window);

} // namespace qelwin
