#include "symbolprocessing.h"
#include "symbolservertesting.h"

#include <testing/countedobject.h>
#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace {

// What the callbacks saw.
struct Seen {
    int calls = 0;
    int lastId = 0;
    int errors = 0;
    std::thread::id thread;
    CFunctionTagArray functions;
    CSectionTagArray sections;
    ProgramLoadResult load;
    LocationTag location;
    int rawEntries = -1;
    CSymbolProcessing *detachInCallback = nullptr;
    CSymbolProcessing *deleteInCallback = nullptr;
};

Seen &AsSeen(DWORD_PTR context)
{
    return *reinterpret_cast<Seen *>(context);
}

void OnFunctions(CFunctionTagArray *records, DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    seen.thread = std::this_thread::get_id();
    seen.functions.Copy(*records);
    if (seen.detachInCallback != nullptr)
        seen.detachInCallback->Detach();
    delete std::exchange(seen.deleteInCallback, nullptr);
}

void OnSectionsWithId(int id, CSectionTagArray *records, DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    seen.lastId = id;
    seen.sections.Copy(*records);
}

void OnLoad(int id, const ProgramLoadResult *result, DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    seen.lastId = id;
    seen.load = *result;
}

void OnLocation(LocationTag *location, DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    seen.location = *location;
}

void OnRawVariables(int id, VARIANT *names, VARIANT *numbers, DWORD_PTR context, int)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    seen.lastId = id;
    CVariableTagArray records;
    if (SUCCEEDED(UnpackTagRecords(*names, *numbers, records)))
        seen.rawEntries = records.GetSize();
}

void OnRawLifetime(VARIANT *numbers, DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.calls;
    CLifetimeTagArray records;
    if (SUCCEEDED(UnpackTagRecords(*numbers, records)))
        seen.rawEntries = records.GetSize();
}

void OnError(DWORD_PTR context)
{
    Seen &seen = AsSeen(context);
    ++seen.errors;
    delete std::exchange(seen.deleteInCallback, nullptr);
}

DWORD_PTR Context(Seen &seen)
{
    return reinterpret_cast<DWORD_PTR>(&seen);
}

bool Called(const std::vector<std::string> &calls, const std::string &call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

class SymbolProcessingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        config.coreRegisters = {"D0", "D1", "A0"};
        config.sfrAddresses["PSW"] = 0xFE04;
        config.sfrAddresses["_QUICK_HACK_ALL_"] = 0xFFFFFFFF;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host), S_OK);
        CComObject<CTestSymbolServer> *object = nullptr;
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&object), S_OK);
        object->AddRef();
        server.Attach(object);
        server->SetHost(host);

        FunctionTag main;
        main.Name = "main";
        main.AddressValue = 0x8000;
        main.Length = 64;
        main.ReturnType = 3;
        main.Scope = -5;
        main.CallType = 2;
        server->Answers().functions.Add(main);
        SectionTag text;
        text.Name = ".text";
        text.Type = 1;
        text.AddressValue = 0x8000;
        server->Answers().sections.Add(text);
        VariableTag counter;
        counter.Name = "counter";
        server->Answers().variables.Add(counter);
        server->Answers().variables.Add(counter);
        LifetimeTag range;
        server->Answers().lifetimes.Add(range);
        server->Answers().location.EntryInFile = "main.c";
        server->Answers().location.SectionName = ".text";
    }

    IUnknown *Server() { return static_cast<IQelSymbol *>(server.p); }

    CComPtr<IUnknown> host;
    CComPtr<CComObject<CTestSymbolServer>> server;
};

TEST_F(SymbolProcessingTest, AttachNeedsTheSymbolServerAndTheControllerOnOneObject)
{
    CSymbolProcessing client;
    EXPECT_FALSE(client.Attach(host)); // no IQelSymbol there
    server->SetHost(nullptr);
    EXPECT_FALSE(client.Attach(Server())); // no controller information
    server->SetHost(host);
    EXPECT_TRUE(client.Attach(Server()));
    EXPECT_TRUE(client.Attach(Server()));
    CComObject<CTestSymbolServer> *other = nullptr;
    ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&other), S_OK);
    CComPtr<IQelSymbol> otherServer(other);
    other->SetHost(host);
    EXPECT_FALSE(client.Attach(otherServer)) << "a bound client takes only its own object";
    client.Detach();
    EXPECT_TRUE(client.Attach(otherServer)) << "a detached client may bind another object";
    EXPECT_EQ(client.GetSymbolInterface(), otherServer.p);
}

