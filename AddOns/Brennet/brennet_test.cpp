// The component as the host drives it: a host debug-server object with its frame, the
// host's reports, and a recording tool link made by the link factory.
#include "brennet.h"

#include <debugserver.h>
#include <hostcfgprofile.h>
#include <hostframe.h>
#include <hostprogwinview.h>
#include <hostviewservers.h>
#include <hostwatchview.h>
#include <hostcmdgroups.h>
#include <messagebox.h>
#include <oletarcmdcaller.h>
#include <dialogscript.h>
#include <moduleversion.h>
#include <hostecdebug.h>
#include <caselinkfactory.h>
#include <easycodecomm.h>

#include <commandvalues.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>
#include <symbolprocessing.h>
#include <testing/buildpaths.h>
#include <testing/comallocbalance.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records every call of the add-on, one line each, and its own deletion.
class RecordingLink : public CCaseToolComm {
public:
    static std::vector<std::string> s_calls;
    static BOOL s_connectAnswer;

    static CCaseToolComm *Make(LPCSTR) { return new RecordingLink; }

    ~RecordingLink() override { s_calls.push_back("deleted"); }
    BOOL Connect(LPCSTR toolText, IUnknown *debugServer, CQelDiagHelper *diagnostics) override
    {
        CCaseToolComm::Connect(toolText, debugServer, diagnostics);
        s_calls.push_back(std::string("Connect ") + toolText);
        m_connected = s_connectAnswer;
        return s_connectAnswer;
    }
    void Disconnect() override
    {
        s_calls.push_back("Disconnect");
        CCaseToolComm::Disconnect();
    }
    BOOL ShowPosition(DWORD valid, LPCSTR file, DWORD line) override
    {
        return Record("ShowPosition " + std::to_string(valid) + " " + file + " " + std::to_string(line));
    }
    BOOL SetBreakpoint(LPCSTR file, DWORD line, BOOL enabled) override
    {
        return Record(std::string("SetBreakpoint ") + file + " " + std::to_string(line) + " " + std::to_string(enabled));
    }
    BOOL RemoveAllBreakpoints() override { return Record("RemoveAllBreakpoints"); }
    BOOL SetRunState(DWORD state) override { return Record("SetRunState " + std::to_string(state)); }
    BOOL IsConnected() override { return m_connected; }
    BOOL ShowValue(LPCSTR name, const VARIANT &value) override
    {
        return Record(std::string("ShowValue ") + name + " " + std::to_string(value.vt));
    }

private:
    static BOOL Record(std::string line)
    {
        s_calls.push_back(std::move(line));
        return TRUE;
    }
    BOOL m_connected = FALSE;
};

std::vector<std::string> RecordingLink::s_calls;
BOOL RecordingLink::s_connectAnswer = TRUE;

// Counts the component's events in the order they come: "1" to "5" for slots 3 to 7.
class EventSink : public CComObjectRootEx<CComMultiThreadModel>, public _IQelComponentEvents {
public:
    BEGIN_COM_MAP(EventSink)
        COM_INTERFACE_ENTRY(_IQelComponentEvents)
    END_COM_MAP()

    std::string events;
    // Cleanup is called on this component when event 1 comes.
    IQelComponent *cleanupOnInit = nullptr;

    STDMETHODIMP OnComponentInitialised() override
    {
        events += "1";
        if (cleanupOnInit != nullptr)
            cleanupOnInit->Cleanup();
        return S_OK;
    }
    STDMETHODIMP OnComponentCleanup() override { return Note("2"); }
    STDMETHODIMP OnCmdSequenceBegin() override { return Note("3"); }
    STDMETHODIMP OnCmdSequenceEnd() override { return Note("4"); }
    STDMETHODIMP OnComponentTest() override { return Note("5"); }

private:
    HRESULT Note(const char *event)
    {
        events += event;
        return E_FAIL; // a failing sink changes nothing
    }
};

CComVariant Text(const char *text)
{
    return CComVariant(text);
}

CComVariant UI4(ULONG value)
{
    CComVariant v;
    v.vt = VT_UI4;
    v.ulVal = value;
    return v;
}

// Every test ends with the COM layer's allocations as they were.
class Brennet : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        QelUseRegistryFile(nullptr);
        RecordingLink::s_calls.clear();
        RecordingLink::s_connectAnswer = TRUE;
        previousFactory_ = SetCaseToolFactory(&RecordingLink::Make);
        reports_ = std::make_shared<QelHost::HostReports>();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_, reports_), S_OK);
        CComObject<QelHost::CHostFrame> *frame = nullptr;
        ASSERT_EQ(CComObject<QelHost::CHostFrame>::CreateInstance(&frame), S_OK);
        frame_ = frame;
        Host()->SetGuiServer(static_cast<IQelHostFrame *>(frame));
        ASSERT_EQ(CComObject<CBrennet>::CreateInstance(&brennet_), S_OK);
        component_ = brennet_;
        GiveErrorSink();
        ASSERT_EQ(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage_), S_OK);
        script_.Install();
    }
    void TearDown() override
    {
        script_.Uninstall();
        EXPECT_EQ(script_.Unanswered(), 0u);
        if (component_ != nullptr)
            component_->Cleanup();
        component_.Release();
        Host()->SetGuiServer(nullptr);
        frame_.Release();
        host_.Release();
        SetCaseToolFactory(previousFactory_);
        QelUseRegistryFile(nullptr);
        SetErrorInfo(0, nullptr); // the last COM error a command raised
        ComAllocBalance::TearDown();
    }

    // The host's error receiver, which Cleanup lets go, as the host gives it before Init.
    void GiveErrorSink()
    {
        CComPtr<IUnknown> errors;
        Host()->GetErrorObject(&errors);
        ASSERT_EQ(component_->SetErrorSink(errors), S_OK);
    }
    QelHost::CHostDebugServer *Host() const
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p));
    }
    HRESULT Init(const VARIANT &project)
    {
        CComVariant target(host_);
        return component_->Init(target, project, host_);
    }
    HRESULT InitWithStorage() { return Init(CComVariant(static_cast<IUnknown *>(storage_.p))); }
    // Init, the menus connected and the host profile's tool set to `tool` first.
    void Start(const char *tool)
    {
        if (tool != nullptr) {
            CComPtr<IUnknown> profile;
            Host()->GetProfile(&profile);
            auto *host = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
            ASSERT_EQ(host->SetItem(u"Tools", u"CaseTool", CComVariant(tool)), S_OK);
        }
        ASSERT_EQ(InitWithStorage(), S_OK);
        ASSERT_EQ(component_->ConnectGui(), S_OK);
    }
    HRESULT Exec(DWORD id, const std::vector<CComVariant> &values, CVariantArray *out = nullptr)
    {
        CVariantArray in(static_cast<int>(values.size()));
        for (size_t i = 0; i < values.size(); ++i)
            in[static_cast<int>(i)].SetValue(values[i]);
        return COleTarCmdCaller(component_, &CGID_QelFrameAddOn).Exec(id, values.empty() ? nullptr : &in, out, 0);
    }
    std::vector<std::string> TakeErrors()
    {
        std::vector<std::string> texts;
        std::vector<QelHost::HostError> errors = reports_->Errors();
        for (size_t i = errorsSeen_; i < errors.size(); ++i)
            texts.push_back(errors[i].description);
        errorsSeen_ = errors.size();
        return texts;
    }
    std::vector<std::string> TraceTexts()
    {
        std::vector<std::string> texts;
        for (const QelHost::HostTraceLine &line : reports_->TraceLines())
            texts.push_back(line.text.substr(0, line.text.find(", Time:")));
        return texts;
    }
    std::vector<std::string> TakeCalls()
    {
        std::vector<std::string> calls;
        calls.swap(RecordingLink::s_calls);
        return calls;
    }
    // The commands of the host's breakpoint group that the host received, "ID VALUE...".
    std::vector<std::string> HostBreakpointCommands()
    {
        std::vector<std::string> lines;
        for (const QelHost::HostCommand &command : Host()->Commands()->Commands()) {
            if (!IsEqualGUID(command.group, CGID_QelHostBreakpoints))
                continue;
            std::string line = std::to_string(command.id);
            CVariantArray values(const_cast<VARIANT *>(static_cast<const VARIANT *>(&command.input)), FALSE);
            for (int i = 0; i < values.GetSize(); ++i) {
                const VARIANT &value = values[i].GetValue();
                line += " " + (value.vt == VT_BSTR ? std::string(CString(value.bstrVal)) : std::to_string(value.lVal));
            }
            lines.push_back(line);
        }
        return lines;
    }
    bool Checked(DWORD id)
    {
        OLECMD command = {id, 0};
        EXPECT_EQ(CComQIPtr<IOleCommandTarget>(component_)->QueryStatus(&CGID_QelFrameAddOn, 1, &command, nullptr), S_OK);
        return (command.cmdf & OLECMDF_LATCHED) != 0;
    }
    void Answer(const std::vector<std::string> &words)
    {
        std::string error;
        ASSERT_TRUE(script_.Queue(words, &error)) << error;
    }

    CaseToolFactory previousFactory_ = nullptr;
    std::shared_ptr<QelHost::HostReports> reports_;
    CComPtr<IUnknown> host_;
    CComPtr<QelHost::CHostFrame> frame_;
    CComObject<CBrennet> *brennet_ = nullptr;
    CComPtr<IQelComponent> component_;
    CComPtr<IStorage> storage_;
    QelHost::DialogScript script_;
    size_t errorsSeen_ = 0;
};

