// Worker threads of the framework: CWinThread, AfxBeginThread and AfxEndThread.
//
// Only the worker form is offered (a function and its parameter); the system starts no
// user-interface thread.
#pragma once

#include "afxmsgmap.h"
#include "basetypes.h"
#include "handles.h"
#include "threadobjects.h"

typedef UINT (*AFX_THREADPROC)(LPVOID pParam);

class CWinThread : public CCmdTarget {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    // Closes the thread's handle; the thread itself runs on if it still runs.
    ~CWinThread() override;

    // Starts the thread, held until ResumeThread with CREATE_SUSPENDED. m_hThread and
    // m_nThreadID are set before the thread function runs.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority);

    operator HANDLE() const { return m_hThread; }

    // Called when the thread ends (by AfxEndThread, also when the thread function
    // returns): deletes the object when m_bAutoDelete is set.
    virtual void Delete();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    // TRUE from construction: the object, and with it the thread's handle, goes when the
    // thread ends. A caller that waits for the thread through m_hThread starts it with
    // CREATE_SUSPENDED, sets this to FALSE, resumes it and deletes the object afterwards.
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts `pfnThreadProc`(`pParam`) on a new thread with the given priority (every
// THREAD_PRIORITY_ value is accepted) and answers its object, NULL when no thread could
// be made. The thread ends with the function's answer as exit code.
CWinThread *AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// Ends the calling thread with `nExitCode`, unwinding its stack. With `bDelete` the
// thread's CWinThread is deleted first when its m_bAutoDelete says so.
[[noreturn]] void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
