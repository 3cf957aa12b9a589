#include "qelhostsessionscript.h"

#include "hostcfgprofile.h"
#include "hostexplorerview.h"
#include "hostframe.h"
#include "hostmainwindow.h"
#include "hostprogwinview.h"
#include "hostsymbolbrowser.h"
#include "hostviewservers.h"
#include "hostwatchview.h"
#include "qelhostscript.h"
#include "qelhostsession.h"
#include "qelhostsessionaddons.h"
#include "qelhostsessionbrowse.h"
#include "qelhostsessiondialogs.h"
#include "qelhostsessioneasycode.h"
#include "qelhostsessionhost.h"
#include "qelhostsessionoptions.h"
#include "qelhostsessionprogwin.h"
#include "qelhostsessionselectlist.h"
#include "qelhostsessionviews.h"
#include "qelhostsessionwindows.h"
#include "qelhostworkspace.h"

#include <oletarcmdcaller.h>
#include <qelsymbol.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

namespace QelHost {

namespace {

constexpr long long kMostOutputs = 64;

std::u16string Wide(const std::string &text)
{
    CComBSTR wide(text.c_str());
    return wide.m_str ? std::u16string(wide.m_str, wide.Length()) : std::u16string();
}

std::string GroupText(const GUID &group)
{
    if (IsEqualGUID(group, GUID_NULL))
        return "-";
    OLECHAR text[40];
    return StringFromGUID2(group, text, 40) ? AnsiText(text) : "?";
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// One session: its stage, its workspace and, once started, the debugger.
class Session {
public:
    // The session plays the user: the message-box objects of `services` answer from its
    // dialog script too.
    explicit Session(HostServices &services);
    ~Session();

    // Runs the command of one line; false with the reason in *error, also when a dialog
    // that opened meanwhile did not get its answer.
    bool Run(const std::vector<ScriptWord> &words, std::string *error);
    // What "end" does: Cleanup, and the workspace committed when `commit`.
    bool Finish(bool commit, std::string *error);
    bool Ended() const { return m_stage == Stage::Ended; }

private:
    enum class Stage { Before, Started, Ended };

    bool Workspace(const std::vector<ScriptWord> &words, std::string *error);
    bool Profile(const std::vector<ScriptWord> &words, std::string *error);
    bool ProfileFile(const std::vector<ScriptWord> &words, std::string *error);
    bool Start(std::string *error);
    bool Exec(const std::vector<ScriptWord> &words, std::string *error);
    void Views();
    bool SetProfileItem(const SessionProfileItem &item, std::string *error);
    bool RunCommand(const std::vector<ScriptWord> &words, std::string *error);
    // After the servers are registered: the browser double, where it is to answer.
    void RegisterBrowserDouble();
    // A cmd: action of an answer: the line run as a command of the session.
    bool RunLine(const std::string &line);

    Stage m_stage = Stage::Before;
    bool m_workspaceGiven = false;
    std::string m_workspacePath;
    CComPtr<IStorage> m_root;
    std::vector<SessionProfileItem> m_pending;
    std::string m_profilePath;
    Debugger m_debugger{"QelSymbol", nullptr, nullptr};
    CComPtr<IStorage> m_storage;
    CComPtr<CHostFrame> m_frame;
    std::unique_ptr<HostMainWindow> m_mainWindow;
    void *m_library = nullptr;
    std::shared_ptr<HostReports> m_reports;
    SessionDialogs m_dialogs;
    SessionHostCommands m_hostCommands;
    SessionAddOnCommands m_addOnCommands;
    SessionViewCommands m_viewCommands;
    SessionSelectList m_selectList;
    void *m_addOnLibrary = nullptr;
    void *m_controlsLibrary = nullptr;
    SessionBrowser m_browser;
    // The host's double of the symbol browser: asked for (double QelSymbolBrowser), or
    // registered because no other class of its CLSID can be made.
    bool m_browserDouble = false;
    DWORD m_browserClass = 0;

    EcDebugDouble m_easyCode;
};

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

Session::Session(HostServices &services)
    : m_reports(services.Reports()), m_dialogs([this](const std::string &line) { return RunLine(line); })
{
    m_reports->SetMessageBoxAnswerer([this](const HostMessageBox &box) {
        return static_cast<LONG>(m_dialogs.Script().AnswerMessageBox(
            reinterpret_cast<HWND>(static_cast<LONG_PTR>(box.owner)), box.text.c_str(),
            box.hasCaption ? box.caption.c_str() : nullptr, static_cast<UINT>(box.style)));
    });
}

void Session::RegisterBrowserDouble()
{
    if (!m_browserDouble) {
        CComPtr<IClassFactory> factory;
        if (SUCCEEDED(CoGetClassObject(CLSID_QelSymbolBrowser, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                       reinterpret_cast<void **>(&factory))))
            return;
    }
    RegisterSymbolBrowserDouble(
        [this](const HostBrowserCall &call, std::string *label, LONG *address) {
            return m_dialogs.Script().AnswerBrowser("mode " + std::to_string(call.mode), label, address);
        },
        &m_browserClass);
}

Session::~Session()
{
    Finish(false, nullptr);
    m_reports->SetMessageBoxAnswerer(nullptr);
    if (m_browserClass != 0)
        CoRevokeClassObject(m_browserClass);
}

bool Session::Run(const std::vector<ScriptWord> &words, std::string *error)
{
    return RunCommand(words, error) && m_dialogs.Check(error);
}

bool Session::RunLine(const std::string &line)
{
    std::printf("> %s\n", line.c_str());
    std::vector<ScriptWord> words;
    std::string error;
    // The session cannot end while one of its dialogs is open.
    if (SplitWords(line, words, &error) && !words.empty() &&
        (words[0].text != "end" || Fail(&error, "end is out of order inside a dialog")) && Run(words, &error))
        return true;
    std::printf("failed %s\n", error.c_str());
    return false;
}

bool Session::RunCommand(const std::vector<ScriptWord> &words, std::string *error)
{
    const std::string &command = words[0].text;
    std::vector<std::string> texts;
    for (const ScriptWord &word : words)
        texts.push_back(word.text);
    bool needsDebugger = command == "exec" || command == "views" || command == "progwin" || command == "request-load" ||
                         command == "dialog" || command == "options" || SessionHostCommands::Handles(command) ||
                         SessionAddOnCommands::Handles(command) || SessionViewCommands::Handles(command) ||
                         SessionSelectList::Handles(command) || SessionBrowser::Handles(command);
    bool anyStage = command == "answer" || command == "dialogs" || command == "easycode";
    bool beforeStart = command == "workspace" || command == "start" || command == "profile-file" ||
                       SessionAddOnCommands::BeforeStart(command) || SessionViewCommands::BeforeStart(command) ||
                       SessionSelectList::BeforeStart(command);
    if (command != "profile" && !beforeStart && !needsDebugger && !anyStage && command != "end")
        return Fail(error, "no command " + command);
    if (m_stage == Stage::Ended || (needsDebugger && m_stage != Stage::Started) ||
        (beforeStart && m_stage != Stage::Before) || (command == "workspace" && m_workspaceGiven) ||
        (command == "profile-file" && !m_profilePath.empty()))
        return Fail(error, command + " is out of order");
    if (command == "workspace")
        return Workspace(words, error);
    if (command == "profile")
        return Profile(words, error);
    if (command == "profile-file")
        return ProfileFile(words, error);
    if (command == "double" && words.size() == 2 && words[1].text == "QelSymbolBrowser") {
        m_browserDouble = true;
        return true;
    }
    if (SessionBrowser::Handles(command))
        return m_browser.Run(texts, m_debugger.debugServer, *m_mainWindow, error);
    if (SessionAddOnCommands::BeforeStart(command))
        return m_addOnCommands.Configure(texts, error);
    if (SessionAddOnCommands::Handles(command))
        return m_addOnCommands.Run(texts, m_debugger.Host(), m_mainWindow->Handle(), error);
    if (SessionViewCommands::BeforeStart(command))
        return m_viewCommands.Configure(texts, error);
    if (SessionViewCommands::Handles(command))
        return m_viewCommands.Run(texts, *m_frame, m_debugger.Host(), error);
    if (SessionSelectList::BeforeStart(command))
        return m_selectList.Configure(texts, error);
    if (SessionSelectList::Handles(command))
        return m_selectList.Run(texts, error);
    if (command == "start") {
        if (words.size() != 1)
            return Fail(error, "start takes nothing");
        return Start(error);
    }
    if (command == "exec")
        return Exec(words, error);
    if (command == "answer")
        return m_dialogs.Answer(texts, error);
    if (command == "easycode")
        return RunEasyCodeCommand(m_easyCode, words, error);
    if (command == "dialog")
        return RunWindowsDialog(m_debugger.debugServer, m_storage, texts, error);
    if (command == "options") {
        if (words.size() != 1)
            return Fail(error, "options takes nothing");
        return ShowOptions(m_debugger.debugServer, m_mainWindow->Handle(), m_dialogs.Script(), error);
    }
    if (command == "request-load")
        return m_dialogs.RequestLoad(m_debugger.debugServer, *m_debugger.Host()->Downloads(), texts, error);
    if (SessionHostCommands::Handles(command))
        return m_hostCommands.Run(texts, m_debugger.Host(), m_mainWindow->Handle(), error);
    if (words.size() != 1)
        return Fail(error, command + " takes nothing");
    if (command == "views") {
        Views();
        return true;
    }
    if (command == "progwin") {
        PrintProgramWindows(*m_frame, stdout);
        return true;
    }
    if (command == "dialogs") {
        m_dialogs.PrintOpened(stdout);
        PrintModelessDialogs(stdout);
        return true;
    }
    return Finish(true, error);
}

bool Session::Workspace(const std::vector<ScriptWord> &words, std::string *error)
{
    if (words.size() != 2 || words[1].text.empty())
        return Fail(error, "workspace takes a file");
    m_root.Release();
    if (!LoadWorkspace(words[1].text, &m_root, error))
        return false;
    m_workspaceGiven = true;
    m_workspacePath = words[1].text;
    return true;
}

bool Session::Profile(const std::vector<ScriptWord> &words, std::string *error)
{
    if (words.size() != 4)
        return Fail(error, "profile takes a section, an entry and a value");
    SessionProfileItem item;
    if (!ParseProfileItem(std::vector<ScriptWord>(words.begin() + 1, words.end()), &item, error))
        return false;
    if (m_stage == Stage::Before) {
        m_pending.push_back(item);
        return true;
    }
    return SetProfileItem(item, error);
}

bool Session::ProfileFile(const std::vector<ScriptWord> &words, std::string *error)
{
    if (words.size() != 2 || words[1].text.empty())
        return Fail(error, "profile-file takes a file");
    if (!ReadProfileFile(words[1].text, &m_pending, error))
        return false;
    m_profilePath = words[1].text;
    return true;
}

bool Session::SetProfileItem(const SessionProfileItem &item, std::string *error)
{
    CComPtr<IUnknown> profile;
    m_debugger.Host()->GetProfile(&profile);
    auto *host = static_cast<CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
    HRESULT hr = host ? host->SetItem(item.section.c_str(), item.entry.c_str(), item.value) : E_POINTER;
    return SUCCEEDED(hr) || Fail(error, "the profile item cannot be set (" + Hex(hr) + ")");
}

bool Session::Start(std::string *error)
{
    m_stage = Stage::Started;
    // Made first, so that whatever the servers open finds its owner.
    m_mainWindow = std::make_unique<HostMainWindow>();
    if (!m_mainWindow->Handle())
        return Fail(error, "no main window");
    // The user works in the debugger, until a session says otherwise.
    SetForegroundWindow(m_mainWindow->Handle());
    HRESULT hr = RegisterKorvex(&m_library, false);
    if (FAILED(hr))
        return Fail(error, "libKorvex.so cannot be registered (" + Hex(hr) + ")");
    // The add-on is registered where it has been built, as an installer would.
    hr = RegisterServerLibrary("Brennet", &m_addOnLibrary, false);
    if (FAILED(hr) && hr != CO_E_DLLNOTFOUND)
        return Fail(error, "libBrennet.so cannot be registered (" + Hex(hr) + ")");
    LONG registered = RegisterSymbolViewServers();
    if (registered != ERROR_SUCCESS)
        return Fail(error, "the view servers cannot be registered (" + std::to_string(registered) + ")");
    // After the host's own keys, so that the controls' registration is the one that stands.
    hr = RegisterServerLibrary("Talvix", &m_controlsLibrary, false);
    if (FAILED(hr) && hr != CO_E_DLLNOTFOUND)
        return Fail(error, "libTalvix.so cannot be registered (" + Hex(hr) + ")");
    RegisterBrowserDouble();
    if (!m_root && FAILED(hr = StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &m_root)))
        return Fail(error, "no workspace in memory (" + Hex(hr) + ")");
    if (!MakeDebugger(CLSID_QelSymbol, m_debugger))
        return Fail(error, "no debug-server object with QelSymbol");
    for (const SessionProfileItem &item : m_pending) {
        if (!SetProfileItem(item, error))
            return false;
    }
    m_pending.clear();
    if (!m_profilePath.empty()) {
        CComPtr<IUnknown> profile;
        m_debugger.Host()->GetProfile(&profile);
        KeepProfileInFile(static_cast<CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p)), m_profilePath);
    }
    CComObject<CHostFrame> *frame = nullptr;
    hr = CComObject<CHostFrame>::CreateInstance(&frame);
    if (FAILED(hr))
        return Fail(error, "no host frame (" + Hex(hr) + ")");
    m_frame = frame;
    m_viewCommands.Prepare(*frame);
    m_selectList.Prepare(*frame);
    // The tool bar's list is there before the first program window lists its functions.
    m_selectList.Make();
    frame->SetViewFactory("StdQelWatchWin", WatchViewFactory());
    frame->SetViewFactory("StdQelSymbolExplWin", ExplorerViewFactory());
    frame->SetViewFactory("StdQelProgWin", ProgWinViewFactory(m_selectList.List()));
    frame->SetDebugServer(m_debugger.debugServer);
    hr = m_root->OpenStorage(u"QelSymbol", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &m_storage);
    if (hr == STG_E_FILENOTFOUND)
        hr = m_root->CreateStorage(u"QelSymbol", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &m_storage);
    if (FAILED(hr))
        return Fail(error, "no storage \"QelSymbol\" in the workspace (" + Hex(hr) + ")");
    if (!InitDebugger(m_debugger, m_storage, static_cast<IQelHostFrame *>(m_frame)))
        return Fail(error, "the symbol server did not start");
    // The views of the last session, now that their view servers are registered.
    m_frame->ReopenViews(m_root);
    m_debugger.Host()->SetGuiServer(static_cast<IQelHostFrame *>(m_frame));
    m_selectList.Init(m_debugger.debugServer);
    m_addOnCommands.Start(m_debugger.debugServer, m_root);
    return true;
}

