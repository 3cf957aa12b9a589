#include "events.h"

#include "lasterror.h"
#include "tickcount.h"
#include "waits.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(Events, ManualResetStaysSignalledUntilReset)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(event));
}

TEST(Events, AutoResetIsTakenByOneWait)
{
    HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "created signalled";
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(Events, AutoResetSetWakesOneWaiter)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> woken{0};
    auto wait = [&] {
        if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0)
            ++woken;
    };
    std::thread first(wait), second(wait);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SetEvent(event);
    for (int i = 0; i < 1000 && woken == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // time for a second, wrong, wake-up
    EXPECT_EQ(woken, 1);
    SetEvent(event);
    first.join();
    second.join();
    EXPECT_EQ(woken, 2);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "each signal was taken once";
    CloseHandle(event);
}

TEST(Events, ManualResetSetWakesEveryWaiter)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> woken{0};
    auto wait = [&] {
        if (WaitForSingleObject(event, 10000) == WAIT_OBJECT_0)
            ++woken;
    };
    std::thread first(wait), second(wait);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SetEvent(event);
    first.join();
    second.join();
    EXPECT_EQ(woken, 2);
    CloseHandle(event);
}

TEST(Events, WaitTimesOutAfterTheInterval)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
    EXPECT_GE(GetTickCount() - start, 49u); // a millisecond of slack for the two clocks
    CloseHandle(event);
}

TEST(Events, NamedEventsAreRefused)
{
    SetLastError(0);
    EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "QelEvent"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(Handles, ClosedHandleFailsCleanly)
{
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(event));
    EXPECT_FALSE(ResetEvent(event));
}

TEST(Handles, BogusHandlesFailCleanly)
{
    int notAnObject = 0;
    for (HANDLE bogus : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, static_cast<HANDLE>(&notAnObject)}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(bogus, INFINITE), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(CloseHandle(bogus));
        EXPECT_FALSE(SetEvent(bogus));
    }
}

TEST(Handles, CloseDuringAWaitLeavesTheWaiterSafe)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> started{false};
    std::thread waiter([&] {
        started = true;
        EXPECT_EQ(WaitForSingleObject(event, 500), WAIT_TIMEOUT);
    });
    while (!started)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(CloseHandle(event));
    waiter.join();
}
