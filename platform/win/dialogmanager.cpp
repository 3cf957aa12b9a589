#include "dialogstate.h"

#include "lasterror.h"
#include "resources.h"
#include "systemclasses.h"
#include "threadinput.h"
#include "userinput.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowfocus.h"
#include "windowgeometry.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <algorithm>
#include <mutex>
#include <vector>
#include <unordered_map>

namespace {

struct DialogEntry {
    qelwin::TemplateName name;
    qelwin::ModalEnd *modal = nullptr;
};

struct DialogTable {
    std::mutex lock;
    std::unordered_map<HWND, DialogEntry> dialogs;
};

DialogTable &Dialogs()
{
    static DialogTable *table = new DialogTable;
    return *table;
}

qelwin::TemplateName NameOf(LPCSTR templateName)
{
    qelwin::TemplateName name;
    name.isId = IS_INTRESOURCE(templateName);
    if (name.isId)
        name.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(templateName));
    else
        name.text = templateName;
    return name;
}

void Enter(HWND dialog, LPCSTR templateName, qelwin::ModalEnd *modal)
{
    DialogTable &table = Dialogs();
    std::lock_guard<std::mutex> hold(table.lock);
    // A thread that ended took its windows without messages: their entries go here.
    for (auto entry = table.dialogs.begin(); entry != table.dialogs.end();) {
        if (qelwin::LookUpWindow(entry->first) == nullptr)
            entry = table.dialogs.erase(entry);
        else
            ++entry;
    }
    table.dialogs[dialog] = DialogEntry{NameOf(templateName), modal};
}

void Forget(HWND dialog)
{
    DialogTable &table = Dialogs();
    std::lock_guard<std::mutex> hold(table.lock);
    table.dialogs.erase(dialog);
}

