// The file-load commands on the real symbol server inside a host debug-server object,
// with a user (the host's dialog script) who answers the file dialog and the questions,
// loading copies of the sample program.
#include "windowstesting.h"
#include "workspacesettings.h"

#include <dialogscript.h>
#include <hostcfgprofile.h>
#include <qelhostscript.h>
#include <hostcmdgroups.h>
#include <hostexplorerview.h>
#include <hostmsgbox.h>
#include <hostmainwindow.h>

#include <testing/buildpaths.h>
#include <testing/messagepump.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;
using windowstest::I4;
using windowstest::Text;
using windowstest::U4;

// arm7-mixed.elf's entry and main, as arm-none-eabi-readelf -h and arm-none-eabi-nm give them.
const DWORD kEntry = 0x0;
const DWORD kMain = 0x68;

CComVariant Texts(const std::vector<std::string> &texts)
{
    CComVariant array;
    array.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    array.vt = VT_ARRAY | VT_BSTR;
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        CComBSTR text(texts[static_cast<size_t>(i)].c_str());
        SafeArrayPutElement(array.parray, &i, text.m_str);
    }
    return array;
}

// A recorded command's inputs as the session prints values, split by blanks.
std::string InputText(const CComVariant &input)
{
    std::string text;
    LONG lower = 0, upper = -1;
    if (input.vt != (VT_ARRAY | VT_VARIANT))
        return QelHost::FormatValue(input);
    SafeArrayGetLBound(input.parray, 1, &lower);
    SafeArrayGetUBound(input.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        CComVariant element;
        SafeArrayGetElement(input.parray, &i, &element);
        text += (i > lower ? " " : "") + QelHost::FormatValue(element);
    }
    return text;
}

class FileLoad : public windowstest::SymbolServerWindows {
protected:
    void BeforeServer() override
    {
        char pattern[] = "/tmp/qelfileloadXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char *name : {"a.elf", "b.elf", "c.elf", "d.elf", "e.elf"})
            fs::copy_file(fs::path(kQelSourceDir) / "testdata/elf/arm7-mixed.elf", dir_ / name);
        std::ofstream(dir_ / "notes.txt") << "not a program\n";
        window_ = std::make_unique<QelHost::HostMainWindow>();
        ASSERT_NE(window_->Handle(), nullptr);
        SetForegroundWindow(window_->Handle());
        script_.Install();
        script_.SetCommandRunner([this](const std::string &line) { return RunLine(line); });
    }

