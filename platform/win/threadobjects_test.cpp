#include "threadobjects.h"

#include "events.h"
#include "lasterror.h"
#include "processthreads.h"
#include "waits.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

DWORD WINAPI WaitForEventThenAnswer42(LPVOID event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 42;
}

TEST(Threads, HandleSignalsWhenTheThreadEndsAndKeepsTheExitCode)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitForEventThenAnswer42, go, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));

    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "stays signalled";
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    CloseHandle(go);
}

DWORD WINAPI TellOwnId(LPVOID out)
{
    *static_cast<DWORD *>(out) = GetCurrentThreadId();
    return 0;
}

TEST(Threads, IdentifierIsTheOneTheThreadSees)
{
    DWORD seen = 0, given = 0;
    HANDLE thread = CreateThread(nullptr, 0, TellOwnId, &seen, 0, &given);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    EXPECT_NE(given, 0u);
    EXPECT_EQ(seen, given);
    EXPECT_NE(given, GetCurrentThreadId());
    CloseHandle(thread);
}

struct SetOnDestruction {
    std::atomic<bool> *flag = nullptr;
    ~SetOnDestruction()
    {
        if (flag != nullptr)
            *flag = true;
    }
};

std::atomic<bool> frameUnwound{false};

DWORD WINAPI EndThroughExitThread(LPVOID)
{
    SetOnDestruction guard;
    guard.flag = &frameUnwound;
    ExitThread(7);
}

TEST(Threads, ExitThreadUnwindsTheStackAndSetsTheExitCode)
{
    frameUnwound = false;
    HANDLE thread = CreateThread(nullptr, 0, EndThroughExitThread, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(frameUnwound);
    CloseHandle(thread);
}

std::atomic<bool> threadLocalGone{false};

DWORD WINAPI TouchThreadLocal(LPVOID)
{
    static thread_local SetOnDestruction perThread;
    perThread.flag = &threadLocalGone;
    return 0;
}

TEST(Threads, HandleSignalsOnlyAfterTheThreadLocalObjectsAreGone)
{
    threadLocalGone = false;
    HANDLE thread = CreateThread(nullptr, 0, TouchThreadLocal, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    EXPECT_TRUE(threadLocalGone);
    CloseHandle(thread);
}

TEST(Threads, SuspendedThreadStartsOnResume)
{
    DWORD seen = 0;
    HANDLE thread = CreateThread(nullptr, 0, TellOwnId, &seen, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 30), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_NE(seen, 0u);
    EXPECT_EQ(ResumeThread(thread), 0u) << "not held any more";
    CloseHandle(thread);
}

TEST(Threads, EveryPriorityIsAcceptedOthersAreRefused)
{
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitForEventThenAnswer42, go, 0, nullptr);
    for (int priority : {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                         THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                         THREAD_PRIORITY_TIME_CRITICAL}) {
        EXPECT_TRUE(SetThreadPriority(thread, priority)) << priority;
        EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), priority)) << priority;
    }
    SetLastError(0);
    EXPECT_FALSE(SetThreadPriority(thread, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetEvent(go);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(go);
}

TEST(Threads, HandlesThatAreNoThreadsAreRefused)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD code = 0;
    SetLastError(0);
    EXPECT_FALSE(GetExitCodeThread(event, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetThreadPriority(event, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(ResumeThread(event), static_cast<DWORD>(-1));
    CloseHandle(event);

    HANDLE thread = CreateThread(nullptr, 0, TellOwnId, &code, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_FALSE(GetExitCodeThread(thread, &code)) << "a closed handle";
    EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 0), WAIT_FAILED) << "the pseudo handle is not waited for";
}

TEST(Threads, CreationWithoutFunctionOrWithUnknownFlagsFails)
{
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateThread(nullptr, 0, TellOwnId, nullptr, 0x8, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

} // namespace
