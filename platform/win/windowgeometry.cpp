#include "windowgeometry.h"

#include "lasterror.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

namespace {

const LONG kScreenWidth = 1024;
const LONG kScreenHeight = 768;

// The window's top-left corner on the screen; false when it or a parent is gone.
bool ScreenOrigin(HWND window, POINT *origin)
{
    *origin = POINT{0, 0};
    for (;;) {
        std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
        if (record == nullptr)
            return false;
        if (record->queue == nullptr)
            return true; // the desktop
        std::lock_guard<std::mutex> hold(record->lock);
        origin->x += record->rect.left;
        origin->y += record->rect.top;
        if (!record->child)
            return true;
        window = record->parent;
    }
}

// The rectangle as kept, or false with the error set.
bool KeptRect(HWND window, RECT *rect)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (record->queue == nullptr) {
        *rect = RECT{0, 0, kScreenWidth, kScreenHeight};
        return true;
    }
    std::lock_guard<std::mutex> hold(record->lock);
    *rect = record->rect;
    return true;
}

} // namespace

BOOL GetWindowRect(HWND window, LPRECT rect)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT kept;
    POINT origin;
    if (!KeptRect(window, &kept) || !ScreenOrigin(window, &origin))
        return FALSE;
    *rect = RECT{origin.x, origin.y, origin.x + kept.right - kept.left, origin.y + kept.bottom - kept.top};
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT kept;
    if (!KeptRect(window, &kept))
        return FALSE;
    *rect = RECT{0, 0, kept.right - kept.left, kept.bottom - kept.top};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool resized = false;
    LONG newWidth, newHeight;
    {
        std::lock_guard<std::mutex> hold(record->lock);
        RECT &rect = record->rect;
        newWidth = rect.right - rect.left;
        newHeight = rect.bottom - rect.top;
        if ((flags & SWP_NOMOVE) == 0) {
            rect = RECT{x, y, x + newWidth, y + newHeight};
        }
        if ((flags & SWP_NOSIZE) == 0) {
            LONG wanted = width > 0 ? width : 0, wantedHeight = height > 0 ? height : 0;
            resized = wanted != newWidth || wantedHeight != newHeight;
            newWidth = wanted;
            newHeight = wantedHeight;
            rect.right = rect.left + newWidth;
            rect.bottom = rect.top + newHeight;
        }
    }
    if ((flags & SWP_SHOWWINDOW) != 0)
        ShowWindow(window, (flags & SWP_NOACTIVATE) != 0 ? SW_SHOWNA : SW_SHOW);
    if ((flags & SWP_HIDEWINDOW) != 0)
        ShowWindow(window, SW_HIDE);
    if (resized)
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(newWidth, newHeight));
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point)
{
    POINT origin;
    if (point == nullptr || !ScreenOrigin(window, &origin)) {
        SetLastError(point == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point)
{
    POINT origin;
    if (point == nullptr || !ScreenOrigin(window, &origin)) {
        SetLastError(point == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect)
{
    if (qelwin::LookUpWindow(dialog) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    rect->left *= 2;
    rect->top *= 2;
    rect->right *= 2;
    rect->bottom *= 2;
    return TRUE;
}
