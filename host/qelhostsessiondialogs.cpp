#include "qelhostsessiondialogs.h"

#include "qelhostanswers.h"
#include "qelhostrequests.h"

#include <qelsymbol.h>

#include <cstdlib>
#include <map>
#include <set>

namespace QelHost {

namespace {

// The message of the load's progress, which the server posts to the requester's window;
// it is taken and not shown.
constexpr UINT kProgressMessage = WM_USER + 9;

UINT RequestMessage()
{
    static const UINT message = RegisterWindowMessageA("QELSYMBOLREQUEST");
    return message;
}

// The requests whose notice each request window got. A load that a dialog's cmd: action
// asks runs inside another, with a window of its own.
std::map<HWND, std::set<LPARAM> *> g_finished;

LRESULT CALLBACK RequestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto found = g_finished.find(window);
    if (message == RequestMessage() && found != g_finished.end()) {
        found->second->insert(lParam);
        return 0;
    }
    if (message == kProgressMessage)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The hidden window that a load request reports to, for the life of the object.
class RequestWindow {
public:
    RequestWindow()
    {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = RequestWindowProc;
            windowClass.lpszClassName = "QelHostSessionRequests";
            return RegisterClassA(&windowClass) != 0;
        }();
        if (registered)
            m_window = CreateWindowExA(0, "QelHostSessionRequests", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr);
        if (m_window != nullptr)
            g_finished[m_window] = &m_finished;
    }
    ~RequestWindow()
    {
        if (m_window != nullptr) {
            g_finished.erase(m_window);
            DestroyWindow(m_window);
        }
    }

    HWND Handle() const { return m_window; }

    // Handles the thread's messages until the request's notice came.
    void WaitFor(int request)
    {
        MSG message;
        while (m_finished.count(request) == 0 && GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    }

private:
    HWND m_window = nullptr;
    std::set<LPARAM> m_finished;
};

} // namespace

SessionDialogs::SessionDialogs(std::function<bool(const std::string &line)> runCommand)
{
    m_script.SetCommandRunner(std::move(runCommand));
    m_script.Install();
}

SessionDialogs::~SessionDialogs()
{
    m_script.Uninstall();
}

bool SessionDialogs::Answer(const std::vector<std::string> &words, std::string *error)
{
    return m_script.Queue(std::vector<std::string>(words.begin() + 1, words.end()), error);
}

void SessionDialogs::PrintOpened(FILE *out)
{
    for (const std::string &line : m_script.TakeOpened())
        std::fprintf(out, "%s\n", line.c_str());
}

bool SessionDialogs::RequestLoad(IUnknown *debugServer, HostDownloads &downloads, const std::vector<std::string> &words,
                                 std::string *error)
{
    char *end = nullptr;
    long id = words.size() == 3 ? std::strtol(words[2].c_str(), &end, 10) : 0;
    if (words.size() < 2 || words.size() > 3 || words[1].empty() || (end != nullptr && (*end != '\0' || id < 0))) {
        *error = "request-load takes a file and a program id from 0";
        return false;
    }
    CComPtr<IQelSymbol> symbol;
    if (debugServer == nullptr ||
        FAILED(debugServer->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol)))) {
        *error = "request-load needs the started symbol server";
        return false;
    }
    const size_t blocksBefore = downloads.Blocks().size();
    RequestWindow window;
    if (window.Handle() == nullptr) {
        *error = "request-load has no window for the request's notices";
        return false;
    }
    int request = static_cast<int>(reinterpret_cast<UINT_PTR>(window.Handle()));
    HRESULT hr = symbol->LoadFile(CComBSTR(words[1].c_str()), id,
                                  static_cast<LONG>(reinterpret_cast<UINT_PTR>(window.Handle())), &request);
    if (SUCCEEDED(hr))
        window.WaitFor(request);
    CComPtr<IUnknown> info;
    if (SUCCEEDED(hr))
        hr = symbol->GetProgramInfo(request, &info);
    std::printf("load %s %ld %d\n", words[1].c_str(), id, StatusOf(hr));

    // The sections as request 0 gives them, asked synchronously.
    const RequestCode *code = nullptr;
    std::vector<RequestArgument> arguments;
    std::string reason;
    if (!BindRequest({RequestToken{"0", false}}, &code, arguments, &reason)) {
        *error = reason;
        return false;
    }
    int sections = 0;
    RequestAnswer answer;
    answer.result = code->submit(symbol, arguments, &sections);
    if (answer.result == S_OK)
        answer = code->fetch(symbol, code->code, sections);
    if (answer.result != S_OK)
        std::printf("sections %d\n", StatusOf(answer.result));
    for (const std::string &record : answer.records)
        std::printf("%s\n", record.c_str());
    const std::vector<HostDownloadBlock> blocks = downloads.Blocks();
    for (size_t i = blocksBefore; i < blocks.size(); ++i) {
        std::printf("block 0x%08X %zu ", static_cast<unsigned>(blocks[i].start), blocks[i].bytes.size());
        for (BYTE byte : blocks[i].bytes)
            std::printf("%02x", byte);
        std::printf("\n");
    }
    return Check(error);
}

bool SessionDialogs::Check(std::string *error)
{
    std::vector<std::string> failures = m_script.TakeFailures();
    if (failures.empty())
        return true;
    std::string text;
    for (const std::string &failure : failures)
        text += (text.empty() ? "" : "; ") + failure;
    *error = text;
    return false;
}

bool SessionDialogs::Finish(std::string *error)
{
    if (!Check(error))
        return false;
    size_t left = m_script.Unanswered();
    if (left == 0)
        return true;
    *error = std::to_string(left) + (left == 1 ? " answer was" : " answers were") + " not taken";
    return false;
}

} // namespace QelHost
