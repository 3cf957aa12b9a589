// The symbol server's COM classes, registered in-process from the test program's own
// module, aggregated by a host double as the host's debug-server object aggregates them.
#include "enginetesting.h"
#include "korvextestmodule.h"
#include "symservertesting.h"

#include <korvexapp.h>
#include <qelsymbolclasses.h>
#include <progfilestrings.h>
#include <symdbstrings.h>
#include <symserverscripts.h>
#include <symserverstrings.h>
#include <tararchconverter.h>

#include <testing/buildpaths.h>
#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <elfglobals.h>
#include <nameencoding.h>
#include <tagtransfer.h>

#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <vector>

namespace {

// The test program is a module of its own, with Korvex's strings and scripts.
const QEL_MODULE_RESOURCES &TestResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), g_SymserverResources,
                                                   g_SymserverResourceCount};
    return resources;
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(TestResources())

namespace {

using symsrvtest::CAggregatingHost;
using symsrvtest::CRecordingSink;
using symsrvtest::MakeHost;

// The module of the test program, with Korvex's object map, its classes registered in
// the process's class table for the time of one test.
class SymbolServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        host_ = MakeHost(CLSID_QelSymbol);
        ASSERT_NE(host_, nullptr);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv_)), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol_)), S_OK);
    }

    void TearDown() override
    {
        srv_.Release();
        symbol_.Release();
        if (host_ != nullptr)
            host_->Release();
        // Every object of the module is gone with the host that held it.
        module_.Revoke();
    }

    IUnknown *HostUnknown() { return host_->GetUnknown(); }
    CQelSymbolServer *Server() { return static_cast<CQelSymbolServer *>(static_cast<CFvSymbSrv *>(srv_.p)); }

    // The host's order: the owner, then the storage and the GUI server, then the settings.
    void InitAsHost()
    {
        ASSERT_EQ(srv_->Init(HostUnknown(), nullptr), S_OK);
        storage_.Attach(NewMemoryStorage());
        ASSERT_EQ(srv_->Init(storage_, &gui_), S_OK);
        ASSERT_EQ(srv_->RestoreSettings(), S_OK);
    }

    LONG_PTR Sync(tagSynchronizeFunction code, IUnknown *in = nullptr)
    {
        IUnknown *value = in;
        EXPECT_EQ(srv_->Synchronize(code, &value), S_OK);
        return reinterpret_cast<LONG_PTR>(value);
    }

    CKorvexTestModule module_;
    CComObject<CAggregatingHost> *host_ = nullptr;
    CComPtr<IQelSymbSrv> srv_;
    CComPtr<IQelSymbol> symbol_;
    CComPtr<IStorage> storage_;
    CountedObject gui_;
};

TEST_F(SymbolServer, AnswersForTheHostObjectThatAggregatesIt)
{
    CComPtr<IUnknown> identity;
    ASSERT_EQ(symbol_->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity)), S_OK);
    EXPECT_EQ(identity.p, HostUnknown());
    CComPtr<IOleCommandTarget> hostCommands;
    EXPECT_EQ(srv_->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void **>(&hostCommands)), S_OK);
    for (const IID *iid : {&IID_IQelSymbol2, &IID_IConnectionPointContainer, &IID_ISupportErrorInfo}) {
        CComPtr<IUnknown> itf;
        EXPECT_EQ(HostUnknown()->QueryInterface(*iid, reinterpret_cast<void **>(&itf)), S_OK);
    }
    // The free-threaded marshaler is aggregated, and marshals nothing in one process.
    void *marshal = nullptr;
    EXPECT_EQ(HostUnknown()->QueryInterface(IID_IMarshal, &marshal), E_NOINTERFACE);
    // Until the host's Init names its object, the owner is the controlling unknown.
    IUnknown *master = reinterpret_cast<IUnknown *>(Sync(SYF_GET_MASTER_DEBUGGER));
    EXPECT_EQ(master, HostUnknown());
    master->Release();
}

TEST_F(SymbolServer, GivesItsVersionAndItsLastErrorOnce)
{
    CComBSTR version;
    ASSERT_EQ(srv_->GetVersion(&version), S_OK);
    EXPECT_EQ(std::u16string(version), u"Standard QEL Symbol Server");
    EXPECT_EQ(srv_->GetVersion(nullptr), E_FAIL);

    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(srv_->GetErrorInfo(&text), S_FALSE);
    EXPECT_EQ(text, reinterpret_cast<BSTR>(1));
    Server()->SetLastErrorText("No database");
    CComBSTR error;
    ASSERT_EQ(srv_->GetErrorInfo(&error), S_OK);
    EXPECT_EQ(std::u16string(error), u"StdQelSymbSrv:\nNo database");
    EXPECT_EQ(srv_->GetErrorInfo(&text), S_FALSE);
    EXPECT_EQ(srv_->GetErrorInfo(nullptr), E_FAIL);
}

TEST_F(SymbolServer, RunsTheHostsInitialisationOrderAndCleansUp)
{
    InitAsHost();
    EXPECT_NE(Server()->EngineHolder().GetEngine(), nullptr);
    EXPECT_EQ(Sync(SYF_GET_OWN_STORAGE), reinterpret_cast<LONG_PTR>(storage_.p));
    IUnknown *master = reinterpret_cast<IUnknown *>(Sync(SYF_GET_MASTER_DEBUGGER));
    EXPECT_EQ(master, HostUnknown());
    master->Release();
    EXPECT_EQ(srv_->StoreSettings(), S_OK);

    ASSERT_EQ(srv_->Cleanup(), S_OK);
    EXPECT_EQ(Server()->EngineHolder().GetEngine(), nullptr);
    EXPECT_EQ(Sync(SYF_GET_OWN_STORAGE), 0);
    EXPECT_EQ(gui_.References(), 1u);
}

