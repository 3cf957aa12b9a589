#include "dialogs.h"

#include "controls.h"
#include "lasterror.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

HWND GetDlgItem(HWND dialog, int id)
{
    if (qelwin::LookUpWindow(dialog) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND child : qelwin::ChildWindows(dialog)) {
        if (GetDlgCtrlID(child) == id)
            return child;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount)
{
    if (text != nullptr && maxCount > 0)
        text[0] = '\0';
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr || text == nullptr || maxCount <= 0)
        return 0;
    return static_cast<UINT>(SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr)
        return FALSE;
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check)
{
    if (qelwin::LookUpWindow(dialog) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    for (HWND child : qelwin::ChildWindows(dialog)) {
        int id = GetDlgCtrlID(child);
        if (id >= first && id <= last)
            SendMessageA(child, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}
