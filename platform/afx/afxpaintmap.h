// Message-map entries of the painting messages (afxmsgmap.h says how entries work).
#pragma once

#include "afxdc.h"
#include "afxmsgmap.h"
#include "syscolors.h"
#include "windowgeometry.h"
#include "windowpaint.h"

// void OnPaint()
#define ON_WM_PAINT()                                                      \
    {WM_PAINT, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnPaint();                      \
         return 0;                                                         \
     }, false, 0, 0},

// BOOL OnEraseBkgnd(CDC *): TRUE when the background is erased.
#define ON_WM_ERASEBKGND()                                                                   \
    {WM_ERASEBKGND, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM) -> LRESULT {       \
         return static_cast<ThisClass *>(target)->OnEraseBkgnd(                               \
             CDC::FromHandle(reinterpret_cast<HDC>(wParam)));                                 \
     }, false, 0, 0},

// void OnSize(UINT nType, int cx, int cy): the new client size.
#define ON_WM_SIZE()                                                                         \
    {WM_SIZE, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {      \
         static_cast<ThisClass *>(target)->OnSize(static_cast<UINT>(wParam),                  \
                                                  static_cast<short>(LOWORD(lParam)),         \
                                                  static_cast<short>(HIWORD(lParam)));        \
         return 0;                                                                            \
     }, false, 0, 0},

// void OnSysColorChange()
#define ON_WM_SYSCOLORCHANGE()                                                       \
    {WM_SYSCOLORCHANGE, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnSysColorChange();                       \
         return 0;                                                                   \
     }, false, 0, 0},
