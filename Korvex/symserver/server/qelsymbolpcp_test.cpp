// The PCP debugger's symbol server, standalone and bound to the main debugger's server,
// each carried by a host double as the host's debug-server objects carry them.
#include "korvextestmodule.h"
#include "symservertesting.h"

#include <enginetesting.h>
#include <qelsymbolclasses.h>

#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <tagtransfer.h>

#include <atomic>
#include <vector>

namespace {

using enginetest::WaitUntil;
using symsrvtest::CAggregatingHost;
using symsrvtest::CRecordingSink;
using symsrvtest::MakeHost;

const HRESULT kNotAccepted = static_cast<HRESULT>(0x80044001);

// One debugger: its host object with the symbol server inside, run through the host's
// initialisation order.
struct Debugger {
    CComObject<CAggregatingHost> *host = nullptr;
    CComPtr<IQelSymbSrv> srv;
    CComPtr<IQelSymbol> symbol;
    CComPtr<IStorage> storage;
    CountedObject gui;

    bool Make(REFCLSID clsid)
    {
        host = MakeHost(clsid);
        return host != nullptr && SUCCEEDED(host->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv))) &&
               SUCCEEDED(host->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol)));
    }
    HRESULT Init()
    {
        HRESULT hr = srv->Init(host->GetUnknown(), nullptr);
        storage.Attach(NewMemoryStorage());
        if (SUCCEEDED(hr))
            hr = srv->Init(storage, &gui);
        if (SUCCEEDED(hr))
            hr = srv->RestoreSettings();
        return hr;
    }
    void Release()
    {
        srv.Release();
        symbol.Release();
        if (host != nullptr)
            host->Release();
        host = nullptr;
    }
    CSymbolEngine *Engine()
    {
        return static_cast<CQelSymbolServer *>(static_cast<CFvSymbSrv *>(srv.p))->EngineHolder().GetEngine();
    }
    // The identity of the partner that Synchronize answers for `code` (null for none),
    // with every reference released at once: only identities are compared.
    IUnknown *Partner(tagSynchronizeFunction code)
    {
        CComPtr<IUnknown> partner;
        EXPECT_EQ(srv->Synchronize(code, &partner), S_OK);
        CComPtr<IUnknown> identity;
        if (partner != nullptr)
            partner->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&identity));
        return identity;
    }
};

CArray<SectionTag, SectionTag &> *MasterSections()
{
    auto *sections = new CArray<SectionTag, SectionTag &>;
    SectionTag code;
    code.Type = 1;
    code.AddressValue = 0xA0000000;
    code.Length = 0x200;
    code.Name = ".pcptext";
    sections->Add(code);
    return sections;
}

class PcpSymbolServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        ASSERT_TRUE(pcp_.Make(CLSID_QelSymbolPCP));
    }
    void TearDown() override
    {
        pcp_.Release();
        main_.Release();
        module_.Revoke();
    }

    // The main debugger, initialised, under the name by which the PCP debugger's host
    // knows it.
    void MakeMainDebugger()
    {
        ASSERT_TRUE(main_.Make(CLSID_QelSymbol));
        ASSERT_EQ(main_.Init(), S_OK);
        pcp_.host->Profile()->SetDebugServer(u"TriCore", main_.host->GetUnknown());
    }
    void BindPcpToMain()
    {
        MakeMainDebugger();
        pcp_.host->WindowValues()->SetPcpMaster(u"TriCore");
        ASSERT_EQ(pcp_.Init(), S_OK);
    }
    // The main debugger's queries of a program run once it holds one.
    void MainHoldsAProgram()
    {
        CSymbolEngine *engine = main_.Engine();
        engine->SetHandler(2003, [engine](CSymbolRequest &) { engine->DatabaseLoaded = 1; });
        int id = 0;
        CComBSTR none("none");
        ASSERT_EQ(main_.symbol->UndefineCodeSection(none, &id), S_OK);
        main_.symbol->DeleteRequest(id);
    }
    // The profile names the main debugger no more, so that nothing is held past the test.
    void ForgetMain() { pcp_.host->Profile()->SetDebugServer(u"TriCore", nullptr); }

    CKorvexTestModule module_;
    Debugger pcp_;
    Debugger main_;
};

