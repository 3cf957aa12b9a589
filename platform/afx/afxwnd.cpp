#include "afxwnd.h"

#include "afxexcept.h"
#include "creationhook.h"
#include "windowcreate.h"
#include "debugoutput.h"
#include "lasterror.h"
#include "processthreads.h"
#include "windowclass.h"
#include "dialogs.h"
#include "windowinfo.h"
#include "windowstate.h"
#include "winerror.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <unordered_map>

namespace {

// The permanent objects of this module's windows.
struct PermanentMap {
    std::mutex lock;
    std::unordered_map<HWND, CWnd *> objects;
};

// Built in place and never destroyed, so that a window detached late in the process's end
// still finds it. It gives its heap back whenever it empties (Detach): the framework is
// compiled into each server, and a server unloaded with no window attached then leaves
// nothing behind.
PermanentMap &Permanent()
{
    alignas(PermanentMap) static unsigned char storage[sizeof(PermanentMap)];
    static PermanentMap *map = new (storage) PermanentMap;
    return *map;
}

// The temporary objects of the calling thread. They never own their windows: m_hWnd is
// cleared before one is deleted.
struct TemporaryMap {
    std::unordered_map<HWND, std::unique_ptr<CWnd>> objects;

    ~TemporaryMap()
    {
        for (auto &entry : objects)
            entry.second->m_hWnd = nullptr;
    }
};

thread_local TemporaryMap temporaries;

// The object whose CreateEx is under way on this thread: the first message of an unknown
// window that AfxWndProc gets on this thread during that call is the new window's.
thread_local CWnd *windowBeingCreated = nullptr;

// The message being handled on this thread, for Default.
struct CurrentMessage {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool set = false;
};

thread_local CurrentMessage currentMessage;

struct MessageScope {
    CurrentMessage saved;

    MessageScope(HWND window, UINT message, WPARAM wParam, LPARAM lParam) : saved(currentMessage)
    {
        currentMessage = {window, message, wParam, lParam, true};
    }
    ~MessageScope() { currentMessage = saved; }
};

struct CreationScope {
    CWnd *saved;

    explicit CreationScope(CWnd *window) : saved(windowBeingCreated) { windowBeingCreated = window; }
    ~CreationScope() { windowBeingCreated = saved; }
};

void ReportHandlerException(CException *exception, UINT message)
{
    char text[512];
    if (!exception->GetErrorMessage(text, sizeof text))
        std::snprintf(text, sizeof text, "no message");
    char line[600];
    std::snprintf(line, sizeof line, "Exception in the handler of window message 0x%04X: %s\n", message, text);
    OutputDebugStringA(line);
    exception->Delete();
}

} // namespace

CWnd::CWnd() : m_hWnd(nullptr), m_pCtrlSite(nullptr), m_pfnSuper(nullptr) {}

CWnd::~CWnd()
{
    CloseControlSite();
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this && IsWindow(m_hWnd) &&
        GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId())
        ::DestroyWindow(m_hWnd); // its messages reach CWnd's own handlers only, now
    if (m_hWnd != nullptr)
        Detach();
}

// The framework's creation hook: a window whose procedure is not AfxWndProc is the
// object's from its first message on, as AfxWndProc would make it for its own classes.
void BindCreatedWindow(HWND window)
{
    CWnd *object = windowBeingCreated;
    if (object == nullptr ||
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)) == &AfxWndProc)
        return;
    if (object->SubclassWindow(window))
        windowBeingCreated = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE;
    CREATESTRUCT cs{lpParam, nullptr, nIDorHMenu, hWndParent, nHeight, nWidth, y, x,
                    static_cast<LONG>(dwStyle), lpszWindowName, lpszClassName, dwExStyle};
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HWND window;
    bool bound;
    {
        CreationScope creation(this);
        QEL_CREATION_HOOK before = QelSetCreationHook(&BindCreatedWindow);
        window = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                   cs.cx, cs.cy, cs.hwndParent, cs.hMenu, nullptr, cs.lpCreateParams);
        QelSetCreationHook(before);
        bound = windowBeingCreated == nullptr;
    }
    if (window == nullptr)
        return FALSE; // refused; PostNcDestroy has run, and may have deleted this object
    if (!bound) {
        ::DestroyWindow(window);
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                  UINT nID, CCreateContext *)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT &)
{
    return TRUE;
}

CScrollBar *CWnd::GetScrollBarCtrl(int) const
{
    return nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_pCtrlSite != nullptr) {
        CloseControlSite();
        return TRUE;
    }
    if (m_hWnd == nullptr)
        return FALSE;
    BOOL destroyed = ::DestroyWindow(m_hWnd);
    // A window that is not ours got its WM_NCDESTROY elsewhere.
    if (destroyed && m_hWnd != nullptr && !IsWindow(m_hWnd))
        Detach();
    return destroyed;
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || m_hWnd != nullptr || !IsWindow(hWndNew))
        return FALSE;
    PermanentMap &map = Permanent();
    std::lock_guard<std::mutex> hold(map.lock);
    if (!map.objects.emplace(hWndNew, this).second)
        return FALSE;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window != nullptr) {
        PermanentMap &map = Permanent();
        std::lock_guard<std::mutex> hold(map.lock);
        auto found = map.objects.find(window);
        if (found != map.objects.end() && found->second == this)
            map.objects.erase(found);
        if (map.objects.empty())
            std::unordered_map<HWND, CWnd *>().swap(map.objects);
    }
    m_hWnd = nullptr;
    return window;
}

