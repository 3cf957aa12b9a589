#include "symbolprocessing.h"

UINT CRequestWindow::s_nRequestMessage = 0;

BEGIN_MESSAGE_MAP(CRequestWindow, CWnd)
    ON_REGISTERED_MESSAGE(CRequestWindow::s_nRequestMessage, OnRequestMessage)
END_MESSAGE_MAP()

LRESULT CRequestWindow::OnRequestMessage(WPARAM wParam, LPARAM lParam)
{
    return m_pOwner->OnRequestMessage(wParam, lParam);
}

CSymbolProcessing::CSymbolProcessing(BOOL eventMode)
    : m_nRequestMessage(RegisterWindowMessage("QELSYMBOLREQUEST")), m_bEventMode(eventMode)
{
    // The framework's map is made with 17 buckets and brought to 13.
    m_requests.InitHashTable(13);
}

CSymbolProcessing::CSymbolProcessing(IUnknown *server, BOOL createWindowNow, BOOL eventMode)
    : CSymbolProcessing(eventMode)
{
    Attach(server);
    if (createWindowNow == 1)
        EnsureRequestWindow();
}

CSymbolProcessing::~CSymbolProcessing()
{
    // A callback may destroy the client: the deliveries under way touch nothing of it
    // from here on, and the last of them lets go of the windows retired meanwhile.
    Detach();
    m_delivery->clientAlive = false;
}

BOOL CSymbolProcessing::Attach(IUnknown *server)
{
    if (server == nullptr)
        return FALSE;
    if (m_pServerObject == nullptr) {
        CComQIPtr<IQelSymbol> symbol(server);
        if (!symbol)
            return FALSE;
        m_pSymbol = symbol;
        m_pServerObject = server;
    } else if (!m_pServerObject.IsEqualObject(server)) {
        return FALSE;
    }
    m_controllerInfo = server;
    return m_pSymbol != nullptr && !!m_controllerInfo ? TRUE : FALSE;
}

void CSymbolProcessing::Detach()
{
    // A notice already on its way finds no window, and its request is deleted below.
    {
        std::lock_guard<std::mutex> lock(m_noticeLock);
        m_hNoticeWindow = nullptr;
    }
    CSymProcRdySink::Unadvise();
    CancelAllRequests();
    DestroyRequestWindow();
    m_pSymbol.Release();
    m_controllerInfo.Release();
    m_pServerObject.Release();
}

void CSymbolProcessing::SetErrorCallback(ErrorCallback callback, DWORD_PTR context)
{
    m_pErrorCallback = callback;
    m_errorContext = context;
}

void CSymbolProcessing::KeepResult(HRESULT hr)
{
    m_nLastError = hr == S_OK ? 0 : static_cast<int>(hr & 0xFFFF) - 0x4000;
}

