#include "userinput.h"

#include "processthreads.h"
#include "resources.h"
#include "windowmessages.h"
#include "windowstate.h"
#include "windowtable.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

namespace {

// A thread's own keys and capture: nothing of another thread reads them.
thread_local unsigned char t_keys[256];
thread_local HWND t_capture = nullptr;

// A cursor is what LoadCursorA was asked for: a system id, or a module and a resource
// id. Each gets one handle for the life of the process, so loading twice answers alike.
struct CursorTable {
    std::mutex lock;
    std::map<std::pair<HINSTANCE, ULONG_PTR>, HCURSOR> cursors;
    HCURSOR current = nullptr;
};

CursorTable &Cursors()
{
    static CursorTable *table = new CursorTable;
    return *table;
}

HCURSOR CursorFor(HINSTANCE instance, ULONG_PTR id)
{
    CursorTable &table = Cursors();
    std::lock_guard<std::mutex> hold(table.lock);
    HCURSOR &cursor = table.cursors[{instance, id}];
    if (cursor == nullptr)
        cursor = reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0x7C000000u + table.cursors.size()));
    return cursor;
}

bool IsSystemCursor(ULONG_PTR id)
{
    return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);
}

bool IsOwnLiveWindow(HWND window)
{
    std::shared_ptr<qelwin::WindowRecord> record = qelwin::LookUpWindow(window);
    return record != nullptr && record->queue != nullptr && record->threadId == GetCurrentThreadId();
}

} // namespace

SHORT GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    unsigned char state = t_keys[virtualKey];
    return static_cast<SHORT>(((state & 0x80) != 0 ? 0x8000 : 0) | (state & 1));
}

void QelSetKeyState(int virtualKey, BOOL down)
{
    if (virtualKey < 0 || virtualKey > 255)
        return;
    unsigned char &state = t_keys[virtualKey];
    if (down && (state & 0x80) == 0)
        state = static_cast<unsigned char>(0x80 | ((state & 1) ^ 1));
    else if (!down)
        state &= 1;
}

HWND GetCapture()
{
    if (t_capture != nullptr && !IsOwnLiveWindow(t_capture))
        t_capture = nullptr;
    // A hidden window lets the capture go, as it can no longer be the user's target.
    if (t_capture != nullptr && !IsWindowVisible(t_capture))
        t_capture = nullptr;
    return t_capture;
}

HWND SetCapture(HWND window)
{
    if (!IsOwnLiveWindow(window))
        return nullptr;
    HWND previous = GetCapture();
    t_capture = window;
    if (previous != nullptr && previous != window)
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

BOOL ReleaseCapture()
{
    HWND previous = GetCapture();
    t_capture = nullptr;
    if (previous != nullptr)
        SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    if (name == nullptr || !IS_INTRESOURCE(name))
        return nullptr;
    ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
    if (instance == nullptr)
        return IsSystemCursor(id) ? CursorFor(nullptr, id) : nullptr;
    if (FindResourceA(instance, name, RT_CURSOR) == nullptr)
        return nullptr;
    return CursorFor(instance, id);
}

HCURSOR SetCursor(HCURSOR cursor)
{
    CursorTable &table = Cursors();
    std::lock_guard<std::mutex> hold(table.lock);
    return std::exchange(table.current, cursor);
}

HCURSOR GetCursor()
{
    CursorTable &table = Cursors();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.current;
}
