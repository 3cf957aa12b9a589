#include "easycodecomm.h"

#include "commandvalues.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>

namespace {

// Host commands of the breakpoint group that the tool's events ask for.
constexpr DWORD kHostRemoveBreakpoints = 2;
constexpr DWORD kHostSetBreakpoints = 3;
constexpr DWORD kHostEnableBreakpoints = 5;
constexpr DWORD kHostGo = 7;
constexpr DWORD kHostRunToAddresses = 8;
constexpr DWORD kHostStepOver = 9;
constexpr DWORD kHostStepInto = 10;
constexpr DWORD kHostStepOut = 11;
constexpr DWORD kHostResetPosition = 12;
constexpr DWORD kHostRestart = 798;
constexpr DWORD kHostBreak = 801;
// The first argument of command 5 that means every breakpoint.
constexpr LONG kAllBreakpoints = 8;

// Position states: which IEcDebug method shows the next position.
constexpr DWORD kAfterStepInto = 0;
constexpr DWORD kAfterStepOver = 1;
constexpr DWORD kAfterStepOut = 2;
constexpr DWORD kPlainPosition = 3;

// Breakpoint kinds, by the host command and flag they send.
struct BreakpointKind {
    DWORD command;
    BOOL flag;
};
constexpr BreakpointKind kBreakpointKinds[] = {
    {kHostSetBreakpoints, TRUE},     {kHostRemoveBreakpoints, TRUE},   {kHostEnableBreakpoints, TRUE},
    {kHostEnableBreakpoints, FALSE}, {kHostRunToAddresses, TRUE},
};

bool Succeeded(HRESULT hr)
{
    return hr == S_OK;
}

} // namespace

CEasyCodeComm::CEasyCodeComm()
{
    m_watches.InitHashTable(37);
    m_memberWatches.InitHashTable(37);
}

CEasyCodeComm::~CEasyCodeComm()
{
    // A link let go inside its callback was disconnected and ended its tool then; another
    // link may hold the module's symbol client by now.
    if (IsLetGo())
        return;
    Disconnect();
    EndTool();
}

void CEasyCodeComm::EndTool()
{
    if (IsEcDebugUsable())
        m_ecDebug->EndDebugging();
    ReleaseEcDebug();
}

void CEasyCodeComm::ReportEcDebugError(const CString &text)
{
    if (m_linkDiag != nullptr)
        m_linkDiag->TraceInfo("%s", static_cast<LPCSTR>(text));
}

BOOL CEasyCodeComm::Connect(LPCSTR toolText, IUnknown *debugServer, CQelDiagHelper *diagnostics)
{
    Disconnect();
    CCaseToolComm::Connect(toolText, debugServer, diagnostics);
    m_linkDiag = std::make_unique<CQelDiagHelper>(debugServer, "EasyCode Add-on", nullptr);
    m_linkDiag->AttachHost(debugServer);
    SymbolClient();
    if (!CreateEcDebug() || !CheckEcDebug())
        return FALSE;
    HRESULT hr = m_ecDebug->Init(CComBSTR("QEL Debugee"));
    if (!Succeeded(hr)) {
        CString text;
        text.Format("Init():\nFehler bei hr = m_ptrEcDebug->Init(...);\nhr==%x", static_cast<unsigned>(hr));
        ReportEcDebugError(text);
        return FALSE;
    }
    return Succeeded(m_ecDebug->ShowStopped());
}

void CEasyCodeComm::Disconnect()
{
    // The tool's events end first: one that came after this would find no host to serve it.
    UnadviseEcDebug();
    CQelCommObjSink::Unadvise();
    m_registerPairs.Clear();
    m_registerMapAsked = false;
    DropWatches();
    m_access.Release();
    CCaseToolComm::Disconnect();
}

