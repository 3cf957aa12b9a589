// Timers: WM_TIMER through the message queue.
//
// A timer belongs to the thread that sets it. When it is due, the thread's GetMessageA or
// PeekMessageA answers WM_TIMER (after every posted message, as timers are the least
// urgent); a timer that has fallen behind is due once, not once for each interval missed,
// and the next interval counts from when its WM_TIMER was taken.
#pragma once

#include "basetypes.h"

typedef VOID(CALLBACK *TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD tickCount);

#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF

// Starts, or with the same window and identifier restarts, a timer of `elapse`
// milliseconds, held to USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM. With a procedure,
// DispatchMessageA calls it instead of the window procedure. A window's timer keeps its
// identifier (the answer is that, or 1 for identifier 0); a thread timer (`window` NULL)
// gets a new identifier unless `id` names one of the thread's timers. 0 with
// ERROR_INVALID_WINDOW_HANDLE for a handle that is not a window, ERROR_ACCESS_DENIED for a
// window of another thread.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);

// Stops the timer; a WM_TIMER of it that has not been taken does not come. FALSE for a
// timer the thread does not have (ERROR_INVALID_PARAMETER) and for windows as SetTimer.
BOOL KillTimer(HWND window, UINT_PTR id);
