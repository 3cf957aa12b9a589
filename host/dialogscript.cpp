#include "dialogscript.h"

#include "dialogcontrols.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace QelHost {

namespace {

std::string Joined(const std::vector<std::string> &words, size_t first)
{
    std::string text;
    for (size_t i = first; i < words.size(); ++i)
        text += (i > first ? " " : "") + words[i];
    return text;
}

std::string TemplateId(LPCSTR templateName)
{
    if (IS_INTRESOURCE(templateName))
        return std::to_string(reinterpret_cast<ULONG_PTR>(templateName));
    return templateName != nullptr ? templateName : "";
}

std::string WindowText(HWND window)
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool IsCheckable(HWND control)
{
    char name[16];
    GetClassNameA(control, name, sizeof name);
    const LONG kind = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return _stricmp(name, "Button") == 0 && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON && kind != BS_GROUPBOX;
}

} // namespace

std::vector<std::string> DescribeDialog(HWND dialog, const std::string &id, const std::string &kind)
{
    std::vector<std::string> lines{kind + "\t" + id + "\t" + OneLine(WindowText(dialog))};
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        std::string check = IsCheckable(control) ? std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)) : "-";
        lines.push_back("\tcontrol\t" + std::to_string(GetDlgCtrlID(control)) + "\t" + StableClassName(control) + "\t" +
                        OneLine(WindowText(control)) + "\t" + check);
        for (std::string &detail : ControlDetailLines(control))
            lines.push_back(std::move(detail));
    }
    return lines;
}

namespace {

std::string FlagNames(DWORD flags)
{
    static const std::pair<DWORD, const char *> names[] = {
        {OFN_OVERWRITEPROMPT, "OFN_OVERWRITEPROMPT"}, {OFN_HIDEREADONLY, "OFN_HIDEREADONLY"},
        {OFN_PATHMUSTEXIST, "OFN_PATHMUSTEXIST"},     {OFN_FILEMUSTEXIST, "OFN_FILEMUSTEXIST"},
        {OFN_EXPLORER, "OFN_EXPLORER"},       {OFN_NOCHANGEDIR, "OFN_NOCHANGEDIR"},
    };
    std::string text;
    for (const auto &[flag, name] : names) {
        if ((flags & flag) != 0) {
            text += (text.empty() ? "" : " ") + std::string(name);
            flags &= ~flag;
        }
    }
    if (flags != 0) {
        char rest[16];
        std::snprintf(rest, sizeof rest, "0x%X", static_cast<unsigned>(flags));
        text += (text.empty() ? "" : " ") + std::string(rest);
    }
    return text.empty() ? "0" : text;
}

// The filter list with '|' for each NUL.
std::string FilterText(LPCSTR filter)
{
    std::string text;
    for (LPCSTR part = filter; part != nullptr && *part != '\0'; part += strlen(part) + 1)
        text += std::string(part) + "|";
    return text;
}

const std::pair<const char *, int> kButtons[] = {
    {"ok", IDOK},       {"cancel", IDCANCEL}, {"yes", IDYES},      {"no", IDNO},
    {"abort", IDABORT}, {"retry", IDRETRY},   {"ignore", IDIGNORE},
};

std::string ButtonName(int button)
{
    for (const auto &[name, id] : kButtons) {
        if (id == button)
            return name;
    }
    return std::to_string(button);
}

// The button that cancels a box, as a user who closes it chooses.
int CancelButton(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

// The control number of an action "name:C..." and what follows its '='.
bool ControlOf(const std::string &action, size_t start, int *control, std::string *value)
{
    size_t equals = action.find('=', start);
    std::string number = action.substr(start, equals == std::string::npos ? std::string::npos : equals - start);
    char *end = nullptr;
    long id = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || id < -0x8000 || id > 0xFFFF)
        return false;
    *control = static_cast<int>(id);
    if (value != nullptr) {
        if (equals == std::string::npos)
            return false;
        *value = action.substr(equals + 1);
    }
    return true;
}

bool IsLast(const std::string &action)
{
    return action == "ok" || action == "cancel" || action == "close";
}

bool IsAction(const std::string &action)
{
    int control;
    std::string value;
    if (IsLast(action))
        return true;
    if (action.rfind("text:", 0) == 0 || action.rfind("expect:", 0) == 0)
        return ControlOf(action, action.find(':') + 1, &control, &value);
    if (action.rfind("check:", 0) == 0)
        return ControlOf(action, 6, &control, &value) && (value == "0" || value == "1");
    if (action.rfind("click:", 0) == 0)
        return ControlOf(action, 6, &control, nullptr);
    return (action.rfind("cmd:", 0) == 0 && action.size() > 4) || IsControlAction(action);
}

} // namespace

