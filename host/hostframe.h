// The host frame, as far as the command handlers reach it (common/qelhostframe.h), and the
// views it shows. It draws no window: it records every registration, every menu and
// tool-bar item and every view request, for tests to look at, and keeps the views that
// are open, each with a storage of its own in memory. A view server whose registry key
// names a class that can be made gets that control as its view, embedded in a host window
// of its own (hostcontrolsite.h); any other view is made by the factory set for its view
// server's name, by default a CHostView.
//
// Every cookie that comes in is checked: the view slots and slot 7 take only cookies
// registered through slot 3 (the view slots only those of a view server), and slot 3
// refuses cookie 0 and a cookie that is in use.
//
// As the host does, the frame keeps its open views in the workspace and reopens them in
// the next session, handing each back to the debug-server object it was given.
#pragma once

#include "hostcontrolsite.h"
#include "hostcontrollerinfo.h"

#include <atlbase.h>
#include <hostdebuggername.h>
#include <qelhostframe.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace QelHost {

struct FrameRegistration {
    DWORD cookie;
    DWORD commandId;
    IUnknown *owner; // compared only, not referenced
    GUID group;      // GUID_NULL for none
    bool hasViewServer;
    std::string viewServer;
};

struct FrameItem {
    int slot; // 4 menu and tool bar, 5 menu, 6 tool bar
    DWORD cookie;
    int position;
    HINSTANCE module;
    int textId;
};

struct FrameViewRequest {
    int slot; // 9 show, 10 close, 14 active view
    DWORD viewServerId;
    IUnknown *view; // the view asked for, NULL for a new one
};

struct FrameNotice {
    std::string sourceFile;
    BOOL added;
};

// One command the view received: its group (GUID_NULL for none), id and arguments.
struct ViewCommand {
    GUID group;
    DWORD id;
    std::vector<CComVariant> arguments;
};

// A view: it records every command, answers the open command (id 1 of no group or of
// CGID_QelHTMLView) and keeps the file it is told to open as "SourceFile" in its storage;
// an object to open is only recorded. Every other command answers
// OLECMDERR_E_NOTSUPPORTED. A view double of a view server answers more (Answer).
class CHostView : public CComObjectRootEx<CComMultiThreadModel>, public IOleCommandTarget {
public:
    BEGIN_COM_MAP(CHostView)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
    END_COM_MAP()

    void SetStorage(IStorage *storage) { m_storage = storage; }
    // From now on the open command answers `hr`.
    void SetOpenResult(HRESULT hr) { m_openResult = hr; }
    const std::vector<ViewCommand> &Commands() const { return m_commands; }
    // The storage's "SourceFile", "" when none.
    std::string SourceFile() const;

    // The frame has made the view and given it its storage. `debugServer` leads to the
    // frame's debug-server object for as long as the frame holds one.
    virtual void Made(const std::shared_ptr<DebugServerLink> &debugServer);
    // The frame lets the view go (closed, or its registration removed, or the frame ends).
    virtual void Gone();

    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override;
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override;

protected:
    // The answer to `command`, which is recorded already; `out` is Exec's.
    virtual HRESULT Answer(const ViewCommand &command, VARIANT *out);

private:
    CComPtr<IStorage> m_storage;
    HRESULT m_openResult = S_OK;
    std::vector<ViewCommand> m_commands;
};

// Makes a new view: its identity in *view, with the caller's reference, and its
// CHostView part in *object.
typedef std::function<HRESULT(IUnknown **view, CHostView **object)> HostViewFactory;

