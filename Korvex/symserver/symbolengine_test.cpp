// The request queue as requesters meet it: ids, order, notices, fetching and deleting.
#include "symbolengine.h"

#include "enginetesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using enginetest::CountedResult;
using enginetest::EngineTest;
using enginetest::Gate;
using enginetest::RequesterWindow;
using enginetest::WaitUntil;

// Codes of queries that need a loaded program, and the test's own load.
const int kGlobals = 401;
const int kLoad = 2000;
const int kLocation = 4000;

class RequestQueueTest : public EngineTest {
protected:
    // Records the first parameter of every request of `code` that runs, in order, and
    // notes when two handlers ever ran at once.
    void Record(int code)
    {
        Handle(code, [this](CSymbolRequest &request) {
            if (++m_inside != 1)
                m_overlapped = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            {
                std::lock_guard<std::mutex> hold(m_runLock);
                m_runs.push_back(request.Param1.lVal);
            }
            --m_inside;
        });
    }
    std::vector<LONG> Runs()
    {
        std::lock_guard<std::mutex> hold(m_runLock);
        return m_runs;
    }
    // The handler of `code` waits at `gate`.
    void HoldAt(int code, Gate &gate)
    {
        Handle(code, [&gate](CSymbolRequest &) { gate.Enter(); });
    }

    std::mutex m_runLock;
    std::vector<LONG> m_runs;
    std::atomic<int> m_inside{0};
    std::atomic<bool> m_overlapped{false};
};

TEST_F(RequestQueueTest, RequestsRunOneAtATimeInTheOrderTheyCame)
{
    Record(kLocation);
    RequesterWindow window;
    std::vector<int> ids;
    for (LONG i = 1; i <= 6; ++i)
        ids.push_back(Submit(kLocation, window.Requester(), i));
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(window.WaitForNotices(6));
    EXPECT_EQ(Runs(), (std::vector<LONG>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(m_overlapped);
    std::vector<enginetest::Notice> notices = window.Notices();
    for (size_t i = 0; i < notices.size(); ++i) {
        EXPECT_EQ(notices[i].group, 4000u) << "the request's group";
        EXPECT_EQ(notices[i].id, ids[i]);
        EXPECT_EQ(FetchStatus(ids[i]), StatusSuccess);
    }
}

TEST_F(RequestQueueTest, SynchronousRequestsGoBeforeEverythingQueued)
{
    Gate gate;
    HoldAt(kLoad, gate);
    Record(703);
    RequesterWindow window;
    Submit(kLoad, window.Requester());
    ASSERT_TRUE(gate.WaitInside());
    Submit(703, window.Requester(), 1);
    Submit(703, window.Requester(), 2);
    int syncId = 0;
    std::thread caller([&] { syncId = Submit(703, RequesterSynchronous, 3); });
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*m_engine) == 4; }));
    gate.Open();
    caller.join();
    EXPECT_EQ(static_cast<UINT>(syncId), 0x80000004u);
    ASSERT_FALSE(Runs().empty());
    EXPECT_EQ(Runs()[0], 3);
    // The caller can fetch its answer at once.
    EXPECT_EQ(FetchStatus(syncId), StatusSuccess);
    ASSERT_TRUE(window.WaitForNotices(3));
    EXPECT_EQ(Runs(), (std::vector<LONG>{3, 1, 2}));
}