TEST_F(SymbolServer, InitWithTwoNullsEndsTheEngineAndASecondInitReplacesIt)
{
    InitAsHost();
    CSymbolEngine *first = Server()->EngineHolder().GetEngine();
    ASSERT_NE(first, nullptr);
    CComPtr<IStorage> second;
    second.Attach(NewMemoryStorage());
    ASSERT_EQ(srv_->Init(second, &gui_), S_OK);
    EXPECT_NE(Server()->EngineHolder().GetEngine(), nullptr);
    EXPECT_EQ(Sync(SYF_GET_OWN_STORAGE), reinterpret_cast<LONG_PTR>(second.p));
    ASSERT_EQ(srv_->Init(nullptr, nullptr), S_OK);
    EXPECT_EQ(Server()->EngineHolder().GetEngine(), nullptr);
    srv_->Cleanup();
}

TEST_F(SymbolServer, RefusesAStorageThatIsNone)
{
    ASSERT_EQ(srv_->Init(HostUnknown(), nullptr), S_OK);
    CountedObject notAStorage(false);
    EXPECT_EQ(srv_->Init(&notAStorage, &gui_), E_FAIL);
    EXPECT_EQ(Sync(SYF_GET_OWN_STORAGE), 0);
    srv_->Cleanup();
    EXPECT_EQ(notAStorage.References(), 1u);
}

TEST_F(SymbolServer, ReadsTheVarEdSettingFromTheProfile)
{
    VARIANT off;
    off.vt = VT_BOOL;
    off.boolVal = VARIANT_FALSE;
    ASSERT_EQ(host_->Profile()->SetItem(u"System", u"VARED", off), S_OK);
    InitAsHost();
    EXPECT_EQ(Sync(SYF_GET_GLOBAL_VARED), 0);
    EXPECT_EQ(Sync(SYF_GET_VARED), 0);
    Sync(SYF_SET_GLOBAL_VARED, reinterpret_cast<IUnknown *>(1));
    EXPECT_EQ(Sync(SYF_GET_VARED), 1);
    srv_->Cleanup();
}

TEST_F(SymbolServer, TogglingLocalVarEdTwiceRestoresItAndTellsTheWindowsEachTime)
{
    InitAsHost();
    EXPECT_EQ(Sync(SYF_GET_VARED), 1);
    Sync(SYF_TOGGLE_LOCAL_VARED);
    EXPECT_EQ(Sync(SYF_GET_VARED), 0);
    EXPECT_EQ(Sync(SYF_GET_GLOBAL_VARED), 1);
    Sync(SYF_TOGGLE_LOCAL_VARED);
    EXPECT_EQ(Sync(SYF_GET_VARED), 1);
    std::vector<symsrvtest::Command> commands = host_->Commands();
    ASSERT_EQ(commands.size(), 4u);
    const DWORD expected[] = {97, 96, 97, 96};
    for (size_t i = 0; i < 4; i++) {
        EXPECT_EQ(commands[i].id, expected[i]);
        EXPECT_EQ(commands[i].group, CLSID_QelSymbol);
    }
    srv_->Cleanup();
}

TEST_F(SymbolServer, UnknownSynchronizeCodesChangeNothing)
{
    InitAsHost();
    for (int code : {6, 99, 200}) {
        IUnknown *value = reinterpret_cast<IUnknown *>(0x1234);
        EXPECT_EQ(srv_->Synchronize(static_cast<tagSynchronizeFunction>(code), &value), S_OK);
        EXPECT_EQ(value, reinterpret_cast<IUnknown *>(0x1234));
    }
    EXPECT_EQ(srv_->Synchronize(SYF_GET_VARED, nullptr), E_POINTER);
    EXPECT_TRUE(host_->Commands().empty());
    srv_->Cleanup();
}

TEST_F(SymbolServer, TwoServersBindEachOtherWithOneCallBack)
{
    CComObject<CAggregatingHost> *other = MakeHost(CLSID_QelSymbolPCP);
    ASSERT_NE(other, nullptr);
    CComPtr<IQelSymbSrv> otherSrv;
    ASSERT_EQ(other->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&otherSrv)), S_OK);
    ASSERT_EQ(srv_->Init(HostUnknown(), nullptr), S_OK);
    ASSERT_EQ(otherSrv->Init(other->GetUnknown(), nullptr), S_OK);

    IUnknown *partner = other->GetUnknown();
    ASSERT_EQ(srv_->Synchronize(SYF_PUT_FOREIGN_DEBUG_SERVER, &partner), S_OK);
    IUnknown *heldHere = reinterpret_cast<IUnknown *>(Sync(SYF_GET_FOREIGN_DEBUG_SERVER));
    IUnknown *heldThere = nullptr;
    otherSrv->Synchronize(SYF_GET_FOREIGN_DEBUG_SERVER, &heldThere);
    EXPECT_EQ(heldHere, other->GetUnknown());
    EXPECT_EQ(heldThere, HostUnknown());
    heldHere->Release();
    heldThere->Release();
    // The PCP server is no master: its master debugger is the foreign one.
    IUnknown *master = nullptr;
    otherSrv->Synchronize(SYF_GET_MASTER_DEBUGGER, &master);
    EXPECT_EQ(master, HostUnknown());
    master->Release();

    // Putting null lets the partner go; the other side keeps its own until its Cleanup.
    Sync(SYF_PUT_FOREIGN_DEBUG_SERVER, nullptr);
    EXPECT_EQ(Sync(SYF_GET_FOREIGN_DEBUG_SERVER), 0);
    otherSrv->Cleanup();
    otherSrv.Release();
    other->Release();
}