TEST_F(Brennet, GuardedCallsWaitForInitAndCleanupWithoutInitIsHarmless)
{
    BOOL busy = TRUE;
    EXPECT_EQ(component_->IsBusy(0, &busy), E_FAIL);
    EXPECT_EQ(component_->ConnectGui(), E_FAIL);
    EXPECT_EQ(component_->BeginCmdSequence(), E_FAIL);
    EXPECT_EQ(TakeErrors(), std::vector<std::string>(3, "Component was not initialized !"));
    EXPECT_EQ(component_->IsInitialized(), S_FALSE);
    EXPECT_EQ(component_->Cleanup(), S_OK);
}

TEST_F(Brennet, InitRefusesAProjectThatIsNoProfile)
{
    std::string missing = (std::filesystem::temp_directory_path() / "brennet-no-such.ini").string();
    struct Case {
        CComVariant project;
        std::string message;
    } cases[] = {
        {CComVariant(), "Invalid project profile  !"},
        {Text(""), "Invalid project profile  !"},
        {Text(missing.c_str()), "Invalid project profile " + missing + " !"},
    };
    for (const Case &c : cases) {
        GiveErrorSink();
        EXPECT_EQ(Init(c.project), E_FAIL);
        EXPECT_EQ(TakeErrors(), (std::vector<std::string>{c.message, "Component initialisation failed !"}));
        EXPECT_EQ(component_->IsInitialized(), S_FALSE);
    }
}

TEST_F(Brennet, EventsAndTracesFollowTheComponentsLifeAtEachLevel)
{
    for (DWORD level : {49u, 99u, 100u}) {
        reports_ = std::make_shared<QelHost::HostReports>();
        Host()->SetReports(reports_);
        CComObject<EventSink> *sink = nullptr;
        ASSERT_EQ(CComObject<EventSink>::CreateInstance(&sink), S_OK);
        CComPtr<IUnknown> hold(sink->GetUnknown());
        DWORD cookie = 0;
        ASSERT_EQ(AtlAdvise(component_, hold, IID__IQelComponentEvents, &cookie), S_OK);
        ASSERT_EQ(component_->SetDiagnostics(level, host_), S_OK);
        ASSERT_EQ(InitWithStorage(), S_OK);
        EXPECT_EQ(InitWithStorage(), S_FALSE);
        EXPECT_EQ(component_->BeginCmdSequence(), S_OK);
        EXPECT_EQ(component_->EndCmdSequence(), S_OK);
        EXPECT_EQ(component_->Test_IQelComponent(), S_OK);
        EXPECT_EQ(component_->Cleanup(), S_OK);
        EXPECT_EQ(component_->IsInitialized(), S_FALSE);
        EXPECT_EQ(sink->events, "1345" "2");
        std::vector<std::string> expected;
        if (level > 99)
            expected.push_back("Init()");
        if (level > 49)
            expected.push_back("Storage used as Project Profile");
        if (level > 99)
            expected.insert(expected.end(), {"Init, Result: 0x00000000", "BeginCmdSequence", "EndCmdSequence",
                                             "QelComponentImpl<...>::Test_IQelComponent", "Cleanup()"});
        EXPECT_EQ(TraceTexts(), expected) << level;
        EXPECT_EQ(Host()->Registrations(), 0u); // Cleanup let the sink go
        AtlUnadvise(component_, IID__IQelComponentEvents, cookie);
    }
    EXPECT_EQ(TakeErrors(), std::vector<std::string>{});
}

TEST_F(Brennet, ASinkThatCleansUpDuringInitLeavesItNotReady)
{
    CComObject<EventSink> *sink = nullptr;
    ASSERT_EQ(CComObject<EventSink>::CreateInstance(&sink), S_OK);
    CComPtr<IUnknown> hold(sink->GetUnknown());
    sink->cleanupOnInit = component_;
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(component_, hold, IID__IQelComponentEvents, &cookie), S_OK);
    EXPECT_EQ(InitWithStorage(), E_FAIL);
    EXPECT_EQ(sink->events, "12");
    // The sink's Cleanup let the error receiver go: the message is the thread's error.
    EXPECT_EQ(TakeErrors(), std::vector<std::string>{});
    CComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    CComBSTR text;
    info->GetDescription(&text);
    EXPECT_EQ(CString(text), "Not ready after 'Init' event !");
    EXPECT_EQ(component_->IsInitialized(), S_FALSE);
    sink->cleanupOnInit = nullptr;
    EXPECT_EQ(InitWithStorage(), S_OK); // and it can start again
    AtlUnadvise(component_, IID__IQelComponentEvents, cookie);
}

