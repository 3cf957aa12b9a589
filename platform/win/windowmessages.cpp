#include "windowmessages.h"

#include "lasterror.h"
#include "messagequeue.h"
#include "processthreads.h"
#include "tickcount.h"
#include "windowtable.h"
#include "winerror.h"

namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

// Whether the filter of GetMessageA or PeekMessageA is one the calling thread can use.
bool IsUsableFilter(HWND window)
{
    if (window == nullptr || window == kThreadMessagesOnly)
        return true;
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr || record->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return true;
}

} // namespace

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG posted{window, message, wParam, lParam, 0, {0, 0}};
    if (window == nullptr)
        return qelwin::CurrentQueue()->Post(posted) ? TRUE : FALSE;
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (record->queue == nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return record->queue->Post(posted) ? TRUE : FALSE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (record->queue == nullptr)
        return 0; // the desktop handles nothing
    if (record->threadId == GetCurrentThreadId())
        return qelwin::CallWindowProcedure(*record, message, wParam, lParam);

    std::shared_ptr<qelwin::MessageQueue> own = qelwin::CurrentQueue();
    auto sent = std::make_shared<qelwin::SentMessage>();
    sent->window = window;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = own;
    if (!record->queue->Send(sent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return own->WaitForReply(sent);
}

BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last)
{
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!IsUsableFilter(window))
        return -1;
    qelwin::MessageQueue::Found found = qelwin::CurrentQueue()->Retrieve(message, window, first, last, true, true);
    return found == qelwin::MessageQueue::Found::Quit ? FALSE : TRUE;
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT removeFlags)
{
    if ((removeFlags & ~static_cast<UINT>(PM_REMOVE | PM_NOYIELD)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsUsableFilter(window))
        return FALSE;
    bool remove = (removeFlags & PM_REMOVE) != 0;
    qelwin::MessageQueue::Found found = qelwin::CurrentQueue()->Retrieve(message, window, first, last, remove, false);
    return found != qelwin::MessageQueue::Found::Nothing ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG *)
{
    return FALSE;
}

LRESULT DispatchMessageA(const MSG *message)
{
    if (message == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (message->message == WM_TIMER && message->lParam != 0) {
        auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        if (!qelwin::CurrentQueue()->HasTimer(message->hwnd, message->wParam, procedure))
            return 0;
        procedure(message->hwnd, WM_TIMER, message->wParam, GetTickCount());
        return 0;
    }
    if (message->hwnd == nullptr)
        return 0;
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(message->hwnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (record->queue == nullptr || record->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return qelwin::CallWindowProcedure(*record, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode)
{
    qelwin::CurrentQueue()->PostQuit(exitCode);
}