bool Session::Exec(const std::vector<ScriptWord> &words, std::string *error)
{
    size_t at = 1;
    GUID group = CLSID_QelSymbol;
    if (at < words.size() && words[at].text == "-g") {
        if (at + 1 >= words.size() || FAILED(CLSIDFromString(Wide(words[at + 1].text).c_str(), &group)))
            return Fail(error, "-g takes a GUID in braces");
        at += 2;
    }
    long long id = 0;
    if (at >= words.size() || !ParseScriptNumber(words[at].text, 0, 0xFFFFFFFFLL, &id))
        return Fail(error, "exec takes a command number");
    ++at;
    long long outputs = 0;
    std::vector<CComVariant> inputs;
    for (; at < words.size(); ++at) {
        if (words[at].text == "-o") {
            if (at + 2 != words.size() || !ParseScriptNumber(words[at + 1].text, 0, kMostOutputs, &outputs))
                return Fail(error, "-o takes a count up to 64 and ends the line");
            break;
        }
        inputs.emplace_back();
        if (!ParseValue(words[at], inputs.back(), error))
            return false;
    }
    HRESULT hr = S_OK;
    try {
        CVariantArray in(static_cast<int>(inputs.size()));
        for (size_t i = 0; i < inputs.size(); ++i)
            in[static_cast<int>(i)].SetValue(inputs[i]);
        CVariantArray out(static_cast<int>(outputs));
        hr = COleTarCmdCaller(m_debugger.debugServer, &group)
                 .Exec(static_cast<DWORD>(id), inputs.empty() ? nullptr : &in, outputs > 0 ? &out : nullptr, 0);
        std::printf("result %s\n", Hex(hr).c_str());
        for (int i = 0; i < out.GetSize(); ++i)
            std::printf("out %d %s\n", i, FormatValue(out[i].GetValue()).c_str());
    } catch (const _com_error &e) {
        return Fail(error, "the command cannot be sent (" + Hex(e.Error()) + ")");
    } catch (CException *e) {
        e->Delete();
        return Fail(error, "out of memory");
    }
    return true;
}

