// DialogScript: the user of a headless host, who answers every dialog, file dialog,
// message box, folder browse and popup menu of the process from one queue of answers, in
// order.
//
// Install puts its handlers in place of the Win32 layer's; every thread is answered from
// the same queue, so a dialog that the load request's worker opens takes the next answer
// as one of the session's thread would. What opens must match the next answer (its kind,
// and a dialog's template id); otherwise, or when none is left, it gets the answer that
// cancels it, the script records a failure that names both, and the answer stays queued
// for what it was meant for. What opened is kept, as text, for the host to print.
//
// Answers, as words:
//   ID ACTION... LAST   a dialog of template ID (a number, or a name): its actions in order
//                       (text:C=TEXT sets control C's text, check:C=0|1 clicks C when its
//                       check differs, click:C clicks C, expect:C=TEXT fails unless C shows
//                       TEXT, cmd:LINE runs a command of the host), then LAST: ok, cancel or
//                       close. A dialog still open after LAST (one that refused) takes the
//                       next answer, which must carry its ID. A page (a child dialog) is its
//                       frame's to end: LAST is sent to it, and the frame reads it
//                       (LastAction).
//   file PATH [index:N] | file cancel
//   msgbox ok|cancel|yes|no|abort|retry|ignore
//   folder PATH | folder cancel
//   browser LABEL [ADDRESS] | browser cancel   the symbol browser's choice
//   menu ID | menu cancel   the command picked from a popup menu
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace QelHost {

// The lines that tell of a dialog: "KIND ID CAPTION", then a line per control ("control
// ID CLASS TEXT CHECK") with its details, split by tabs.
std::vector<std::string> DescribeDialog(HWND dialog, const std::string &id, const std::string &kind);

class DialogScript {
public:
    DialogScript() = default;
    ~DialogScript();
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;

    // Installs the five handlers, in place of any others; Uninstall takes them out.
    void Install();
    void Uninstall();

    // Queues the answer that `words` give; false, with the reason in `error`, for words
    // that are no answer.
    bool Queue(const std::vector<std::string> &words, std::string *error);

    // Runs a cmd: action's command line; true when it succeeded. It is called only on the
    // thread that sets it: a cmd: action of a dialog of another thread fails, and so does
    // one that would run inside 16 others.
    void SetCommandRunner(std::function<bool(const std::string &line)> runner);

    // The answers not taken yet.
    size_t Unanswered() const;
    // What went wrong since the last call, one text each.
    std::vector<std::string> TakeFailures();
    // What opened since the last call, as lines of text: a line per dialog, file dialog,
    // box or browse, with lines indented by a tab for its details.
    std::vector<std::string> TakeOpened();

    // The action that the dialog's answer took last ("ok", "cancel", "text:207=x", ...);
    // "" when the dialog was not answered. A page, which no button of its own ends,
    // tells its frame so whether the user left it with OK.
    std::string LastAction(HWND dialog) const;

    // A message box answered from the queue, as the message-box handler answers it.
    int AnswerMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    // The symbol browser's choice from the queue (`what` tells what it was asked): true
    // with the label and its address, false for cancel or no answer.
    bool AnswerBrowser(const std::string &what, std::string *label, LONG *address);

private:
    enum class Kind { Dialog, File, MessageBox, Folder, Browser, Menu };

    struct Answer {
        Kind kind = Kind::Dialog;
        std::string id;                   // a dialog's template
        std::vector<std::string> actions; // a dialog's, the last one ok, cancel or close
        std::string path;                 // a file or folder; "" cancels
        DWORD filterIndex = 0;            // a file's; 0: none picked
        int button = IDOK;                // a box's
        std::string label;                // a browser's choice; "" cancels
        LONG address = 0;
        UINT_PTR command = 0;             // a menu's; 0 cancels
        std::string text;                 // the answer as given
    };

    // A dialog being answered: where its answer stands, and its record.
    struct Running {
        Answer answer;
        size_t next = 0;
        size_t record = 0; // index of its first line in m_opened
    };

    static int OnDialog(void *context, HWND dialog, LPCSTR templateName);
    static LPCSTR OnFile(void *context, const OPENFILENAMEA *dialog);
    static int OnMessageBox(void *context, HWND owner, LPCSTR text, LPCSTR caption, UINT style);
    static LPCSTR OnFolder(void *context, const BROWSEINFOA *info);
    static UINT_PTR CALLBACK OnMenu(const QELMENUITEM *items, int count, int x, int y, LPVOID context);

    int AnswerDialog(HWND dialog, const std::string &id);
    // Takes the next answer when it is of `kind` (and, for a dialog, of `id`); otherwise
    // records the failure about `what` and answers false.
    bool Take(Kind kind, const std::string &id, const std::string &what, Answer *answer);
    void Fail(const std::string &text);
    size_t Record(std::vector<std::string> lines);
    void AddToRecord(size_t record, const std::string &line);
    bool Act(HWND dialog, const std::string &action);

    mutable std::mutex m_lock;
    std::deque<Answer> m_answers;
    std::map<HWND, Running> m_running;
    std::vector<std::string> m_failures;
    std::vector<std::vector<std::string>> m_opened;
    size_t m_reported = 0;
    std::string m_chosenFile; // the answers being handed over to the layer
    std::string m_chosenFolder;
    std::function<bool(const std::string &)> m_runner;
    DWORD m_runnerThread = 0;
    static constexpr int kMostNestedCommands = 16;
    int m_commandDepth = 0; // cmd: actions running, one inside the other; the runner's thread only
    bool m_installed = false;
};

} // namespace QelHost
