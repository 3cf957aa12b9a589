// Message-map entries of the key, mouse, focus, capture and scrolling messages, and of
// the edit control's notifications (afxmsgmap.h says how entries work). Each handler
// leaves what it does not take to Default().
#pragma once

#include "afxgdi.h"
#include "afxmsgmap.h"
#include "afxwnd.h"
#include "controls.h"
#include "editcontrol.h"
#include "scrollbar.h"
#include "userinput.h"
#include "windowfocus.h"

class CScrollBar;

#define QEL_POINT_OF(lParam) CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))

// void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags), also for WM_SYSKEYDOWN
#define QEL_ON_KEY_MESSAGE(message, memberFxn)                                                   \
    {message, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {           \
         static_cast<ThisClass *>(target)->memberFxn(static_cast<UINT>(wParam), LOWORD(lParam),    \
                                                     HIWORD(lParam));                              \
         return 0;                                                                                 \
     }, false, 0, 0},
#define ON_WM_KEYDOWN() QEL_ON_KEY_MESSAGE(WM_KEYDOWN, OnKeyDown)
#define ON_WM_SYSKEYDOWN() QEL_ON_KEY_MESSAGE(WM_SYSKEYDOWN, OnSysKeyDown)

// void OnLButtonDown(UINT nFlags, CPoint point) and the other button and move messages
#define QEL_ON_MOUSE_MESSAGE(message, memberFxn)                                                       \
    {message, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {                 \
         static_cast<ThisClass *>(target)->memberFxn(static_cast<UINT>(wParam), QEL_POINT_OF(lParam));   \
         return 0;                                                                                       \
     }, false, 0, 0},
#define ON_WM_LBUTTONDOWN() QEL_ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() QEL_ON_MOUSE_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() QEL_ON_MOUSE_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() QEL_ON_MOUSE_MESSAGE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() QEL_ON_MOUSE_MESSAGE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEMOVE() QEL_ON_MOUSE_MESSAGE(WM_MOUSEMOVE, OnMouseMove)

// BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt): pt on the screen
#define ON_WM_MOUSEWHEEL()                                                                          \
    {WM_MOUSEWHEEL, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {       \
         return static_cast<ThisClass *>(target)->OnMouseWheel(LOWORD(wParam),                      \
                                                               GET_WHEEL_DELTA_WPARAM(wParam),       \
                                                               QEL_POINT_OF(lParam));                \
     }, false, 0, 0},

// BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {       \
         return static_cast<ThisClass *>(target)->OnSetCursor(                                      \
             CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));     \
     }, false, 0, 0},

// void OnSetFocus(CWnd *pOldWnd), void OnKillFocus(CWnd *pNewWnd)
#define QEL_ON_FOCUS_MESSAGE(message, memberFxn)                                                  \
    {message, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM) -> LRESULT {                  \
         static_cast<ThisClass *>(target)->memberFxn(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); \
         return 0;                                                                                \
     }, false, 0, 0},
#define ON_WM_SETFOCUS() QEL_ON_FOCUS_MESSAGE(WM_SETFOCUS, OnSetFocus)
#define ON_WM_KILLFOCUS() QEL_ON_FOCUS_MESSAGE(WM_KILLFOCUS, OnKillFocus)

// UINT OnGetDlgCode()
#define ON_WM_GETDLGCODE()                                                                \
    {WM_GETDLGCODE, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT {           \
         return static_cast<LRESULT>(static_cast<ThisClass *>(target)->OnGetDlgCode());    \
     }, false, 0, 0},

// void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar), OnHScroll alike
#define QEL_ON_SCROLL_MESSAGE(message, memberFxn)                                                      \
    {message, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {                \
         static_cast<ThisClass *>(target)->memberFxn(                                                   \
             LOWORD(wParam), HIWORD(wParam),                                                            \
             reinterpret_cast<CScrollBar *>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))));         \
         return 0;                                                                                      \
     }, false, 0, 0},
#define ON_WM_VSCROLL() QEL_ON_SCROLL_MESSAGE(WM_VSCROLL, OnVScroll)
#define ON_WM_HSCROLL() QEL_ON_SCROLL_MESSAGE(WM_HSCROLL, OnHScroll)

// void OnCancelMode()
#define ON_WM_CANCELMODE()                                                      \
    {WM_CANCELMODE, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnCancelMode();                      \
         return 0;                                                              \
     }, false, 0, 0},

// void OnEnable(BOOL bEnable)
#define ON_WM_ENABLE()                                                                   \
    {WM_ENABLE, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM) -> LRESULT {       \
         static_cast<ThisClass *>(target)->OnEnable(static_cast<BOOL>(wParam));          \
         return 0;                                                                       \
     }, false, 0, 0},

// void OnCaptureChanged(CWnd *pWnd)
#define ON_WM_CAPTURECHANGED()                                                                      \
    {WM_CAPTURECHANGED, nullptr, [](CCmdTarget *target, WPARAM, LPARAM lParam) -> LRESULT {          \
         static_cast<ThisClass *>(target)->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))); \
         return 0;                                                                                  \
     }, false, 0, 0},

// void OnNotification(): the control `id` told its parent `code` (WM_COMMAND)
#define ON_CONTROL(code, id, memberFxn)                                     \
    {WM_COMMAND, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->memberFxn();                     \
         return 0;                                                          \
     }, true, static_cast<UINT>(code), static_cast<UINT>(id)},
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
