#include "windowinfo.h"

#include "lasterror.h"
#include "processthreads.h"
#include "windowtable.h"
#include "winerror.h"

#include <cstring>

BOOL IsWindow(HWND window)
{
    return qelwin::LookUpWindow(window) != nullptr ? TRUE : FALSE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (text == nullptr || maxCount < 1)
        return 0;
    std::lock_guard<std::mutex> hold(record->lock);
    size_t count = record->text.size();
    if (count > static_cast<size_t>(maxCount - 1))
        count = static_cast<size_t>(maxCount - 1);
    std::memcpy(text, record->text.data(), count);
    text[count] = '\0';
    return static_cast<int>(count);
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool owned = record->queue != nullptr;
    if (processId != nullptr)
        *processId = owned ? GetCurrentProcessId() : 0;
    return owned ? record->threadId : 0;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter)
{
    if (callback == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The callback runs without the table's lock, so it may make and destroy windows.
    for (HWND window : qelwin::TopLevelWindows()) {
        if (qelwin::LookUpWindow(window) != nullptr && !callback(window, parameter))
            return FALSE;
    }
    return TRUE;
}

HWND GetDesktopWindow()
{
    return qelwin::DesktopWindow();
}
