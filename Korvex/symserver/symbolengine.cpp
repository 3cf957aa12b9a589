#include "symbolengine.h"

#include <hostinterfaces.h>

namespace {

// How long the worker waits for a request before it runs the idle pass.
const DWORD kIdleWaitMs = 1000;

} // namespace

CSymbolEngine::CSymbolEngine(IUnknown *owner)
    : DatabaseLoaded(0), IdleSince(0), IdlePasses(0), ModulCount(0), NextModulToRead(0), m_pOwner(owner),
      CurrentReader(nullptr), StaticsCache(nullptr), GlobalsCache(nullptr), ProgramCount(0), LastCodeSectionId(0),
      ProgramFormats(GetProgramFormats()), m_nNextId(1), m_Queue(10),
      m_Lockable{m_QueueLock}, m_nWaiting(0), m_bWake(FALSE), m_bStopped(FALSE), m_bWorkerEnded(FALSE),
      m_bLeftToWorker(FALSE), m_bStopDeferred(FALSE), m_pThread(nullptr), m_nWorkerThreadId(0),
      m_nMessageId(RegisterWindowMessage("QELSYMBOLREQUEST")), m_TickSource(GetTickCount),
      m_nIdleWaitMs(kIdleWaitMs), m_pStoredQueriesOf(nullptr)
{
    m_Handlers[RequestCodeIdle] = [this](CSymbolRequest &request) { OnIdle(request); };
    m_Handlers[RequestCodeStop] = [this](CSymbolRequest &request) { OnStop(request); };
    m_Handlers[RequestCodeIsDatabase] = [this](CSymbolRequest &request) { OnIsDatabase(request); };
    m_Handlers[RequestCodeControllerRegisters] = [this](CSymbolRequest &request) {
        LoadControllerRegisters(request);
    };
    m_Handlers[RequestCodeLoadFile] = [this](CSymbolRequest &request) { OnLoadFile(request); };
    m_Handlers[RequestCodeUnloadFile] = [this](CSymbolRequest &request) { OnUnloadFile(request); };
    m_Handlers[RequestCodeDefineCodeSection] = [this](CSymbolRequest &request) { OnDefineCodeSection(request); };
    m_Handlers[RequestCodeUndefineCodeSection] = [this](CSymbolRequest &request) { OnUndefineCodeSection(request); };
}

CSymbolEngine::~CSymbolEngine()
{
    // Nothing that the worker could still use goes before it has ended.
    Stop();
    CodeSections.RemoveAll();
    m_CodeSectionIds.RemoveAll();
    FreeVariableCaches();
    m_StoredQueries.clear();
    delete CurrentReader;
    for (int i = 0; i < m_Databases.GetSize(); ++i)
        delete m_Databases[i];
}

void CSymbolEngine::Stop()
{
    CWinThread *thread = nullptr;
    {
        QueueHold hold(m_Lockable);
        if (m_bStopped)
            return;
        // A worker cannot wait for itself to end.
        ASSERT(!IsWorkerThread());
        m_bStopped = TRUE;
        thread = m_pThread;
    }
    if (thread != nullptr) {
        CSymbolRequest *stop = new CSymbolRequest(RequesterSynchronous);
        stop->m_nCode = RequestCodeStop;
        CSymbolRequest caller(RequesterSynchronous);
        Queue(stop, caller, TRUE);
        WaitForSingleObject(thread->m_hThread, INFINITE);
        QueueHold hold(m_Lockable);
        m_pThread = nullptr;
        delete thread;
    }
    RemoveAllRequests();
}

void CSymbolEngine::Destroy(CSymbolEngine *engine)
{
    if (engine == nullptr)
        return;
    BOOL onWorker = FALSE;
    {
        QueueHold hold(engine->m_Lockable);
        onWorker = engine->IsWorkerThread();
    }
    if (onWorker)
        engine->LeaveToWorker();
    else
        delete engine;
}

