// The symbol-request client against the real symbol server: QelSymbol carried by the
// host's debug-server object and initialised in the host's order, with handlers in its
// engine that answer fixed records where the query handlers will stand. The clients run
// on the test's thread, whose messages the test pumps; the server's worker finishes the
// requests and tells the clients by posted message or by event.
#include "korvextestmodule.h"

#include <enginetesting.h>
#include <qelsymbolserver.h>

#include <debugserver.h>
#include <programinfo.h>
#include <symbolprocessing.h>
#include <symprocrdysink.h>
#include <testing/countedobject.h>
#include <testing/stgtesting.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

using enginetest::WaitUntil;

// The records the handlers answer with.
CArray<SectionTag, SectionTag &> *Sections()
{
    auto *records = new CArray<SectionTag, SectionTag &>;
    SectionTag text;
    text.Type = 1;
    text.AddressValue = 0x8000;
    text.Length = 0x400;
    text.Name = ".text";
    SectionTag data;
    data.Type = 3;
    data.AddressValue = 0x20000000;
    data.Length = 0x80;
    data.Name = ".data";
    records->Add(text);
    records->Add(data);
    return records;
}

CArray<SourceFileTag, SourceFileTag &> *SourceFiles()
{
    auto *records = new CArray<SourceFileTag, SourceFileTag &>;
    SourceFileTag file;
    file.Name = "main.c";
    file.Type = 1000;
    file.EntryInFile = "src/main.c";
    file.SourceLine = 12;
    file.AddressValue = 0x8000;
    records->Add(file);
    return records;
}

CArray<FunctionTag, FunctionTag &> *Functions()
{
    auto *records = new CArray<FunctionTag, FunctionTag &>;
    FunctionTag main;
    main.Name = "main";
    main.AddressValue = 0x8010;
    main.Length = 0x40;
    main.ReturnType = 3;
    main.Scope = 2;
    records->Add(main);
    return records;
}

CArray<VariableTag, VariableTag &> *Globals()
{
    auto *records = new CArray<VariableTag, VariableTag &>;
    VariableTag counter;
    counter.Name = "counter";
    counter.TypeCode = 7;
    counter.TypeText = "int";
    counter.SizeInBits = 32;
    counter.SymbolID = 5;
    counter.SymbolIndex = 41;
    counter.ScopeText = "main.c";
    counter.AddressValue = 0x20000010;
    records->Add(counter);
    return records;
}

CArray<LabelTag, LabelTag &> *Labels(LPCSTR name, DWORD address)
{
    auto *records = new CArray<LabelTag, LabelTag &>;
    LabelTag label;
    label.Name = name;
    label.AddressValue = address;
    label.Size = 2;
    records->Add(label);
    return records;
}

LocationTag *Location()
{
    auto *location = new LocationTag;
    location->Name = "main.c";
    location->SourceLine = 14;
    location->AddressValue = 0x8014;
    location->SectionName = ".text";
    location->SectionAddressValue = 0x8000;
    return location;
}

// What one client's callbacks received, and on which thread.
struct Delivered {
    int calls = 0;
    int errors = 0;
    std::vector<std::thread::id> threads;
    ProgramLoadResult load;
    CSectionTagArray sections;
    CSourceFileTagArray sourceFiles;
    CFunctionTagArray functions;
    CVariableTagArray variables;
    CLabelTagArray labels;
    CLabelTagArray breakpoints;
    LocationTag location;
};

Delivered &Of(DWORD_PTR context)
{
    Delivered &delivered = *reinterpret_cast<Delivered *>(context);
    ++delivered.calls;
    delivered.threads.push_back(std::this_thread::get_id());
    return delivered;
}

void OnLoad(int, const ProgramLoadResult *result, DWORD_PTR context)
{
    Of(context).load = *result;
}
void OnSections(CSectionTagArray *records, DWORD_PTR context)
{
    Of(context).sections.Copy(*records);
}
void OnSourceFiles(CSourceFileTagArray *records, DWORD_PTR context)
{
    Of(context).sourceFiles.Copy(*records);
}
void OnFunctions(int, CFunctionTagArray *records, DWORD_PTR context)
{
    Of(context).functions.Copy(*records);
}
void OnVariables(CVariableTagArray *records, DWORD_PTR context)
{
    Of(context).variables.Copy(*records);
}
void OnLabels(CLabelTagArray *records, DWORD_PTR context)
{
    Of(context).labels.Copy(*records);
}
void OnBreakpoints(int, CLabelTagArray *records, DWORD_PTR context)
{
    Of(context).breakpoints.Copy(*records);
}
void OnLocation(LocationTag *location, DWORD_PTR context)
{
    Of(context).location = *location;
}
void OnError(DWORD_PTR context)
{
    ++reinterpret_cast<Delivered *>(context)->errors;
}

