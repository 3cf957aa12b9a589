// The table of windows (inside this layer only; not part of windows.h).
//
// A window handle is a small number, so that it travels in 32 bits (the system passes
// requester windows as 32-bit values): the low 16 bits index the table, the high bits are
// a generation count of the slot, from 1 to 0x7FFF, so a handle is never 0, never has bit
// 31 set and a stale handle does not name the slot's next window. Every handle that comes
// in is looked up here before use.
//
// The table's lock guards the slots only and is never held while a window procedure runs
// or a message queue is locked, so code that holds a queue's lock may look windows up.
#pragma once

#include "basetypes.h"
#include "gdistate.h"
#include "windowclass.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qelwin {

class MessageQueue;

// A window. The fields above `lock` are fixed when the window is entered into the table
// and may be read by any thread that looked it up; `destroying` is only touched by the
// window's own thread. The fields below `lock` change (texts, styles, positions,
// subclassing) and are read and written under it; it is a leaf lock, held for no call.
struct WindowRecord {
    HWND handle = nullptr;
    std::shared_ptr<MessageQueue> queue; // the owner thread's; null for the desktop
    DWORD threadId = 0;
    HWND parent = nullptr; // the parent of a child window, the owner of any other
    bool child = false;    // made with WS_CHILD, which the window keeps for life
    std::string className;
    bool destroying = false;
    UINT classStyle = 0;
    HBRUSH background = nullptr; // the class's
    // What the window draws on: its window rectangle's size, the client area 1 pixel in
    // from a border.
    std::shared_ptr<Surface> surface = std::make_shared<Surface>();

    mutable std::mutex lock;
    WNDPROC procedure = nullptr;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    RECT rect{};                 // in the parent's client area for a child, else on the screen
    std::vector<LONG_PTR> extra; // the window words its class asked for
    RECT update{};               // what needs painting, in client coordinates
    bool erase = false;          // whether the background is to be erased first
};

// Gives the window its handle and enters it; NULL when every slot is taken.
HWND InsertWindow(std::shared_ptr<WindowRecord> window);

// The live window of `handle`, or null. Sets no error.
std::shared_ptr<WindowRecord> LookUpWindow(HWND handle);

void RemoveWindow(HWND handle);

// The desktop window: always there, owned by no thread of the process.
HWND DesktopWindow();

// Windows that are not child windows, the newest first (the order in which windows made
// later lie on top, since nothing here moves or activates a window).
std::vector<HWND> TopLevelWindows();

// The child windows and owned windows of `handle`.
std::vector<HWND> DependentWindows(HWND handle);

// The child windows of `handle` in their Z order, the top first: the order they were
// made in (a dialog's template order) unless SetWindowPos moved one.
std::vector<HWND> ChildWindows(HWND handle);

// Moves the child window in its siblings' order: first for `after` NULL, else right
// after the sibling `after`; false for no child window or no such sibling.
bool PlaceChildAfter(HWND window, HWND after);

// Every live window: what a test counts to see that none is left.
size_t WindowCount();

// Every window of the thread.
std::vector<HWND> WindowsOfThread(DWORD threadId);

} // namespace qelwin