void CSymbolEngine::LeaveToWorker()
{
    {
        QueueHold hold(m_Lockable);
        m_bStopped = TRUE;
        m_bLeftToWorker = TRUE;
        m_ReadyHook = nullptr;
    }
    // Between two requests (in a notice) the owner is still whole, as it is for a stop
    // from another thread, and is told now. A handler that runs keeps its reader and its
    // database until it returns, and the owner may be gone by then.
    if (m_Transactions.empty())
        RunStop();
    else
        m_bStopDeferred = TRUE;
    m_pOwner = nullptr;
}

void CSymbolEngine::FreeOnWorker()
{
    if (m_bStopDeferred)
        RunStop();
    RemoveAllRequests();
    {
        QueueHold hold(m_Lockable);
        // Nobody waits for this thread: its object goes as it ends.
        m_pThread->m_bAutoDelete = TRUE;
        m_pThread = nullptr;
    }
    delete this;
}

void CSymbolEngine::RunStop()
{
    CSymbolRequest stop(RequesterSynchronous);
    stop.m_nCode = RequestCodeStop;
    Dispatch(stop);
}

void CSymbolEngine::OnIsDatabase(CSymbolRequest &request)
{
    request.m_nResult = DatabaseLoaded != 0 ? 1 : 0;
}

void CSymbolEngine::OnStop(CSymbolRequest &)
{
    ModulCount = 0;
    NextModulToRead = 0;
    delete CurrentReader;
    CurrentReader = nullptr;
    for (int i = 0; i < m_Databases.GetSize(); ++i) {
        if (m_Databases[i] != nullptr)
            CloseDatabase(*m_Databases[i]);
    }
    if (m_pOwner == nullptr)
        return;
    CComPtr<IQelTargetPattern> pattern;
    if (SUCCEEDED(m_pOwner->QueryInterface(qel_uuidof<IQelTargetPattern>(), reinterpret_cast<void **>(&pattern))) &&
        pattern != nullptr)
        pattern->EngineStopped();
}

void CSymbolEngine::LoadControllerRegisters(CSymbolRequest &)
{
}

void CSymbolEngine::FreeVariableCaches()
{
    delete StaticsCache;
    StaticsCache = nullptr;
    delete GlobalsCache;
    GlobalsCache = nullptr;
}

CQelDatabase *CSymbolEngine::GetProgramDatabase() const
{
    for (int i = m_Databases.GetSize() - 1; i >= 0; --i) {
        if (m_Databases[i] != nullptr && m_Databases[i]->IsOpen())
            return m_Databases[i];
    }
    return nullptr;
}

void CSymbolEngine::CloseDatabase(CQelDatabase &database)
{
    // Closing rolls the open transaction back; no request may commit it afterwards,
    // nor one that the same object opens again.
    for (CQelDatabase *&transaction : m_Transactions) {
        if (transaction == &database)
            transaction = nullptr;
    }
    if (&database == m_pStoredQueriesOf) {
        m_StoredQueries.clear();
        m_pStoredQueriesOf = nullptr;
    }
    database.Close(FALSE);
}

void CSymbolEngine::SetHandler(int code, Handler handler)
{
    QueueHold hold(m_Lockable);
    if (handler)
        m_Handlers[code] = std::move(handler);
    else
        m_Handlers.erase(code);
}

void CSymbolEngine::SetReadyHook(ReadyHook hook)
{
    QueueHold hold(m_Lockable);
    m_ReadyHook = std::move(hook);
}

void CSymbolEngine::SetTickSource(TickSource ticks)
{
    QueueHold hold(m_Lockable);
    m_TickSource = std::move(ticks);
}

void CSymbolEngine::SetIdleWait(DWORD ms)
{
    QueueHold hold(m_Lockable);
    m_nIdleWaitMs = ms;
}

DWORD CSymbolEngine::IdleTicks()
{
    TickSource ticks;
    {
        QueueHold hold(m_Lockable);
        ticks = m_TickSource;
    }
    return ticks();
}

CString CSymbolEngine::GetLastErrorMessage()
{
    QueueHold hold(m_Lockable);
    return m_strLastError;
}
