#include "symbolclient.h"

#include <hostcfgprofile.h>
#include <tagtransfer.h>

#include <dlfcn.h>

#include <chrono>
#include <type_traits>

namespace qelbench {

namespace {

// A request whose notice has not come after this long is taken as lost: the window's
// timer looks every so often, so that a server that never answers ends the run instead
// of hanging it.
const UINT kNoticeCheckMs = 10000;
const auto kNoticeTimeout = std::chrono::seconds(120);
const UINT_PTR kNoticeTimer = 1;

// The request that the window's thread waits for.
struct AwaitedNotice {
    int request = 0;
    bool arrived = false;
};
thread_local AwaitedNotice *t_awaited = nullptr;

LRESULT CALLBACK RequestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST");
    if (message == requestMessage) {
        if (t_awaited != nullptr && static_cast<int>(lParam) == t_awaited->request)
            t_awaited->arrived = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRequestWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RequestWindowProc;
        windowClass.lpszClassName = "QueryBenchRequests";
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered ? CreateWindowExA(0, "QueryBenchRequests", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                        nullptr)
                      : nullptr;
}

std::string Hex(HRESULT hr)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

} // namespace

SymbolClient::~SymbolClient()
{
    Stop();
}

bool SymbolClient::Fail(const std::string &what, HRESULT hr)
{
    m_failure = what + " (" + Hex(hr) + ")";
    return false;
}

bool SymbolClient::Start(const std::string &program)
{
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr))
        return Fail("COM could not be initialised", hr);
    m_comStarted = true;
    m_services = std::make_unique<QelHost::HostServices>(stderr);
    hr = QelHost::RegisterKorvex(&m_library, false);
    if (FAILED(hr))
        return Fail("libKorvex.so could not be registered", hr);
    m_reports = std::make_shared<QelHost::HostReports>();
    if (!QelHost::MakeDebugger(CLSID_QelSymbol, m_debugger, m_reports))
        return Fail("the host debug-server object with its symbol server could not be made", E_FAIL);
    m_debuggerMade = true;

    CComPtr<IUnknown> profileObject;
    m_debugger.Host()->GetProfile(&profileObject);
    auto *profile = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject.p));
    profile->SetItem(u"System", u"AUTOLOADELF", CComVariant(false));
    CComObject<QelHost::CHostGuiServer> *gui = nullptr;
    hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &m_workspace);
    if (SUCCEEDED(hr))
        hr = CComObject<QelHost::CHostGuiServer>::CreateInstance(&gui);
    if (FAILED(hr))
        return Fail("the workspace storage or the GUI server could not be made", hr);
    m_guiServer = gui;
    if (!QelHost::InitDebugger(m_debugger, m_workspace, m_guiServer))
        return Fail("the symbol server did not start", E_FAIL);
    m_symbol = CComQIPtr<IQelSymbol>(m_debugger.debugServer);
    m_window = CreateRequestWindow();
    if (m_symbol == nullptr || m_window == nullptr || SetTimer(m_window, kNoticeTimer, kNoticeCheckMs, nullptr) == 0)
        return Fail("no IQelSymbol or no window for its notices", E_FAIL);

    int request = 0;
    hr = m_symbol->LoadFile(CComBSTR(program.c_str()), 1, 0, &request);
    CComPtr<IUnknown> info;
    if (SUCCEEDED(hr))
        hr = m_symbol->GetProgramInfo(request, &info);
    if (hr != S_OK)
        return Fail("the load of " + program + " failed", hr);
    const std::string built = "Symbol database built: ", reused = "Symbol database reused: ";
    for (const QelHost::HostTraceLine &line : m_reports->TraceLines()) {
        for (const std::string &prefix : {built, reused}) {
            if (line.text.compare(0, prefix.size(), prefix) == 0)
                m_databasePath = line.text.substr(prefix.size());
        }
    }
    if (m_databasePath.empty())
        return Fail("the load traced no symbol database", E_FAIL);
    return true;
}

void SymbolClient::Stop()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
    m_window = nullptr;
    // The interface is the carried server's: it goes before the server does.
    m_symbol.Release();
    if (m_debuggerMade)
        QelHost::EndDebugger(m_debugger);
    m_debuggerMade = false;
    m_debugger.debugServer.Release();
    m_guiServer.Release();
    m_workspace.Release();
    CoFreeUnusedLibraries();
    if (m_library != nullptr)
        dlclose(m_library);
    m_library = nullptr;
    m_services.reset();
    if (m_comStarted)
        CoUninitialize();
    m_comStarted = false;
}

