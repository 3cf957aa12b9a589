#include "drawingchecks.h"

#include "devicecontext.h"
#include "drawing.h"
#include "gdiobjects.h"
#include "messagequeue.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowmessages.h"
#include "windowpaint.h"
#include "windowstate.h"
#include "windowtable.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// Copies the window's surface to (x, y) of `dc`, then its visible children over it, the
// first made last since it is on top, each clipped to its parent's client area.
void Compose(HDC dc, HWND window, LONG x, LONG y, const RECT &clip, bool withChildren)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr)
        return;
    HDC source = CreateCompatibleDC(nullptr);
    std::shared_ptr<qelwin::DeviceContext> view = qelwin::LookUpDC(source);
    view->surface = record->surface;
    view->size = SIZE{record->surface->width, record->surface->height};
    std::shared_ptr<qelwin::DeviceContext> target = qelwin::LookUpDC(dc);
    target->clipped = true;
    target->clip = clip;
    BitBlt(dc, x, y, view->size.cx, view->size.cy, source, 0, 0, SRCCOPY);
    DeleteDC(source);
    if (!withChildren)
        return;
    LONG frame = qelwin::FrameOf(*record);
    RECT client{};
    GetClientRect(window, &client);
    RECT inside = qelwin::Intersect(clip, RECT{x + frame, y + frame, x + frame + client.right, y + frame + client.bottom});
    std::vector<HWND> children = qelwin::ChildWindows(window);
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if ((GetWindowLongA(*child, GWL_STYLE) & WS_VISIBLE) == 0)
            continue;
        std::shared_ptr<qelwin::WindowRecord> childRecord = qelwin::LookUpWindow(*child);
        if (childRecord == nullptr)
            continue;
        RECT at;
        {
            std::lock_guard<std::mutex> hold(childRecord->lock);
            at = childRecord->rect;
        }
        Compose(dc, *child, x + frame + at.left, y + frame + at.top, inside, true);
    }
}

} // namespace

HBITMAP QelCaptureWindow(HWND window, BOOL withChildren)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP capture = CreateCompatibleBitmap(dc, std::max<LONG>(record->surface->width, 1),
                                             std::max<LONG>(record->surface->height, 1));
    if (capture != nullptr) {
        HGDIOBJ before = SelectObject(dc, capture);
        Compose(dc, window, 0, 0, RECT{0, 0, record->surface->width, record->surface->height}, withChildren != FALSE);
        SelectObject(dc, before);
    }
    DeleteDC(dc);
    return capture;
}

void QelPaintPending()
{
    std::shared_ptr<qelwin::MessageQueue> queue = qelwin::CurrentQueue();
    for (HWND window = qelwin::WindowToPaint(*queue); window != nullptr; window = qelwin::WindowToPaint(*queue)) {
        SendMessageA(window, WM_PAINT, 0, 0);
        // A procedure that leaves its window invalid would be asked for ever; the loop of
        // a test must end, so what it left is taken as painted.
        if (qelwin::WindowToPaint(*queue) == window)
            ValidateRect(window, nullptr);
    }
}

BOOL QelShot(HWND window, LPCSTR name)
{
    const char *folder = std::getenv("QEL_SHOT_DIR");
    if (folder == nullptr || *folder == '\0')
        return TRUE;
    if (name == nullptr)
        return FALSE;
    HBITMAP capture = QelCaptureWindow(window, TRUE);
    if (capture == nullptr)
        return FALSE;
    BOOL written = QelWritePng(capture, (std::string(folder) + "/" + name + ".png").c_str());
    DeleteObject(capture);
    return written;
}
