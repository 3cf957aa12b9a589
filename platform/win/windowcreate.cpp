#include "windowcreate.h"

#include "creationhook.h"

#include "lasterror.h"
#include "messagequeue.h"
#include "processthreads.h"
#include "systemclasses.h"
#include "threadinput.h"
#include "windowclass.h"
#include "windowgonehooks.h"
#include "windowmessages.h"
#include "windowpaint.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <utility>

namespace {

HWND Fail(DWORD error)
{
    SetLastError(error);
    return nullptr;
}

// Takes a window out of the table and out of its queue when its destruction ends, also
// when a procedure throws on the way.
struct Removal {
    HWND window;
    std::shared_ptr<qelwin::MessageQueue> queue;

    ~Removal()
    {
        qelwin::RemoveWindow(window);
        queue->ForgetWindow(window);
        qelwin::TellWindowGone(window);
    }
};

thread_local QEL_CREATION_HOOK t_creationHook = nullptr;

} // namespace

QEL_CREATION_HOOK QelSetCreationHook(QEL_CREATION_HOOK hook)
{
    return std::exchange(t_creationHook, hook);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR name, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    qelwin::WindowClassEntry windowClass;
    if (!qelwin::FindWindowClass(className, &windowClass))
        return Fail(ERROR_CANNOT_FIND_WND_CLASS);
    if ((style & WS_CHILD) != 0 && parent == nullptr)
        return Fail(ERROR_TLW_WITH_WSCHILD);
    if (parent != nullptr) {
        std::shared_ptr<qelwin::WindowRecord> parentRecord = qelwin::LookUpWindow(parent);
        if (parentRecord == nullptr)
            return Fail(ERROR_INVALID_WINDOW_HANDLE);
        if (parentRecord->queue == nullptr || parentRecord->threadId != GetCurrentThreadId())
            return Fail(ERROR_ACCESS_DENIED);
    }

    if (x == CW_USEDEFAULT)
        x = y = 0;
    auto record = std::make_shared<qelwin::WindowRecord>();
    record->procedure = windowClass.procedure;
    record->classStyle = windowClass.style;
    record->background = windowClass.background;
    record->queue = qelwin::CurrentQueue();
    record->threadId = GetCurrentThreadId();
    record->text = name != nullptr ? name : "";
    record->style = style;
    record->exStyle = exStyle;
    record->parent = parent;
    record->child = (style & WS_CHILD) != 0;
    record->className = className;
    // A child's menu argument is its identifier.
    record->id = record->child ? reinterpret_cast<LONG_PTR>(menu) : 0;
    record->rect = RECT{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
    record->extra.assign(static_cast<size_t>(windowClass.extraBytes) / sizeof(LONG_PTR), 0);
    record->surface->Resize(record->rect.right - record->rect.left, record->rect.bottom - record->rect.top);
    HWND window = qelwin::InsertWindow(record);
    if (window == nullptr)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    if (t_creationHook != nullptr)
        t_creationHook(window);

    CREATESTRUCTA create{parameter, instance, menu,  parent, height,   width,
                         y,         x,        static_cast<LONG>(style), name, className, exStyle};
    LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!qelwin::CallWindowProcedure(*record, WM_NCCREATE, 0, createParam)) {
        Removal removal{window, record->queue};
        qelwin::CallWindowProcedure(*record, WM_NCDESTROY, 0, 0);
        return nullptr;
    }
    if (qelwin::CallWindowProcedure(*record, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0)
        InvalidateRect(window, nullptr, TRUE);
    return window;
}

BOOL DestroyWindow(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (record->queue == nullptr || record->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (record->destroying)
        return TRUE;
    record->destroying = true;

    Removal removal{window, record->queue};
    // Hidden first, as Windows does, so that its owner takes the activation.
    qelwin::WindowGone(*record);
    qelwin::CallWindowProcedure(*record, WM_DESTROY, 0, 0);
    for (HWND dependent : qelwin::DependentWindows(window))
        DestroyWindow(dependent);
    qelwin::CallWindowProcedure(*record, WM_NCDESTROY, 0, 0);
    return TRUE;
}
