#include "windowfocus.h"

#include "lasterror.h"
#include "processthreads.h"
#include "threadinput.h"
#include "windowmessages.h"
#include "winerror.h"

#include <mutex>
#include <unordered_map>

namespace {

struct ThreadInput {
    HWND focus = nullptr;
    HWND active = nullptr;
};

// Kept per thread identifier rather than in thread-local storage, since showing or
// hiding a window of another thread changes that thread's activation. A handle left by
// a window that is gone is refused when read, so an entry needs no cleaning up.
struct InputTable {
    std::mutex lock;
    std::unordered_map<DWORD, ThreadInput> threads;
};

InputTable &Inputs()
{
    static InputTable *table = new InputTable;
    return *table;
}

HWND Live(HWND window)
{
    return window != nullptr && qelwin::LookUpWindow(window) != nullptr ? window : nullptr;
}

// Whether `inner` is `outer` or lies inside it.
bool IsWithin(HWND inner, HWND outer)
{
    while (inner != nullptr) {
        if (inner == outer)
            return true;
        std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(inner);
        if (record == nullptr || !record->child)
            return false;
        inner = record->parent;
    }
    return false;
}

// The live window of the calling thread, or null with the error set.
std::shared_ptr<qelwin::WindowRecord> OwnWindow(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    if (record == nullptr || record->queue == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (record->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return record;
}

} // namespace

HWND qelwin::TopLevelAncestor(HWND window)
{
    for (;;) {
        std::shared_ptr<WindowRecord> record = LookUpWindow(window);
        if (record == nullptr)
            return nullptr;
        if (!record->child)
            return window;
        window = record->parent;
    }
}

void qelwin::ActivateWindow(const WindowRecord &window)
{
    if (window.child || window.queue == nullptr)
        return;
    InputTable &table = Inputs();
    std::lock_guard<std::mutex> hold(table.lock);
    table.threads[window.threadId].active = window.handle;
}

void qelwin::WindowGone(const WindowRecord &window)
{
    HWND owner = nullptr;
    if (!window.child && window.parent != nullptr) {
        std::shared_ptr<WindowRecord> record = LookUpWindow(window.parent);
        if (record != nullptr && !record->destroying && !record->child && record->queue != nullptr)
            owner = window.parent;
    }
    InputTable &table = Inputs();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.threads.find(window.threadId);
    if (found == table.threads.end())
        return;
    ThreadInput &input = found->second;
    if (IsWithin(input.focus, window.handle))
        input.focus = nullptr;
    if (input.active == window.handle)
        input.active = owner;
}

HWND SetFocus(HWND window)
{
    if (window != nullptr && OwnWindow(window) == nullptr)
        return nullptr;
    const DWORD thread = GetCurrentThreadId();
    HWND previous;
    {
        InputTable &table = Inputs();
        std::lock_guard<std::mutex> hold(table.lock);
        ThreadInput &input = table.threads[thread];
        previous = Live(input.focus);
        if (previous == window)
            return previous;
        input.focus = window;
        if (window != nullptr)
            input.active = qelwin::TopLevelAncestor(window);
    }
    if (previous != nullptr)
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window != nullptr)
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetFocus()
{
    InputTable &table = Inputs();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.threads.find(GetCurrentThreadId());
    return found != table.threads.end() ? Live(found->second.focus) : nullptr;
}

HWND SetActiveWindow(HWND window)
{
    if (window != nullptr) {
        std::shared_ptr<qelwin::WindowRecord> record = OwnWindow(window);
        if (record == nullptr)
            return nullptr;
        if (record->child) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    InputTable &table = Inputs();
    std::lock_guard<std::mutex> hold(table.lock);
    ThreadInput &input = table.threads[GetCurrentThreadId()];
    HWND previous = Live(input.active);
    input.active = window;
    return previous;
}

HWND GetActiveWindow()
{
    InputTable &table = Inputs();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.threads.find(GetCurrentThreadId());
    return found != table.threads.end() ? Live(found->second.active) : nullptr;
}