int SymbolClient::RequesterValue(Requester requester) const
{
    return requester == Requester::Window ? static_cast<int>(reinterpret_cast<UINT_PTR>(m_window)) : 0;
}

bool SymbolClient::Submitted(const char *method, HRESULT hr, Requester requester, int request)
{
    if (hr != S_OK)
        return Fail(std::string(method) + " was refused", hr);
    if (requester != Requester::Window)
        return true;
    AwaitedNotice awaited;
    awaited.request = request;
    t_awaited = &awaited;
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    while (!awaited.arrived && std::chrono::steady_clock::now() - start < kNoticeTimeout &&
           GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    t_awaited = nullptr;
    if (!awaited.arrived)
        return Fail(std::string(method) + "'s notice did not come", E_FAIL);
    return true;
}

template <class Get, class Records>
int SymbolClient::Fetch(const char *method, HRESULT submitted, Requester requester, int request, Get get,
                        Records &records)
{
    if (!Submitted(method, submitted, requester, request))
        return -1;
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    HRESULT hr = S_OK;
    if constexpr (std::is_invocable_v<Get, IQelSymbol *, int, VARIANT *, VARIANT *>) {
        hr = (m_symbol->*get)(request, &names, &values);
        if (hr == S_OK)
            hr = UnpackTagRecords(names, values, records);
    } else {
        hr = (m_symbol->*get)(request, &values);
        if (hr == S_OK)
            hr = UnpackTagRecords(values, records);
    }
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    if (hr != S_OK)
        return Fail(std::string("the answer of ") + method + " cannot be fetched", hr), -1;
    if constexpr (std::is_same_v<Records, LocationTag>)
        return 1;
    else
        return records.GetSize();
}

int SymbolClient::FunctionByAddress(Requester requester, LONG mode, LONG value,
                                    CArray<FunctionTag, FunctionTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->FunctionByAddress(mode, value, &request);
    return Fetch("FunctionByAddress", submitted, requester, request, &IQelSymbol::GetFunctions, records);
}

int SymbolClient::SourceLineRangesByAddress(Requester requester, LONG mode, LONG value,
                                            CArray<SourceLineTag, SourceLineTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->SourceLineRangesByAddress(mode, value, &request);
    return Fetch("SourceLineRangesByAddress", submitted, requester, request, &IQelSymbol::GetSourceLines, records);
}

int SymbolClient::MembersOfType(Requester requester, LONG typeIndex, CArray<MemberTag, MemberTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->MembersOfType(typeIndex, &request);
    return Fetch("MembersOfType", submitted, requester, request, &IQelSymbol::GetMembers, records);
}

int SymbolClient::LocalsInScope(Requester requester, LONG mode, LONG value, const char *name,
                                CArray<VariableTag, VariableTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->LocalsInScope(mode, value, CComBSTR(name), &request);
    return Fetch("LocalsInScope", submitted, requester, request, &IQelSymbol::GetVariables, records);
}

int SymbolClient::VariablesInScope(Requester requester, LONG mode, LONG value, const char *name,
                                   CArray<VariableTag, VariableTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->VariablesInScope(mode, value, CComBSTR(name), &request);
    return Fetch("VariablesInScope", submitted, requester, request, &IQelSymbol::GetVariables, records);
}

int SymbolClient::BreakpointDescription(Requester requester, LONG mode, LONG value,
                                        CArray<LabelTag, LabelTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->BreakpointDescription(mode, value, &request);
    return Fetch("BreakpointDescription", submitted, requester, request, &IQelSymbol::GetLabels, records);
}

int SymbolClient::BreakpointAddresses(Requester requester, const std::string &descriptor,
                                      CArray<LabelTag, LabelTag &> &records)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->BreakpointAddresses(0, CComBSTR(descriptor.c_str()), &request);
    return Fetch("BreakpointAddresses", submitted, requester, request, &IQelSymbol::GetLabels, records);
}

int SymbolClient::Location(Requester requester, LONG mode, LONG value, LocationTag &location)
{
    int request = RequesterValue(requester);
    const HRESULT submitted = m_symbol->Location(mode, value, &request);
    return Fetch("Location", submitted, requester, request, &IQelSymbol::GetLocation, location);
}

} // namespace qelbench
