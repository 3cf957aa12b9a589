// COM objects made of a class with a COM map: reference counting, QueryInterface by the
// map, and the objects that complete them.
//
// A class derives from CComObjectRootEx<model> and from the interfaces it offers, lists
// them between BEGIN_COM_MAP and END_COM_MAP, and is created as CComObject<class>, or as
// CComAggObject<class> when another object aggregates it (the outer object then answers
// for the inner one's references and interfaces). The map's first entry gives the
// object's identity (its IUnknown).
//
// While an object made here lives it holds a lock on its module (atlmodule.h), so a
// server is not unloaded under it; class factories are CComObjectNoLock and hold none.
#pragma once

#include <new>
#include <ole2.h>

#include "atlthreadmodel.h"

// The lock of the module's CComModule, when the module has one (nothing otherwise).
void QelAtlLockModule();
void QelAtlUnlockModule();

// One entry of a COM map. `query` answers for `piid` with the interface pointer of the
// object `self` (an object of the map's class) and takes a reference on it. `cast` gives
// the interface without a reference, for entries that stand for an interface of the
// class itself (null for entries that ask another object). A null `query` ends the map.
struct _ATL_INTMAP_ENTRY {
    const IID *piid;
    HRESULT (*query)(void *self, REFIID iid, void **ppv);
    IUnknown *(*cast)(void *self) = nullptr;
};

class CComObjectRootBase {
public:
    CComObjectRootBase() : m_dwRef(0), m_pOuterUnknown(nullptr) {}

    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    // Called once for each class of the object map when the module starts (true) and
    // when it ends (false).
    static void ObjectMain(bool) {}
    // Keep the object alive while FinalConstruct hands out and drops references to it
    // (DECLARE_PROTECT_FINAL_CONSTRUCT makes them count).
    void InternalFinalConstructAddRef() {}
    void InternalFinalConstructRelease() {}
    void SetVoid(void *) {}

    // An aggregated object's references and interfaces are its outer object's.
    ULONG OuterAddRef() { return m_pOuterUnknown->AddRef(); }
    ULONG OuterRelease() { return m_pOuterUnknown->Release(); }
    HRESULT OuterQueryInterface(REFIID iid, void **ppv) { return m_pOuterUnknown->QueryInterface(iid, ppv); }

    // The map's answer for `iid`: IUnknown is the first entry; E_NOINTERFACE (and a null
    // *ppv) when the map has no entry for it.
    static HRESULT InternalQueryInterface(void *self, const _ATL_INTMAP_ENTRY *entries, REFIID iid, void **ppv);

    LONG m_dwRef;
    // The outer object when the object is aggregated (not counted: it owns this one).
    IUnknown *m_pOuterUnknown;
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase {
public:
    typedef ThreadModel _ThreadModel;

    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }

    // The count of an object whose last reference has gone: far from 0 and 1, whatever
    // is taken and dropped from it.
    static constexpr LONG kRetiredCount = -0x3FFFFFFF;
    // Release's step: drops a reference and answers what is left, 0 when it was the
    // last. The last one puts kRetiredCount in place of the count in the same atomic
    // step, so the count never stands at 0: a thread that holds the object without a
    // reference of its own (a worker that the object's destruction waits for) and takes
    // and drops one while the object is being destroyed cannot destroy it a second time.
    ULONG InternalReleaseOrRetire()
    {
        LONG count = 1; // a guess; each exchange that fails tells the count that stands
        for (;;) {
            LONG left = count == 1 ? kRetiredCount : count - 1;
            LONG before = ThreadModel::CompareExchange(&m_dwRef, left, count);
            if (before == count)
                return count == 1 ? 0 : static_cast<ULONG>(left);
            count = before;
        }
    }
    // An object deleted without a reference ever taken (its creation failed) is retired
    // as it is destroyed; one retired by its last Release keeps its count.
    void InternalRetire() { ThreadModel::CompareExchange(&m_dwRef, kRetiredCount, 0); }
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
    /* The object's own identity, without a reference. */        \
    IUnknown *_GetRawUnknown() { return _GetEntries()[0].cast(this); } \
    IUnknown *GetUnknown() { return _GetRawUnknown(); }          \
    static const _ATL_INTMAP_ENTRY *_GetEntries()                \
    {                                                            \
        static const _ATL_INTMAP_ENTRY _entries[] = {

// The interface `itf` reached through the base `via` (when `itf` stands in the class
// more than once), answering for `iid`.
#define COM_INTERFACE_ENTRY2_IID(iid, itf, via)                                                    \
    {&(iid),                                                                                        \
     [](void *self, REFIID, void **ppv) -> HRESULT {                                                \
         itf *p = static_cast<itf *>(static_cast<via *>(static_cast<_ComMapClass *>(self)));       \
         p->AddRef();                                                                              \
         *ppv = p;                                                                                 \
         return S_OK;                                                                              \
     },                                                                                            \
     [](void *self) -> IUnknown * {                                                                 \
         return static_cast<itf *>(static_cast<via *>(static_cast<_ComMapClass *>(self)));         \
     }},
#define COM_INTERFACE_ENTRY_IID(iid, itf) COM_INTERFACE_ENTRY2_IID(iid, itf, itf)
#define COM_INTERFACE_ENTRY2(itf, via) COM_INTERFACE_ENTRY2_IID(qel_uuidof<itf>(), itf, via)
#define COM_INTERFACE_ENTRY(itf) COM_INTERFACE_ENTRY2_IID(qel_uuidof<itf>(), itf, itf)

// Any interface that the inner object `punk` (a member of the class, the inner IUnknown of
// an object that this one aggregates) answers for `iid`; nothing while it is null.
#define COM_INTERFACE_ENTRY_AGGREGATE(iid, punk)                                                   \
    {&(iid), [](void *self, REFIID asked, void **ppv) -> HRESULT {                                  \
         IUnknown *inner = static_cast<_ComMapClass *>(self)->punk;                                 \
         return inner != nullptr ? inner->QueryInterface(asked, ppv) : E_NOINTERFACE;              \
     }},

// Every interface that the entries before it did not answer, asked of the inner object
// `punk`; stands at the end of a map.
#define COM_INTERFACE_ENTRY_AGGREGATE_BLIND(punk)                                                  \
    {nullptr, [](void *self, REFIID asked, void **ppv) -> HRESULT {                                 \
         IUnknown *inner = static_cast<_ComMapClass *>(self)->punk;                                 \
         return inner != nullptr ? inner->QueryInterface(asked, ppv) : E_NOINTERFACE;              \
     }},

// `func` (a static member: HRESULT func(void *self, REFIID iid, void **ppv)) answers for
// `iid`; its answer is the map's.
#define COM_INTERFACE_ENTRY_FUNC(iid, func) {&(iid), &_ComMapClass::func},

// The controlling unknown: the outer object when the object is aggregated (CComContainedObject
// answers so), else the object's own identity.
#define DECLARE_GET_CONTROLLING_UNKNOWN() \
public:                                   \
    virtual IUnknown *GetControllingUnknown() { return GetUnknown(); }

// FinalConstruct may hand out and drop references to the object: hold one around it, so
// the object does not go away inside its own construction.
#define DECLARE_PROTECT_FINAL_CONSTRUCT()                     \
    void InternalFinalConstructAddRef() { InternalAddRef(); } \
    void InternalFinalConstructRelease() { InternalRelease(); }

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

// The object itself: a Base with a COM map, counted and freed by its references. It holds
// its module's lock while it lives.
template <class Base>
class CComObject : public Base {
public:
    CComObject(void * = nullptr) { QelAtlLockModule(); }
    // The last reference is gone; FinalRelease may still hand out and drop references,
    // which the retired count absorbs.
    virtual ~CComObject()
    {
        this->InternalRetire();
        this->FinalRelease();
        QelAtlUnlockModule();
    }

    STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG count = this->InternalReleaseOrRetire();
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

// As CComObject, without the module lock: for the module's class factories, which the
// module itself holds, so that they do not keep it loaded.
template <class Base>
class CComObjectNoLock : public Base {
public:
    CComObjectNoLock(void * = nullptr) {}
    virtual ~CComObjectNoLock()
    {
        this->InternalRetire();
        this->FinalRelease();
    }

    STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG count = this->InternalReleaseOrRetire();
        if (count == 0)
            delete this;
        return count;
    }
    STDMETHOD(QueryInterface)(REFIID iid, void **ppvObject) override
    {
        return this->_InternalQueryInterface(iid, ppvObject);
    }
};

// The part of an aggregated object that the outer object's callers see: its references
// and its QueryInterface are the outer object's.
template <class Base>
class CComContainedObject : public Base {
public:
    explicit CComContainedObject(void *pv) { this->m_pOuterUnknown = static_cast<IUnknown *>(pv); }

    // Not marked override: GetControllingUnknown overrides only a Base that declares it
    // (DECLARE_GET_CONTROLLING_UNKNOWN), and clang wants all or none of a class marked.
    STDMETHOD_(ULONG, AddRef)() { return this->OuterAddRef(); }
    STDMETHOD_(ULONG, Release)() { return this->OuterRelease(); }
    STDMETHOD(QueryInterface)(REFIID iid, void **ppvObject)
    {
        return this->OuterQueryInterface(iid, ppvObject);
    }
    IUnknown *GetControllingUnknown() { return this->m_pOuterUnknown; }
};

// An object that another one aggregates. This object is the inner IUnknown, which only
// the outer object holds: it counts the outer object's hold and answers, beside IUnknown,
// the interfaces of the contained class's map, whose references go to the outer object.
template <class contained>
class CComAggObject : public IUnknown, public CComObjectRootEx<typename contained::_ThreadModel> {
public:
    explicit CComAggObject(void *pv) : m_contained(pv) { QelAtlLockModule(); }
    virtual ~CComAggObject()
    {
        this->InternalRetire();
        m_contained.FinalRelease();
        QelAtlUnlockModule();
    }
    CComAggObject(const CComAggObject &) = delete;
    CComAggObject &operator=(const CComAggObject &) = delete;

    HRESULT FinalConstruct()
    {
        m_contained.InternalFinalConstructAddRef();
        HRESULT hr = m_contained.FinalConstruct();
        m_contained.InternalFinalConstructRelease();
        return hr;
    }
    void InternalFinalConstructAddRef() {}
    void InternalFinalConstructRelease() {}
    void SetVoid(void *pv) { m_contained.SetVoid(pv); }

    STDMETHOD_(ULONG, AddRef)() override { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG count = this->InternalReleaseOrRetire();
        if (count == 0)
            delete this;
        return count;
    }
    STDMETHOD(QueryInterface)(REFIID iid, void **ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_POINTER;
        if (iid == IID_IUnknown) {
            *ppvObject = static_cast<IUnknown *>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(iid, ppvObject);
    }

    // A new inner object for the outer object `pUnkOuter`, without references; as
    // CComObject::CreateInstance.
    static HRESULT CreateInstance(IUnknown *pUnkOuter, CComAggObject<contained> **pp)
    {
        if (pp == nullptr)
            return E_POINTER;
        *pp = nullptr;
        if (pUnkOuter == nullptr)
            return E_INVALIDARG;
        CComAggObject<contained> *object = new (std::nothrow) CComAggObject<contained>(pUnkOuter);
        if (object == nullptr)
            return E_OUTOFMEMORY;
        HRESULT hr = object->FinalConstruct();
        if (FAILED(hr)) {
            delete object;
            return hr;
        }
        *pp = object;
        return S_OK;
    }

    CComContainedObject<contained> m_contained;
};