// As the GUI server, the frame also answers the debugger's name (IQelDebuggerName),
// "ARM7 Debugger" unless set.
class CHostFrame : public CComObjectRootEx<CComMultiThreadModel>,
                   public IQelHostFrame,
                   public IOleCommandTarget,
                   public IQelDebuggerName {
public:
    BEGIN_COM_MAP(CHostFrame)
        COM_INTERFACE_ENTRY(IQelHostFrame)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IQelDebuggerName)
    END_COM_MAP()

    void FinalRelease();

    const std::vector<FrameRegistration> &Registrations() const { return m_registrations; }
    const std::vector<FrameItem> &Items() const { return m_items; }
    const std::vector<DWORD> &Removals() const { return m_removals; }
    const std::vector<FrameViewRequest> &ViewRequests() const { return m_viewRequests; }
    const std::vector<FrameNotice> &Notices() const { return m_notices; }
    // The registration of `cookie` that has not been removed, or NULL.
    const FrameRegistration *FindRegistration(DWORD cookie) const;
    // The open views of the view server of `cookie`, oldest first.
    std::vector<CHostView *> Views(DWORD cookie) const;
    // The open views of the view server `name`, under any of its live cookies.
    std::vector<CHostView *> Views(const std::string &name) const;
    // The sites of the controls that are open as views of the view server `name`.
    std::vector<CHostControlSite *> ControlViews(const std::string &name) const;
    // Views of the view server `name` are made by `factory` from now on.
    void SetViewFactory(const std::string &name, HostViewFactory factory) { m_factories[name] = std::move(factory); }
    // The view server `name` gets the factory's views even where its class can be made.
    void KeepDouble(const std::string &name) { m_doubles.insert(name); }
    // From now on the slot answers E_FAIL, recording nothing (0: no slot fails).
    void FailSlot(int slot) { m_failingSlot = slot; }
    // The debug-server object (NULL: none) that views are handed back to and that the
    // views made from now on reach; held until another is set or the frame goes.
    void SetDebugServer(IUnknown *debugServer);

    // The open views into the storage "HostViews" of `workspace`, in place of what it
    // held (hostframeviews.cpp gives the layout); each control stores its settings first.
    HRESULT SaveViews(IStorage *workspace);
    // Reopens the views kept in `workspace`, each with a copy of its stored storage, and
    // sends each to the debug-server object with the command of its view server's
    // registration and the inputs (VT_UNKNOWN view, VT_UI4 1), as the host does with a
    // view restored from its storage; a new view that the handler asks for meanwhile is
    // that view (ShowView). A view whose record is damaged, or whose view
    // server has no registration, is passed over; without a debug-server object none is
    // reopened. The number reopened.
    size_t ReopenViews(IStorage *workspace);

    STDMETHODIMP RegisterCommand(DWORD cookie, DWORD commandId, IUnknown *owner, const GUID *group,
                                 BSTR viewServer) override;
    STDMETHODIMP AddMenuAndToolBarItem(DWORD cookie, int position, HINSTANCE module, int textId) override;
    STDMETHODIMP AddMenuItem(DWORD cookie, int position, HINSTANCE module, int textId) override;
    STDMETHODIMP AddToolBarItem(DWORD cookie, int position, HINSTANCE module, int textId) override;
    // The registration goes, with its views.
    STDMETHODIMP RemoveCommand(DWORD cookie) override;
    STDMETHODIMP Slot08() override { return E_NOTIMPL; }
    // A view that is not open for the view server is E_INVALIDARG. NULL asks for a new
    // view, or for the one being handed back (ReopenViews).
    STDMETHODIMP ShowView(DWORD viewServerId, IUnknown *view, IUnknown **ppView, IStorage **ppStorage) override;
    // Closes the view: it is no longer listed, saved or active, and its view server's
    // handler is told through the debug-server object, with the command of its
    // registration and the inputs (VT_UNKNOWN view, VT_UI4 16), as the host reports a
    // closed view. A view that is not open for the view server is E_INVALIDARG.
    STDMETHODIMP CloseView(DWORD viewServerId, IUnknown *view) override;
    STDMETHODIMP Slot11() override { return E_NOTIMPL; }
    STDMETHODIMP Slot12() override { return E_NOTIMPL; }
    STDMETHODIMP Slot13() override { return E_NOTIMPL; }
    // The view shown last; NULL when none is open.
    STDMETHODIMP GetActiveView(DWORD viewServerId, IUnknown **ppView) override;
    STDMETHODIMP Slot15() override { return E_NOTIMPL; }
    STDMETHODIMP NotifySourceFile(BSTR sourceFile, BOOL added) override;

    // As a host frame routes its servers' commands: every command goes to the debug-server
    // object (hostframecommands.cpp); OLECMDERR_E_UNKNOWNGROUP without one.
    STDMETHODIMP QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text) override;
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out) override;

    void SetDebuggerName(const std::string &name) { m_debuggerName = name; }
    STDMETHODIMP Slot03() override { return E_NOTIMPL; }
    STDMETHODIMP Slot04() override { return E_NOTIMPL; }
    STDMETHODIMP Slot05() override { return E_NOTIMPL; }
    STDMETHODIMP Slot06() override { return E_NOTIMPL; }
    STDMETHODIMP GetDebuggerName(BSTR *pbstrName) override;

private:
    struct OpenView {
        CComPtr<IUnknown> view;
        CHostView *object = nullptr;  // a double's; NULL for a control
        CComPtr<IStorage> storage;
        CComPtr<IUnknown> siteHold;   // a control's site, which the view holds as long
        CHostControlSite *site = nullptr;
    };

    HRESULT AddItem(int slot, DWORD cookie, int position, HINSTANCE module, int textId);
    // A new view of the view server, with `storage` or (NULL) a new one in memory.
    HRESULT MakeView(DWORD viewServerId, IStorage *storage, OpenView &open);
    // The control of the view server's class, embedded; FALSE when there is none to make.
    bool MakeControlView(const std::string &name, OpenView &open);
    // A view that leaves the frame: a control is let go as the host lets it go.
    static void LetGo(OpenView &open);
    bool IsViewServer(DWORD cookie) const;
    bool ReopenView(IStorage *record);
    // Sends (VT_UNKNOWN view, VT_UI4 code) to the debug-server object with the command of
    // the view server's registration, as the host tells a handler of its views.
    void TellViewServer(DWORD cookie, IUnknown *view, DWORD code);

    std::vector<FrameRegistration> m_registrations;
    std::map<DWORD, size_t> m_live; // cookie -> its registration, until removed
    std::vector<FrameItem> m_items;
    std::vector<DWORD> m_removals;
    std::vector<FrameViewRequest> m_viewRequests;
    std::vector<FrameNotice> m_notices;
    std::map<DWORD, std::vector<OpenView>> m_views;
    std::map<DWORD, IUnknown *> m_active;
    std::map<std::string, HostViewFactory> m_factories;
    std::set<std::string> m_doubles;
    int m_failingSlot = 0;
    // The view being handed back to its view server's handler (cookie 0: none).
    struct {
        DWORD cookie = 0;
        IUnknown *view = nullptr;
    } m_handingBack;
    CComPtr<IUnknown> m_debugServer;
    std::shared_ptr<DebugServerLink> m_debugServerLink = std::make_shared<DebugServerLink>();
    std::string m_debuggerName = "ARM7 Debugger";
};

} // namespace QelHost
