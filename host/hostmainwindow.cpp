#include "hostmainwindow.h"

namespace QelHost {

namespace {

const char kClassName[] = "QelHostMainWindow";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HostMainWindow::HostMainWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (registered)
        m_window = CreateWindowExA(0, kClassName, "QEL Desktop", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                   nullptr, nullptr, nullptr, nullptr);
}

HostMainWindow::~HostMainWindow()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

} // namespace QelHost
