// Shutting the engine down with requests queued, running and waiting.
#include "symbolengine.h"

#include "enginetesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using enginetest::CountedReader;
using enginetest::CountedResult;
using enginetest::EngineTest;
using enginetest::Gate;
using enginetest::RequesterWindow;
using enginetest::WaitUntil;

const int kLoad = 2000;
const int kSections = 0;

class EngineStopTest : public EngineTest {};

TEST_F(EngineStopTest, DestroyingTheEngineRunsTheStopFirstAndDropsWhatIsQueued)
{
    Gate gate;
    Handle(kLoad, [&](CSymbolRequest &request) {
        gate.Enter();
        request.m_pResult = new CountedResult;
    });
    std::atomic<int> queuedRuns{0};
    Handle(kSections, [&](CSymbolRequest &request) {
        ++queuedRuns;
        request.m_pResult = new CountedResult;
    });
    RequesterWindow window;
    Submit(kLoad, window.Requester());
    ASSERT_TRUE(gate.WaitInside());
    Submit(kSections, window.Requester());
    Submit(kSections, RequesterEvent);
    int syncId = -1;
    int syncStatus = StatusSuccess;
    std::thread caller([&] { syncId = Submit(kSections, RequesterSynchronous, 0, &syncStatus); });
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*m_engine) == 4; }));

    CSymbolEngine *engine = m_engine.get();
    std::thread destroyer([this] { delete m_engine.get(); });
    // The stop request goes to the head of the queue.
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*engine) == 5; }));
    gate.Open();
    destroyer.join();
    m_engine.release();
    caller.join();
    EXPECT_EQ(queuedRuns, 0);
    EXPECT_EQ(syncId, 0);
    EXPECT_EQ(syncStatus, StatusNotAccepted);
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 1u);
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(EngineStopTest, AStoppedEngineTakesNoMoreRequests)
{
    EXPECT_NE(Submit(kSections, RequesterSynchronous), 0);
    m_engine->Stop();
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 1u);
    int status = StatusSuccess;
    EXPECT_EQ(Submit(kSections, RequesterEvent, 0, &status), 0);
    EXPECT_EQ(status, StatusNotAccepted);
    EXPECT_EQ(Submit(kSections, RequesterSynchronous, 0, &status), 0);
    EXPECT_FALSE(CSymbolEngineTestPeer::IsWorkerRunning(*m_engine));
    m_engine->Stop(); // once is enough
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 1u);
}

TEST_F(EngineStopTest, AnEngineThatNeverRanStopsWithoutTellingTheHost)
{
    m_engine.reset();
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 0u);
}

TEST_F(EngineStopTest, StoppingWaitsForARequestThatTakesLongerThanASecond)
{
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    Handle(kLoad, [&](CSymbolRequest &) {
        started = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        finished = true;
    });
    Submit(kLoad, RequesterEvent);
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    m_engine->Stop();
    // Nothing that the handler could still use has gone under it.
    EXPECT_TRUE(finished);
}

TEST_F(EngineStopTest, AWorkerThatEndsInsideAHandlerLeavesNobodyWaiting)
{
    Gate gate;
    Handle(kLoad, [&](CSymbolRequest &) {
        gate.Enter();
        AfxEndThread(0);
    });
    int endingId = -1;
    int waitingId = -1;
    std::thread ending([&] { endingId = Submit(kLoad, RequesterSynchronous); });
    ASSERT_TRUE(gate.WaitInside());
    std::thread waiting([&] { waitingId = Submit(kSections, RequesterSynchronous); });
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*m_engine) == 2; }));
    gate.Open();
    ending.join();
    waiting.join();
    EXPECT_EQ(endingId, 0);
    EXPECT_EQ(waitingId, 0);
    int status = StatusSuccess;
    EXPECT_EQ(Submit(kSections, RequesterSynchronous, 0, &status), 0);
    EXPECT_EQ(status, StatusNotAccepted);
    m_engine.reset(); // does not wait for the stop request of a worker that is gone
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 0u);
}

TEST_F(EngineStopTest, AnEngineDestroyedFromItsOwnHandlerIsFreedByItsWorkerOnceTheHandlerReturns)
{
    // As when a host lets its last reference go while a handler holds one.
    Gate gate;
    CSymbolEngine *engine = m_engine.get();
    Handle(kLoad, [&](CSymbolRequest &) {
        gate.Enter();
        engine->CurrentReader = new CountedReader;
        engine->GlobalsCache = new CountedResult;
        CSymbolEngine::Destroy(engine);
    });
    Handle(kSections, [](CSymbolRequest &request) { request.m_pResult = new CountedResult; });
    ASSERT_NE(Submit(kSections, RequesterSynchronous), 0); // finished, never fetched
    Submit(kLoad, RequesterEvent);
    ASSERT_TRUE(gate.WaitInside());
    int waitingId = -1;
    int waitingStatus = StatusSuccess;
    std::thread waiting([&] { waitingId = Submit(kSections, RequesterSynchronous, 0, &waitingStatus); });
    ASSERT_TRUE(WaitUntil([&] { return CSymbolEngineTestPeer::QueuedCount(*engine) == 3; }));
    m_engine.release();
    gate.Open();
    waiting.join();
    EXPECT_EQ(waitingId, 0);
    EXPECT_EQ(waitingStatus, StatusNotAccepted);
    EXPECT_TRUE(WaitUntil([] { return CountedResult::live == 0; }));
    // The owner, which may be going when its last reference goes inside a handler, is not
    // asked any more.
    EXPECT_EQ(m_host->Downloads()->EngineStops(), 0u);
}

} // namespace
