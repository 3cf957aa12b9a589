#include "windowmessages.h"

#include "events.h"
#include "handles.h"
#include "lasterror.h"
#include "processthreads.h"
#include "testing/messagepump.h"
#include "waits.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowinfo.h"
#include "windowtimers.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Every message from WM_USER up that a recording window handles, with the thread that
// handled it. A recording window answers lParam + 1.
struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
};

std::mutex logLock;
std::vector<Received> received;

std::vector<Received> ReceivedBy(HWND window)
{
    std::lock_guard<std::mutex> hold(logLock);
    std::vector<Received> found;
    for (const Received &entry : received) {
        if (entry.window == window)
            found.push_back(entry);
    }
    return found;
}

size_t CountReceivedBy(HWND window)
{
    std::lock_guard<std::mutex> hold(logLock);
    size_t count = 0;
    for (const Received &entry : received)
        count += entry.window == window ? 1 : 0;
    return count;
}

// What a window does with WM_USER + 20 (lParam: a window to send WM_USER + 21 to, while
// the other thread does the same) and what it answers to WM_USER + 21.
const UINT kSendToPartner = WM_USER + 20;
const UINT kPartnerQuestion = WM_USER + 21;
std::atomic<int> partnersInside{0};
std::atomic<LRESULT> partnerAnswers[2];

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kSendToPartner) {
        // Both threads are inside their handlers before either sends, so each send waits
        // while the other thread waits too.
        ++partnersInside;
        for (int i = 0; i < 5000 && partnersInside < 2; ++i)
            Sleep(1);
        partnerAnswers[wParam] = SendMessageA(reinterpret_cast<HWND>(lParam), kPartnerQuestion, 0, 20);
        return 0;
    }
    if (message == kPartnerQuestion)
        return lParam * 2;
    if (message >= WM_USER) {
        std::lock_guard<std::mutex> hold(logLock);
        received.push_back({window, message, wParam, lParam, GetCurrentThreadId()});
        return lParam + 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A recording window whose destruction ends its thread's message loop.
LRESULT CALLBACK LoopRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return Recorder(window, message, wParam, lParam);
}

void RegisterClasses()
{
    static bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Recorder;
        windowClass.lpszClassName = "QelMessagesTest";
        RegisterClassA(&windowClass);
        windowClass.lpfnWndProc = LoopRecorder;
        windowClass.lpszClassName = "QelMessagesLoopTest";
        RegisterClassA(&windowClass);
        return true;
    }();
    (void)registered;
}

HWND MakeWindow(LPCSTR className = "QelMessagesTest")
{
    RegisterClasses();
    return CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

// A recording window on a thread of its own, which runs `beforeLoop` (if any) before its
// message loop, so a test can keep the thread from taking messages for a while.
class WindowThread {
public:
    explicit WindowThread(std::function<void(HWND)> beforeLoop = nullptr)
        : thread_([this, beforeLoop] {
              window_ = MakeWindow("QelMessagesLoopTest");
              threadId_ = GetCurrentThreadId();
              ready_ = true;
              if (beforeLoop)
                  beforeLoop(window_);
              MSG message;
              while (GetMessageA(&message, nullptr, 0, 0) > 0)
                  DispatchMessageA(&message);
          })
    {
        while (!ready_)
            Sleep(1);
    }

    ~WindowThread()
    {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }

    HWND Window() const { return window_; }
    DWORD ThreadId() const { return threadId_; }

private:
    std::atomic<bool> ready_{false};
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::lock_guard<std::mutex> hold(logLock);
        received.clear();
    }

    void TearDown() override
    {
        for (HWND window : windows_)
            DestroyWindow(window);
        // Nothing of this test is left for the next one.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    HWND Window()
    {
        HWND window = MakeWindow();
        windows_.push_back(window);
        return window;
    }

private:
    std::vector<HWND> windows_;
};

TEST_F(WindowMessages, PostedMessagesArriveInOrder)
{
    HWND window = Window();
    for (WPARAM i = 0; i < 5; ++i)
        ASSERT_TRUE(PostMessageA(window, WM_USER + 1, i, 0));
    EXPECT_EQ(CountReceivedBy(window), 0u) << "posting returns at once";
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return CountReceivedBy(window) == 5; }));
    std::vector<Received> log = ReceivedBy(window);
    for (WPARAM i = 0; i < 5; ++i)
        EXPECT_EQ(log[i].wParam, i);
}

