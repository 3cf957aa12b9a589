// The host's main window, the owner of the servers' message boxes and dialogs.
#pragma once

#include <afx.h>

// One window object for the process, made at the first call. Mode 1 lets the window go.
// Any other mode finds the window when none is held (or the one held was destroyed):
// the first top-level window of this process whose title begins with "QEL Desktop",
// else the desktop window. When `active` is given it receives 1 when the window's
// caption is active, 0 when it is not, and -1 when that cannot be told (no window held).
// The object is shared by the worker thread and the user-interface thread, so every
// call is serialised.
CWnd *GetHostMainWnd(int mode, int *active);
