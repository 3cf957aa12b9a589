// The program window's handler on the real symbol server inside a host debug-server
// object, with the host's program-window views, a user (the host's dialog script) who
// answers the source and position dialogs, and the sample program.
#include "progwinviewsrv.h"
#include "windowstesting.h"
#include "workspacesettings.h"

#include <dialogscript.h>
#include <hostcmdgroups.h>
#include <hostmainwindow.h>
#include <hostprogwinview.h>
#include <qelhostscript.h>

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

const DWORD kMain = 0x68; // arm-none-eabi-nm
const DWORD kMainLine = 21; // gdb's info line *0x68 (testdata/elf/arm7-mixed.gdb-functions.txt)

CComVariant Flag(VARIANT_BOOL value)
{
    CComVariant v;
    v.vt = VT_BOOL;
    v.boolVal = value;
    return v;
}

class ProgWin : public windowstest::SymbolServerWindows {
protected:
    void BeforeServer() override
    {
        char pattern[] = "/tmp/qelprogwinXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "src");
        std::ofstream(dir_ / "src" / "a.c") << "\n";
        window_ = std::make_unique<QelHost::HostMainWindow>();
        script_.Install();
    }

    void SetUp() override
    {
        checkEachCommand_ = false;
        SymbolServerWindows::SetUp();
        Frame()->SetViewFactory("StdQelProgWin", QelHost::ProgWinViewFactory());
        Frame()->SetDebugServer(host_);
        Host()->GetProfile(&profileObject_);
        profile_ = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profileObject_.p));
    }

    void TearDown() override
    {
        EndServers();
        profile_ = nullptr;
        profileObject_.Release();
        EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>());
        EXPECT_EQ(script_.Unanswered(), 0u);
        script_.Uninstall();
        window_.reset();
        SymbolServerWindows::TearDown();
        fs::remove_all(dir_);
    }

    void Answer(const std::vector<std::string> &words)
    {
        std::string error;
        ASSERT_TRUE(script_.Queue(words, &error)) << error;
    }

    // The sample program, built where no machine has its sources: the names it gives are
    // the bare "main.c", found only against the source root (its copy of src/).
    std::string LoadSample()
    {
        const fs::path elf = fs::path(kQelSourceDir) / "testdata/elf";
        fs::copy(elf / "src", dir_ / "src", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        std::ifstream in(elf / "arm7-mixed.elf", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string compDir = "/work/main/testdata/elf";
        size_t at = bytes.find(compDir + '\0');
        EXPECT_NE(at, std::string::npos);
        if (at != std::string::npos)
            bytes.replace(at, compDir.size(), "/nowhere/qelvane/testsx");
        const std::string program = (dir_ / "sample.elf").string();
        std::ofstream(program, std::ios::binary) << bytes;
        EXPECT_EQ(Exec(1, {Text(program)}), S_OK);
        return program;
    }

    std::vector<QelHost::CHostProgWinView *> Windows()
    {
        std::vector<QelHost::CHostProgWinView *> windows;
        for (QelHost::CHostView *view : Frame()->Views("StdQelProgWin"))
            windows.push_back(static_cast<QelHost::CHostProgWinView *>(view));
        return windows;
    }
    QelHost::CHostProgWinView *Window(const std::string &name)
    {
        for (QelHost::CHostProgWinView *window : Windows()) {
            if (window->Name() == name)
                return window;
        }
        return nullptr;
    }
    bool Pump(const std::function<bool()> &done) { return QelPumpMessagesUntil(done, 60000); }
    std::string Out(const std::vector<CComVariant> &out, size_t i) { return std::string(CString(out[i].bstrVal)); }

    fs::path dir_;
    std::unique_ptr<QelHost::HostMainWindow> window_;
    QelHost::DialogScript script_;
    CComPtr<IUnknown> profileObject_;
    QelHost::CHostCfgProfile *profile_ = nullptr;
};

TEST_F(ProgWin, InputsAndOutputsAreCheckedBeforeAnythingIsWrittenOrSent)
{
    std::vector<CComVariant> out;
    EXPECT_EQ(Exec(20, {}, 0, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(29, {}, 2, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(21, {}, 3, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(11, {Text("a.c"), Text(""), Flag(0)}, 0, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(28, {Text("a.c"), U4(3), Text("x.c")}, 1, &out), E_INVALIDARG);
    EXPECT_EQ(Exec(15, {Text("a.c"), I4(3), U4(0), Text("")}), E_INVALIDARG);
    EXPECT_EQ(Exec(27, {U4(1), I4(1), I4(1)}), E_INVALIDARG);
    EXPECT_EQ(Exec(91, {Text("0x10")}), E_INVALIDARG);
    EXPECT_EQ(Exec(12, {Text("a.c"), Text("b.c"), U4(0)}), E_INVALIDARG);

    // A count beyond the values given sends nothing anywhere, nor does a wrong type in the
    // last group.
    const size_t before = CommandCount();
    EXPECT_EQ(Exec(16, {U4(2), U4(0x68), U4(1), Text("main.c 21")}), E_INVALIDARG);
    EXPECT_EQ(Exec(16, {U4(1), U4(0x68), U4(1), U4(0)}), E_INVALIDARG);
    EXPECT_EQ(Commands(before, CLSID_QelSymbol), (std::vector<DWORD>{16, 16}));
    EXPECT_TRUE(Commands(before, CGID_QelFrameAddOn).empty());

    // A range of no bytes opens nothing; one at the top of the address space ends there.
    EXPECT_EQ(Exec(25, {U4(0x1000), U4(0)}), E_INVALIDARG);
    EXPECT_TRUE(Windows().empty());
    EXPECT_EQ(Exec(25, {U4(0xFFFFFF00), U4(0x800)}), S_OK);
    ASSERT_NE(Window("<code: 0xFFFFFF00-0xFFFFFFFF>"), nullptr);
    EXPECT_EQ(Window("<code: 0xFFFFFF00-0xFFFFFFFF>")->Mode(), 2u);
}

TEST_F(ProgWin, ASourceFoundOnceIsNotLookedForAgainUntilTheWindowsAreCleared)
{
    const std::string file = (dir_ / "src" / "a.c").string();
    ASSERT_EQ(Exec(10, {Text(file)}), S_OK);
    ASSERT_NE(Window(file), nullptr);
    fs::remove(file);
    std::vector<CComVariant> out;
    EXPECT_EQ(Exec(11, {Text(file), Text(""), Flag(0)}, 1, &out), S_OK);
    EXPECT_EQ(Out(out, 0), file);

    // A window for a name opens for a while only; 13 closes it and empties the cache.
    ASSERT_EQ(Exec(12, {Text(file + ".lst")}), S_OK);
    ASSERT_NE(Window(file + ".lst"), nullptr);
    EXPECT_TRUE(Window(file + ".lst")->Temporary());
    EXPECT_EQ(Exec(13, {}), S_OK);
    EXPECT_EQ(Window(file + ".lst"), nullptr);
    EXPECT_EQ(Windows().size(), 1u);
    EXPECT_EQ(Exec(11, {Text(file), Text(""), Flag(0)}, 1, &out), E_FAIL);
    EXPECT_EQ(Out(out, 0), "");

    // The file window's query: its name, line, marks and mode.
    EXPECT_EQ(Exec(21, {Text(file)}, 4, &out), S_OK);
    EXPECT_EQ(Out(out, 0), file);
    EXPECT_EQ(out[3], I4(0));
    EXPECT_EQ(Exec(21, {Text("nowhere.c")}, 4, &out), E_INVALIDARG);
}

TEST_F(ProgWin, ACodeWindowThatMovesOrClosesIsGoneAndItsNameIsNeverShownTwice)
{
    ASSERT_EQ(Exec(25, {U4(0x1000), U4(0x800)}), S_OK);
    ASSERT_EQ(Exec(25, {U4(0x2000), U4(0x800)}), S_OK);
    EXPECT_EQ(Window("<code: 0x1000-0x17FF>"), nullptr) << "the range moved on";
    ASSERT_NE(Window("<code: 0x2000-0x27FF>"), nullptr);
    ASSERT_EQ(Exec(25, {U4(0x1000), U4(0x800)}), S_OK);
    std::vector<std::string> names;
    for (QelHost::CHostProgWinView *window : Windows())
        names.push_back(window->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"<code: 0x1000-0x17FF>"}));
}

// A GUI server that offers no frame, as a host without windows gives.
class CNoFrame : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CNoFrame)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
    END_COM_MAP()
};

TEST_F(ProgWin, AHostWithoutAFrameFindsSourcesAgainstTheRootItSetsLater)
{
    CComObject<CNoFrame> *noFrame = nullptr;
    ASSERT_EQ(CComObject<CNoFrame>::CreateInstance(&noFrame), S_OK);
    CComPtr<IUnknown> gui(noFrame);
    CComPtr<IUnknown> host;
    ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host), S_OK);
    auto *holder = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p));
    ASSERT_EQ(holder->CreateSymbolServer(CLSID_QelSymbol), S_OK);
    CComPtr<IQelSymbSrv> server;
    ASSERT_EQ(host->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server)), S_OK);
    CComPtr<IStorage> storage;
    storage.Attach(NewMemoryStorage());
    ASSERT_EQ(server->Init(host, nullptr), S_OK);
    ASSERT_EQ(server->Init(storage, gui), S_OK);
    ASSERT_EQ(server->RestoreSettings(), S_OK);
    CComPtr<IUnknown> profile;
    holder->GetProfile(&profile);
    ASSERT_EQ(static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p))
                  ->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", Text((dir_ / "src").string())),
              S_OK);
    CVariantArray in(3), out(1);
    in[0].SetString("a.c");
    in[1].SetString("");
    in[2].SetValue(Flag(0));
    EXPECT_EQ(COleTarCmdCaller(host, &CLSID_QelSymbol).Exec(11, &in, &out, 0), S_OK);
    EXPECT_EQ(std::string(CString(out.GetBSTR(0))), (dir_ / "src" / "a.c").string());
    server->Cleanup();
    server.Release();
    holder->ReleaseSymbolServer();
}