TEST_F(WindowMessages, MessagePostedFromAnotherThreadIsHandledOnTheWindowsThread)
{
    HWND window = Window();
    std::thread([window] { PostMessageA(window, WM_USER + 2, 0, 0); }).join();
    ASSERT_TRUE(QelPumpMessagesUntil([&] { return CountReceivedBy(window) == 1; }));
    EXPECT_EQ(ReceivedBy(window)[0].thread, GetCurrentThreadId());
}

TEST_F(WindowMessages, SendMessageOnTheSameThreadCallsTheProcedureDirectly)
{
    HWND window = Window();
    EXPECT_EQ(SendMessageA(window, WM_USER + 3, 0, 41), 42);
    EXPECT_EQ(CountReceivedBy(window), 1u);
}

TEST_F(WindowMessages, SendMessageToAnotherThreadWaitsForTheAnswer)
{
    WindowThread other;
    EXPECT_EQ(SendMessageA(other.Window(), WM_USER + 4, 0, 99), 100);
    std::vector<Received> log = ReceivedBy(other.Window());
    ASSERT_EQ(log.size(), 1u) << "handled before SendMessageA returned";
    EXPECT_EQ(log[0].thread, other.ThreadId());
}

TEST_F(WindowMessages, ThreadsSendingToEachOtherDoNotWaitForEver)
{
    partnersInside = 0;
    partnerAnswers[0] = partnerAnswers[1] = 0;
    WindowThread first, second;
    PostMessageA(first.Window(), kSendToPartner, 0, reinterpret_cast<LPARAM>(second.Window()));
    PostMessageA(second.Window(), kSendToPartner, 1, reinterpret_cast<LPARAM>(first.Window()));
    for (int i = 0; i < 5000 && (partnerAnswers[0] == 0 || partnerAnswers[1] == 0); ++i)
        Sleep(1);
    EXPECT_EQ(partnerAnswers[0], 40);
    EXPECT_EQ(partnerAnswers[1], 40);
}

TEST_F(WindowMessages, ThreadWaitingForAnAnswerStillHandlesMessagesSentToIt)
{
    // The other thread's window answers by asking back a window of this thread.
    HWND mine = Window();
    partnersInside = 1; // only one handler takes part
    partnerAnswers[0] = 0;
    WindowThread other;
    SendMessageA(other.Window(), kSendToPartner, 0, reinterpret_cast<LPARAM>(mine));
    EXPECT_EQ(partnerAnswers[0], 40);
}

TEST_F(WindowMessages, DestroyedWindowGetsNothingAndItsHandleIsRefused)
{
    HWND window = MakeWindow();
    PostMessageA(window, WM_USER + 5, 0, 0);
    ASSERT_TRUE(DestroyWindow(window));
    QelPumpMessagesUntil([] { return false; }, 30);
    EXPECT_EQ(CountReceivedBy(window), 0u);

    SetLastError(0);
    EXPECT_FALSE(PostMessageA(window, WM_USER + 5, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(window, WM_USER + 5, 0, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CountReceivedBy(window), 0u);
}

TEST_F(WindowMessages, MessageSentToAWindowThatIsDestroyedFirstIsAnsweredZero)
{
    HANDLE letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The window's thread takes no message until it has destroyed its window.
    WindowThread other([letGo](HWND window) {
        WaitForSingleObject(letGo, INFINITE);
        DestroyWindow(window);
    });
    HWND window = other.Window();
    std::atomic<bool> answered{false};
    LRESULT answer = -1;
    std::thread sender([&] {
        answer = SendMessageA(window, WM_USER + 6, 0, 5);
        answered = true;
    });
    Sleep(30);
    EXPECT_FALSE(answered) << "the sender waits";
    SetEvent(letGo);
    sender.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(CountReceivedBy(window), 0u);
    CloseHandle(letGo);
}

TEST_F(WindowMessages, MessageSentToAThreadThatEndsIsAnsweredZero)
{
    RegisterClasses();
    HANDLE letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
    std::thread owner([&] {
        window = MakeWindow();
        WaitForSingleObject(letGo, INFINITE); // ends without taking a message
    });
    while (window == nullptr)
        Sleep(1);
    LRESULT answer = -1;
    std::thread sender([&] { answer = SendMessageA(window, WM_USER + 7, 0, 5); });
    Sleep(30);
    SetEvent(letGo);
    owner.join();
    sender.join();
    EXPECT_EQ(answer, 0);
    EXPECT_FALSE(IsWindow(window)) << "a thread's windows end with it";
    CloseHandle(letGo);
}

TEST_F(WindowMessages, PeekWithoutRemovingLeavesTheMessage)
{
    HWND window = Window();
    PostMessageA(window, WM_USER + 8, 1, 2);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 8));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    SetLastError(0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, 0x100));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(WindowMessages, FiltersSelectByWindowAndByNumber)
{
    HWND first = Window(), second = Window();
    PostMessageA(first, WM_USER + 9, 0, 0);
    PostMessageA(second, WM_USER + 10, 0, 0);
    PostMessageA(nullptr, WM_USER + 11, 0, 0); // a thread message
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 10));
    ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 11));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER + 10, WM_USER + 11, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 9, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(message.hwnd, first);
    EXPECT_EQ(DispatchMessageA(&message), 1) << "the window's answer";
}