void Session::Views()
{
    for (const FrameRegistration &registration : m_frame->Registrations()) {
        if (!registration.hasViewServer || m_frame->FindRegistration(registration.cookie) != &registration)
            continue;
        for (CHostView *view : m_frame->Views(registration.cookie)) {
            std::printf("view %s %s\n", registration.viewServer.c_str(), QuoteText(view->SourceFile(), false).c_str());
            for (const ViewCommand &command : view->Commands()) {
                std::string line = "  command " + GroupText(command.group) + " " + std::to_string(command.id);
                for (const CComVariant &argument : command.arguments)
                    line += " " + FormatValue(argument);
                std::printf("%s\n", line.c_str());
            }
            if (auto *watch = dynamic_cast<CHostWatchView *>(view)) {
                for (const WatchViewCall &call : watch->Calls())
                    std::printf("  call %s %d\n", call.method.c_str(), static_cast<int>(call.id));
            }
            if (auto *explorer = dynamic_cast<CHostExplorerView *>(view)) {
                for (const ExplorerViewCall &call : explorer->Calls())
                    std::printf("  call %s\n", ExplorerCallText(call).c_str());
            }
        }
    }
}

bool Session::Finish(bool commit, std::string *error)
{
    if (m_stage == Stage::Ended)
        return true;
    // Answers that nothing took fail the session, which then leaves its workspace alone.
    bool answered = !commit || m_dialogs.Finish(error);
    commit = commit && answered;
    bool started = m_stage == Stage::Started;
    m_stage = Stage::Ended;
    // Kept before Cleanup, in which the handlers remove their commands and with them the views.
    HRESULT kept = commit && m_frame ? m_frame->SaveViews(m_root) : S_OK;
    m_addOnCommands.End();
    if (m_debugger.debugServer)
        m_debugger.Host()->SetGuiServer(nullptr);
    if (started && m_debugger.symbolServer)
        EndDebugger(m_debugger);
    m_debugger.debugServer.Release();
    m_frame.Release();
    m_selectList.End();
    m_storage.Release();
    m_mainWindow.reset();
    bool viewsKept = SUCCEEDED(kept) || Fail(error, "the views cannot be kept in the workspace (" + Hex(kept) + ")");
    commit = commit && viewsKept;
    bool saved = !commit || !m_workspaceGiven || SaveWorkspace(m_root, m_workspacePath, error);
    m_root.Release();
    CoFreeUnusedLibraries();
    // libTalvix.so stays loaded: its controls registered window classes whose procedure is
    // its own, and the process keeps those classes to its end.
    for (void **library : {&m_addOnLibrary, &m_library}) {
        if (*library != nullptr)
            dlclose(*library);
        *library = nullptr;
    }
    return answered && viewsKept && saved;
}

