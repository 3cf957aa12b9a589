// The debug-server object's services behind the watch and locals windows, one object that
// the debug-server object aggregates: the variable-update service, the target state, the
// refresh windows, the refresh queue with its availability, and the target's memory
// access. Updates are recorded, so that a test sees what the windows asked.
#pragma once

#include "hostrefreshqueue.h"
#include "hosttarget.h"

#include <atlbase.h>
#include <hostinterfaces.h>

#include <mutex>
#include <vector>

namespace QelHost {

struct HostVariableCall {
    enum Kind { Update, Withdraw } kind;
    // The object's identity, never used to reach it.
    uintptr_t object;
    LONG deferred;
    LONG write;
    // What its Refresh answered (Update only; -1 when it offers none).
    LONG refreshed;
    // Whether its value notice was posted.
    bool notified;
};

// The memory-access object: properties 289 and 278 (kind 1) from the target's access
// while running.
class CHostMemoryAccess : public CComObjectRootEx<CComMultiThreadModel>, public IQelMemoryAccessObject {
public:
    BEGIN_COM_MAP(CHostMemoryAccess)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IQelMemoryAccessObject)
    END_COM_MAP()

    void SetTarget(CHostTarget *target) { m_target = target; }

    STDMETHODIMP GetProperty(LONG kind, LONG id, LONG *pValue) override;

private:
    CComPtr<CHostTarget> m_target;
};

class CHostVariableServices : public CComObjectRootEx<CComMultiThreadModel>,
                              public IQelVariableUpdate,
                              public IQelTargetState,
                              public IQelRefreshWindows,
                              public IQelRefreshQueue,
                              public IQelRefreshQueueState,
                              public IQelMemoryAccess {
public:
    BEGIN_COM_MAP(CHostVariableServices)
        COM_INTERFACE_ENTRY(IQelVariableUpdate)
        COM_INTERFACE_ENTRY(IQelTargetState)
        COM_INTERFACE_ENTRY(IQelRefreshWindows)
        COM_INTERFACE_ENTRY(IQelRefreshQueue)
        COM_INTERFACE_ENTRY(IQelRefreshQueueState)
        COM_INTERFACE_ENTRY(IQelMemoryAccess)
    END_COM_MAP()

    // The target whose state, windows and memory access these are; set once, first.
    void SetTarget(CHostTarget *target) { m_target = target; }

    std::vector<HostVariableCall> Calls() const;
    HostRefreshQueue &Queue() { return m_queue; }
    // Moves the queue's clock on by `ms`, updating (0, 0) each object whose period passed:
    // the running periods while the target runs, the holded ones while it is stopped.
    void Animate(DWORD ms);

    // Update: E_POINTER without an object, E_NOINTERFACE for one without IQelUniCommStub
    // (recorded either way); otherwise S_OK after Refresh(write) and the notice.
    STDMETHODIMP Update(IUnknown *object, LONG deferred, LONG write) override;
    // Also takes the object out of the refresh queue.
    STDMETHODIMP Withdraw(IUnknown *object) override;
    STDMETHODIMP GetTargetState(ULONG *pState) override;
    STDMETHODIMP Register(LONG window, UINT message) override;
    STDMETHODIMP Unregister(LONG window) override;
    // E_INVALIDARG for an unknown entry or mode, or a negative period.
    STDMETHODIMP CreateEntry(LONG kind, LONG subKind, LONG *pEntry) override;
    STDMETHODIMP NextEntry(LONG kind, LONG subKind, LONG after, LONG *pEntry) override;
    STDMETHODIMP GetPeriod(LONG entry, LONG mode, LONG *pPeriod) override;
    STDMETHODIMP SetPeriod(LONG entry, LONG mode, LONG period) override;
    STDMETHODIMP AddRefEntry(LONG entry) override;
    STDMETHODIMP ReleaseEntry(LONG entry) override;
    STDMETHODIMP Attach(LONG entry, IUnknown *object, LONG parameter) override;
    STDMETHODIMP Detach(LONG entry, IUnknown *object) override;
    STDMETHODIMP IsQueueAvailable(BOOL *pAvailable) override;
    STDMETHODIMP GetMemoryAccess(IQelMemoryAccessObject **ppAccess) override;

    void FinalRelease() { m_queue.Clear(); }

private:
    void Record(const HostVariableCall &call);

    CHostTarget *m_target = nullptr; // the debug-server object's, which outlives this one
    HostRefreshQueue m_queue;
    mutable std::mutex m_callLock;
    std::vector<HostVariableCall> m_calls;
};

} // namespace QelHost