TEST_F(RequestQueueTest, ASynchronousRequestReturnsOnlyOnceItHasRun)
{
    std::atomic<bool> ran{false};
    Handle(0, [&](CSymbolRequest &request) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        request.m_pResult = new CountedResult;
        ran = true;
    });
    int id = Submit(0, RequesterSynchronous);
    EXPECT_TRUE(ran);
    CSymbolRequest *request = m_engine->FindRequest(id);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->m_bDone, 1u);
    EXPECT_NE(request->m_pResult, nullptr);
    m_engine->DeleteRequest(id);
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(RequestQueueTest, IdsRunToTheLastPositiveNumberAndGoOnFromZero)
{
    std::atomic<int> runs{0};
    Handle(0, [&](CSymbolRequest &) { ++runs; });
    CSymbolEngineTestPeer::SetNextId(*m_engine, 0x7FFFFFFE);
    EXPECT_EQ(Submit(0, RequesterEvent), 0x7FFFFFFE);
    // An asynchronous request that draws 0 could never be fetched: it is refused.
    int status = StatusSuccess;
    EXPECT_EQ(Submit(0, RequesterEvent, 0, &status), 0);
    EXPECT_EQ(status, StatusNotAccepted);
    EXPECT_EQ(Submit(0, RequesterEvent), 1);
    ASSERT_TRUE(WaitUntil([&] { return runs == 2; }));

    // A synchronous one that draws 0 has bit 31, and runs.
    CSymbolEngineTestPeer::SetNextId(*m_engine, 0x7FFFFFFF);
    EXPECT_EQ(static_cast<UINT>(Submit(0, RequesterSynchronous, 0, &status)), 0x80000000u);
    EXPECT_EQ(status, StatusSuccess);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(FetchStatus(static_cast<int>(0x80000000u)), StatusSuccess);
    EXPECT_EQ(FetchStatus(0x7FFFFFFE), StatusSuccess);
    EXPECT_EQ(FetchStatus(1), StatusSuccess);
}

TEST_F(RequestQueueTest, ARequestIsFoundOnlyOnceFinishedAndOnlyUntilDeleted)
{
    Gate gate;
    HoldAt(kLoad, gate);
    int id = Submit(kLoad, RequesterEvent);
    ASSERT_TRUE(gate.WaitInside());
    // A fetch that comes before the notice finds nothing and takes nothing away.
    EXPECT_EQ(m_engine->FindRequest(id), nullptr);
    gate.Open();
    ASSERT_TRUE(WaitUntil([&] { return m_engine->FindRequest(id) != nullptr; }));
    EXPECT_EQ(FetchStatus(id), StatusSuccess);
    EXPECT_EQ(m_engine->FindRequest(id), nullptr);
    m_engine->DeleteRequest(id); // a second time: nothing there
    m_engine->DeleteRequest(12345);
}

TEST_F(RequestQueueTest, AQueryWaitsForAProgramUnlessItIsSynchronous)
{
    Record(kGlobals);
    Handle(kLoad, [this](CSymbolRequest &) { m_engine->DatabaseLoaded = 1; });
    RequesterWindow window;
    int waiting = Submit(kGlobals, window.Requester(), 1);

    // Synchronous: refused at once with status 6, its handler not run.
    int synchronous = Submit(kGlobals, RequesterSynchronous, 2);
    ASSERT_NE(synchronous, 0);
    EXPECT_EQ(FetchStatus(synchronous), StatusNoProgram);

    // Requests that need no program pass the waiting one.
    for (int code : {0, 703, 704, 4000})
        Submit(code, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(4));
    window.Pump(50);
    EXPECT_TRUE(Runs().empty());
    for (const enginetest::Notice &notice : window.Notices())
        EXPECT_NE(notice.id, waiting);

    Submit(kLoad, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(6));
    EXPECT_EQ(Runs(), (std::vector<LONG>{1}));
    EXPECT_EQ(window.Notices().back().id, waiting);
    EXPECT_EQ(window.Notices().back().group, 400u);
    EXPECT_EQ(FetchStatus(waiting), StatusSuccess);
}

