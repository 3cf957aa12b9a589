#include "windowtimers.h"

#include "lasterror.h"
#include "messagequeue.h"
#include "processthreads.h"
#include "windowtable.h"
#include "winerror.h"

namespace {

// The queue that keeps the timers of `window` (the calling thread's for NULL), or null
// with the error set when the calling thread may not set timers for it.
std::shared_ptr<qelwin::MessageQueue> TimerQueue(HWND window)
{
    if (window == nullptr)
        return qelwin::CurrentQueue();
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (record->queue == nullptr || record->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return record->queue;
}

} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    std::shared_ptr<qelwin::MessageQueue> queue = TimerQueue(window);
    if (queue == nullptr)
        return 0;
    if (elapse < USER_TIMER_MINIMUM)
        elapse = USER_TIMER_MINIMUM;
    if (elapse > USER_TIMER_MAXIMUM)
        elapse = USER_TIMER_MAXIMUM;
    return queue->SetTimer(window, id, elapse, procedure);
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    std::shared_ptr<qelwin::MessageQueue> queue = TimerQueue(window);
    if (queue == nullptr)
        return FALSE;
    if (!queue->KillTimer(window, id)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
