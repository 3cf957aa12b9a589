#include "atlwin.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// Windows of every thread are bound here; each is used only on its own thread, but the
// table is shared, so it is guarded.
std::mutex g_bindingsLock;
std::unordered_map<HWND, CWindowRouter *> &Bindings()
{
    static auto *bindings = new std::unordered_map<HWND, CWindowRouter *>();
    return *bindings;
}

thread_local CWindowRouter *t_creating = nullptr;

} // namespace

BOOL CWindow::IsChild(HWND hWnd) const
{
    if (m_hWnd == nullptr)
        return FALSE;
    for (HWND parent = ::GetParent(hWnd); parent != nullptr; parent = ::GetParent(parent)) {
        if (parent == m_hWnd)
            return (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) != 0;
        if ((::GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) == 0)
            break;
    }
    return FALSE;
}

namespace qelatl {

bool BindWindow(HWND hWnd, CWindowRouter *router)
{
    std::lock_guard<std::mutex> guard(g_bindingsLock);
    return Bindings().emplace(hWnd, router).second;
}

void UnbindWindow(HWND hWnd)
{
    std::lock_guard<std::mutex> guard(g_bindingsLock);
    Bindings().erase(hWnd);
}

CWindowRouter *BoundRouter(HWND hWnd)
{
    std::lock_guard<std::mutex> guard(g_bindingsLock);
    auto found = Bindings().find(hWnd);
    return found != Bindings().end() ? found->second : nullptr;
}

void SetCreatingRouter(CWindowRouter *router)
{
    t_creating = router;
}

CWindowRouter *TakeCreatingRouter()
{
    CWindowRouter *router = t_creating;
    t_creating = nullptr;
    return router;
}

LRESULT CALLBACK RoutedWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowRouter *router = BoundRouter(hWnd);
    if (router == nullptr) {
        // Only a window being made takes the object that is making it; one whose object
        // has gone gets the default answers.
        if (uMsg == WM_NCCREATE)
            router = TakeCreatingRouter();
        if (router == nullptr || !BindWindow(hWnd, router))
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
    return router->RouteMessage(hWnd, uMsg, wParam, lParam);
}

bool RegisterRoutedClass(CWndClassInfo &info, const char *fallbackName)
{
    if (info.m_lpszClassName == nullptr) {
        // Kept for the life of the process, as the classes they name.
        static auto *names = new std::deque<std::string>();
        std::lock_guard<std::mutex> guard(g_bindingsLock);
        if (info.m_lpszClassName == nullptr)
            info.m_lpszClassName = names->emplace_back(std::string("ATL:") + fallbackName).c_str();
    }
    WNDCLASSA windowClass{};
    windowClass.style = info.m_style;
    windowClass.lpfnWndProc = &RoutedWindowProc;
    windowClass.lpszClassName = info.m_lpszClassName;
    if (::RegisterClassA(&windowClass) != 0)
        return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
    HWND child = nullptr;
    switch (uMsg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        child = lParam != 0 ? reinterpret_cast<LPNMHDR>(lParam)->hwndFrom : nullptr;
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        break;
    }
    if (child == nullptr || !::IsWindow(child)) {
        bHandled = FALSE;
        return 1;
    }
    return ::SendMessageA(child, OCM__BASE + uMsg, wParam, lParam);
}

} // namespace qelatl

CContainedWindow::~CContainedWindow()
{
    // A window that another procedure subclassed after us cannot have its own back; it
    // keeps ours, which answers as the default does once the object is gone.
    if (m_hWnd != nullptr && UnsubclassWindow() == nullptr)
        qelatl::UnbindWindow(m_hWnd);
}

BOOL CContainedWindow::SubclassWindow(HWND hWnd)
{
    if (m_hWnd != nullptr || !::IsWindow(hWnd) || !qelatl::BindWindow(hWnd, this))
        return FALSE;
    m_pfnSuperWindowProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&qelatl::RoutedWindowProc));
    m_hWnd = hWnd;
    return TRUE;
}

HWND CContainedWindow::UnsubclassWindow()
{
    if (m_hWnd == nullptr)
        return nullptr;
    // Someone who subclassed the window after us keeps our procedure as theirs.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) != &qelatl::RoutedWindowProc)
        return nullptr;
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
    qelatl::UnbindWindow(m_hWnd);
    m_pfnSuperWindowProc = nullptr;
    return Detach();
}

LRESULT CContainedWindow::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuperWindowProc == nullptr)
        return ::DefWindowProcA(m_hWnd, uMsg, wParam, lParam);
    return ::CallWindowProcA(m_pfnSuperWindowProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CContainedWindow::RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_pObject == nullptr || !m_pObject->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, m_dwMsgMapID))
        result = DefWindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        qelatl::UnbindWindow(hWnd);
        m_pfnSuperWindowProc = nullptr;
        m_hWnd = nullptr;
    }
    return result;
}