TEST_F(SymbolServer, HoldsAPartnerWithoutIQelSymbSrvWithoutCallingBack)
{
    CountedObject partner(false);
    IUnknown *value = &partner;
    ASSERT_EQ(srv_->Synchronize(SYF_PUT_FOREIGN_DEBUG_SERVER, &value), S_OK);
    EXPECT_EQ(partner.References(), 2u);
    srv_->Cleanup();
    EXPECT_EQ(partner.References(), 1u);

    IUnknown *pcp = &partner;
    ASSERT_EQ(srv_->Synchronize(SYF_PUT_PCP_STANDALONE_DEBUG_SERVER, &pcp), S_OK);
    IUnknown *got = reinterpret_cast<IUnknown *>(Sync(SYF_GET_PCP_STANDALONE_DEBUG_SERVER));
    EXPECT_EQ(got, &partner);
    got->Release();
    Sync(SYF_PUT_PCP_STANDALONE_DEBUG_SERVER, nullptr);
    EXPECT_EQ(partner.References(), 1u);
}

// A partner whose QueryInterface fails for another reason than a missing interface.
class CFailingPartner final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return E_OUTOFMEMORY;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }
    ULONG references_ = 1;
};

TEST_F(SymbolServer, AnswersAFailedQueryOfANewPartnerInsteadOfRaisingIt)
{
    CFailingPartner partner;
    IUnknown *value = &partner;
    EXPECT_EQ(srv_->Synchronize(SYF_PUT_FOREIGN_DEBUG_SERVER, &value), E_OUTOFMEMORY);
    IUnknown *held = reinterpret_cast<IUnknown *>(Sync(SYF_GET_FOREIGN_DEBUG_SERVER));
    EXPECT_EQ(held, &partner);
    held->Release();
    srv_->Cleanup();
    EXPECT_EQ(partner.references_, 1u);
}

TEST_F(SymbolServer, LeavesControllerInformationToTheHost)
{
    LONG number = 0;
    ULONG unsignedNumber = 0;
    BSTR text = nullptr;
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(symbol_->LoadSFRegisters(nullptr), E_NOTIMPL);
    EXPECT_EQ(symbol_->UnloadSFRegisters(), E_NOTIMPL);
    EXPECT_EQ(symbol_->ControllerName(&text), E_NOTIMPL);
    EXPECT_EQ(symbol_->ControllerDatabase(&text), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegisters(&value), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegister(nullptr, &value), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegisterAddress(nullptr, &unsignedNumber), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegisterName(0, 0, &text), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegisterBit(0, 0, 0, &text), E_NOTIMPL);
    EXPECT_EQ(symbol_->CreateICRegisterList(&value), E_NOTIMPL);
    EXPECT_EQ(symbol_->WordSize(&number), E_NOTIMPL);
    EXPECT_EQ(symbol_->MaxAddressMask(&unsignedNumber), E_NOTIMPL);
    EXPECT_EQ(symbol_->CoreType(&number), E_NOTIMPL);
    EXPECT_EQ(symbol_->CoreRegisters(&value), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRBlocks(&value), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRsByBlock(nullptr, &value), E_NOTIMPL);
    EXPECT_EQ(symbol_->SFRegisterRR(0, &unsignedNumber, &unsignedNumber), E_NOTIMPL);
    EXPECT_EQ(symbol_->SystemStackBounds(&unsignedNumber, &unsignedNumber), E_NOTIMPL);
    EXPECT_EQ(symbol_->DefaultSystemPage(&number), E_NOTIMPL);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(number, 0);

    CComQIPtr<ISupportErrorInfo> support(symbol_);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelControllerInfo), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelSymbSrv), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelSymbol2), S_FALSE);
}