TEST_F(ProgWin, SourcesAreFoundAgainstTheRootByAliasOrByTheUser)
{
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", Text(dir_.string())), S_OK);
    std::vector<CComVariant> out;
    EXPECT_EQ(Exec(11, {Text("src\\a.c"), Text(""), Flag(0)}, 1, &out), S_OK);
    EXPECT_EQ(Out(out, 0), (dir_ / "src" / "a.c").string());

    // Asked without showing: the user's choice becomes the name's alias.
    fs::create_directories(dir_ / "other");
    std::ofstream(dir_ / "other" / "lost.c") << "\n";
    Answer({"file", (dir_ / "other" / "lost.c").string()});
    EXPECT_EQ(Exec(11, {Text("lost.c"), Text(""), Flag(VARIANT_TRUE)}, 1, &out), S_OK);
    EXPECT_TRUE(Windows().empty());
    std::vector<std::string> opened = script_.TakeOpened();
    ASSERT_GE(opened.size(), 3u);
    EXPECT_EQ(opened[0], "file\tOpen Source Files");
    EXPECT_EQ(opened[1], "\tfilter\tSource Files (*.c;*.cpp;*.h;*.a66;*.asm)|*.c;*.cpp;*.h;*.a66;*.asm|All Files "
                         "(*.*)|*.*|");
    EXPECT_EQ(opened[3], "\tfolder\t" + dir_.string());
    ASSERT_EQ(Exec(13, {}), S_OK);
    EXPECT_EQ(Exec(11, {Text("lost.c"), Text(""), Flag(0)}, 1, &out), S_OK) << "by alias, without asking";
    EXPECT_EQ(Out(out, 0), (dir_ / "other" / "lost.c").string());

    // An extension the filter lacks is offered; a cancel stores nothing here.
    Answer({"file", "cancel"});
    EXPECT_EQ(Exec(11, {Text("start.ABS"), Text(""), Flag(VARIANT_TRUE)}, 1, &out), E_FAIL);
    opened = script_.TakeOpened();
    ASSERT_GE(opened.size(), 2u);
    EXPECT_NE(opened[1].find("*.asm;*.abs)|"), std::string::npos) << opened[1];
    CString entry("start.ABS"), alias;
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, entry, alias), 0);

    // Locating: a candidate that resolves to the name is the answer; else the first,
    // which becomes the alias; no candidate gives the name back.
    const std::string program = (dir_ / "x.elf").string();
    int number = 1;
    CString programPath(program.c_str());
    ASSERT_EQ(ProgramSettings(QEL_WSP_STORE_PATH, host_, number, programPath), 1);
    const std::string a = (dir_ / "src" / "a.c").string();
    EXPECT_EQ(Exec(28, {Text(a), U4(2), Text("other/lost.c"), Text("src/a.c")}, 1, &out), S_OK);
    EXPECT_EQ(Out(out, 0), "src/a.c");
    EXPECT_EQ(Exec(28, {Text("b.c"), U4(1), Text("src/a.c")}, 1, &out), S_OK);
    EXPECT_EQ(Out(out, 0), "src/a.c");
    entry = "b.c";
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, entry, alias), 1);
    EXPECT_EQ(alias, CString("src/a.c"));
    EXPECT_EQ(Exec(28, {Text("c.c"), U4(0)}, 1, &out), S_OK);
    EXPECT_EQ(Out(out, 0), "c.c");
}