TEST_F(SymbolProcessingTest, WindowModeDeliversOnThePostedNoticeAndLeavesNothingInTheServer)
{
    CSymbolProcessing client(Server(), TRUE, FALSE);
    Seen seen;
    int id = client.RequestFunctions();
    ASSERT_NE(id, 0);
    EXPECT_EQ(client.GetLastError(), 0);
    EXPECT_TRUE(client.RegisterFunctionsCallback(id, OnFunctions, Context(seen)));
    EXPECT_EQ(seen.calls, 0) << "delivered only when the notice comes";
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return seen.calls == 1; }));
    ASSERT_EQ(seen.functions.GetSize(), 1);
    EXPECT_EQ(seen.functions[0].Name, "main");
    EXPECT_EQ(seen.functions[0].ReturnType, 3);
    EXPECT_EQ(seen.functions[0].Scope, -5);
    EXPECT_EQ(seen.functions[0].CallType, 2);
    EXPECT_EQ(seen.thread, std::this_thread::get_id());
    ASSERT_TRUE(server->WaitUntilIdle()); // the worker may still be on its way out of the post
    EXPECT_EQ(server->Outstanding(), 0u);
    // The requester was the client's window, not the event sentinel.
    auto calls = server->Calls();
    EXPECT_FALSE(Called(calls, "Functions() requester -1"));
    EXPECT_FALSE(Called(calls, "Functions() requester 0"));
}

TEST_F(SymbolProcessingTest, SynchronousRequestIsDeliveredBeforeTheRegistrationReturns)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    Seen seen;
    int id = client.RequestSections(0);
    ASSERT_NE(id & 0x80000000, 0);
    EXPECT_TRUE(client.RegisterSectionsCallbackWithId(id, OnSectionsWithId, Context(seen)));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.lastId, id);
    ASSERT_EQ(seen.sections.GetSize(), 1);
    EXPECT_EQ(seen.sections[0].Name, ".text");
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, EventModeHandsTheNoticeToTheClientsThreadAndKeepsAnEarlyOne)
{
    CSymbolProcessing client(Server(), FALSE, TRUE);
    Seen seen;
    int id = client.RequestFunctions();
    ASSERT_NE(id, 0);
    EXPECT_TRUE(Called(server->Calls(), "Functions() requester -1"));
    ASSERT_TRUE(server->WaitUntilIdle());
    // The event fired on the server's worker; its notice reaches this thread before the
    // callback is registered.
    QelPumpMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(server->Outstanding(), 1u) << "the result waits for its callback";
    EXPECT_TRUE(client.RegisterFunctionsCallback(id, OnFunctions, Context(seen)));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.thread, std::this_thread::get_id());
    EXPECT_NE(seen.thread, server->WorkerThread());
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, EventModeClientLeavesOtherClientsRequestsAlone)
{
    CSymbolProcessing mine(Server(), FALSE, TRUE);
    CSymbolProcessing other(Server(), FALSE, TRUE);
    Seen seen, otherSeen;
    EXPECT_NE(other.RequestSections(), 0); // advises the other client's sink
    ASSERT_TRUE(server->WaitUntilIdle());
    QelPumpMessagesUntil([] { return false; }, 50);
    int id = mine.RequestFunctions();
    ASSERT_TRUE(server->WaitUntilIdle());
    QelPumpMessagesUntil([] { return false; }, 100);
    other.Detach(); // deletes the other's own request only
    EXPECT_EQ(server->Outstanding(), 1u);
    EXPECT_TRUE(mine.RegisterFunctionsCallback(id, OnFunctions, Context(seen)));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, DetachDeletesEveryUndeliveredRequestAtTheServer)
{
    CSymbolProcessing client(Server(), TRUE, FALSE);
    Seen seen;
    server->HoldWorker(true);
    int queued = client.RequestFunctions();
    int registered = client.RequestSections();
    client.RegisterSectionsCallbackWithId(registered, OnSectionsWithId, Context(seen));
    int synchronous = client.RequestSections(0);
    ASSERT_NE(queued, 0);
    ASSERT_NE(synchronous, 0);
    EXPECT_EQ(server->Outstanding(), 3u);
    client.Detach();
    EXPECT_EQ(server->Outstanding(), 0u);
    server->HoldWorker(false);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(client.RequestFunctions(), 0) << "a detached client makes no request";
    EXPECT_EQ(client.GetLastError(), -1);
}

TEST_F(SymbolProcessingTest, ServerFailuresAreKeptAsTheLastError)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    server->FailNextQuery(0x80044001);
    EXPECT_EQ(client.RequestFunctions(), 0);
    EXPECT_EQ(client.GetLastError(), 1);
    EXPECT_NE(client.RequestFunctions(), 0);
    EXPECT_EQ(client.GetLastError(), 0) << "set after every call";
    EXPECT_FALSE(client.AddRequest(0, SymbolRequestTag())) << "id 0 registers nothing";
}

