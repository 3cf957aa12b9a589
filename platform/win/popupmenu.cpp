#include "popupmenu.h"

#include "dialogs.h"
#include "lasterror.h"
#include "processthreads.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "winerror.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    std::string text;
};

// Menus may be made on one thread and offered on another; the table is guarded, and a
// menu is copied out before its handler runs, so the handler may destroy it.
struct MenuTable {
    std::mutex lock;
    std::unordered_map<HMENU, std::vector<MenuItem>> menus;
    ULONG_PTR lastHandle = 0;
    QELMENUHANDLER handler = nullptr;
    LPVOID context = nullptr;
};

MenuTable &Menus()
{
    static auto *table = new MenuTable();
    return *table;
}

const ULONG_PTR kHandleBase = 0x4D000000; // apart from the numbers of other handles

} // namespace

HMENU CreatePopupMenu()
{
    MenuTable &table = Menus();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.lastHandle == 0xFFFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HMENU menu = reinterpret_cast<HMENU>(kHandleBase + ++table.lastHandle);
    table.menus.emplace(menu, std::vector<MenuItem>());
    return menu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text)
{
    MenuTable &table = Menus();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.menus.find(menu);
    if (found == table.menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    bool separator = (flags & MF_SEPARATOR) != 0;
    if ((flags & MF_POPUP) != 0 || (!separator && text == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    found->second.push_back(separator ? MenuItem{MF_SEPARATOR, 0, std::string()} : MenuItem{flags, id, text});
    return TRUE;
}

BOOL DestroyMenu(HMENU menu)
{
    MenuTable &table = Menus();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.menus.erase(menu) == 0) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT *)
{
    MenuTable &table = Menus();
    std::vector<MenuItem> items;
    QELMENUHANDLER handler = nullptr;
    LPVOID context = nullptr;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.menus.find(menu);
        if (found == table.menus.end()) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        items = found->second;
        handler = table.handler;
        context = table.context;
    }
    if (!IsWindow(owner) || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    UINT_PTR chosen = 0;
    if (handler != nullptr) {
        std::vector<QELMENUITEM> offered;
        for (const MenuItem &item : items)
            offered.push_back(QELMENUITEM{item.flags, item.id, item.text.c_str()});
        chosen = handler(offered.data(), static_cast<int>(offered.size()), x, y, context);
    }
    bool choosable = false;
    for (const MenuItem &item : items)
        if (chosen != 0 && item.id == chosen && (item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0)
            choosable = true;
    if (!choosable)
        chosen = 0;
    if ((flags & TPM_RETURNCMD) != 0)
        return static_cast<BOOL>(chosen);
    if (chosen != 0)
        PostMessageA(owner, WM_COMMAND, static_cast<WPARAM>(chosen & 0xFFFF), 0);
    return TRUE;
}

QELMENUHANDLER QelSetMenuHandler(QELMENUHANDLER handler, LPVOID context)
{
    MenuTable &table = Menus();
    std::lock_guard<std::mutex> guard(table.lock);
    QELMENUHANDLER old = table.handler;
    table.handler = handler;
    table.context = context;
    return old;
}