TEST_F(ProgWin, DisplayOptionsSetTheMarkKindAndTheModesAreKeptAtTheEnd)
{
    struct Case {
        LONG a, b, c;
        DWORD markKind;
    } cases[] = {
        {1, 0, 0, 1}, // cleared mixed mode, kind set
        {0, 1, 1, 1}, // mixed mode on, kind as it was
        {1, 1, 0, 0}, // kind cleared
        {0, 0, 0, 0},
    };
    std::vector<CComVariant> out;
    for (const Case &c : cases) {
        ASSERT_EQ(Exec(27, {I4(c.a), I4(c.b), I4(c.c)}), S_OK);
        ASSERT_EQ(Exec(20, {}, 1, &out), S_OK);
        EXPECT_EQ(out[0], U4(c.markKind)) << c.a << c.b << c.c;
    }
    ASSERT_EQ(Exec(27, {I4(0), I4(1), I4(1)}), S_OK);
    const ULONG stores = profile_->Stores();
    EndServers();
    CComVariant value;
    ASSERT_EQ(profile_->GetItem(u"System", u"MIXEDMODE", &value), S_OK);
    EXPECT_EQ(value, CComVariant(true));
    ASSERT_EQ(profile_->GetItem(u"System", u"SINGLEPROGRAMWINDOW", &value), S_OK);
    EXPECT_EQ(value, CComVariant(false));
    EXPECT_EQ(profile_->Stores(), stores + 2);
}

