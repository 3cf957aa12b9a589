#include "windowpaint.h"

#include "devicecontext.h"
#include "drawing.h"
#include "gdistate.h"
#include "lasterror.h"
#include "messagequeue.h"
#include "syscolors.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>
#include <cstring>

using qelwin::WindowRecord;

namespace {

std::shared_ptr<WindowRecord> Window(HWND window)
{
    std::shared_ptr<WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return record;
}

RECT ClientArea(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

RECT Union(const RECT &a, const RECT &b)
{
    if (qelwin::IsEmpty(a))
        return b;
    if (qelwin::IsEmpty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// What is left of `update` once `valid` is taken out, as far as one rectangle says it:
// it shrinks only when `valid` covers a whole side of it.
RECT Subtract(const RECT &update, const RECT &valid)
{
    RECT cut = qelwin::Intersect(update, valid);
    if (qelwin::IsEmpty(cut))
        return update;
    RECT left = update;
    bool across = cut.left == update.left && cut.right == update.right;
    bool down = cut.top == update.top && cut.bottom == update.bottom;
    if (across && down)
        return RECT{0, 0, 0, 0};
    if (across && cut.top == update.top)
        left.top = cut.bottom;
    else if (across && cut.bottom == update.bottom)
        left.bottom = cut.top;
    else if (down && cut.left == update.left)
        left.left = cut.right;
    else if (down && cut.right == update.right)
        left.right = cut.left;
    return left;
}

// A DC on the client area of the window, not yet in the table.
std::shared_ptr<qelwin::DeviceContext> ClientContext(HWND window, const WindowRecord &record)
{
    std::shared_ptr<qelwin::DeviceContext> dc = qelwin::NewDeviceContext();
    LONG frame = qelwin::FrameOf(record);
    RECT client = ClientArea(window);
    dc->window = window;
    dc->surface = record.surface;
    dc->offset = POINT{frame, frame};
    dc->size = SIZE{client.right, client.bottom};
    return dc;
}

void DrawFrame(const WindowRecord &record)
{
    if (qelwin::FrameOf(record) == 0)
        return;
    qelwin::Surface &surface = *record.surface;
    if (surface.width == 0 || surface.height == 0)
        return;
    uint32_t pixel = qelwin::PixelOf(GetSysColor(COLOR_WINDOWFRAME));
    size_t width = static_cast<size_t>(surface.width);
    std::fill_n(surface.pixels.begin(), width, pixel);
    std::fill_n(surface.pixels.end() - static_cast<std::ptrdiff_t>(width), width, pixel);
    for (size_t y = 0; y < static_cast<size_t>(surface.height); ++y) {
        surface.pixels[y * width] = pixel;
        surface.pixels[y * width + width - 1] = pixel;
    }
}

void Erase(HWND window, HDC dc)
{
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

} // namespace

HDC GetDC(HWND window)
{
    if (window == nullptr)
        return qelwin::InsertDC(qelwin::NewDeviceContext());
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr)
        return nullptr;
    return qelwin::InsertDC(ClientContext(window, *record));
}

int ReleaseDC(HWND, HDC dc)
{
    std::shared_ptr<qelwin::DeviceContext> found = qelwin::LookUpDC(dc);
    if (found == nullptr || found->memory)
        return 0;
    qelwin::RemoveDC(dc);
    return 1;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr || paint == nullptr)
        return nullptr;
    std::memset(paint, 0, sizeof *paint);
    bool erase;
    {
        std::lock_guard<std::mutex> hold(record->lock);
        paint->rcPaint = record->update;
        erase = record->erase;
        record->update = RECT{0, 0, 0, 0};
        record->erase = false;
    }
    DrawFrame(*record);
    std::shared_ptr<qelwin::DeviceContext> context = ClientContext(window, *record);
    context->clipped = true;
    context->clip = paint->rcPaint;
    paint->hdc = qelwin::InsertDC(std::move(context));
    // Only a pending erase that WM_ERASEBKGND left undone is the painter's to do.
    paint->fErase = FALSE;
    if (erase)
        paint->fErase = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT *paint)
{
    if (paint == nullptr)
        return FALSE;
    return ReleaseDC(nullptr, paint->hdc) == 1 ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND window, const RECT *rect, BOOL erase)
{
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr)
        return FALSE;
    RECT client = ClientArea(window);
    RECT added = rect != nullptr ? qelwin::Intersect(*rect, client) : client;
    if (qelwin::IsEmpty(added))
        return TRUE;
    {
        std::lock_guard<std::mutex> hold(record->lock);
        record->update = Union(record->update, added);
        record->erase = record->erase || erase;
    }
    // Its thread may be waiting for a message, and WM_PAINT is one now.
    record->queue->Wake();
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT *rect)
{
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr)
        return FALSE;
    std::lock_guard<std::mutex> hold(record->lock);
    record->update = rect != nullptr ? Subtract(record->update, *rect) : RECT{0, 0, 0, 0};
    if (qelwin::IsEmpty(record->update)) {
        record->update = RECT{0, 0, 0, 0};
        record->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase)
{
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr)
        return FALSE;
    RECT update;
    bool eraseDue;
    {
        std::lock_guard<std::mutex> hold(record->lock);
        update = record->update;
        eraseDue = record->erase && !qelwin::IsEmpty(update);
        if (erase)
            record->erase = false;
    }
    if (erase && eraseDue) {
        std::shared_ptr<qelwin::DeviceContext> context = ClientContext(window, *record);
        context->clipped = true;
        context->clip = update;
        HDC dc = qelwin::InsertDC(std::move(context));
        Erase(window, dc);
        qelwin::RemoveDC(dc);
    }
    if (rect != nullptr)
        *rect = update;
    return qelwin::IsEmpty(update) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND window)
{
    if (Window(window) == nullptr)
        return FALSE;
    if (GetUpdateRect(window, nullptr, FALSE))
        SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND window, const RECT *rect, HRGN region, UINT flags)
{
    if (Window(window) == nullptr || region != nullptr)
        return FALSE;
    if ((flags & RDW_INVALIDATE) != 0)
        InvalidateRect(window, rect, (flags & RDW_ERASE) != 0);
    if ((flags & RDW_VALIDATE) != 0)
        ValidateRect(window, rect);
    if ((flags & RDW_NOERASE) != 0) {
        std::shared_ptr<WindowRecord> record = Window(window);
        std::lock_guard<std::mutex> hold(record->lock);
        record->erase = false;
    }
    if ((flags & RDW_ERASENOW) != 0)
        GetUpdateRect(window, nullptr, TRUE);
    if ((flags & RDW_UPDATENOW) != 0)
        UpdateWindow(window);
    if ((flags & RDW_ALLCHILDREN) != 0 && (flags & RDW_NOCHILDREN) == 0) {
        for (HWND child : qelwin::ChildWindows(window))
            RedrawWindow(child, nullptr, nullptr, flags);
    }
    return TRUE;
}

