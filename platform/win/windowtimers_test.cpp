#include "windowtimers.h"

#include "lasterror.h"
#include "testing/messagepump.h"
#include "tickcount.h"
#include "windowclass.h"
#include "windowcreate.h"
#include "windowmessages.h"
#include "winerror.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

std::vector<std::pair<HWND, UINT_PTR>> ticks; // WM_TIMER as the window procedure got it
std::vector<UINT> order;                      // WM_TIMER and WM_USER as they came

LRESULT CALLBACK TimerWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        ticks.emplace_back(window, wParam);
        order.push_back(message);
        return 0;
    }
    if (message == WM_USER) {
        order.push_back(message);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Timers : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = TimerWindow;
            windowClass.lpszClassName = "QelTimerTest";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        ticks.clear();
        order.clear();
        window_ = CreateWindowExA(0, "QelTimerTest", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    }

    void TearDown() override { DestroyWindow(window_); }

    HWND window_ = nullptr;
};

TEST_F(Timers, TimerArrivesThroughTheQueueAgainAndAgain)
{
    EXPECT_EQ(SetTimer(window_, 5, 10, nullptr), 5u);
    ASSERT_TRUE(QelPumpMessagesUntil([] { return ticks.size() >= 3; }));
    for (const auto &tick : ticks)
        EXPECT_EQ(tick, std::make_pair(window_, UINT_PTR(5)));
    EXPECT_TRUE(KillTimer(window_, 5));
}

TEST_F(Timers, KilledTimerComesNoMore)
{
    SetTimer(window_, 6, 10, nullptr);
    Sleep(30); // due, but not taken
    EXPECT_TRUE(KillTimer(window_, 6));
    QelPumpMessagesUntil([] { return false; }, 50);
    EXPECT_TRUE(ticks.empty());
    SetLastError(0);
    EXPECT_FALSE(KillTimer(window_, 6));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Timers, TimerThatFellBehindIsDueOnce)
{
    // Three intervals missed; the loop below has a whole interval to see that no
    // second WM_TIMER is due.
    SetTimer(window_, 7, 100, nullptr);
    Sleep(350);
    MSG message;
    int taken = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        taken += message.message == WM_TIMER ? 1 : 0;
    EXPECT_EQ(taken, 1);
    KillTimer(window_, 7);
}

TEST_F(Timers, PostedMessagesComeBeforeATimerThatIsDue)
{
    SetTimer(window_, 8, 10, nullptr);
    Sleep(30);
    PostMessageA(window_, WM_USER, 0, 0);
    ASSERT_TRUE(QelPumpMessagesUntil([] { return order.size() >= 2; }));
    EXPECT_EQ(order[0], static_cast<UINT>(WM_USER));
    EXPECT_EQ(order[1], static_cast<UINT>(WM_TIMER));
    KillTimer(window_, 8);
}

int procedureCalls = 0;

TEST_F(Timers, TimerWithAProcedureCallsItInsteadOfTheWindow)
{
    procedureCalls = 0;
    SetTimer(window_, 9, 10, [](HWND, UINT message, UINT_PTR id, DWORD) {
        if (message == WM_TIMER && id == 9)
            ++procedureCalls;
    });
    ASSERT_TRUE(QelPumpMessagesUntil([] { return procedureCalls >= 1; }));
    EXPECT_TRUE(ticks.empty());
    KillTimer(window_, 9);
}

TEST_F(Timers, ThreadTimerGetsItsOwnIdentifierAndNoWindow)
{
    UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
    ASSERT_NE(id, 0u);
    EXPECT_NE(SetTimer(nullptr, 0, 10, nullptr), id) << "each gets a new one";
    EXPECT_EQ(SetTimer(nullptr, id, 10, nullptr), id) << "an existing one is restarted";
    Sleep(20);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr);
    KillTimer(nullptr, message.wParam);
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
        KillTimer(nullptr, message.wParam);
}

TEST_F(Timers, TimersOnlyForTheThreadsOwnLiveWindows)
{
    UINT_PTR other = 1;
    DWORD error = 0;
    std::thread([&] {
        other = SetTimer(window_, 1, 10, nullptr);
        error = GetLastError();
    }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

    SetTimer(window_, 2, 10, nullptr);
    DestroyWindow(window_);
    EXPECT_EQ(SetTimer(window_, 2, 10, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    QelPumpMessagesUntil([] { return false; }, 30);
    EXPECT_TRUE(ticks.empty()) << "a destroyed window's timers end with it";
}

} // namespace