TEST_F(ProgWin, OneWindowShowsCodeThatMovesByTheRulesAndFollowsTheIp)
{
    auto status = [&](DWORD id) {
        OLECMD cmd{id, 0};
        EXPECT_EQ(static_cast<IOleCommandTarget *>(Host())->QueryStatus(&CLSID_QelSymbol, 1, &cmd, nullptr), S_OK);
        return cmd.cmdf;
    };
    EXPECT_EQ(status(92) & OLECMDF_LATCHED, 0u);
    EXPECT_EQ(status(94) & OLECMDF_ENABLED, 0u);
    EXPECT_EQ(Exec(93, {U4(2), U4(0x1000), U4(0)}), S_OK);
    EXPECT_EQ(Exec(94, {}), S_OK);
    EXPECT_TRUE(Windows().empty()) << "nothing outside single-window mode";

    ASSERT_EQ(Exec(92, {}), S_OK);
    EXPECT_NE(status(92) & OLECMDF_LATCHED, 0u);
    EXPECT_NE(status(94) & OLECMDF_ENABLED, 0u);
    auto shown = [&] { return Windows().empty() ? std::string() : Windows().front()->Name(); };
    struct Move {
        DWORD mode, address;
        const char *name;
    } moves[] = {
        {2, 0x1000, "<code: 0x1000-0x17FF>"},
        {0, 0, "<code: 0xC00-0x13FF>"},
        {1, 0, "<code: 0x1000-0x17FF>"},
        {2, 0x300, "<code: 0x300-0xAFF>"},
        {0, 0, "<code: 0x0-0x7FF>"},
        {0, 0, "<code: 0x0-0x7FF>"},
        {2, 0xFFFFFC00, "<code: 0xFFFFFC00-0xFFFFFFFF>"}, // never past the top
    };
    for (const Move &m : moves) {
        ASSERT_EQ(Exec(93, {U4(m.mode), U4(m.address), U4(0)}), S_OK);
        EXPECT_EQ(shown(), m.name) << m.mode << " " << m.address;
        EXPECT_EQ(Windows().size(), 1u);
    }
    // A C16x target ends at 0xFFFFFF, in words of 16 bits (an ARM one's are 32 bits).
    Host()->Target()->SetPreset(QelHost::TargetPreset::C16x);
    ASSERT_EQ(Exec(93, {U4(2), U4(0xFFFC00), U4(0)}), S_OK);
    EXPECT_EQ(shown(), "<code: 0xFFFC00-0xFFFFFF>");
    ASSERT_EQ(Exec(93, {U4(1), U4(0), U4(0)}), S_OK);
    EXPECT_EQ(shown(), "<code: 0xFFFFFE-0xFFFFFF>");
    ASSERT_EQ(Exec(93, {U4(2), U4(0x1000001), U4(0)}), S_OK);
    EXPECT_EQ(shown(), "<code: 0xFFFFFE-0xFFFFFF>");
    Host()->Target()->SetPreset(QelHost::TargetPreset::Arm);

    // The IP inside the window, short of its margin, is marked there; at the margin the
    // window moves to it.
    EXPECT_EQ(CProgWinViewSrv::CodeWindowMargin(20), 10u);
    EXPECT_EQ(CProgWinViewSrv::CodeWindowMargin(40), 32u);
    ASSERT_EQ(Exec(93, {U4(2), U4(0x1000), U4(0)}), S_OK);
    Host()->Target()->StateSource()->FireStateNotify(0x17DF, 7);
    ASSERT_NE(Windows().front()->InstructionPointer(), std::nullopt);
    EXPECT_EQ(*Windows().front()->InstructionPointer(), 0x17DFu);
    EXPECT_EQ(shown(), "<code: 0x1000-0x17FF>");
    Host()->Target()->StateSource()->FireStateNotify(0x17E0, 7);
    EXPECT_EQ(shown(), "<?>");
    // The host tells the range of a window it knows only by its start.
    EXPECT_EQ(Host()->Target()->PatternSource()->FirePatternRange(0, 0x17E0, 0x800), S_OK);
    EXPECT_EQ(shown(), "<code: 0x17E0-0x1FDF>");
}

