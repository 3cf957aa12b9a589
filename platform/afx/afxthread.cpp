#include "afxthread.h"

#include <new>

namespace {

// The object of the thread that runs, for AfxEndThread.
thread_local CWinThread *currentThread = nullptr;

DWORD WINAPI ThreadEntry(LPVOID parameter)
{
    auto *thread = static_cast<CWinThread *>(parameter);
    currentThread = thread;
    AfxEndThread(thread->m_pfnThreadProc(thread->m_pThreadParams));
}

} // namespace

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread != nullptr || m_pfnThreadProc == nullptr)
        return FALSE;
    // Held until the fields are set, since the thread may read its own object at once.
    m_hThread = ::CreateThread(lpSecurityAttrs, nStackSize, ThreadEntry, this, dwCreateFlags | CREATE_SUSPENDED,
                               &m_nThreadID);
    if (m_hThread == nullptr)
        return FALSE;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return ::SetThreadPriority(m_hThread, nPriority);
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread *AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread *thread = new (std::nothrow) CWinThread(pfnThreadProc, pParam);
    if (thread == nullptr)
        return nullptr;
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete)
{
    CWinThread *thread = currentThread;
    currentThread = nullptr;
    if (thread != nullptr && bDelete)
        thread->Delete();
    ExitThread(nExitCode);
}
