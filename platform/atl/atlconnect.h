// Connection points of COM objects that fire events, and advising sinks on them.
//
// An object derives from IConnectionPointContainerImpl<T> (listed in its COM map) and
// from one IConnectionPointImpl<T, &DIID_x> per event interface, and names those
// interfaces between BEGIN_CONNECTION_POINT_MAP and END_CONNECTION_POINT_MAP. Firing is
// the object's own code (a proxy class over the point): under the object's lock it walks
// m_vec and calls every sink that is not null.
//
// Two things differ from the platform's template library, both for soundness:
// - A point is a small object of its own inside the point's base, answering only for
//   IUnknown and IConnectionPoint, and counted on its owner: a caller that holds a point
//   keeps the object alive. (The platform's points count nothing, and are reached by
//   reading one class's table as another's, which this compiler's checks refuse.)
// - A cookie names one connection: a point counts its cookies up and skips those in use,
//   so a cookie comes back only after four billion more connections (cookies do not
//   stand for pointers, which do not fit 32 bits here), and a stale cookie gives
//   CONNECT_E_NOCONNECTION instead of cutting another sink off.
#pragma once

#include <new>
#include <ole2.h>
#include <vector>

// Connects `pUnk` to the point of `iid` of the object `pUnkCP`; *pdw gets the cookie
// (0 on failure). E_INVALIDARG for a null object; the object's own answers otherwise
// (E_NOINTERFACE without a container, CONNECT_E_NOCONNECTION without such a point,
// CONNECT_E_CANNOTCONNECT when the sink lacks the interface).
HRESULT AtlAdvise(IUnknown *pUnkCP, IUnknown *pUnk, const IID &iid, LPDWORD pdw);
HRESULT AtlUnadvise(IUnknown *pUnkCP, const IID &iid, DWORD dw);

// The sinks of one point, in the order they came; a removed sink leaves a null slot,
// which the next sink takes. The array holds the references that Advise hands it; it
// adds and releases none itself.
class CComDynamicUnkArray {
public:
    // The new connection's cookie, never 0; 0 when there is no room.
    DWORD Add(IUnknown *pUnk);
    BOOL Remove(DWORD dwCookie);
    // The sink of a cookie; NULL for an unknown one.
    IUnknown *GetUnknown(DWORD dwCookie) const;

    IUnknown **begin() { return m_sinks.data(); }
    IUnknown **end() { return m_sinks.data() + m_sinks.size(); }
    int GetSize() const { return static_cast<int>(m_sinks.size()); }
    IUnknown *GetAt(int nIndex) const
    {
        return nIndex >= 0 && nIndex < GetSize() ? m_sinks[static_cast<size_t>(nIndex)] : nullptr;
    }
    DWORD GetCookieAt(int nIndex) const
    {
        return nIndex >= 0 && nIndex < GetSize() ? m_cookies[static_cast<size_t>(nIndex)] : 0;
    }

private:
    std::vector<IUnknown *> m_sinks;
    std::vector<DWORD> m_cookies; // 0 where the slot is free
    DWORD m_nextCookie = 1;
};

// What the connection-point map finds a point by: the base of the point of one event
// interface, whatever the class of the object.
template <const IID *piid>
class _ICPLocator {
public:
    IConnectionPoint *_QelPoint() const { return m_pQelPoint; }

protected:
    explicit _ICPLocator(IConnectionPoint *point) : m_pQelPoint(point) {}
    _ICPLocator(const _ICPLocator &) = delete;
    _ICPLocator &operator=(const _ICPLocator &) = delete;

private:
    IConnectionPoint *m_pQelPoint;
};

// The point of the event interface *piid of an object of class T (which has Lock,
// Unlock, AddRef, Release and QueryInterface, as a CComObjectRootEx class with a COM
// map has). The object's lock is held around every change and copy of m_vec, never
// while a sink is released.
template <class T, const IID *piid, class CDV = CComDynamicUnkArray>
class IConnectionPointImpl : public _ICPLocator<piid> {
public:
    IConnectionPointImpl() : _ICPLocator<piid>(&m_point), m_point(this) {}
    ~IConnectionPointImpl()
    {
        for (IUnknown **sink = m_vec.begin(); sink < m_vec.end(); sink++) {
            if (*sink)
                (*sink)->Release();
        }
    }

    HRESULT GetConnectionInterface(IID *piid2)
    {
        if (!piid2)
            return E_POINTER;
        *piid2 = *piid;
        return S_OK;
    }