TEST_F(Brennet, NameVersionPropertiesAndInformation)
{
    CComBSTR name, description, version;
    EXPECT_EQ(component_->GetName(&description, nullptr), E_POINTER);
    ASSERT_EQ(component_->GetName(&description, &name), S_OK);
    EXPECT_EQ(CString(name), "QELCaseToolSupport");
    EXPECT_EQ(CString(description), "Support of Case Tools Connection");
    CComPtr<IQelVersionInfo> info;
    ASSERT_EQ(component_->GetVersion(&info, &version), S_OK);
    EXPECT_EQ(CString(version), "Support of Case Tools Connection V3.1.4.159");
    LONG part = 0;
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetBuildNumber(&part), S_OK);
    EXPECT_EQ(part, 159);

    LONG ids[] = {0, 1, 2, -1}, values[] = {9, 9, 9, 9};
    EXPECT_EQ(component_->GetProperties(4, ids, nullptr), E_POINTER);
    ASSERT_EQ(component_->GetProperties(4, ids, values), S_OK);
    EXPECT_EQ(std::vector<LONG>(values, values + 4), (std::vector<LONG>{0, 1, 0, 0}));

    struct Box {
        std::string text, caption;
        UINT style = 0;
    } box;
    QelSetMessageBoxHandler(
        [](void *context, HWND, LPCSTR text, LPCSTR caption, UINT style) {
            *static_cast<Box *>(context) = {text, caption ? caption : "", style};
            return IDOK;
        },
        &box);
    EXPECT_EQ(component_->ShowInfo(nullptr), S_OK);
    script_.Install(); // its message-box handler back
    CString module;
    Win32Ext::GetModulePath(AfxGetInstanceHandle(), module);
    EXPECT_EQ(box.text, "Component: QELCaseToolSupport\nSupport of Case Tools Connection\nVersion: 3.1.4.159\nModule: " +
                            std::string(module));
    EXPECT_EQ(box.style & 0xF0, static_cast<UINT>(MB_ICONINFORMATION));
}

TEST_F(Brennet, ACommandSequenceHoldsTheOtherThreadsGuardedCalls)
{
    ASSERT_EQ(InitWithStorage(), S_OK);
    EXPECT_EQ(component_->EndCmdSequence(), E_FAIL); // none begun
    ASSERT_EQ(component_->BeginCmdSequence(), S_OK);
    std::atomic<bool> done{false};
    HRESULT otherEnd = S_OK;
    IQelComponent *component = component_;
    std::thread other([&] {
        BOOL busy = TRUE;
        component->IsBusy(0, &busy);
        done = true;
        otherEnd = component->EndCmdSequence(); // not its sequence
    });
    Sleep(200);
    EXPECT_FALSE(done);
    EXPECT_EQ(component_->EndCmdSequence(), S_OK);
    other.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(otherEnd, E_FAIL);
    BOOL busy = TRUE;
    EXPECT_EQ(component_->IsBusy(0, &busy), S_FALSE); // the lock is free and whole
    EXPECT_FALSE(busy);
}

TEST_F(Brennet, AnIniProjectKeepsItsSectionsUnderTheComponentsName)
{
    std::string path = (std::filesystem::temp_directory_path() / "brennet-project.ini").string();
    FILE *file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    ASSERT_EQ(Init(Text(path.c_str())), S_OK);
    ASSERT_EQ(brennet_->ProjectProfileKind(), 1);
    ASSERT_TRUE(brennet_->ProjectProfile()->WriteString("Link", "Tool", "x32"));
    char text[16] = {};
    EXPECT_EQ(GetPrivateProfileStringA("QELCaseToolSupport.Link", "Tool", "", text, sizeof text, path.c_str()), 3u);
    EXPECT_STREQ(text, "x32");
    component_->Cleanup();
    std::remove(path.c_str());
}

TEST_F(Brennet, CommandTwoLinksTheConfiguredToolAndShowsWhereTheProgramStands)
{
    Start("EasyCODE Debug Interface");
    EXPECT_FALSE(Checked(2));
    ASSERT_EQ(Exec(2, {}), S_OK);
    // Korvex is not there: the position comes as no position.
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Connect EasyCODE Debug Interface", "ShowPosition 0  0"}));
    EXPECT_EQ(HostBreakpointCommands(), std::vector<std::string>{"3 16"});
    EXPECT_TRUE(Checked(2));
    ASSERT_EQ(Exec(2, {}), S_OK);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Disconnect", "deleted"}));
    EXPECT_FALSE(Checked(2));

    // A link whose tool does not answer is deleted at once.
    RecordingLink::s_connectAnswer = FALSE;
    ASSERT_EQ(Exec(2, {}), S_OK);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Connect EasyCODE Debug Interface", "deleted"}));
    EXPECT_EQ(brennet_->ToolLink(), nullptr);
}