DWORD_PTR Context(Delivered &delivered)
{
    return reinterpret_cast<DWORD_PTR>(&delivered);
}

// The codes of the requests that AskEveryGroup makes.
const int kAskedCodes[] = {RequestCodeLoadFile, 0, 100, 200, 401, 700, RequestCodeBreakpointAddresses, 4000};

class SymbolClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        if (HasFatalFailure())
            return;
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host_), S_OK);
        ASSERT_EQ(DebugServer()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv_)), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbol, reinterpret_cast<void **>(&symbol_)), S_OK);
        ASSERT_EQ(srv_->Init(host_, nullptr), S_OK);
        storage_.Attach(NewMemoryStorage());
        ASSERT_EQ(srv_->Init(storage_, &gui_), S_OK);
        ASSERT_EQ(srv_->RestoreSettings(), S_OK);
        engine_ = static_cast<CQelSymbolServer *>(static_cast<CFvSymbSrv *>(srv_.p))->EngineHolder().GetEngine();
        ASSERT_NE(engine_, nullptr);
        InstallHandlers();
    }

    void TearDown() override
    {
        if (srv_ != nullptr)
            srv_->Cleanup();
        srv_.Release();
        symbol_.Release();
        if (host_ != nullptr)
            DebugServer()->ReleaseSymbolServer();
        host_.Release();
        module_.Revoke();
    }

    QelHost::CHostDebugServer *DebugServer()
    {
        return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p));
    }

    // Handlers that answer each group with fixed records and note who asked. A load
    // makes the program's queries possible; a load of "missing.elf" fails as a file that
    // is not there.
    void InstallHandlers()
    {
        Answer(RequestCodeLoadFile, [this](CSymbolRequest &request) {
            CString path(request.Param1.bstrVal);
            if (path == "missing.elf")
                AfxThrowFileException(CFileException::fileNotFound, -1, path);
            CProgramInfo *info = nullptr;
            if (FAILED(CreateProgramInfo(QEL_PROGRAM_ELF, &info)))
                AfxThrowMemoryException();
            info->m_nProgramId = request.Param3.lVal;
            request.m_pProgramInfo = static_cast<IProgramInfo *>(info);
            info->Release();
            engine_->DatabaseLoaded = 1;
        });
        Answer(0, [](CSymbolRequest &request) { request.m_pResult = Sections(); });
        Answer(100, [](CSymbolRequest &request) { request.m_pResult = SourceFiles(); });
        Answer(200, [](CSymbolRequest &request) { request.m_pResult = Functions(); });
        Answer(401, [](CSymbolRequest &request) { request.m_pResult = Globals(); });
        Answer(700, [](CSymbolRequest &request) { request.m_pResult = Labels("Start", 0x8000); });
        Answer(RequestCodeBreakpointAddresses,
               [](CSymbolRequest &request) { request.m_pResult = Labels("main.c 14", 0x8014); });
        Answer(4000, [](CSymbolRequest &request) { request.m_pLocation = Location(); });
    }
    void Answer(int code, std::function<void(CSymbolRequest &)> answer)
    {
        engine_->SetHandler(code, [this, answer](CSymbolRequest &request) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                requesters_[request.m_nCode].push_back(request.m_nRequester);
            }
            answer(request);
        });
    }
    std::vector<DWORD> Requesters(int code)
    {
        std::lock_guard<std::mutex> hold(lock_);
        return requesters_[code];
    }

    // TRUE once the engine holds no request any more: every result was fetched or
    // deleted.
    bool EngineIsEmpty()
    {
        return WaitUntil([this] { return CSymbolEngineTestPeer::QueuedCount(*engine_) == 0; });
    }

    // Loads a program, then asks one question of each group and registers its callback.
    // Answers the number of callbacks to wait for.
    int AskEveryGroup(CSymbolProcessing &client, Delivered &delivered)
    {
        int id = client.LoadFile("/work/app.elf", 7, nullptr);
        EXPECT_NE(id, 0);
        EXPECT_TRUE(client.RegisterProgramInfoCallbackWithId(id, OnLoad, Context(delivered)));
        EXPECT_TRUE(QelPumpMessagesUntil([&] { return delivered.calls == 1; }, 10000));
        EXPECT_TRUE(client.RegisterSectionsCallback(client.RequestSections(), OnSections, Context(delivered)));
        EXPECT_TRUE(client.RegisterSourceFilesCallback(client.RequestSourceFiles(), OnSourceFiles, Context(delivered)));
        EXPECT_TRUE(client.RegisterFunctionsCallbackWithId(client.RequestFunctions(), OnFunctions, Context(delivered)));
        EXPECT_TRUE(
            client.RegisterVariablesCallback(client.RequestGlobals("count*", nullptr), OnVariables, Context(delivered)));
        EXPECT_TRUE(client.RegisterLabelsCallback(client.RequestCodeLabel("Start"), OnLabels, Context(delivered)));
        EXPECT_TRUE(client.RegisterLabelsCallbackWithId(client.RequestBreakpointAddresses("main.c 14", 1),
                                                        OnBreakpoints, Context(delivered)));
        EXPECT_TRUE(client.RegisterLocationCallback(client.RequestLocation(1, 0x8014), OnLocation, Context(delivered)));
        return 8;
    }

    // What the handlers produced is what the callbacks got.
    static void ExpectEveryGroupDelivered(const Delivered &delivered)
    {
        EXPECT_EQ(delivered.load.Path, "/work/app.elf");
        EXPECT_EQ(delivered.load.ProgramId, 7);
        EXPECT_EQ(delivered.load.Status, 0);
        ASSERT_EQ(delivered.sections.GetSize(), 2);
        EXPECT_EQ(delivered.sections[0].Name, ".text");
        EXPECT_EQ(delivered.sections[1].AddressValue, 0x20000000u);
        EXPECT_EQ(delivered.sections[1].Length, 0x80u);
        ASSERT_EQ(delivered.sourceFiles.GetSize(), 1);
        EXPECT_EQ(delivered.sourceFiles[0].EntryInFile, "src/main.c");
        EXPECT_EQ(delivered.sourceFiles[0].Type, 1000);
        ASSERT_EQ(delivered.functions.GetSize(), 1);
        EXPECT_EQ(delivered.functions[0].Name, "main");
        EXPECT_EQ(delivered.functions[0].Length, 0x40u);
        EXPECT_EQ(delivered.functions[0].ReturnType, 3);
        ASSERT_EQ(delivered.variables.GetSize(), 1);
        EXPECT_EQ(delivered.variables[0].Name, "counter");
        EXPECT_EQ(delivered.variables[0].TypeText, "int");
        EXPECT_EQ(delivered.variables[0].ScopeText, "main.c");
        EXPECT_EQ(delivered.variables[0].SymbolIndex, 41);
        EXPECT_EQ(delivered.variables[0].AddressValue, 0x20000010u);
        ASSERT_EQ(delivered.labels.GetSize(), 1);
        EXPECT_EQ(delivered.labels[0].Name, "Start");
        ASSERT_EQ(delivered.breakpoints.GetSize(), 1);
        EXPECT_EQ(delivered.breakpoints[0].AddressValue, 0x8014u);
        EXPECT_EQ(delivered.location.Name, "main.c");
        EXPECT_EQ(delivered.location.SourceLine, 14);
        EXPECT_EQ(delivered.location.SectionName, ".text");
        EXPECT_EQ(delivered.location.SectionAddressValue, 0x8000u);
        for (std::thread::id thread : delivered.threads)
            EXPECT_EQ(thread, std::this_thread::get_id()) << "every callback runs on the client's thread";
    }

    CKorvexTestModule module_;
    CComPtr<IUnknown> host_;
    CComPtr<IQelSymbSrv> srv_;
    CComPtr<IQelSymbol> symbol_;
    CComPtr<IStorage> storage_;
    CountedObject gui_;
    CSymbolEngine *engine_ = nullptr;
    std::mutex lock_;
    std::map<int, std::vector<DWORD>> requesters_;
};