TEST_F(WindowMessages, FilterWindowOfAnotherThreadIsRefused)
{
    WindowThread other;
    MSG message{};
    SetLastError(0);
    EXPECT_EQ(GetMessageA(&message, other.Window(), 0, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PeekMessageA(&message, other.Window(), 0, 0, PM_REMOVE));
    EXPECT_EQ(DispatchMessageA(&message), 0);
}

TEST_F(WindowMessages, QuitComesAfterThePostedMessagesWithItsCode)
{
    HWND window = Window();
    PostQuitMessage(3);
    PostMessageA(window, WM_USER + 12, 0, 0);
    MSG message{};
    EXPECT_GT(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 12));
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) << "taken once";
}

TEST_F(WindowMessages, PostedWmTimerCannotCallAnArbitraryProcedure)
{
    static std::atomic<int> calls{0};
    TIMERPROC procedure = [](HWND, UINT, UINT_PTR, DWORD) { ++calls; };
    HWND window = Window();
    MSG forged{window, WM_TIMER, 1, reinterpret_cast<LPARAM>(procedure), 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&forged), 0);
    EXPECT_EQ(calls, 0);
}

TEST_F(WindowMessages, FullQueueRefusesFurtherPostsAndLosesNothingBefore)
{
    HWND window = Window();
    int accepted = 0;
    while (accepted < 20000 && PostMessageA(window, WM_USER + 13, static_cast<WPARAM>(accepted), 0))
        ++accepted;
    EXPECT_EQ(accepted, 10000);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    MSG message{};
    int taken = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        EXPECT_EQ(message.wParam, static_cast<WPARAM>(taken));
        ++taken;
    }
    EXPECT_EQ(taken, 10000);
}

TEST_F(WindowMessages, ManyThreadsPostingToOneWindowLoseNothing)
{
    const int kThreads = 8;
    const int kEach = 1000; // all of them together stay within the queue's quota
    HWND window = Window();
    std::vector<std::thread> posters;
    std::atomic<int> refused{0};
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                if (!PostMessageA(window, WM_USER + 14, static_cast<WPARAM>(t), i))
                    ++refused;
            }
        });
    }
    bool all = QelPumpMessagesUntil([&] { return CountReceivedBy(window) == kThreads * kEach; }, 30000);
    for (std::thread &poster : posters)
        poster.join();
    EXPECT_EQ(refused, 0);
    ASSERT_TRUE(all);
    std::vector<LPARAM> next(kThreads, 0);
    for (const Received &entry : ReceivedBy(window)) {
        EXPECT_EQ(entry.lParam, next[entry.wParam]) << "in the order each thread posted";
        next[entry.wParam] = entry.lParam + 1;
    }
}

TEST_F(WindowMessages, ManyThreadsSendingToOneWindowGetTheirOwnAnswers)
{
    const int kThreads = 4;
    const int kEach = 200;
    HWND window = Window();
    std::atomic<int> wrong{0}, done{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                LPARAM question = t * 10000 + i;
                if (SendMessageA(window, WM_USER + 15, 0, question) != question + 1)
                    ++wrong;
            }
            ++done;
        });
    }
    bool finished = QelPumpMessagesUntil([&] { return done == kThreads; }, 30000);
    if (!finished)
        DestroyWindow(window); // answers the senders that still wait
    for (std::thread &sender : senders)
        sender.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(CountReceivedBy(window), static_cast<size_t>(kThreads * kEach));
}

} // namespace
