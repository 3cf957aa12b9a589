// COM objects made of a class with a COM map: reference counting, QueryInterface by the
// map, and the object that completes them.
//
// A class derives from CComObjectRootEx<model> and from the interfaces it offers, lists
// them between BEGIN_COM_MAP and END_COM_MAP, and is created as CComObject<class>. The
// map's first entry gives the object's identity (its IUnknown).
#pragma once

#include <new>
#include <ole2.h>

#include "atlthreadmodel.h"

// One entry of a COM map. `query` answers for `piid` with the interface pointer of the
// object `self` (an object of the map's class) and takes a reference on it. A null
// `query` ends the map.
struct _ATL_INTMAP_ENTRY {
    const IID *piid;
    HRESULT (*query)(void *self, REFIID iid, void **ppv);
};

class CComObjectRootBase {
public:
    CComObjectRootBase() : m_dwRef(0) {}

    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    // Keep the object alive while FinalConstruct hands out and drops references to it.
    void InternalFinalConstructAddRef() {}
    void InternalFinalConstructRelease() {}

    // The map's answer for `iid`: IUnknown is the first entry; E_NOINTERFACE (and a null
    // *ppv) when the map has no entry for it.
    static HRESULT InternalQueryInterface(void *self, const _ATL_INTMAP_ENTRY *entries, REFIID iid, void **ppv);

    LONG m_dwRef;
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase {
public:
    typedef ThreadModel _ThreadModel;

    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
    void Lock() { m_critsec.Lock(); }
    void Unlock() { m_critsec.Unlock(); }

    // Holds the object's lock for a scope.
    class ObjectLock {
    public:
        explicit ObjectLock(CComObjectRootEx *object) : m_object(object) { m_object->Lock(); }
        ~ObjectLock() { m_object->Unlock(); }
        ObjectLock(const ObjectLock &) = delete;
        ObjectLock &operator=(const ObjectLock &) = delete;

    private:
        CComObjectRootEx *m_object;
    };

private:
    typename ThreadModel::AutoCriticalSection m_critsec;
};

#define BEGIN_COM_MAP(x)                                         \
public:                                                          \
    typedef x _ComMapClass;                                      \
    HRESULT _InternalQueryInterface(REFIID iid, void **ppvObject) \
    {                                                            \
        return InternalQueryInterface(this, _GetEntries(), iid, ppvObject); \
    }                                                            \
    static const _ATL_INTMAP_ENTRY *_GetEntries()                \
    {                                                            \
        static const _ATL_INTMAP_ENTRY _entries[] = {

// The interface `itf` reached through the base `via` (when `itf` stands in the class
// more than once), answering for `iid`.
#define COM_INTERFACE_ENTRY2_IID(iid, itf, via)                                                    \
    {&(iid), [](void *self, REFIID, void **ppv) -> HRESULT {                                        \
         itf *p = static_cast<itf *>(static_cast<via *>(static_cast<_ComMapClass *>(self)));       \
         p->AddRef();                                                                              \
         *ppv = p;                                                                                 \
         return S_OK;                                                                              \
     }},
#define COM_INTERFACE_ENTRY_IID(iid, itf) COM_INTERFACE_ENTRY2_IID(iid, itf, itf)
#define COM_INTERFACE_ENTRY2(itf, via) COM_INTERFACE_ENTRY2_IID(qel_uuidof<itf>(), itf, via)
#define COM_INTERFACE_ENTRY(itf) COM_INTERFACE_ENTRY2_IID(qel_uuidof<itf>(), itf, itf)

// The derived class leaves IUnknown to CComObject, which counts and answers by the map.
#define END_COM_MAP()                                      \
    {nullptr, nullptr}                                     \
    }                                                      \
    ;                                                      \
    return _entries;                                       \
    }                                                      \
    STDMETHOD_(ULONG, AddRef)() override = 0;              \
    STDMETHOD_(ULONG, Release)() override = 0;             \
    STDMETHOD(QueryInterface)(REFIID, void **) override = 0;

// The object itself: a Base with a COM map, counted and freed by its references.
template <class Base>
class CComObject : public Base {
public:
    CComObject(void * = nullptr) {}
    // The last reference is gone; FinalRelease may still hand out and drop references,
    // so the count is held up while it runs.
    virtual ~CComObject()
    {
        this->m_dwRef = 1;
        this->FinalRelease();
    }

    STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG count = this->InternalRelease();
        if (count == 0)
            delete this;
        return count;
    }
    STDMETHOD(QueryInterface)(REFIID iid, void **ppvObject) override
    {
        return this->_InternalQueryInterface(iid, ppvObject);
    }

    // A new object without references (the caller takes the first one); E_OUTOFMEMORY,
    // or FinalConstruct's failure, with *pp null.
    static HRESULT CreateInstance(CComObject<Base> **pp)
    {
        if (pp == nullptr)
            return E_POINTER;
        *pp = nullptr;
        CComObject<Base> *object = new (std::nothrow) CComObject<Base>();
        if (object == nullptr)
            return E_OUTOFMEMORY;
        object->InternalFinalConstructAddRef();
        HRESULT hr = object->FinalConstruct();
        object->InternalFinalConstructRelease();
        if (FAILED(hr)) {
            delete object;
            return hr;
        }
        *pp = object;
        return S_OK;
    }
};
