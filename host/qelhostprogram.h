// A program loaded through the symbol server as the debugger loads it, shared by the
// qelhost commands that load one: a debugger whose symbol server has been started in the
// host's order, a hidden window of the host's that hears when a request has finished, and
// the load itself, asked through IQelSymbol::LoadFile with that window as requester.
#pragma once

#include "qelhostsession.h"

#include <qelsymbol.h>

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace QelHost {

// How the program is loaded.
struct ProgramOptions {
    const char *file = nullptr;
    LONG programId = 1;
    bool autoLoadElf = false;
    std::string elfDialog; // the answer of the dialog that asks for the ELF file; "" cancels it
    const char *databaseDirectory = nullptr; // NULL: the database stands beside the program
};

// What one load did.
struct LoadOutcome {
    int status = -1;
    std::string errorText;
    CComPtr<IUnknown> programInfo;                    // after a load that succeeded
    std::vector<std::pair<WPARAM, LPARAM>> progress; // the progress messages the window received
    std::vector<std::string> messageBoxes;            // "msgbox", caption and text, tab-split and escaped
    long long microseconds = 0;
};

// One debugger with its symbol server, from Start to End (or destruction). The boxes
// that the server shows are answered as a user who presses their first button; the
// dialog that asks for an ELF file is answered as the options say. Only one session lives
// at a time: its window is the process's request window.
class ProgramSession {
public:
    explicit ProgramSession(const ProgramOptions &options);
    ~ProgramSession();
    ProgramSession(const ProgramSession &) = delete;
    ProgramSession &operator=(const ProgramSession &) = delete;

    // Creates the debugger, gives it the options' profile and starts its symbol server;
    // false, with a message on standard error, when it cannot.
    bool Start();
    // Loads the program and waits, taking the window's messages, until the load has finished.
    LoadOutcome Load();
    // Each symbol database that the server's traces say it built or reused: "built" or
    // "reused", and its path.
    std::vector<std::pair<std::string, std::string>> DatabaseTrace() const;
    // The path of the last of them; "" for none (a memory image has no database).
    std::string DatabasePath() const;
    // Lets the server go; the session cannot be started again.
    void End();

    IQelSymbol *Symbol() const { return m_symbol; }
    IQelSymbSrv *Server() const { return m_debugger.symbolServer; }
    Debugger &DebuggerObject() { return m_debugger; }

    // The window, as the requester value of a request method.
    LONG Window() const;
    // Leaves the server alone for `ms` milliseconds of the real clock, taking the
    // window's messages meanwhile, as a debugger does between two requests.
    void Idle(DWORD ms);
    // Takes the window's messages until the notice that request `id` has finished has
    // come: its "QELSYMBOLREQUEST" message, or the ready event that RelayReadyEvent passed on.
    void WaitForNotice(int id);
    // Passes a ready event on to the window; any thread may call it.
    void RelayReadyEvent(int id);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static int AnswerMessageBox(void *session, HWND owner, LPCSTR text, LPCSTR caption, UINT style);

    ProgramOptions m_options;
    std::shared_ptr<HostReports> m_reports;
    Debugger m_debugger{"QelSymbol", nullptr, nullptr};
    CComPtr<IStorage> m_workspace;
    CComPtr<IUnknown> m_guiServer;
    CComPtr<IQelSymbol> m_symbol;
    HWND m_window = nullptr;
    std::mutex m_boxLock; // the boxes come from whichever thread shows them
    std::vector<std::string> m_messageBoxes;
    std::set<int> m_finished; // notices that no one has waited for yet
    std::vector<std::pair<WPARAM, LPARAM>> m_progress;
    bool m_started = false;
};

} // namespace QelHost