TEST_F(Brennet, TheDebuggersNoticesReachTheLinkedTool)
{
    Start("EasyCODE Debug Interface");
    EXPECT_EQ(Exec(3, {UI4(1), Text("main.c"), UI4(12)}), S_OK); // no link yet
    ASSERT_EQ(Exec(2, {}), S_OK);
    TakeCalls();
    struct Case {
        DWORD id;
        std::vector<CComVariant> values;
        HRESULT result;
        std::vector<std::string> calls;
    } cases[] = {
        {3, {UI4(1), Text("main.c"), UI4(12)}, S_OK, {"ShowPosition 1 main.c 12"}},
        {3, {UI4(1), Text("main.c")}, S_OK, {}},
        {3, {UI4(1), Text("main.c"), UI4(12), UI4(0)}, S_OK, {}},
        {3, {Text("1"), Text("main.c"), UI4(12)}, S_OK, {"ShowPosition 0 main.c 12"}},
        {4, {UI4(0)}, S_OK, {"RemoveAllBreakpoints"}},
        {4, {UI4(2), Text("a.c"), UI4(3), UI4(1), Text("b.c"), UI4(4), UI4(0)}, S_OK,
         {"RemoveAllBreakpoints", "SetBreakpoint a.c 3 1", "SetBreakpoint b.c 4 0"}},
        {4, {UI4(2), Text("a.c"), UI4(3), UI4(1)}, E_INVALIDARG, {}},
        {5, {UI4(3)}, S_OK, {"SetRunState 3"}},
        {6, {Text("counter"), UI4(7)}, S_OK, {"ShowValue counter 19"}},
        {6, {Text("counter")}, S_OK, {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Exec(c.id, c.values), c.result) << c.id;
        EXPECT_EQ(TakeCalls(), c.calls) << c.id;
    }
}

TEST_F(Brennet, TheSetupDialogRunsUntilTheUserChoosesAUsableTool)
{
    std::string program = (std::filesystem::temp_directory_path() / "brennet-x32.exe").string();
    FILE *file = std::fopen(program.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    Start(nullptr);
    // Cancel changes nothing and links nothing.
    Answer({"201", "cancel"});
    ASSERT_EQ(Exec(2, {}), S_OK);
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{});
    // A path that names no file opens the dialog again; command 2 links the text stored.
    Answer({"201", "click:1001", "text:1003=/no/such/x32.exe", "ok"});
    Answer({"201", "expect:1003=/no/such/x32.exe", "text:1003=" + program, "ok"});
    ASSERT_EQ(Exec(2, {}), S_OK);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Connect " + program, "ShowPosition 0  0"}));
    EXPECT_EQ(Host()->Commands()->Commands().empty(), false);

    // Command 1 answers whether a tool was chosen.
    CVariantArray out(1);
    Answer({"201", "click:1000", "ok"});
    ASSERT_EQ(Exec(1, {}, &out), S_OK);
    EXPECT_EQ(out[0].GetValue().vt, VT_BOOL);
    EXPECT_EQ(out[0].GetValue().boolVal, 1); // written as 1
    Answer({"201", "cancel"});
    ASSERT_EQ(Exec(1, {}, &out), S_OK);
    EXPECT_EQ(out[0].GetValue().boolVal, VARIANT_FALSE);
    std::remove(program.c_str());
}

TEST_F(Brennet, NothingIsLeftCountedOnceTheComponentIsCleanedUpAndLetGo)
{
    // The module's locks count the host's objects of this test too, and the component.
    const LONG objects = QelGetLiveComObjects(), locks = _pAtlModule->GetLockCount();
    CComObject<EventSink> *sink = nullptr;
    ASSERT_EQ(CComObject<EventSink>::CreateInstance(&sink), S_OK);
    CComPtr<IUnknown> hold(sink->GetUnknown());
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(component_, hold, IID__IQelComponentEvents, &cookie), S_OK);
    ASSERT_EQ(component_->SetDiagnostics(100, host_), S_OK);
    Start("EasyCODE Debug Interface");
    ASSERT_EQ(Exec(2, {}), S_OK);
    for (DWORD id = 3; id <= 7; ++id)
        Exec(id, {UI4(1), Text("main.c"), UI4(12)});
    ASSERT_EQ(component_->BeginCmdSequence(), S_OK);
    ASSERT_EQ(component_->EndCmdSequence(), S_OK);
    EXPECT_EQ(component_->Cleanup(), S_OK);
    EXPECT_EQ(Host()->Registrations(), 0u);
    AtlUnadvise(component_, IID__IQelComponentEvents, cookie);
    component_.Release();
    brennet_ = nullptr;
    hold.Release();
    EXPECT_EQ(_pAtlModule->GetLockCount(), locks - 1);
    EXPECT_EQ(QelGetLiveComObjects(), objects);
    // The link went with Cleanup.
    std::vector<std::string> calls = TakeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()), (std::vector<std::string>{"Disconnect", "deleted"}));
}

TEST_F(Brennet, RegistrationLeavesTheOtherAddOnsAndTheirKey)
{
    const char *addOns = "SOFTWARE\\Tosk\\Qelvane\\Version3\\AddOns";
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(addOns) + "\\OtherAddOn").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(other, "ProgID", 0, REG_SZ, reinterpret_cast<const BYTE *>("QEL.Other.1"), 12);
    RegCloseKey(other);

    ASSERT_EQ(CBrennet::UpdateRegistry(TRUE), S_OK);
    auto text = [](HKEY root, const std::string &key, const char *value) {
        char data[512] = {};
        LONG size = sizeof data;
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return std::string("(none)");
        DWORD length = sizeof data, type = 0;
        LONG result = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE *>(data), &length);
        RegCloseKey(opened);
        (void)size;
        if (result != ERROR_SUCCESS)
            return std::string("(no value)");
        return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD *>(data)) : std::string(data);
    };
    std::string key = std::string(addOns) + "\\QELCaseToolSupport";
    const char *clsid = "CLSID\\{6BF73296-759E-44DF-81AE-B4E31FE2F210}";
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, addOns, nullptr), "QEL AddOns and Extensions");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, key, nullptr), "Support of Case Tools Connection");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, key, "ProgID"), "QEL.CaseSupport.1");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, key, "QEL.Arm7ArchSrv.1"), "1");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "QEL.CaseSupport\\CurVer", nullptr), "QEL.CaseSupport.1");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, std::string(clsid) + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, std::string(clsid) + "\\TypeLib", nullptr),
              "{61EA5FE4-E26F-4D22-9A0F-4B11F640E18C}");

    ASSERT_EQ(CBrennet::UpdateRegistry(FALSE), S_OK);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, key, nullptr), "(none)");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, clsid, nullptr), "(none)");
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "QEL.CaseSupport.1", nullptr), "(none)");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, std::string(addOns) + "\\OtherAddOn", "ProgID"), "QEL.Other.1");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, addOns, nullptr), "QEL AddOns and Extensions");
}

} // namespace

