// The host frame and the server-state interface, known only by identifier and by the
// slots that the command handlers and view-server items call (hostinterfaces.h gives the
// convention: a slot named SlotNN is one the system never calls).
//
// The frame knows a server's commands by cookies that the server hands out: a cookie
// stands for one entry of one handler's command table, and for a command that opens a
// view server it also names that view server in the view slots. Cookie 0 registers
// items that need no removal.
#pragma once

#include <ole2.h>

// Command group of the open command of HTML views.
DEFINE_GUID(CGID_QelHTMLView, 0x1F7971D1, 0x50D1, 0x11D2, 0xB2, 0xD1, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
// Command group that the host's debug-server object answers (shared with the
// communication queue).
DEFINE_GUID(CGID_QelHostCommands, 0xF8BED052, 0xF30D, 0x11D1, 0xB2, 0x8B, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// Command of CGID_QelHostCommands that gives the document object of a file name (VT_BSTR
// in, VT_UNKNOWN out), which an HTML view opens in place of the name.
constexpr DWORD QEL_HOSTCMD_DOCUMENT = 50;
// Command of CGID_QelHostCommands that gives the host's target-access object
// (IQelTargetAccess, hostinterfaces.h) as VT_UNKNOWN; it takes no argument.
constexpr DWORD QEL_HOSTCMD_TARGET_ACCESS = 202;

interface IQelHostFrame : public IUnknown {
    // Slot 3: command `commandId` of the command group `group` (NULL: none), sent to
    // `owner`, under `cookie`; `viewServer` (NULL: none) names the view server whose
    // views the command opens.
    STDMETHOD(RegisterCommand)(DWORD cookie, DWORD commandId, IUnknown *owner, const GUID *group, BSTR viewServer) PURE;
    // Slots 4 to 6: a menu item and a tool-bar item at once, a menu item, a tool-bar item
    // of the command of `cookie` at `position`; `textId` is the string of `module` with
    // the item's texts (menu text, status-bar text and tool tip, separated by '\n').
    STDMETHOD(AddMenuAndToolBarItem)(DWORD cookie, int position, HINSTANCE module, int textId) PURE;
    STDMETHOD(AddMenuItem)(DWORD cookie, int position, HINSTANCE module, int textId) PURE;
    STDMETHOD(AddToolBarItem)(DWORD cookie, int position, HINSTANCE module, int textId) PURE;
    // Slot 7: the command of `cookie` and its items go.
    STDMETHOD(RemoveCommand)(DWORD cookie) PURE;
    STDMETHOD(Slot08)() PURE;
    // Slot 9: shows `view` (NULL: a new view) of the view server of `viewServerId`; gives
    // the view shown and its storage, each with a reference for the caller.
    STDMETHOD(ShowView)(DWORD viewServerId, IUnknown *view, IUnknown **ppView, IStorage **ppStorage) PURE;
    // Slot 10: asks the frame to close `view`. The frame reports the view closed later,
    // with the open command's code 16.
    STDMETHOD(CloseView)(DWORD viewServerId, IUnknown *view) PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    // Slot 14: the active view of the view server, with a reference for the caller.
    STDMETHOD(GetActiveView)(DWORD viewServerId, IUnknown **ppView) PURE;
    STDMETHOD(Slot15)() PURE;
    // Slot 16: a view now shows `sourceFile` (added) or no longer does.
    STDMETHOD(NotifySourceFile)(BSTR sourceFile, BOOL added) PURE;
};
QEL_DEFINE_IID(IQelHostFrame, 0x53E22AD4, 0x013B, 0x11D2, 0xB2, 0x96, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);

// Offered by the object that owns a server's command handlers (the host's debug-server
// object): whether the server's commands that depend on it are enabled.
interface IQelServerState : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    // Slot 7: non-zero while the server is usable.
    STDMETHOD(GetServerState)(LONG *pState) PURE;
};
QEL_DEFINE_IID(IQelServerState, 0xA03ACA22, 0x82F2, 0x11D1, 0xB2, 0x1E, 0x00, 0xA0, 0x24, 0x57, 0xBF, 0x0F);