LRESULT qelwin::DefaultPaintMessage(HWND window, UINT message, WPARAM wParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        if (BeginPaint(window, &paint) != nullptr)
            EndPaint(window, &paint);
        return 0;
    }
    std::shared_ptr<WindowRecord> record = Window(window);
    COLORREF color;
    if (record == nullptr || !BrushColor(record->background, &color))
        return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT client = ClientArea(window);
    return FillRect(dc, &client, record->background);
}

HWND qelwin::WindowToPaint(const MessageQueue &queue)
{
    auto invalid = [](HWND window) {
        std::shared_ptr<WindowRecord> record = LookUpWindow(window);
        if (record == nullptr)
            return false;
        {
            std::lock_guard<std::mutex> hold(record->lock);
            if (IsEmpty(record->update))
                return false;
        }
        return IsWindowVisible(window) != FALSE;
    };
    std::vector<HWND> windows = WindowsOfThread(queue.ThreadId());
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (!invalid(*window))
            continue;
        // A parent first: the topmost invalid window above this one.
        HWND first = *window;
        for (HWND at = first; (GetWindowLongA(at, GWL_STYLE) & WS_CHILD) != 0;) {
            at = GetParent(at);
            if (at == nullptr)
                break;
            if (invalid(at))
                first = at;
        }
        return first;
    }
    return nullptr;
}
