// Window messages and message loops, without a display.
//
// Each thread has its own queue (made when the thread first makes a window or calls one
// of these functions). PostMessageA works from any thread and keeps the order of the
// messages posted to a thread; SendMessageA to a window of another thread waits until
// that thread has handled the message, and meanwhile handles what is sent to the waiting
// thread. Messages to a window that has been destroyed are dropped; its handle is refused.
#pragma once

#include "basetypes.h"

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time; // GetTickCount when the message was taken
    POINT pt;   // always 0, 0: there is no cursor
} MSG, *PMSG, *LPMSG;

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
// The font a control draws its text in (wParam; lParam: redraw at once), and the font it has.
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_TIMER 0x0113
#define WM_USER 0x0400

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// Queues the message for the window's thread and returns at once. NULL for `window` posts
// a message of the calling thread (hwnd NULL in the MSG). FALSE with
// ERROR_INVALID_WINDOW_HANDLE for a handle that is not a live window,
// ERROR_ACCESS_DENIED for the desktop window, ERROR_NOT_ENOUGH_QUOTA when 10000 posted
// messages wait in the thread's queue.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure's answer. A window of the calling thread is called directly; for
// a window of another thread the message waits in that thread's queue until the thread
// takes its messages (GetMessageA, PeekMessageA, or a SendMessageA of its own), and the
// calling thread handles the messages sent to it meanwhile. 0 when the window is destroyed
// or its thread ends before the message is handled, and 0 with
// ERROR_INVALID_WINDOW_HANDLE for a handle that is not a live window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Waits for the next message of the calling thread and takes it. The filter: `window`
// NULL takes every message, (HWND)-1 only the thread's own messages (hwnd NULL), another
// handle only that window's, which must be a window of the calling thread; `first` and
// `last` both 0 take every message number, else only those from `first` to `last`.
// Messages sent from other threads are handled first (and not returned), then posted
// messages come in the order they were posted, then WM_QUIT (whatever the filter), then
// WM_TIMER of a timer that is due. Answers 0 for WM_QUIT, -1 with
// ERROR_INVALID_WINDOW_HANDLE for a filter window that is not one of the thread's, else
// a positive value.
BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last);

// As GetMessageA without waiting: TRUE when a message was there. PM_REMOVE takes it,
// PM_NOREMOVE leaves it (a timer stays due); PM_NOYIELD changes nothing. FALSE with
// ERROR_INVALID_FLAGS for other flags.
BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT removeFlags);

// Windows makes character messages of key messages here; there is no keyboard, so it has
// nothing to translate and answers FALSE.
BOOL TranslateMessage(const MSG *message);

// Calls the window procedure of a message's window (which must be one of the calling
// thread's) and answers what it answers. WM_TIMER of a timer with its own procedure calls
// that procedure instead, once it is found to be a live timer of the thread, so a posted
// message cannot make the thread call an address of its choosing. Thread messages and
// messages of windows that are gone answer 0.
LRESULT DispatchMessageA(const MSG *message);

// Asks the calling thread's message loop to end: GetMessageA answers WM_QUIT with
// `exitCode` as wParam once no posted message is left.
void PostQuitMessage(int exitCode);

// The names of an ANSI build, which the system's code uses.
inline BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(window, message, wParam, lParam);
}

inline LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(window, message, wParam, lParam);
}

inline BOOL GetMessage(LPMSG message, HWND window, UINT first, UINT last)
{
    return GetMessageA(message, window, first, last);
}

inline BOOL PeekMessage(LPMSG message, HWND window, UINT first, UINT last, UINT removeFlags)
{
    return PeekMessageA(message, window, first, last, removeFlags);
}

inline LRESULT DispatchMessage(const MSG *message)
{
    return DispatchMessageA(message);
}
