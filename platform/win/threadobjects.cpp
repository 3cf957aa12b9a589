#include "threadobjects.h"

#include "kernelobject.h"
#include "lasterror.h"
#include "processthreads.h"
#include "winerror.h"

#include <pthread.h>

namespace {

const HANDLE kCurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

class Thread : public qelwin::WaitableObject {
public:
    Thread(LPTHREAD_START_ROUTINE start, LPVOID parameter, bool suspended)
        : start_(start), parameter_(parameter), suspended_(suspended)
    {
    }

    // On the creating thread: the new thread's identifier, once it has told it.
    DWORD WaitForId()
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return id_ != 0; });
        return id_;
    }

    DWORD Resume()
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!suspended_)
            return 0;
        suspended_ = false;
        changed_.notify_all();
        return 1;
    }

    DWORD ExitCode()
    {
        std::lock_guard<std::mutex> hold(lock_);
        return finished_ ? exitCode_ : STILL_ACTIVE;
    }

    // On the thread itself: tells its identifier, waits while it is held, then runs.
    DWORD Run()
    {
        {
            std::unique_lock<std::mutex> hold(lock_);
            id_ = GetCurrentThreadId();
            changed_.notify_all();
            changed_.wait(hold, [this] { return !suspended_; });
        }
        return start_(parameter_);
    }

    void Finish(DWORD exitCode)
    {
        std::lock_guard<std::mutex> hold(lock_);
        exitCode_ = exitCode;
        finished_ = true;
        changed_.notify_all();
    }

private:
    // A thread handle stays signalled once the thread has ended.
    bool TryAcquire() override { return finished_; }

    const LPTHREAD_START_ROUTINE start_;
    const LPVOID parameter_;
    // Under lock_:
    DWORD id_ = 0;
    bool suspended_;
    bool finished_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
};

// The end of a thread made by CreateThread. It is the first thread-local object with a
// destructor that the thread makes, so it is destroyed last: the handle is signalled
// only after every other thread-local object of the thread (in this layer and in the
// modules above it) has been destroyed.
struct ThreadEnd {
    std::shared_ptr<Thread> thread;
    DWORD exitCode = 0;

    ~ThreadEnd()
    {
        if (thread != nullptr)
            thread->Finish(exitCode);
    }
};

thread_local ThreadEnd threadEnd;

void *ThreadMain(void *context)
{
    std::shared_ptr<Thread> *handOver = static_cast<std::shared_ptr<Thread> *>(context);
    threadEnd.thread = std::move(*handOver);
    delete handOver;
    threadEnd.exitCode = threadEnd.thread->Run();
    return nullptr;
}

bool IsThreadPriority(int priority)
{
    switch (priority) {
    case THREAD_PRIORITY_IDLE:
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
    case THREAD_PRIORITY_TIME_CRITICAL:
        return true;
    default:
        return false;
    }
}

} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((creationFlags & ~static_cast<DWORD>(CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION)) != 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto thread = std::make_shared<Thread>(start, parameter, (creationFlags & CREATE_SUSPENDED) != 0);

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    size_t defaultSize = 0;
    if (pthread_attr_getstacksize(&attributes, &defaultSize) == 0 && stackSize > defaultSize)
        pthread_attr_setstacksize(&attributes, stackSize);
    auto *handOver = new std::shared_ptr<Thread>(thread);
    pthread_t posixThread;
    int failed = pthread_create(&posixThread, &attributes, ThreadMain, handOver);
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        delete handOver;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD id = thread->WaitForId();
    if (threadId != nullptr)
        *threadId = id;
    return qelwin::InsertHandle(std::move(thread));
}

DWORD ResumeThread(HANDLE thread)
{
    std::shared_ptr<Thread> object = qelwin::FindHandle<Thread>(thread);
    if (object == nullptr)
        return static_cast<DWORD>(-1);
    return object->Resume();
}

void ExitThread(DWORD exitCode)
{
    threadEnd.exitCode = exitCode;
    // Unwinds the stack (glibc's forced unwind), so the destructors of the frames run.
    pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    std::shared_ptr<Thread> object = qelwin::FindHandle<Thread>(thread);
    if (object == nullptr)
        return FALSE;
    if (exitCode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *exitCode = object->ExitCode();
    return TRUE;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    if (thread != kCurrentThreadPseudoHandle && qelwin::FindHandle<Thread>(thread) == nullptr)
        return FALSE;
    if (!IsThreadPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

HANDLE GetCurrentThread()
{
    return kCurrentThreadPseudoHandle;
}
