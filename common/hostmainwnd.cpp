#include "hostmainwnd.h"

#include <cstring>
#include <mutex>

namespace {

// The host's window, attached while a load needs it. A static holder lets it go when the
// server is unloaded (a heap object that nothing destroys would stay behind, reachable
// from nothing): the window is detached first, since this object never owns it, which
// the framework's table of attached windows, made once for the process, allows at any time.
struct HostWindowHolder {
    CWnd *window = new CWnd;

    ~HostWindowHolder()
    {
        if (window->m_hWnd != nullptr)
            window->Detach();
        delete window;
    }
};

CWnd &HostWindow()
{
    static HostWindowHolder holder;
    return *holder.window;
}

std::mutex &HostWindowLock()
{
    static std::mutex lock;
    return lock;
}

BOOL CALLBACK FindDesktopWindow(HWND window, LPARAM parameter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char title[16];
    if (process == GetCurrentProcessId() && GetWindowText(window, title, sizeof title) >= 11 &&
        strncmp(title, "QEL Desktop", 11) == 0) {
        *reinterpret_cast<HWND *>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

typedef BOOL(WINAPI *GetWindowInfoFunction)(HWND, PWINDOWINFO);

} // namespace

CWnd *GetHostMainWnd(int mode, int *active)
{
    std::lock_guard<std::mutex> hold(HostWindowLock());
    CWnd &host = HostWindow();
    if (mode == 1) {
        if (host.m_hWnd != nullptr)
            host.Detach();
    } else {
        if (host.m_hWnd != nullptr && !IsWindow(host.m_hWnd))
            host.Detach();
        if (host.m_hWnd == nullptr) {
            HWND found = nullptr;
            EnumWindows(FindDesktopWindow, reinterpret_cast<LPARAM>(&found));
            host.Attach(found != nullptr ? found : GetDesktopWindow());
        }
    }
    if (active != nullptr) {
        *active = -1;
        HMODULE user32 = GetModuleHandle("user32");
        FARPROC address = user32 != nullptr ? GetProcAddress(user32, "GetWindowInfo") : nullptr;
        WINDOWINFO info;
        info.cbSize = sizeof info;
        if (host.m_hWnd != nullptr && address != nullptr &&
            reinterpret_cast<GetWindowInfoFunction>(reinterpret_cast<void *>(address))(host.m_hWnd, &info))
            *active = (info.dwWindowStatus & WS_ACTIVECAPTION) != 0 ? 1 : 0;
    }
    return &host;
}