    void SetUp() override
    {
        checkEachCommand_ = false;
        SymbolServerWindows::SetUp();
        Frame()->SetViewFactory("StdQelSymbolExplWin", QelHost::ExplorerViewFactory());
        reports_ = Host()->Reports();
        reports_->SetMessageBoxAnswerer([this](const QelHost::HostMessageBox &box) {
            return static_cast<LONG>(script_.AnswerMessageBox(reinterpret_cast<HWND>(static_cast<LONG_PTR>(box.owner)),
                                                              box.text.c_str(), box.caption.c_str(),
                                                              static_cast<UINT>(box.style)));
        });
        ASSERT_EQ(QelHost::RegisterMessageBoxClass(reports_, &boxClass_), S_OK);
        Host()->GetProfile(&profileObject_);
        profile_ = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject_.p));
    }

    void TearDown() override
    {
        EndServers();
        if (boxClass_ != 0)
            CoRevokeClassObject(boxClass_);
        reports_->SetMessageBoxAnswerer(nullptr);
        reports_.reset();
        profile_ = nullptr;
        profileObject_.Release();
        EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>());
        EXPECT_EQ(script_.Unanswered(), 0u);
        script_.Uninstall();
        window_.reset();
        SymbolServerWindows::TearDown();
        fs::remove_all(dir_);
    }

    // A cmd: action: "exec ID" sends the command with no input, "exec ID u4:N" with one.
    bool RunLine(const std::string &line)
    {
        unsigned id = 0, value = 0;
        if (std::sscanf(line.c_str(), "exec %u u4:%u", &id, &value) == 2)
            return SUCCEEDED(Exec(id, {U4(value)}));
        return std::sscanf(line.c_str(), "exec %u", &id) == 1 && SUCCEEDED(Exec(id, {}));
    }

    void Answer(const std::vector<std::string> &words)
    {
        std::string error;
        ASSERT_TRUE(script_.Queue(words, &error)) << error;
    }

    void SetProfile(const char16_t *section, const char16_t *entry, const CComVariant &value)
    {
        ASSERT_EQ(profile_->SetItem(section, entry, value), S_OK);
    }
    void SetSystem(const char16_t *entry, bool on) { SetProfile(u"System", entry, CComVariant(on)); }

    std::string File(const char *name) const { return (dir_ / name).string(); }


    // Handles messages until the host object has received command `id` after `from`.
    bool WaitForCommand(DWORD id, size_t from)
    {
        return QelPumpMessagesUntil(
            [&] {
                std::vector<DWORD> ids = Commands(from);
                return std::find(ids.begin(), ids.end(), id) != ids.end();
            },
            60000);
    }

    // A load through command 1, waited for when it went to the worker.
    HRESULT Load(const std::vector<CComVariant> &in, bool wait = true)
    {
        size_t from = CommandCount();
        std::vector<CComVariant> out;
        HRESULT hr = Exec(1, in, 1, &out);
        if (hr == S_OK) {
            EXPECT_EQ(out[0].vt, VT_BOOL);
            EXPECT_EQ(out[0].boolVal, 1) << "1, not VARIANT_TRUE";
            if (wait) {
                EXPECT_TRUE(WaitForCommand(14, from));
            }
        }
        return hr;
    }

    // The workspace's setting of reading code `code` (1 when it is missing).
    int Setting(int code)
    {
        int value = -1;
        CString unused;
        EXPECT_EQ(ProgramSettings(code, host_, value, unused), 1);
        return value;
    }

    std::vector<QelHost::HostStartAddress> Starts() { return Host()->Downloads()->StartAddresses(); }
    std::vector<LONG> Forgotten() { return Host()->Downloads()->ForgottenSections(); }

    // The progress window ("Load State"), NULL when there is none.
    static HWND DownloadWindow()
    {
        HWND found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM parameter) -> BOOL {
                char title[32] = "";
                GetWindowTextA(window, title, sizeof title);
                if (std::string(title) != "Load State")
                    return TRUE;
                *reinterpret_cast<HWND *>(parameter) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    QelHost::CHostExplorerView *OpenExplorer()
    {
        EXPECT_EQ(Exec(30, {}), S_OK);
        std::vector<QelHost::CHostView *> views = Frame()->Views("StdQelSymbolExplWin");
        return views.empty() ? nullptr : static_cast<QelHost::CHostExplorerView *>(views[0]);
    }

    fs::path dir_;
    std::unique_ptr<QelHost::HostMainWindow> window_;
    QelHost::DialogScript script_;
    CComPtr<IUnknown> profileObject_; // outlives the host, for a look after the end
    QelHost::CHostCfgProfile *profile_ = nullptr;
    std::shared_ptr<QelHost::HostReports> reports_;
    DWORD boxClass_ = 0;
};

// The caller's own path loads before the command returns, with no progress window, and the
// workspace then offers nothing when it opens again.
TEST_F(FileLoad, APathOfTheCallerLoadsAtOnceAndIsNotOfferedAgain)
{
    size_t from = CommandCount();
    ASSERT_EQ(Load({Text(File("a.elf"))}, false), S_OK);
    std::vector<DWORD> sent = Commands(from);
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(std::vector<DWORD>(sent.begin(), sent.begin() + 4), (std::vector<DWORD>{1, 23, 26, 71}));
    EXPECT_EQ(sent.back(), 14u) << "the program window hears of the load";
    EXPECT_EQ(DownloadWindow(), nullptr);
    ASSERT_FALSE(Starts().empty());
    EXPECT_EQ(Starts().back().id, 1);
    EXPECT_EQ(Starts().back().address, kEntry);
    EXPECT_EQ(Starts().back().address2, kMain);
    EXPECT_EQ(Setting(QEL_WSP_READ_ASKFORLOAD), 0);
    EXPECT_EQ(Load({I4(0), I4(0)}), S_FALSE) << "nothing offered, nothing asked";
}