TEST_F(SymbolClient, WindowModeDeliversEveryGroupThroughTheRequestWindow)
{
    CSymbolProcessing client(host_, TRUE, FALSE);
    ASSERT_NE(client.GetControllerInfo(), nullptr) << "the controller comes from the host's chain";
    Delivered delivered;
    int expected = AskEveryGroup(client, delivered);
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return delivered.calls == expected; }, 10000));
    ExpectEveryGroupDelivered(delivered);
    EXPECT_EQ(client.GetLastError(), 0);
    for (int code : kAskedCodes) {
        ASSERT_EQ(Requesters(code).size(), 1u) << code;
        DWORD requester = Requesters(code)[0];
        EXPECT_NE(requester, RequesterEvent) << code;
        EXPECT_NE(requester, RequesterSynchronous) << code;
    }
    EXPECT_TRUE(EngineIsEmpty());
}

TEST_F(SymbolClient, EventModeDeliversEveryGroupOnTheClientsThread)
{
    CSymbolProcessing client(host_, FALSE, TRUE);
    Delivered delivered;
    int expected = AskEveryGroup(client, delivered);
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return delivered.calls == expected; }, 10000));
    ExpectEveryGroupDelivered(delivered);
    for (int code : kAskedCodes)
        EXPECT_EQ(Requesters(code), std::vector<DWORD>{RequesterEvent}) << code;
    EXPECT_TRUE(EngineIsEmpty());
}

