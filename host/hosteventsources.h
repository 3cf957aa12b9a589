// The host's event sources that the system's sinks follow: the architecture server's
// target-state events, the debug server's target-pattern events and the events of a
// communication object. Each is an object with one connection point; tests fire its
// events from any thread, and every sink connected at that moment receives them.
#pragma once

#include <atlbase.h>
#include <eventsinkids.h>

#include <vector>

namespace QelHost {

// Fires one event of a point to its sinks. The sinks are copied with a reference under
// the object's lock and called outside it, so a sink may unadvise from its handler.
// `args` are in the handler's order (first argument first). Gives the result of the last
// sink that answered one; VT_EMPTY when none did.
template <class T, const IID *piid>
class CHostEventPoint : public IConnectionPointImpl<T, piid> {
protected:
    CComVariant FireEvent(DISPID dispid, std::vector<CComVariant> args)
    {
        std::vector<VARIANT> reversed;
        for (auto arg = args.rbegin(); arg != args.rend(); ++arg)
            reversed.push_back(*arg);
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        std::vector<IDispatch *> sinks;
        T *owner = static_cast<T *>(this);
        owner->Lock();
        for (IUnknown **sink = this->m_vec.begin(); sink < this->m_vec.end(); sink++) {
            if (*sink != nullptr) {
                (*sink)->AddRef();
                sinks.push_back(reinterpret_cast<IDispatch *>(*sink));
            }
        }
        owner->Unlock();
        CComVariant answer;
        for (IDispatch *sink : sinks) {
            CComVariant result;
            sink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
            if (result.vt != VT_EMPTY)
                answer = result;
            sink->Release();
        }
        return answer;
    }
};

class CHostTargetStateSource : public CComObjectRootEx<CComMultiThreadModel>,
                               public IConnectionPointContainerImpl<CHostTargetStateSource>,
                               public CHostEventPoint<CHostTargetStateSource, &DIID__TargetStateEvents> {
public:
    BEGIN_COM_MAP(CHostTargetStateSource)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CHostTargetStateSource)
        CONNECTION_POINT_ENTRY(DIID__TargetStateEvents)
    END_CONNECTION_POINT_MAP()

    void FireStateChange(ULONG oldState, ULONG newState);
    void FireStateNotify(ULONG first, ULONG second);
    void FireStateEvent();
};

class CHostPatternSource : public CComObjectRootEx<CComMultiThreadModel>,
                           public IConnectionPointContainerImpl<CHostPatternSource>,
                           public CHostEventPoint<CHostPatternSource, &DIID__QelTargetPatternEvents> {
public:
    BEGIN_COM_MAP(CHostPatternSource)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CHostPatternSource)
        CONNECTION_POINT_ENTRY(DIID__QelTargetPatternEvents)
    END_CONNECTION_POINT_MAP()

    void FirePatternBegin(UINT pattern);
    void FirePatternEnd(UINT first, UINT second);
    // What the sinks answered (the last one's), S_OK when none answered.
    HRESULT FirePatternRange(UINT kind, UINT start, UINT length);
    void FirePatternMode(INT mode, BYTE secondMode);
};

class CHostCommObjectSource : public CComObjectRootEx<CComMultiThreadModel>,
                              public IConnectionPointContainerImpl<CHostCommObjectSource>,
                              public CHostEventPoint<CHostCommObjectSource, &DIID__QelCommObjectEvents> {
public:
    BEGIN_COM_MAP(CHostCommObjectSource)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()
    BEGIN_CONNECTION_POINT_MAP(CHostCommObjectSource)
        CONNECTION_POINT_ENTRY(DIID__QelCommObjectEvents)
    END_CONNECTION_POINT_MAP()

    // The object itself goes with each event, as the host's communication objects send it.
    void FireFirst(ULONG number, BOOL flag);
    void FireSecond(ULONG number);
};

// A new source with one reference, the caller's.
template <class Source>
HRESULT CreateEventSource(Source **source)
{
    if (source == nullptr)
        return E_POINTER;
    CComObject<Source> *object = nullptr;
    HRESULT hr = CComObject<Source>::CreateInstance(&object);
    if (FAILED(hr))
        return hr;
    object->AddRef();
    *source = object;
    return S_OK;
}

} // namespace QelHost