// Asked for the file, the user's choice loads behind a progress window; the workspace keeps
// the file and the filter, and the next start offers the program, unless the option says
// it is not to be offered.
TEST_F(FileLoad, AChosenFileIsKeptAndOfferedWhenTheWorkspaceOpens)
{
    Answer({"file", "cancel"});
    EXPECT_EQ(Load({}), S_FALSE);
    Answer({"file", File("a.elf"), "index:3"});
    ASSERT_EQ(Load({}, false), S_OK);
    EXPECT_NE(DownloadWindow(), nullptr);
    ASSERT_TRUE(WaitForCommand(14, 0));
    EXPECT_EQ(Setting(QEL_WSP_READ_ASKFORLOAD), 1);
    EXPECT_EQ(Setting(QEL_WSP_READ_FILTER), 3);
    int entry = 1;
    CString stored;
    ASSERT_EQ(ProgramSettings(QEL_WSP_READ_PATH, host_, entry, stored), 1);
    EXPECT_STREQ(stored, File("a.elf").c_str());

    Answer({"215", "expect:207=" + File("a.elf"), "ok"});
    EXPECT_EQ(Load({I4(0), I4(0)}), S_OK);
    Answer({"215", "cancel"});
    EXPECT_EQ(Load({I4(0), I4(0)}), S_FALSE);
    SetSystem(u"IgnoreProgramFromWsp", true);
    EXPECT_EQ(Load({I4(0), I4(0)}), S_FALSE) << "neither offered nor the last program loaded again";
}

// With several programs at once, a file loaded again unchanged keeps its program; the
// user drops programs in the images dialog, which are unloaded, and their ids are free
// again without ever giving out one that a kept program holds.
TEST_F(FileLoad, ProgramsLoadedTogetherGetIdsThatNoOtherHolds)
{
    SetSystem(u"MULTIPROGRAM", true);
    auto loadAsked = [&](const char *name, const std::vector<std::string> &images) {
        Answer({"file", File(name)});
        if (!images.empty())
            Answer(images);
        EXPECT_EQ(Load({}), S_OK) << name;
        return Starts().back().id;
    };
    EXPECT_EQ(loadAsked("a.elf", {}), 1);
    EXPECT_EQ(loadAsked("a.elf", {}), 0) << "the program that is there already";
    EXPECT_EQ(loadAsked("b.elf", {"220", "ok"}), 2);
    EXPECT_EQ(loadAsked("c.elf", {"220", "ok"}), 3);
    EXPECT_EQ(loadAsked("d.elf", {"220", "row:234=0:state", "row:234=1:state", "ok"}), 1);
    EXPECT_EQ(Forgotten(), (std::vector<LONG>{1, 2}));
    EXPECT_EQ(loadAsked("e.elf", {"220", "ok"}), 2);

    Answer({"file", File("a.elf")});
    Answer({"220", "row:234=0:state", "cancel"});
    EXPECT_EQ(Load({}), S_FALSE) << "leaving the images dialog gives the load up";
    EXPECT_EQ(Forgotten().size(), 2u);
    EXPECT_FALSE(DownloadWindow() && IsWindowVisible(DownloadWindow()));

    SetSystem(u"MULTIPROGRAM", false);
    EXPECT_EQ(Load({Text(File("a.elf"))}), S_OK);
    EXPECT_EQ(Forgotten(), (std::vector<LONG>{1, 2, 3, 1, 2})) << "one program at a time again";
}

// A file that no reader takes is a failed load: the progress window goes and the user is
// shown the formats there are; the load of the caller's path, over when the command
// returns, answers its failure.
TEST_F(FileLoad, AFileThatIsNoProgramShowsTheFormatsAndClosesTheWindow)
{
    Answer({"file", File("notes.txt")});
    Answer({"msgbox", "ok"});
    size_t from = CommandCount();
    ASSERT_EQ(Exec(1, {}), S_OK) << "the server took the request";
    ASSERT_TRUE(WaitForCommand(5, from));
    EXPECT_FALSE(DownloadWindow() && IsWindowVisible(DownloadWindow()));
    std::vector<QelHost::HostMessageBox> boxes = reports_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The format of selected binary target file is currently not supported.");
    EXPECT_EQ(boxes[0].caption,
              "Supported file formats:\nTriCore:\tELF/DWARF 1.1\n\tTasking-Locator-Option \"-f4\"\n\tGNU-Linker-Option "
              "\"-gdwarf+3\"");

    Answer({"msgbox", "ok"});
    std::vector<CComVariant> out;
    EXPECT_EQ(Exec(1, {Text(File("notes.txt"))}, 1, &out), E_FAIL);
    EXPECT_EQ(out[0].vt, VT_EMPTY);
    EXPECT_EQ(reports_->MessageBoxes().size(), 2u);
}

