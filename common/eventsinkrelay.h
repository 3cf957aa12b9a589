// The object that an event source holds for one of the framework's sinks, and calls.
//
// A sink is part of the object that follows the events (a symbol-request client, a
// window, a control) and lives no longer than it. A free-threaded source, such as the
// symbol server firing from its worker thread, may be inside a call of the sink at the
// moment the owner is destroyed on its own thread; and a source copies its sinks, each
// with a reference, before it calls them, so a sink that was unadvised a moment ago may
// still be called. So the source is never given the sink itself but this relay: it is
// counted, and lives as long as any source holds it; it reaches its sink only under its
// lock, and the sink cuts the link under that same lock before it goes. Cutting waits
// until a call in progress on another thread has returned; after it, nothing reaches the
// sink any more. The lock is re-entrant, so a handler may end its own connection.
#pragma once

#include <atlbase.h>

#include <atomic>
#include <mutex>

template <class T, const IID *pdiid>
class CQelSinkRelay final : public IDispatch {
public:
    // The relay with one reference, the caller's, reaching `sink` through T's sink map.
    explicit CQelSinkRelay(T *sink) : m_sink(sink) {}
    CQelSinkRelay(const CQelSinkRelay &) = delete;
    CQelSinkRelay &operator=(const CQelSinkRelay &) = delete;

    // From here on no call reaches the sink; a call in progress is waited for.
    void Cut()
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        m_sink = nullptr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == *pdiid) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override
    {
        if (pctinfo == nullptr)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo) override
    {
        if (ppTInfo != nullptr)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD, DISPPARAMS *pDispParams, VARIANT *pVarResult,
                        EXCEPINFO *, UINT *puArgErr) override
    {
        // A handler that unadvises lets the source drop its reference: the relay stays
        // until the call is over.
        CComPtr<IDispatch> self(this);
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        if (m_sink == nullptr)
            return S_OK;
        return QelInvokeSinkMap(T::_GetSinkMap(), 0, *pdiid, m_sink, dispIdMember, riid, pDispParams, pVarResult,
                                puArgErr);
    }

private:
    ~CQelSinkRelay() = default;

    std::atomic<ULONG> m_references{1};
    std::recursive_mutex m_lock;
    T *m_sink;
};
