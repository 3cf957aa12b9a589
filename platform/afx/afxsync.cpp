#include "afxsync.h"

#include "afxexcept.h"
#include "tickcount.h"
#include "waits.h"

BOOL CCriticalSection::Lock(DWORD timeout)
{
    if (timeout == INFINITE)
        return Lock();
    // Critical sections have no timed wait, so the section is tried until the time is up;
    // a millisecond between tries keeps the waiter off the processor.
    DWORD start = GetTickCount();
    while (!TryEnterCriticalSection(&m_sect)) {
        if (GetTickCount() - start >= timeout)
            return FALSE;
        Sleep(1);
    }
    return TRUE;
}

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset) : m_hObject(CreateEventA(nullptr, manualReset, initiallyOwn, nullptr))
{
    // CreateEventA fails only when the layer cannot make another object.
    if (m_hObject == nullptr)
        AfxThrowMemoryException();
}

BOOL CEvent::Lock(DWORD timeout) { return WaitForSingleObject(m_hObject, timeout) == WAIT_OBJECT_0; }

CSingleLock::CSingleLock(CSyncObject *object, BOOL initialLock) : m_pObject(object), m_bAcquired(FALSE)
{
    AfxCheck(object != nullptr, "an object to lock");
    if (initialLock)
        Lock();
}

BOOL CSingleLock::Lock(DWORD timeout)
{
    // Holding already: the framework asserts here; locking again would need two unlocks
    // that this object never makes.
    if (m_bAcquired)
        return TRUE;
    m_bAcquired = m_pObject->Lock(timeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock()
{
    if (m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}