DialogScript::~DialogScript()
{
    Uninstall();
}

void DialogScript::Install()
{
    QelSetDialogHandler(OnDialog, this);
    QelSetFileDialogHandler(OnFile, this);
    QelSetMessageBoxHandler(OnMessageBox, this);
    QelSetFolderBrowseHandler(OnFolder, this);
    QelSetMenuHandler(OnMenu, this);
    m_installed = true;
}

void DialogScript::Uninstall()
{
    if (!m_installed)
        return;
    QelSetDialogHandler(nullptr, nullptr);
    QelSetFileDialogHandler(nullptr, nullptr);
    QelSetMessageBoxHandler(nullptr, nullptr);
    QelSetFolderBrowseHandler(nullptr, nullptr);
    QelSetMenuHandler(nullptr, nullptr);
    m_installed = false;
}

bool DialogScript::Queue(const std::vector<std::string> &words, std::string *error)
{
    Answer answer;
    if (words.empty()) {
        *error = "an answer needs words";
        return false;
    }
    answer.text = Joined(words, 0);
    const std::string &first = words[0];
    if (first == "file" || first == "folder") {
        answer.kind = first == "file" ? Kind::File : Kind::Folder;
        const size_t count = words.size();
        bool indexed = answer.kind == Kind::File && count == 3 && words[2].rfind("index:", 0) == 0;
        if (count != 2 && !indexed) {
            *error = first + " takes a path or cancel" + (answer.kind == Kind::File ? ", and index:N" : "");
            return false;
        }
        if (words[1] != "cancel")
            answer.path = words[1];
        if (indexed) {
            char *end = nullptr;
            unsigned long index = std::strtoul(words[2].c_str() + 6, &end, 10);
            if (words[1] == "cancel" || *end != '\0' || index == 0 || index > 0xFFFF) {
                *error = "index:N takes a filter number from 1, after a path";
                return false;
            }
            answer.filterIndex = static_cast<DWORD>(index);
        }
    } else if (first == "browser") {
        answer.kind = Kind::Browser;
        char *end = nullptr;
        const bool cancel = words.size() == 2 && words[1] == "cancel";
        unsigned long address = words.size() == 3 ? std::strtoul(words[2].c_str(), &end, 0) : 0;
        if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && (*end != '\0' || words[2].empty())) ||
            (words.size() == 3 && words[1] == "cancel")) {
            *error = "browser takes a label and its address, or cancel";
            return false;
        }
        if (!cancel)
            answer.label = words[1];
        answer.address = static_cast<LONG>(address);
    } else if (first == "menu") {
        answer.kind = Kind::Menu;
        char *end = nullptr;
        unsigned long command = words.size() == 2 ? std::strtoul(words[1].c_str(), &end, 0) : 0;
        if (words.size() != 2 ||
            (words[1] != "cancel" && (words[1].empty() || *end != '\0' || command == 0 || command > 0xFFFF))) {
            *error = "menu takes a command number from 1, or cancel";
            return false;
        }
        answer.command = command;
    } else if (first == "msgbox") {
        answer.kind = Kind::MessageBox;
        answer.button = 0;
        for (const auto &[name, id] : kButtons) {
            if (words.size() == 2 && words[1] == name)
                answer.button = id;
        }
        if (answer.button == 0) {
            *error = "msgbox takes ok, cancel, yes, no, abort, retry or ignore";
            return false;
        }
    } else {
        answer.id = first;
        answer.actions.assign(words.begin() + 1, words.end());
        for (size_t i = 0; i < answer.actions.size(); ++i) {
            const std::string &action = answer.actions[i];
            bool last = i + 1 == answer.actions.size();
            if (!IsAction(action) || IsLast(action) != last) {
                *error = IsAction(action) ? "a dialog's answer ends with one ok, cancel or close"
                                          : "not an action: " + action;
                return false;
            }
        }
        if (answer.actions.empty()) {
            *error = "a dialog's answer ends with ok, cancel or close";
            return false;
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_answers.push_back(std::move(answer));
    return true;
}

void DialogScript::SetCommandRunner(std::function<bool(const std::string &)> runner)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_runner = std::move(runner);
    m_runnerThread = GetCurrentThreadId();
}