// The host's notice that the file differs from what the target holds: reloaded without a
// question with AUTORELOAD while the user works in the debugger, asked otherwise; one
// notice at a time, and a refused one leaves the next to be handled.
TEST_F(FileLoad, AChangedFileIsReloadedAsTheUserWants)
{
    const CComVariant path = Text(File("a.elf"));
    auto notice = [&](LONG doNotAsk) { return Exec(2, {U4(2), I4(0), path, I4(doNotAsk)}); };
    auto reloads = [&](size_t from) {
        std::vector<QelHost::HostCommand> all = Host()->Commands()->Commands();
        int count = 0;
        for (size_t i = from; i < all.size(); ++i)
            count += all[i].id == 1 && all[i].input.vt == (VT_ARRAY | VT_VARIANT);
        return count;
    };
    SetSystem(u"AUTORELOAD", true);
    size_t from = CommandCount();
    EXPECT_EQ(notice(0), S_OK);
    EXPECT_EQ(reloads(from), 1) << "the main window is active";
    ASSERT_TRUE(WaitForCommand(14, from));
    HWND other = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    from = CommandCount();
    EXPECT_EQ(notice(0), S_OK);
    EXPECT_EQ(reloads(from), 0) << "the user works elsewhere";
    SetForegroundWindow(window_->Handle());
    DestroyWindow(other);

    SetSystem(u"AUTORELOAD", false);
    from = CommandCount();
    EXPECT_EQ(notice(1), S_OK);
    Answer({"213", "expect:207=" + File("a.elf"), "cmd:exec 2 u4:2", "cancel"});
    EXPECT_EQ(notice(0), S_OK) << "the notice inside the question did nothing";
    EXPECT_EQ(reloads(from), 0);
    EXPECT_EQ(Exec(2, {U4(2), I4(0), path, Text("x")}), E_INVALIDARG);
    Answer({"213", "ok"});
    EXPECT_EQ(notice(0), S_OK) << "a refused notice does not block the next";
    EXPECT_EQ(reloads(from), 1);
    ASSERT_TRUE(WaitForCommand(14, from));

    Host()->SetNoMessageBoxes(1);
    from = CommandCount();
    EXPECT_EQ(notice(0), S_OK);
    EXPECT_EQ(reloads(from), 0) << "the host is not to show anything";
    EXPECT_EQ(Exec(2, {Text("x")}), E_INVALIDARG);
}

// The explorer learns of unloads and of the breakpoints; the breakpoints' numbers come in
// pairs in storage order, and counts that the inputs do not hold are refused.
TEST_F(FileLoad, TheExplorerHearsOfUnloadsAndBreakpoints)
{
    EXPECT_EQ(Exec(2, {U4(1)}), S_OK) << "no explorer: nothing needs the id";
    QelHost::CHostExplorerView *explorer = OpenExplorer();
    ASSERT_NE(explorer, nullptr);
    size_t from = CommandCount();
    EXPECT_EQ(Exec(2, {U4(1)}), E_INVALIDARG);
    EXPECT_EQ(Exec(2, {U4(1), I4(2)}), S_OK);
    EXPECT_EQ(Commands(from), (std::vector<DWORD>{2, 2, 13}));
    ASSERT_EQ(explorer->Calls().size(), 1u);
    EXPECT_EQ(QelHost::ExplorerCallText(explorer->Calls()[0]), "SignalLoadingPrgFile 0 2");

    EXPECT_EQ(Exec(8, {U4(2), U4(0x100), U4(1), Text("a.c 3"), U4(0x200), U4(0), Text("b.c 9")}), S_OK);
    ASSERT_EQ(explorer->Calls().size(), 2u);
    EXPECT_EQ(QelHost::ExplorerCallText(explorer->Calls()[1]), "SignalBreakpoints \"a.c 3\" \"b.c 9\" | 2x2 256 1 512 0");
    EXPECT_EQ(Exec(8, {U4(0)}), S_OK);
    EXPECT_EQ(QelHost::ExplorerCallText(explorer->Calls().back()), "SignalBreakpoints | 2x0");
    EXPECT_EQ(Exec(8, {U4(2), U4(0x100), U4(1), Text("a.c 3")}), E_INVALIDARG);
    EXPECT_EQ(Exec(8, {U4(1), U4(0x100), I4(1), Text("a.c 3")}), E_INVALIDARG);
    EXPECT_EQ(Exec(8, {U4(0xFFFFFFFF)}), E_INVALIDARG);
    EXPECT_EQ(explorer->Calls().size(), 3u);

    ASSERT_EQ(Load({Text(File("a.elf"))}), S_OK);
    EXPECT_EQ(QelHost::ExplorerCallText(explorer->Calls().back()), "SignalLoadingPrgFile 1 1");
}

