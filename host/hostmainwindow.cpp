#include "hostmainwindow.h"

#include <map>
#include <mutex>

namespace QelHost {

namespace {

const char kClassName[] = "QelHostMainWindow";

// The window procedure finds its object here; the windows live on the session's thread,
// but a lock costs nothing next to a message.
std::mutex g_lock;
std::map<HWND, std::vector<std::pair<WPARAM, LPARAM>> *> g_choicesByWindow;

} // namespace

UINT HostMainWindow::ChoiceMessage()
{
    static const UINT message = RegisterWindowMessageA("QelHostBrowserChoice");
    return message;
}

LRESULT CALLBACK HostMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ChoiceMessage() && message != 0) {
        std::lock_guard<std::mutex> hold(g_lock);
        auto found = g_choicesByWindow.find(window);
        if (found != g_choicesByWindow.end())
            found->second->emplace_back(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HostMainWindow::HostMainWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (registered)
        m_window = CreateWindowExA(0, kClassName, "QEL Desktop", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                   nullptr, nullptr, nullptr, nullptr);
    if (m_window != nullptr) {
        std::lock_guard<std::mutex> hold(g_lock);
        g_choicesByWindow[m_window] = &m_choices;
    }
}

HostMainWindow::~HostMainWindow()
{
    if (m_window == nullptr)
        return;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_choicesByWindow.erase(m_window);
    }
    DestroyWindow(m_window);
}

std::vector<std::pair<WPARAM, LPARAM>> HostMainWindow::TakeChoices()
{
    std::lock_guard<std::mutex> hold(g_lock);
    std::vector<std::pair<WPARAM, LPARAM>> choices;
    choices.swap(m_choices);
    return choices;
}

} // namespace QelHost