TEST_F(SymbolServer, HandsOutNoProgramBeforeOneIsLoaded)
{
    CComQIPtr<IQelSymbol2> programs(symbol_);
    ASSERT_TRUE(programs != nullptr);
    LONG count = 9, id = 9;
    EXPECT_EQ(programs->GetProgramCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(programs->GetProgramId(1, &id), E_FAIL);
    EXPECT_EQ(id, 0);
    IUnknown *info = reinterpret_cast<IUnknown *>(1);
    EXPECT_EQ(programs->GetProgramInfoById(0, &info), E_FAIL);
    EXPECT_EQ(info, nullptr);
}

TEST_F(SymbolServer, KnowsTheProgramThatItHandedOut)
{
    CProgramInfo *info = nullptr;
    ASSERT_EQ(CreateProgramInfo(QEL_PROGRAM_ELF, &info), S_OK);
    info->m_nProgramId = 12;
    Server()->EngineHolder().KeepProgramInfo(info);
    info->Release();
    CComQIPtr<IQelSymbol2> programs(symbol_);
    LONG id = 0;
    EXPECT_EQ(programs->GetProgramId(0, &id), S_OK);
    EXPECT_EQ(id, 12);
    CComPtr<IUnknown> found;
    EXPECT_EQ(programs->GetProgramInfoById(12, &found), S_OK);
    EXPECT_EQ(found.p, static_cast<IProgramInfo *>(info));
    found.Release();
    srv_->Init(nullptr, nullptr); // empties the list, releasing the object
    LONG count = 9;
    programs->GetProgramCount(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(SymbolServer, TellsAConverterWhenItsProgramKeepsFloatsWordSwapped)
{
    CTarArchConverter before(HostUnknown(), -1);
    EXPECT_FALSE(before.IsSwappedWordOrder()) << "no program loaded";

    CProgramInfo *info = nullptr;
    ASSERT_EQ(CreateProgramInfo(QEL_PROGRAM_TASKING_OUT, &info), S_OK);
    info->m_nProgramId = 1;
    Server()->EngineHolder().KeepProgramInfo(info);
    info->Release();
    CTarArchConverter converter(HostUnknown(), -1);
    ASSERT_TRUE(converter.IsSwappedWordOrder());
    const unsigned char inMemory[] = {0x00, 0x00, 0x80, 0x3F};
    const unsigned char onHost[] = {0x80, 0x3F, 0x00, 0x00};
    float target;
    std::memcpy(&target, inMemory, sizeof target);
    float host = converter.ConvertFloat(&target);
    EXPECT_EQ(std::memcmp(&host, onHost, sizeof host), 0);
    float back = converter.ConvertFloat(&host);
    EXPECT_EQ(std::memcmp(&back, inMemory, sizeof back), 0);
}

class SymbolServerEvents : public SymbolServer {
protected:
    void SetUp() override
    {
        SymbolServer::SetUp();
        ASSERT_EQ(CComObject<CRecordingSink>::CreateInstance(&sink_), S_OK);
        sink_->AddRef();
        ASSERT_EQ(AtlAdvise(HostUnknown(), sink_->GetUnknown(), DIID__SymProcEvents, &cookie_), S_OK);
        ASSERT_EQ(AtlAdvise(HostUnknown(), sink_->GetUnknown(), DIID__SymProcEvents2, &cookie2_), S_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(AtlUnadvise(HostUnknown(), DIID__SymProcEvents, cookie_), S_OK);
        EXPECT_EQ(AtlUnadvise(HostUnknown(), DIID__SymProcEvents2, cookie2_), S_OK);
        sink_->Release();
        SymbolServer::TearDown();
    }

    CComObject<CRecordingSink> *sink_ = nullptr;
    DWORD cookie_ = 0;
    DWORD cookie2_ = 0;
};

TEST_F(SymbolServerEvents, FireToEveryAdvisedSink)
{
    EXPECT_EQ(symbol_->FireRequestReady(5), S_OK);
    EXPECT_EQ(symbol_->FirePatternWindowState(1, 0x100, 0x20), S_OK);
    EXPECT_EQ(symbol_->FirePatternWindowState(0, 0x200, 0x40), S_OK);
    std::vector<symsrvtest::Event> events = sink_->Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].dispid, 1);
    EXPECT_EQ(events[0].args, std::vector<LONG>({5}));
    // Dispatch arguments run in reverse: the length stands first.
    EXPECT_EQ(events[1].dispid, 1);
    EXPECT_EQ(events[1].args, std::vector<LONG>({0x20, 0x100}));
    EXPECT_EQ(events[2].dispid, 2);
    EXPECT_EQ(events[2].args, std::vector<LONG>({0x40, 0x200}));
}

TEST_F(SymbolServerEvents, AFinishedEventRequestIsAnnouncedThroughTheOwner)
{
    InitAsHost();
    CSymbolEngine *engine = Server()->EngineHolder().GetEngine();
    engine->SetHandler(0, [](CSymbolRequest &) {});
    CSymbolRequest request(RequesterEvent);
    request.m_nCode = 0;
    int id = engine->Submit(request);
    ASSERT_NE(id, 0);
    for (int i = 0; i < 1000 && sink_->Events().empty(); i++)
        Sleep(5);
    std::vector<symsrvtest::Event> events = sink_->Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].args, std::vector<LONG>({id}));
    srv_->Cleanup();
}

// A sink that unadvises itself from inside the event: the server holds no lock then.
class CLeavingSink : public CRecordingSink {
public:
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argErr) override
    {
        AtlUnadvise(m_source, DIID__SymProcEvents, m_cookie);
        return CRecordingSink::Invoke(dispid, riid, lcid, flags, params, result, exception, argErr);
    }
    IUnknown *m_source = nullptr;
    DWORD m_cookie = 0;
};

TEST_F(SymbolServerEvents, ASinkMayUnadviseInsideTheEvent)
{
    CComObject<CLeavingSink> *leaving = nullptr;
    ASSERT_EQ(CComObject<CLeavingSink>::CreateInstance(&leaving), S_OK);
    leaving->AddRef();
    leaving->m_source = HostUnknown();
    ASSERT_EQ(AtlAdvise(HostUnknown(), leaving->GetUnknown(), DIID__SymProcEvents, &leaving->m_cookie), S_OK);
    symbol_->FireRequestReady(1);
    symbol_->FireRequestReady(2);
    EXPECT_EQ(leaving->Events().size(), 1u);
    EXPECT_EQ(sink_->Events().size(), 2u);
    leaving->Release();
}

