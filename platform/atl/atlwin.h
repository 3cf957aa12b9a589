// Windows of the template library: CWindow over a handle, message maps, CWindowImpl
// (a window of a class of its own whose messages go to an object's map) and
// CContainedWindow (a window of another class, or subclassed, whose messages go to a
// map of the object that contains it).
//
// The template library routes a window's messages to its object through a thunk, code
// written at run time that stands in for the window procedure. Here the procedure looks
// the object up by the window's handle in one process-wide table instead: a window is
// bound to its object from its first message (WM_NCCREATE) to its last (WM_NCDESTROY).
//
// A message map lists handlers between BEGIN_MSG_MAP and END_MSG_MAP; ALT_MSG_MAP(n)
// begins the alternate map n, which a CContainedWindow made with that number uses. A
// handler gets the message and a flag, TRUE on entry; clearing it leaves the message to
// the entries after it and, when none takes it, to the window's default procedure.
#pragma once

#include <ole2.h>

#include <typeinfo>

#ifndef WM_HSCROLL
#define WM_HSCROLL 0x0114
#endif
#ifndef WM_VSCROLL
#define WM_VSCROLL 0x0115
#endif
#ifndef WM_CTLCOLOREDIT
#define WM_CTLCOLOREDIT 0x0133
#define WM_CTLCOLORLISTBOX 0x0134
#define WM_CTLCOLORBTN 0x0135
#define WM_CTLCOLORDLG 0x0136
#define WM_CTLCOLORSCROLLBAR 0x0137
#define WM_CTLCOLORSTATIC 0x0138
#endif

// Messages reflected back to the child control that sent them: its parent's message
// number plus OCM__BASE.
#define OCM__BASE (WM_USER + 0x1c00)
#define OCM_COMMAND (OCM__BASE + WM_COMMAND)
#define OCM_NOTIFY (OCM__BASE + WM_NOTIFY)
#define OCM_HSCROLL (OCM__BASE + WM_HSCROLL)
#define OCM_VSCROLL (OCM__BASE + WM_VSCROLL)
#define OCM_CTLCOLOREDIT (OCM__BASE + WM_CTLCOLOREDIT)
#define OCM_CTLCOLORSTATIC (OCM__BASE + WM_CTLCOLORSTATIC)

class CWindow {
public:
    CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
    operator HWND() const { return m_hWnd; }

    void Attach(HWND hWndNew) { m_hWnd = hWndNew; }
    HWND Detach()
    {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL DestroyWindow()
    {
        if (!::DestroyWindow(m_hWnd))
            return FALSE;
        m_hWnd = nullptr;
        return TRUE;
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL GetClientRect(LPRECT lpRect) const { return ::GetClientRect(m_hWnd, lpRect); }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    BOOL Invalidate(BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, bErase); }
    // TRUE when `hWnd` is a child (at any depth) of this window.
    BOOL IsChild(HWND hWnd) const;

    HWND m_hWnd;
};

// An object with message maps: the procedure of its windows hands it every message.
class CMessageMap {
public:
    virtual ~CMessageMap() = default;
    // TRUE with the answer in lResult when map `dwMsgMapID` took the message.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,
                                      DWORD dwMsgMapID) = 0;
};

#define BEGIN_MSG_MAP(theClass)                                                                                   \
public:                                                                                                           \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT &lResult,               \
                              DWORD dwMsgMapID = 0) override                                                      \
    {                                                                                                             \
        BOOL bHandled = TRUE;                                                                                     \
        (void)hWnd;                                                                                               \
        (void)uMsg;                                                                                               \
        (void)wParam;                                                                                             \
        (void)lParam;                                                                                             \
        (void)lResult;                                                                                            \
        (void)bHandled;                                                                                           \
        switch (dwMsgMapID) {                                                                                     \
        case 0:

#define MESSAGE_HANDLER(msg, func)                                                                                \
    if (uMsg == (msg)) {                                                                                          \
        bHandled = TRUE;                                                                                          \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                           \
        if (bHandled)                                                                                             \
            return TRUE;                                                                                          \
    }

#define COMMAND_ID_HANDLER(id, func)                                                                              \
    if (uMsg == WM_COMMAND && (id) == LOWORD(wParam)) {                                                           \
        bHandled = TRUE;                                                                                          \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);                 \
        if (bHandled)                                                                                             \
            return TRUE;                                                                                          \
    }

#define COMMAND_HANDLER(id, code, func)                                                                           \
    if (uMsg == WM_COMMAND && (id) == LOWORD(wParam) && (code) == HIWORD(wParam)) {                               \
        bHandled = TRUE;                                                                                          \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);                 \
        if (bHandled)                                                                                             \
            return TRUE;                                                                                          \
    }

#define NOTIFY_HANDLER(id, cd, func)                                                                              \
    if (uMsg == WM_NOTIFY && lParam != 0 && (id) == reinterpret_cast<LPNMHDR>(lParam)->idFrom &&                  \
        (cd) == reinterpret_cast<LPNMHDR>(lParam)->code) {                                                        \
        bHandled = TRUE;                                                                                          \
        lResult = func(static_cast<int>(wParam), reinterpret_cast<LPNMHDR>(lParam), bHandled);                    \
        if (bHandled)                                                                                             \
            return TRUE;                                                                                          \
    }

#define CHAIN_MSG_MAP(theChainClass)                                                                              \
    if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                                 \
        return TRUE;

#define REFLECT_NOTIFICATIONS()                                                                                   \
    {                                                                                                             \
        bHandled = TRUE;                                                                                          \
        lResult = this->ReflectNotifications(uMsg, wParam, lParam, bHandled);                                     \
        if (bHandled)                                                                                             \
            return TRUE;                                                                                          \
    }

