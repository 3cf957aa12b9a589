// What the dialog manager keeps of each dialog (inside this layer only; not part of
// windows.h): the template it was made from, for the dialog handler, and, while it runs
// modally, how it ended.
#pragma once

#include "dialogs.h"

#include <atomic>
#include <string>

namespace qelwin {

// A template name as it was given: an id, or a text.
struct TemplateName {
    bool isId = true;
    WORD id = 0;
    std::string text;

    LPCSTR Get() const { return isId ? reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(id)) : text.c_str(); }
};

// A modal dialog's end, set by EndDialog (from any thread) and read by its loop.
struct ModalEnd {
    std::atomic<bool> ended{false};
    std::atomic<INT_PTR> result{0};
};

// CreateDialogParamA with the modal end that EndDialog is to set, entered before the
// dialog's first message so that WM_INITDIALOG may end it already.
HWND MakeDialog(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam,
                ModalEnd *modal);

// The template of a dialog that the manager made; false for any other window.
bool DialogTemplate(HWND dialog, TemplateName *name);

// The dialogs the manager keeps: what a test counts to see that none is left.
size_t DialogCount();

} // namespace qelwin