CWnd *CWnd::FromHandlePermanent(HWND hWnd)
{
    PermanentMap &map = Permanent();
    std::lock_guard<std::mutex> hold(map.lock);
    auto found = map.objects.find(hWnd);
    return found != map.objects.end() ? found->second : nullptr;
}

CWnd *CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd *permanent = FromHandlePermanent(hWnd))
        return permanent;
    for (auto entry = temporaries.objects.begin(); entry != temporaries.objects.end();) {
        if (!IsWindow(entry->first)) {
            entry->second->m_hWnd = nullptr;
            entry = temporaries.objects.erase(entry);
        } else {
            ++entry;
        }
    }
    std::unique_ptr<CWnd> &temporary = temporaries.objects[hWnd];
    if (temporary == nullptr) {
        temporary = std::make_unique<CWnd>();
        temporary->m_hWnd = hWnd;
    }
    return temporary.get();
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    if (message == WM_COMMAND && OnCommand(wParam, lParam)) {
        if (pResult != nullptr)
            *pResult = 0;
        return TRUE;
    }
    LRESULT notifyResult = 0;
    if (message == WM_NOTIFY && OnNotify(wParam, lParam, &notifyResult)) {
        if (pResult != nullptr)
            *pResult = notifyResult;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY *entry = FindMessageEntry(message);
    if (entry == nullptr)
        return FALSE;
    LRESULT result = entry->pfnHandler(this, wParam, lParam);
    if (pResult != nullptr)
        *pResult = result;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const AFX_MSGMAP_ENTRY *entry = FindCommandEntry(HIWORD(wParam), LOWORD(wParam));
    if (entry == nullptr)
        return FALSE;
    entry->pfnHandler(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT *pResult)
{
    const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
    if (header == nullptr)
        return FALSE;
    const AFX_MSGMAP_ENTRY *entry = FindNotifyEntry(header->code, static_cast<UINT>(header->idFrom));
    if (entry == nullptr)
        return FALSE;
    *pResult = entry->pfnHandler(this, 0, lParam);
    return TRUE;
}

void CWnd::PostNcDestroy() {}

void CWnd::DoDataExchange(CDataExchange *) {}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!IsWindow(hWnd) || GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId() || !Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    // A window of this module's classes reaches AfxWndProc already.
    if (m_pfnSuper == &AfxWndProc)
        m_pfnSuper = nullptr;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd *pParent)
{
    HWND item = pParent != nullptr ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return item != nullptr && SubclassWindow(item);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd == nullptr || m_pfnSuper == nullptr)
        return nullptr;
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

LRESULT CWnd::Default()
{
    if (!currentMessage.set)
        return 0;
    return DefWindowProc(currentMessage.message, currentMessage.wParam, currentMessage.lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd *window = CWnd::FromHandlePermanent(hWnd);
    if (window == nullptr) {
        window = windowBeingCreated;
        if (window == nullptr || !window->Attach(hWnd))
            return ::DefWindowProcA(hWnd, message, wParam, lParam);
        windowBeingCreated = nullptr;
    }

    LRESULT result = 0;
    {
        MessageScope scope(hWnd, message, wParam, lParam);
        try {
            result = window->WindowProc(message, wParam, lParam);
        } catch (CException *exception) {
            ReportHandlerException(exception, message);
            result = message == WM_CREATE ? -1 : 0;
        }
    }
    if (message == WM_NCDESTROY && window->m_hWnd == hWnd) {
        window->m_pfnSuper = nullptr;
        window->Detach();
        window->PostNcDestroy();
    }
    return result;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    // The procedure's address makes the name this module's own, since classes are
    // process-wide and every module has its own AfxWndProc.
    char name[160];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", reinterpret_cast<void *>(&AfxWndProc), nClassStyle,
                  static_cast<void *>(hCursor), static_cast<void *>(hbrBackground), static_cast<void *>(hIcon));

    // An object, not a pointer to heap that is never freed: a server library that is
    // unloaded must take every byte it holds with it.
    static std::mutex lock;
    static std::set<std::string> registered;
    std::lock_guard<std::mutex> hold(lock);
    auto found = registered.find(name);
    if (found != registered.end())
        return found->c_str();
    WNDCLASSA windowClass{};
    windowClass.style = nClassStyle;
    windowClass.lpfnWndProc = AfxWndProc;
    windowClass.hCursor = hCursor;
    windowClass.hbrBackground = hbrBackground;
    windowClass.hIcon = hIcon;
    windowClass.lpszClassName = name;
    // Already there when this module was loaded before at the same address: then the
    // procedure of that name is this very one.
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS))
        AfxThrowMemoryException();
    return registered.insert(name).first->c_str();
}
