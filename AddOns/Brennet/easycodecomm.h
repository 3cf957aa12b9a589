// CEasyCodeComm: the link to the EasyCODE CASE tool through its COM debug object. The
// add-on shows positions and breakpoints in the tool and follows the tool's events,
// which become host commands, breakpoint lookups and variable watches.
//
// Its error texts are information trace lines of its own diagnostics, "EasyCode Add-on",
// on the debug-server object.
//
// A watch for EasyCODE (event 13) follows one variable object of Korvex at a time: the
// one of the latest request. The objects of older requests go back to a pool of at most
// four, unadvised and reset; each answer takes its object out of the request map. At the
// next stop the followed object's value goes to the tool (the add-on's command 6, which
// the host routes back to ShowValue) and the object returns to the pool.
//
// A tool's event, a communication object's event or a symbol server's answer may lead to
// the link being let go before its handler returns (the host, or the tool while it is
// called, gives the add-on a command meanwhile): the handlers then touch the tool no more,
// and Destroy deletes the link only after the callback (CCaseToolComm).
#pragma once

#include "casetoolcomm.h"
#include "ecdebugclient.h"

#include <hostinterfaces.h>
#include <qelcommobjsink.h>
#include <qelcommvariable.h>
#include <symbolprocessing.h>
#include <variantarray.h>

#include <memory>

class CEasyCodeComm : public CCaseToolComm, public CEcDebugClient, public CQelCommObjSink {
public:
    CEasyCodeComm();
    ~CEasyCodeComm() override;

    BOOL Connect(LPCSTR toolText, IUnknown *debugServer, CQelDiagHelper *diagnostics) override;
    void Disconnect() override;
    BOOL ShowPosition(DWORD valid, LPCSTR sourceFile, DWORD line) override;
    BOOL SetBreakpoint(LPCSTR sourceFile, DWORD line, BOOL enabled) override;
    BOOL RemoveAllBreakpoints() override;
    BOOL SetRunState(DWORD state) override;
    BOOL IsConnected() override;
    BOOL ShowValue(LPCSTR name, const VARIANT &value) override;

    BOOL OnEcDebugEvent(const EcDebugEvent &event) override;
    void ReportEcDebugError(const CString &text) override;
    using CQelCommObjSink::OnCommObjectEvent;
    void OnCommObjectEvent(IUnknown *object, ULONG number, BOOL flag) override;

    // What a test reads of the watches: the requests waiting for their answer, the
    // objects in the pool, and whether an object is followed (and advised).
    int PendingWatches() const { return m_watches.GetCount(); }
    int PooledWatches() const { return m_pool.GetSize(); }
    bool FollowsWatch() const { return m_followed != nullptr && IsAdvised(); }
    DWORD RunMode() const { return m_runMode; }

protected:
    // Tells EasyCODE that debugging ends (slot 15) and lets its object go.
    void EndTool() override;

private:
    friend class EasyCodeAnswers;
    enum WatchKind { kWatchWindow = 0, kDeleteWatch = 1, kToolWatch = 2 };

    BOOL OnToolEvent(DISPID dispid, const EcDebugEvent &event);
    BOOL OnToolEvent2(DISPID dispid, const EcDebugEvent &event);
    BOOL ShowStored(HRESULT (STDMETHODCALLTYPE IEcDebug::*show)(BSTR, LONG));
    BOOL SendBreakpoint(int kind, LPCSTR file, LONG line);
    BOOL SendFileBreakpoints(int kind, const CString &file);
    BOOL ResendBreakpoint(int index);
    // A command of the host's breakpoint group; TRUE when it was taken.
    BOOL ExecHost(DWORD command, CVariantArray *in);
    BOOL SendHostCommand(DWORD command);
    BOOL SendAllBreakpointsCommand(BOOL enable);

    // The watch (watch.cpp).
    BOOL Watch(int kind, const CString &name);
    bool HoldTargetAccess();
    void AskRegisterMap(CSymbolProcessing &client);
    void OnVariables(int kind, VARIANT *names, VARIANT *numbers);
    void StartToolWatch(VARIANT *names, VARIANT *numbers, const VariableTag &variable);
    void OnMembers(int requestId, VARIANT *names, VARIANT *numbers);
    void OnLifetime(int requestId, VARIANT *numbers);
    void OnRegisterMap(CRegisterMapTagArray *map);
    CComPtr<IQelCommVariableObj> TakeWatchObject();
    // Unadvised when it is the followed one, reset, and kept when the pool has room.
    void Pool(IQelCommVariableObj *object);
    void Follow(IQelCommVariableObj *object);
    void DropWatches();

    std::unique_ptr<CQelDiagHelper> m_linkDiag;
    DWORD m_positionState = 3;
    CString m_file;
    LONG m_line = 1;
    DWORD m_runMode = 0;
    CStringArray m_bpFiles;
    CDWordArray m_bpLines;
    CDWordArray m_bpEnabled;
    CComPtr<IQelTargetAccess> m_access;
    bool m_accessAsked = false;
    CComVariant m_registerPairs;
    bool m_registerMapAsked = false;
    // By request number; each holds a reference.
    CMap<int, int, IQelCommVariableObj *, IQelCommVariableObj *> m_watches;
    // By members request number: the object whose members they are, with a reference.
    CMap<int, int, IQelCommVariableObj *, IQelCommVariableObj *> m_memberWatches;
    CArray<IQelCommVariableObj *, IQelCommVariableObj *> m_pool;
    CComPtr<IQelCommVariableObj> m_followed;
    int m_latestWatch = 0;
};