TEST_F(PcpSymbolServer, StandaloneRunsItsOwnEngineAndIsItsOwnMaster)
{
    ASSERT_EQ(pcp_.Init(), S_OK);
    CSymbolEngine *engine = pcp_.Engine();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(pcp_.Partner(SYF_GET_PCP_STANDALONE_DEBUG_SERVER), pcp_.host->GetUnknown());
    EXPECT_EQ(pcp_.Partner(SYF_GET_MASTER_DEBUGGER), pcp_.host->GetUnknown());

    engine->SetHandler(0, [](CSymbolRequest &request) { request.m_pResult = MasterSections(); });
    int id = 0;
    ASSERT_EQ(pcp_.symbol->Sections(&id), S_OK);
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    ASSERT_EQ(pcp_.symbol->GetSections(id, &names, &values), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    LONG count = 7;
    CComPtr<IQelSymbol2> symbol2;
    ASSERT_EQ(pcp_.host->QueryInterface(IID_IQelSymbol2, reinterpret_cast<void **>(&symbol2)), S_OK);
    EXPECT_EQ(symbol2->GetProgramCount(&count), S_OK);
    EXPECT_EQ(count, 0);

    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    // The standalone registration, which held the owner, is dropped.
    EXPECT_EQ(pcp_.Partner(SYF_GET_PCP_STANDALONE_DEBUG_SERVER), nullptr);
}

TEST_F(PcpSymbolServer, BoundForwardsQueriesToTheMainDebuggersServer)
{
    BindPcpToMain();
    EXPECT_EQ(pcp_.Engine(), nullptr);
    EXPECT_EQ(pcp_.Partner(SYF_GET_MASTER_DEBUGGER), main_.host->GetUnknown());
    EXPECT_EQ(main_.Partner(SYF_GET_FOREIGN_DEBUG_SERVER), pcp_.host->GetUnknown());

    std::atomic<int> sectionQueries{0};
    main_.Engine()->SetHandler(0, [&sectionQueries](CSymbolRequest &request) {
        sectionQueries++;
        request.m_pResult = MasterSections();
    });
    int id = 0;
    ASSERT_EQ(pcp_.symbol->Sections(&id), S_OK);
    EXPECT_NE(id, 0);
    EXPECT_EQ(sectionQueries, 1);
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    ASSERT_EQ(pcp_.symbol->GetSections(id, &names, &values), S_OK);
    CArray<SectionTag, SectionTag &> received;
    EXPECT_EQ(UnpackTagRecords(names, values, received), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);
    ASSERT_EQ(received.GetSize(), 1);
    EXPECT_EQ(received[0].Name, ".pcptext");
    // The request was the main server's: fetched once, through either debugger.
    EXPECT_EQ(main_.symbol->GetSections(id, &names, &values), kNotAccepted);

    // The programs are the main debugger's.
    CComPtr<IQelSymbol2> symbol2;
    ASSERT_EQ(pcp_.host->QueryInterface(IID_IQelSymbol2, reinterpret_cast<void **>(&symbol2)), S_OK);
    LONG count = 5, programId = 5;
    CComPtr<IUnknown> info;
    EXPECT_EQ(symbol2->GetProgramCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(symbol2->GetProgramId(0, &programId), S_OK);
    EXPECT_EQ(programId, 0);
    EXPECT_EQ(symbol2->GetProgramInfoById(1, &info), S_OK);
    EXPECT_EQ(info, nullptr);

    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    EXPECT_EQ(main_.srv->Cleanup(), S_OK);
    ForgetMain();
}

TEST_F(PcpSymbolServer, BoundLoadsOnlyWhatTheMainDebuggerDoesNotHoldAndNeverUnloadsIt)
{
    BindPcpToMain();
    std::atomic<int> loads{0};
    main_.Engine()->SetHandler(RequestCodeLoadFile, [&loads](CSymbolRequest &) { loads++; });
    CComBSTR file("pcp.elf");

    int id = 0;
    ASSERT_EQ(pcp_.symbol->LoadFile(file, 3, 0, &id), S_OK);
    EXPECT_NE(id, 0);
    EXPECT_EQ(loads, 1);
    main_.symbol->DeleteRequest(id);

    MainHoldsAProgram();
    id = 0;
    EXPECT_EQ(pcp_.symbol->LoadFile(file, 3, 0, &id), S_OK);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(loads, 1);

    std::atomic<int> unloads{0};
    main_.Engine()->SetHandler(2001, [&unloads](CSymbolRequest &) { unloads++; });
    id = 77;
    EXPECT_EQ(pcp_.symbol->UnloadFile(3, &id), S_OK);
    EXPECT_EQ(id, 77);
    EXPECT_EQ(unloads, 0);

    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    EXPECT_EQ(main_.srv->Cleanup(), S_OK);
    ForgetMain();
}

TEST_F(PcpSymbolServer, AnEventRequestOfThePcpReachesTheSinksOfBothDebuggers)
{
    BindPcpToMain();
    CComObject<CRecordingSink> *pcpSink = nullptr, *mainSink = nullptr;
    ASSERT_EQ(CComObject<CRecordingSink>::CreateInstance(&pcpSink), S_OK);
    pcpSink->AddRef();
    ASSERT_EQ(CComObject<CRecordingSink>::CreateInstance(&mainSink), S_OK);
    mainSink->AddRef();
    DWORD pcpCookie = 0, mainCookie = 0;
    ASSERT_EQ(AtlAdvise(pcp_.host->GetUnknown(), pcpSink->GetUnknown(), DIID__SymProcEvents, &pcpCookie), S_OK);
    ASSERT_EQ(AtlAdvise(main_.host->GetUnknown(), mainSink->GetUnknown(), DIID__SymProcEvents, &mainCookie), S_OK);

    main_.Engine()->SetHandler(0, [](CSymbolRequest &request) { request.m_pResult = MasterSections(); });
    int id = static_cast<int>(RequesterEvent);
    ASSERT_EQ(pcp_.symbol->Sections(&id), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return !pcpSink->Events().empty() && !mainSink->Events().empty(); }));
    for (CComObject<CRecordingSink> *sink : {pcpSink, mainSink}) {
        std::vector<symsrvtest::Event> events = sink->Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].args, std::vector<LONG>({id}));
    }
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    EXPECT_EQ(pcp_.symbol->GetSections(id, &names, &values), S_OK);
    FreeTransferVariant(&names);
    FreeTransferVariant(&values);

    EXPECT_EQ(AtlUnadvise(pcp_.host->GetUnknown(), DIID__SymProcEvents, pcpCookie), S_OK);
    EXPECT_EQ(AtlUnadvise(main_.host->GetUnknown(), DIID__SymProcEvents, mainCookie), S_OK);
    pcpSink->Release();
    mainSink->Release();
    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    EXPECT_EQ(main_.srv->Cleanup(), S_OK);
    ForgetMain();
}