// Runs the lines of `script`; the exit status.
int RunLines(std::istream &script, HostServices &services)
{
    Session session(services);
    std::string line, error;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsSkippedLine(line))
            continue;
        std::printf("> %s\n", line.c_str());
        std::vector<ScriptWord> words;
        if (!SplitWords(line, words, &error) || !session.Run(words, &error)) {
            session.Finish(false, nullptr);
            std::fflush(stdout);
            std::fprintf(stderr, "error: line %d: %s\n", number, error.c_str());
            return 1;
        }
        std::fflush(stdout);
    }
    if (!session.Finish(true, &error)) {
        std::fprintf(stderr, "error: line %d: %s\n", number, error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int RunSessionScript(int count, char **arguments)
{
    if (count != 1) {
        std::fprintf(stderr, "usage: qelhost session SCRIPT|-\n");
        return 2;
    }
    std::ifstream file;
    bool fromInput = std::strcmp(arguments[0], "-") == 0;
    if (!fromInput) {
        // A folder opens as a stream that reads nothing: it would run as an empty script.
        std::error_code ignored;
        if (std::filesystem::is_directory(arguments[0], ignored)) {
            std::fprintf(stderr, "qelhost: the script %s is a folder\n", arguments[0]);
            return 2;
        }
        file.open(arguments[0], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "qelhost: the script %s cannot be read: %s\n", arguments[0], std::strerror(errno));
            return 1;
        }
    }
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    int result = 1;
    {
        HostServices services(stderr);
        result = RunLines(fromInput ? std::cin : file, services);
    }
    CoUninitialize();
    std::fflush(stdout);
    return result;
}

} // namespace QelHost