#define ALT_MSG_MAP(msgMapID)                                                                                     \
    break;                                                                                                        \
    case msgMapID:

#define END_MSG_MAP()                                                                                             \
    break;                                                                                                        \
    default:                                                                                                      \
        break;                                                                                                    \
        }                                                                                                         \
        return FALSE;                                                                                             \
        }

// The class of a CWindowImpl's windows: its name (NULL: one made from the object's
// type) and class style.
struct CWndClassInfo {
    LPCSTR m_lpszClassName;
    UINT m_style;
};

#define DECLARE_WND_CLASS(WndClassName)                                                                           \
    static CWndClassInfo &GetWndClassInfo()                                                                       \
    {                                                                                                             \
        static CWndClassInfo wc = {WndClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS};                           \
        return wc;                                                                                                \
    }

// The object-to-window binding that every routed window of the process shares.
class CWindowRouter {
public:
    virtual ~CWindowRouter() = default;
    // The object's answer to the message of its window.
    virtual LRESULT RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
};

namespace qelatl {

// Binds `router` to the window; FALSE when the window is bound already.
bool BindWindow(HWND hWnd, CWindowRouter *router);
void UnbindWindow(HWND hWnd);
CWindowRouter *BoundRouter(HWND hWnd);
// The object whose window the calling thread is making: the procedure binds it to the
// window that gets the first message on that thread.
void SetCreatingRouter(CWindowRouter *router);
CWindowRouter *TakeCreatingRouter();
// The procedure of every routed window: the bound object's answer, else the default.
LRESULT CALLBACK RoutedWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Registers `info`'s class with the routed procedure (once; a class of that name that
// exists already is taken as it is). `fallbackName` names a class without a name.
bool RegisterRoutedClass(CWndClassInfo &info, const char *fallbackName);
// WM_COMMAND, WM_NOTIFY, scroll and colour messages sent back to the control that sent
// them as OCM_ messages; bHandled cleared for any other message or no such control.
LRESULT ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled);

} // namespace qelatl

template <class TBase = CWindow>
class CWindowImplRoot : public TBase, public CMessageMap, public CWindowRouter {
public:
    // An object that goes before its window lets the window go: its messages get the
    // default answers from then on. (Destroying it here would hand its last messages to
    // an object already half gone.)
    ~CWindowImplRoot() override
    {
        if (this->m_hWnd != nullptr && qelatl::BoundRouter(this->m_hWnd) == this)
            qelatl::UnbindWindow(this->m_hWnd);
    }

    LRESULT ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
    {
        return qelatl::ReflectNotifications(uMsg, wParam, lParam, bHandled);
    }
    // Called after the window's last message, when the object has let the window go.
    virtual void OnFinalMessage(HWND) {}

protected:
    // The default answer to what the map leaves, for the class's window.
    virtual LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        return ::DefWindowProcA(this->m_hWnd, uMsg, wParam, lParam);
    }
    LRESULT RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (this->m_hWnd == nullptr)
            this->m_hWnd = hWnd;
        LRESULT result = 0;
        if (!ProcessWindowMessage(hWnd, uMsg, wParam, lParam, result, 0))
            result = DefWindowProc(uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY) {
            qelatl::UnbindWindow(hWnd);
            this->m_hWnd = nullptr;
            OnFinalMessage(hWnd);
        }
        return result;
    }
};

// A window of the class that T's DECLARE_WND_CLASS names, whose messages go to T's
// message map 0.
template <class T, class TBase = CWindow>
class CWindowImpl : public CWindowImplRoot<TBase> {
public:
    DECLARE_WND_CLASS(nullptr)

    // Makes the window; NULL when the class cannot be registered or the window not be
    // made (its WM_CREATE handler refused it).
    HWND Create(HWND hWndParent, const RECT &rect, LPCSTR szWindowName = nullptr, DWORD dwStyle = 0,
                DWORD dwExStyle = 0, UINT nID = 0, LPVOID lpCreateParam = nullptr)
    {
        if (this->m_hWnd != nullptr || !qelatl::RegisterRoutedClass(T::GetWndClassInfo(), typeid(T).name()))
            return nullptr;
        const char *className = T::GetWndClassInfo().m_lpszClassName;
        qelatl::SetCreatingRouter(this);
        HWND hWnd = ::CreateWindowExA(dwExStyle, className, szWindowName, dwStyle, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, hWndParent,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), nullptr, lpCreateParam);
        // A window refused before its first message leaves the object unbound.
        qelatl::TakeCreatingRouter();
        return hWnd;
    }
};

// A window whose messages go to map `dwMsgMapID` of an object that contains it, once
// SubclassWindow has put the map in front of the window's procedure; what the map
// leaves goes to that procedure. The class name is the contained window's, for the
// object's own use.
class CContainedWindow : public CWindow, public CWindowRouter {
public:
    CContainedWindow(LPCSTR lpszClassName, CMessageMap *pObject, DWORD dwMsgMapID = 0)
        : m_lpszClassName(lpszClassName), m_pObject(pObject), m_dwMsgMapID(dwMsgMapID)
    {
    }
    ~CContainedWindow() override;

    // Puts the map in front of the window's procedure; FALSE when this object has a
    // window already, the handle is no window, or another routed object has it.
    BOOL SubclassWindow(HWND hWnd);
    // Gives the window its procedure back; NULL when there is none subclassed.
    HWND UnsubclassWindow();
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    LPCSTR m_lpszClassName;
    CMessageMap *m_pObject;
    DWORD m_dwMsgMapID;
    WNDPROC m_pfnSuperWindowProc = nullptr;

private:
    LRESULT RouteMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
