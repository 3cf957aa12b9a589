#include "windowstate.h"

#include "lasterror.h"
#include "threadinput.h"
#include "userinput.h"
#include "windowfocus.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "windowpaint.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>
#include <cstring>

namespace {

std::shared_ptr<qelwin::WindowRecord> Window(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record != nullptr && record->queue != nullptr ? record : nullptr;
}

DWORD StyleOf(const qelwin::WindowRecord &record)
{
    std::lock_guard<std::mutex> hold(record.lock);
    return record.style;
}

// The slot of a window value, or null for an index the window does not have.
LONG_PTR *Slot(qelwin::WindowRecord &record, int index, bool wide)
{
    if (index >= 0) {
        if (!wide || index % static_cast<int>(sizeof(LONG_PTR)) != 0 ||
            static_cast<size_t>(index) / sizeof(LONG_PTR) >= record.extra.size())
            return nullptr;
        return &record.extra[static_cast<size_t>(index) / sizeof(LONG_PTR)];
    }
    if (index == GWLP_ID)
        return &record.id;
    return nullptr;
}

LONG_PTR GetValue(HWND window, int index, bool wide)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(record->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(record->exStyle);
    case GWLP_WNDPROC:
        if (wide)
            return reinterpret_cast<LONG_PTR>(record->procedure);
        break;
    default:
        if (LONG_PTR *slot = Slot(*record, index, wide))
            return *slot;
        break;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR SetValue(HWND window, int index, LONG_PTR value, bool wide)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    LONG_PTR previous;
    switch (index) {
    case GWL_STYLE:
        previous = static_cast<LONG>(record->style);
        record->style = (static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_CHILD)) |
                        (record->child ? static_cast<DWORD>(WS_CHILD) : 0);
        break;
    case GWL_EXSTYLE:
        previous = static_cast<LONG>(record->exStyle);
        record->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_WNDPROC:
        if (!wide || value == 0) {
            SetLastError(wide ? ERROR_INVALID_PARAMETER : ERROR_INVALID_INDEX);
            return 0;
        }
        previous = reinterpret_cast<LONG_PTR>(record->procedure);
        record->procedure = reinterpret_cast<WNDPROC>(value);
        break;
    default: {
        LONG_PTR *slot = Slot(*record, index, wide);
        if (slot == nullptr) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        previous = *slot;
        *slot = value;
        break;
    }
    }
    if (previous == 0)
        SetLastError(0);
    return previous;
}

void ChangeStyle(qelwin::WindowRecord &record, DWORD bit, bool set)
{
    std::lock_guard<std::mutex> hold(record.lock);
    record.style = set ? record.style | bit : record.style & ~bit;
}

} // namespace

LRESULT qelwin::DefaultTextMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<WindowRecord> record = Window(window);
    if (record == nullptr)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    switch (message) {
    case WM_SETTEXT: {
        LPCSTR text = reinterpret_cast<LPCSTR>(lParam);
        record->text = text != nullptr ? text : "";
        return TRUE;
    }
    case WM_GETTEXT: {
        LPSTR buffer = reinterpret_cast<LPSTR>(lParam);
        if (buffer == nullptr || wParam == 0)
            return 0;
        size_t count = std::min(record->text.size(), static_cast<size_t>(wParam) - 1);
        memcpy(buffer, record->text.data(), count);
        buffer[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    default:
        return static_cast<LRESULT>(record->text.size());
    }
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
    if (Window(window) == nullptr)
        return FALSE;
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int GetWindowTextLengthA(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    return static_cast<int>(record->text.size());
}

BOOL ShowWindow(HWND window, int command)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return FALSE;
    const bool wasVisible = (StyleOf(*record) & WS_VISIBLE) != 0;
    ChangeStyle(*record, WS_VISIBLE, command != SW_HIDE);
    if (command == SW_HIDE) {
        if (wasVisible)
            qelwin::WindowGone(*record);
    } else if (!wasVisible) {
        InvalidateRect(window, nullptr, TRUE);
    }
    if (command != SW_HIDE && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
        qelwin::ActivateWindow(*record);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    for (;;) {
        std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
        if (record == nullptr || record->queue == nullptr || (StyleOf(*record) & WS_VISIBLE) == 0)
            return FALSE;
        if (!record->child)
            return TRUE;
        window = record->parent;
    }
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return FALSE;
    const bool wasDisabled = (StyleOf(*record) & WS_DISABLED) != 0;
    ChangeStyle(*record, WS_DISABLED, !enable);
    if (wasDisabled == (enable == FALSE))
        return wasDisabled ? TRUE : FALSE;
    // A disabled window takes no input: it gives up the focus, inside it too, and the
    // capture.
    if (!enable) {
        for (HWND focus = GetFocus(); focus != nullptr; focus = GetParent(focus)) {
            if (focus == window) {
                SetFocus(nullptr);
                break;
            }
            if ((GetWindowLongA(focus, GWL_STYLE) & WS_CHILD) == 0)
                break;
        }
        if (GetCapture() == window)
            ReleaseCapture();
    }
    SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    return record != nullptr && (StyleOf(*record) & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND GetParent(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    return record != nullptr && qelwin::LookUpWindow(record->parent) != nullptr ? record->parent : nullptr;
}

int GetDlgCtrlID(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr || !record->child)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    return static_cast<int>(record->id);
}

int GetClassNameA(HWND window, LPSTR name, int maxCount)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr || name == nullptr || maxCount <= 0)
        return 0;
    size_t count = std::min(record->className.size(), static_cast<size_t>(maxCount) - 1);
    memcpy(name, record->className.data(), count);
    name[count] = '\0';
    return static_cast<int>(count);
}

HWND GetWindow(HWND window, UINT command)
{
    std::shared_ptr<qelwin::WindowRecord> record = Window(window);
    if (record == nullptr)
        return nullptr;
    if (command == GW_CHILD) {
        std::vector<HWND> children = qelwin::ChildWindows(window);
        return children.empty() ? nullptr : children.front();
    }
    if ((command != GW_HWNDNEXT && command != GW_HWNDPREV) || !record->child)
        return nullptr;
    std::vector<HWND> siblings = qelwin::ChildWindows(record->parent);
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] != window)
            continue;
        if (command == GW_HWNDNEXT)
            return i + 1 < siblings.size() ? siblings[i + 1] : nullptr;
        return i > 0 ? siblings[i - 1] : nullptr;
    }
    return nullptr;
}

LONG GetWindowLongA(HWND window, int index)
{
    return static_cast<LONG>(GetValue(window, index, false));
}

LONG SetWindowLongA(HWND window, int index, LONG value)
{
    return static_cast<LONG>(SetValue(window, index, value, false));
}

LONG_PTR GetWindowLongPtrA(HWND window, int index)
{
    return GetValue(window, index, true);
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value)
{
    return SetValue(window, index, value, true);
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}
