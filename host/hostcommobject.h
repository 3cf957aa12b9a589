// The inner communication object that the host's debug-server object makes for command
// 200 with the number 7: each communication variable object gets one (SetOwner) and
// reaches the target's memory through it.
//
// It answers the complex-memory interface with a complex-memory object of the simulated
// target, the value notices with a notice part (hostvaluenotices.h), and the further
// interface of a communication object, which the system never calls, with an idle
// object. The three are objects of their own, made with it.
//
// It offers the point of the communication-object events. At every stop of the target,
// an object with a sink there refreshes its user (the object that slot 24 of its complex
// memory named) and fires event 1 with that user, the count of its refreshes and TRUE;
// one without a sink leaves its user to the window that shows it. A sink's connection
// holds the user, which owns this object, so the user lives while a sink is connected.
#pragma once

#include "hosteventsources.h"

#include <atlbase.h>
#include <hostinterfaces.h>

namespace QelHost {

class CHostTarget;

// An object that answers for one interface identifier and does nothing else.
class CHostIdleObject : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CHostIdleObject)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
        {nullptr, &CHostIdleObject::QueryOwn},
    END_COM_MAP()

    void SetInterface(REFIID iid) { m_iid = iid; }

private:
    static HRESULT QueryOwn(void *self, REFIID iid, void **ppv);

    IID m_iid = GUID_NULL;
};

class CHostCommObject : public CComObjectRootEx<CComMultiThreadModel>,
                        public IConnectionPointContainerImpl<CHostCommObject>,
                        public CHostEventPoint<CHostCommObject, &DIID__QelCommObjectEvents> {
public:
    BEGIN_COM_MAP(CHostCommObject)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IConnectionPointContainer)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
        {nullptr, &CHostCommObject::QueryParts},
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CHostCommObject)
        CONNECTION_POINT_ENTRY(DIID__QelCommObjectEvents)
    END_CONNECTION_POINT_MAP()

    // Makes its three parts; the complex memory over `target`'s memory. The target tells
    // it of each stop from then on.
    HRESULT Init(CHostTarget *target);
    void FinalRelease();
    // The complex-memory object it answers with (tests look at its user).
    IQelComplexMemory *ComplexMemory() const { return m_memory; }

    // A reference taken only while the object is not going: the target holds its
    // objects without one.
    bool TryAddRef();
    // The target stopped: the user refreshed and event 1 fired, when a sink is connected.
    void OnStop();

private:
    static HRESULT QueryParts(void *self, REFIID iid, void **ppv);
    bool HasSink();

    CComPtr<IQelComplexMemory> m_memory;
    CComPtr<IUnknown> m_idle;
    CComPtr<IQelValueNotices> m_notices;
    CHostTarget *m_target = nullptr;
    ULONG m_refreshes = 0;
};

// A new inner communication object over `target`, the caller's reference.
HRESULT CreateCommObject(CHostTarget *target, IUnknown **ppObject);

} // namespace QelHost