BOOL CEasyCodeComm::ShowPosition(DWORD valid, LPCSTR sourceFile, DWORD line)
{
    if (valid == 0 || line == 0 || !CheckEcDebug())
        return FALSE;
    m_file = sourceFile != nullptr ? sourceFile : "";
    m_line = static_cast<LONG>(line);
    CComBSTR file(m_file);
    switch (m_positionState) {
    case kAfterStepInto: m_ecDebug->ShowStepIntoPosition(file, m_line); break;
    case kAfterStepOver: m_ecDebug->ShowStepOverPosition(file, m_line); break;
    case kAfterStepOut: m_ecDebug->ShowStepOutPosition(file, m_line); break;
    default: m_ecDebug->ShowPosition(file, m_line); break;
    }
    m_positionState = kPlainPosition;
    return TRUE;
}

BOOL CEasyCodeComm::SetBreakpoint(LPCSTR sourceFile, DWORD line, BOOL enabled)
{
    if (line == 0 || !CheckEcDebug())
        return FALSE;
    CString file = sourceFile != nullptr ? sourceFile : "";
    m_bpFiles.Add(file);
    m_bpLines.Add(line);
    m_bpEnabled.Add(enabled);
    return Succeeded(m_ecDebug->SetBreakpoint(CComBSTR(file), static_cast<LONG>(line), enabled, 1));
}

BOOL CEasyCodeComm::RemoveAllBreakpoints()
{
    if (!CheckEcDebug())
        return TRUE;
    m_bpFiles.RemoveAll();
    m_bpLines.RemoveAll();
    m_bpEnabled.RemoveAll();
    return Succeeded(m_ecDebug->RemoveAllBreakpoints(1));
}

BOOL CEasyCodeComm::SetRunState(DWORD state)
{
    if (!CheckEcDebug())
        return FALSE;
    m_runMode = state == 0 ? 1 : 2;
    return Succeeded(state == 0 ? m_ecDebug->ShowStopped() : m_ecDebug->ShowRunning());
}

BOOL CEasyCodeComm::IsConnected()
{
    if (!IsEcDebugUsable()) {
        m_runMode = 0;
        return FALSE;
    }
    if (m_runMode == 0)
        m_runMode = 1;
    return TRUE;
}

BOOL CEasyCodeComm::ShowValue(LPCSTR name, const VARIANT &value)
{
    if (!CheckEcDebug())
        return FALSE;
    return Succeeded(m_ecDebug->ShowValue(CComBSTR(name != nullptr ? name : ""), value));
}

BOOL CEasyCodeComm::OnEcDebugEvent(const EcDebugEvent &event)
{
    if (m_ecDebug == nullptr)
        return FALSE;
    CallbackScope scope(*this);
    return event.iface == 1 ? OnToolEvent(event.dispid, event) : OnToolEvent2(event.dispid, event);
}

BOOL CEasyCodeComm::OnToolEvent(DISPID dispid, const EcDebugEvent &event)
{
    switch (dispid) {
    case 1:
    case 2:
    case 3:
    case 4: return SendBreakpoint(dispid - 1, event.text, event.line);
    case 5: m_positionState = kAfterStepOver; return SendHostCommand(kHostStepOver);
    case 6: m_positionState = kAfterStepInto; return SendHostCommand(kHostStepInto);
    case 7: m_positionState = kAfterStepOut; return SendHostCommand(kHostStepOut);
    case 8: return Succeeded(m_ecDebug->EndDebugging());
    case 9: return Succeeded(m_ecDebug->ShowRunning());
    case 10: return SendHostCommand(kHostGo);
    case 11:
    case 12: return SendHostCommand(kHostBreak);
    case 13: return Watch(kToolWatch, event.text);
    case 14: return Watch(kWatchWindow, event.text);
    case 15: return Watch(kDeleteWatch, event.text);
    case 16: ReportEcDebugError("Function 'Go to selection' not implemented"); return TRUE;
    case 17: return Succeeded(m_ecDebug->Init(CComBSTR(event.text)));
    case 18: {
        CVariantArray in(1);
        SetCommandNumber(in[0], VT_BOOL, FALSE);
        return ExecHost(kHostRestart, &in);
    }
    case 19: return SendFileBreakpoints(1, event.text);
    case 21: return SendFileBreakpoints(2, event.text);
    case 23: return SendFileBreakpoints(3, event.text);
    case 20: return SendAllBreakpointsCommand(TRUE);
    case 22: return SendAllBreakpointsCommand(FALSE);
    default: return FALSE;
    }
}

