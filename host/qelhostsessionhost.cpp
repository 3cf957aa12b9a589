#include "qelhostsessionhost.h"

#include "dialogscript.h"
#include "hostcfgprofile.h"
#include "qelhostanswers.h"
#include "qelhostscript.h"

#include <dialogtemplate.h>
#include <hostcmdgroups.h>
#include <qelsymbol.h>
#include <windowsresources.h>

#include <cstdio>
#include <cstring>

namespace QelHost {

namespace {

const DWORD kQuietPump = 200;
const DWORD kWaitLimit = 60000;

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

// Bytes written as pairs of hex digits, at least one pair.
bool ParseHexBytes(const std::string &text, std::vector<BYTE> *bytes)
{
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes->push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
}

bool HandleOneMessage()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return false;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

// Handles messages for `total` ms, or, with 0, until kQuietPump ms pass without one.
void Pump(DWORD total)
{
    DWORD start = GetTickCount(), lastMessage = start;
    for (;;) {
        DWORD now = GetTickCount();
        if (total != 0 ? now - start >= total : now - lastMessage >= kQuietPump)
            return;
        if (HandleOneMessage())
            lastMessage = GetTickCount();
        else
            Sleep(1);
    }
}

// The caption of the symbol server's dialog template `id`, which the open dialog shows.
const char *TemplateCaption(UINT id)
{
    for (size_t i = 0; i < g_WindowsResourceCount; ++i) {
        const QEL_RESOURCE_ENTRY &entry = g_WindowsResources[i];
        if (entry.type == RT_DIALOG && entry.name == MAKEINTRESOURCE(id))
            return static_cast<const QEL_DLGTEMPLATE *>(entry.data)->caption;
    }
    return nullptr;
}

struct DialogSearch {
    const char *caption;
    HWND found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM parameter)
{
    char name[16];
    if (GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, "#32770") == 0)
        reinterpret_cast<std::vector<HWND> *>(parameter)->push_back(window);
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<DialogSearch *>(parameter);
    char title[256];
    if (GetWindowTextA(window, title, sizeof title) >= 0 && std::strcmp(title, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string InputText(const CComVariant &input)
{
    std::string text;
    if (input.vt == (VT_ARRAY | VT_VARIANT) && input.parray && SafeArrayGetDim(input.parray) == 1) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(input.parray, 1, &lower);
        SafeArrayGetUBound(input.parray, 1, &upper);
        for (LONG i = lower; i <= upper; ++i) {
            CComVariant element;
            if (SUCCEEDED(SafeArrayGetElement(input.parray, &i, &element)))
                text += " " + FormatValue(element);
        }
    } else if (input.vt != VT_EMPTY) {
        text = " " + FormatValue(input);
    }
    return text;
}

} // namespace

void PrintModelessDialogs(FILE *out)
{
    std::vector<HWND> shown;
    EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&shown));
    for (HWND dialog : shown) {
        char title[256] = "";
        GetWindowTextA(dialog, title, sizeof title);
        for (size_t i = 0; i < g_WindowsResourceCount; ++i) {
            const QEL_RESOURCE_ENTRY &entry = g_WindowsResources[i];
            if (entry.type != RT_DIALOG || std::strcmp(static_cast<const QEL_DLGTEMPLATE *>(entry.data)->caption, title) != 0)
                continue;
            std::string id = std::to_string(reinterpret_cast<ULONG_PTR>(entry.name));
            for (const std::string &line : DescribeDialog(dialog, id, IsWindowVisible(dialog) ? "shown" : "hidden"))
                std::fprintf(out, "%s\n", line.c_str());
            break;
        }
    }
}

void PumpQuietly()
{
    Pump(0);
}

bool PumpUntil(const std::function<bool()> &done, DWORD limit)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limit)
            return false;
        if (!HandleOneMessage())
            Sleep(1);
    }
    return true;
}

SessionHostCommands::~SessionHostCommands()
{
    if (m_hiddenWindow)
        DestroyWindow(m_hiddenWindow);
}

bool SessionHostCommands::Handles(const std::string &command)
{
    return command == "quiet" || command == "activate" || command == "pump" || command == "wait-command" ||
           command == "host" || command == "target" || command == "pattern" || command == "animate";
}

