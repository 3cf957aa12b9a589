#include "critsec.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

class CriticalSectionTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeCriticalSection(&section); }
    void TearDown() override { DeleteCriticalSection(&section); }

    BOOL TryFromOtherThread()
    {
        BOOL entered = FALSE;
        std::thread([&] {
            entered = TryEnterCriticalSection(&section);
            if (entered)
                LeaveCriticalSection(&section);
        }).join();
        return entered;
    }

    CRITICAL_SECTION section;
};

} // namespace

TEST_F(CriticalSectionTest, OwnerMayEnterAgainAndMustLeaveAsOften)
{
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_FALSE(TryFromOtherThread()) << "one entry is still open";
    LeaveCriticalSection(&section);
    EXPECT_TRUE(TryFromOtherThread());
}

TEST_F(CriticalSectionTest, LeaveByAnotherThreadDoesNotRelease)
{
    EnterCriticalSection(&section);
    std::thread([&] { LeaveCriticalSection(&section); }).join();
    EXPECT_FALSE(TryFromOtherThread());
    LeaveCriticalSection(&section);
    EXPECT_TRUE(TryFromOtherThread());
}

TEST_F(CriticalSectionTest, ExcludesOtherThreads)
{
    long counter = 0; // deliberately not atomic: the section alone guards it
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
                LeaveCriticalSection(&section);
            }
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST_F(CriticalSectionTest, WaitingThreadEntersWhenTheOwnerLeaves)
{
    EnterCriticalSection(&section);
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        EnterCriticalSection(&section);
        entered = true;
        LeaveCriticalSection(&section);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&section);
    waiter.join();
    EXPECT_TRUE(entered);
}