BOOL CEasyCodeComm::OnToolEvent2(DISPID dispid, const EcDebugEvent &event)
{
    switch (dispid) {
    case 3: return SendBreakpoint(4, event.text, event.line);
    case 4: {
        BOOL sent = SendHostCommand(kHostResetPosition);
        m_file.Empty();
        m_line = 1;
        return ShowStored(&IEcDebug::ShowPosition) && sent;
    }
    case 5: {
        if (m_bpFiles.GetSize() != m_bpLines.GetSize() || m_bpFiles.GetSize() != m_bpEnabled.GetSize())
            return FALSE;
        for (int i = 0; i < m_bpFiles.GetSize(); ++i) {
            if (!ResendBreakpoint(i))
                return FALSE;
        }
        return TRUE;
    }
    case 6: {
        BOOL any = FALSE, all = TRUE;
        for (int i = 0; i < m_bpFiles.GetSize() && i < m_bpLines.GetSize() && i < m_bpEnabled.GetSize() &&
                        m_ecDebug != nullptr;
             ++i) {
            if (m_bpFiles[i].CompareNoCase(event.text) != 0)
                continue;
            any = TRUE;
            all = ResendBreakpoint(i) && all;
        }
        return any && all;
    }
    case 7: return ShowStored(&IEcDebug::ShowPosition);
    case 8: return m_ecDebug2 != nullptr && Succeeded(m_ecDebug2->SetRunMode(static_cast<LONG>(m_runMode)));
    default: return FALSE;
    }
}

// These follow a call that may have let the link go.
BOOL CEasyCodeComm::ShowStored(HRESULT (STDMETHODCALLTYPE IEcDebug::*show)(BSTR, LONG))
{
    return m_ecDebug != nullptr && Succeeded((m_ecDebug->*show)(CComBSTR(m_file), m_line));
}

BOOL CEasyCodeComm::ResendBreakpoint(int index)
{
    return m_ecDebug != nullptr &&
           Succeeded(m_ecDebug->SetBreakpoint(CComBSTR(m_bpFiles[index]), static_cast<LONG>(m_bpLines[index]),
                                              static_cast<LONG>(m_bpEnabled[index]), 1));
}

BOOL CEasyCodeComm::SendBreakpoint(int kind, LPCSTR file, LONG line)
{
    CString descriptor;
    descriptor.Format("%s %d", file != nullptr ? file : "", static_cast<int>(line));
    return SendBreakpointAddresses(descriptor, kBreakpointKinds[kind].command, kBreakpointKinds[kind].flag);
}

BOOL CEasyCodeComm::SendFileBreakpoints(int kind, const CString &file)
{
    BOOL any = FALSE;
    for (int i = 0; i < m_bpFiles.GetSize() && i < m_bpLines.GetSize(); ++i) {
        if (m_bpFiles[i].CompareNoCase(file) == 0)
            any = SendBreakpoint(kind, m_bpFiles[i], static_cast<LONG>(m_bpLines[i])) || any;
    }
    return any;
}

BOOL CEasyCodeComm::ExecHost(DWORD command, CVariantArray *in)
{
    if (m_debugServer == nullptr)
        return FALSE;
    try {
        return SUCCEEDED(COleTarCmdCaller(m_debugServer, &CGID_QelHostBreakpoints).Exec(command, in, nullptr, 0));
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
    return FALSE;
}

BOOL CEasyCodeComm::SendHostCommand(DWORD command)
{
    return ExecHost(command, nullptr);
}

BOOL CEasyCodeComm::SendAllBreakpointsCommand(BOOL enable)
{
    CVariantArray in(2);
    SetCommandNumber(in[0], VT_UI4, kAllBreakpoints);
    SetCommandNumber(in[1], VT_BOOL, enable);
    return ExecHost(kHostEnableBreakpoints, &in);
}