HWND CSymbolProcessing::EnsureRequestWindow()
{
    if (m_pRequestWindow == nullptr) {
        m_pRequestWindow = new CRequestWindow(this);
        CRequestWindow::s_nRequestMessage = m_nRequestMessage;
        LPCTSTR windowClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
        if (!m_pRequestWindow->CreateEx(0, windowClass, "QELSYMBOLREQUEST", WS_POPUP, 1, 1, 1, 1, nullptr, nullptr)) {
            delete m_pRequestWindow;
            m_pRequestWindow = nullptr;
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(m_noticeLock);
        m_hNoticeWindow = m_pRequestWindow->GetSafeHwnd();
    }
    return IsWindow(m_pRequestWindow->GetSafeHwnd()) ? m_pRequestWindow->GetSafeHwnd() : nullptr;
}

void CSymbolProcessing::DestroyRequestWindow()
{
    {
        std::lock_guard<std::mutex> lock(m_noticeLock);
        m_hNoticeWindow = nullptr;
    }
    CRequestWindow *window = m_pRequestWindow;
    m_pRequestWindow = nullptr;
    if (window == nullptr)
        return;
    window->DestroyWindow();
    // The window may be the one whose notice is being delivered right now (a callback
    // that detaches or destroys the client): the object stays until that delivery is
    // over.
    if (m_delivery->delivering > 0)
        m_delivery->retiredWindows.push_back(window);
    else
        delete window;
}

BOOL CSymbolProcessing::ResolveRequester(int requester, int *value)
{
    if (value == nullptr)
        return FALSE;
    if (requester != kDefaultRequester) {
        *value = requester;
        return TRUE;
    }
    *value = -1;
    if (!m_bEventMode) {
        HWND window = EnsureRequestWindow();
        if (window != nullptr)
            *value = static_cast<int>(reinterpret_cast<INT_PTR>(window));
        return TRUE;
    }
    // Event mode: the server fires the ready event, and the sink needs the window to hand
    // each notice over to this thread.
    if (m_pServerObject == nullptr || EnsureRequestWindow() == nullptr)
        return FALSE;
    if (CSymProcRdySink::IsAdvised())
        return TRUE;
    return CSymProcRdySink::Advise(m_pServerObject);
}

void CSymbolProcessing::OnSymbolProcReadyState(int requestId)
{
    std::lock_guard<std::mutex> lock(m_noticeLock);
    if (m_hNoticeWindow != nullptr)
        PostMessage(m_hNoticeWindow, m_nRequestMessage, static_cast<WPARAM>(-1), static_cast<LPARAM>(requestId));
}

// Issues one request: resolves the requester into the id argument's in-value, calls the
// server and keeps what it answered.
template <class Method, class... Args>
int CSymbolProcessing::Submit(Method method, int requester, Args... args)
{
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return 0;
    }
    int request = 0;
    if (!ResolveRequester(requester, &request)) {
        NoCallPossible();
        return 0;
    }
    HRESULT hr = (m_pSymbol->*method)(args..., &request);
    KeepResult(hr);
    if (FAILED(hr) || request == 0)
        return 0;
    m_issued.insert(request);
    return request;
}

namespace {

// A text argument; `missing` stands for a text left out.
CComBSTR TextArgument(LPCSTR text, LPCSTR missing)
{
    return CComBSTR(text != nullptr ? text : missing);
}

} // namespace

int CSymbolProcessing::LoadFile(LPCSTR path, LONG programId, HWND progressWindow, int requester)
{
    CComBSTR file = TextArgument(path, "");
    LONG window = static_cast<LONG>(reinterpret_cast<INT_PTR>(progressWindow));
    int id = Submit(&IQelSymbol::LoadFile, requester, file.m_str, programId, window);
    if (id != 0) {
        ProgramLoadResult load;
        load.Path = path != nullptr ? path : "";
        load.ProgramId = programId;
        m_loads.SetAt(id, load);
    }
    return id;
}

int CSymbolProcessing::RequestSections(int requester)
{
    return Submit(&IQelSymbol::Sections, requester);
}