namespace {

typedef HRESULT (*EntryPoint)();

// The distinct addresses of `line` of main.c in readelf's decoded line table, in order.
std::vector<ULONG> ReadelfAddresses(int line)
{
    std::vector<ULONG> addresses;
    FILE *table = std::fopen((std::string(kQelSourceDir) + "/testdata/elf/arm7-mixed.decodedline.txt").c_str(), "r");
    if (table == nullptr)
        return addresses;
    char text[256];
    while (std::fgets(text, sizeof text, table) != nullptr) {
        char file[64];
        int number = 0;
        unsigned address = 0;
        if (std::sscanf(text, "%63s %d %x", file, &number, &address) == 3 && std::string(file) == "main.c" &&
            number == line && std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    std::fclose(table);
    return addresses;
}

// Korvex from libKorvex.so inside the host's debug-server object, with arm7-mixed.elf loaded.
class BrennetWithKorvex : public Brennet {
protected:
    void SetUp() override
    {
        Brennet::SetUp();
        library_ = dlopen(kQelKorvexLibraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        ASSERT_EQ(reinterpret_cast<EntryPoint>(dlsym(library_, "DllRegisterServer"))(), S_OK);
        databases_ = (std::filesystem::temp_directory_path() / "brennet-korvex-XXXXXX").string();
        ASSERT_NE(mkdtemp(databases_.data()), nullptr);
        // Korvex's windows (watch, program), whose views the frame's factories make. The
        // program window is the host's double of it, as in qelhost's session: the frame's
        // plain view refuses the window's commands, so Korvex, never told that the window
        // shows the position, would open one more window at every stop.
        ASSERT_EQ(QelHost::RegisterSymbolViewServers(), ERROR_SUCCESS);
        frame_->SetViewFactory("StdQelProgWin", QelHost::ProgWinViewFactory());
        ASSERT_EQ(Host()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        CComPtr<IUnknown> profile;
        Host()->GetProfile(&profile);
        auto *items = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
        items->SetItem(u"System", u"DATABASE_SPECIAL", CComVariant(true));
        items->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(databases_.c_str()));
        server_ = CComQIPtr<IQelSymbSrv>(host_);
        ASSERT_NE(server_, nullptr);
        workspace_.Attach(NewMemoryStorage());
        ASSERT_EQ(server_->Init(host_, nullptr), S_OK);
        ASSERT_EQ(server_->Init(workspace_, static_cast<IQelHostFrame *>(frame_)), S_OK);
        ASSERT_EQ(server_->RestoreSettings(), S_OK);
        frame_->SetDebugServer(host_);
        CComQIPtr<IQelSymbol> symbol(host_);
        int request = 0;
        std::string program = std::string(kQelSourceDir) + "/testdata/elf/" + Program();
        CComPtr<IUnknown> info;
        ASSERT_EQ(symbol->LoadFile(CComBSTR(program.c_str()), 1, 0, &request), S_OK);
        ASSERT_EQ(symbol->GetProgramInfo(request, &info), S_OK);
    }
    void TearDown() override
    {
        if (host_ != nullptr)
            Host()->SetAddOns({});
        if (component_ != nullptr)
            component_->Cleanup();
        if (frame_ != nullptr)
            frame_->SetDebugServer(nullptr);
        if (server_ != nullptr)
            server_->Cleanup();
        server_.Release();
        Host()->ReleaseSymbolServer();
        workspace_.Release();
        Brennet::TearDown();
        CoFreeUnusedLibraries();
        if (library_ != nullptr) {
            reinterpret_cast<EntryPoint>(dlsym(library_, "DllUnregisterServer"))();
            dlclose(library_);
        }
        std::error_code ignored;
        std::filesystem::remove_all(databases_, ignored);
    }
    virtual const char *Program() const { return "arm7-mixed.elf"; }
    // Handles the thread's messages until `done`, for a few seconds at most.
    bool PumpUntil(const std::function<bool()> &done, DWORD milliseconds = 10000)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            if (done())
                return true;
            Sleep(5);
        }
        return false;
    }

    void *library_ = nullptr;
    std::string databases_;
    CComPtr<IQelSymbSrv> server_;
    CComPtr<IStorage> workspace_;
};

TEST_F(BrennetWithKorvex, TheConnectShowsKorvexsPositionAndABreakpointLineSendsItsAddresses)
{
    Start("EasyCODE Debug Interface");
    CVariantArray shown(3);
    ASSERT_EQ(COleTarCmdCaller(host_, &CLSID_QelSymbol).Exec(29, nullptr, &shown, 0), S_OK);
    CCommandValues position(&shown);
    std::string expected = "ShowPosition " + std::to_string(position.UI4(0)) + " " +
                           std::string(position.Text(1)) + " " + std::to_string(position.UI4(2));
    ASSERT_EQ(Exec(2, {}), S_OK);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"Connect EasyCODE Debug Interface", expected}));
    EXPECT_EQ(HostBreakpointCommands(), std::vector<std::string>{"3 16"});

    CCaseToolComm *link = brennet_->ToolLink();
    ASSERT_NE(link, nullptr);
    for (int line : {29, 30}) {
        size_t before = HostBreakpointCommands().size();
        ASSERT_TRUE(link->SendBreakpointAddresses(("main.c " + std::to_string(line)).c_str(), 3, TRUE));
        ASSERT_TRUE(PumpUntil([&] { return HostBreakpointCommands().size() > before; })) << line;
        // 2, TRUE (as 1), the first record's name, then a triple per address: mode 1,
        // the address, the third word.
        // The last of the host's breakpoint group: the host tells the symbol server of the
        // change with commands of its own after it.
        QelHost::HostCommand sent;
        for (const QelHost::HostCommand &command : Host()->Commands()->Commands()) {
            if (IsEqualGUID(command.group, CGID_QelHostBreakpoints))
                sent = command;
        }
        CVariantArray values(&sent.input, FALSE);
        ASSERT_GE(values.GetSize(), 3);
        EXPECT_EQ(sent.id, 3u);
        EXPECT_EQ(values[0].GetValue().vt, VT_UI4);
        EXPECT_EQ(values[0].GetValue().ulVal, 2u);
        EXPECT_EQ(values[1].GetValue().vt, VT_BOOL);
        EXPECT_EQ(values[1].GetValue().boolVal, 1);
        EXPECT_EQ(CString(values[2].GetValue().bstrVal).Find("main {"), 1);
        std::vector<ULONG> addresses;
        for (int i = 3; i + 2 < values.GetSize(); i += 3) {
            EXPECT_EQ(values[i].GetValue().vt, VT_I4);
            EXPECT_EQ(values[i].GetValue().lVal, 1);
            addresses.push_back(values[i + 1].GetValue().ulVal);
        }
        EXPECT_EQ(values.GetSize() % 3, 0);
        EXPECT_EQ(addresses, ReadelfAddresses(line)) << line;
    }
    // A line without code sends nothing: the answer to a later request, which comes after
    // its own, is the only one sent.
    size_t before = HostBreakpointCommands().size();
    ASSERT_TRUE(link->SendBreakpointAddresses("main.c 2", 3, TRUE));
    ASSERT_TRUE(link->SendBreakpointAddresses("main.c 29", 8, TRUE));
    ASSERT_TRUE(PumpUntil([&] { return HostBreakpointCommands().size() > before; }));
    PumpUntil([] { return false; }, 200);
    std::vector<std::string> sent = HostBreakpointCommands();
    ASSERT_EQ(sent.size(), before + 1);
    EXPECT_EQ(sent.back().substr(0, 2), "8 ");
}

// The indexes that Korvex's command 71 was sent, in order.
std::vector<LONG> AddWatchSymbolIndexes(QelHost::CHostDebugServer *host)
{
    std::vector<LONG> indexes;
    for (const QelHost::HostCommand &command : host->Commands()->Commands()) {
        if (!IsEqualGUID(command.group, CLSID_QelSymbol) || command.id != 71)
            continue;
        CVariantArray values(const_cast<VARIANT *>(static_cast<const VARIANT *>(&command.input)), FALSE);
        indexes.push_back(values.GetSize() == 1 && values[0].GetValue().vt == VT_I4 ? values[0].GetValue().lVal : -1);
    }
    return indexes;
}

