#include "windowclass.h"

#include "crtstring.h"
#include "lasterror.h"
#include "systemclasses.h"
#include "userinput.h"
#include "windowcreate.h"
#include "windowgeometry.h"
#include "windowpaint.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

using WindowClass = qelwin::WindowClassEntry;

struct ClassTable {
    std::mutex lock;
    std::vector<WindowClass> classes; // few: a search is cheaper than an index
    size_t systemCount;

    // The system's own classes are there from the start, as on Windows.
    ClassTable() : classes(qelwin::SystemClasses()), systemCount(classes.size()) {}
};

// Never destroyed, as the window table is not.
ClassTable &Classes()
{
    static ClassTable *table = new ClassTable;
    return *table;
}

// Class atoms count up from here, as Windows' string atoms do.
const ATOM kFirstClassAtom = 0xC000;

} // namespace

ATOM RegisterClassA(const WNDCLASSA *windowClass)
{
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpszClassName[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ClassTable &table = Classes();
    std::lock_guard<std::mutex> hold(table.lock);
    for (const WindowClass &existing : table.classes) {
        if (_stricmp(existing.name.c_str(), windowClass->lpszClassName) == 0) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    if (table.classes.size() - table.systemCount > size_t(0xFFFF - kFirstClassAtom) ||
        windowClass->cbWndExtra < 0 || windowClass->cbWndExtra > qelwin::kMaxWindowExtraBytes) {
        SetLastError(windowClass->cbWndExtra < 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    table.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->cbWndExtra,
                             windowClass->style, windowClass->hbrBackground, windowClass->hCursor});
    return static_cast<ATOM>(kFirstClassAtom + table.classes.size() - table.systemCount - 1);
}

bool qelwin::FindWindowClass(LPCSTR className, WindowClassEntry *found)
{
    if (className == nullptr)
        return false;
    ClassTable &table = Classes();
    std::lock_guard<std::mutex> hold(table.lock);
    for (const WindowClass &existing : table.classes) {
        if (_stricmp(existing.name.c_str(), className) == 0) {
            *found = existing;
            return true;
        }
    }
    return false;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return qelwin::DefaultTextMessage(window, message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT:
    case WM_ERASEBKGND:
        return qelwin::DefaultPaintMessage(window, message, wParam);
    case WM_RBUTTONUP: {
        // As the platform does: the button's release asks for the context menu, at the
        // point on the screen.
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &point);
        SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
        return 0;
    }
    case WM_CONTEXTMENU:
        // A child that shows no menu of its own lets its parent show one.
        if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 && GetParent(window) != nullptr)
            return SendMessageA(GetParent(window), WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == window)
            ReleaseCapture();
        return 0;
    case WM_SETCURSOR: {
        // The parent may choose for its children; else the class's cursor, when it has one.
        HWND parent = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(window) : nullptr;
        if (parent != nullptr && SendMessageA(parent, WM_SETCURSOR, wParam, lParam) != 0)
            return TRUE;
        std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
        qelwin::WindowClassEntry entry;
        if (LOWORD(lParam) == HTCLIENT && record != nullptr && qelwin::FindWindowClass(record->className.c_str(), &entry) &&
            entry.cursor != nullptr)
            SetCursor(entry.cursor);
        return FALSE;
    }
    default:
        return 0;
    }
}
