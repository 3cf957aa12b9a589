// Threading models of COM objects: how an object counts its references and guards itself.
#pragma once

#include <windows.h>

// A Win32 critical section (re-entrant for its owner thread), set up and torn down
// explicitly with Init and Term.
class CComCriticalSection {
public:
    void Lock() { EnterCriticalSection(&m_sec); }
    void Unlock() { LeaveCriticalSection(&m_sec); }
    HRESULT Init()
    {
        InitializeCriticalSection(&m_sec);
        return S_OK;
    }
    void Term() { DeleteCriticalSection(&m_sec); }

    CRITICAL_SECTION m_sec;
};

// Holds a critical section for a scope.
template <class CritSec>
class CComCritSecLock {
public:
    explicit CComCritSecLock(CritSec &section) : m_section(section) { m_section.Lock(); }
    ~CComCritSecLock() { m_section.Unlock(); }
    CComCritSecLock(const CComCritSecLock &) = delete;
    CComCritSecLock &operator=(const CComCritSecLock &) = delete;

private:
    CritSec &m_section;
};

// A critical section that lives exactly as long as the object that holds it.
class CComAutoCriticalSection : public CComCriticalSection {
public:
    CComAutoCriticalSection() { Init(); }
    ~CComAutoCriticalSection() { Term(); }
    CComAutoCriticalSection(const CComAutoCriticalSection &) = delete;
    CComAutoCriticalSection &operator=(const CComAutoCriticalSection &) = delete;
};

// Locks nothing: for objects that one thread uses.
class CComFakeCriticalSection {
public:
    void Lock() {}
    void Unlock() {}
    HRESULT Init() { return S_OK; }
    void Term() {}
};

class CComMultiThreadModel {
public:
    static ULONG Increment(LONG *p) { return static_cast<ULONG>(InterlockedIncrement(p)); }
    static ULONG Decrement(LONG *p) { return static_cast<ULONG>(InterlockedDecrement(p)); }
    // Stores `exchange` when *p holds `comparand`; the value that stood before.
    static LONG CompareExchange(LONG *p, LONG exchange, LONG comparand)
    {
        return InterlockedCompareExchange(p, exchange, comparand);
    }
    typedef CComAutoCriticalSection AutoCriticalSection;
    typedef CComCriticalSection CriticalSection;
};

class CComSingleThreadModel {
public:
    static ULONG Increment(LONG *p) { return static_cast<ULONG>(++*p); }
    static ULONG Decrement(LONG *p) { return static_cast<ULONG>(--*p); }
    static LONG CompareExchange(LONG *p, LONG exchange, LONG comparand)
    {
        LONG before = *p;
        if (before == comparand)
            *p = exchange;
        return before;
    }
    typedef CComFakeCriticalSection AutoCriticalSection;
    typedef CComFakeCriticalSection CriticalSection;
};

typedef CComMultiThreadModel CComObjectThreadModel;
typedef CComMultiThreadModel CComGlobalsThreadModel;