TEST_F(BrennetWithKorvex, TheWatchRoutineAndCommandSevenAddTheGlobalAtThePcToKorvexsWatchWindow)
{
    frame_->SetViewFactory("StdQelWatchWin", QelHost::WatchViewFactory());
    Host()->Target()->SetPc(0x9C); // line 29 of main, where tick_count is the global
    Start("EasyCODE Debug Interface");
    ASSERT_EQ(Exec(2, {}), S_OK);
    CCaseToolComm *link = brennet_->ToolLink();
    ASSERT_NE(link, nullptr);
    auto watchCalls = [&]() -> std::vector<QelHost::WatchViewCall> {
        std::vector<QelHost::CHostView *> views = frame_->Views("StdQelWatchWin");
        return views.size() == 1 ? static_cast<QelHost::CHostWatchView *>(views[0])->Calls()
                                 : std::vector<QelHost::WatchViewCall>();
    };

    // No watch window yet: the first 71 opens it, the second adds the symbol.
    ASSERT_TRUE(link->AddWatchVariable("tick_count"));
    ASSERT_TRUE(PumpUntil([&] { return watchCalls().size() == 1; }));
    std::vector<LONG> sent = AddWatchSymbolIndexes(Host());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], sent[1]);
    EXPECT_EQ(watchCalls()[0].method, "AddWatchSymbol");
    EXPECT_EQ(watchCalls()[0].id, sent[0]);
    CSymbolProcessing client;
    ASSERT_TRUE(client.Attach(host_));
    CVariableTagArray variable;
    ASSERT_TRUE(client.GetVariables(client.RequestVariableByIndex(sent[0], 0), variable));
    ASSERT_EQ(variable.GetSize(), 1);
    EXPECT_EQ(variable[0].Name, "tick_count");
    client.Detach();

    // "r*" is rx_buffer's and runs's: nothing goes for it, only for the request after it.
    ASSERT_TRUE(link->AddWatchVariable("r*"));
    ASSERT_TRUE(link->AddWatchVariable("runs"));
    ASSERT_TRUE(PumpUntil([&] { return watchCalls().size() == 2; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(AddWatchSymbolIndexes(Host()).size(), 3u);
    EXPECT_EQ(watchCalls().size(), 2u);

    // Command 7 goes the frame's way with the index it is given.
    CComVariant index(sent[0]);
    ASSERT_EQ(Exec(7, {index}), S_OK);
    ASSERT_EQ(watchCalls().size(), 3u);
    EXPECT_EQ(watchCalls()[2].id, sent[0]);
    EXPECT_EQ(AddWatchSymbolIndexes(Host()).back(), sent[0]);
}

// The line that gdb's `info line` gives for main's address, and that address
// (testdata/elf/arm7-mixed.gdb-functions.txt, made by make-progwin-oracle.sh).
bool GdbMainLine(ULONG *line, ULONG *address)
{
    FILE *oracle =
        std::fopen((std::string(kQelSourceDir) + "/testdata/elf/arm7-mixed.gdb-functions.txt").c_str(), "r");
    if (oracle == nullptr)
        return false;
    char text[256];
    bool found = false;
    while (!found && std::fgets(text, sizeof text, oracle) != nullptr)
        found = std::sscanf(text, "Line %u of \"src/main.c\" starts at address %x", line, address) == 2;
    std::fclose(oracle);
    return found;
}

TEST_F(BrennetWithKorvex, StopsAfterTheFirstShowTheirPositionInItsWindowAndLeaveNothingCounted)
{
    ULONG line = 0, address = 0;
    ASSERT_TRUE(GdbMainLine(&line, &address));
    Host()->Target()->Stop(address);
    ASSERT_TRUE(PumpUntil([&] { return frame_->Views("StdQelProgWin").size() == 1; }));
    PumpUntil([] { return false; }, 200);
    const LONG shown = _pAtlModule->GetLockCount();
    for (ULONG pc : {address, address + 4, address}) {
        Host()->Target()->Run();
        Host()->Target()->Stop(pc);
        PumpUntil([] { return false; }, 200);
    }
    EXPECT_EQ(frame_->Views("StdQelProgWin").size(), 1u);
    EXPECT_EQ(_pAtlModule->GetLockCount(), shown);
}

TEST_F(BrennetWithKorvex, AMarkedLineOfTheProgramWindowIsShownInTheToolAtGdbsLine)
{
    ULONG line = 0, address = 0;
    ASSERT_TRUE(GdbMainLine(&line, &address));
    CComPtr<IUnknown> profile;
    Host()->GetProfile(&profile);
    static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p))
        ->SetItem(u"Compiler", u"SOURCE_FILES_ROOT", CComVariant((std::string(kQelSourceDir) + "/testdata/elf/src").c_str()));
    Start("EasyCODE Debug Interface");
    ASSERT_EQ(Exec(2, {}), S_OK);
    TakeCalls();
    Host()->SetAddOns({component_}); // the frame add-on's commands reach it, as the host's start makes them
    Host()->Target()->Stop(address);
    // The stop tells the tool the run state too; the mark is the one position.
    std::vector<std::string> calls;
    ASSERT_TRUE(PumpUntil([&] {
        for (std::string &call : TakeCalls()) {
            if (call.rfind("ShowPosition", 0) == 0)
                calls.push_back(call);
        }
        return !calls.empty();
    }));
    PumpUntil([] { return false; }, 200);
    for (std::string &call : TakeCalls()) {
        if (call.rfind("ShowPosition", 0) == 0)
            calls.push_back(call);
    }
    ASSERT_EQ(calls.size(), 1u);
    const std::string suffix = "main.c " + std::to_string(line);
    EXPECT_EQ(calls[0].substr(0, 15), "ShowPosition 1 ");
    EXPECT_EQ(calls[0].substr(calls[0].size() - suffix.size()), suffix) << calls[0];
}

// The add-on's own EasyCODE link, against the EasyCODE double, with Korvex answering.
class EasyCodeWithKorvex : public BrennetWithKorvex {
protected:
    void SetUp() override
    {
        BrennetWithKorvex::SetUp();
        SetCaseToolFactory(&MakeCaseToolLink);
        ASSERT_EQ(tool_.On(true), S_OK);
    }
    void TearDown() override
    {
        tool_.OnCall(nullptr);
        if (component_ != nullptr)
            component_->Cleanup();
        tool_.Off();
        tool_.TakeCalls();
        BrennetWithKorvex::TearDown();
    }
    // Linked, with the frame add-on's commands reaching the add-on as the host's start
    // makes them; the calls of the link's start taken.
    CEasyCodeComm *Link(std::vector<std::string> *started = nullptr)
    {
        Start("EasyCODE Debug Interface");
        EXPECT_EQ(Exec(2, {}), S_OK);
        Host()->SetAddOns({component_});
        std::vector<std::string> calls = ToolCalls();
        if (started != nullptr)
            *started = calls;
        return dynamic_cast<CEasyCodeComm *>(brennet_->ToolLink());
    }
    std::vector<std::string> ToolCalls()
    {
        std::vector<std::string> lines;
        for (const QelHost::EcDebugCall &call : tool_.TakeCalls())
            lines.push_back(QelHost::FormatEcDebugCall(call));
        return lines;
    }
    HRESULT Fire(int iface, DISPID dispid, std::vector<CComVariant> args)
    {
        HRESULT answer = E_UNEXPECTED;
        EXPECT_TRUE(tool_.Fire(iface, dispid, args, &answer, nullptr));
        return answer;
    }
    // The values shown in the tool (slot 18) since the last look; a stop also shows the
    // position and the run state.
    std::vector<std::string> ShownValues()
    {
        std::vector<std::string> values;
        for (const std::string &call : ToolCalls()) {
            if (call.rfind("18 ", 0) == 0)
                values.push_back(call);
        }
        return values;
    }
    // The breakpoint-group commands after the first `seen`: the id, the flag (or -1 for
    // address values) and the addresses.
    struct SentBreakpoint {
        DWORD id;
        LONG flag;
        std::vector<ULONG> addresses;
    };
    std::vector<SentBreakpoint> SentBreakpoints(size_t seen)
    {
        std::vector<SentBreakpoint> sent;
        size_t index = 0;
        for (const QelHost::HostCommand &command : Host()->Commands()->Commands()) {
            if (!IsEqualGUID(command.group, CGID_QelHostBreakpoints) || index++ < seen)
                continue;
            CVariantArray values(const_cast<VARIANT *>(static_cast<const VARIANT *>(&command.input)), FALSE);
            SentBreakpoint one{command.id, -1, {}};
            if (command.id == 8) {
                for (int i = 0; i < values.GetSize(); ++i)
                    one.addresses.push_back(values[i].GetValue().ulVal);
            } else if (values.GetSize() >= 3) {
                one.flag = values[1].GetValue().boolVal;
                for (int i = 3; i + 2 < values.GetSize(); i += 3)
                    one.addresses.push_back(values[i + 1].GetValue().ulVal);
            }
            sent.push_back(one);
        }
        return sent;
    }

