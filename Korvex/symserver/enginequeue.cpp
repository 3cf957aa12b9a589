// The queue and the worker thread of CSymbolEngine.
//
// The queue lock guards the queue, the id counter and the requests' flags. No handler
// runs under it, so that every other thread can submit, find and delete while the worker
// is busy. The worker waits on a condition variable under the same lock, so a submission
// can never fall between its looking at the queue and its waiting.
#include "symbolengine.h"

#include <atlbase.h>

#include <chrono>

// A thread that waits for its synchronous request. The record lives on the waiting
// thread's stack; the request points to it until the request is finished or removed,
// both under the queue lock, so nobody touches it after its thread has gone on.
struct CSymbolRequestWaiter {
    BOOL bFinished = FALSE;
    BOOL bRemoved = FALSE; // the request went before it was finished
};

namespace {

const int kIdAfterLast = 0x7FFFFFFF;

// The stop request that Stop waits for: nobody but the worker may take it away, or Stop
// would wait for a thread that never ends.
bool IsPendingStop(const CSymbolRequest &request)
{
    return request.m_nCode == RequestCodeStop && !request.m_bDone;
}

} // namespace

int CSymbolEngine::Submit(CSymbolRequest &request)
{
    if (request.m_nCode == RequestCodeStop) {
        // Only Stop may end the worker; it also refuses what comes after.
        request.m_nStatus = StatusNotAccepted;
        return 0;
    }
    CSymbolRequest *copy = new CSymbolRequest(request.m_nRequester);
    HRESULT hr = copy->CopyFrom(request);
    if (FAILED(hr)) {
        delete copy;
        request.m_nStatus = hr == E_OUTOFMEMORY ? StatusOutOfMemory : StatusNotAccepted;
        return 0;
    }
    return Queue(copy, request, FALSE);
}

int CSymbolEngine::Queue(CSymbolRequest *copy, CSymbolRequest &caller, BOOL internal)
{
    QueueHold hold(m_Lockable);
    if ((m_bStopped && !internal) || m_bWorkerEnded) {
        delete copy;
        caller.m_nStatus = StatusNotAccepted;
        return 0;
    }
    if (!StartWorker()) {
        delete copy;
        caller.m_nStatus = StatusSystemError;
        return 0;
    }
    m_pThread->SetThreadPriority(THREAD_PRIORITY_NORMAL);
    if (m_nNextId == kIdAfterLast)
        m_nNextId = 0;
    copy->SetId(m_nNextId++);
    int id = copy->m_nId;

    if (!copy->IsSynchronous()) {
        if (id == 0) {
            // The requester could never fetch nor delete it: it is not run at all.
            delete copy;
            caller.m_nStatus = StatusNotAccepted;
            return 0;
        }
        m_Queue.AddTail(copy);
        m_bWake = TRUE;
        m_Wake.notify_one();
        return id;
    }

    if (IsWorkerThread()) {
        // The worker would wait for itself: it runs the request now, as if taken.
        copy->m_bRunning = TRUE;
        m_Queue.AddHead(copy);
        hold.unlock();
        Notice notice;
        BOOL removed = FALSE;
        RunRequest(copy, notice, removed);
        if (removed) {
            caller.m_nStatus = StatusNotAccepted;
            return 0;
        }
        return id;
    }

    CSymbolRequestWaiter waiter;
    copy->m_pWaiter = &waiter;
    m_Queue.AddHead(copy);
    m_bWake = TRUE;
    m_Wake.notify_one();
    ++m_nWaiting;
    m_SyncDone.wait(hold, [&waiter] { return waiter.bFinished; });
    // Stop lets the engine go only once every woken caller has left it.
    if (--m_nWaiting == 0)
        m_WaitersGone.notify_all();
    if (waiter.bRemoved) {
        caller.m_nStatus = StatusNotAccepted;
        return 0;
    }
    return id;
}

CSymbolRequest *CSymbolEngine::FindRequest(int id)
{
    QueueHold hold(m_Lockable);
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        CSymbolRequest *request = m_Queue.GetNext(position);
        // One that has not finished is still the worker's to take or to write.
        if (request->m_nId == id)
            return request->m_bDone ? request : nullptr;
    }
    return nullptr;
}