// A sink that lets go of the host's last reference inside the second ready event, as a
// host that drops its debug-server object from its event handler, without Cleanup, does.
class CReleasingSink : public CRecordingSink {
public:
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *exception, UINT *argErr) override
    {
        HRESULT hr = CRecordingSink::Invoke(dispid, riid, lcid, flags, params, result, exception, argErr);
        if (Events().size() == 2 && m_host != nullptr) {
            IUnknown *host = m_host;
            m_host = nullptr;
            host->Release();
        }
        return hr;
    }
    IUnknown *m_host = nullptr;
};

// A result whose destruction waits at a gate.
class CGatedResult : public CObject {
public:
    explicit CGatedResult(enginetest::Gate &gate) : m_gate(gate) {}
    ~CGatedResult() override { m_gate.Enter(); }

private:
    enginetest::Gate &m_gate;
};

TEST_F(SymbolServer, AHostLetGoInsideAReadyEventGoesWithItsEngineOnceTheEventIsOver)
{
    InitAsHost();
    enginetest::Gate running, freeing;
    struct OpenAtEnd {
        enginetest::Gate &a, &b;
        ~OpenAtEnd()
        {
            a.Open();
            b.Open();
        }
    } openAtEnd{running, freeing};
    std::atomic<int> runs{0};
    Server()->EngineHolder().GetEngine()->SetHandler(0, [&](CSymbolRequest &request) {
        if (runs++ == 0)
            request.m_pResult = new CGatedResult(freeing); // left unfetched
        else
            running.Enter();
    });
    CComObject<CReleasingSink> *sink = nullptr;
    ASSERT_EQ(CComObject<CReleasingSink>::CreateInstance(&sink), S_OK);
    sink->AddRef();
    DWORD cookie = 0;
    ASSERT_EQ(AtlAdvise(HostUnknown(), sink->GetUnknown(), DIID__SymProcEvents, &cookie), S_OK);
    int first = static_cast<int>(RequesterEvent), second = first;
    ASSERT_EQ(symbol_->Sections(&first), S_OK);
    ASSERT_EQ(symbol_->Sections(&second), S_OK);
    ASSERT_TRUE(running.WaitInside());
    // The sink holds the host's last reference, and the connection point the sink's.
    sink->m_host = host_;
    host_ = nullptr;
    srv_.Release();
    symbol_.Release();
    sink->Release();
    running.Open();
    // The worker frees what is left of its engine after the host and the server have
    // gone, and the module stays locked until it has.
    ASSERT_TRUE(freeing.WaitInside());
    EXPECT_EQ(module_.Module().GetLockCount(), 1);
    freeing.Open();
    EXPECT_TRUE(enginetest::WaitUntil([&] { return module_.Module().GetLockCount() == 0; }));
}

// A reader during whose sections pass the host lets go of its debugger.
class CLettingGoReader : public CELFGlobals {
public:
    using CELFGlobals::CELFGlobals;
    int ReadSections(HWND window) override
    {
        letGo();
        return CELFGlobals::ReadSections(window);
    }
    static inline std::function<void()> letGo;
};

int TakesEveryFile(LPCSTR)
{
    return 1;
}

TEST_F(SymbolServer, AHostLetGoDuringALoadLivesUntilTheLoadIsOver)
{
    InitAsHost();
    char folder[] = "/tmp/qelletgoXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string program = std::string(folder) + "/arm7-mixed.elf";
    std::filesystem::copy_file(std::string(kQelSourceDir) + "/testdata/elf/arm7-mixed.elf", program);
    Server()->EngineHolder().GetEngine()->ProgramFormats.insert(
        Server()->EngineHolder().GetEngine()->ProgramFormats.begin(),
        {QEL_PROGRAM_ELF, TakesEveryFile, [](CQelDatabase &database, DWORD id, IUnknown *host) -> CQelTargetFile * {
             return new CLettingGoReader(database, id, host);
         }});
    // The reader's download still reaches the host after the test let go of it.
    CLettingGoReader::letGo = [this] {
        srv_.Release();
        symbol_.Release();
        host_->Release();
        host_ = nullptr;
    };
    int request = static_cast<int>(RequesterEvent);
    ASSERT_EQ(symbol_->LoadFile(CComBSTR(program.c_str()), 1, 0, &request), S_OK);
    EXPECT_TRUE(enginetest::WaitUntil([&] { return module_.Module().GetLockCount() == 0; }));
    CLettingGoReader::letGo = nullptr;
    std::filesystem::remove_all(folder);
}

TEST_F(SymbolServer, AnswersLateBoundCallsFromItsDispatchTable)
{
    CComQIPtr<IDispatch> dispatch(symbol_);
    ASSERT_TRUE(dispatch != nullptr);
    OLECHAR name[] = u"FireRequestReady";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 66);
    CComVariant version;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    // IQelSymbSrv answers its own members through its own IDispatch.
    IDispatch *srvDispatch = srv_;
    ASSERT_EQ(srvDispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, &version, nullptr, nullptr), S_OK);
    ASSERT_EQ(version.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(version.bstrVal), u"Standard QEL Symbol Server");
    EXCEPINFO exception = {};
    CComVariant size;
    EXPECT_EQ(dispatch->Invoke(11, IID_NULL, 0, DISPATCH_METHOD, &none, &size, &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_NOTIMPL);
}

