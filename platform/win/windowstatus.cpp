#include "windowstatus.h"

#include "lasterror.h"
#include "threadinput.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowtable.h"
#include "winerror.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<HWND> foreground{nullptr};

} // namespace

BOOL GetWindowInfo(HWND window, PWINDOWINFO info)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    memset(info, 0, sizeof *info);
    info->cbSize = sizeof *info;
    GetWindowRect(window, &info->rcWindow);
    LONG frame = qelwin::FrameOf(*record);
    info->rcClient = RECT{info->rcWindow.left + frame, info->rcWindow.top + frame, info->rcWindow.right - frame,
                          info->rcWindow.bottom - frame};
    info->cxWindowBorders = info->cyWindowBorders = static_cast<UINT>(frame);
    {
        std::lock_guard<std::mutex> hold(record->lock);
        info->dwStyle = record->style;
        info->dwExStyle = record->exStyle;
    }
    info->dwWindowStatus = window == GetForegroundWindow() ? WS_ACTIVECAPTION : 0;
    info->wCreatorVersion = 0x0400;
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr || record->child)
        return FALSE;
    foreground = window;
    qelwin::ActivateWindow(*record);
    return TRUE;
}

HWND GetForegroundWindow()
{
    HWND window = foreground;
    return qelwin::LookUpWindow(window) != nullptr ? window : nullptr;
}