TEST_F(SymbolProcessingTest, MissingTextsAreSentAsPatterns)
{
    CSymbolProcessing client(Server(), FALSE, TRUE);
    client.RequestGlobals(nullptr, nullptr);
    client.RequestStatics("x", nullptr);
    client.RequestVariableWithScope(nullptr);
    client.RequestLocalsInScope(1, 0x100, nullptr);
    client.RequestStartupLabels(1, nullptr, nullptr);
    client.RequestBreakpointAddresses("main.c 12", 1);
    auto calls = server->Calls();
    EXPECT_TRUE(Called(calls, "Globals(*,*) requester -1"));
    EXPECT_TRUE(Called(calls, "Statics(x,*) requester -1"));
    EXPECT_TRUE(Called(calls, "VariableWithScope(*) requester -1"));
    EXPECT_TRUE(Called(calls, "LocalsInScope(1:256,*) requester -1"));
    EXPECT_TRUE(Called(calls, "StartupLabels(1,,) requester -1"));
    EXPECT_TRUE(Called(calls, "BreakpointAddresses(1,main.c 12) requester -1"));
    client.Detach();
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, AnAnswererAnswersEachRequestByItsCodeAndArguments)
{
    server->SetAnswerer([](int code, const std::vector<std::string> &arguments, TestSymbolAnswers &answers) {
        if (code == 401 && arguments == std::vector<std::string>{"counter", "*"}) {
            VariableTag found;
            found.Name = "counter";
            found.AddressValue = 0x40000010;
            answers.variables.Add(found);
        } else if (code == 800) {
            for (LONG n = 0; n < 3; ++n) {
                RegisterMapTag entry;
                entry.Name.Format("R%d", n);
                entry.Number = n;
                answers.registerMap.Add(entry);
            }
        } else {
            answers.statusByCode[code] = 6;
        }
    });
    CSymbolProcessing client(Server(), FALSE, FALSE);
    CVariableTagArray variables;
    ASSERT_TRUE(client.GetVariables(client.RequestGlobals("counter", nullptr, 0), variables));
    ASSERT_EQ(variables.GetSize(), 1);
    EXPECT_EQ(variables[0].AddressValue, 0x40000010);
    EXPECT_FALSE(client.GetVariables(client.RequestGlobals("other", nullptr, 0), variables));
    CRegisterMapTagArray registers;
    ASSERT_TRUE(client.GetRegisterMap(client.RequestRegisterMap(0), registers));
    ASSERT_EQ(registers.GetSize(), 3);
    EXPECT_EQ(registers[2].Name, "R2");
    EXPECT_EQ(registers[2].Number, 2);
    EXPECT_EQ(registers[2].RegisterIndex, -1);
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, FailedFetchDeliversNothingButCallsTheErrorCallback)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    Seen seen;
    client.SetErrorCallback(OnError, Context(seen));
    server->Answers().statusByCode[200] = 6;
    int id = client.RequestFunctions(0);
    client.RegisterFunctionsCallback(id, OnFunctions, Context(seen));
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(seen.errors, 1);
    EXPECT_EQ(client.GetLastError(), 6);
    EXPECT_EQ(server->Outstanding(), 0u);
    // The failed fetch consumed the request, so the client no longer counts it as open.
    client.Detach();
    EXPECT_FALSE(Called(server->Calls(), "DeleteRequest(" + std::to_string(id) + ")"));
}

TEST_F(SymbolProcessingTest, LoadResultCarriesPathIdAndStatusAndReleasesTheProgramInformation)
{
    CountedObject info;
    server->SetProgramInfo(&info);
    ULONG before = info.References();
    CSymbolProcessing client(Server(), FALSE, FALSE);
    Seen seen;
    int id = client.LoadFile("/work/app.elf", 3, nullptr, 0);
    client.RegisterProgramInfoCallbackWithId(id, OnLoad, Context(seen));
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.load.Path, "/work/app.elf");
    EXPECT_EQ(seen.load.ProgramId, 3);
    EXPECT_EQ(seen.load.Status, 0);
    server->SetProgramInfo(nullptr);
    EXPECT_EQ(info.References(), before - 1) << "the client let the object go";

    server->Answers().statusByCode[2000] = 7;
    id = client.LoadFile("/work/bad.bin", 4, nullptr, 0);
    client.RegisterProgramInfoCallbackWithId(id, OnLoad, Context(seen));
    ASSERT_EQ(seen.calls, 2) << "a failed load is delivered too";
    EXPECT_EQ(seen.load.Path, "/work/bad.bin");
    EXPECT_EQ(seen.load.ProgramId, 4);
    EXPECT_EQ(seen.load.Status, ProgramLoadResult::kLoadFailed);
    EXPECT_EQ(client.GetLastError(), 7);
}

