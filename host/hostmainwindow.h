// The host's main window, "QEL Desktop": the owner of the dialogs and message boxes that
// the servers show, which they find by its title. It has no contents; it is there to be
// found, to parent pages and dialogs, and to be or not be the window the user works in.
#pragma once

#include <windows.h>

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

private:
    HWND m_window = nullptr;
};

} // namespace QelHost
