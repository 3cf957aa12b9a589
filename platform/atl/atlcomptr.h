// Smart pointers for COM interfaces: each holds one reference and gives it back.
#pragma once

#include <memory>
#include <ole2.h>

template <class T>
class CComPtr {
public:
    CComPtr() : p(nullptr) {}
    CComPtr(T *lp) : p(lp)
    {
        if (p != nullptr)
            p->AddRef();
    }
    CComPtr(const CComPtr &other) : CComPtr(other.p) {}
    CComPtr(CComPtr &&other) noexcept : p(other.p) { other.p = nullptr; }
    ~CComPtr() { Release(); }

    CComPtr &operator=(T *lp)
    {
        // AddRef first: `lp` may be the only other holder of what p holds now.
        if (lp != nullptr)
            lp->AddRef();
        T *old = p;
        p = lp;
        if (old != nullptr)
            old->Release();
        return *this;
    }
    CComPtr &operator=(const CComPtr &other) { return *this = other.p; }
    CComPtr &operator=(CComPtr &&other) noexcept
    {
        if (this != std::addressof(other)) {
            Release();
            p = other.p;
            other.p = nullptr;
        }
        return *this;
    }

    operator T *() const { return p; }
    T &operator*() const { return *p; }
    T *operator->() const { return p; }
    // For out arguments: the pointer must be empty, or its reference would be lost.
    T **operator&()
    {
        Release();
        return &p;
    }
    bool operator!() const { return p == nullptr; }
    bool operator==(T *other) const { return p == other; }
    bool operator!=(T *other) const { return p != other; }
    // Without these, C++20 also tries the raw-pointer comparison with its sides reversed
    // and finds two of one pointer with another ambiguous.
    bool operator==(const CComPtr &other) const { return p == other.p; }
    bool operator!=(const CComPtr &other) const { return p != other.p; }

    void Release()
    {
        T *old = p;
        if (old != nullptr) {
            p = nullptr;
            old->Release();
        }
    }
    // Takes over a reference the caller owns.
    void Attach(T *other)
    {
        Release();
        p = other;
    }
    // Hands the reference over to the caller.
    T *Detach()
    {
        T *old = p;
        p = nullptr;
        return old;
    }
    HRESULT CopyTo(T **ppT) const
    {
        if (ppT == nullptr)
            return E_POINTER;
        *ppT = p;
        if (p != nullptr)
            p->AddRef();
        return S_OK;
    }
    template <class Q>
    HRESULT QueryInterface(Q **pp) const
    {
        if (pp == nullptr)
            return E_POINTER;
        if (p == nullptr)
            return E_POINTER;
        return p->QueryInterface(qel_uuidof<Q>(), reinterpret_cast<void **>(pp));
    }
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer = nullptr, DWORD context = CLSCTX_ALL)
    {
        Release();
        return ::CoCreateInstance(clsid, outer, context, qel_uuidof<T>(), reinterpret_cast<void **>(&p));
    }
    // COM identity: two pointers denote one object when their IUnknowns are equal.
    bool IsEqualObject(IUnknown *other) const
    {
        if (p == nullptr && other == nullptr)
            return true;
        if (p == nullptr || other == nullptr)
            return false;
        CComPtr<IUnknown> mine, theirs;
        p->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&mine.p));
        other->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&theirs.p));
        return mine.p == theirs.p;
    }

    T *p;
};

// A CComPtr that is filled by QueryInterface for `*piid` from whatever it is given.
template <class T, const IID *piid = &QelInterfaceId<T>::iid>
class CComQIPtr : public CComPtr<T> {
public:
    CComQIPtr() = default;
    CComQIPtr(T *lp) : CComPtr<T>(lp) {}
    CComQIPtr(const CComQIPtr &other) : CComPtr<T>(other.p) {}
    CComQIPtr(IUnknown *unknown) { Query(unknown); }

    CComQIPtr &operator=(T *lp)
    {
        CComPtr<T>::operator=(lp);
        return *this;
    }
    CComQIPtr &operator=(const CComQIPtr &other)
    {
        CComPtr<T>::operator=(other.p);
        return *this;
    }
    CComQIPtr &operator=(IUnknown *unknown)
    {
        Query(unknown);
        return *this;
    }

private:
    void Query(IUnknown *unknown)
    {
        T *found = nullptr;
        if (unknown != nullptr)
            unknown->QueryInterface(*piid, reinterpret_cast<void **>(&found));
        this->Attach(found);
    }
};

// IUnknown is every interface: asking it for IUnknown would only change the pointer.
template <>
class CComQIPtr<IUnknown, &IID_IUnknown> : public CComPtr<IUnknown> {
public:
    CComQIPtr() = default;
    CComQIPtr(IUnknown *lp) : CComPtr<IUnknown>(lp) {}
    CComQIPtr &operator=(IUnknown *lp)
    {
        CComPtr<IUnknown>::operator=(lp);
        return *this;
    }
};