TEST_F(ProgWin, TheIpIsShownAtItsSourceLineWhenTheTargetStops)
{
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", Text((dir_ / "src").string())), S_OK);
    LoadSample();
    const std::string main = (dir_ / "src" / "main.c").string();
    // An address that comes while the target runs waits for the stop.
    Host()->Target()->Run();
    Host()->Target()->StateSource()->FireStateNotify(kMain, 0xFFFFFFFF);
    QelPumpMessagesUntil([] { return false; }, 50);
    EXPECT_TRUE(Windows().empty());
    const size_t before = CommandCount();
    Host()->Target()->StateSource()->FireStateChange(3, 2);
    ASSERT_TRUE(Pump([&] { return Window(main) != nullptr && !Window(main)->Marks().empty(); }));
    EXPECT_EQ(Window(main)->Line(), kMainLine);
    EXPECT_EQ(Window(main)->Marks(), (std::set<std::pair<ULONG, ULONG>>{{kMainLine, 0}}));
    std::vector<DWORD> addOn = Commands(before, CGID_QelFrameAddOn);
    EXPECT_EQ(addOn.front(), 5u) << "the target state";
    // The add-on shows the marked line: valid, the file and the line, not the address.
    std::vector<QelHost::HostCommand> all = Host()->Commands()->Commands();
    auto marked = std::find_if(all.begin() + static_cast<std::ptrdiff_t>(before), all.end(), [](const auto &command) {
        return IsEqualGUID(command.group, CGID_QelFrameAddOn) && command.id == 3;
    });
    ASSERT_NE(marked, all.end()) << "the marked line";
    CVariantArray shown(&marked->input, FALSE);
    ASSERT_EQ(shown.GetSize(), 3);
    EXPECT_EQ(shown[0].GetValue().vt, VT_UI4);
    EXPECT_EQ(shown[0].GetValue().ulVal, 1u);
    EXPECT_EQ(std::string(CString(shown[1].GetValue().bstrVal)), main);
    EXPECT_EQ(shown[2].GetValue().vt, VT_UI4);
    EXPECT_EQ(shown[2].GetValue().ulVal, kMainLine);

    // Running clears the mark; a window of the range the symbol server asks for shows the
    // IP as code.
    Host()->Target()->Run();
    EXPECT_TRUE(Window(main)->Marks().empty());
    Host()->Target()->Stop(kMain);
    ASSERT_TRUE(Pump([&] { return !Window(main)->Marks().empty(); }));

    // Before a new load the positions are stale: the host's range is refused until the IP
    // is known again.
    ASSERT_EQ(Exec(23, {}), S_OK);
    ASSERT_EQ(Exec(26, {}), S_OK);
    EXPECT_EQ(Host()->Target()->PatternSource()->FirePatternRange(0, 0x100, 0x20), E_FAIL);
}