int CSymbolProcessing::RequestSectionByAddress(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::SectionByAddress, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestSourceFiles(int requester)
{
    return Submit(&IQelSymbol::SourceFiles, requester);
}

int CSymbolProcessing::RequestSourceFileByAddress(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::SourceFileByAddress, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestSourceFileLines(LONG addressMode, LONG addressValue, LONG length, int requester)
{
    return Submit(&IQelSymbol::SourceFileLines, requester, addressMode, addressValue, length);
}

int CSymbolProcessing::RequestLocation(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::Location, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestFunctions(int requester)
{
    return Submit(&IQelSymbol::Functions, requester);
}

int CSymbolProcessing::RequestFunctionByAddress(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::FunctionByAddress, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestSourceLinesOfSourceFile(LPCSTR path, int requester)
{
    CComBSTR file = TextArgument(path, "");
    return Submit(&IQelSymbol::SourceLinesOfSourceFile, requester, file.m_str);
}

int CSymbolProcessing::RequestSourceLineRangesByAddress(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::SourceLineRangesByAddress, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestGlobals(LPCSTR name, LPCSTR path, int requester)
{
    CComBSTR pattern = TextArgument(name, "*"), file = TextArgument(path, "*");
    return Submit(&IQelSymbol::Globals, requester, pattern.m_str, file.m_str);
}

int CSymbolProcessing::RequestStatics(LPCSTR name, LPCSTR path, int requester)
{
    CComBSTR pattern = TextArgument(name, "*"), file = TextArgument(path, "*");
    return Submit(&IQelSymbol::Statics, requester, pattern.m_str, file.m_str);
}

int CSymbolProcessing::RequestVariablesInScope(LONG addressMode, LONG addressValue, LPCSTR name, int requester)
{
    CComBSTR pattern = TextArgument(name, "*");
    return Submit(&IQelSymbol::VariablesInScope, requester, addressMode, addressValue, pattern.m_str);
}

int CSymbolProcessing::RequestLocalsInScope(LONG addressMode, LONG addressValue, LPCSTR name, int requester)
{
    CComBSTR pattern = TextArgument(name, "*");
    return Submit(&IQelSymbol::LocalsInScope, requester, addressMode, addressValue, pattern.m_str);
}

int CSymbolProcessing::RequestVariableWithScope(LPCSTR name, int requester)
{
    CComBSTR pattern = TextArgument(name, "*");
    return Submit(&IQelSymbol::VariableWithScope, requester, pattern.m_str);
}

int CSymbolProcessing::RequestParameters(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::Parameters, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestVariableByIndex(LONG symbolIndex, int requester)
{
    return Submit(&IQelSymbol::VariableByIndex, requester, symbolIndex);
}

int CSymbolProcessing::RequestCodeLabel(LPCSTR name, int requester)
{
    CComBSTR pattern = TextArgument(name, "*");
    return Submit(&IQelSymbol::CodeLabel, requester, pattern.m_str);
}

int CSymbolProcessing::RequestDataLabel(LPCSTR name, int requester)
{
    CComBSTR pattern = TextArgument(name, "*");
    return Submit(&IQelSymbol::DataLabel, requester, pattern.m_str);
}

int CSymbolProcessing::RequestStartupLabels(LONG programId, LPCSTR mainFunction, LPCSTR entryPoint, int requester)
{
    CComBSTR main = TextArgument(mainFunction, ""), entry = TextArgument(entryPoint, "");
    return Submit(&IQelSymbol::StartupLabels, requester, programId, main.m_str, entry.m_str);
}

int CSymbolProcessing::RequestBreakpointDescription(LONG addressMode, LONG addressValue, int requester)
{
    return Submit(&IQelSymbol::BreakpointDescription, requester, addressMode, addressValue);
}

int CSymbolProcessing::RequestBreakpointAddresses(LPCSTR descriptor, LONG flag, int requester)
{
    CComBSTR text = TextArgument(descriptor, "");
    return Submit(&IQelSymbol::BreakpointAddresses, requester, flag, text.m_str);
}

int CSymbolProcessing::RequestRegisterMap(int requester)
{
    return Submit(&IQelSymbol::RegisterMap, requester);
}

int CSymbolProcessing::RequestMembersOfType(LONG typeIndex, int requester)
{
    return Submit(&IQelSymbol::MembersOfType, requester, typeIndex);
}

int CSymbolProcessing::RequestType(LPCSTR name, int requester)
{
    CComBSTR text = TextArgument(name, "");
    return Submit(&IQelSymbol::Type, requester, text.m_str);
}

int CSymbolProcessing::RequestLifetime(LONG symbolIndex, int requester)
{
    return Submit(&IQelSymbol::Lifetime, requester, symbolIndex);
}

int CSymbolProcessing::RequestVarEdMapping(LONG symbolIndex, int requester)
{
    return Submit(&IQelSymbol::VarEdMapping, requester, symbolIndex);
}

int CSymbolProcessing::RequestVarEdVariables(int requester)
{
    return Submit(&IQelSymbol::VarEdVariables, requester);
}

BOOL CSymbolProcessing::IsDatabase()
{
    if (m_pSymbol == nullptr) {
        NoCallPossible();
        return FALSE;
    }
    LONG loaded = 0;
    HRESULT hr = m_pSymbol->IsDatabase(&loaded);
    KeepResult(hr);
    return hr == S_OK && loaded != 0;
}

void CSymbolProcessing::CancelAllRequests()
{
    // Every open request is deleted, also after one the server refuses (it may have
    // dropped that one itself), so that none stays behind there.
    std::set<int> open = m_issued;
    POSITION position = m_requests.GetStartPosition();
    while (position != nullptr) {
        int id = 0;
        SymbolRequestTag tag;
        m_requests.GetNextAssoc(position, id, tag);
        open.insert(id);
    }
    if (m_pSymbol != nullptr) {
        for (int id : open)
            m_pSymbol->DeleteRequest(id);
    }
    m_requests.RemoveAll();
    m_issued.clear();
    m_notified.clear();
    m_loads.RemoveAll();
}