size_t DialogScript::Unanswered() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_answers.size();
}

std::vector<std::string> DialogScript::TakeFailures()
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> failures;
    failures.swap(m_failures);
    return failures;
}

std::vector<std::string> DialogScript::TakeOpened()
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> lines;
    for (; m_reported < m_opened.size(); ++m_reported)
        lines.insert(lines.end(), m_opened[m_reported].begin(), m_opened[m_reported].end());
    return lines;
}

void DialogScript::Fail(const std::string &text)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_failures.push_back(text);
}

size_t DialogScript::Record(std::vector<std::string> lines)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_opened.push_back(std::move(lines));
    return m_opened.size() - 1;
}

void DialogScript::AddToRecord(size_t record, const std::string &line)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (record < m_opened.size())
        m_opened[record].push_back(line);
}

bool DialogScript::Take(Kind kind, const std::string &id, const std::string &what, Answer *answer)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_answers.empty() && m_answers.front().kind == kind && (kind != Kind::Dialog || m_answers.front().id == id)) {
        *answer = std::move(m_answers.front());
        m_answers.pop_front();
        return true;
    }
    std::string expected = m_answers.empty() ? std::string("no answer is left")
                                             : "the next answer is " + m_answers.front().text;
    m_failures.push_back(what + " opened, but " + expected);
    return false;
}

std::string DialogScript::LastAction(HWND dialog) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_running.find(dialog);
    if (found == m_running.end() || found->second.next == 0)
        return "";
    return found->second.answer.actions[found->second.next - 1];
}

int DialogScript::AnswerDialog(HWND dialog, const std::string &id)
{
    Running running;
    bool known;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        // Dialogs that are gone leave their places to new ones of the same handle.
        for (auto entry = m_running.begin(); entry != m_running.end();) {
            if (!IsWindow(entry->first))
                entry = m_running.erase(entry);
            else
                ++entry;
        }
        auto found = m_running.find(dialog);
        known = found != m_running.end();
        if (known)
            running = found->second;
    }
    if (!known) {
        running.record = Record(DescribeDialog(dialog, id, "dialog"));
        if (!Take(Kind::Dialog, id, "dialog " + id, &running.answer)) {
            AddToRecord(running.record, "\tanswer\tnone");
            return QEL_DIALOG_DONE;
        }
        AddToRecord(running.record, "\tanswer\t" + Joined(running.answer.actions, 0));
    } else if (running.next == running.answer.actions.size()) {
        // It refused its last answer: the next one must be for it.
        if (!Take(Kind::Dialog, id, "dialog " + id + " (still open)", &running.answer))
            return QEL_DIALOG_DONE;
        running.next = 0;
        AddToRecord(running.record, "\tanswer\t" + Joined(running.answer.actions, 0));
    }

    const std::string action = running.answer.actions[running.next++];
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_running[dialog] = running;
    }
    // Its drawn trees as they stood when its answer ended.
    if (IsLast(action))
        for (const std::string &line : DrawnTreeLines(dialog))
            AddToRecord(running.record, line);
    if (!Act(dialog, action))
        return QEL_DIALOG_DONE;
    // A page is ended by its frame, never by its own answer: what the answer did is all.
    if (IsLast(action) && (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) != 0)
        return QEL_DIALOG_DONE;
    if (IsLast(action)) {
        // Let what the answer posted (a close posts its cancel) end the dialog now, so
        // that its result can be told.
        MSG message;
        while (IsWindow(dialog) && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            DispatchMessageA(&message);
        }
        INT_PTR result;
        if (QelGetDialogResult(dialog, &result))
            AddToRecord(running.record, "\tresult\t" + std::to_string(result));
        else if (IsWindow(dialog))
            AddToRecord(running.record, "\tresult\topen");
    }
    return QEL_DIALOG_AGAIN;
}

