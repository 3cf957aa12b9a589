// Many threads submitting, fetching and deleting at once: nothing is lost, nothing is
// announced twice, nothing is freed twice or left behind. Bounded in count and in time.
#include "symbolengine.h"

#include "enginetesting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

using enginetest::CountedResult;
using enginetest::EngineTest;

const int kThreads = 8;
const int kRoundsPerThread = 150;
const auto kTimeLimit = std::chrono::seconds(60);

class EngineStressTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Handle(0, [](CSymbolRequest &request) { request.m_pResult = new CountedResult; });
        Handle(703, [](CSymbolRequest &request) { request.m_nResult = 703; });
        // A handler that asks the engine itself, as an event sink may.
        Handle(1, [this](CSymbolRequest &request) {
            CSymbolRequest inner(RequesterSynchronous);
            inner.m_nCode = 0;
            int id = m_engine->Submit(inner);
            // Unless another thread empties the queue in between, the answer is there.
            if (!m_clearing && (id == 0 || m_engine->FindRequest(id) == nullptr))
                ++m_failures;
            m_engine->DeleteRequest(id);
            request.m_pResult = new CountedResult;
        });
        m_engine->SetReadyHook([this](int id) {
            std::lock_guard<std::mutex> hold(m_readyLock);
            ++m_ready[id];
        });
    }

    int ReadyCount(int id)
    {
        std::lock_guard<std::mutex> hold(m_readyLock);
        auto found = m_ready.find(id);
        return found == m_ready.end() ? 0 : found->second;
    }

    // One requester: asynchronous requests, some deleted at once, some synchronous ones
    // between them; then it waits for the rest and fetches them.
    void Requester(unsigned seed, std::vector<int> &submitted)
    {
        std::mt19937 random(seed);
        std::vector<int> pending;
        for (int round = 0; round < kRoundsPerThread; ++round) {
            int code = static_cast<int>(random() % 3) == 0 ? 1 : (random() % 2 == 0 ? 0 : 703);
            int id = Submit(code, RequesterEvent);
            if (id == 0) {
                ++m_failures;
                continue;
            }
            submitted.push_back(id);
            if (random() % 3 == 0)
                m_engine->DeleteRequest(id); // queued, running or done: all the same to us
            else
                pending.push_back(id);
            if (round % 5 == 0) {
                int status = StatusOtherError;
                int sync = Submit(4000, RequesterSynchronous, 0, &status);
                if (sync == 0 || status != StatusSuccess || FetchStatus(sync) != StatusSuccess)
                    ++m_failures;
                submitted.push_back(sync);
            }
        }
        auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
        for (int id : pending) {
            while (ReadyCount(id) == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (FetchStatus(id) != StatusSuccess)
                ++m_failures;
        }
    }

    std::mutex m_readyLock;
    std::map<int, int> m_ready;
    std::atomic<int> m_failures{0};
    std::atomic<bool> m_clearing{false};
};

TEST_F(EngineStressTest, ManyRequestersAtOnceLoseNothing)
{
    auto start = std::chrono::steady_clock::now();
    std::vector<std::vector<int>> submitted(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([this, i, &submitted] { Requester(1000u + static_cast<unsigned>(i), submitted[i]); });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeLimit);

    EXPECT_EQ(m_failures, 0);
    std::set<int> ids;
    for (const std::vector<int> &own : submitted) {
        for (int id : own)
            EXPECT_TRUE(ids.insert(id).second) << "id given twice: " << id;
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(kThreads) * (kRoundsPerThread + kRoundsPerThread / 5));
    {
        std::lock_guard<std::mutex> hold(m_readyLock);
        for (const auto &ready : m_ready)
            EXPECT_EQ(ready.second, 1) << "announced more than once: " << ready.first;
    }
    // Every request went: fetched or deleted by its requester.
    EXPECT_EQ(CSymbolEngineTestPeer::QueuedCount(*m_engine), 0);
    m_engine.reset();
    EXPECT_EQ(CountedResult::live, 0);
}

TEST_F(EngineStressTest, DeletingEverythingWhileRequestersWaitLeavesNobodyWaiting)
{
    // As unloading a program does, again and again, while others ask synchronously.
    m_clearing = true;
    std::atomic<bool> done{false};
    std::thread clearer([&] {
        while (!done) {
            m_engine->DeleteRequestsExcept(0);
            std::this_thread::yield();
        }
    });
    std::vector<std::thread> threads;
    std::atomic<int> answered{0};
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRoundsPerThread; ++round) {
                int status = StatusSuccess;
                int id = Submit(round % 2 == 0 ? 0 : 1, RequesterSynchronous, 0, &status);
                // Either it ran, or it went before it finished and its caller was told.
                if (id != 0)
                    ++answered;
                else if (status != StatusNotAccepted)
                    ++m_failures;
                Submit(703, RequesterEvent);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    done = true;
    clearer.join();
    EXPECT_EQ(m_failures, 0);
    m_engine.reset();
    EXPECT_EQ(CountedResult::live, 0);
}

} // namespace