TEST_F(RequestQueueTest, AFinishedRequestOfAClosedWindowIsDroppedOnTheNextPass)
{
    Handle(0, [](CSymbolRequest &request) { request.m_pResult = new CountedResult; });
    RequesterWindow window;
    int windowed = Submit(0, window.Requester());
    int evented = Submit(0, RequesterEvent);
    ASSERT_TRUE(window.WaitForNotices(1));
    ASSERT_TRUE(WaitUntil([&] { return m_engine->FindRequest(evented) != nullptr; }));
    window.Destroy();
    // Any request makes the worker walk the queue again.
    int next = Submit(0, RequesterSynchronous);
    EXPECT_TRUE(WaitUntil([&] { return m_engine->FindRequest(windowed) == nullptr; }));
    EXPECT_EQ(CountedResult::live, 2);
    // The event requester's request waits for its fetch.
    EXPECT_EQ(FetchStatus(evented), StatusSuccess);
    EXPECT_EQ(FetchStatus(next), StatusSuccess);
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(RequestQueueTest, AnEventRequestCallsTheReadyHookOnceFinished)
{
    std::mutex lock;
    std::vector<int> ready;
    std::vector<BOOL> foundWhenReady;
    m_engine->SetReadyHook([&](int id) {
        BOOL found = m_engine->FindRequest(id) != nullptr;
        std::lock_guard<std::mutex> hold(lock);
        ready.push_back(id);
        foundWhenReady.push_back(found);
    });
    RequesterWindow window;
    int first = Submit(kLocation, RequesterEvent);
    Submit(kLocation, window.Requester());
    Submit(kLocation, RequesterSynchronous);
    int second = Submit(kLocation, RequesterEvent);
    ASSERT_TRUE(window.WaitForNotices(1));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> hold(lock);
        return ready.size() == 2;
    }));
    std::lock_guard<std::mutex> hold(lock);
    EXPECT_EQ(ready, (std::vector<int>{first, second}));
    EXPECT_EQ(foundWhenReady, (std::vector<BOOL>{TRUE, TRUE}));
}

TEST_F(RequestQueueTest, AnEventSinkThatAsksSynchronouslyIsAnsweredAtOnce)
{
    std::atomic<int> answered{0};
    m_engine->SetReadyHook([&](int id) {
        if (FetchStatus(id) == StatusSuccess && FetchStatus(Submit(kLocation, RequesterSynchronous)) == StatusSuccess)
            ++answered;
    });
    Submit(kLocation, RequesterEvent);
    EXPECT_TRUE(WaitUntil([&] { return answered == 1; }));
}

TEST_F(RequestQueueTest, AReadyHookThatThrowsDoesNotEndTheWorker)
{
    m_engine->SetReadyHook([](int) { AfxThrowMemoryException(); });
    Submit(0, RequesterEvent);
    EXPECT_NE(Submit(0, RequesterSynchronous), 0);
}

TEST_F(RequestQueueTest, ARequestDeletedWhileItRunsIsFreedAfterItsHandlerWithoutNotice)
{
    Gate gate;
    std::atomic<bool> handlerDone{false};
    Handle(kLoad, [&](CSymbolRequest &request) {
        gate.Enter();
        // The request is still there for its handler to write.
        request.m_pResult = new CountedResult;
        request.m_nStatus = StatusSuccess;
        handlerDone = true;
    });
    RequesterWindow window;
    int running = Submit(kLoad, window.Requester());
    ASSERT_TRUE(gate.WaitInside());
    m_engine->DeleteRequest(running);
    gate.Open();
    int after = Submit(0, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(1));
    window.Pump(20);
    EXPECT_TRUE(handlerDone);
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].id, after);
    EXPECT_EQ(m_engine->FindRequest(running), nullptr);
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(RequestQueueTest, ASynchronousCallerIsWokenWhenItsRequestIsDeletedWhileItRuns)
{
    Gate gate;
    std::atomic<int> runningId{0};
    Handle(kLoad, [&](CSymbolRequest &request) {
        runningId = request.m_nId;
        gate.Enter();
        request.m_pResult = new CountedResult;
    });
    int id = -1;
    int status = StatusSuccess;
    std::thread caller([&] { id = Submit(kLoad, RequesterSynchronous, 0, &status); });
    ASSERT_TRUE(gate.WaitInside());
    m_engine->DeleteRequest(runningId);
    caller.join(); // while the handler still runs
    EXPECT_EQ(id, 0);
    EXPECT_EQ(status, StatusNotAccepted);
    gate.Open();
    EXPECT_NE(Submit(0, RequesterSynchronous), 0);
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(RequestQueueTest, ClearingTheQueueWakesSynchronousCallersAndKeepsTheRunningRequest)
{
    // As a program's unloading does: every request but its own goes.
    Gate gate;
    Handle(2001, [&](CSymbolRequest &request) {
        gate.Enter();
        m_engine->DeleteRequestsExcept(0);
        request.m_nResult = 1;
    });
    Record(0);
    RequesterWindow window;
    int unload = Submit(2001, window.Requester());
    ASSERT_TRUE(gate.WaitInside());
    Submit(0, window.Requester(), 1);
    int syncId = -1;
    int syncStatus = StatusSuccess;
    std::thread caller([&] { syncId = Submit(0, RequesterSynchronous, 2, &syncStatus); });
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*m_engine) == 3; }));
    gate.Open();
    caller.join();
    EXPECT_EQ(syncId, 0);
    EXPECT_EQ(syncStatus, StatusNotAccepted);
    ASSERT_TRUE(window.WaitForNotices(1));
    window.Pump(20);
    ASSERT_EQ(window.Notices().size(), 1u);
    EXPECT_EQ(window.Notices()[0].id, unload);
    CSymbolRequest *request = m_engine->FindRequest(unload);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->m_nResult, 1u);
    EXPECT_TRUE(Runs().empty());
}