TEST_F(ProgWin, TheSourceTheUserPicksAtTheFirstStopCarriesTheIpMark)
{
    LoadSample(); // no source root: the user is asked for "main.c"
    const std::string picked = (dir_ / "picked.c").string();
    fs::rename(dir_ / "src" / "main.c", picked);
    Answer({"file", picked});
    Host()->Target()->Stop(kMain);
    ASSERT_TRUE(Pump([&] { return Window(picked) != nullptr && !Window(picked)->Marks().empty(); }));
    EXPECT_EQ(Window(picked)->Marks(), (std::set<std::pair<ULONG, ULONG>>{{kMainLine, 0}}));
}

TEST_F(ProgWin, ASourceTheUserDoesNotGiveIsShownAsCodeWithoutAskingAgain)
{
    LoadSample(); // no source root: "main.c" is looked for beside the program only
    fs::remove_all(dir_ / "src");
    Answer({"file", "cancel"});
    Host()->Target()->Stop(kMain);
    ASSERT_TRUE(Pump([&] { return !Windows().empty(); }));
    EXPECT_EQ(Windows().front()->Name(), "<?>");
    EXPECT_EQ(script_.Unanswered(), 0u);
    Host()->Target()->Stop(kMain + 4);
    QelPumpMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(script_.TakeFailures(), std::vector<std::string>()) << "nothing is asked again";
    CString entry("main.c"), alias;
    EXPECT_EQ(SourceAliases(QEL_WSP_FIND_ALIAS, host_, 1, entry, alias), 1);
    EXPECT_EQ(alias, CString("<Section>"));
}

} // namespace

TEST_F(ProgWin, AWindowThatCannotShowTheStopIsClosedAgainAndNoneArePiledUp)
{
    // The frame's plain view takes no program-window commands, as a window that cannot
    // show a file refuses it.
    Frame()->SetViewFactory("StdQelProgWin", [](IUnknown **view, QelHost::CHostView **object) {
        CComObject<QelHost::CHostView> *plain = nullptr;
        HRESULT hr = CComObject<QelHost::CHostView>::CreateInstance(&plain);
        if (FAILED(hr))
            return hr;
        *object = plain;
        return plain->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(view));
    });
    ASSERT_EQ(profile_->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", Text((dir_ / "src").string())), S_OK);
    LoadSample();
    for (int stop = 0; stop < 3; ++stop) {
        const size_t before = CommandCount();
        Host()->Target()->Run();
        Host()->Target()->Stop(kMain);
        ASSERT_TRUE(Pump([&] { return !Commands(before, CGID_QelFrameAddOn).empty(); }));
        QelPumpMessagesUntil([] { return false; }, 50);
        EXPECT_TRUE(Frame()->Views("StdQelProgWin").empty()) << "after stop " << stop;
    }
}