bool SessionHostCommands::Run(const std::vector<std::string> &words, CHostDebugServer *host, HWND mainWindow,
                              std::string *error)
{
    const std::string &command = words[0];
    long long number = 0;
    if (command == "quiet") {
        if (words.size() != 2 || (words[1] != "0" && words[1] != "1"))
            return Fail(error, "quiet takes 0 or 1");
        host->SetNoMessageBoxes(words[1] == "1" ? 1 : 0);
        return true;
    }
    if (command == "activate") {
        if (words.size() != 2)
            return Fail(error, "activate takes main, none or a dialog's template id");
        return Activate(words[1], mainWindow, error);
    }
    if (command == "pump") {
        if (words.size() > 2 || (words.size() == 2 && !ParseScriptNumber(words[1], 1, kWaitLimit, &number)))
            return Fail(error, "pump takes at most a time in ms, up to 60000");
        Pump(static_cast<DWORD>(number));
        return true;
    }
    if (command == "wait-command")
        return WaitCommand(words, host, error);
    if (command == "target")
        return Target(words, host, error);
    if (command == "pattern")
        return Pattern(words, host, error);
    if (command == "animate") {
        if (words.size() != 2 || !ParseScriptNumber(words[1], 0, kWaitLimit, &number))
            return Fail(error, "animate takes a time in ms, up to 60000");
        host->VariableServices()->Animate(static_cast<DWORD>(number));
        return true;
    }
    if (words.size() != 1)
        return Fail(error, "host takes nothing");
    PrintHost(host);
    return true;
}