    QelHost::EcDebugDouble tool_;
};

TEST_F(EasyCodeWithKorvex, TheLinkStartsTheToolAndItsBreakpointEventsSendTheLinesAddresses)
{
    std::vector<std::string> started;
    CEasyCodeComm *link = Link(&started);
    ASSERT_NE(link, nullptr);
    ASSERT_GE(started.size(), 2u);
    EXPECT_EQ(started[0], "21 bstr:\"QEL Debugee\"");
    EXPECT_EQ(started[1], "17");
    // Stored breakpoints of main.c, whatever case either name is written in. The host
    // sends its own list to the tool after each change of it, so they are stored anew
    // before each event.
    auto store = [&] {
        ASSERT_TRUE(link->RemoveAllBreakpoints());
        ASSERT_TRUE(link->SetBreakpoint("main.c", 29, TRUE));
        ASSERT_TRUE(link->SetBreakpoint("MAIN.C", 30, TRUE));
        ASSERT_TRUE(link->SetBreakpoint("util.c", 5, TRUE));
    };
    const std::vector<ULONG> line29 = ReadelfAddresses(29), line30 = ReadelfAddresses(30);
    ASSERT_FALSE(line29.empty());
    ASSERT_FALSE(line30.empty());

    // Each event's host command: the id, its flag (-1 for the address values of 8) and
    // the addresses, one command per line.
    struct Case {
        int iface;
        DISPID dispid;
        std::vector<CComVariant> args;
        std::vector<SentBreakpoint> sent;
    } cases[] = {
        {1, 1, {CComVariant("main.c"), CComVariant(LONG(29))}, {{3, 1, line29}}},
        {1, 2, {CComVariant("main.c"), CComVariant(LONG(29))}, {{2, 1, line29}}},
        {1, 3, {CComVariant("main.c"), CComVariant(LONG(30))}, {{5, 1, line30}}},
        {1, 4, {CComVariant("main.c"), CComVariant(LONG(30))}, {{5, 0, line30}}},
        {1, 19, {CComVariant("Main.c")}, {{2, 1, line29}, {2, 1, line30}}},
        {1, 21, {CComVariant("main.C")}, {{5, 1, line29}, {5, 1, line30}}},
        {1, 23, {CComVariant("MAIN.c")}, {{5, 0, line29}, {5, 0, line30}}},
        {2, 3, {CComVariant("main.c"), CComVariant(LONG(30))}, {{8, -1, line30}}},
    };
    for (const Case &c : cases) {
        store();
        const size_t seen = HostBreakpointCommands().size();
        EXPECT_EQ(Fire(c.iface, c.dispid, c.args), S_OK) << c.dispid;
        EXPECT_TRUE(PumpUntil([&] { return SentBreakpoints(seen).size() >= c.sent.size(); })) << c.dispid;
        PumpUntil([] { return false; }, 100);
        std::vector<SentBreakpoint> sent = SentBreakpoints(seen);
        ASSERT_EQ(sent.size(), c.sent.size()) << c.dispid;
        // The answers of two lines may come in either order.
        if (sent.size() == 2 && sent[0].addresses != c.sent[0].addresses)
            std::swap(sent[0], sent[1]);
        for (size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].id, c.sent[i].id) << c.dispid;
            EXPECT_EQ(sent[i].flag, c.sent[i].flag) << c.dispid;
            EXPECT_EQ(sent[i].addresses, c.sent[i].addresses) << c.dispid;
        }
    }
    // A file without stored breakpoints sends nothing.
    store();
    const size_t seen = HostBreakpointCommands().size();
    for (DISPID dispid : {19, 21, 23})
        EXPECT_EQ(Fire(1, dispid, {CComVariant("none.c")}), E_FAIL) << dispid;
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(SentBreakpoints(seen).size(), 0u);
}

TEST_F(EasyCodeWithKorvex, TheToolsWatchWindowEventsAddAndDeleteTheGlobalAtThePcInKorvex)
{
    frame_->SetViewFactory("StdQelWatchWin", QelHost::WatchViewFactory());
    Host()->Target()->SetPc(0x9C); // line 29 of main, where tick_count is the global
    ASSERT_NE(Link(), nullptr);
    auto watchCalls = [&]() -> std::vector<QelHost::WatchViewCall> {
        std::vector<QelHost::CHostView *> views = frame_->Views("StdQelWatchWin");
        return views.size() == 1 ? static_cast<QelHost::CHostWatchView *>(views[0])->Calls()
                                 : std::vector<QelHost::WatchViewCall>();
    };
    EXPECT_EQ(Fire(1, 14, {CComVariant("tick_count")}), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return watchCalls().size() == 1; }));
    EXPECT_EQ(watchCalls()[0].method, "AddWatchSymbol");
    std::vector<LONG> added = AddWatchSymbolIndexes(Host());
    ASSERT_FALSE(added.empty());
    EXPECT_EQ(watchCalls()[0].id, added.back());

    auto deleted = [&] {
        std::vector<LONG> indexes;
        for (const QelHost::HostCommand &command : Host()->Commands()->Commands()) {
            if (IsEqualGUID(command.group, CLSID_QelSymbol) && command.id == 72)
                indexes.push_back(CVariantArray(&const_cast<QelHost::HostCommand &>(command).input, FALSE)[0]
                                      .GetValue()
                                      .lVal);
        }
        return indexes;
    };
    // "r*" is rx_buffer's and runs's: nothing goes for it, only for the request after it.
    EXPECT_EQ(Fire(1, 15, {CComVariant("r*")}), S_OK);
    EXPECT_EQ(Fire(1, 15, {CComVariant("tick_count")}), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !deleted().empty(); }));
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(deleted(), std::vector<LONG>{added.back()});
}

