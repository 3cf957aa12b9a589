#include "afxsync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CCriticalSectionTest, OwnerLocksAgainOtherThreadsWait)
{
    CCriticalSection section;
    ASSERT_TRUE(section.Lock());
    ASSERT_TRUE(section.Lock(0)); // re-entrant for the owner
    BOOL otherGotIt = TRUE;
    std::thread([&] { otherGotIt = section.Lock(30); }).join();
    EXPECT_FALSE(otherGotIt);
    section.Unlock();
    std::thread([&] { otherGotIt = section.Lock(0); }).join();
    EXPECT_FALSE(otherGotIt); // still held once
    section.Unlock();
    std::thread([&] {
        otherGotIt = section.Lock(1000);
        section.Unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(CEventTest, ManualResetStaysSignalledUntilReset)
{
    CEvent event(FALSE, TRUE);
    EXPECT_FALSE(event.Lock(0));
    event.SetEvent();
    EXPECT_TRUE(event.Lock(0));
    EXPECT_TRUE(event.Lock(0));
    event.ResetEvent();
    EXPECT_FALSE(event.Lock(10));
}

TEST(CEventTest, AutoResetReleasesOneWait)
{
    CEvent event(TRUE); // signalled at the start
    EXPECT_TRUE(event.Lock(0));
    EXPECT_FALSE(event.Lock(0));
    std::thread setter([&] { event.SetEvent(); });
    EXPECT_TRUE(event.Lock(5000));
    setter.join();
    EXPECT_NE(static_cast<HANDLE>(event), nullptr);
}

TEST(CSingleLockTest, HoldsForItsScopeAndReportsIt)
{
    CCriticalSection section;
    {
        CSingleLock lock(&section, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        BOOL otherGotIt = TRUE;
        std::thread([&] { otherGotIt = section.Lock(0); }).join();
        EXPECT_FALSE(otherGotIt);
        EXPECT_TRUE(lock.Unlock());
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_TRUE(lock.Unlock());
        EXPECT_TRUE(lock.Lock(100));
    } // the destructor unlocks
    BOOL otherGotIt = FALSE;
    std::thread([&] {
        otherGotIt = section.Lock(0);
        if (otherGotIt)
            section.Unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(CSingleLockTest, LockTimesOutOnAnUnsignalledEvent)
{
    CEvent event;
    CSingleLock lock(&event);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_FALSE(lock.Lock(20));
    EXPECT_FALSE(lock.IsLocked());
    event.SetEvent();
    EXPECT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.IsLocked());
}

} // namespace