TEST_F(RequestQueueTest, ASynchronousRequestMadeOnTheWorkerRunsAtOnce)
{
    std::atomic<int> innerId{0};
    std::atomic<int> innerStatus{-100};
    std::atomic<bool> innerRan{false};
    Handle(703, [&](CSymbolRequest &) { innerRan = true; });
    Handle(0, [&](CSymbolRequest &) {
        CSymbolRequest inner(RequesterSynchronous);
        inner.m_nCode = 703;
        innerId = m_engine->Submit(inner);
        innerStatus = FetchStatus(innerId);
    });
    RequesterWindow window;
    Submit(0, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(1));
    EXPECT_TRUE(innerRan);
    EXPECT_NE(innerId, 0);
    EXPECT_EQ(innerStatus, StatusSuccess);
}

TEST_F(RequestQueueTest, AnUnknownCodeRunsNothingAndSucceeds)
{
    RequesterWindow window;
    int id = Submit(5001, window.Requester());
    ASSERT_TRUE(window.WaitForNotices(1));
    EXPECT_EQ(window.Notices()[0].group, 5000u);
    CSymbolRequest *request = m_engine->FindRequest(id);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->m_nStatus, StatusSuccess);
    EXPECT_EQ(request->m_pResult, nullptr);
}

TEST_F(RequestQueueTest, TheControllerRequestRunsWithoutAProgramAndFindingNothingIsNoFailure)
{
    int id = Submit(3000, RequesterSynchronous);
    EXPECT_EQ(FetchStatus(id), StatusSuccess);
}

TEST_F(RequestQueueTest, NobodyButTheEngineMaySubmitItsStopRequest)
{
    int status = StatusSuccess;
    EXPECT_EQ(Submit(0x7FFFFFFC, RequesterSynchronous, 0, &status), 0);
    EXPECT_EQ(status, StatusNotAccepted);
    EXPECT_NE(Submit(0, RequesterSynchronous), 0);
}

TEST_F(RequestQueueTest, AfterASecondWithoutRequestsTheIdlePassRuns)
{
    std::atomic<int> idlePasses{0};
    std::atomic<DWORD> idleSinceInQuery{1};
    Handle(0x7FFFFFFE, [&](CSymbolRequest &) {
        m_engine->IdleSince = GetTickCount() | 1;
        ++idlePasses;
    });
    Handle(0, [&](CSymbolRequest &) { idleSinceInQuery = m_engine->IdleSince; });
    Submit(0, RequesterEvent);
    ASSERT_TRUE(WaitUntil([&] { return idlePasses >= 1; }));
    idleSinceInQuery = 1;
    // Any request but the idle one ends the idle time.
    Submit(0, RequesterSynchronous);
    EXPECT_EQ(idleSinceInQuery, 0u);
}

} // namespace
