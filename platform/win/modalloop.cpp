#include "dialogstate.h"

#include "controls.h"
#include "lasterror.h"
#include "processthreads.h"
#include "threadinput.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"
#include "winerror.h"

#include <mutex>

namespace {

struct DialogHandler {
    std::mutex lock;
    QEL_DIALOG_HANDLER handler = nullptr;
    void *context = nullptr;
};

DialogHandler &Handler()
{
    static DialogHandler *handler = new DialogHandler;
    return *handler;
}

// The handler's answer; QEL_DIALOG_DONE without a handler. The handler is called without
// the lock, since it may open dialogs that ask it in turn.
int Ask(HWND dialog, LPCSTR templateName, bool *asked)
{
    QEL_DIALOG_HANDLER handler;
    void *context;
    {
        DialogHandler &installed = Handler();
        std::lock_guard<std::mutex> hold(installed.lock);
        handler = installed.handler;
        context = installed.context;
    }
    *asked = handler != nullptr;
    return handler != nullptr ? handler(context, dialog, templateName) : QEL_DIALOG_DONE;
}

// Dispatches one posted message or due timer of the thread; false when there was none.
// A WM_QUIT is posted again and ends `*quit`.
bool DispatchOne(bool *quit)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        *quit = true;
        return true;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

bool Pending()
{
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

// The user is gone: the dialog is cancelled as by its Cancel button, and ended outright
// if it refuses, so that a modal loop never waits for a user who will not come.
void Dismiss(HWND dialog, qelwin::ModalEnd &end)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    bool quit = false;
    while (!end.ended && IsWindow(dialog) && !quit && DispatchOne(&quit)) {
    }
    if (!end.ended && IsWindow(dialog))
        EndDialog(dialog, IDCANCEL);
}

} // namespace

void QelSetDialogHandler(QEL_DIALOG_HANDLER handler, void *context)
{
    DialogHandler &installed = Handler();
    std::lock_guard<std::mutex> hold(installed.lock);
    installed.handler = handler;
    installed.context = context;
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam)
{
    owner = owner != nullptr ? qelwin::TopLevelAncestor(owner) : nullptr;
    const bool disabledOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disabledOwner)
        EnableWindow(owner, FALSE);

    qelwin::ModalEnd end;
    HWND dialog = qelwin::MakeDialog(instance, templateName, owner, dialogProc, initParam, &end);
    if (dialog != nullptr && !end.ended)
        ShowWindow(dialog, SW_SHOWNORMAL);

    LPARAM idleCount = 0;
    bool quit = false;
    while (dialog != nullptr && !end.ended && IsWindow(dialog)) {
        if (DispatchOne(&quit)) {
            if (quit)
                EndDialog(dialog, IDCANCEL);
            continue;
        }
        SendMessageA(dialog, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++);
        // What the idle work posted is handled before the user is asked.
        if (end.ended || !IsWindow(dialog) || Pending())
            continue;
        bool asked;
        if (Ask(dialog, templateName, &asked) == QEL_DIALOG_DONE && !end.ended && IsWindow(dialog))
            Dismiss(dialog, end);
    }

    // The owner is enabled again before the dialog goes, so that it takes the activation.
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    if (dialog == nullptr)
        return -1;
    INT_PTR result = end.ended ? end.result.load() : IDCANCEL;
    if (IsWindow(dialog))
        DestroyWindow(dialog);
    return result;
}

BOOL QelAnswerDialog(HWND dialog)
{
    qelwin::TemplateName name;
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(dialog);
    if (record == nullptr || record->threadId != GetCurrentThreadId() || !qelwin::DialogTemplate(dialog, &name)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool quit = false;
    for (;;) {
        while (!quit && DispatchOne(&quit)) {
        }
        if (!IsWindow(dialog))
            return TRUE;
        bool asked;
        int answer = Ask(dialog, name.Get(), &asked);
        if (!asked)
            return FALSE;
        if (answer == QEL_DIALOG_DONE) {
            while (!quit && DispatchOne(&quit)) {
            }
            return TRUE;
        }
    }
}
