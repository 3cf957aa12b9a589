// The host's main window, "QEL Desktop": the owner of the dialogs and message boxes that
// the servers show, which they find by its title. It has no contents; it is there to be
// found, to parent pages and dialogs, to be or not be the window the user works in, and
// to receive the choices that a kept-open symbol browser posts to it.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace QelHost {

class HostMainWindow {
public:
    // Makes the window, visible and top-level, on the calling thread.
    HostMainWindow();
    ~HostMainWindow();
    HostMainWindow(const HostMainWindow &) = delete;
    HostMainWindow &operator=(const HostMainWindow &) = delete;

    // NULL when the window could not be made.
    HWND Handle() const { return m_window; }

    // The host's message for choices posted to the window (registered, so no server's
    // own message can be it).
    static UINT ChoiceMessage();
    // The (wParam, lParam) of each choice that came since the last call, in order.
    std::vector<std::pair<WPARAM, LPARAM>> TakeChoices();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> m_choices;
};

} // namespace QelHost
