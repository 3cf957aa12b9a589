// CMenu: the framework's object over a popup menu (popupmenu.h), which it destroys with
// itself.
#pragma once

#include "afxwnd.h"
#include "popupmenu.h"

class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu &) = delete;
    CMenu &operator=(const CMenu &) = delete;

    // FALSE when the object has a menu already or none can be made.
    BOOL CreatePopupMenu();
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    // As ::TrackPopupMenu with `pWnd` as the owner.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, LPCRECT lpRect = nullptr);
    BOOL DestroyMenu();
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    HMENU m_hMenu = nullptr;
};