TEST_F(SymbolClient, SynchronousRequestsAreDeliveredAsTheyAreRegistered)
{
    CSymbolProcessing client(host_, FALSE, FALSE);
    Delivered delivered;
    int id = client.RequestSections(0);
    ASSERT_NE(id & 0x80000000, 0);
    client.RegisterSectionsCallback(id, OnSections, Context(delivered));
    EXPECT_EQ(delivered.calls, 1);
    EXPECT_EQ(delivered.sections.GetSize(), 2);
    EXPECT_TRUE(EngineIsEmpty());
}

TEST_F(SymbolClient, AFailedLoadIsDeliveredWithItsPathAndTheFailure)
{
    CSymbolProcessing client(host_, TRUE, FALSE);
    Delivered delivered;
    client.SetErrorCallback(OnError, Context(delivered));
    int id = client.LoadFile("missing.elf", 3, nullptr);
    client.RegisterProgramInfoCallbackWithId(id, OnLoad, Context(delivered));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return delivered.calls == 1; }, 10000));
    EXPECT_EQ(delivered.load.Path, "missing.elf");
    EXPECT_EQ(delivered.load.ProgramId, 3);
    EXPECT_EQ(delivered.load.Status, ProgramLoadResult::kLoadFailed);
    EXPECT_EQ(client.GetLastError(), StatusFileError);
    EXPECT_EQ(delivered.errors, 1);
    EXPECT_TRUE(EngineIsEmpty());
}

TEST_F(SymbolClient, AQueryOfTheProgramWaitsUntilOneIsLoaded)
{
    CSymbolProcessing client(host_, FALSE, TRUE);
    Delivered delivered;
    int id = client.RequestFunctions();
    client.RegisterFunctionsCallbackWithId(id, OnFunctions, Context(delivered));
    QelPumpMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(delivered.calls, 0);
    id = client.LoadFile("/work/app.elf", 7, nullptr);
    client.RegisterProgramInfoCallbackWithId(id, OnLoad, Context(delivered));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return delivered.calls == 2; }, 10000));
    EXPECT_EQ(delivered.load.Status, 0);
    ASSERT_EQ(delivered.functions.GetSize(), 1);
    EXPECT_EQ(delivered.functions[0].Name, "main");
    EXPECT_TRUE(EngineIsEmpty());
}

TEST_F(SymbolClient, ResultsNobodyFetchedAreDeletedWhenTheClientGoes)
{
    enginetest::Gate gate;
    Delivered late;
    Answer(2, [&gate](CSymbolRequest &request) {
        gate.Enter();
        request.m_pResult = Sections();
    });
    {
        CSymbolProcessing events(host_, FALSE, TRUE);
        CSymbolProcessing windows(host_, TRUE, FALSE);
        // Finished, announced, and never registered for.
        ASSERT_NE(events.RequestSections(), 0);
        ASSERT_NE(windows.RequestLocation(1, 0x8000), 0);
        ASSERT_TRUE(WaitUntil([&] { return Requesters(0).size() == 1 && Requesters(4000).size() == 1; }));
        QelPumpMessagesUntil([] { return false; }, 50);
        // Registered, and still running when the client goes; one queued behind it, and
        // one that waits for a program.
        int running = windows.RequestSectionByAddress(1, 0x8000);
        windows.RegisterSectionsCallback(running, OnSections, Context(late));
        ASSERT_TRUE(gate.WaitInside());
        ASSERT_NE(events.RequestSections(), 0);
        ASSERT_NE(events.RequestFunctions(), 0);
        EXPECT_EQ(CSymbolEngineTestPeer::QueuedCount(*engine_), 5);
    }
    gate.Open();
    EXPECT_TRUE(EngineIsEmpty());
    QelPumpMessagesUntil([] { return false; }, 50);
    EXPECT_EQ(late.calls, 0);
}