CSymbolRequest *CSymbolEngine::TakeRequest(int id, int group)
{
    QueueHold hold(m_Lockable);
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        POSITION current = position;
        CSymbolRequest *request = m_Queue.GetNext(position);
        if (request->m_nId != id)
            continue;
        if (!request->m_bDone || request->m_bRunning)
            return nullptr;
        m_Queue.RemoveAt(current);
        if (!request->IsGroup(group)) {
            // Its answer is lost all the same: kept, it would wait for a fetch that never
            // comes (an event request is never purged).
            delete request;
            return nullptr;
        }
        return request;
    }
    return nullptr;
}

void CSymbolEngine::DeleteRequest(int id)
{
    QueueHold hold(m_Lockable);
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        POSITION current = position;
        CSymbolRequest *request = m_Queue.GetNext(position);
        if (request->m_nId == id) {
            if (!IsPendingStop(*request))
                Remove(current);
            return;
        }
    }
}

void CSymbolEngine::DeleteRequestsExcept(int id)
{
    QueueHold hold(m_Lockable);
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        POSITION current = position;
        CSymbolRequest *request = m_Queue.GetNext(position);
        if (request->m_nId != id && !request->m_bRunning && !IsPendingStop(*request))
            Remove(current);
    }
}

void CSymbolEngine::RemoveAllRequests()
{
    QueueHold hold(m_Lockable);
    while (!m_Queue.IsEmpty()) {
        // A request that a worker ended inside of runs no more.
        m_Queue.GetHead()->m_bRunning = FALSE;
        Remove(m_Queue.GetHeadPosition());
    }
    m_WaitersGone.wait(hold, [this] { return m_nWaiting == 0; });
}

void CSymbolEngine::Remove(POSITION position)
{
    CSymbolRequest *request = m_Queue.GetAt(position);
    m_Queue.RemoveAt(position);
    if (request->m_pWaiter != nullptr) {
        request->m_pWaiter->bFinished = TRUE;
        request->m_pWaiter->bRemoved = TRUE;
        request->m_pWaiter = nullptr;
        m_SyncDone.notify_all();
    }
    if (request->m_bRunning)
        request->m_bRemoved = TRUE; // the worker frees it when its handler returns
    else
        delete request;
}

BOOL CSymbolEngine::StartWorker()
{
    if (m_pThread != nullptr)
        return TRUE;
    CWinThread *thread = AfxBeginThread(WorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (thread == nullptr)
        return FALSE;
    // Stop waits for the thread through its handle, so the object outlives the thread.
    thread->m_bAutoDelete = FALSE;
    m_pThread = thread;
    m_nWorkerThreadId = thread->m_nThreadID;
    // The worker's own hold on the module, which it lets go as it ends (WorkerProc).
    QelAtlLockModule();
    thread->ResumeThread();
    return TRUE;
}

BOOL CSymbolEngine::IsWorkerThread() const
{
    return m_pThread != nullptr && GetCurrentThreadId() == m_nWorkerThreadId;
}

UINT CSymbolEngine::WorkerProc(LPVOID parameter)
{
    // A worker left to free its engine runs after every object of the module may have
    // gone, so it holds the module itself: DllCanUnloadNow refuses until it is out of
    // this function. What the thread runs after it (the ends of its thread-local objects,
    // defined in this module) keeps the module mapped, as the C library does for every
    // thread that still has such ends to run.
    struct ModuleHold {
        ~ModuleHold() { QelAtlUnlockModule(); }
    } moduleHold;
    CSymbolEngine *engine = static_cast<CSymbolEngine *>(parameter);
    engine->RunWorker();
    if (engine->m_bLeftToWorker)
        engine->FreeOnWorker();
    return 0;
}

void CSymbolEngine::RunWorker()
{
    // Runs also when the thread is ended from inside a handler.
    struct EndGuard {
        CSymbolEngine *engine;
        ~EndGuard() { engine->OnWorkerEnded(); }
    } endGuard{this};
    CSymbolRequest idle(RequesterSynchronous);
    idle.m_nCode = RequestCodeIdle;
    BOOL keepRunning = TRUE;
    while (keepRunning) {
        QueueHold hold(m_Lockable);
        if (m_bLeftToWorker)
            break;
        m_bWake = FALSE;
        CSymbolRequest *request = TakeNextRequest();
        if (request == nullptr) {
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
            bool woken = m_Wake.wait_for(hold, std::chrono::milliseconds(m_nIdleWaitMs), [this] { return m_bWake; });
            hold.unlock();
            if (woken)
                SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
            else
                Dispatch(idle);
            continue;
        }
        hold.unlock();
        Notice notice;
        BOOL removed = FALSE;
        keepRunning = RunRequest(request, notice, removed);
        SendNotice(notice);
    }
}

void CSymbolEngine::OnWorkerEnded()
{
    QueueHold hold(m_Lockable);
    m_bWorkerEnded = TRUE;
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        CSymbolRequest *request = m_Queue.GetNext(position);
        if (request->m_pWaiter != nullptr) {
            request->m_pWaiter->bFinished = TRUE;
            request->m_pWaiter->bRemoved = TRUE;
            request->m_pWaiter = nullptr;
        }
    }
    m_SyncDone.notify_all();
}