bool DialogScript::Act(HWND dialog, const std::string &action)
{
    if (IsLast(action)) {
        if (action == "close") {
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return true;
        }
        const int button = action == "ok" ? IDOK : IDCANCEL;
        HWND control = GetDlgItem(dialog, button);
        if (control != nullptr)
            SendMessageA(control, BM_CLICK, 0, 0);
        else
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return true;
    }
    if (action.rfind("cmd:", 0) == 0) {
        std::function<bool(const std::string &)> runner;
        DWORD thread;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            runner = m_runner;
            thread = m_runnerThread;
        }
        if (runner == nullptr || thread != GetCurrentThreadId()) {
            Fail(action + ": commands run on the session's thread only");
            return false;
        }
        // A command may open a dialog whose answer runs a command in turn, each inside
        // the modal loop of the one before: unbounded, the script would run out of stack.
        if (m_commandDepth == kMostNestedCommands) {
            Fail(action + ": commands of answers nest " + std::to_string(kMostNestedCommands) + " deep at most");
            return false;
        }
        ++m_commandDepth;
        const bool succeeded = runner(action.substr(4));
        --m_commandDepth;
        if (!succeeded)
            Fail(action + ": the command failed");
        return true;
    }
    if (IsControlAction(action)) {
        std::string error;
        if (!DoControlAction(dialog, action, &error)) {
            Fail(error);
            return false;
        }
        return true;
    }
    int controlId;
    std::string value;
    const size_t start = action.find(':') + 1;
    ControlOf(action, start, &controlId, action.rfind("click:", 0) == 0 ? nullptr : &value);
    HWND control = GetDlgItem(dialog, controlId);
    if (control == nullptr) {
        Fail(action + ": the dialog has no control " + std::to_string(controlId));
        return false;
    }
    if (action.rfind("text:", 0) == 0) {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    } else if (action.rfind("check:", 0) == 0) {
        if (SendMessageA(control, BM_GETCHECK, 0, 0) != std::atoi(value.c_str()))
            SendMessageA(control, BM_CLICK, 0, 0);
    } else if (action.rfind("click:", 0) == 0) {
        SendMessageA(control, BM_CLICK, 0, 0);
    } else {
        std::string shown = WindowText(control);
        if (shown != value)
            Fail(action + ": control " + std::to_string(controlId) + " shows \"" + shown + "\"");
    }
    return true;
}

int DialogScript::OnDialog(void *context, HWND dialog, LPCSTR templateName)
{
    return static_cast<DialogScript *>(context)->AnswerDialog(dialog, TemplateId(templateName));
}

