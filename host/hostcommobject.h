// The inner communication object that the host's debug-server object makes for command
// 200 with the number 7: each communication variable object gets one (SetOwner) and
// reaches the target's memory through it.
//
// It answers the complex-memory interface with a complex-memory object of the simulated
// target, the value notices with a notice part (hostvaluenotices.h), and the further
// interface of a communication object, which the system never calls, with an idle
// object. The three are objects of their own, made with it.
#pragma once

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

class CHostCommObject : public CComObjectRootEx<CComMultiThreadModel>, public IUnknown {
public:
    BEGIN_COM_MAP(CHostCommObject)
        COM_INTERFACE_ENTRY_IID(IID_IUnknown, IUnknown)
        {nullptr, &CHostCommObject::QueryParts},
    END_COM_MAP()

    // Makes its three parts; the complex memory over `target`'s memory.
    HRESULT Init(CHostTarget *target);
    // The complex-memory object it answers with (tests look at its user).
    IQelComplexMemory *ComplexMemory() const { return m_memory; }

private:
    static HRESULT QueryParts(void *self, REFIID iid, void **ppv);

    CComPtr<IQelComplexMemory> m_memory;
    CComPtr<IUnknown> m_idle;
    CComPtr<IQelValueNotices> m_notices;
};

// A new inner communication object over `target`, the caller's reference.
HRESULT CreateCommObject(CHostTarget *target, IUnknown **ppObject);

} // namespace QelHost