TEST_F(PcpSymbolServer, CleanupUnbindsAndLeavesTheMainDebuggerRunning)
{
    BindPcpToMain();
    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    EXPECT_EQ(main_.Partner(SYF_GET_FOREIGN_DEBUG_SERVER), nullptr);
    EXPECT_EQ(pcp_.Partner(SYF_GET_MASTER_DEBUGGER), nullptr);
    ASSERT_NE(main_.Engine(), nullptr);
    main_.Engine()->SetHandler(0, [](CSymbolRequest &) {});
    int id = 0;
    EXPECT_EQ(main_.symbol->Sections(&id), S_OK);
    main_.symbol->DeleteRequest(id);
    // Unbound, the PCP server has nothing to ask.
    id = 0;
    EXPECT_EQ(pcp_.symbol->Sections(&id), kNotAccepted);
    EXPECT_EQ(main_.srv->Cleanup(), S_OK);
    ForgetMain();
}

TEST_F(PcpSymbolServer, TheMainDebuggerMayCleanUpFirst)
{
    BindPcpToMain();
    EXPECT_EQ(main_.srv->Cleanup(), S_OK);
    int id = 0;
    EXPECT_EQ(pcp_.symbol->Sections(&id), kNotAccepted);
    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
    ForgetMain();
    // The main debugger's object goes first; the module's lock count in TearDown tells
    // that nothing of either is left.
    main_.Release();
}

TEST_F(PcpSymbolServer, BoundWithoutAMainDebuggerRefusesEveryQuery)
{
    pcp_.host->WindowValues()->SetPcpMaster(u"nobody");
    ASSERT_EQ(pcp_.Init(), S_OK);
    EXPECT_EQ(pcp_.Engine(), nullptr);
    int id = 0;
    CComBSTR file("pcp.elf");
    EXPECT_EQ(pcp_.symbol->LoadFile(file, 1, 0, &id), kNotAccepted);
    EXPECT_EQ(pcp_.symbol->Sections(&id), kNotAccepted);
    EXPECT_EQ(pcp_.symbol->Functions(&id), kNotAccepted);
    LONG loaded = 1;
    EXPECT_EQ(pcp_.symbol->IsDatabase(&loaded), kNotAccepted);
    VARIANT names, values;
    VariantInit(&names);
    VariantInit(&values);
    EXPECT_EQ(pcp_.symbol->GetSections(1, &names, &values), kNotAccepted);
    EXPECT_EQ(pcp_.srv->Cleanup(), S_OK);
}

} // namespace