LPCSTR DialogScript::OnFile(void *context, const OPENFILENAMEA *dialog)
{
    auto *self = static_cast<DialogScript *>(context);
    std::vector<std::string> lines{
        "file\t" + OneLine(dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : ""),
        "\tfilter\t" + OneLine(FilterText(dialog->lpstrFilter)),
        "\tindex\t" + std::to_string(dialog->nFilterIndex),
        "\tfolder\t" + OneLine(dialog->lpstrInitialDir != nullptr ? dialog->lpstrInitialDir : ""),
        "\tfile\t" + OneLine(dialog->lpstrFile != nullptr ? dialog->lpstrFile : ""),
        "\tflags\t" + FlagNames(dialog->Flags),
    };
    size_t record = self->Record(std::move(lines));
    Answer answer;
    if (!self->Take(Kind::File, "", "file dialog \"" + std::string(dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "") + "\"", &answer)) {
        self->AddToRecord(record, "\tanswer\tnone");
        return nullptr;
    }
    self->AddToRecord(record, "\tanswer\t" + answer.text.substr(5));
    if (answer.filterIndex != 0)
        QelSelectFileFilter(answer.filterIndex);
    self->m_chosenFile = answer.path;
    return answer.path.empty() ? nullptr : self->m_chosenFile.c_str();
}

int DialogScript::AnswerMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT style)
{
    char styleText[16];
    std::snprintf(styleText, sizeof styleText, "0x%X", style);
    size_t record = Record({"msgbox\t" + OneLine(caption != nullptr ? caption : "") + "\t" +
                                OneLine(text != nullptr ? text : "") + "\t" + styleText});
    Answer answer;
    int button = CancelButton(style);
    if (Take(Kind::MessageBox, "", "message box \"" + std::string(text != nullptr ? text : "") + "\"", &answer))
        button = answer.button;
    AddToRecord(record, "\tanswer\t" + ButtonName(button));
    return button;
}

bool DialogScript::AnswerBrowser(const std::string &what, std::string *label, LONG *address)
{
    size_t record = Record({"browser\t" + OneLine(what)});
    Answer answer;
    if (!Take(Kind::Browser, "", "symbol browser", &answer)) {
        AddToRecord(record, "\tanswer\tnone");
        return false;
    }
    AddToRecord(record, "\tanswer\t" + answer.text.substr(8));
    *label = answer.label;
    *address = answer.address;
    return !answer.label.empty();
}

int DialogScript::OnMessageBox(void *context, HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    return static_cast<DialogScript *>(context)->AnswerMessageBox(owner, text, caption, style);
}

UINT_PTR CALLBACK DialogScript::OnMenu(const QELMENUITEM *items, int count, int, int, LPVOID context)
{
    auto *self = static_cast<DialogScript *>(context);
    std::vector<std::string> lines{"menu"};
    for (int i = 0; i < count; ++i) {
        const QELMENUITEM &item = items[i];
        if ((item.flags & MF_SEPARATOR) != 0) {
            lines.push_back("\tseparator");
            continue;
        }
        const char *mark = (item.flags & MF_GRAYED) != 0 ? "grayed" : (item.flags & MF_CHECKED) != 0 ? "checked" : "-";
        lines.push_back("\titem\t" + std::to_string(item.id) + "\t" + mark + "\t" + OneLine(item.text));
    }
    size_t record = self->Record(std::move(lines));
    Answer answer;
    if (!self->Take(Kind::Menu, "", "popup menu", &answer)) {
        self->AddToRecord(record, "\tanswer\tnone");
        return 0;
    }
    self->AddToRecord(record, "\tanswer\t" + answer.text.substr(5));
    return answer.command;
}

LPCSTR DialogScript::OnFolder(void *context, const BROWSEINFOA *info)
{
    auto *self = static_cast<DialogScript *>(context);
    const std::string title = info->lpszTitle != nullptr ? info->lpszTitle : "";
    size_t record = self->Record({"folder\t" + OneLine(title)});
    Answer answer;
    if (!self->Take(Kind::Folder, "", "folder browse \"" + title + "\"", &answer)) {
        self->AddToRecord(record, "\tanswer\tnone");
        return nullptr;
    }
    self->AddToRecord(record, "\tanswer\t" + answer.text.substr(7));
    self->m_chosenFolder = answer.path;
    return answer.path.empty() ? nullptr : self->m_chosenFolder.c_str();
}

} // namespace QelHost
