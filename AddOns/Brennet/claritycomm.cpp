#include "claritycomm.h"

#include "x32request.h"

#include <ddeml.h>
#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr DWORD kInitFlags = MF_CONV | MF_ERRORS | CBF_SKIP_UNREGISTRATIONS | CBF_SKIP_REGISTRATIONS |
                             CBF_FAIL_REQUESTS | CBF_FAIL_POKES | CBF_FAIL_ADVISES;
constexpr DWORD kExecuteTimeout = 2000;
constexpr DWORD kToolStartWait = 30000;
// The tool's texts are read into this many bytes, the last one kept for the zero.
constexpr DWORD kReceivedSize = 512;
// Posted to the link's window: the tool ended its conversation, so the link goes, once
// the DDE callback that told it has returned.
constexpr UINT kCloseLinkMessage = WM_USER + 1;
// Posted to the window of a link closed inside one of its DDE callbacks, with the link's
// DDE side (LinkDde) in lParam: the instance cannot end inside its own callback.
constexpr UINT kEndDdeMessage = WM_USER + 2;
constexpr char kLinkWindowClass[] = "QelClarityLink";

// Host commands without arguments that the tool's letters ask for.
constexpr DWORD kHostBreak = 801;
constexpr DWORD kHostGo = 7;
constexpr DWORD kHostStepInto = 10;
constexpr DWORD kHostStepOver = 9;
constexpr DWORD kHostSetBreakpoints = 3;
constexpr DWORD kHostRemoveBreakpoints = 2;
constexpr DWORD kHostRunToAddresses = 8;

// The DDE side of a link: its instance, its names, its conversation with the tool, and
// the window its teardown is posted to.
struct LinkDde {
    DWORD instance = 0;
    HSZ toolService = nullptr;
    HSZ toolTopic = nullptr;
    HSZ ownService = nullptr;
    HSZ ownTopic = nullptr;
    HCONV outgoing = nullptr;
    HWND window = nullptr;
};

struct ClarityState : LinkDde {
    CClarityComm *owner = nullptr;
    HCONV incoming = nullptr;
    // The tool has ended its conversation; the link is closed and waits for its teardown.
    bool closing = false;
    CStringArray breakpoints;
};

ClarityState g_state;

LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HWND MakeLinkWindow()
{
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &LinkWindowProc;
        windowClass.lpszClassName = kLinkWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExA(0, kLinkWindowClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

void SendHostCommand(IUnknown *debugServer, DWORD command)
{
    if (debugServer == nullptr)
        return;
    try {
        COleTarCmdCaller(debugServer, &CGID_QelHostBreakpoints).Exec(command, nullptr, nullptr, 0);
    } catch (CException *e) {
        e->Delete();
    } catch (const _com_error &) {
    }
}

} // namespace

class ClarityCallbacks {
public:
    static HDDEDATA CALLBACK Dde(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                 HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
    static void CloseLink()
    {
        if (g_state.closing && g_state.owner != nullptr)
            g_state.owner->Disconnect();
    }
};

namespace {

// The service name goes first, so that no tool reaches an instance on its way out.
void UnregisterOwnService(LinkDde &dde)
{
    if (dde.instance == 0 || dde.ownService == nullptr)
        return;
    DdeNameService(dde.instance, dde.ownService, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(dde.instance, dde.ownService);
    dde.ownService = nullptr;
}

void EndDde(LinkDde &dde)
{
    if (dde.instance != 0) {
        UnregisterOwnService(dde);
        if (dde.outgoing != nullptr)
            DdeDisconnect(dde.outgoing);
        for (HSZ string : {dde.toolService, dde.toolTopic, dde.ownTopic}) {
            if (string != nullptr)
                DdeFreeStringHandle(dde.instance, string);
        }
        DdeUninitialize(dde.instance);
    }
    if (dde.window != nullptr)
        DestroyWindow(dde.window);
}

// The DDE callback's calls under way, and the links' DDE sides closed meanwhile: an
// instance cannot end inside its own callback, nor in a message loop run inside it, so
// each is posted to its window once the outermost call has returned.
int g_ddeCalls = 0;
std::vector<LinkDde> g_closedInCall;

// When the teardown cannot be posted, the instance is kept rather than ended under its
// own callback.
void PostClosedInCall()
{
    std::vector<LinkDde> closed;
    closed.swap(g_closedInCall);
    for (const LinkDde &dde : closed) {
        auto *posted = new LinkDde(dde);
        _pAtlModule->Lock();
        if (!PostMessageA(dde.window, kEndDdeMessage, 0, reinterpret_cast<LPARAM>(posted))) {
            _pAtlModule->Unlock();
            delete posted;
        }
    }
}

class DdeCall {
public:
    DdeCall() { ++g_ddeCalls; }
    ~DdeCall()
    {
        if (--g_ddeCalls == 0)
            PostClosedInCall();
    }
    DdeCall(const DdeCall &) = delete;
    DdeCall &operator=(const DdeCall &) = delete;
};

LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kCloseLinkMessage) {
        ClarityCallbacks::CloseLink();
        return 0;
    }
    if (message == kEndDdeMessage) {
        std::unique_ptr<LinkDde> dde(reinterpret_cast<LinkDde *>(lParam));
        EndDde(*dde);
        // The module held itself for the message, whose handler is its code.
        _pAtlModule->Unlock();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool IsOwnName(HSZ topic, HSZ service)
{
    return DdeCmpStringHandles(topic, g_state.ownTopic) == 0 && DdeCmpStringHandles(service, g_state.ownService) == 0;
}

} // namespace

HDDEDATA CALLBACK ClarityCallbacks::Dde(UINT type, UINT, HCONV conversation, HSZ string1, HSZ string2,
                                        HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    bool otherInstance = data2 == 0;
    DdeCall call;
    // What the callback leads to may let the link go; it is deleted once the callback has
    // returned.
    std::optional<CClarityComm::CallbackScope> scope;
    if (g_state.owner != nullptr)
        scope.emplace(*g_state.owner);
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(IsOwnName(string1, string2) && data1 != 0 && otherInstance ? TRUE : FALSE);
    case XTYP_CONNECT_CONFIRM:
        if (IsOwnName(string1, string2) && otherInstance)
            g_state.incoming = conversation;
        return nullptr;
    case XTYP_EXECUTE: {
        if (conversation == nullptr || conversation != g_state.incoming || data == nullptr ||
            DdeCmpStringHandles(string1, g_state.ownTopic) != 0 || g_state.owner == nullptr)
            return nullptr;
        BYTE received[kReceivedSize];
        DWORD size = DdeGetData(data, received, sizeof received - 1, 0);
        g_state.owner->Receive(received, size);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    case XTYP_DISCONNECT:
        if (conversation != nullptr && conversation == g_state.incoming && otherInstance) {
            g_state.incoming = nullptr;
            // The instance cannot end inside its own callback; the link's window ends it
            // once this call has returned.
            g_state.closing = true;
            PostMessageA(g_state.window, kCloseLinkMessage, 0, 0);
        }
        return nullptr;
    default:
        return nullptr;
    }
}

CClarityComm::~CClarityComm()
{
    if (Owns())
        Disconnect();
}

bool CClarityComm::Owns() const
{
    return g_state.owner == this;
}

BOOL CClarityComm::Connect(LPCSTR toolPath, IUnknown *debugServer, CQelDiagHelper *diagnostics)
{
    if (g_state.owner != nullptr && !Owns() && g_state.outgoing != nullptr && !g_state.closing)
        return FALSE;
    if (g_state.owner != nullptr)
        g_state.owner->Disconnect();
    CCaseToolComm::Connect(toolPath, debugServer, diagnostics);
    g_state.owner = this;
    g_state.window = MakeLinkWindow();
    if (g_state.window == nullptr ||
        DdeInitializeA(&g_state.instance, &ClarityCallbacks::Dde, kInitFlags, 0) != DMLERR_NO_ERROR) {
        g_state.instance = 0;
        Disconnect();
        return FALSE;
    }
    g_state.toolService = DdeCreateStringHandleA(g_state.instance, "wxedt", CP_WINANSI);
    g_state.toolTopic = DdeCreateStringHandleA(g_state.instance, "DEBUGTOPIC", CP_WINANSI);
    g_state.ownService = DdeCreateStringHandleA(g_state.instance, "xdebug", CP_WINANSI);
    g_state.ownTopic = DdeCreateStringHandleA(g_state.instance, "XDEBUGTOPIC", CP_WINANSI);
    if (g_state.toolService == nullptr || g_state.toolTopic == nullptr || g_state.ownService == nullptr ||
        g_state.ownTopic == nullptr) {
        Disconnect();
        return FALSE;
    }
    DdeNameService(g_state.instance, g_state.ownService, nullptr, DNS_REGISTER | DNS_FILTERON);
    g_state.outgoing = DdeConnect(g_state.instance, g_state.toolService, g_state.toolTopic, nullptr);
    if (g_state.outgoing == nullptr && toolPath != nullptr && *toolPath != '\0') {
        StartTool(toolPath);
    }
    if (g_state.outgoing == nullptr) {
        // Nothing of a link that did not come about is left behind.
        Disconnect();
        return FALSE;
    }
    return TRUE;
}

void CClarityComm::StartTool(LPCSTR toolPath)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    // The path is the program itself: as a command line, a path with blanks would start
    // whatever the search finds for its first word.
    if (!CreateProcessA(toolPath, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return;
    DWORD idle = WaitForInputIdle(process.hProcess, kToolStartWait);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (idle == 0)
        g_state.outgoing = DdeConnect(g_state.instance, g_state.toolService, g_state.toolTopic, nullptr);
}

void CClarityComm::Disconnect()
{
    if (!Owns())
        return;
    // Inside a DDE callback (the tool's request led to the link being switched off, or the
    // tool's end arrived meanwhile) the link is closed at once, and its instance ends from
    // the message loop.
    if (g_ddeCalls > 0 && g_state.instance != 0) {
        UnregisterOwnService(g_state);
        g_closedInCall.push_back(g_state);
    } else {
        EndDde(g_state);
    }
    // The breakpoint list is the module's and outlives the link.
    static_cast<LinkDde &>(g_state) = LinkDde();
    g_state.owner = nullptr;
    g_state.incoming = nullptr;
    g_state.closing = false;
    CCaseToolComm::Disconnect();
}

BOOL CClarityComm::IsConnected()
{
    return Owns() && g_state.outgoing != nullptr && !g_state.closing;
}

BOOL CClarityComm::Send(const CString &text)
{
    HDDEDATA done = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char *>(static_cast<LPCSTR>(text))),
                                         static_cast<DWORD>(text.GetLength() + 1), g_state.outgoing, nullptr, 0,
                                         XTYP_EXECUTE, kExecuteTimeout, nullptr);
    return done != nullptr;
}

BOOL CClarityComm::ShowPosition(DWORD valid, LPCSTR sourceFile, DWORD line)
{
    if (valid == 0 || line == 0 || !IsConnected())
        return FALSE;
    CString text;
    text.Format("Debug -d %s %u", sourceFile != nullptr ? sourceFile : "", static_cast<unsigned>(line));
    return Send(text);
}

BOOL CClarityComm::SetBreakpoint(LPCSTR sourceFile, DWORD line, BOOL enabled)
{
    if (line == 0 || !enabled || !IsConnected())
        return FALSE;
    CString entry;
    entry.Format("%s %u", sourceFile != nullptr ? sourceFile : "", static_cast<unsigned>(line));
    g_state.breakpoints.Add(entry);
    return Send("Debug -s " + entry);
}

BOOL CClarityComm::RemoveAllBreakpoints()
{
    if (!IsConnected())
        return TRUE;
    BOOL all = TRUE;
    for (int i = 0; i < g_state.breakpoints.GetSize() && all; ++i)
        all = Send("Debug -r " + g_state.breakpoints[i]);
    if (g_state.breakpoints.GetSize() > 0 && !Send("Debug -c"))
        all = FALSE;
    g_state.breakpoints.RemoveAll();
    return all;
}

BOOL CClarityComm::SetRunState(DWORD)
{
    return TRUE;
}

BOOL CClarityComm::ShowValue(LPCSTR, const VARIANT &)
{
    return TRUE;
}

void CClarityComm::Receive(const BYTE *data, DWORD size)
{
    // A text of the full size without its zero is cut, never read past.
    char text[kReceivedSize];
    DWORD length = data != nullptr ? std::min<DWORD>(size, kReceivedSize - 1) : 0;
    if (length > 0)
        memcpy(text, data, length);
    text[length] = '\0';
    X32Request request = X32Request::Parse(text);
    switch (request.letter) {
    case 'b':
        SendHostCommand(m_debugServer, kHostBreak);
        break;
    case 'g':
        SendHostCommand(m_debugServer, kHostGo);
        break;
    case 'i':
        SendHostCommand(m_debugServer, kHostStepInto);
        break;
    case 'o':
        SendHostCommand(m_debugServer, kHostStepOver);
        break;
    case 's':
    case 'r':
    case 't': {
        CString line = request.LineText();
        if (line.IsEmpty())
            break;
        DWORD command = request.letter == 's'   ? kHostSetBreakpoints
                        : request.letter == 'r' ? kHostRemoveBreakpoints
                                                : kHostRunToAddresses;
        SendBreakpointAddresses(line, command, TRUE);
        break;
    }
    case 'v': {
        CString name = request.arguments[2];
        name.TrimLeft('#');
        if (!name.IsEmpty())
            AddWatchVariable(name);
        break;
    }
    default:
        break;
    }
}