// Follows the pattern window through the symbol server's second event interface.
class CPatternWindowFollower : public CSymProcRdySink2 {
public:
    ~CPatternWindowFollower() override { Unadvise(); }
    void OnPatternWindowOpen(LONG start, LONG length) override { log.push_back({1, start, length}); }
    void OnPatternWindowClose(LONG start, LONG length) override { log.push_back({0, start, length}); }
    std::vector<std::vector<LONG>> log;
};

TEST_F(SymbolClient, PatternWindowOpenAndCloseReachTheSecondSink)
{
    CPatternWindowFollower follower;
    ASSERT_TRUE(follower.Advise(host_));
    EXPECT_EQ(symbol_->FirePatternWindowState(1, 0x100, 0x20), S_OK);
    EXPECT_EQ(symbol_->FirePatternWindowState(0, 0x100, 0x20), S_OK);
    EXPECT_EQ(follower.log, (std::vector<std::vector<LONG>>{{1, 0x100, 0x20}, {0, 0x100, 0x20}}));
    EXPECT_TRUE(follower.Unadvise());
    symbol_->FirePatternWindowState(1, 0x200, 0x10);
    EXPECT_EQ(follower.log.size(), 2u);
}

// An event-mode client that counts the ready events reaching it once its destruction has
// begun.
class CWatchedClient : public CSymbolProcessing {
public:
    explicit CWatchedClient(IUnknown *host) : CSymbolProcessing(host, FALSE, TRUE)
    {
        std::lock_guard<std::mutex> hold(Lock());
        Live().insert(this);
    }
    ~CWatchedClient() override
    {
        Detach();
        std::lock_guard<std::mutex> hold(Lock());
        Live().erase(this);
    }
    static int LateEvents()
    {
        std::lock_guard<std::mutex> hold(Lock());
        return Late();
    }

protected:
    void OnSymbolProcReadyState(int requestId) override
    {
        {
            std::lock_guard<std::mutex> hold(Lock());
            if (Live().count(this) == 0)
                ++Late();
        }
        CSymbolProcessing::OnSymbolProcReadyState(requestId);
    }

private:
    static std::mutex &Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static std::set<const void *> &Live()
    {
        static std::set<const void *> live;
        return live;
    }
    static int &Late()
    {
        static int late = 0;
        return late;
    }
};

// A listener that takes its time over each ready event, so the server is still busy
// with the sinks it has copied when a client goes.
class CSlowListener : public CSymProcRdySink {
public:
    ~CSlowListener() override { Unadvise(); }
    void OnSymbolProcReadyState(int) override { std::this_thread::sleep_for(std::chrono::microseconds(300)); }
};

// Event-mode clients come and go while the worker fires the ready event of every
// finished request to all of them: a client is never called once it is going, and what
// it left unfetched is deleted at the server.
TEST_F(SymbolClient, ClientsDestroyedWhileReadyEventsFireAreNotCalledAfterwards)
{
    CSlowListener listener;
    ASSERT_TRUE(listener.Advise(host_));
    const size_t kAlive = 8;
    const int kRounds = 300;
    std::vector<std::unique_ptr<CWatchedClient>> clients;
    std::vector<Delivered> delivered(kRounds);
    for (int round = 0; round < kRounds; round++) {
        auto client = std::make_unique<CWatchedClient>(host_);
        ASSERT_NE(client->RequestSections(), 0);
        int located = client->RequestLocation(1, 0x8014);
        client->RegisterLocationCallback(located, OnLocation, Context(delivered[round]));
        client->RequestBreakpointAddresses("main.c 14", 1);
        clients.push_back(std::move(client));
        if (round % 3 == 0)
            QelPumpMessagesUntil([] { return false; }, 1);
        if (clients.size() > kAlive)
            clients.erase(clients.begin());
    }
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return delivered[kRounds - 1].calls == 1; }, 20000));
    clients.clear();
    EXPECT_EQ(CWatchedClient::LateEvents(), 0);
    EXPECT_TRUE(EngineIsEmpty());
    for (const Delivered &one : delivered) {
        EXPECT_LE(one.calls, 1);
        if (one.calls == 1) {
            EXPECT_EQ(one.location.SourceLine, 14);
        }
    }
}

} // namespace
