#include "qelhostprogram.h"

#include "hostcfgprofile.h"
#include "qelhostanswers.h"

#include <chrono>
#include <cstdio>

namespace QelHost {

namespace {

// The session whose window is the request window; one at a time.
ProgramSession *g_session = nullptr;

// The message of the load's progress, which the server posts to the requester's window.
constexpr UINT kProgressMessage = WM_USER + 9;

UINT RequestMessage()
{
    static const UINT message = RegisterWindowMessageA("QELSYMBOLREQUEST");
    return message;
}

// The host's own message by which a ready event, fired on the server's worker thread,
// reaches the window's thread.
UINT ReadyEventMessage()
{
    static const UINT message = RegisterWindowMessageA("QelHostRequestReadyEvent");
    return message;
}

LPCSTR AnswerElfDialog(void *answer, const OPENFILENAMEA *)
{
    const std::string &path = *static_cast<const std::string *>(answer);
    return path.empty() ? nullptr : path.c_str();
}

} // namespace

ProgramSession::ProgramSession(const ProgramOptions &options)
    : m_options(options), m_reports(std::make_shared<HostReports>())
{
    m_reports->SetEcho(stderr);
}

ProgramSession::~ProgramSession()
{
    End();
}

LRESULT CALLBACK ProgramSession::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_session == nullptr || window != g_session->m_window)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == kProgressMessage) {
        g_session->m_progress.push_back({wParam, lParam});
        return 0;
    }
    if (message == RequestMessage() || message == ReadyEventMessage()) {
        g_session->m_finished.insert(static_cast<int>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Plays the user, who reads each message box and presses its first button; the box
// is kept for the load's outcome.
int ProgramSession::AnswerMessageBox(void *session, HWND, LPCSTR text, LPCSTR caption, UINT style)
{
    auto *self = static_cast<ProgramSession *>(session);
    {
        std::lock_guard<std::mutex> hold(self->m_boxLock);
        self->m_messageBoxes.push_back("msgbox\t" + Escaped(caption != nullptr ? caption : "") + "\t" +
                                       Escaped(text != nullptr ? text : ""));
    }
    switch (style & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

bool ProgramSession::Start()
{
    if (m_started || g_session != nullptr) {
        std::fprintf(stderr, "qelhost: a session of the symbol server is running already\n");
        return false;
    }
    if (!MakeDebugger(CLSID_QelSymbol, m_debugger, m_reports))
        return false;
    m_started = true;
    g_session = this;

    CComPtr<IUnknown> profileObject;
    m_debugger.Host()->GetProfile(&profileObject);
    auto *profile = static_cast<CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject.p));
    profile->SetItem(u"System", u"AUTOLOADELF", CComVariant(m_options.autoLoadElf));
    if (m_options.databaseDirectory != nullptr) {
        profile->SetItem(u"System", u"DATABASE_SPECIAL", CComVariant(true));
        profile->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(CComBSTR(m_options.databaseDirectory)));
    }
    QelSetFileDialogHandler(AnswerElfDialog, &m_options.elfDialog);
    QelSetMessageBoxHandler(AnswerMessageBox, this);

    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = "QelHostRequests";
        return RegisterClassA(&windowClass) != 0;
    }();
    if (registered)
        m_window = CreateWindowExA(0, "QelHostRequests", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    CComObject<CHostGuiServer> *gui = nullptr;
    if (SUCCEEDED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &m_workspace)) &&
        SUCCEEDED(CComObject<CHostGuiServer>::CreateInstance(&gui)))
        m_guiServer = gui;
    m_debugger.debugServer->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&m_symbol));
    if (m_guiServer == nullptr || m_symbol == nullptr || m_window == nullptr ||
        !InitDebugger(m_debugger, m_workspace, m_guiServer)) {
        std::fprintf(stderr, "qelhost: the symbol server did not start\n");
        End();
        return false;
    }
    return true;
}

LoadOutcome ProgramSession::Load()
{
    LoadOutcome outcome;
    m_progress.clear();
    {
        std::lock_guard<std::mutex> hold(m_boxLock);
        m_messageBoxes.clear();
    }
    const LONG window = Window();
    int request = window;
    const auto started = std::chrono::steady_clock::now();
    HRESULT hr = m_symbol->LoadFile(CComBSTR(m_options.file), m_options.programId, window, &request);
    if (SUCCEEDED(hr))
        WaitForNotice(request);
    outcome.microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();
    if (SUCCEEDED(hr))
        hr = m_symbol->GetProgramInfo(request, &outcome.programInfo);
    outcome.status = StatusOf(hr);
    outcome.errorText = ErrorText(Server(), outcome.status);
    if (outcome.status != 0)
        outcome.programInfo.Release();
    outcome.progress = m_progress;
    std::lock_guard<std::mutex> hold(m_boxLock);
    outcome.messageBoxes = m_messageBoxes;
    return outcome;
}

std::vector<std::pair<std::string, std::string>> ProgramSession::DatabaseTrace() const
{
    std::vector<std::pair<std::string, std::string>> databases;
    for (const HostTraceLine &line : m_reports->TraceLines()) {
        for (const char *kind : {"built", "reused"}) {
            const std::string prefix = std::string("Symbol database ") + kind + ": ";
            if (line.text.compare(0, prefix.size(), prefix) == 0)
                databases.push_back({kind, line.text.substr(prefix.size())});
        }
    }
    return databases;
}

std::string ProgramSession::DatabasePath() const
{
    const auto databases = DatabaseTrace();
    return databases.empty() ? std::string() : databases.back().second;
}

void ProgramSession::End()
{
    if (!m_started)
        return;
    if (m_window != nullptr)
        DestroyWindow(m_window);
    m_window = nullptr;
    QelSetMessageBoxHandler(nullptr, nullptr);
    QelSetFileDialogHandler(nullptr, nullptr);
    // The interface is the carried server's: it goes before the server does.
    m_symbol.Release();
    EndDebugger(m_debugger);
    g_session = nullptr;
    m_started = false;
}

LONG ProgramSession::Window() const
{
    return static_cast<LONG>(reinterpret_cast<UINT_PTR>(m_window));
}

void ProgramSession::WaitForNotice(int id)
{
    MSG message;
    while (m_finished.count(id) == 0 && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    m_finished.erase(id);
}

void ProgramSession::Idle(DWORD ms)
{
    // The timer wakes the loop when no message comes before the end.
    const UINT_PTR tick = SetTimer(nullptr, 0, 100, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG message;
    while (std::chrono::steady_clock::now() < end && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message != WM_TIMER || message.hwnd != nullptr || message.wParam != tick)
            DispatchMessageA(&message);
    }
    KillTimer(nullptr, tick);
}

void ProgramSession::RelayReadyEvent(int id)
{
    PostMessageA(m_window, ReadyEventMessage(), 0, static_cast<LPARAM>(id));
}

} // namespace QelHost