// The same on the watch program, whose globals' values gdb knows.
class EasyCodeOnWatchProgram : public EasyCodeWithKorvex {
protected:
    const char *Program() const override { return "watch-O0.elf"; }
};

// gdb's print/d of a global of watch-O0.elf (watch-format.txt).
std::string GdbDecimal(const std::string &name)
{
    FILE *oracle = std::fopen((std::string(kQelSourceDir) + "/testdata/elf/watch-format.txt").c_str(), "r");
    if (oracle == nullptr)
        return "";
    char text[512];
    std::string prefix = "watch-O0.elf\t" + name + "\td\t", answer;
    while (answer.empty() && std::fgets(text, sizeof text, oracle) != nullptr) {
        std::string line = text;
        if (line.rfind(prefix, 0) == 0)
            answer = line.substr(prefix.size(), line.find_last_not_of("\r\n") + 1 - prefix.size());
    }
    std::fclose(oracle);
    return answer;
}

TEST_F(EasyCodeOnWatchProgram, AWatchForTheToolShowsTheValueAtTheNextStopAndOnlyTheLatestIsFollowed)
{
    std::string reason;
    ASSERT_TRUE(Host()->Target()->LoadProgram((std::string(kQelSourceDir) + "/testdata/elf/watch-O0.elf").c_str(),
                                              &reason))
        << reason;
    const ULONG main = 0x26C;
    Host()->Target()->SetPc(main);
    CEasyCodeComm *link = Link();
    ASSERT_NE(link, nullptr);

    auto shown = [&](const std::string &name) {
        EXPECT_EQ(Fire(1, 13, {CComVariant(name.c_str())}), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return link->PendingWatches() == 0 && link->FollowsWatch(); })) << name;
        Host()->Target()->Stop(main);
        EXPECT_FALSE(link->FollowsWatch()) << "one value per watch";
        return ShownValues();
    };
    std::vector<std::string> calls = shown("g_int");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "18 bstr:g_int i4:" + GdbDecimal("g_int"));
    const LONG written = 1234567;
    ASSERT_TRUE(Host()->Target()->WriteMemory(QelHost::MemoryPort::Host, 0x40000008, 4,
                                              reinterpret_cast<const BYTE *>(&written)));
    EXPECT_EQ(shown("g_int"), std::vector<std::string>{"18 bstr:g_int i4:1234567"});
    Host()->Target()->Stop(main);
    EXPECT_EQ(ShownValues(), std::vector<std::string>{}) << "a stop without a watch shows nothing";

    // Twenty watches at once: the latest answer is followed, the older objects are
    // pooled (four at most) and the map of requests is empty again.
    const char *names[] = {"g_schar", "g_uchar", "g_char",  "g_short", "g_ushort", "g_int",     "g_uint",
                           "g_long",  "g_ulong", "g_llong", "g_ullong", "g_float", "g_double",  "g_byte",
                           "g_zero",  "origin",  "grid",    "missing", "g_level", "shared_name"};
    for (const char *name : names)
        EXPECT_EQ(Fire(1, 13, {CComVariant(name)}), S_OK) << name;
    ASSERT_TRUE(PumpUntil([&] { return link->PendingWatches() == 0; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(link->FollowsWatch());
    EXPECT_EQ(link->PendingWatches(), 0);
    EXPECT_EQ(link->PooledWatches(), 4);
    Host()->Target()->Stop(main);
    calls = ShownValues();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("18 bstr:", 0), 0u) << calls[0];
}

TEST_F(EasyCodeOnWatchProgram, TheAddOnCleanedUpWhileTheToolShowsAValueLetsTheLinkGoAfterTheStop)
{
    std::string reason;
    ASSERT_TRUE(Host()->Target()->LoadProgram((std::string(kQelSourceDir) + "/testdata/elf/watch-O0.elf").c_str(),
                                              &reason))
        << reason;
    Host()->Target()->SetPc(0x26C);
    CEasyCodeComm *link = Link();
    ASSERT_NE(link, nullptr);
    const LONG linked = _pAtlModule->GetLockCount();
    EXPECT_EQ(Fire(1, 13, {CComVariant("g_int")}), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return link->PendingWatches() == 0 && link->FollowsWatch(); }));
    // The value reaches the tool inside the stop's event of the variable object; the host
    // ends the add-on meanwhile.
    bool cleaned = false;
    tool_.OnCall([&](const QelHost::EcDebugCall &call) {
        if (call.slot == 18 && !cleaned) {
            cleaned = true;
            EXPECT_EQ(component_->Cleanup(), S_OK);
        }
    });
    Host()->Target()->Stop(0x26C);
    tool_.OnCall(nullptr);
    ASSERT_TRUE(cleaned);
    EXPECT_EQ(brennet_->ToolLink(), nullptr);
    std::vector<std::string> calls = ToolCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "18 bstr:g_int i4:" + GdbDecimal("g_int"));
    EXPECT_EQ(calls.back(), "15") << "debugging ends in the tool at once";
    EXPECT_EQ(tool_.Sinks(1) + tool_.Sinks(2), 0);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(ToolCalls(), std::vector<std::string>{});
    // The link, its watch object and the tool's object are gone once the stop is over;
    // the stop's own objects stay the host's.
    EXPECT_LE(_pAtlModule->GetLockCount(), linked);
}

TEST_F(EasyCodeOnWatchProgram, EveryWatchObjectGoesWithTheLinkFollowedPooledOrWaiting)
{
    std::string reason;
    ASSERT_TRUE(Host()->Target()->LoadProgram((std::string(kQelSourceDir) + "/testdata/elf/watch-O0.elf").c_str(),
                                              &reason))
        << reason;
    Host()->Target()->SetPc(0x26C);
    CEasyCodeComm *link = Link();
    ASSERT_NE(link, nullptr);
    // The module counts the host's objects, among them the inner object of each of
    // Korvex's variable objects, and the tool's object.
    const LONG linked = _pAtlModule->GetLockCount();
    const char *names[] = {"g_schar", "g_uchar", "g_char", "g_short", "g_ushort", "g_int", "g_uint", "g_long",
                           "g_ulong", "g_llong"};
    for (const char *name : names)
        EXPECT_EQ(Fire(1, 13, {CComVariant(name)}), S_OK) << name;
    ASSERT_TRUE(PumpUntil([&] { return link->PendingWatches() == 0; }));
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(link->FollowsWatch());
    EXPECT_EQ(link->PooledWatches(), 4);
    EXPECT_GT(_pAtlModule->GetLockCount(), linked);
    // Ten more whose answers are still to come when the link goes.
    for (const char *name : names)
        EXPECT_EQ(Fire(1, 13, {CComVariant(name)}), S_OK) << name;
    EXPECT_TRUE(PumpUntil([&] { return link->PendingWatches() > 0; }));
    EXPECT_EQ(component_->Cleanup(), S_OK);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(_pAtlModule->GetLockCount(), linked - 1) << "only the tool's object is let go besides them";
}

} // namespace
