#include "windowgeometry.h"

#include "lasterror.h"
#include "windowclass.h"
#include "windowpaint.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>

namespace {

const LONG kScreenWidth = 1024;
const LONG kScreenHeight = 768;

// The window's top-left corner on the screen, or its client area's; false when it or a
// parent is gone.
bool ScreenOrigin(HWND window, POINT *origin, bool client = false)
{
    *origin = POINT{0, 0};
    for (;;) {
        std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
        if (record == nullptr)
            return false;
        if (record->queue == nullptr)
            return true; // the desktop
        LONG frame = client ? qelwin::FrameOf(*record) : 0;
        std::lock_guard<std::mutex> hold(record->lock);
        origin->x += record->rect.left + frame;
        origin->y += record->rect.top + frame;
        if (!record->child)
            return true;
        window = record->parent;
        client = true; // a child lies in its parent's client area
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
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    LONG frame = record != nullptr && record->queue != nullptr ? 2 * qelwin::FrameOf(*record) : 0;
    *rect = RECT{0, 0, std::max<LONG>(kept.right - kept.left - frame, 0), std::max<LONG>(kept.bottom - kept.top - frame, 0)};
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((flags & SWP_NOZORDER) == 0 && record->child && insertAfter != window &&
        !qelwin::PlaceChildAfter(window, insertAfter == HWND_TOP ? nullptr : insertAfter)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool resized = false;
    LONG newWidth, newHeight, oldWidth, oldHeight;
    {
        std::lock_guard<std::mutex> hold(record->lock);
        RECT &rect = record->rect;
        oldWidth = newWidth = rect.right - rect.left;
        oldHeight = newHeight = rect.bottom - rect.top;
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
    if (resized) {
        record->surface->Resize(newWidth, newHeight);
        RECT client;
        GetClientRect(window, &client);
        bool all = ((record->classStyle & CS_HREDRAW) != 0 && newWidth != oldWidth) ||
                   ((record->classStyle & CS_VREDRAW) != 0 && newHeight != oldHeight);
        // With one update rectangle, what is new is the bounding box of the strips that
        // grew; the frame moves with the size, so its old place is new too.
        LONG frame = qelwin::FrameOf(*record);
        RECT fresh{std::min(oldWidth, newWidth) - 2 * frame, std::min(oldHeight, newHeight) - 2 * frame, client.right,
                   client.bottom};
        if (newWidth > oldWidth && newHeight <= oldHeight)
            fresh.top = 0;
        if (newHeight > oldHeight && newWidth <= oldWidth)
            fresh.left = 0;
        if (newWidth > oldWidth && newHeight > oldHeight)
            fresh.left = fresh.top = 0;
        if (all)
            InvalidateRect(window, nullptr, TRUE);
        else if (newWidth > oldWidth || newHeight > oldHeight)
            InvalidateRect(window, &fresh, TRUE);
        SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point)
{
    POINT origin;
    if (point == nullptr || !ScreenOrigin(window, &origin, true)) {
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
    if (point == nullptr || !ScreenOrigin(window, &origin, true)) {
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

LONG qelwin::FrameOf(const WindowRecord &window)
{
    std::lock_guard<std::mutex> hold(window.lock);
    return (window.style & WS_BORDER) != 0 && (window.style & WS_DLGFRAME) == 0 ? 1 : 0;
}
