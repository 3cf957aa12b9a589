#include "windowclass.h"

#include "crtstring.h"
#include "lasterror.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "winerror.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

struct WindowClass {
    std::string name;
    WNDPROC procedure;
};

struct ClassTable {
    std::mutex lock;
    std::vector<WindowClass> classes; // few: a search is cheaper than an index
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
    if (table.classes.size() > size_t(0xFFFF - kFirstClassAtom)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    table.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc});
    return static_cast<ATOM>(kFirstClassAtom + table.classes.size() - 1);
}

WNDPROC qelwin::FindWindowClassProcedure(LPCSTR className)
{
    if (className == nullptr)
        return nullptr;
    ClassTable &table = Classes();
    std::lock_guard<std::mutex> hold(table.lock);
    for (const WindowClass &existing : table.classes) {
        if (_stricmp(existing.name.c_str(), className) == 0)
            return existing.procedure;
    }
    return nullptr;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}