CSymbolRequest *CSymbolEngine::TakeNextRequest()
{
    for (POSITION position = m_Queue.GetHeadPosition(); position != nullptr;) {
        POSITION current = position;
        CSymbolRequest *request = m_Queue.GetNext(position);
        if (request->m_bDone) {
            // Finished requests wait for their fetch, unless nobody is left to fetch them.
            if (!request->IsRequesterAlive())
                Remove(current);
            continue;
        }
        // It waits for a program; a synchronous one is answered at once instead.
        if (!request->IsSynchronous() && !DatabaseLoaded && request->NeedsDatabase())
            continue;
        request->m_bRunning = TRUE;
        return request;
    }
    return nullptr;
}

BOOL CSymbolEngine::RunRequest(CSymbolRequest *request, Notice &notice, BOOL &removed)
{
    BOOL keepRunning = TRUE;
    if (request->IsSynchronous() && !DatabaseLoaded && request->NeedsDatabase())
        request->m_nStatus = StatusNoProgram;
    else
        keepRunning = Dispatch(*request);

    QueueHold hold(m_Lockable);
    request->m_bRunning = FALSE;
    removed = request->m_bRemoved;
    if (removed) {
        // Deleted while it ran; its waiter, if any, was woken then.
        delete request;
        return keepRunning;
    }
    request->m_bDone = 1;
    if (request->m_pWaiter != nullptr) {
        request->m_pWaiter->bFinished = TRUE;
        // Its handler destroyed the engine: there is nothing left to fetch it from.
        request->m_pWaiter->bRemoved = m_bLeftToWorker;
        request->m_pWaiter = nullptr;
        // Woken under the lock, the waiter would only wait for the lock next.
        hold.unlock();
        m_SyncDone.notify_all();
    } else if (!request->IsSynchronous()) {
        // Taken down now: once the lock is left the requester may fetch it at once.
        notice.send = TRUE;
        notice.requester = request->m_nRequester;
        notice.group = request->GetGroup();
        notice.id = request->m_nId;
    }
    return keepRunning;
}

void CSymbolEngine::SendNotice(const Notice &notice)
{
    if (!notice.send)
        return;
    if (notice.requester == RequesterEvent) {
        NotifyRequestReady(notice.id);
        return;
    }
    // A window that has gone refuses the message; its request goes on the next pass.
    PostMessage(reinterpret_cast<HWND>(static_cast<UINT_PTR>(notice.requester)), m_nMessageId,
                static_cast<WPARAM>(notice.group), static_cast<LPARAM>(notice.id));
}

void CSymbolEngine::NotifyRequestReady(int id)
{
    ReadyHook hook;
    {
        QueueHold hold(m_Lockable);
        hook = m_ReadyHook;
    }
    if (!hook)
        return;
    // A failing event sink must not end the worker.
    try {
        hook(id);
    } catch (CException *e) {
        e->Delete();
    } catch (...) {
        if (IsForeignException())
            throw; // the thread is being ended
    }
}