TEST_F(SymbolServer, PropertyPageOffersItsPageAsPartOfTheObject)
{
    CComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(CLSID_SymSrvPropertyPage, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void **>(&object)),
              S_OK);
    CComPtr<IPropertyPage> page;
    ASSERT_EQ(object->QueryInterface(IID_IPropertyPage, reinterpret_cast<void **>(&page)), S_OK);
    CComPtr<IUnknown> identity;
    ASSERT_EQ(page->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity)), S_OK);
    EXPECT_EQ(identity, object);
    void *other = nullptr;
    EXPECT_EQ(page->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::u16string(info.pszTitle), u"Symbol");
    CoTaskMemFree(info.pszTitle);
}

TEST_F(SymbolServer, RegistersItsClassesWithTheirScripts)
{
    ASSERT_EQ(module_.Module().RegisterServer(TRUE), S_OK);
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelSymbol", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_QelSymbol);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelSymbolPCP.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_QelSymbolPCP);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{C56C0F9A-C437-40DC-AB43-685609B1ACF5}\\InprocServer32", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char model[32] = {};
    DWORD size = sizeof model;
    EXPECT_EQ(RegQueryValueExA(key, "ThreadingModel", nullptr, nullptr, reinterpret_cast<BYTE *>(model), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(model, "Apartment");
    RegCloseKey(key);
    ASSERT_EQ(module_.Module().UnregisterServer(), S_OK);
    EXPECT_EQ(CLSIDFromProgID(u"QEL.QelSymbol", &clsid), CO_E_CLASSSTRING);
}

} // namespace

namespace {

// What a handler saw of the request that it ran.
struct SeenRequest {
    int code = 0;
    CComVariant params[3];
};

class SymbolServerRequests : public SymbolServer {
protected:
    void SetUp() override
    {
        SymbolServer::SetUp();
        InitAsHost();
        engine_ = Server()->EngineHolder().GetEngine();
        ASSERT_NE(engine_, nullptr);
    }
    void TearDown() override
    {
        srv_->Cleanup();
        SymbolServer::TearDown();
    }

    // Handlers for every code given that record what they are asked.
    void Record(std::initializer_list<int> codes)
    {
        for (int code : codes)
            engine_->SetHandler(code, [this](CSymbolRequest &request) {
                std::lock_guard<std::mutex> hold(lock_);
                SeenRequest &seen = seen_[request.m_nCode];
                seen.code = request.m_nCode;
                seen.params[0] = request.Param1;
                seen.params[1] = request.Param2;
                seen.params[2] = request.Param3;
            });
    }
    SeenRequest Seen(int code)
    {
        std::lock_guard<std::mutex> hold(lock_);
        return seen_[code];
    }

    static CArray<SectionTag, SectionTag &> *TwoSections()
    {
        auto *sections = new CArray<SectionTag, SectionTag &>;
        SectionTag code;
        code.Type = 1;
        code.AddressValue = 0x8000;
        code.Length = 0x100;
        code.Name = ".text";
        SectionTag data;
        data.Type = 3;
        data.AddressValue = 0x20000000;
        data.Length = 0x40;
        data.Name = ".data";
        sections->Add(code);
        sections->Add(data);
        return sections;
    }

    // The queries of a program run only while one is loaded; the flag is the worker's.
    void PretendLoaded()
    {
        engine_->SetHandler(2003, [this](CSymbolRequest &) { engine_->DatabaseLoaded = 1; });
        int id = 0;
        CComBSTR none("none");
        ASSERT_EQ(symbol_->UndefineCodeSection(none, &id), S_OK);
        EXPECT_EQ(symbol_->DeleteRequest(id), S_OK);
    }

    CSymbolEngine *engine_ = nullptr;
    std::mutex lock_;
    std::map<int, SeenRequest> seen_;
};

CString Text(const CComVariant &value)
{
    return value.vt == VT_BSTR ? CString(value.bstrVal) : CString("<not a text>");
}

CString Encoded(LPCSTR name)
{
    CString encoded;
    EncodeNameString(name, encoded);
    return encoded;
}

TEST_F(SymbolServerRequests, SubmitEachQueryWithItsCodeAndItsParametersInOrder)
{
    PretendLoaded();
    LONG loaded = 0;
    EXPECT_EQ(symbol_->IsDatabase(&loaded), S_OK);
    EXPECT_EQ(loaded, 1);
    Record({2000, 2, 201, 401, 406, 409, 700, 701, 103});
    CComBSTR file("prog.elf"), star("*"), mainName("main"), scoped("file.c#main#i"), label("Start");
    int id = 0;
    EXPECT_EQ(symbol_->LoadFile(file, 7, 0x1234, &id), S_OK);
    // A synchronous request's id carries bit 31.
    EXPECT_NE(id & 0x80000000, 0);
    SeenRequest load = Seen(2000);
    EXPECT_EQ(Text(load.params[0]), "prog.elf");
    EXPECT_EQ(load.params[1].lVal, 0x1234); // the window before the program identifier
    EXPECT_EQ(load.params[2].lVal, 7);

    id = 0;
    EXPECT_EQ(symbol_->SectionByAddress(1, 0x8000, &id), S_OK);
    EXPECT_EQ(Seen(2).params[0].vt, VT_I4);
    EXPECT_EQ(Seen(2).params[1].lVal, 0x8000);

    // Names compared with a stored NameString travel encoded; scoped names, data labels
    // and paths do not.
    id = 0;
    symbol_->FunctionByName(mainName, &id);
    EXPECT_EQ(Text(Seen(201).params[0]), Encoded("main"));
    id = 0;
    symbol_->Globals(star, star, &id);
    EXPECT_EQ(Text(Seen(401).params[0]), Encoded("*"));
    EXPECT_EQ(Text(Seen(401).params[1]), "*");
    id = 0;
    symbol_->VariableWithScope(scoped, &id);
    EXPECT_EQ(Text(Seen(406).params[0]), "file.c#main#i");
    id = 0;
    symbol_->VariablesInScope(1, 0x8010, mainName, &id);
    EXPECT_EQ(Seen(409).params[1].lVal, 0x8010);
    EXPECT_EQ(Text(Seen(409).params[2]), Encoded("main"));
    id = 0;
    symbol_->CodeLabel(label, &id);
    EXPECT_EQ(Text(Seen(700).params[0]), Encoded("Start"));
    id = 0;
    symbol_->DataLabel(label, &id);
    EXPECT_EQ(Text(Seen(701).params[0]), "Start");
    id = 0;
    symbol_->SourceFileLines(1, 0x8000, 12, &id);
    EXPECT_EQ(Seen(103).params[2].lVal, 12);
}

TEST_F(SymbolServerRequests, AnEventRequestGivesItsIdAtOnceAndIsFetchedOnceFinished)
{
    std::mutex gate;
    gate.lock();
    engine_->SetHandler(0, [&gate](CSymbolRequest &request) {
        std::lock_guard<std::mutex> wait(gate);
        request.m_pResult = TwoSections();
    });
    int id = static_cast<int>(RequesterEvent);
    ASSERT_EQ(symbol_->Sections(&id), S_OK);
    EXPECT_GT(id, 0);
    // Still running: not packed and not taken away.
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    EXPECT_EQ(symbol_->GetSections(id, &names, &values), static_cast<HRESULT>(0x80044001));
    gate.unlock();
    HRESULT hr = E_FAIL;
    for (int i = 0; i < 1000; i++) {
        hr = symbol_->GetSections(id, &names, &values);
        if (hr != static_cast<HRESULT>(0x80044001))
            break;
        Sleep(5);
    }
    ASSERT_EQ(hr, S_OK);
    CArray<SectionTag, SectionTag &> received;
    EXPECT_EQ(UnpackTagRecords(names, values, received), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    ASSERT_EQ(received.GetSize(), 2);
    EXPECT_EQ(received[0].Name, ".text");
    EXPECT_EQ(received[1].AddressValue, 0x20000000u);
    EXPECT_EQ(received[1].Length, 0x40u);
    // Fetched once only.
    EXPECT_EQ(symbol_->GetSections(id, &names, &values), static_cast<HRESULT>(0x80044001));
}

TEST_F(SymbolServerRequests, AGetMethodOfAnotherKindDeletesAFinishedRequestAndLeavesARunningOne)
{
    std::mutex gate;
    engine_->SetHandler(200, [&gate](CSymbolRequest &request) {
        std::lock_guard<std::mutex> wait(gate);
        auto *functions = new CArray<FunctionTag, FunctionTag &>;
        FunctionTag main;
        main.Name = "main";
        main.AddressValue = 0x8100;
        functions->Add(main);
        request.m_pResult = functions;
    });
    PretendLoaded();
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    int finished = 0;
    ASSERT_EQ(symbol_->Functions(&finished), S_OK);
    EXPECT_EQ(symbol_->GetSections(finished, &names, &values), static_cast<HRESULT>(0x80044001));
    EXPECT_EQ(names.vt, VT_EMPTY);
    EXPECT_EQ(symbol_->GetFunctions(finished, &names, &values), static_cast<HRESULT>(0x80044001));

    gate.lock();
    int running = static_cast<int>(RequesterEvent);
    ASSERT_EQ(symbol_->Functions(&running), S_OK);
    EXPECT_EQ(symbol_->GetSections(running, &names, &values), static_cast<HRESULT>(0x80044001));
    gate.unlock();
    HRESULT hr = E_FAIL;
    for (int i = 0; i < 1000 && (hr = symbol_->GetFunctions(running, &names, &values)) != S_OK; i++)
        Sleep(5);
    ASSERT_EQ(hr, S_OK);
    CArray<FunctionTag, FunctionTag &> received;
    EXPECT_EQ(UnpackTagRecords(names, values, received), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    ASSERT_EQ(received.GetSize(), 1);
    EXPECT_EQ(received[0].Name, "main");
    EXPECT_EQ(received[0].AddressValue, 0x8100u);
}

TEST_F(SymbolServerRequests, AFailedRequestAnswersItsStatusAndGoes)
{
    engine_->SetHandler(0, [](CSymbolRequest &) { AfxThrowMemoryException(); });
    int id = 0;
    ASSERT_EQ(symbol_->Sections(&id), S_OK);
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    EXPECT_EQ(symbol_->GetSections(id, &names, &values), static_cast<HRESULT>(0x80044005));
    EXPECT_EQ(symbol_->GetSections(id, &names, &values), static_cast<HRESULT>(0x80044001));
    EXPECT_EQ(SymbolStatusResult(StatusNoProgram), static_cast<HRESULT>(0x80044006));
    EXPECT_EQ(SymbolStatusResult(StatusOtherError), static_cast<HRESULT>(0x80043FFF));
    // A request with no result of its kind answers that nothing is there.
    engine_->SetHandler(0, [](CSymbolRequest &) {});
    id = 0;
    ASSERT_EQ(symbol_->Sections(&id), S_OK);
    EXPECT_EQ(symbol_->GetSections(id, &names, &values), static_cast<HRESULT>(0x80044001));
}

TEST_F(SymbolServerRequests, MissingOutPointersAreRefused)
{
    VARIANT values;
    VariantInit(&values);
    EXPECT_EQ(symbol_->Sections(nullptr), E_POINTER);
    EXPECT_EQ(symbol_->GetSections(1, nullptr, &values), E_POINTER);
    EXPECT_EQ(symbol_->GetSourceLines(1, nullptr), E_POINTER);
    EXPECT_EQ(symbol_->GetState(1, nullptr), E_POINTER);
    EXPECT_EQ(symbol_->GetProgramInfo(1, nullptr), E_POINTER);
    EXPECT_EQ(symbol_->IsDatabase(nullptr), E_POINTER);
    EXPECT_EQ(symbol_->GetLocation(1, &values, nullptr), E_POINTER);
    int id = 0;
    EXPECT_EQ(symbol_->DefineCodeSection(nullptr, nullptr, &id), E_POINTER);
}

TEST_F(SymbolServerRequests, AnswerStateLocationAndWhetherAProgramIsLoaded)
{
    LONG loaded = 9;
    EXPECT_EQ(symbol_->IsDatabase(&loaded), S_OK);
    EXPECT_EQ(loaded, 0);

    engine_->SetHandler(2001, [](CSymbolRequest &request) { request.m_nResult = 3; });
    int id = 0;
    ASSERT_EQ(symbol_->UnloadFile(4, &id), S_OK);
    LONG state = 0;
    EXPECT_EQ(symbol_->GetState(id, &state), S_OK);
    EXPECT_EQ(state, 3);

    engine_->SetHandler(4000, [](CSymbolRequest &request) {
        request.m_pLocation = new LocationTag;
        request.m_pLocation->Name = "main.c";
        request.m_pLocation->SourceLine = 42;
        request.m_pLocation->SectionName = ".text";
    });
    id = 0;
    ASSERT_EQ(symbol_->Location(1, 0x8000, &id), S_OK);
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    ASSERT_EQ(symbol_->GetLocation(id, &names, &values), S_OK);
    LocationTag location;
    EXPECT_EQ(UnpackTagRecords(names, values, location), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    EXPECT_EQ(location.Name, "main.c");
    EXPECT_EQ(location.SourceLine, 42);
    EXPECT_EQ(location.SectionName, ".text");
}

TEST_F(SymbolServerRequests, HandsOutTheLoadedProgramWithAReferenceOfTheCallersOwn)
{
    engine_->SetHandler(2000, [](CSymbolRequest &request) {
        CProgramInfo *info = nullptr;
        if (SUCCEEDED(CreateProgramInfo(QEL_PROGRAM_ELF, &info))) {
            info->m_nProgramId = request.Param3.lVal;
            request.m_pProgramInfo = static_cast<IProgramInfo *>(info);
            info->Release();
        }
    });
    CComBSTR file("prog.elf");
    int id = 0;
    ASSERT_EQ(symbol_->LoadFile(file, -5, 0, &id), S_OK);
    IUnknown *handed = nullptr;
    ASSERT_EQ(symbol_->GetProgramInfo(id, &handed), S_OK);
    ASSERT_NE(handed, nullptr);
    CComQIPtr<IQelSymbol2> programs(symbol_);
    LONG programId = 0;
    EXPECT_EQ(programs->GetProgramId(0, &programId), S_OK);
    EXPECT_EQ(programId, 5);
    IUnknown *again = nullptr;
    EXPECT_EQ(symbol_->GetProgramInfo(id, &again), static_cast<HRESULT>(0x80044001));
    EXPECT_EQ(again, nullptr);
    // The list and the caller each let go of their own reference.
    handed->Release();

    // The smallest identifier has no positive twin and stays as it is.
    const LONG smallest = std::numeric_limits<LONG>::min();
    id = 0;
    ASSERT_EQ(symbol_->LoadFile(file, smallest, 0, &id), S_OK);
    ASSERT_EQ(symbol_->GetProgramInfo(id, &handed), S_OK);
    EXPECT_EQ(programs->GetProgramId(0, &programId), S_OK);
    EXPECT_EQ(programId, smallest);
    handed->Release();
}

TEST_F(SymbolServer, WithoutAnEngineRequestsAreNotAccepted)
{
    int id = 0;
    EXPECT_EQ(symbol_->Sections(&id), static_cast<HRESULT>(0x80044001));
    EXPECT_EQ(id, 0);
    LONG loaded = 9;
    EXPECT_EQ(symbol_->IsDatabase(&loaded), static_cast<HRESULT>(0x80044001));
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(symbol_->DeleteRequest(3), S_OK);
}

TEST_F(SymbolServer, ThePcpServerReportsErrorsOfItsTwoSymbolInterfacesOnly)
{
    CComObject<CAggregatingHost> *pcpHost = MakeHost(CLSID_QelSymbolPCP);
    ASSERT_NE(pcpHost, nullptr);
    CComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(pcpHost->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&support)), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelSymbSrv), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelSymbol), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IQelControllerInfo), S_FALSE);
    support.Release();
    pcpHost->Release();
}

} // namespace
