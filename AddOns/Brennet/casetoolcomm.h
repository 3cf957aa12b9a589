// CCaseToolComm: the link to one CASE tool (X32 over DDE, EasyCODE over COM), as the
// add-on drives it, and what the links share: the breakpoint addresses of a source line
// sent to the host, and a named variable sent to the watch window.
//
// The links answer 1 for success and 0 for failure. The add-on holds one link at a time,
// made by the link factory (SetCaseToolFactory) for the tool text that the user chose.
//
// The module holds one symbol-request client for all links. A link binds it to the
// debug-server object before a request; Disconnect unbinds it, which drops the requests
// still pending, so no late answer reaches a link that is gone.
#pragma once

#include <afx.h>
#include <atlbase.h>
#include <diaghelper.h>

#include <map>

class CSymbolProcessing;

class CCaseToolComm {
public:
    CCaseToolComm() = default;
    virtual ~CCaseToolComm() = default;
    CCaseToolComm(const CCaseToolComm &) = delete;
    CCaseToolComm &operator=(const CCaseToolComm &) = delete;

    // The base keeps the debug-server object and the diagnostics for the shared routines.
    virtual BOOL Connect(LPCSTR toolText, IUnknown *debugServer, CQelDiagHelper *diagnostics);
    // The base unbinds the module's symbol-request client.
    virtual void Disconnect();
    virtual BOOL ShowPosition(DWORD valid, LPCSTR sourceFile, DWORD line);
    virtual BOOL SetBreakpoint(LPCSTR sourceFile, DWORD line, BOOL enabled);
    virtual BOOL RemoveAllBreakpoints();
    virtual BOOL SetRunState(DWORD state);
    virtual BOOL IsConnected();
    virtual BOOL ShowValue(LPCSTR name, const VARIANT &value);

    // Lets the link go. Inside one of the link's own callbacks (an event of its tool or of
    // a host object, an answer of the symbol server) whose handling lets go of the link or
    // of the add-on, the link is disconnected and ends its tool at once, but is deleted
    // only from the thread's message loop once the callback has returned: the caller of
    // the callback still holds and calls the link's sinks.
    void Destroy();

    // Asks the symbol server for the code addresses of `descriptor` ("FILE LINE"); when
    // the answer holds any, sends `hostCommand` of the host's breakpoint group with them
    // as a breakpoint address list (2, 3, 5; `flag` its second element) or, for 8, as
    // address values. FALSE when no request could be made.
    BOOL SendBreakpointAddresses(LPCSTR descriptor, DWORD hostCommand, BOOL flag);
    // Looks up `name` in the scope where the target stands; when exactly one variable
    // answers and it is a static or global one, adds it to the watch window through
    // Korvex. FALSE when no request could be made.
    BOOL AddWatchVariable(LPCSTR name);

protected:
    // Marks one callback of the link for as long as it runs.
    class CallbackScope {
    public:
        explicit CallbackScope(CCaseToolComm &link) : m_link(link) { ++m_link.m_callbacks; }
        ~CallbackScope();
        CallbackScope(const CallbackScope &) = delete;
        CallbackScope &operator=(const CallbackScope &) = delete;

    private:
        CCaseToolComm &m_link;
    };

    // What Destroy ends of the tool at once when it cannot delete the link yet, and what
    // the destructor ends otherwise: the base holds no tool.
    virtual void EndTool() {}
    // Destroy came inside a callback: the link is disconnected and its tool ended, and
    // it waits to be deleted.
    bool IsLetGo() const { return m_letGo; }

    // The module's symbol-request client bound to the debug-server object; NULL when it
    // cannot be bound.
    CSymbolProcessing *SymbolClient();

    CComPtr<IUnknown> m_debugServer;
    CQelDiagHelper *m_diagnostics = nullptr;

private:
    friend class CaseToolAnswers;
    struct PendingBreakpoint {
        DWORD hostCommand;
        BOOL flag;
    };
    // By request id, until the answer comes or Disconnect drops the requests.
    std::map<int, PendingBreakpoint> m_pendingBreakpoints;
    int m_callbacks = 0;
    bool m_letGo = false;
};

// Sends Korvex's command 71, add watch symbol, with `symbolIndex` to `target`, and once
// more when the watch window had to be opened first.
void SendAddWatchSymbol(IUnknown *target, LONG symbolIndex);

// Makes the link for a tool text ("EasyCODE Debug Interface" or an executable's path);
// NULL when there is none for it.
typedef CCaseToolComm *(*CaseToolFactory)(LPCSTR toolText);
// The factory from now on (NULL: none, so no tool can be linked); the previous one.
CaseToolFactory SetCaseToolFactory(CaseToolFactory factory);
CCaseToolComm *CreateCaseToolLink(LPCSTR toolText);