TEST_F(SymbolProcessingTest, RawCallbacksGetTheTransferArrays)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    Seen seen;
    int id = client.RequestVariablesInScope(1, 0x8000, "counter", 0);
    client.RegisterVariablesRawCallbackWithId(id, OnRawVariables, Context(seen));
    EXPECT_EQ(seen.lastId, id);
    EXPECT_EQ(seen.rawEntries, 2);
    id = client.RequestLifetime(7, 0);
    client.RegisterLifetimeRawCallback(id, OnRawLifetime, Context(seen));
    EXPECT_EQ(seen.calls, 2);
    EXPECT_EQ(seen.rawEntries, 1);
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, LocationArrivesAsOneRecord)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    Seen seen;
    int id = client.RequestLocation(1, 0x8004, 0);
    client.RegisterLocationCallback(id, OnLocation, Context(seen));
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.location.EntryInFile, "main.c");
    EXPECT_EQ(seen.location.SectionName, ".text");
}

TEST_F(SymbolProcessingTest, ACallbackMayDetachTheClientAndTheClientBindsAgain)
{
    CSymbolProcessing client(Server(), TRUE, FALSE);
    Seen seen;
    seen.detachInCallback = &client;
    int id = client.RequestFunctions();
    int other = client.RequestSections();
    client.RegisterFunctionsCallback(id, OnFunctions, Context(seen));
    ASSERT_NE(other, 0);
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return seen.calls == 1; }));
    EXPECT_EQ(client.GetSymbolInterface(), nullptr);
    ASSERT_TRUE(server->WaitUntilIdle());
    EXPECT_EQ(server->Outstanding(), 0u);
    seen.detachInCallback = nullptr;
    EXPECT_TRUE(client.Attach(Server()));
    id = client.RequestFunctions();
    client.RegisterFunctionsCallback(id, OnFunctions, Context(seen));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return seen.calls == 2; }));
}

TEST_F(SymbolProcessingTest, ACallbackMayDestroyTheClientThatDeliversToIt)
{
    Seen seen;
    // From the request window's notice.
    seen.deleteInCallback = new CSymbolProcessing(Server(), TRUE, FALSE);
    seen.deleteInCallback->SetErrorCallback(OnError, Context(seen));
    int id = seen.deleteInCallback->RequestFunctions();
    seen.deleteInCallback->RegisterFunctionsCallback(id, OnFunctions, Context(seen));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return seen.calls == 1; }));
    // Before the registration returns.
    CSymbolProcessing *client = seen.deleteInCallback = new CSymbolProcessing(Server(), FALSE, FALSE);
    client->RegisterFunctionsCallback(client->RequestFunctions(0), OnFunctions, Context(seen));
    EXPECT_EQ(seen.calls, 2);
    // From the error callback of a failed fetch, in event mode.
    server->Answers().statusByCode[200] = 6;
    client = seen.deleteInCallback = new CSymbolProcessing(Server(), FALSE, TRUE);
    client->SetErrorCallback(OnError, Context(seen));
    client->RegisterFunctionsCallback(client->RequestFunctions(), OnFunctions, Context(seen));
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return seen.errors == 1; }));
    EXPECT_EQ(seen.deleteInCallback, nullptr);
    ASSERT_TRUE(server->WaitUntilIdle());
    EXPECT_EQ(server->Outstanding(), 0u);
}

TEST_F(SymbolProcessingTest, ControllerQuestionsGoToTheHostsControllerInformation)
{
    CSymbolProcessing client(Server(), FALSE, FALSE);
    LONG bits = 0;
    EXPECT_TRUE(client.GetWordSize(&bits));
    EXPECT_EQ(bits, 32);
    CStringArray registers;
    ASSERT_TRUE(client.GetCoreRegisters(registers));
    ASSERT_EQ(registers.GetSize(), 3);
    EXPECT_EQ(registers[2], "A0");
    ULONG address = 0;
    EXPECT_TRUE(client.GetSFRegisterAddress("PSW", &address));
    EXPECT_EQ(address, 0xFE04u);
    EXPECT_FALSE(client.GetSFRegisterAddress("_QUICK_HACK_ALL_", &address));
    EXPECT_EQ(address, 0xFFFFFFFFu);
    EXPECT_TRUE(client.IsDatabase());
    server->m_database = 0;
    EXPECT_FALSE(client.IsDatabase());
    CSymbolProcessing detached;
    EXPECT_FALSE(detached.GetWordSize(&bits));
    address = 0;
    EXPECT_FALSE(detached.GetSFRegisterAddress("PSW", &address));
    EXPECT_EQ(address, 0xFFFFFFFFu);
}

} // namespace