    HRESULT GetConnectionPointContainer(IConnectionPointContainer **ppCPC)
    {
        if (!ppCPC)
            return E_POINTER;
        return Owner()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(ppCPC));
    }

    // The sink is asked for the point's interface, and that interface is what the
    // point holds and fires to.
    HRESULT Advise(IUnknown *pUnkSink, DWORD *pdwCookie)
    {
        if (pdwCookie)
            *pdwCookie = 0;
        if (!pUnkSink || !pdwCookie)
            return E_POINTER;
        IUnknown *sink = nullptr;
        HRESULT hr = pUnkSink->QueryInterface(*piid, reinterpret_cast<void **>(&sink));
        if (hr == E_NOINTERFACE)
            return CONNECT_E_CANNOTCONNECT;
        if (FAILED(hr))
            return hr;
        Owner()->Lock();
        DWORD cookie = m_vec.Add(sink);
        Owner()->Unlock();
        if (cookie == 0) {
            sink->Release();
            return CONNECT_E_ADVISELIMIT;
        }
        *pdwCookie = cookie;
        return S_OK;
    }

    HRESULT Unadvise(DWORD dwCookie)
    {
        Owner()->Lock();
        IUnknown *sink = m_vec.GetUnknown(dwCookie);
        BOOL removed = m_vec.Remove(dwCookie);
        Owner()->Unlock();
        if (sink)
            sink->Release();
        return removed ? S_OK : CONNECT_E_NOCONNECTION;
    }

    HRESULT EnumConnections(IEnumConnections **ppEnum)
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        Owner()->Lock();
        HRESULT hr;
        try {
            std::vector<CONNECTDATA> connections;
            for (int i = 0; i < m_vec.GetSize(); i++) {
                if (m_vec.GetAt(i))
                    connections.push_back({m_vec.GetAt(i), m_vec.GetCookieAt(i)});
            }
            hr = QelCreateEnumConnections(connections.data(), static_cast<ULONG>(connections.size()), ppEnum);
        } catch (const std::bad_alloc &) {
            hr = E_OUTOFMEMORY;
        }
        Owner()->Unlock();
        return hr;
    }

    CDV m_vec;

private:
    T *Owner() { return static_cast<T *>(this); }

    class Point final : public IConnectionPoint {
    public:
        explicit Point(IConnectionPointImpl *impl) : m_impl(impl) {}

        STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
        {
            if (!ppv)
                return E_POINTER;
            if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
                *ppv = static_cast<IConnectionPoint *>(this);
                AddRef();
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return m_impl->Owner()->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_impl->Owner()->Release(); }
        STDMETHODIMP GetConnectionInterface(IID *piid2) override { return m_impl->GetConnectionInterface(piid2); }
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **ppCPC) override
        {
            return m_impl->GetConnectionPointContainer(ppCPC);
        }
        STDMETHODIMP Advise(IUnknown *pUnkSink, DWORD *pdwCookie) override
        {
            return m_impl->Advise(pUnkSink, pdwCookie);
        }
        STDMETHODIMP Unadvise(DWORD dwCookie) override { return m_impl->Unadvise(dwCookie); }
        STDMETHODIMP EnumConnections(IEnumConnections **ppEnum) override { return m_impl->EnumConnections(ppEnum); }

    private:
        IConnectionPointImpl *m_impl;
    };

    Point m_point;
};

// One entry of a connection-point map: an event interface and how to reach its point in
// an object of the map's class. A null `piid` ends the map.
struct _ATL_CONNMAP_ENTRY {
    const IID *piid;
    IConnectionPoint *(*point)(void *self);
};

#define BEGIN_CONNECTION_POINT_MAP(x)                   \
public:                                                 \
    typedef x _atl_conn_classtype;                      \
    static const _ATL_CONNMAP_ENTRY *GetConnMap()       \
    {                                                   \
        static const _ATL_CONNMAP_ENTRY _entries[] = {

#define CONNECTION_POINT_ENTRY(iid)                                                                         \
    {&(iid), [](void *self) -> IConnectionPoint * {                                                         \
         return static_cast<_ICPLocator<&(iid)> *>(static_cast<_atl_conn_classtype *>(self))->_QelPoint(); \
     }},

#define END_CONNECTION_POINT_MAP() \
    {nullptr, nullptr}             \
    }                              \
    ;                              \
    return _entries;               \
    }

// The container of the points of an object of class T, found through T's map.
template <class T>
class IConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        std::vector<IConnectionPoint *> points;
        try {
            for (const _ATL_CONNMAP_ENTRY *entry = T::GetConnMap(); entry->piid; entry++)
                points.push_back(entry->point(static_cast<T *>(this)));
        } catch (const std::bad_alloc &) {
            return E_OUTOFMEMORY;
        }
        return QelCreateEnumConnectionPoints(points.data(), static_cast<ULONG>(points.size()), ppEnum);
    }

    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP) override
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        for (const _ATL_CONNMAP_ENTRY *entry = T::GetConnMap(); entry->piid; entry++) {
            if (*entry->piid == riid) {
                IConnectionPoint *point = entry->point(static_cast<T *>(this));
                point->AddRef();
                *ppCP = point;
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
};
