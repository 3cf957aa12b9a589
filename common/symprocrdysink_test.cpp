#include "symbolservertesting.h"
#include "symprocrdysink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A sink whose handler holds each event until the test lets it go.
class CHeldSink : public CSymProcRdySink {
public:
    ~CHeldSink() override { Unadvise(); }
    void OnSymbolProcReadyState(int requestId) override
    {
        std::unique_lock<std::mutex> hold(m_lock);
        m_seen.push_back(requestId);
        m_inside = true;
        m_changed.notify_all();
        m_changed.wait(hold, [this] { return m_released; });
    }
    bool WaitInside()
    {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_changed.wait_for(hold, std::chrono::seconds(10), [this] { return m_inside; });
    }
    void Release()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_released = true;
        m_changed.notify_all();
    }
    std::vector<int> Seen()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_seen;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<int> m_seen;
    bool m_inside = false;
    bool m_released = false;
};

class CCountingSink : public CSymProcRdySink {
public:
    ~CCountingSink() override { Unadvise(); }
    void OnSymbolProcReadyState(int) override
    {
        ++calls;
        if (leaveInHandler)
            Unadvise();
        victim.reset();
    }
    int calls = 0;
    bool leaveInHandler = false;
    std::unique_ptr<CCountingSink> victim; // destroyed by the handler
};

class SymProcRdySink : public ::testing::Test {
protected:
    void SetUp() override
    {
        CComObject<CTestSymbolServer> *object = nullptr;
        ASSERT_EQ(CComObject<CTestSymbolServer>::CreateInstance(&object), S_OK);
        object->AddRef();
        server.Attach(object);
    }
    IUnknown *Source() { return static_cast<IQelSymbol *>(server.p); }

    CComPtr<CComObject<CTestSymbolServer>> server;
};

TEST_F(SymProcRdySink, UnadviseWaitsForTheEventInProgressOnAnotherThread)
{
    CHeldSink sink;
    ASSERT_TRUE(sink.Advise(Source()));
    std::thread firing([this] { server->FireRequestReady(5); });
    ASSERT_TRUE(sink.WaitInside());
    std::atomic<bool> unadvised{false};
    std::thread leaving([&] {
        sink.Unadvise();
        unadvised = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(unadvised) << "the sink may not go while the event still runs in it";
    sink.Release();
    firing.join();
    leaving.join();
    EXPECT_TRUE(unadvised);
    EXPECT_FALSE(sink.IsAdvised());
    server->FireRequestReady(6);
    EXPECT_EQ(sink.Seen(), std::vector<int>{5});
}

TEST_F(SymProcRdySink, ASinkDestroyedWhileTheSourceStillHoldsItIsNotCalled)
{
    // The source has copied both sinks before it calls the first, which destroys the
    // second.
    CCountingSink first;
    first.victim = std::make_unique<CCountingSink>();
    CCountingSink *second = first.victim.get();
    ASSERT_TRUE(first.Advise(Source()));
    ASSERT_TRUE(second->Advise(Source()));
    EXPECT_EQ(server->FireRequestReady(1), S_OK);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.victim, nullptr);
}

TEST_F(SymProcRdySink, AHandlerMayEndItsOwnConnection)
{
    CCountingSink sink;
    sink.leaveInHandler = true;
    ASSERT_TRUE(sink.Advise(Source()));
    server->FireRequestReady(1);
    EXPECT_FALSE(sink.IsAdvised());
    server->FireRequestReady(2);
    EXPECT_EQ(sink.calls, 1);
    // Advised anew, it hears again.
    sink.leaveInHandler = false;
    ASSERT_TRUE(sink.Advise(Source()));
    server->FireRequestReady(3);
    EXPECT_EQ(sink.calls, 2);
}

} // namespace