// Service mode is switched on for its load and stays on until the handler goes, which
// writes back what the first command 7 found.
TEST_F(FileLoad, AServiceLoadKeepsServiceModeOnUntilTheEnd)
{
    SetSystem(u"SERVICE", false);
    EXPECT_EQ(Exec(7, {I4(1)}), E_INVALIDARG);
    EXPECT_EQ(Exec(7, {Text(File("a.elf")), I4(1)}), E_INVALIDARG);
    size_t from = CommandCount();
    ULONG stores = profile_->Stores();
    ASSERT_EQ(Exec(7, {Text(File("a.elf"))}), S_OK);
    ASSERT_TRUE(WaitForCommand(95, from));
    std::vector<DWORD> sent = Commands(from);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 23) + std::count(sent.begin(), sent.end(), 26), 0)
        << "the program window's positions stay";
    EXPECT_EQ(sent.back(), 95u) << "the IP is marked";
    EXPECT_EQ(profile_->Stores(), stores + 1);
    ASSERT_EQ(Exec(7, {Text(File("b.elf"))}), S_OK);
    ASSERT_TRUE(WaitForCommand(95, CommandCount() - 1));
    CComVariant service;
    EXPECT_EQ(profile_->GetItem(u"System", u"SERVICE", &service), S_OK);
    EXPECT_EQ(service.boolVal, VARIANT_TRUE);
    EndServers();
    EXPECT_EQ(profile_->GetItem(u"System", u"SERVICE", &service), S_OK);
    EXPECT_EQ(service.boolVal, VARIANT_FALSE);
}

// Command 5 hides the progress window unless the user works in it; without input it also
// cancels the question whether to load the workspace's program.
TEST_F(FileLoad, ClosingTheProgressWindowAndTheQuestion)
{
    ASSERT_EQ(Exec(4, {}), S_OK);
    HWND progress = DownloadWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(IsWindowVisible(progress));
    SetForegroundWindow(window_->Handle());
    EXPECT_EQ(Exec(5, {I4(0)}), S_OK);
    EXPECT_TRUE(IsWindow(progress));
    EXPECT_FALSE(IsWindowVisible(progress));
    EXPECT_EQ(Exec(4, {}), S_OK);
    SetForegroundWindow(progress);
    EXPECT_EQ(Exec(5, {I4(0)}), S_OK);
    EXPECT_FALSE(IsWindow(progress)) << "the active window is destroyed";
    SetForegroundWindow(window_->Handle());

    Answer({"file", File("a.elf")});
    ASSERT_EQ(Load({}), S_OK);
    Answer({"215", "cmd:exec 5 u4:1", "expect:207=" + File("a.elf"), "cmd:exec 5", "ok"});
    EXPECT_EQ(Load({I4(0), I4(0)}), S_FALSE) << "the question went with command 5 without input";
}

// The breakpoints that command 3 stores go back to the host after the program's next load.
TEST_F(FileLoad, StoredBreakpointsReachTheHostAfterTheNextLoad)
{
    ASSERT_EQ(Load({Text(File("a.elf"))}), S_OK);
    EXPECT_EQ(Exec(3, {U4(1), U4(2), Texts({"main.c 7", "main.c 9"})}), S_OK);
    size_t from = CommandCount();
    ASSERT_EQ(Load({Text(File("a.elf"))}), S_OK);
    std::vector<QelHost::HostCommand> all = Host()->Commands()->Commands();
    std::vector<std::string> restored;
    for (size_t i = from; i < all.size(); ++i) {
        if (IsEqualGUID(all[i].group, CGID_QelHostBreakpoints) && all[i].id == 3)
            restored.push_back(InputText(all[i].input));
    }
    EXPECT_EQ(restored, (std::vector<std::string>{"u4:8 u4:2 bstrs:\"main.c 7\",\"main.c 9\""}));
}

} // namespace
