#include "afxthread.h"

#include "events.h"
#include "lasterror.h"
#include "processthreads.h"
#include "tickcount.h"
#include "waits.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

struct Work {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> pastTheEnd{false};
    UINT answer = 0;

    ~Work() { CloseHandle(go); }
};

UINT WaitThenAnswer(LPVOID parameter)
{
    auto *work = static_cast<Work *>(parameter);
    work->threadId = GetCurrentThreadId();
    WaitForSingleObject(work->go, INFINITE);
    return work->answer;
}

UINT EndEarly(LPVOID parameter)
{
    auto *work = static_cast<Work *>(parameter);
    AfxEndThread(work->answer);
    work->pastTheEnd = true; // never reached
    return 0;
}

TEST(CWinThreadTest, KeptThreadIsWaitedForThroughItsHandleAndGivesItsAnswer)
{
    Work work;
    work.answer = 42;
    CWinThread *thread = AfxBeginThread(WaitThenAnswer, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_NE(thread->m_hThread, nullptr);
    EXPECT_EQ(thread->ResumeThread(), 1u);
    SetEvent(work.go);
    ASSERT_EQ(WaitForSingleObject(*thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(work.threadId, thread->m_nThreadID);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42u);
    delete thread;
}

TEST(CWinThreadTest, AutoDeletedThreadTakesItsObjectAndHandleAlong)
{
    Work work;
    CWinThread *thread = AfxBeginThread(WaitThenAnswer, &work, THREAD_PRIORITY_IDLE);
    ASSERT_NE(thread, nullptr);
    HANDLE handle = thread->m_hThread; // the thread waits, so the object is still there
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(handle, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    SetEvent(work.go);
    DWORD start = GetTickCount();
    while (GetExitCodeThread(handle, &code) && GetTickCount() - start < 5000)
        Sleep(1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << "the handle went with the object";
}

TEST(CWinThreadTest, AfxEndThreadEndsTheThreadWithItsCode)
{
    Work work;
    work.answer = 5;
    CWinThread *thread = AfxBeginThread(EndEarly, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(code, 5u);
    EXPECT_FALSE(work.pastTheEnd);
    delete thread;
}

TEST(CWinThreadTest, PrioritiesOfTheWorkerAreAccepted)
{
    Work work;
    CWinThread *thread = AfxBeginThread(WaitThenAnswer, &work, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_TRUE(thread->SetThreadPriority(THREAD_PRIORITY_IDLE));
    EXPECT_TRUE(thread->SetThreadPriority(THREAD_PRIORITY_NORMAL));
    EXPECT_FALSE(thread->SetThreadPriority(99));
    thread->ResumeThread();
    SetEvent(work.go);
    WaitForSingleObject(thread->m_hThread, INFINITE);
    delete thread;
}

TEST(CWinThreadTest, ThreadWithoutFunctionIsNotStarted)
{
    EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}

} // namespace