bool SessionHostCommands::Activate(const std::string &which, HWND mainWindow, std::string *error)
{
    HWND window = nullptr;
    long long id = 0;
    if (which == "main") {
        window = mainWindow;
    } else if (which == "none") {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = HiddenWindowProc;
            windowClass.lpszClassName = "QelHostHiddenWindow";
            return RegisterClassA(&windowClass) != 0;
        }();
        if (registered && !m_hiddenWindow)
            m_hiddenWindow = CreateWindowExA(0, "QelHostHiddenWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                             nullptr, nullptr);
        window = m_hiddenWindow;
    } else if (ParseScriptNumber(which, 1, 0xFFFF, &id)) {
        const char *caption = TemplateCaption(static_cast<UINT>(id));
        if (!caption)
            return Fail(error, "no dialog has the template " + which);
        DialogSearch search{caption, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            return Fail(error, "no dialog " + which + " is open");
        window = search.found;
    } else {
        return Fail(error, "activate takes main, none or a dialog's template id");
    }
    if (!window || !SetForegroundWindow(window))
        return Fail(error, "the window cannot be activated");
    return true;
}

bool SessionHostCommands::WaitCommand(const std::vector<std::string> &words, CHostDebugServer *host,
                                      std::string *error)
{
    long long id = 0, limit = kWaitLimit;
    if (words.size() < 2 || words.size() > 3 || !ParseScriptNumber(words[1], 0, 0xFFFFFFFFLL, &id) ||
        (words.size() == 3 && !ParseScriptNumber(words[2], 1, 24LL * 3600 * 1000, &limit)))
        return Fail(error, "wait-command takes a command id and a time in ms");
    std::shared_ptr<HostCommands> record = host->Commands();
    auto arrived = [&] {
        std::vector<HostCommand> commands = record->Commands();
        for (size_t i = m_commandsSeen; i < commands.size(); ++i) {
            if (commands[i].id == static_cast<DWORD>(id) && IsEqualGUID(commands[i].group, CLSID_QelSymbol)) {
                m_commandsSeen = i + 1;
                return true;
            }
        }
        return false;
    };
    if (!PumpUntil(arrived, static_cast<DWORD>(limit)))
        return Fail(error, "command " + words[1] + " did not come in " + std::to_string(limit) + " ms");
    return true;
}

bool SessionHostCommands::Target(const std::vector<std::string> &words, CHostDebugServer *host, std::string *error)
{
    CHostTarget *target = host->Target();
    long long address = 0;
    std::string reason;
    if (words.size() == 2 && words[1] == "run") {
        target->Run();
        return true;
    }
    if (words.size() == 3 && words[1] == "load") {
        if (!target->LoadProgram(words[2].c_str(), &reason))
            return Fail(error, reason);
        return true;
    }
    if (words.size() == 3 && words[1] == "core") {
        ULONG pc = 0;
        if (!target->LoadCore(words[2].c_str(), &reason))
            return Fail(error, reason);
        if (target->GetPc(&pc))
            target->Stop(pc);
        return true;
    }
    if (words.size() == 3 && words[1] == "access") {
        const std::pair<const char *, RunningAccess> kinds[] = {
            {"fast", RunningAccess::Fast}, {"slow", RunningAccess::Slow}, {"none", RunningAccess::None}};
        for (const auto &[name, access] : kinds) {
            if (words[2] == name) {
                target->SetRunningAccess(access);
                return true;
            }
        }
        return Fail(error, "target access takes fast, slow or none");
    }
    if (words.size() == 4 && words[1] == "write") {
        std::vector<BYTE> bytes;
        if (!ParseScriptNumber(words[2], 0, 0xFFFFFFFFLL, &address) || !ParseHexBytes(words[3], &bytes))
            return Fail(error, "target write takes an address and an even number of hex digits");
        if (!target->WriteMemory(MemoryPort::Host, static_cast<DWORD>(address), static_cast<DWORD>(bytes.size()),
                                 bytes.data()))
            return Fail(error, "the target has no memory at " + words[2] + " for " + std::to_string(bytes.size()) +
                                   " bytes");
        return true;
    }
    if (words.size() != 3 || words[1] != "stop" || !ParseScriptNumber(words[2], 0, 0xFFFFFFFFLL, &address))
        return Fail(error, "target takes run, stop ADDR, load FILE, core CORE, access fast|slow|none or write ADDR HEX");
    target->Stop(static_cast<ULONG>(address));
    return true;
}

bool SessionHostCommands::Pattern(const std::vector<std::string> &words, CHostDebugServer *host, std::string *error)
{
    long long kind = 0, start = 0, length = 0;
    if (words.size() != 4 || !ParseScriptNumber(words[1], 0, 0xFFFFFFFFLL, &kind) ||
        !ParseScriptNumber(words[2], 0, 0xFFFFFFFFLL, &start) || !ParseScriptNumber(words[3], 0, 0xFFFFFFFFLL, &length))
        return Fail(error, "pattern takes a kind, a start address and a length");
    HRESULT hr = host->Target()->PatternSource()->FirePatternRange(static_cast<UINT>(kind), static_cast<UINT>(start),
                                                                   static_cast<UINT>(length));
    std::printf("result 0x%08X\n", static_cast<unsigned>(hr));
    return true;
}

void SessionHostCommands::PrintHost(CHostDebugServer *host)
{
    std::shared_ptr<HostDownloads> downloads = host->Downloads();
    for (LONG id : downloads->ForgottenSections())
        std::printf("forget %d\n", static_cast<int>(id));
    CComPtr<IUnknown> profile;
    host->GetProfile(&profile);
    if (auto *hostProfile = static_cast<CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p)))
        std::printf("stores %u\n", static_cast<unsigned>(hostProfile->Stores()));
    for (const HostStartAddress &start : downloads->StartAddresses())
        std::printf("start %d 0x%X 0x%X %u\n", static_cast<int>(start.id), static_cast<unsigned>(start.address),
                    static_cast<unsigned>(start.address2), static_cast<unsigned>(start.reserved));
    for (const HostCommand &command : host->Commands()->Commands()) {
        if (IsEqualGUID(command.group, CGID_QelHostBreakpoints))
            std::printf("breakpoints %u%s\n", static_cast<unsigned>(command.id), InputText(command.input).c_str());
    }
    // A failed menu load tells the user only through the error receiver.
    for (const HostError &report : host->Reports()->Errors())
        std::printf("error\t%s\t%s\n", Escaped(report.source).c_str(), Escaped(report.description).c_str());
}

} // namespace QelHost
