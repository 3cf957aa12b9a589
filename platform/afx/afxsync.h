// Synchronisation objects of the framework over the Win32 layer's critical sections and
// events, and CSingleLock, which holds one of them for a scope.
#pragma once

#include "afxobject.h"
#include "critsec.h"
#include "events.h"
#include "handles.h"

class CSyncObject : public CObject {
public:
    // TRUE when the object was acquired within `timeout` milliseconds (INFINITE: waits
    // for ever).
    virtual BOOL Lock(DWORD timeout = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};

// Re-entrant for its owner thread: the owner may lock it again and unlocks it as often.
class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() { InitializeCriticalSection(&m_sect); }
    ~CCriticalSection() override { DeleteCriticalSection(&m_sect); }

    operator CRITICAL_SECTION *() { return &m_sect; }

    BOOL Lock()
    {
        EnterCriticalSection(&m_sect);
        return TRUE;
    }
    // The framework's version waits for ever whatever it is told; this one keeps to a
    // finite time-out.
    BOOL Lock(DWORD timeout) override;
    BOOL Unlock() override
    {
        LeaveCriticalSection(&m_sect);
        return TRUE;
    }

    CRITICAL_SECTION m_sect;
};

// An event, manual or auto reset. Lock waits until it is signalled; for an auto-reset
// event that takes the signal. Unlock does nothing: an event is not owned.
class CEvent : public CSyncObject {
public:
    // The name and security attributes of the framework's constructor are not taken:
    // events are unnamed in this layer. CMemoryException when no event can be made.
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE);
    ~CEvent() override { CloseHandle(m_hObject); }

    operator HANDLE() const { return m_hObject; }

    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override { return TRUE; }

    HANDLE m_hObject;
};

// Holds a synchronisation object and releases it at the end of its life.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject *object, BOOL initialLock = FALSE);
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock &) = delete;
    CSingleLock &operator=(const CSingleLock &) = delete;

    BOOL Lock(DWORD timeout = INFINITE);
    // TRUE when the object was released or was not held.
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject *m_pObject;
    BOOL m_bAcquired;
};