const QEL_DLGTEMPLATE *FindTemplate(HINSTANCE instance, LPCSTR templateName)
{
    HRSRC resource = FindResourceA(instance, templateName, RT_DIALOG);
    if (resource == nullptr)
        return nullptr;
    if (SizeofResource(instance, resource) != sizeof(QEL_DLGTEMPLATE)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return static_cast<const QEL_DLGTEMPLATE *>(LockResource(LoadResource(instance, resource)));
}

RECT Pixels(HWND dialog, short x, short y, short cx, short cy)
{
    RECT rect{x, y, x + cx, y + cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

} // namespace

HWND qelwin::MakeDialog(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam,
                        ModalEnd *modal)
{
    if (templateName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const QEL_DLGTEMPLATE *layout = FindTemplate(instance, templateName);
    if (layout == nullptr || (layout->itemCount != 0 && layout->items == nullptr)) {
        if (layout != nullptr)
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    // A dialog owned by a window lies in that window's client area.
    POINT origin{0, 0};
    if (parent != nullptr && (layout->style & WS_CHILD) == 0)
        ClientToScreen(parent, &origin);
    RECT place{layout->x, layout->y, layout->x + layout->cx, layout->y + layout->cy};
    place = RECT{place.left * 2, place.top * 2, place.right * 2, place.bottom * 2};
    HWND dialog = CreateWindowExA(layout->exStyle, kDialogClassName, layout->caption,
                                  layout->style & ~static_cast<DWORD>(WS_VISIBLE), origin.x + place.left,
                                  origin.y + place.top, place.right - place.left, place.bottom - place.top, parent,
                                  nullptr, instance, nullptr);
    if (dialog == nullptr)
        return nullptr;
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(dialogProc));
    Enter(dialog, templateName, modal);

    HWND firstTabStop = nullptr;
    for (UINT i = 0; i < layout->itemCount; ++i) {
        const QEL_DLGITEMTEMPLATE &item = layout->items[i];
        // An item of an ActiveX class (a class identifier in braces) is the framework's
        // to make, as its control container makes it on Windows.
        if (item.className != nullptr && item.className[0] == '{')
            continue;
        RECT rect = Pixels(dialog, item.x, item.y, item.cx, item.cy);
        HWND control = CreateWindowExA(item.exStyle, item.className, item.text, item.style | WS_CHILD, rect.left,
                                       rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog,
                                       reinterpret_cast<HMENU>(static_cast<LONG_PTR>(item.id)), instance, nullptr);
        if (control == nullptr) {
            DWORD error = GetLastError();
            DestroyWindow(dialog);
            SetLastError(error);
            return nullptr;
        }
        if (firstTabStop == nullptr && (item.style & WS_TABSTOP) != 0)
            firstTabStop = control;
    }

    LRESULT focus = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
    if (!IsWindow(dialog)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (focus != 0 && firstTabStop != nullptr && IsWindow(firstTabStop))
        SetFocus(firstTabStop);
    if ((layout->style & WS_VISIBLE) != 0)
        ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

bool qelwin::DialogTemplate(HWND dialog, TemplateName *name)
{
    DialogTable &table = Dialogs();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.dialogs.find(dialog);
    if (found == table.dialogs.end())
        return false;
    *name = found->second.name;
    return true;
}

size_t qelwin::DialogCount()
{
    DialogTable &table = Dialogs();
    std::lock_guard<std::mutex> hold(table.lock);
    size_t count = 0;
    for (const auto &entry : table.dialogs)
        count += qelwin::LookUpWindow(entry.first) != nullptr ? 1 : 0;
    return count;
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam)
{
    return qelwin::MakeDialog(instance, templateName, parent, dialogProc, initParam, nullptr);
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    if (qelwin::LookUpWindow(dialog) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    {
        DialogTable &table = Dialogs();
        std::lock_guard<std::mutex> hold(table.lock);
        auto found = table.dialogs.find(dialog);
        if (found != table.dialogs.end() && found->second.modal != nullptr) {
            found->second.modal->result = result;
            found->second.modal->ended = true;
            return TRUE;
        }
    }
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

BOOL QelGetDialogResult(HWND dialog, INT_PTR *result)
{
    DialogTable &table = Dialogs();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.dialogs.find(dialog);
    if (found == table.dialogs.end() || found->second.modal == nullptr || !found->second.modal->ended ||
        result == nullptr)
        return FALSE;
    *result = found->second.modal->result;
    return TRUE;
}

namespace {

// WM_NEXTDLGCTL: lParam non-zero names the control in wParam; else the focus moves to the
// next (wParam 0) or previous visible, enabled tab stop after the focus, wrapping round.
void MoveFocus(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    if (lParam != 0) {
        HWND control = reinterpret_cast<HWND>(wParam);
        if (control != nullptr && GetParent(control) == dialog)
            SetFocus(control);
        return;
    }
    std::vector<HWND> stops;
    for (HWND child : qelwin::ChildWindows(dialog)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & (WS_TABSTOP | WS_VISIBLE)) == (WS_TABSTOP | WS_VISIBLE) && (style & WS_DISABLED) == 0)
            stops.push_back(child);
    }
    if (stops.empty())
        return;
    HWND focus = GetFocus();
    while (focus != nullptr && GetParent(focus) != dialog)
        focus = GetParent(focus);
    auto at = std::find(stops.begin(), stops.end(), focus);
    size_t count = stops.size(), index = at == stops.end() ? count - 1 : size_t(at - stops.begin());
    if (at == stops.end() && wParam != 0)
        index = 0;
    size_t next = wParam == 0 ? (index + 1) % count : (index + count - 1) % count;
    SetFocus(stops[next]);
}

} // namespace

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto dialogProc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
    if (dialogProc != nullptr) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        INT_PTR handled = dialogProc(dialog, message, wParam, lParam);
        if (handled != 0)
            return message == WM_INITDIALOG ? handled : GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
    }
    switch (message) {
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel))
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NEXTDLGCTL:
        MoveFocus(dialog, wParam, lParam);
        return 0;
    case WM_NCDESTROY:
        Forget(dialog);
        return DefWindowProcA(dialog, message, wParam, lParam);
    default:
        return DefWindowProcA(dialog, message, wParam, lParam);
    }
}
