// Test support of the request engine tests: an engine on a host debug-server object,
// requester windows that record their notices, gates that hold a handler until the test
// lets it go, and result objects that count themselves.
#pragma once

#include "controllerengine.h"

#include <debugserver.h>
#include <testing/messagepump.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Reaches the engine's id counter and queue.
struct CSymbolEngineTestPeer {
    static void SetNextId(CSymbolEngine &engine, int id)
    {
        CSymbolEngine::QueueHold hold(engine.m_Lockable);
        engine.m_nNextId = id;
    }
    static BOOL IsWorkerRunning(CSymbolEngine &engine)
    {
        CSymbolEngine::QueueHold hold(engine.m_Lockable);
        return engine.m_pThread != nullptr && !engine.m_bWorkerEnded;
    }
    static int QueuedCount(CSymbolEngine &engine)
    {
        CSymbolEngine::QueueHold hold(engine.m_Lockable);
        return static_cast<int>(engine.m_Queue.GetCount());
    }
};

namespace enginetest {

// A result that a handler leaves in its request; counts the live ones.
class CountedResult : public CObject {
public:
    CountedResult() { ++live; }
    ~CountedResult() override { --live; }
    static inline std::atomic<int> live{0};
};

// A reader that a handler leaves as the engine's current one; counted with the results.
class CountedReader : public CQelTargetFile {
public:
    CountedReader() : CQelTargetFile(1, nullptr) { ++CountedResult::live; }
    ~CountedReader() override { --CountedResult::live; }
    int IsFileType(HANDLE) override { return 1; }
};

// Holds every handler that enters it until Open; the test waits until one is inside.
class Gate {
public:
    void Enter()
    {
        std::unique_lock<std::mutex> hold(m_lock);
        ++m_inside;
        m_changed.notify_all();
        m_changed.wait(hold, [this] { return m_open; });
    }
    bool WaitInside(int count = 1)
    {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_changed.wait_for(hold, std::chrono::seconds(10), [&] { return m_inside >= count; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_inside = 0;
    bool m_open = false;
};

// One "QELSYMBOLREQUEST" that a requester window received.
struct Notice {
    WPARAM group;
    LPARAM id;
};

// The notices of every requester window, in the order they came.
inline std::mutex &NoticeLock()
{
    static std::mutex lock;
    return lock;
}
inline std::vector<std::pair<HWND, Notice>> &AllNotices()
{
    static std::vector<std::pair<HWND, Notice>> notices;
    return notices;
}

inline LRESULT CALLBACK RecordNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT requestMessage = RegisterWindowMessageA("QELSYMBOLREQUEST");
    if (message != requestMessage)
        return DefWindowProcA(window, message, wParam, lParam);
    std::lock_guard<std::mutex> hold(NoticeLock());
    AllNotices().push_back({window, {wParam, lParam}});
    return 0;
}

// A hidden window of the test's thread, the requester of asynchronous requests. Its
// notices arrive while the test pumps its messages.
class RequesterWindow {
public:
    RequesterWindow()
    {
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = RecordNotice;
            windowClass.lpszClassName = "QelEngineTestRequester";
            return RegisterClassA(&windowClass) != 0;
        }();
        EXPECT_TRUE(registered);
        m_window = CreateWindowExA(0, "QelEngineTestRequester", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   nullptr, nullptr);
        EXPECT_NE(m_window, nullptr);
    }
    ~RequesterWindow() { Destroy(); }
    RequesterWindow(const RequesterWindow &) = delete;
    RequesterWindow &operator=(const RequesterWindow &) = delete;

    // The requester value of the window's requests.
    DWORD Requester() const { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(m_window)); }
    void Destroy()
    {
        if (m_window != nullptr && IsWindow(m_window))
            DestroyWindow(m_window);
    }
    std::vector<Notice> Notices() const
    {
        std::lock_guard<std::mutex> hold(NoticeLock());
        std::vector<Notice> own;
        for (const auto &notice : AllNotices()) {
            if (notice.first == m_window)
                own.push_back(notice.second);
        }
        return own;
    }
    // Pumps the thread's messages until `count` notices have come; false after 10 s.
    bool WaitForNotices(size_t count)
    {
        return QelPumpMessagesUntil([&] { return Notices().size() >= count; }, 10000);
    }
    // Pumps the thread's messages for `ms` milliseconds.
    void Pump(DWORD ms)
    {
        QelPumpMessagesUntil([] { return false; }, ms);
    }

private:
    HWND m_window = nullptr;
};

// Calls `done` every millisecond until it holds; false after 10 s.
template <typename Condition> bool WaitUntil(Condition done)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A controller engine on a host debug-server object, which records what the engine
// tells the host.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CComObject<QelHost::CHostDebugServer>::CreateInstance(&m_host), S_OK);
        m_owner = static_cast<IQelHostHolder *>(m_host);
        m_host->SetReports(m_reports);
        m_engine = std::make_unique<CControllerSymbolEngine>(m_owner);
    }
    void TearDown() override
    {
        m_engine.reset();
        EXPECT_EQ(CountedResult::live, 0);
    }

    // Submits a request of `code` with the number `param` as its first parameter;
    // `status` gets the status that the submission left in the caller's request.
    int Submit(int code, DWORD requester, LONG param = 0, int *status = nullptr)
    {
        CSymbolRequest request(requester);
        request.m_nCode = code;
        request.Param1.vt = VT_I4;
        request.Param1.lVal = param;
        int id = m_engine->Submit(request);
        if (status != nullptr)
            *status = request.m_nStatus;
        return id;
    }
    // The status of the finished request `id`, which is then deleted; kMissing when the
    // request is not there or has not finished.
    static const int kMissing = -100;
    int FetchStatus(int id)
    {
        CSymbolRequest *request = m_engine->FindRequest(id);
        if (request == nullptr)
            return kMissing;
        int status = request->m_nStatus;
        m_engine->DeleteRequest(id);
        return status;
    }
    // Lets the handler of `code` run `body`.
    void Handle(int code, CSymbolEngine::Handler body) { m_engine->SetHandler(code, std::move(body)); }

    CComObject<QelHost::CHostDebugServer> *m_host = nullptr;
    CComPtr<IUnknown> m_owner;
    std::shared_ptr<QelHost::HostReports> m_reports = std::make_shared<QelHost::HostReports>();
    std::unique_ptr<CControllerSymbolEngine> m_engine;
};

} // namespace enginetest
